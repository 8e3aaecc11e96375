// The graphs handed to the matchers: GXL files as the analysis writes them
// for matching (quadrilateral nodes with RelLen, edges with relA and Type).
// Shared by the four matcher programs.
#pragma once
#include <string>
#include <vector>

struct NoeudG {
    std::string id;
    double rellen = 0;  // length relative to the longest stroke, 0 when absent
};

struct AreteG {
    int de = 0, vers = 0;  // node indices
    double rela = 0;       // angle between the two strokes, 0..90; 0 when absent
    char type = '?';       // relation letter in upper case; '?' when absent
};

struct GrapheG {
    std::vector<NoeudG> noeuds;
    std::vector<AreteG> aretes;
};

// Reads the first graph of a GXL file. Attributes other than RelLen, relA and
// Type are ignored; a missing one keeps the neutral value above. Returns an
// empty text on success, otherwise what is wrong (unreadable file, not XML,
// no graph, a node without id, an edge to an unknown node, a value that is
// not a number or beyond Valeur_max_gxl), and `g` is then left empty.
constexpr double Valeur_max_gxl = 1e6;
std::string Lit_graphe_gxl(const std::string& chemin, GrapheG& g);

// The mapping line's body: "n0>n3 n1>n0 n2>-", one pair per node of g1 in
// file order; image[i] is the index of the node of g2 or -1.
std::string Texte_appariement(const GrapheG& g1, const GrapheG& g2, const std::vector<int>& image);

// Writes ./result.txt: "S = " and the similarity with six decimals, then
// "M = " and the mapping. False (and no file left) when it cannot be written.
bool Ecrit_resultat(double similarite, const std::string& appariement);

// Per node, the incident edges counted by relation type, with the sum of
// their angles (a self-loop counts at both of its ends).
struct Voisinage {
    std::vector<int> nombre;    // by type index
    std::vector<double> somme;  // sum of relA by type index
    int degre = 0;
};
// The relation letters met in either graph, in increasing order, and the
// neighbourhood of every node of g over that list.
std::vector<char> Types_communs(const GrapheG& g1, const GrapheG& g2);
std::vector<Voisinage> Voisinages(const GrapheG& g, const std::vector<char>& types);

// Shared entry of the four programs: checks the command line, reads both
// graphs, calls `mesure` and writes result.txt. Exit 0 when written, 2 for a
// wrong command line, 1 for unreadable input or an unwritable answer, 3 for a
// graph beyond the limits of Hors_limites (mesures.h: nodes, edges, edges
// between one pair of nodes). The only argument
// --identify prints the program's Identite_programme line and exits 0; the
// program's name is the first word of `usage`.
using Mesure = double (*)(const GrapheG& g1, const GrapheG& g2, const std::vector<std::string>& extra,
                          std::vector<int>& image);
int Main_apparieur(int argc, char** argv, const char* usage, int nb_extra, Mesure mesure);
