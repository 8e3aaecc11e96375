#include "app/window/image_w1.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QScrollBar>

#include <algorithm>
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
    const int pw = Plan_courant->info.largeur, ph = Plan_courant->info.hauteur;
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
    if (Plan2.info.largeur - x < width()) x = Plan2.info.largeur - width();
    if (Plan2.info.hauteur - y < height()) y = Plan2.info.hauteur - height();
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
    const int f = Plan_courant == &Plan_zoom ? std::abs(Niveau_zoom) + 1 : 1;
    return {(c.x() + Origine_x()) * f, (c.y() + Origine_y()) * f};
}

const PlanImage* ImageW1::Plan_source()
{
    if (Plan_courant != &Plan_zoom) return Plan_courant;
    return Etat_affichage == 2 ? &Plan2 : &Plan1;
}

void ImageW1::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (!Plan_affichable()) return;
    const PlanImage& pl = *Plan_courant;
    const int ox = Origine_x(), oy = Origine_y();
    // Only the visible part is converted: columns c0..c1, rows t0..t1
    // counted from the top of the picture.
    const int c0 = std::max(0, ox), c1 = std::min(pl.larg, ox + width());
    const int t0 = std::max(0, oy), t1 = std::min(pl.haut, oy + height());
    if (c0 >= c1 || t0 >= t1) return;
    const int b0 = c0 / 8, b1 = std::min(pl.octets, (c1 + 7) / 8);
    const int nb = b1 - b0, nl = t1 - t0;
    if (bande_.width() != nb * 8 || bande_.height() != nl) bande_ = QImage(nb * 8, nl, QImage::Format_Mono);
    bande_.setColorTable({qRgb(pl.table[0].rouge, pl.table[0].vert, pl.table[0].bleu),
                          qRgb(pl.table[1].rouge, pl.table[1].vert, pl.table[1].bleu)});
    // The buffer holds the bottom row first.
    for (int t = t0; t < t1; t++)
        std::memcpy(bande_.scanLine(t - t0), pl.pixels.data() + static_cast<size_t>(pl.haut - 1 - t) * pl.octets + b0, nb);
    p.drawImage(QPoint(b0 * 8 - ox, t0 - oy), bande_, QRect(0, 0, c1 - b0 * 8, nl));
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
