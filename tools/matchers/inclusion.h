// The asymmetric similarity: how much of a graph G1 is found in a graph G2.
#pragma once
#include <string>
#include <vector>

#include "tools/matchers/edition.h"
#include "tools/matchers/graphe_gxl.h"

// Weights and tolerances, read from the properties file (see properties.xml).
struct Proprietes {
    double poids_noeuds = 0.4;        // relative lengths of the paired nodes
    double poids_voisinage = 0.3;     // incident edges found, by Type and angle
    double poids_structure = 0.3;     // edges of G1 kept between the paired nodes
    double tolerance_longueur = 0.25; // RelLen difference at which a pair scores 0
    double tolerance_angle = 45;      // relA difference at which two edges score 0
    CoutsEdition couts;               // edit costs of auction and greedy
};

// Reads <property name="..." value="..."/> elements; unknown names are
// ignored. An unreadable file, or a value that is not a non-negative number,
// leaves the built-in value and adds a line to `avertissements`.
Proprietes Lit_proprietes(const std::string& chemin, std::vector<std::string>& avertissements);
// The edit costs for auction and greedy: from properties.xml in the
// directory of the program as it was started (`argv0`), the built-in ones
// when there is no such file; a bad value is reported on stderr.
CoutsEdition Couts_programme(const char* argv0);

// Nodes of G1 paired with nodes of G2 by an optimal assignment of
// per-node scores (length and neighbourhood); then the score mixes the mean
// pair score over all of G1 with the share of G1's edges whose ends map onto
// an edge of G2 (a full point for the same Type, half for another), and is
// multiplied by min(n1, n2) / max(n1, n2). Two empty graphs give 1.
double Similarite_inclusion(const GrapheG& g1, const GrapheG& g2, const Proprietes& p, std::vector<int>& image);
