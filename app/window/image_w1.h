// The image area: paints the displayed plane straight from its pixel buffer
// at the origin given by its two scroll bars, which it lays out itself.
#pragma once
#include <QImage>
#include <QPoint>
#include <QWidget>

class QScrollBar;
struct PlanImage;

class ImageW1 : public QWidget {
    Q_OBJECT
public:
    explicit ImageW1(QWidget* parent = nullptr);
    QScrollBar* HorzScrollBar;
    QScrollBar* VertScrollBar;

    // Shows or hides the bars for the current plane and window size.
    void Mise_en_page();
    // Lays the bars out again and schedules a repaint.
    void Rafraichit();
    // Both bars back to position 0 (Close, zoom commands).
    void Raz_barres();
    // Brings Plan2 around (x, y), keeping the area filled near the edges.
    void Montre_P2(int x, int y);
    // Origin of the painted plane, in its own pixels.
    int Origine_x() const;
    int Origine_y() const;
    // Point of the full-size plane under a client point: the reduced
    // picture counts for f source pixels per pixel.
    QPoint Point_plan(QPoint client) const;
    // The full-size plane the display stands for (the source of the
    // reduced picture while zoomed).
    static const PlanImage* Plan_source();

signals:
    void Souris_bougee(QPoint client);
    void Souris_relachee(QPoint client);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    bool h_visible_ = false, v_visible_ = false;
    QImage bande_;  // the visible rows of the plane, reused between paints
};
