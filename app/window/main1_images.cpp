// "&Images": zoom, Plan2, the colour window; and the "Plan1/2" button.
#include <QLabel>

#include <cstdlib>

#include "app/window/fimgc.h"
#include "app/window/image_w1.h"
#include "app/window/main1.h"
#include "app/window/main1_outils.h"
#include "draw/commandes_couleur.h"
#include "image/planes.h"
#include "image/zoom.h"

void TMain1::Zoom_depuis_source(int facteur)
{
    Construit_zoom(Etat_affichage == 2 ? Plan2 : Plan1, facteur);
    Plan_courant = &Plan_zoom;
}

void TMain1::ZoomOut1Click()
{
    if (!Plan_courant || Etat_affichage == 3) return;
    Niveau_zoom++;
    if (Niveau_zoom != 0) Zoom_depuis_source(std::abs(Niveau_zoom) + 1);
    else Plan_courant = Etat_affichage == 2 ? &Plan2 : &Plan1;
    ImageW1_->Raz_barres();
}

void TMain1::ZoomIn1Click()
{
    if (!Plan_courant || Etat_affichage == 3) return;
    if (Niveau_zoom < -4) {
        Signal_fin();
        return;
    }
    Niveau_zoom--;
    Zoom_depuis_source(std::abs(Niveau_zoom) + 1);
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
    if (modal) interactions_->Execute_fimgc(f);
}

void TMain1::AfficheCouleur1Click() { Commande_affiche_couleur(); }
void TMain1::EffaceCouleur1Click() { Commande_efface_couleur(); }
void TMain1::SauveCouleur1Click() { Commande_sauve_couleur(); }

void TMain1::Plan2_1Click()
{
    if (!Plan_courant || (Etat_affichage != 1 && Etat_affichage != 2)) return;
    Etat_affichage = Etat_affichage == 1 ? 2 : 1;
    Plan_courant = Etat_affichage == 1 ? &Plan1 : &Plan2;
    if (Niveau_zoom != 0) {
        Construit_zoom(*Plan_courant, std::abs(Niveau_zoom) + 1);
        Plan_courant = &Plan_zoom;
    }
    Label1->setText(Etat_affichage == 1 ? "Plan 1" : "Plan 2");
    Repeint();
}
