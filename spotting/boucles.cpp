#include "spotting/boucles.h"

#include <functional>
#include <string>
#include <vector>

#include "port/shell.h"
#include "image/planes.h"
#include "spotting/incidence.h"
#include "vecto/ecarts.h"
#include "vecto/geometrie.h"

namespace {

bool Type_coin(char t) { return t == 'L' || t == 'l'; }
bool Type_chemin(char t) { return t == 'L' || t == 'l' || t == '_' || t == '~'; }

void Trace_axe(const Quad* q, int decalage)
{
    const Axe a = Axe_quad(*q);
    Trace_ligne(a.x1 + decalage, a.y1 + decalage, a.x2 + decalage, a.y2 + decalage, 1);
}

long long Distance2(int xa, int ya, int xb, int yb)
{
    const long long dx = xa - xb, dy = ya - yb;
    return dx * dx + dy * dy;
}

void Remise_a_zero_marques()
{
    for (Quad* q = Liste_quads; q; q = q->suivant) {
        q->numero = 0;
        q->niveau = 0;
    }
}

// The search shown on Plan2: both ends of the arc, then the path, its first
// and last quadrilaterals twice as thick.
void Montre_recherche(const Quad* q1, const Quad* q2, Quad* const chemin[])
{
    Efface_P2();
    Trace_axe(q1, 0);
    Trace_axe(q2, 0);
    const Quad* dernier = q2;
    int decalage = 0;
    int i = 0;
    for (; i < Taille_niveau && chemin[i]; i++) {
        Trace_axe(chemin[i], 0);
        if (i == 0) Trace_axe(chemin[i], 1);
    }
    if (i > 0) {
        dernier = chemin[i - 1];
        decalage = 1;
        Trace_axe(dernier, 1);
    }
    const Axe a = Axe_quad(*dernier);
    Defile_vers(a.x1 + decalage, a.y1 + decalage);
    Signal_pause();
}

// Etend_niveau over the arcs handed by `arcs_de` (all arcs, or those at q).
template <class Arcs>
int Etend(ArcQQ* A, Quad* q, Quad* suivant[], int niveau, Quad* qb, const Arcs& arcs, std::vector<Quad*>* marques)
{
    int i = 0;
    while (i < Taille_niveau && suivant[i]) i++;
    int trouve = 0;
    for (ArcQQ* B : arcs) {
        if (B == A || !Type_chemin(B->type)) continue;
        if (B->Q1 != q && B->Q2 != q) continue;
        if (B->Q1 == qb || B->Q2 == qb) {
            if (qb->niveau != 0 && qb->niveau <= niveau) return 0;
            qb->niveau = niveau;
            qb->precedent = q;
            if (marques) marques->push_back(qb);
            return 2;
        }
        if (i >= Taille_niveau - 1) continue;
        Quad* o = B->Q1 == q ? B->Q2 : B->Q1;
        if (!o || o->niveau != 0) continue;
        bool deja = false;
        for (int k = 0; k < i && !deja; k++) deja = suivant[k] == o;
        if (deja) continue;
        o->niveau = niveau;
        o->precedent = q;
        if (marques) marques->push_back(o);
        suivant[i++] = o;
        trouve = 1;
    }
    return trouve;
}

struct CleArc {
    const Quad* a;
    const Quad* b;
    bool operator==(const CleArc&) const = default;
};
size_t Hache_arc(const CleArc& c)
{
    const size_t h = std::hash<const Quad*>{}(c.a);
    return (h ^ (std::hash<const Quad*>{}(c.b) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2))) *
           0x9e3779b97f4a7c15ull;
}

// The pairs of ends met so far, in one open-addressing array sized for the
// whole list (no node to allocate per arc).
class Paires_vues {
public:
    explicit Paires_vues(size_t nb)
    {
        size_t taille = 16;
        while (taille < 2 * nb) taille *= 2;
        cases_.resize(taille);
        masque_ = taille - 1;
    }
    // False when the pair was there already.
    bool Insere(const CleArc& c)
    {
        for (size_t i = (Hache_arc(c) >> 20) & masque_;; i = (i + 1) & masque_) {
            Case& k = cases_[i];
            if (!k.prise) {
                k = {c, true};
                return true;
            }
            if (k.cle == c) return false;
        }
    }

private:
    struct Case {
        CleArc cle{};
        bool prise = false;
    };
    std::vector<Case> cases_;
    size_t masque_;
};

}  // namespace

