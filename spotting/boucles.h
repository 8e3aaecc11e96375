// Closed loops of corner arcs: a chain of quadrilaterals joined corner to
// corner that comes back to where it started, and that closes on the drawing,
// makes every side of the loop as good as its best one.
#pragma once
#include "vecto/arcs.h"
#include "vecto/records.h"

// Capacity of the loop search's level arrays and of a path.
constexpr int Taille_niveau = 200;

// Removes from Liste_arcs_QQ every arc joining the same two quadrilaterals
// as an earlier one (in either order), then sets numero and niveau of every
// quadrilateral of Liste_quads to 0. Returns 1.
int Supprime_doublons_arcs();
int Supprime_doublons_arcs_direct();  // pairwise comparison of the arcs

// Removes the duplicates, then searches a loop through every corner arc
// ('L', 'l') with a quadrilateral scoring above 0.5 and neither end in a
// loop already, and validates the loops found. Step-by-step mode shows each
// search on Plan2 and pauses.
void Recherche_boucles();

// Breadth-first search from qa back to qb along corner and continuation arcs
// ('L', 'l', '_', '~') without using A, at most 29 quadrilaterals deep. On
// success the loop is in chemin[0 .. n - 1] (qa first, qb last) and n is
// returned; 0 otherwise. Uses niveau and precedent of the quadrilaterals.
int Cherche_boucle(ArcQQ* A, Quad* qa, Quad* qb, Quad* chemin[Taille_niveau]);

// One quadrilateral q expanded into `suivant` (read up to its first empty
// entry, at most 199 held) at level `niveau`. Returns 2 when an arc leads to
// qb (qb then records the level and q); 0 at once, without looking at the
// arcs that follow, when qb was already reached at this level or before;
// otherwise 1 when neighbours were added, else 0.
int Etend_niveau(ArcQQ* A, Quad* q, Quad* suivant[Taille_niveau], int niveau, Quad* qb);
int Etend_niveau_direct(ArcQQ* A, Quad* q, Quad* suivant[Taille_niveau], int niveau, Quad* qb);

// A path chemin (Taille_niveau entries, read up to the first empty one) of n
// quadrilaterals closes on the drawing when each junction after the first
// lies under 50 pixels and crosses at most 10 white pixels of Plan1, back to
// the start. Then every quadrilateral of the path takes the best score of
// the path and numero n + 900, and 1 is returned; else 0, nothing changed.
int Valide_boucle(Quad* const chemin[], int n);

// Axis of a quadrilateral: from E1 = ((x1i + x2f) / 2, (y1i + y2f) / 2) to
// E2 = ((x1f + x2i) / 2, (y1f + y2i) / 2), truncating divisions.
struct Axe {
    int x1, y1, x2, y2;
};
Axe Axe_quad(const Quad& q);
