#include "app/window/image_w1.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QScrollBar>

#include <algorithm>
#include <vector>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "port/shell.h"
#include "image/planes.h"

namespace {
bool Plan_affichable()
{
    return Plan_courant && Etat_affichage != 3 && Plan_courant->existe();
}
}  // namespace

ImageW1::ImageW1(QWidget* parent) : QWidget(parent)
{
    setObjectName("ImageW1");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    HorzScrollBar = new QScrollBar(Qt::Horizontal, this);
    HorzScrollBar->setObjectName("HorzScrollBar");
    VertScrollBar = new QScrollBar(Qt::Vertical, this);
    VertScrollBar->setObjectName("VertScrollBar");
    HorzScrollBar->hide();
    VertScrollBar->hide();
    connect(HorzScrollBar, &QScrollBar::valueChanged, this, [this] { update(); });
    connect(VertScrollBar, &QScrollBar::valueChanged, this, [this] { update(); });
}

void ImageW1::Mise_en_page()
{
    if (!Plan_affichable()) {
        h_visible_ = v_visible_ = false;
        HorzScrollBar->hide();
        VertScrollBar->hide();
        return;
    }
    const int W = width(), H = height();
    const QSize affichee = Taille_affichee();
    const int pw = affichee.width(), ph = affichee.height();
    const int Hs = HorzScrollBar->sizeHint().height(), Wv = VertScrollBar->sizeHint().width();
    bool h = W < pw, v = H < ph;
    if (h && !v) v = H - Hs < ph;
    if (v && !h) h = W - Wv < pw;
    h_visible_ = h;
    v_visible_ = v;
    if (h) {
        const int vue = v ? W - Wv : W;
        HorzScrollBar->setSingleStep(std::max(1, pw / 10));
        HorzScrollBar->setPageStep(std::max(1, vue));
        HorzScrollBar->setGeometry(0, H - Hs, vue - 1, Hs);
        HorzScrollBar->setRange(0, pw - vue);
        HorzScrollBar->show();
    } else {
        HorzScrollBar->hide();
    }
    if (v) {
        const int vue = h ? H - Hs : H;
        VertScrollBar->setSingleStep(std::max(1, ph / 10));
        VertScrollBar->setPageStep(std::max(1, vue));
        VertScrollBar->setGeometry(W - Wv, 0, Wv, vue - 1);
        VertScrollBar->setRange(0, ph - vue);
        VertScrollBar->show();
    } else {
        VertScrollBar->hide();
    }
}

void ImageW1::Rafraichit()
{
    Mise_en_page();
    update();
}

void ImageW1::Raz_barres()
{
    HorzScrollBar->setValue(0);
    VertScrollBar->setValue(0);
    Rafraichit();
}

void ImageW1::Montre_P2(int x, int y)
{
    // In displayed pixels, as the bars count.
    const QPoint d = Point_ecran({x, y}) + QPoint(Origine_x(), Origine_y());
    x = d.x();
    y = d.y();
    const QSize affichee = Taille_affichee();
    if (affichee.width() - x < width()) x = affichee.width() - width();
    if (affichee.height() - y < height()) y = affichee.height() - height();
    Mise_en_page();
    // QScrollBar clamps to its range: a negative value ends at 0.
    if (v_visible_) VertScrollBar->setValue(y);
    if (h_visible_) HorzScrollBar->setValue(x);
    update();
}

int ImageW1::Origine_x() const { return h_visible_ ? HorzScrollBar->value() : 0; }
int ImageW1::Origine_y() const { return v_visible_ ? VertScrollBar->value() : 0; }

QPoint ImageW1::Point_plan(QPoint c) const
{
    const int f = Reduction(), m = Agrandissement();
    const auto plan = [f, m](int v) { return v >= 0 ? v * f / m : -((-v * f + m - 1) / m); };
    return {plan(c.x() + Origine_x()), plan(c.y() + Origine_y())};
}

QPoint ImageW1::Point_ecran(QPoint p) const
{
    const int f = Reduction(), m = Agrandissement();
    // Rounded up when reduced: the displayed pixel i shows plane pixel f * i.
    const auto ecran = [f, m](int v) { return v >= 0 ? (v * m + f - 1) / f : v * m / f; };
    return {ecran(p.x()) - Origine_x(), ecran(p.y()) - Origine_y()};
}

