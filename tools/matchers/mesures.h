// The four measures as the matcher programs compute them, shared by the
// programs and by recognition run inside the analysis's own process, with
// the limits both apply to the graphs they compare.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "tools/matchers/graphe_gxl.h"
#include "tools/matchers/inclusion.h"
#include "port/identite.h"

enum class Apparieur { simgraph, gsignature, greedy, auction };
const char* Nom_apparieur(Apparieur a);

// Similarity of g1 to g2 in [0, 1] and the node image (the node of g2 of
// each node of g1, or -1). `p` holds simgraph's weights and tolerances and
// the edit costs of greedy and auction; gsignature uses none of them.
double Mesure_apparieur(Apparieur a, const GrapheG& g1, const GrapheG& g2, const Proprietes& p, std::vector<int>& image);

// Graphs beyond these limits are refused: the measures grow with the
// product of the node counts (simgraph and auction also with its square or
// cube) and with the square of the edges met at one node. The largest real
// graphs (the corpus symbols' models, 78 nodes; the spotting's candidates on
// the corpus pages and drawings, 218 nodes, one edge per pair of nodes) stay
// far below them; two graphs at the node limit take simgraph about 5 s and
// 90 MB per direction.
constexpr int Noeuds_max_apparieur = 1000;
constexpr int Aretes_max_apparieur = 10000;
constexpr int Aretes_paire_max_apparieur = 16;
// Empty when g is within the limits, else what is beyond them.
std::string Hors_limites(const GrapheG& g);
