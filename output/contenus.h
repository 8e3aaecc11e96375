// The bodies of the text and GXL result files, for the writers of output/.
#pragma once
#include "output/ecriture.h"
#include "vecto/arcs.h"
#include "vecto/records.h"

// `numerote`: each node's number is stored in its numero as it is written;
// otherwise the numbers are already there (Numerote_noeuds) and only read.
void Contenu_resultats_texte(Sortie_resultat& s, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv,
                             bool numerote);
void Contenu_graphe_gxl(Sortie_resultat& s, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv, int format,
                        bool numerote);