void ImageW1::Place(QPoint p, QPoint c)
{
    Mise_en_page();
    const QPoint d = Point_ecran(p) + QPoint(Origine_x(), Origine_y()) - c;
    if (h_visible_) HorzScrollBar->setValue(d.x());
    if (v_visible_) VertScrollBar->setValue(d.y());
    update();
}

const PlanImage* ImageW1::Plan_source() { return Plan_courant; }

int ImageW1::Reduction() { return Niveau_zoom > 0 ? Niveau_zoom + 1 : 1; }
int ImageW1::Agrandissement() { return Niveau_zoom < 0 ? 1 - Niveau_zoom : 1; }

QSize ImageW1::Taille_affichee()
{
    if (!Plan_courant) return {0, 0};
    const int f = Reduction(), m = Agrandissement();
    const int64_t pw = Plan_courant->info.largeur, ph = Plan_courant->info.hauteur;
    const auto taille = [f, m](int64_t v) {
        return static_cast<int>(std::min<int64_t>(INT32_MAX / 2, f > 1 ? (v + f - 1) / f : v * m));
    };
    return {taille(pw), taille(ph)};
}

int ImageW1::Niveau_ajuste() const
{
    if (!Plan_courant) return 0;
    const int64_t pw = std::max(1, Plan_courant->info.largeur), ph = std::max(1, Plan_courant->info.hauteur);
    const int64_t W = std::max(1, width()), H = std::max(1, height());
    if (pw <= W && ph <= H) {
        int m = 1;
        while (m < 6 && pw * (m + 1) <= W && ph * (m + 1) <= H) m++;
        return 1 - m;
    }
    int64_t f = std::max((pw + W - 1) / W, (ph + H - 1) / H);
    while ((pw + f - 1) / f > W || (ph + f - 1) / f > H) f++;
    return static_cast<int>(f - 1);
}

void ImageW1::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (!Plan_affichable()) return;
    const PlanImage& pl = *Plan_courant;
    const int ox = Origine_x(), oy = Origine_y();
    if (Reduction() > 1) return Peint_reduit(p, pl, ox, oy);
    if (Agrandissement() > 1) return Peint_agrandi(p, pl, ox, oy);
    // Only the visible part is converted: columns c0..c1, rows t0..t1
    // counted from the top of the picture.
    const int c0 = std::max(0, ox), c1 = std::min(pl.larg, ox + width());
    const int t0 = std::max(0, oy), t1 = std::min(pl.haut, oy + height());
    if (c0 >= c1 || t0 >= t1) return;
    const int b0 = Remplit_bande(pl, c0, c1, t0, t1);
    p.drawImage(QPoint(b0 * 8 - ox, t0 - oy), bande_, QRect(0, 0, c1 - b0 * 8, t1 - t0));
}

int ImageW1::Remplit_bande(const PlanImage& pl, int c0, int c1, int t0, int t1)
{
    const int b0 = c0 / 8, b1 = std::min(pl.octets, (c1 + 7) / 8);
    const int nb = b1 - b0, nl = t1 - t0;
    if (bande_.width() != nb * 8 || bande_.height() != nl) bande_ = QImage(nb * 8, nl, QImage::Format_Mono);
    bande_.setColorTable({qRgb(pl.table[0].rouge, pl.table[0].vert, pl.table[0].bleu),
                          qRgb(pl.table[1].rouge, pl.table[1].vert, pl.table[1].bleu)});
    // The buffer holds the bottom row first.
    for (int t = t0; t < t1; t++)
        std::memcpy(bande_.scanLine(t - t0), pl.pixels.data() + static_cast<size_t>(pl.haut - 1 - t) * pl.octets + b0, nb);
    return b0;
}

