// FImgC, the colour window: one image control that takes the size of the
// colour picture (draw/image_couleur.h), in a scrolled area. The window
// only shows the picture; the drawings and the Erase/Save work are in the core.
#pragma once
#include <QDialog>
#include <QSize>

class QLabel;
class QScrollArea;

class TFImgC : public QDialog {
    Q_OBJECT
public:
    explicit TFImgC(QWidget* parent = nullptr);
    QScrollArea* Defilement;
    QLabel* ImgC;  // the picture, at its own size
    // Takes the picture again from Image_couleur. When its size changed, the
    // window grows or shrinks to show it whole, within the screen.
    void Rafraichit();
    // With `oui`, the next pictures are shown whole: reduced to fit the
    // screen when larger, the window at the screen's top-left (Bounding
    // boxes over a sheet). Without, at their own size, scrolled.
    void Ajuste_ecran(bool oui);
    bool Ajuste() const { return ajuste_; }
private:
    bool ajuste_ = false;
    QSize taille_ = {0, 0};  // of the picture last shown
};
