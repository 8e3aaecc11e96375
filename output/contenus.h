// The bodies of the text and GXL result files, for the writers of output/.
#pragma once
#include <atomic>

#include "output/ecriture.h"
#include "vecto/arcs.h"
#include "vecto/records.h"

// `numerote`: each node's number is stored in its numero as it is written;
// otherwise the numbers are already there (Numerote_noeuds) and only read.
void Contenu_resultats_texte(Sortie_resultat& s, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv,
                             bool numerote);
// `arcs_prets`, when given: the arcs are written once it is set (their
// types being rewritten meanwhile on another thread).
void Contenu_graphe_gxl(Sortie_resultat& s, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv, int format,
                        bool numerote, const std::atomic<bool>* arcs_prets = nullptr);
