// Placeholders until each stage lands; each stage's own file replaces its part.
#include "vecto/axe_median.h"
#include "vecto/contours.h"
#include "vecto/fusion_quads.h"
#include "vecto/fusion_vecteurs.h"
#include "vecto/pretraitement.h"
#include "vecto/quads.h"

void Pretraitement(int) {}
void Lissage() {}
void Dilatation() {}
void Erosion() {}
void Suivi_contours() {}
int Norme_virage(int d) { return d; }
int Fusion_chaines() { return 0; }
void Nettoyage_CC(int, int) {}
void Axe_median() {}
#include "app/core/shell.h"
#include "vecto/vectorisation.h"
void Commande_pretraitement() { Signal_fin(); }
void Commande_contours() { Signal_fin(); }
void Commande_nettoyage_CC() { Signal_fin(); }
void Commande_axe_median() { Signal_fin(); }
