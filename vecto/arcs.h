// Graph arcs: relations between two primitives, one character each.
// X crossing, T junction, L corner, _ parallel overlap, S parallel end
// contact, ~ continuation, P side by side, t junction across a gap, l corner
// across a gap. Arcs refer to their primitives and own nothing. The graph
// stage builds them; their lists live here, beside the primitives, because
// vectorisation must free them when it changes what they point at.
#pragma once
#include "vecto/records.h"

struct ArcQQ {
    Quad* Q1 = nullptr;
    Quad* Q2 = nullptr;
    char type = '?';
    double score = 0.0;
    ArcQQ* suivant = nullptr;
    TM_RESERVE(ArcQQ)
};

struct ArcVV {
    Vecteur* V1 = nullptr;
    Vecteur* V2 = nullptr;
    char type = '?';
    double score = 0.0;
    ArcVV* suivant = nullptr;
    TM_RESERVE(ArcVV)
};

struct ArcQV {
    Quad* Q1 = nullptr;      // always the quadrilateral
    Vecteur* V2 = nullptr;   // always the vector
    char type = '?';
    double score = 0.0;
    ArcQV* suivant = nullptr;
    TM_RESERVE(ArcQV)
};

extern ArcQQ* Liste_arcs_QQ;
extern ArcVV* Liste_arcs_VV;
extern ArcQV* Liste_arcs_QV;

// Frees the three arc lists without a word, before the graph is rebuilt or
// the primitives it points at are changed.
void Vide_graphe();
// The Raz commands: each list emptied with its log line (see Raz_liste).
void Raz_arcs_QQ(ArcQQ* tete);
void Raz_arcs_VV(ArcVV* tete);
void Raz_arcs_QV(ArcQV* tete);
// The three arc lists emptied with their log lines, heads set to null.
void Raz_graphe();
