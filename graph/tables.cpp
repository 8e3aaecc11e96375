#include "graph/tables.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

void Elements_quads(Tables_qqv& t)
{
    t.eq.clear();
    t.sq.clear();
    t.eq.reserve(t.quads.size());
    t.sq.reserve(t.quads.size());
    for (const Quad* q : t.quads) {
        t.eq.push_back(Element_quad(*q));
        t.sq.push_back({t.eq.back().xA, t.eq.back().yA, t.eq.back().xB, t.eq.back().yB});
    }
}

void Index_qqv(Tables_qqv& t, const Tables_vecteurs& tv, int dist)
{
    t.dist = dist;
    Index_construit(t.index_q, std::move(t.sq), dist);
    Index_construit(t.index_v, tv.sv, dist);
}

// Emptied and sized at once for n vectors (grown by doubling, the tables
// would take fresh memory for dropped copies).
void Vide_tables(Tables_vecteurs& t, size_t n)
{
    t.vects.clear();
    t.ev.clear();
    t.sv.clear();
    t.vects.reserve(n);
    t.ev.reserve(n);
    t.sv.reserve(n);
}

void Ajoute(Tables_vecteurs& t, Vecteur* v)
{
    t.vects.push_back(v);
    t.ev.push_back(Element_vecteur(*v));
    t.sv.push_back({v->xf, v->yf, v->xi, v->yi});
}

}  // namespace

void Tables_vecteurs_de(Tables_vecteurs& t)
{
    size_t n = 0;
    for (const Vecteur* v = Liste_vecteurs; v; v = v->suivant) n++;
    Vide_tables(t, n);
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) Ajoute(t, v);
}

void Prepare_vecteurs(Preparation_vecteurs& p, int dist_vv)
{
    p.prete = false;
    try {
        // The sort's: those of length 0 out, the rest by length.
        p.nuls.clear();
        const std::vector<Vecteur*> ordre = Par_longueur(Liste_vecteurs, [&](Vecteur& r) {
            if (r.length != 0) return true;
            p.nuls.push_back(&r);
            return false;
        });
        Vide_tables(p.tv, ordre.size());
        for (Vecteur* r : ordre) Ajoute(p.tv, r);
        p.dist_vv = dist_vv;
        Index_construit(p.index_vv, p.tv.sv, dist_vv);
        p.tete = Liste_vecteurs;
        p.prete = true;
    } catch (const std::bad_alloc&) {
        // made by the graph command itself
    }
}

void Prepare_qqv(Tables_qqv& t, const Tables_vecteurs& tv, int seuil, int dist)
{
    // The filter of the short ones, then the sort's: those of length 0 out,
    // the rest by length.
    t.tete = Liste_quads;
    t.seuil = seuil;
    t.courts.clear();
    t.nuls.clear();
    t.quads = Par_longueur(Liste_quads, [&t, seuil](Quad& q) {
        if (seuil != 0 && q.length < seuil) {
            t.courts.push_back(&q);
            return false;
        }
        if (q.length != 0) return true;
        t.nuls.push_back(&q);
        return false;
    });
    Elements_quads(t);
    Index_qqv(t, tv, dist);
}

bool Filtre_et_tri_prepares(const Tables_qqv& t, int seuil)
{
    if (t.tete != Liste_quads || t.seuil != seuil || Nb_quads - static_cast<int64_t>(t.courts.size()) <= 0) return false;
    for (Quad* q : t.courts) delete q;
    Nb_quads -= static_cast<int32_t>(t.courts.size());
    Tri_quads_selon(t.quads, t.nuls);
    return true;
}

void Tables_qqv_de(Tables_qqv& t, const Tables_vecteurs& tv, int dist)
{
    // Sized at once: grown by doubling, the tables would take fresh memory
    // (at A0 some megabytes) for copies dropped at once.
    size_t n = 0;
    for (const Quad* q = Liste_quads; q; q = q->suivant) n++;
    t.quads.clear();
    t.quads.reserve(n);
    for (Quad* q = Liste_quads; q; q = q->suivant) t.quads.push_back(q);
    Elements_quads(t);
    Index_qqv(t, tv, dist);
}
