// Drawing the primitives, arcs and symbols on Plan2. Each takes the head of
// its list and returns 1 (the quadrilateral drawings return 0 at once when
// Nb_quads is 0).
#pragma once
#include "graph/arcs.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

int Dessin_CC(CC* tete);
int Dessin_vecteurs(Vecteur* tete);
int Dessin_quads(Quad* tete);
int Dessin_quads_bornes(Quad* tete);
int Dessin_axes(Quad* tete);
int Dessin_arcs_QQ(ArcQQ* tete);
int Dessin_arcs_VV(ArcVV* tete);
int Dessin_arcs_QV(ArcQV* tete);
int Dessin_arcs_selectif(ArcQQ* tete);
int Dessin_symboles(Symbole* tete);
