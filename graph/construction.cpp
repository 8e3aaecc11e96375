#include "graph/construction.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "port/shell.h"
#include "vecto/arcs.h"
#include "graph/graphe.h"
#include "graph/sources.h"
#include "graph/tables.h"
#include "image/fils.h"
#include "image/param.h"
#include "vecto/records.h"

namespace {

// A helper thread joined whatever happens to the calling one.
struct Aide {
    std::thread t;
    ~Aide()
    {
        if (t.joinable()) t.join();
    }
};

}  // namespace

void Commande_graphe(Preparation_vecteurs* prep)
{
    Efface_texte();
    // A rebuild replaces the graph: arcs of an earlier run would be doubled,
    // and could point at quadrilaterals the filter and the sorts free below.
    // Freed without a log line so the command's log stays as it always reads.
    Vide_graphe();
    const bool prepare = prep && prep->prete && prep->tete == Liste_vecteurs;
    Tables_vecteurs tv;
    if (prepare) {
        Tri_vecteurs_selon(prep->tv.vects, prep->nuls);
        tv = std::move(prep->tv);
        prep->prete = false;  // the list it was made from is gone
    } else {
        Tri_vecteurs();
        if (Liste_vecteurs) Tables_vecteurs_de(tv);
    }
    // With threads, the quadrilaterals the filter and the sort will keep and
    // the quadrilateral graph's indexes are made beside the vector graph,
    // which reads neither; its thresholds must then be read without a word,
    // as they are below.
    Tables_qqv qqv;
    bool pret = false;
    Aide aide;
    int seuil_net = 0, dist_net = 0;
    if (Mode_trace == 0 && Nombre_fils(std::max(static_cast<int>(tv.vects.size()), static_cast<int>(Nb_quads))) > 1
        && Lit_param_entier_net("Seuil_LgQ", seuil_net) && Lit_param_entier_net("distZI", dist_net)) {
        try {
            aide.t = Fil_aide([&] {
                try {
                    Prepare_qqv(qqv, tv, seuil_net, dist_net);
                    pret = true;
                } catch (const std::bad_alloc&) {
                    // made again below, after the sort
                }
            });
        } catch (const std::system_error&) {
        }
    }
    if (prepare) {
        Construit_graphe_VV(tv, &prep->index_vv, prep->dist_vv);
        prep->index_vv = Index_segments();  // not kept through the quadrilateral graph
    } else {
        Construit_graphe_VV(tv);
    }
    Signal_fin();
    if (aide.t.joinable()) aide.t.join();
    const int seuil = Lit_param_entier("Seuil_LgQ");
    if (pret && Filtre_et_tri_prepares(qqv, seuil)) {
        Construit_graphe_QQV(tv, &qqv);
    } else {
        if (seuil != 0) Supprime_quads_courts(seuil);
        if (Nb_quads > 0) {
            Tri_quads();
            Construit_graphe_QQV(tv, pret ? &qqv : nullptr);
        }
    }
    Signal_fin();
}
