#include "draw/dessin.h"

// Placeholder until the drawings land.
int Dessin_CC(CC*) { return 1; }
int Dessin_vecteurs(Vecteur*) { return 1; }
int Dessin_quads(Quad*) { return 0; }
int Dessin_quads_bornes(Quad*) { return 0; }
int Dessin_axes(Quad*) { return 0; }
int Dessin_arcs_QQ(ArcQQ*) { return 1; }
int Dessin_arcs_VV(ArcVV*) { return 1; }
int Dessin_arcs_QV(ArcQV*) { return 1; }
int Dessin_arcs_selectif(ArcQQ*) { return 1; }
int Dessin_symboles(Symbole*) { return 1; }
