// Vector-vector arcs.
#include <cstdio>
#include <new>
#include <vector>

#include "app/core/shell.h"
#include "graph/arcs.h"
#include "graph/graphe.h"
#include "graph/zone.h"
#include "image/param.h"
#include "image/planes.h"
#include "vecto/geometrie.h"

int Construit_graphe_VV()
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

    std::vector<Vecteur*> vects;
    std::vector<Element> ev;
    std::vector<Segment> sv;
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) {
        vects.push_back(v);
        ev.push_back(Element_vecteur(*v));
        sv.push_back({v->xf, v->yf, v->xi, v->yi});
    }
    Index_segments index;
    Index_construit(index, sv, dist);

    ArcVV* queue = Dernier(Liste_arcs_VV);
    std::vector<int> candidats;
    std::vector<int> table;

    for (size_t is = 0; is < vects.size(); is++) {
        Vecteur* V = vects[is];
        if (V->length == 0) continue;
        // Read at every source and after every pause, so the mode box ends a
        // step-by-step run at once.
        bool trace = Mode_trace == 1;
        const Element& es = ev[is];
        const Zone z = Zone_influence(es.xA, es.yA, es.xB, es.yB, dist);
        if (trace) {
            Efface_P2();
            Trace_ligne(es.xB, es.yB, es.xA, es.yA, 1);
            Trace_zone(z);
        }
        Index_candidats(index, z, static_cast<int>(is) + 1, candidats);
        const int n = Remplit_table(candidats, table);
        for (int place = 1; place <= n; place++) {
            Vecteur* C = vects[table[place]];
            const Element& ec = ev[table[place]];
            if (trace) Trace_ligne(ec.xA, ec.yA, ec.xB, ec.yB, 1);
            Relation r;
            int valeur = 0;
            int xr, yr;
            // Contact is tested on the segments in their tracing sense.
            if (Intersection_segments(V->xi, V->yi, V->xf, V->yf, C->xi, C->yi, C->xf, C->yf, xr, yr)) {
                const bool bout_v = (xr == V->xi && yr == V->yi) || (xr == V->xf && yr == V->yf);
                const bool bout_c = (xr == C->xi && yr == C->yi) || (xr == C->xf && yr == C->yf);
                if (bout_v && bout_c) {
                    r.type = Paralleles(V->angle, C->angle, p.angle_tl) ? 'S' : 'L';
                    valeur = 2;
                } else if (bout_v || bout_c) {
                    // Whichever ends on the other, the source comes first.
                    r.type = 'T';
                    valeur = 3;
                } else {
                    r.type = 'X';
                    valeur = 1;
                }
                if (trace) Ecrit_relation(" -%c*%d*%d ", r.type, 0, place);
            } else {
                r = Proximite_element_vecteur(es, ec, p, valeur);
                if (trace) Ecrit_proximite(r, place, Paralleles(es.dir, ec.dir, p.angle_tl));
            }
            if (r.type != '?') {
                ArcVV* a = new (std::nothrow) ArcVV;
                if (!a) {
                    Erreur_arc();
                } else {
                    a->V1 = r.premier ? C : V;
                    a->V2 = r.second ? C : V;
                    a->type = r.type;
                    a->score = 0.0;
                    queue = Ajoute_en_queue(Liste_arcs_VV, queue, a);
                    if (trace) Ecrit_texte(0, " - Creation d'un Arc ");
                }
            }
            if (trace) {
                Ecrit_type(valeur);
                Montre_et_attend(ec.xA, ec.yA);
                trace = Mode_trace == 1;
            }
        }
    }
    Ecrit_texte(1, " GrapheVV Ok. ");
    return 1;
}
