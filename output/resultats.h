// Result files: the text file, the GXL graph file and the listing.
#pragma once
#include <string>

#include "vecto/arcs.h"
#include "vecto/records.h"

// Each returns false when its file could not be created or written (after
// the message box); nothing is then written through the failed file.
bool Ecrit_resultats_texte(const std::string& chemin, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv);
// format 1: the matcher variant; anything else: the full variant.
bool Ecrit_graphe_gxl(const std::string& chemin, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv, int format);
// Both files of an analysis, the text file then the graph file, each
// reported as the two functions above do and in the same order; true for a
// file that now stands complete. Where a second thread is allowed the graph
// file is formatted on it while the text file is written.
struct Resultats_ecrits {
    bool texte = false, graphe = false;
};
Resultats_ecrits Ecrit_resultats_et_graphe(const std::string& texte, const std::string& graphe, Vecteur* v, Quad* q,
                                           CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv, int format);
// The nodes' numbering both files use: vectors then quadrilaterals, those of
// length 0 left out.
void Numerote_noeuds(Vecteur* v, Quad* q);
bool Ecrit_liste_vecto(const std::string& chemin, Vecteur* v, Quad* q, CC* cc);
