// The image area: paints the displayed plane straight from its pixel buffer
// at the origin given by its two scroll bars, which it lays out itself.
#pragma once
#include <QImage>
#include <QPoint>
#include <QWidget>

class QPainter;
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
    // Brings Plan2 around plane point (x, y), keeping the area filled near
    // the edges.
    void Montre_P2(int x, int y);
    // Origin of the painted picture, in displayed pixels (the bar positions).
    int Origine_x() const;
    int Origine_y() const;
    // Point of the plane under a client point, at the displayed scale.
    QPoint Point_plan(QPoint client) const;
    // Client point where plane point p is painted (its top-left corner).
    QPoint Point_ecran(QPoint p) const;
    // Shows plane point p at client point c as far as the bars allow.
    void Place(QPoint p, QPoint c);
    // The plane the display shows (Plan_courant).
    static const PlanImage* Plan_source();
    // The displayed scale from Niveau_zoom: a positive level keeps one pixel
    // in level + 1 of each direction, a negative one repeats each pixel
    // |level| + 1 times; 1 and 1 at level 0.
    static int Reduction();
    static int Agrandissement();
    // Size of the whole plane at the displayed scale.
    static QSize Taille_affichee();
    // The zoom level at which the whole plane fits the area, as large as
    // possible (magnified at most 6 times).
    int Niveau_ajuste() const;

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
    // Plane columns c0..c1, rows t0..t1 (from the top) into bande_, whole
    // bytes from column 8 b0; returns b0.
    int Remplit_bande(const PlanImage& pl, int c0, int c1, int t0, int t1);
    void Peint_reduit(QPainter& p, const PlanImage& pl, int ox, int oy);
    void Peint_agrandi(QPainter& p, const PlanImage& pl, int ox, int oy);
    bool h_visible_ = false, v_visible_ = false;
    QImage bande_;  // the visible rows of the plane, reused between paints
};
