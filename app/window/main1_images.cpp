// "&Images": zoom, Plan2, the colour window; and the "Plan1/2" button.
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <cstdlib>

#include "app/window/fimgc.h"
#include "app/window/image_w1.h"
#include "app/window/main1.h"
#include "app/window/main1_outils.h"
#include "draw/commandes_couleur.h"
#include "image/planes.h"

// The view is painted from Plan1 or Plan2 at the scale of the zoom level, so
// what a command draws shows at once, zoomed.
void TMain1::Zoom_vers(int niveau)
{
    const QPoint centre(ImageW1_->width() / 2, ImageW1_->height() / 2);
    const QPoint point = ImageW1_->Point_plan(centre);
    Niveau_zoom = niveau;
    Plan_courant = Etat_affichage == 2 ? &Plan2 : &Plan1;
    ImageW1_->Place(point, centre);
}

void TMain1::ZoomOut1Click()
{
    if (!Plan_courant || Etat_affichage == 3) return;
    // Past the level where the whole plane is one pixel, nothing is left to reduce.
    if (ImageW1::Taille_affichee() == QSize(1, 1) && Niveau_zoom > 0) {
        Signal_fin();
        return;
    }
    Zoom_vers(Niveau_zoom + 1);
}

void TMain1::ZoomIn1Click()
{
    if (!Plan_courant || Etat_affichage == 3) return;
    if (Niveau_zoom < -4) {
        Signal_fin();
        return;
    }
    Zoom_vers(Niveau_zoom - 1);
}

void TMain1::Ajuste1Click()
{
    if (!Plan_courant || Etat_affichage == 3) return;
    // The bars go when the plane fits: the level is for the whole area.
    ImageW1_->HorzScrollBar->hide();
    ImageW1_->VertScrollBar->hide();
    Niveau_zoom = ImageW1_->Niveau_ajuste();
    Plan_courant = Etat_affichage == 2 ? &Plan2 : &Plan1;
    ImageW1_->Raz_barres();
}

void TMain1::EffacerP21Click()
{
    Supprime_plan2();
    Repeint();
}

void TMain1::CopieP2P11Click()
{
    Commande_repeinte(Copie_P2_P1);
}

void TMain1::Montre_couleur(bool modal)
{
    TFImgC& f = FImgC();
    f.Rafraichit();
    if (!modal) return;
    // Opened on the picture's top-left corner, whatever was scrolled before.
    f.Defilement->horizontalScrollBar()->setValue(0);
    f.Defilement->verticalScrollBar()->setValue(0);
    // The first time over the main window; afterwards where the user left it.
    // A picture shown whole stands at the screen's top-left.
    if (!f.Ajuste() && !f.property("placee").toBool()) {
        Centre_sur_fenetre(f);
        f.setProperty("placee", true);
    }
    interactions_->Execute_fimgc(f);
}

void TMain1::AfficheCouleur1Click() { Commande_affiche_couleur(); }
void TMain1::EffaceCouleur1Click() { Commande_efface_couleur(); }
void TMain1::SauveCouleur1Click() { Commande_sauve_couleur(); }

void TMain1::Plan2_1Click()
{
    if (!Plan_courant || (Etat_affichage != 1 && Etat_affichage != 2)) return;
    Etat_affichage = Etat_affichage == 1 ? 2 : 1;
    // The zoom level stays; the view shows the other plane at it.
    Plan_courant = Etat_affichage == 1 ? &Plan1 : &Plan2;
    Label1->setText(Etat_affichage == 1 ? "Plan 1" : "Plan 2");
    Repeint();
}
