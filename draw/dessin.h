// Drawing the primitives, arcs and symbols on Plan2. Each takes the head of
// its list and returns 1 (the quadrilateral drawings return 0 at once when
// Nb_quads is 0). Everything is drawn in black with Trace_ligne, which leaves
// out the end pixel of each segment. In trace mode (Mode_trace 1) the
// drawings scroll Plan2 to each record and wait in Pause_go.
#pragma once
#include <string>

#include "vecto/arcs.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

int Dessin_CC(CC* tete);
int Dessin_vecteurs(Vecteur* tete);
int Dessin_quads(Quad* tete);
// Asks two bounds (and the relation type below); Cancel draws nothing.
int Dessin_quads_bornes(Quad* tete);
int Dessin_axes(Quad* tete);
int Dessin_arcs_QQ(ArcQQ* tete);
int Dessin_arcs_VV(ArcVV* tete);
int Dessin_arcs_QV(ArcQV* tete);
int Dessin_arcs_selectif(ArcQQ* tete);
int Dessin_symboles(Symbole* tete);
// "Complete Graph": the three arc lists one after the other, then the end beep.
void Dessin_graphe_complet();

// ---- Shared by the drawings (Plan2, colour picture, SVG) -------------------
struct Point { int x = 0, y = 0; };
// The axis of a quadrilateral: E1 = ((x1i + x2f) / 2, (y1i + y2f) / 2),
// E2 = ((x1f + x2i) / 2, (y1f + y2i) / 2), divisions truncating toward zero.
void Axe_quad(const Quad& q, Point& e1, Point& e2);
// Brings Plan2 on screen with (x, y) about 150 pixels from its top-left
// corner, never scrolling before (1, 1).
// How many points of a symbol's outline can be read (nb_points within 0..20).
int Points_symbole(const Symbole& s);