Axe Axe_quad(const Quad& q)
{
    return {(q.x1i + q.x2f) / 2, (q.y1i + q.y2f) / 2, (q.x1f + q.x2i) / 2, (q.y1f + q.y2i) / 2};
}

int Supprime_doublons_arcs_direct()
{
    for (ArcQQ* A = Liste_arcs_QQ; A; A = A->suivant) {
        ArcQQ* avant = A;
        while (ArcQQ* B = avant->suivant) {
            const bool meme = (B->Q1 == A->Q1 && B->Q2 == A->Q2) || (B->Q2 == A->Q1 && B->Q1 == A->Q2);
            if (meme) {
                avant->suivant = B->suivant;
                delete B;
            } else {
                avant = B;
            }
        }
    }
    Remise_a_zero_marques();
    return 1;
}

int Supprime_doublons_arcs()
{
    if (Spotting_recherche_directe) return Supprime_doublons_arcs_direct();
    // "Same two ends in either order" is an equivalence: the first arc of
    // each pair of ends stays, whatever the pairwise walk would meet first.
    Paires_vues vus(static_cast<size_t>(Compte_liste(Liste_arcs_QQ)));
    ArcQQ** lien = &Liste_arcs_QQ;
    while (ArcQQ* B = *lien) {
        const bool ordre = std::less<const Quad*>{}(B->Q1, B->Q2);
        if (vus.Insere(ordre ? CleArc{B->Q1, B->Q2} : CleArc{B->Q2, B->Q1})) {
            lien = &B->suivant;
        } else {
            *lien = B->suivant;
            delete B;
        }
    }
    Remise_a_zero_marques();
    return 1;
}

int Etend_niveau_direct(ArcQQ* A, Quad* q, Quad* suivant[], int niveau, Quad* qb)
{
    return Etend(A, q, suivant, niveau, qb, ArcsQQ_en_liste{}, nullptr);
}

int Etend_niveau(ArcQQ* A, Quad* q, Quad* suivant[], int niveau, Quad* qb)
{
    if (Spotting_recherche_directe || !Incidence_courante) return Etend_niveau_direct(A, q, suivant, niveau, qb);
    return Etend(A, q, suivant, niveau, qb, Incidence_courante->Arcs_de(q), &Incidence_courante->marques);
}

int Cherche_boucle(ArcQQ* A, Quad* qa, Quad* qb, Quad* chemin[])
{
    // Every quadrilateral of the list starts unvisited. With the index, only
    // those the previous searches marked can be otherwise.
    const IncidenceQQ* index = Spotting_recherche_directe ? nullptr : Incidence_courante;
    if (index && index->marques_suivies) {
        for (Quad* q : index->marques) {
            if (!index->Dans_liste(q)) continue;
            q->niveau = 0;
            q->precedent = nullptr;
        }
    } else {
        for (Quad* q = Liste_quads; q; q = q->suivant) {
            q->niveau = 0;
            q->precedent = nullptr;
        }
    }
    if (index) {
        index->marques.clear();
        index->marques_suivies = true;
    } else if (Incidence_courante) {
        Incidence_courante->marques_suivies = false;
    }
    Quad* courant[Taille_niveau] = {};
    for (int k = 0; k < Taille_niveau; k++) chemin[k] = nullptr;
    if (!qa || !qb) return 0;
    qa->niveau = 1;
    if (index) index->marques.push_back(qa);
    int r = Etend_niveau(A, qa, courant, 2, qb);
    int f = r;
    int niveau = 3;
    while (r != 2 && f != 0 && niveau < 30) {
        f = 0;
        for (int k = 0; k < Taille_niveau && courant[k] && r != 2; k++) {
            r = Etend_niveau(A, courant[k], chemin, niveau, qb);
            f += r;
        }
        niveau++;
        // Both arrays are filled from their start: past the longer one all
        // entries are empty already.
        for (int k = 0; k < Taille_niveau && (courant[k] || chemin[k]); k++) {
            courant[k] = chemin[k];
            chemin[k] = nullptr;
        }
    }
    if (r != 2) return 0;
    for (int k = 0; k < Taille_niveau; k++) chemin[k] = nullptr;
    int i = qb->niveau - 1;
    chemin[i] = qb;
    for (Quad* q = qb->precedent; q && q != qa && i > 1; q = q->precedent) chemin[--i] = q;
    chemin[0] = qa;
    return qb->niveau;
}

