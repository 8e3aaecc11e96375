#include "port/shell.h"
#include "image/param.h"
#include "image/planes.h"
#include "vecto/axe_median.h"
#include "vecto/contours.h"
#include "vecto/pretraitement.h"
#include "vecto/vectorisation.h"

void Commande_pretraitement()
{
    if (Plan_courant) Pretraitement(Lit_param_entier("Force_morpho"));
    Signal_fin();
}

void Commande_contours()
{
    if (Plan_courant) {
        Efface_P2();
        Suivi_contours();
    }
    Signal_fin();
}

// Works on the lists alone, so it needs no image.
void Commande_nettoyage_CC()
{
    const int s = Lit_param_entier("Seuil_petiteCC");
    const int m = Lit_param_entier("Seuil_petitV");
    Nettoyage_CC(s, m);
    Signal_fin();
}

void Commande_axe_median()
{
    if (Plan_courant) Axe_median();
    Signal_fin();
}
