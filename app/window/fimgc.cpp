#include "app/window/fimgc.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

#include "draw/image_couleur.h"

TFImgC::TFImgC(QWidget* parent) : QDialog(parent)
{
    setObjectName("FImgC");
    setWindowTitle("FImgC");
    auto* couche = new QVBoxLayout(this);
    couche->setContentsMargins(0, 0, 0, 0);
    Defilement = new QScrollArea(this);
    Defilement->setObjectName("Defilement");
    Defilement->setFrameShape(QFrame::NoFrame);
    Defilement->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ImgC = new QLabel;
    ImgC->setObjectName("ImgC");
    ImgC->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Defilement->setWidget(ImgC);
    couche->addWidget(Defilement);
    resize(100, 100);
    move(150, 150);
}

void TFImgC::Rafraichit()
{
    const ImageCouleur& ic = Image_couleur;
    QImage image;
    if (ic.largeur > 0 && ic.hauteur > 0
        && ic.pixels.size() >= static_cast<size_t>(ic.largeur) * static_cast<size_t>(ic.hauteur)) {
        image = QImage(ic.largeur, ic.hauteur, QImage::Format_RGB32);
        for (int y = 0; y < ic.hauteur; y++) {
            auto* ligne = reinterpret_cast<QRgb*>(image.scanLine(y));
            const uint32_t* source = ic.pixels.data() + static_cast<size_t>(y) * ic.largeur;
            for (int x = 0; x < ic.largeur; x++) ligne[x] = 0xff000000u | source[x];
        }
    }
    const QScreen* ecran = screen() ? screen() : QGuiApplication::primaryScreen();
    if (ajuste_ && ecran && !image.isNull()) {
        const QRect dispo = ecran->availableGeometry();
        // Room for the frame and the title bar.
        const QSize place(std::max(100, dispo.width() - 20), std::max(100, dispo.height() - 40));
        if (image.width() > place.width() || image.height() > place.height())
            image = image.scaled(place, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        ImgC->setPixmap(QPixmap::fromImage(image));
        ImgC->adjustSize();
        taille_ = image.size();
        move(dispo.topLeft());
        resize(std::max(100, taille_.width()), std::max(100, taille_.height()));
        return;
    }
    ImgC->setPixmap(QPixmap::fromImage(image));
    ImgC->adjustSize();
    if (image.size() == taille_ || image.isNull()) return;
    taille_ = image.size();
    QSize voulu = taille_;
    if (ecran) {
        const QRect dispo = ecran->availableGeometry();
        // Whole on the screen from where the window stands; scroll bars beyond.
        const QPoint coin = pos();
        voulu = voulu.boundedTo(QSize(dispo.right() - std::max(coin.x(), dispo.left()) - 20,
                                      dispo.bottom() - std::max(coin.y(), dispo.top()) - 40));
    }
    resize(std::max(100, voulu.width()), std::max(100, voulu.height()));
}

void TFImgC::Ajuste_ecran(bool oui)
{
    if (oui == ajuste_) return;
    ajuste_ = oui;
    taille_ = {0, 0};  // the next picture sizes the window again
}
