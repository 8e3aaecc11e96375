// Graph signatures: histograms and counts compared without any matching.
#pragma once
#include <vector>

#include "tools/matchers/graphe_gxl.h"

struct Signature {
    std::vector<double> longueurs;  // RelLen in 10 bins over [0, 1], normalised
    std::vector<double> types;      // edges by relation letter (X T L S P other), normalised
    std::vector<double> angles;     // relA in 9 bins of 10 degrees, normalised
    int noeuds = 0, aretes = 0;
};

Signature Signature_graphe(const GrapheG& g);
// 1 - the weighted L1 distance of the two signatures, in [0, 1]: each
// histogram distance is half the L1 norm (1 when only one side is empty),
// each count distance |a - b| / max(a, b); weights 0.3 lengths, 0.25 types,
// 0.2 angles, 0.15 nodes, 0.1 edges.
double Similarite_signatures(const Signature& a, const Signature& b);
// The signature gives no node mapping; nodes are paired by rank of RelLen
// (the longest with the longest...), which is what the histograms compare.
std::vector<int> Appariement_par_rang(const GrapheG& g1, const GrapheG& g2);