void ImageW1::Peint_reduit(QPainter& p, const PlanImage& pl, int ox, int oy)
{
    // Displayed pixel (i, j) stands for the f x f cell from plane pixel
    // (f i, f j): ink when any pixel of the cell is, so that a stroke thinner
    // than f pixels stays whole instead of dotted.
    const int f = Reduction();
    const QSize affichee = Taille_affichee();
    const int i0 = std::max(0, ox), i1 = std::min(affichee.width(), ox + width());
    const int j0 = std::max(0, oy), j1 = std::min(affichee.height(), oy + height());
    if (i0 >= i1 || j0 >= j1) return;
    QImage image(i1 - i0, j1 - j0, QImage::Format_Mono);
    image.setColorTable({qRgb(pl.table[0].rouge, pl.table[0].vert, pl.table[0].bleu),
                         qRgb(pl.table[1].rouge, pl.table[1].vert, pl.table[1].bleu)});
    // The plane's bytes covering columns f i0 .. f i1 - 1.
    const int x0 = f * i0, x1 = std::min(pl.larg, f * i1);
    const int o0 = x0 / 8, o1 = std::min(pl.octets, (x1 + 7) / 8);
    std::vector<uchar> encre(static_cast<size_t>(i1 - i0));
    for (int j = j0; j < j1; j++) {
        std::fill(encre.begin(), encre.end(), 0);
        for (int t = f * j; t < std::min(pl.haut, f * j + f); t++) {
            const uint8_t* rangee = pl.pixels.data() + static_cast<size_t>(pl.haut - 1 - t) * pl.octets;
            for (int o = o0; o < o1; o++) {
                // Entry 0 of the table is ink: a byte of eight 1 bits has none.
                if (rangee[o] == 0xFF) continue;
                for (int b = 0; b < 8; b++) {
                    const int x = o * 8 + b;
                    if (x >= x0 && x < x1 && !((rangee[o] >> (7 - b)) & 1)) encre[static_cast<size_t>(x / f - i0)] = 1;
                }
            }
        }
        uchar* ligne = image.scanLine(j - j0);
        std::memset(ligne, 0, static_cast<size_t>(image.bytesPerLine()));
        for (int i = i0; i < i1; i++)
            if (!encre[static_cast<size_t>(i - i0)]) ligne[(i - i0) >> 3] |= static_cast<uchar>(0x80u >> ((i - i0) & 7));
    }
    p.drawImage(QPoint(i0 - ox, j0 - oy), image);
}

void ImageW1::Peint_agrandi(QPainter& p, const PlanImage& pl, int ox, int oy)
{
    // Plane columns c0..c1 and rows t0..t1 in view, each pixel drawn as an
    // m x m square (no smoothing: the pixels are repeated).
    const int m = Agrandissement();
    const int c0 = std::max(0, ox / m), c1 = std::min(pl.larg, (ox + width()) / m + 1);
    const int t0 = std::max(0, oy / m), t1 = std::min(pl.haut, (oy + height()) / m + 1);
    if (c0 >= c1 || t0 >= t1) return;
    const int b0 = Remplit_bande(pl, c0, c1, t0, t1);
    const int nl = t1 - t0;
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QRect(c0 * m - ox, t0 * m - oy, (c1 - c0) * m, nl * m), bande_, QRect(c0 - b0 * 8, 0, c1 - c0, nl));
}

void ImageW1::resizeEvent(QResizeEvent*) { Rafraichit(); }

void ImageW1::mouseMoveEvent(QMouseEvent* e) { emit Souris_bougee(e->position().toPoint()); }

void ImageW1::mouseReleaseEvent(QMouseEvent* e) { emit Souris_relachee(e->position().toPoint()); }

void ImageW1::wheelEvent(QWheelEvent* e)
{
    // The wheel scrolls the plane as over the bars: vertically, or
    // horizontally for a sideways wheel, Shift or when only that bar shows.
    QPoint pas = e->angleDelta();
    if (pas.isNull()) {
        e->ignore();
        return;
    }
    if (e->modifiers() & Qt::ShiftModifier || (!v_visible_ && pas.x() == 0)) pas = QPoint(pas.y(), 0);
    const auto defile = [](QScrollBar* barre, int delta) {
        // 120 is one notch of a common wheel: a small step of the bar (a tenth
        // of the plane), at most half of what is in view.
        const int cran = std::max(1, std::min(barre->singleStep(), barre->pageStep() / 2));
        barre->setValue(barre->value() - delta * cran / 120);
    };
    if (pas.y() != 0 && v_visible_) defile(VertScrollBar, pas.y());
    if (pas.x() != 0 && h_visible_) defile(HorzScrollBar, pas.x());
    e->accept();
}
