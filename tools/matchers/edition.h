// Graph edit distance between two matcher graphs, approximated by an
// assignment of nodes (substitution, deletion, insertion), each node's cost
// including half of the cost of matching its incident edges.
#pragma once
#include <vector>

#include "tools/matchers/affectation.h"
#include "tools/matchers/graphe_gxl.h"

struct CoutsEdition {
    double wl = 8;    // per unit of RelLen difference
    double ce = 0.5;  // edge deletion or insertion
    double wt = 1;    // edge Type substitution
    double wa = 1;    // per 90 degrees of difference of mean relA, per same-Type edge pair
};

// The (n1 + n2) x (n1 + n2) matrix: substitutions top left (n1 x n2),
// deletion of node i at (i, n2 + i), insertion of node j at (n1 + j, j),
// zeros bottom right, every other pair forbidden.
Matrice Matrice_edition(const GrapheG& g1, const GrapheG& g2, const CoutsEdition& k);
// The node image (j or -1 per node of g1) of a complete assignment of the
// matrix's rows.
std::vector<int> Image_noeuds(const std::vector<int>& colonne, int n1, int n2);
// 1 - cost / (cost of deleting all of g1 and inserting all of g2), for the
// edit path given by the node image (the nodes of g2 left out are inserted);
// two empty graphs give 1.
double Similarite_edition(const Matrice& m, int n1, int n2, const std::vector<int>& image);
