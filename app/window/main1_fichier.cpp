// "&File": open, close, save Plan2, batch processing, information.
#include <QDir>

#include <cerrno>
#include <cstring>

#include <QFileInfo>
#include <QLabel>

#include "app/window/fimgc.h"
#include "app/window/image_w1.h"
#include "app/window/main1.h"
#include "app/window/main1_outils.h"
#include "batch/batch.h"
#include "draw/image_couleur.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "image/planes.h"

namespace {
const char* const kFiltreBmp = "Images BMP (*.bmp)";
// The batch's own entry, and a second one (shown first) that also takes the
// other formats the converter reads.
const char* const kFiltreLot = "Fichiers Images  (*.bmp *.tif *.jpg)";
const char* const kFiltreLotTous = "Fichiers Images (*.bmp *.tif *.tiff *.jpg *.jpeg *.png *.gif)";
}  // namespace

QStringList Filtres_ouverture()
{
    // Every format the converter reads first, shown by default.
    return {"All images (*.bmp *.tif *.tiff *.jpg *.jpeg *.png *.gif)", "Images BMP (*.bmp)", "Images JPG (*.jpg *.jpeg)",
            "Images GIF (*.gif)", "Images TIF (*.tif *.tiff)", "Images PNG (*.png)"};
}

void TMain1::Ouvrir1Click()
{
    Rep_courant = Chemin_local(QDir::currentPath());
    const QStringList choix = interactions_->Fichiers_a_ouvrir(this, ouverture_);
    if (choix.isEmpty()) return;
    // The next dialog opens where this one was left.
    ouverture_.repertoire = QFileInfo(choix.front()).absolutePath();
    if (Ouvre_image(Chemin_local(choix.front()))) {
        // The colour picture belongs to the image: white, at the new size.
        Image_couleur = {};
        Efface_couleur();
        FImgC().Rafraichit();
    }
    Repeint();
}

void TMain1::Fermer1Click()
{
    Ferme_image();
    CycleL1->setText("Cycle : 1");
    Repeint();
}

void TMain1::SauverP21Click()
{
    const QString chemin = interactions_->Fichier_a_enregistrer(this, "plan2", kFiltreBmp);
    if (chemin.isEmpty() || !Plan_courant) return;
    if (!Sauve_P2(Chemin_local(chemin))) {
        const int e = errno;
        Message_erreur("Ouverture " + Chemin_local(chemin) + " impossible !" + (e ? "\n" + std::string(std::strerror(e)) : ""));
        return;
    }
    Signal_fin();
}

void TMain1::OuvrirLot1Click()
{
    Commande_longue(::OuvrirLot1Click);
    lot_total_ = 0;
    const EtatProgression& p = Progression();
    Affiche_progression(p.minimum, p.maximum, p.position, p.visible);
    Repeint();
}

void TMain1::Image_lot_faite(int faites, int total)
{
    lot_total_ = 0;
    Affiche_progression(0, total, faites, true);
    lot_total_ = total;
}

bool TMain1::Choisit_images(std::vector<std::string>& fichiers)
{
    // The dialog keeps these settings: the next Open shows the same filter.
    ouverture_.filtres = {kFiltreLot, kFiltreLotTous};
    ouverture_.index = 2;
    ouverture_.multiple = true;
    const QStringList choix = interactions_->Fichiers_a_ouvrir(this, ouverture_);
    if (choix.isEmpty()) return false;
    ouverture_.repertoire = QFileInfo(choix.front()).absolutePath();
    fichiers.clear();
    for (const QString& c : choix) fichiers.push_back(Chemin_local(c));
    Image_lot_faite(0, static_cast<int>(fichiers.size()));
    return true;
}

void TMain1::Information1Click() { Information(); }
