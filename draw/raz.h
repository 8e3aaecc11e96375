// Emptying the global lists. Each frees every record of the list it is given,
// writes its text on a new line and the count on the same line; the caller
// sets the head to null afterwards.
#pragma once
#include "graph/arcs.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

void Raz_vecteurs(Vecteur* tete);
void Raz_quads(Quad* tete);  // also sets Nb_quads to 0
void Raz_CC(CC* tete);
void Raz_symboles(Symbole* tete);
void Raz_arcs_QQ(ArcQQ* tete);
void Raz_arcs_VV(ArcVV* tete);
void Raz_arcs_QV(ArcQV* tete);
// The three arc lists emptied, heads set to null (before a rebuild).
void Raz_graphe();
