// Quadrilateral-quadrilateral and quadrilateral-vector arcs.
#include <cmath>
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
#include "vecto/ecarts.h"
#include "vecto/geometrie.h"

namespace {

struct Cote {
    int x1, y1, x2, y2;
};

// Long sides 1 and 2, end sides A and B.
struct Contour {
    Cote c1, c2, a, b;
};

Contour Contour_quad(const Quad& q)
{
    return {{q.x1i, q.y1i, q.x1f, q.y1f},
            {q.x2i, q.y2i, q.x2f, q.y2f},
            {q.x2i, q.y2i, q.x1f, q.y1f},
            {q.x1i, q.y1i, q.x2f, q.y2f}};
}

int Coupe(const Cote& s, const Cote& z)
{
    return Segments_se_coupent(s.x1, s.y1, s.x2, s.y2, z.x1, z.y1, z.x2, z.y2);
}

void Trace_contour(const Contour& c)
{
    Trace_ligne(c.c1.x1, c.c1.y1, c.c1.x2, c.c1.y2, 1);
    Trace_ligne(c.a.x2, c.a.y2, c.a.x1, c.a.y1, 1);
    Trace_ligne(c.c2.x1, c.c2.y1, c.c2.x2, c.c2.y2, 1);
    Trace_ligne(c.b.x2, c.b.y2, c.b.x1, c.b.y1, 1);
}

// Relation of two quadrilaterals whose outlines do not cut each other.
Relation Proximite_quads(const Element& s, const Element& z, const Seuils& p, int& valeur)
{
    Relation r;
    const int ds[4] = {Distance_plancher(s.xA, s.yA, z.xA, z.yA), Distance_plancher(s.xA, s.yA, z.xB, z.yB),
                       Distance_plancher(s.xB, s.yB, z.xB, z.yB), Distance_plancher(s.xB, s.yB, z.xA, z.yA)};
    int proche = 0;
    for (int i = 1; i < 4; i++)
        if (ds[i] < ds[proche]) proche = i;
    const bool s_en_a = proche <= 1, z_en_a = proche == 0 || proche == 3;
    const int xs = s_en_a ? s.xA : s.xB, ys = s_en_a ? s.yA : s.yB;
    const int xz = z_en_a ? z.xA : z.xB, yz = z_en_a ? z.yA : z.yB;
    int fx, fy;
    if (Paralleles(s.dir, z.dir, p.angle_tl)) {
        Projection_point(s.xA, s.yA, z.xA, z.yA, z.xB, z.yB, z.len, fx, fy);
        const int e = Distance_plancher(s.xA, s.yA, fx, fy);
        if (e < 15 && Blancs_sous(xs, ys, xz, yz, Plan1, p.seuil_trou)) {
            r.type = '~';
            return r;
        }
        const int k = Projections_croisees(s, z);
        valeur = k;
        if (k >= 2 && Paralleles(s.dir, z.dir, p.angle_tp)) r.type = 'P';
        return r;
    }
    // The gap paths run to the nearest pair's ends.
    return Relation_a_distance(s, z, xs, ys, xz, yz, p);
}

// Relation of two quadrilaterals decided by how their outlines cut each
// other; `masque` 0 means they do not touch. `affiche` is the character the
// step-by-step log shows ('H' when the candidate is the bar of the T).
Relation Relation_masque(const Contour& cs, const Contour& cz, int masque, int dir_s, int dir_z, int angle_tl,
                         char& affiche, int& valeur)
{
    Relation r;
    switch (masque) {
    case 15:
        r.type = 'X';
        break;
    case 3:
    case 12:
        r.type = 'T';
        break;
    case 5:
    case 10:
        r.type = 'T', r.premier = 1, r.second = 0;
        affiche = 'H';
        break;
    case 1:
    case 2:
    case 4:
    case 8: {
        // A long side of S meeting an end side of Z means Z stops on S.
        const int second = Coupe(cs.c1, cz.b) | Coupe(cs.c1, cz.a) << 1 | Coupe(cs.c2, cz.b) << 2
                           | Coupe(cs.c2, cz.a) << 3;
        valeur = second;
        r.type = 'T';
        if (second == 0) {
            r.premier = 1, r.second = 0;
            affiche = 'H';
        }
        break;
    }
    default:
        r.type = Paralleles(dir_s, dir_z, angle_tl) ? '_' : 'L';
        break;
    }
    if (affiche != 'H') affiche = r.type;
    return r;
}

// The outcome of a candidate: its relation, the value the step-by-step log
// shows, whether the outlines touch and the character shown for a contact.
struct Issue {
    Relation r;
    int valeur = 0;
    bool contact = false;
    char affiche = 0;
};

Issue Relation_qq(const Element& es, const Contour& cs, const Element& ez, const Contour& cz, const Seuils& p)
{
    Issue i;
    const int masque = Coupe(cs.c1, cz.c1) | Coupe(cs.c1, cz.c2) << 1 | Coupe(cs.c2, cz.c1) << 2
                       | Coupe(cs.c2, cz.c2) << 3 | Coupe(cs.a, cz.b) << 4 | Coupe(cs.a, cz.a) << 5
                       | Coupe(cs.b, cz.b) << 6 | Coupe(cs.b, cz.a) << 7;
    i.valeur = masque;
    i.contact = masque != 0;
    if (i.contact) i.r = Relation_masque(cs, cz, masque, es.dir, ez.dir, p.angle_tl, i.affiche, i.valeur);
    else i.r = Proximite_quads(es, ez, p, i.valeur);
    return i;
}

Issue Relation_qv(const Element& es, const Contour& cs, const Element& ev, const Seuils& p)
{
    Issue i;
    const Cote sv = {ev.xA, ev.yA, ev.xB, ev.yB};
    const int masque = Coupe(sv, cs.c1) | Coupe(sv, cs.c2) << 1;
    i.valeur = masque;
    i.contact = masque != 0;
    if (i.contact) i.r.type = masque == 3 ? 'X' : 'T';
    else i.r = Proximite_element_vecteur(es, ev, p, i.valeur);
    i.affiche = i.r.type;
    return i;
}

ArcQQ* Arc_qq(ArcQQ*& queue, Quad* S, Quad* Z, const Relation& r)
{
    return Nouvel_arc(Liste_arcs_QQ, queue, r.type, [&](ArcQQ& a) {
        a.Q1 = r.premier ? Z : S;
        a.Q2 = r.second ? Z : S;
    });
}

ArcQV* Arc_qv(ArcQV*& queue, Quad* S, Vecteur* V, char type)
{
    // The quadrilateral always comes first, whichever is the bar.
    return Nouvel_arc(Liste_arcs_QV, queue, type, [&](ArcQV& a) {
        a.Q1 = S;
        a.V2 = V;
    });
}

}  // namespace

