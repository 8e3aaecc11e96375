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
bool Ecrit_liste_vecto(const std::string& chemin, Vecteur* v, Quad* q, CC* cc);
