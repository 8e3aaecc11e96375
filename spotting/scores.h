// Scores of the quadrilateral graph: every quadrilateral-quadrilateral arc
// from its relation, angle and length ratio; every quadrilateral from the
// arcs around it and its own length; then the quadrilaterals by score.
#pragma once
#include "vecto/arcs.h"
#include "vecto/records.h"

// Vector arcs take no part in spotting: their scores become 0. Return 1.
int Raz_scores_arcs(ArcVV* tete);
int Raz_scores_arcs(ArcQV* tete);

// Arc score (w + a + r) / 3: w the type weight (P 1; T X _ t ~ 0.5; any
// other 0.25), a = |90 - d| / 90 with d the angle between the two ends, r the
// ratio of the shorter to the longer length. An arc with a missing end keeps
// its score but is counted in "* Nb d'arcs : ". Clears the log and Plan2
// first. Returns 1.
int Score_arcs(ArcQQ* tete);

// Quadrilateral score ((2m + d) + l) / 4: m the mean score of the arcs at
// the quadrilateral (an arc counted once per end it has there), d the degree
// weight (1 for 2 to 4 arcs, 0.25 for 1 or 5 and more, 0 for none), l the
// length term (0.015 L below 20, 1 up to 199, 50 / L beyond). A
// quadrilateral of length 0 gathers no arc (a pause in step-by-step mode).
// Returns 0 without a word when Nb_quads is 0, else 1.
int Score_quads(Quad* quads, ArcQQ* arcs);
int Score_quads_direct(Quad* quads, ArcQQ* arcs);  // scans the whole arc list per quadrilateral

// Reorders the list by decreasing score; equal scores come out in the reverse
// of their order. Returns 0 without a word when Nb_quads is 0, else 1.
int Tri_quads_score(Quad*& tete);
int Tri_quads_score_direct(Quad*& tete);  // the selection sort
