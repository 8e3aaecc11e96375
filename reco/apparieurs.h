// Calls of the outside graph matchers. Each compares ./G1.gxl with ./G2.gxl
// and leaves its answer in ./result.txt (first line "S = " and the
// similarity, second line the node mapping).
#pragma once
#include <string>
#include <string_view>

// The number at index `debut` of `texte`: the longest run of digits and '.'
// there, at most 19 characters, read as a decimal; an empty run gives 0.
double Lit_nombre(int debut, std::string_view texte);

// Each returns the similarity, or -255 after "Ouverture impossible" when the
// answer could not be read (matcher missing, failed, or killed after the
// time limit). simgraph runs both ways and gives the larger value; its
// result.txt is then the answer of that direction.
double Appel_simgraph();
double Appel_gsignature();
double Appel_greedy();
double Appel_auction();

// Where a matcher program or its settings file is taken from:
// Rep_travail + "/simgraph/" + nom when it exists, else the simgraph
// directory beside the running program.
std::string Chemin_apparieur(const std::string& nom);
// Seconds a matcher may run: TRACEMORPH_MATCHER_TIMEOUT when it holds a
// positive number, else 60.
double Delai_apparieur();
