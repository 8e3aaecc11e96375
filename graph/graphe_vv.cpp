// Vector-vector arcs.
#include <cstdio>
#include <vector>

#include "port/shell.h"
#include "vecto/arcs.h"
#include "graph/graphe.h"
#include "graph/sources.h"
#include "graph/tables.h"
#include "graph/zone.h"
#include "image/param.h"
#include "image/planes.h"
#include "vecto/geometrie.h"

namespace {

struct Issue {
    Relation r;
    int valeur = 0;
    bool contact = false;
};

// Read from the elements only (a vector's element holds its ends, B the
// start and A the end, and its angle), not from the records, which a large
// drawing scatters over memory.
Issue Relation_vv(const Element& es, const Element& ec, const Seuils& p)
{
    Issue i;
    int xr, yr;
    // Contact is tested on the segments in their tracing sense.
    i.contact = Intersection_segments(es.xB, es.yB, es.xA, es.yA, ec.xB, ec.yB, ec.xA, ec.yA, xr, yr);
    if (!i.contact) {
        i.r = Proximite_element_vecteur(es, ec, p, i.valeur);
        return i;
    }
    const bool bout_v = (xr == es.xB && yr == es.yB) || (xr == es.xA && yr == es.yA);
    const bool bout_c = (xr == ec.xB && yr == ec.yB) || (xr == ec.xA && yr == ec.yA);
    if (bout_v && bout_c) {
        i.r.type = Paralleles(es.dir, ec.dir, p.angle_tl) ? 'S' : 'L';
        i.valeur = 2;
    } else if (bout_v || bout_c) {
        // Whichever ends on the other, the source comes first.
        i.r.type = 'T';
        i.valeur = 3;
    } else {
        i.r.type = 'X';
        i.valeur = 1;
    }
    return i;
}

ArcVV* Arc_vv(ArcVV*& queue, Vecteur* V, Vecteur* C, const Relation& r)
{
    return Nouvel_arc(Liste_arcs_VV, queue, r.type, [&](ArcVV& a) {
        a.V1 = r.premier ? C : V;
        a.V2 = r.second ? C : V;
    });
}

}  // namespace

int Construit_graphe_VV()
{
    Tables_vecteurs tv;
    if (Liste_vecteurs) Tables_vecteurs_de(tv);
    return Construit_graphe_VV(tv);
}

int Construit_graphe_VV(const Tables_vecteurs& tv, Index_segments* index_pret, int dist_index)
{
    const int dist = Lit_param_entier("distZI_Vect");
    Seuils p;
    p.angle_tp = Lit_param_entier("Angle_TP");
    p.angle_tl = Lit_param_entier("Angle_TL");
    p.seuil_trou = Lit_param_entier("Seuil_Trou");
    char ligne[64];
    std::snprintf(ligne, sizeof ligne, "* Constr. du Graphe (%d)...", dist);
    Ecrit_texte(1, ligne);
    if (!Liste_vecteurs) return 0;

    const std::vector<Vecteur*>& vects = tv.vects;
    const std::vector<Element>& ev = tv.ev;
    Index_segments propre;
    if (!index_pret || dist_index != dist) Index_construit(propre, tv.sv, dist);
    Index_segments& index = index_pret && dist_index == dist ? *index_pret : propre;

    ArcVV* queue = Dernier(Liste_arcs_VV);
    std::vector<int> candidats;
    std::vector<int> table;
    const int nv = static_cast<int>(vects.size());
    std::vector<Passe> passes;

    // The arcs of source is, from its pass when it was worked out ahead.
    auto cree = [&](int is, bool fait) {
        Vecteur* V = vects[static_cast<size_t>(is)];
        if (ev[static_cast<size_t>(is)].len == 0) return;
        // Read at every source and after every pause, so the mode box ends a
        // step-by-step run at once.
        bool trace = Mode_trace == 1;
        if (!trace && fait) {
            const Passe& passe = passes[static_cast<size_t>(is)];
            for (int b = 0; b < passe.bips; b++) Signal_fin();
            for (const Trouve& t : passe.arcs) Arc_vv(queue, V, vects[static_cast<size_t>(t.candidat)], t.r);
            return;
        }
        const Element& es = ev[static_cast<size_t>(is)];
        const Zone z = Zone_influence(es.xA, es.yA, es.xB, es.yB, dist);
        if (trace) {
            Efface_P2();
            Trace_ligne(es.xB, es.yB, es.xA, es.yA, 1);
            Trace_zone(z);
        }
        Index_candidats(index, z, is + 1, candidats);
        const int n = Remplit_table(candidats, table);
        for (int place = 1; place <= n; place++) {
            Vecteur* C = vects[table[place]];
            const Element& ec = ev[table[place]];
            if (trace) Trace_ligne(ec.xA, ec.yA, ec.xB, ec.yB, 1);
            const Issue i = Relation_vv(es, ec, p);
            if (trace) {
                if (i.contact) Ecrit_relation(" -%c*%d*%d ", i.r.type, 0, place);
                else Ecrit_proximite(i.r, place, Paralleles(es.dir, ec.dir, p.angle_tl));
            }
            if (i.r.type != '?' && Arc_vv(queue, V, C, i.r) && trace) Ecrit_texte(0, " - Creation d'un Arc ");
            if (trace) {
                Ecrit_type(i.valeur);
                Montre_et_attend(ec.xA, ec.yA);
                trace = Mode_trace == 1;
            }
        }
    };

    // Without the step-by-step display, the relations are worked out on
    // several threads while the arcs are created in order.
    const int fils = Mode_trace == 1 ? 1 : Nombre_fils(nv);
    if (fils > 1) {
        passes.resize(vects.size());
        std::vector<Marques> marques(fils);
        std::vector<std::vector<int>> cand(fils), tab(fils);
        auto calcule = [&](int is, int fil) {
            if (ev[is].len == 0) return;
            const Element& es = ev[is];
            const Zone z = Zone_influence(es.xA, es.yA, es.xB, es.yB, dist);
            Index_candidats(index, marques[fil], z, is + 1, cand[fil]);
            const int n = Remplit_table_muette(cand[fil], tab[fil], passes[is].bips);
            for (int place = 1; place <= n; place++) {
                const int ic = tab[fil][place];
                const Issue i = Relation_vv(es, ev[ic], p);
                if (i.r.type != '?') passes[is].arcs.push_back({ic, i.r});
            }
        };
        Pour_chaque_source(nv, fils, calcule, cree);
    } else {
        for (int is = 0; is < nv; is++) cree(is, false);
    }
    Ecrit_texte(1, " GrapheVV Ok. ");
    return 1;
}