int Construit_graphe_QQV()
{
    Tables_vecteurs tv;
    if (Nb_quads != 0) Tables_vecteurs_de(tv);
    return Construit_graphe_QQV(tv, nullptr);
}

int Construit_graphe_QQV(const Tables_vecteurs& tv, Tables_qqv* pret)
{
    if (Nb_quads == 0) return 0;
    const int dist = Lit_param_entier("distZI");
    Seuils p;
    p.angle_tp = Lit_param_entier("Angle_TP");
    p.angle_tl = Lit_param_entier("Angle_TL");
    p.seuil_trou = Lit_param_entier("Seuil_Trou");
    char ligne[64];
    std::snprintf(ligne, sizeof ligne, "* Constr. du Graphe (%d)...", dist);
    Ecrit_texte(1, ligne);

    // The tables made ahead when they hold the list as it now is.
    bool pareil = pret && pret->dist == dist;
    if (pareil) {
        size_t i = 0;
        for (const Quad* q = Liste_quads; q && pareil; q = q->suivant, i++)
            pareil = i < pret->quads.size() && pret->quads[i] == q;
        pareil = pareil && i == pret->quads.size();
    }
    Tables_qqv faites;
    Tables_qqv& t = pareil ? *pret : faites;
    if (!pareil) Tables_qqv_de(t, tv, dist);
    const std::vector<Quad*>& quads = t.quads;
    const std::vector<Element>& eq = t.eq;
    const std::vector<Vecteur*>& vects = tv.vects;
    const std::vector<Element>& ev = tv.ev;
    Index_segments& index_q = t.index_q;
    Index_segments& index_v = t.index_v;

    auto source = [&](size_t is) { return quads[is]->length != 0 && quads[is]->numero < 1000; };

    ArcQQ* queue_qq = Dernier(Liste_arcs_QQ);
    ArcQV* queue_qv = Dernier(Liste_arcs_QV);
    std::vector<int> candidats;
    std::vector<int> table;
    const int nq = static_cast<int>(quads.size());
    std::vector<Passe> passes_q, passes_v;

    // The arcs of source is, from its passes when it was worked out ahead.
    auto cree = [&](int is, bool fait) {
        Quad* S = quads[static_cast<size_t>(is)];
        if (!source(static_cast<size_t>(is))) return;
        // Read at every source and after every pause, so the mode box ends a
        // step-by-step run at once.
        bool trace = Mode_trace == 1;
        if (!trace && fait) {
            const Passe& pq = passes_q[static_cast<size_t>(is)];
            for (int b = 0; b < pq.bips; b++) Signal_fin();
            for (const Trouve& t : pq.arcs) Arc_qq(queue_qq, S, quads[static_cast<size_t>(t.candidat)], t.r);
            const Passe& pv = passes_v[static_cast<size_t>(is)];
            for (int b = 0; b < pv.bips; b++) Signal_fin();
            for (const Trouve& t : pv.arcs) Arc_qv(queue_qv, S, vects[static_cast<size_t>(t.candidat)], t.r.type);
            return;
        }
        const Element& es = eq[static_cast<size_t>(is)];
        const Contour cs = Contour_quad(*S);
        const Zone z = Zone_influence(es.xA, es.yA, es.xB, es.yB, dist);
        if (trace) {
            Efface_P2();
            Trace_ligne(es.xB, es.yB, es.xA, es.yA, 1);
            Trace_zone(z);
        }

        // Quadrilateral pass: only later quadrilaterals, so each pair once.
        Index_candidats(index_q, z, is + 1, candidats);
        int n = Remplit_table(candidats, table);
        for (int place = 1; place <= n; place++) {
            const int iz = table[place];
            Quad* Z = quads[iz];
            const Element& ez = eq[iz];
            const Contour cz = Contour_quad(*Z);
            if (trace) Trace_contour(cz);
            const Issue i = Relation_qq(es, cs, ez, cz, p);
            if (trace) {
                if (i.contact) Ecrit_relation(" -%c*%d*%d ", i.affiche, 0, place);
                else Ecrit_proximite(i.r, place, Paralleles(es.dir, ez.dir, p.angle_tl));
            }
            if (i.r.type != '?' && Arc_qq(queue_qq, S, Z, i.r) && trace) Ecrit_texte(0, " - Creation d'un Arc ");
            if (trace) {
                Ecrit_type(i.valeur);
                Montre_et_attend(ez.xA, ez.yA);
                trace = Mode_trace == 1;
            }
        }

        // Vector pass: every vector of the list.
        Index_candidats(index_v, z, 0, candidats);
        n = Remplit_table(candidats, table);
        for (int place = 1; place <= n; place++) {
            const int iv = table[place];
            Vecteur* V = vects[iv];
            const Element& ev_ = ev[iv];
            if (trace) Trace_ligne(ev_.xA, ev_.yA, ev_.xB, ev_.yB, 1);
            const Issue i = Relation_qv(es, cs, ev_, p);
            if (trace) {
                if (i.contact) Ecrit_relation(" -%c*%d*%d ", i.affiche, 0, place);
                else Ecrit_proximite(i.r, place, Paralleles(es.dir, ev_.dir, p.angle_tl));
            }
            if (i.r.type != '?' && Arc_qv(queue_qv, S, V, i.r.type) && trace) Ecrit_texte(0, " - Creation d'un ArcQV ");
            if (trace) {
                Ecrit_type(i.valeur);
                Montre_et_attend(ev_.xA, ev_.yA);
                trace = Mode_trace == 1;
            }
        }
    };

    // Without the step-by-step display, the relations are worked out on
    // several threads while the arcs are created in order.
    const int fils = Mode_trace == 1 ? 1 : Nombre_fils(nq);
    if (fils > 1) {
        passes_q.resize(quads.size());
        passes_v.resize(quads.size());
        std::vector<Marques> mq(fils), mv(fils);
        std::vector<std::vector<int>> cand(fils), tab(fils);
        auto calcule = [&](int is, int fil) {
            if (!source(is)) return;
            const Element& es = eq[is];
            const Contour cs = Contour_quad(*quads[is]);
            const Zone z = Zone_influence(es.xA, es.yA, es.xB, es.yB, dist);
            Index_candidats(index_q, mq[fil], z, is + 1, cand[fil]);
            int n = Remplit_table_muette(cand[fil], tab[fil], passes_q[is].bips);
            for (int place = 1; place <= n; place++) {
                const int iz = tab[fil][place];
                const Issue i = Relation_qq(es, cs, eq[iz], Contour_quad(*quads[iz]), p);
                if (i.r.type != '?') passes_q[is].arcs.push_back({iz, i.r});
            }
            Index_candidats(index_v, mv[fil], z, 0, cand[fil]);
            n = Remplit_table_muette(cand[fil], tab[fil], passes_v[is].bips);
            for (int place = 1; place <= n; place++) {
                const int iv = tab[fil][place];
                const Issue i = Relation_qv(es, cs, ev[iv], p);
                if (i.r.type != '?') passes_v[is].arcs.push_back({iv, i.r});
            }
        };
        Pour_chaque_source(nq, fils, calcule, cree);
    } else {
        for (int is = 0; is < nq; is++) cree(is, false);
    }
    Ecrit_texte(1, " Graphe QQV Ok. ");
    return 1;
}
