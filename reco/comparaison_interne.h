// Recognition inside the analysis's own process: when the matcher program
// that would be run is this project's own, its measure is computed here with
// the same code, settings and limits, and gives the similarity and mapping
// line the program would have left in result.txt. Model graphs are read once
// per run.
#pragma once
#include <string>
#include <vector>

#include "tools/matchers/graphe_gxl.h"
#include "tools/matchers/inclusion.h"

// True when the matcher of `mode` (1 simgraph, 2 gsignature, 3 greedy, other
// auction) that the outside call would start is this project's own.
bool Apparieur_interne(int mode);
// The outside matcher program that recognition by `mode` would start, when
// one that is not this project's own is installed; empty otherwise. Asked
// without naming it (the groups' spotting never starts it).
std::string Apparieur_dehors_laisse(int mode);

struct ModeleLu {
    std::string nom;  // file name in the model directory
    GrapheG graphe;
};
// The models among `noms` (file names in `repertoire`) that can be compared,
// in the order given. Each file is read and checked once per run (again when
// it changes); one that is not a readable GXL graph, or that lies beyond the
// matchers' limits, is named once with the reason and left out.
std::vector<const ModeleLu*> Modeles_comparables(const std::string& repertoire, const std::vector<std::string>& noms);

// The settings the matcher program of `mode` would read: simgraph the
// properties file it is given, auction and greedy the one beside themselves
// (built-in values without it). Read again only when the file changes; its
// warnings are shown once.
const Proprietes& Reglages_interne(int mode);

// One comparison of `test` with `modele` by the matcher of `mode` with the
// settings `p`: the similarity as the outside call reads it back (six
// decimals), and in `appariement` its mapping line ("M = ..." and the line
// break, at most 799 characters). simgraph runs both ways and keeps the
// larger value, the second direction on equal values, as the outside call
// does.
double Compare_interne(int mode, const Proprietes& p, const GrapheG& test, const GrapheG& modele, std::string& appariement);

// Empty when the GXL file at `chemin` can be compared as a model, else why
// not (unreadable, or beyond the matchers' limits).
std::string Modele_hors_limites(const std::string& chemin);