int Valide_boucle(Quad* const chemin[], int n)
{
    if (n < 2 || !chemin[0] || !chemin[1]) return 0;
    const Axe a = Axe_quad(*chemin[0]), b = Axe_quad(*chemin[1]);
    const long long d[4] = {Distance2(b.x1, b.y1, a.x1, a.y1), Distance2(b.x1, b.y1, a.x2, a.y2),
                            Distance2(b.x2, b.y2, a.x1, a.y1), Distance2(b.x2, b.y2, a.x2, a.y2)};
    int k = 0;
    for (int j = 1; j < 4; j++)
        if (d[j] < d[k]) k = j;
    // The far ends of the two first quadrilaterals: where the walk goes on
    // (C) and where it must come back (S).
    int cx = k < 2 ? b.x2 : b.x1, cy = k < 2 ? b.y2 : b.y1;
    const int sx = k % 2 == 0 ? a.x2 : a.x1, sy = k % 2 == 0 ? a.y2 : a.y1;
    bool echec = false;
    for (int i = 2; i < Taille_niveau && chemin[i] && !echec; i++) {
        const Axe e = Axe_quad(*chemin[i]);
        const long long d1 = Distance2(e.x1, e.y1, cx, cy), d2 = Distance2(e.x2, e.y2, cx, cy);
        if (std::min(d1, d2) >= 2500) {
            echec = true;
        } else if (d2 < d1) {
            echec = Blancs_au_dela(cx, cy, e.x2, e.y2, Plan1, 10);
            cx = e.x1, cy = e.y1;
        } else {
            echec = Blancs_au_dela(cx, cy, e.x1, e.y1, Plan1, 10);
            cx = e.x2, cy = e.y2;
        }
    }
    if (!echec) echec = Distance2(sx, sy, cx, cy) >= 2500 || Blancs_au_dela(cx, cy, sx, sy, Plan1, 10);
    if (echec) return 0;
    double max = 0.0;
    for (int i = 0; i < n; i++) max = Max_reel(max, chemin[i]->score);
    for (int i = 0; i < n; i++) {
        if (Mode_trace == 1) Trace_axe(chemin[i], 0);
        chemin[i]->score = max;
        chemin[i]->numero = n + 900;
    }
    return 1;
}

void Recherche_boucles()
{
    Supprime_doublons_arcs();
    IncidenceQQ index;
    if (!Spotting_recherche_directe) {
        index.Construit();
        Incidence_courante = &index;
    }
    Quad* chemin[Taille_niveau] = {};
    for (ArcQQ* A = Liste_arcs_QQ; A; A = A->suivant) {
        Quad* q1 = A->Q1;
        Quad* q2 = A->Q2;
        if (!q1 || !q2 || !Type_coin(A->type)) continue;
        if (!(q1->score > 0.5 || q2->score > 0.5)) continue;
        if (q1->numero != 0 || q2->numero != 0) continue;
        const int n = Cherche_boucle(A, q1, q2, chemin);
        if (Mode_trace == 1) Montre_recherche(q1, q2, chemin);
        if (n > 1 && n < Taille_niveau && Valide_boucle(chemin, n) == 1 && Mode_trace == 1)
            Ecrit_texte(1, " Boucle de lg " + std::to_string(n) + " .");
    }
    Incidence_courante = nullptr;
}
