#include "vecto/vectorisation.h"

#include "app/core/shell.h"

void Commande_vectorisation()
{
    Ecrit_texte(1, "Vecto. Ok.");
    Signal_fin();
}
void Commande_pretraitement() { Signal_fin(); }
void Commande_contours() { Signal_fin(); }
void Commande_nettoyage_CC() { Signal_fin(); }
void Commande_axe_median() { Signal_fin(); }
