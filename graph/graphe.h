// Construction of the relation graph from the sorted primitive lists.
#pragma once

// Quadrilateral-quadrilateral and quadrilateral-vector arcs; 0 without a
// word when Nb_quads is 0, else 1.
int Construit_graphe_QQV();
// Vector-vector arcs; 0 after its first log line when there is no vector.
int Construit_graphe_VV();
