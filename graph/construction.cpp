#include "graph/construction.h"

#include "port/shell.h"
#include "vecto/arcs.h"
#include "graph/graphe.h"
#include "image/param.h"
#include "vecto/records.h"

void Commande_graphe()
{
    Efface_texte();
    // A rebuild replaces the graph: arcs of an earlier run would be doubled,
    // and could point at quadrilaterals the filter and the sorts free below.
    // Freed without a log line so the command's log stays as it always reads.
    Vide_graphe();
    Tri_vecteurs();
    Construit_graphe_VV();
    Signal_fin();
    const int seuil = Lit_param_entier("Seuil_LgQ");
    if (seuil != 0) Supprime_quads_courts(seuil);
    if (Nb_quads > 0) {
        Tri_quads();
        Construit_graphe_QQV();
    }
    Signal_fin();
}
