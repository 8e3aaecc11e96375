#include "vecto/quads.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <queue>
#include <functional>
#include <utility>
#include <vector>

#include "port/shell.h"
#include "image/param.h"
#include "vecto/ecarts.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace {

constexpr int32_t Sans_partenaire = 250;

// floor of the distance plus one, kept in 8 bits like the record field.
uint8_t Epaisseur(int xa, int ya, int xb, int yb)
{
    const double dx = static_cast<double>(xa) - xb, dy = static_cast<double>(ya) - yb;
    return static_cast<uint8_t>(static_cast<int>(std::floor(std::sqrt(dx * dx + dy * dy))) + 1);
}

double Distance2(int xa, int ya, int xb, int yb)
{
    const double dx = static_cast<double>(xa) - xb, dy = static_cast<double>(ya) - yb;
    return dx * dx + dy * dy;
}

struct Index_vecteurs;

// Sides more than 90 degrees apart: the one beyond 90 (else the second) is
// taken as its supplement.
void Reconcilie(Quad& q)
{
    if (Val_abs(q.angle1 - q.angle2) <= 90) return;
    if (q.angle1 > 90) q.angle1 = 180 - q.angle1;
    else q.angle2 = 180 - q.angle2;
}

// Construction state: the list tail for appending and the count k.
struct Chantier {
    Quad* queue = nullptr;
    Quad* dernier_ancien = nullptr;  // last record of an earlier run, if any
    int k = 0;
    bool memoire_epuisee = false;
    Index_vecteurs* ix = nullptr;  // null for the literal scan
    // The iteration's reference and nearest facing vectors with their ranks:
    // only they can leave the list during it.
    const Vecteur* en_jeu[3] = {};
    int rangs[3] = {-1, -1, -1};
    int Rang(const Vecteur* v) const
    {
        for (int i = 0; i < 3; i++)
            if (en_jeu[i] == v) return rangs[i];
        return -1;
    }
};

Quad* Nouveau_quad(Chantier& ch, int x1i, int y1i, int x1f, int y1f, int x2i, int y2i, int x2f, int y2f, int length,
                   int angle1, int angle2)
{
    Quad* q = new (std::nothrow) Quad();
    if (!q) {
        Message_erreur(" - Erreur mem. - ");
        ch.memoire_epuisee = true;
        return nullptr;
    }
    q->x1i = x1i;
    q->y1i = y1i;
    q->x1f = x1f;
    q->y1f = y1f;
    q->x2i = x2i;
    q->y2i = y2i;
    q->x2f = x2f;
    q->y2f = y2f;
    q->length = length;
    q->angle1 = angle1;
    q->angle2 = angle2;
    Reconcilie(*q);  // its angles change no more
    ch.queue = Ajoute_en_queue(Liste_quads, ch.queue, q);
    ch.k++;
    return q;
}

void Retire_vecteur(Chantier& ch, Vecteur* v);

// The cut vector keeps its remaining part when that is at least 2 long;
// otherwise it goes as well.
void Garde_reste(Chantier& ch, Vecteur* coupe, Vecteur* apparie)
{
    coupe->length = Longueur_vecteur(coupe->xi, coupe->yi, coupe->xf, coupe->yf);
    Retire_vecteur(ch, apparie);
    if (coupe->length >= 2) coupe->etat = 1;
    else Retire_vecteur(ch, coupe);
}

// Pairing at R's first end with T (T's second end lies near R's first end).
bool Appariement_debut(Chantier& ch, Vecteur* R, Vecteur* T, double m, int cT)
{
    if (!T || !(m < cT) || Blancs_au_dela(R->xi, R->yi, T->xf, T->yf, Plan1, 4)) return false;
    int fx, fy, gx, gy;
    if (R->length < T->length) {
        if (!Projection_point(R->xf, R->yf, T->xf, T->yf, T->xi, T->yi, T->length, fx, fy)) return false;
        if (Blancs_au_dela(fx, fy, R->xf, R->yf, Plan1, 4)) return false;
        Projection_point(R->xi, R->yi, T->xi, T->yi, T->xf, T->yf, T->length, gx, gy);
        Quad* q = Nouveau_quad(ch, R->xi, R->yi, R->xf, R->yf, fx, fy, T->xf, T->yf, R->length, R->angle, T->angle);
        if (!q) return false;
        q->thickness1 = Epaisseur(R->xi, R->yi, gx, gy);
        q->thickness2 = Epaisseur(R->xf, R->yf, fx, fy);
        T->xf = fx;
        T->yf = fy;
        Garde_reste(ch, T, R);
    } else {
        if (!Projection_point(T->xi, T->yi, R->xi, R->yi, R->xf, R->yf, R->length, fx, fy)) return false;
        if (Blancs_au_dela(fx, fy, T->xi, T->yi, Plan1, 4)) return false;
        Projection_point(T->xf, T->yf, R->xi, R->yi, R->xf, R->yf, R->length, gx, gy);
        Quad* q = Nouveau_quad(ch, T->xi, T->yi, T->xf, T->yf, R->xi, R->yi, fx, fy, T->length, T->angle, R->angle);
        if (!q) return false;
        q->thickness1 = Epaisseur(T->xi, T->yi, fx, fy);
        q->thickness2 = Epaisseur(T->xf, T->yf, gx, gy);
        R->xi = fx;
        R->yi = fy;
        Garde_reste(ch, R, T);
    }
    return true;
}

// Pairing at R's second end with O (O's first end lies near R's second end);
// the caller has checked that O exists, is near enough and joins R in black.
bool Appariement_fin(Chantier& ch, Vecteur* R, Vecteur* O)
{
    int fx, fy, gx, gy;
    if (R->length < O->length) {
        if (!Projection_point(R->xi, R->yi, O->xf, O->yf, O->xi, O->yi, O->length, fx, fy)) return false;
        if (Blancs_au_dela(R->xi, R->yi, fx, fy, Plan1, 4)) return false;
        Projection_point(R->xf, R->yf, O->xi, O->yi, O->xf, O->yf, O->length, gx, gy);
        Quad* q = Nouveau_quad(ch, R->xi, R->yi, R->xf, R->yf, O->xi, O->yi, fx, fy, R->length, R->angle, O->angle);
        if (!q) return false;
        q->thickness1 = Epaisseur(R->xi, R->yi, fx, fy);
        q->thickness2 = Epaisseur(R->xf, R->yf, gx, gy);
        O->xi = fx;
        O->yi = fy;
        Garde_reste(ch, O, R);
    } else {
        if (!Projection_point(O->xf, O->yf, R->xi, R->yi, R->xf, R->yf, R->length, fx, fy)) return false;
        if (Blancs_au_dela(fx, fy, O->xf, O->yf, Plan1, 4)) return false;
        Projection_point(O->xi, O->yi, R->xi, R->yi, R->xf, R->yf, R->length, gx, gy);
        Quad* q = Nouveau_quad(ch, O->xi, O->yi, O->xf, O->yf, fx, fy, R->xf, R->yf, O->length, O->angle, R->angle);
        if (!q) return false;
        q->thickness1 = Epaisseur(O->xi, O->yi, gx, gy);
        q->thickness2 = Epaisseur(O->xf, O->yf, fx, fy);
        R->xf = fx;
        R->yf = fy;
        Garde_reste(ch, R, O);
    }
    return true;
}

// Full pairing of R with T facing it along its whole length. Returns false
// when neither foot falls within its segment.
bool Appariement_complet(Chantier& ch, Vecteur* R, Vecteur* T)
{
    int f1x, f1y, f2x, f2y, in1, in2;
    const bool T_court = T->length < R->length;
    if (T_court) {
        in2 = Projection_point(T->xf, T->yf, R->xi, R->yi, R->xf, R->yf, R->length, f2x, f2y);
        in1 = Projection_point(T->xi, T->yi, R->xf, R->yf, R->xi, R->yi, R->length, f1x, f1y);
    } else {
        in1 = Projection_point(R->xi, R->yi, T->xf, T->yf, T->xi, T->yi, T->length, f1x, f1y);
        in2 = Projection_point(R->xf, R->yf, T->xi, T->yi, T->xf, T->yf, T->length, f2x, f2y);
    }
    if (!in1 && !in2) return false;
    Quad* q = Nouveau_quad(ch, R->xi, R->yi, R->xf, R->yf, T->xi, T->yi, T->xf, T->yf, Max_ent(R->length, T->length),
                           R->angle, T->angle);
    if (!q) return true;
    const Vecteur* S = T_court ? T : R;
    q->thickness1 = Epaisseur(S->xi, S->yi, f1x, f1y);
    q->thickness2 = Epaisseur(S->xf, S->yf, f2x, f2y);
    Retire_vecteur(ch, R);
    Retire_vecteur(ch, T);
    return true;
}

// Vectors of the list by their rank in list order. Construction only moves
// ends, changes lengths and etats and removes vectors, so ranks keep the list
// order throughout. Two grids hold the first and the second ends. The
// reference is the greatest (length, -rank) among the eligible vectors'
// entries: those of the start, sorted once, and those pushed on a heap when
// a vector changes. Entries go stale when their vector changes and are
// dropped when they come first.
struct Index_vecteurs {
    // The ranks of each cell in a doubly linked list through the ranks: a
    // vector moves from cell to cell or leaves in constant time.
    struct Grille {
        std::vector<int> tete, suiv, prec;
        void Prepare(size_t nb_cases, int n)
        {
            tete.assign(nb_cases, -1);
            suiv.assign(static_cast<size_t>(n), -1);
            prec.assign(static_cast<size_t>(n), -1);
        }
        void Ajoute(int c, int r)
        {
            suiv[r] = tete[c];
            prec[r] = -1;
            if (tete[c] >= 0) prec[tete[c]] = r;
            tete[c] = r;
        }
        void Enleve(int c, int r)
        {
            if (prec[r] >= 0) suiv[prec[r]] = suiv[r];
            else tete[c] = suiv[r];
            if (suiv[r] >= 0) prec[suiv[r]] = prec[r];
        }
    };
    // Ends and angle of each rank side by side, refreshed when a vector
    // changes: the searches read them for every neighbour.
    struct Bouts {
        int xi, yi, xf, yf, angle;
    };

    std::vector<Vecteur*> v;
    std::vector<Bouts> bouts;
    std::vector<int> prec, suiv;  // living neighbours in the list, -1 at the ends
    std::vector<char> vivant;
    int x0 = 0, y0 = 0, cote = 1, nx = 1, ny = 1;
    Grille debuts, fins;  // ranks by cell of first / second end
    std::vector<int> case_debut, case_fin;
    std::vector<std::pair<int, int>> depart;  // (length, -rank), greatest first
    size_t prochain = 0;                      // first entry of `depart` not dropped
    std::priority_queue<std::pair<int, int>> tas;  // (length, -rank) pushed since
    int Lmin = 0, E = 0;

    bool Eligible(const Vecteur* r) const { return r->length > Lmin && r->etat < E && r->etat != Sans_partenaire; }

    static int Division_basse(int64_t a, int b) { return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b)); }
    int Colonne(int64_t x) const { return std::clamp(Division_basse(x - x0, cote), 0, nx - 1); }
    int Rangee(int64_t y) const { return std::clamp(Division_basse(y - y0, cote), 0, ny - 1); }
    int Case(int x, int y) const { return Rangee(y) * nx + Colonne(x); }

    static Bouts Bouts_de(const Vecteur* d) { return {d->xi, d->yi, d->xf, d->yf, d->angle}; }

    void Construit(int lmin, int e)
    {
        Lmin = lmin;
        E = e;
        for (Vecteur* r = Liste_vecteurs; r; r = r->suivant) v.push_back(r);
        const int n = static_cast<int>(v.size());
        prec.resize(n);
        suiv.resize(n);
        vivant.assign(n, 1);
        bouts.resize(static_cast<size_t>(n));
        int x1 = 0, y1 = 0;
        for (int r = 0; r < n; r++) {
            prec[r] = r - 1;
            suiv[r] = r + 1 < n ? r + 1 : -1;
            const Vecteur* d = v[r];
            bouts[static_cast<size_t>(r)] = Bouts_de(d);
            if (r == 0) {
                x0 = x1 = d->xi;
                y0 = y1 = d->yi;
            }
            x0 = std::min({x0, d->xi, d->xf});
            x1 = std::max({x1, d->xi, d->xf});
            y0 = std::min({y0, d->yi, d->yf});
            y1 = std::max({y1, d->yi, d->yf});
        }
        // Cells about as wide as the search radius, but never more of them
        // than a few per vector.
        cote = std::max(E, 16);
        for (;;) {
            nx = static_cast<int>((static_cast<int64_t>(x1) - x0) / cote + 1);
            ny = static_cast<int>((static_cast<int64_t>(y1) - y0) / cote + 1);
            if (static_cast<int64_t>(nx) * ny <= 4 * static_cast<int64_t>(n) + 1024) break;
            cote *= 2;
        }
        debuts.Prepare(static_cast<size_t>(nx) * ny, n);
        fins.Prepare(static_cast<size_t>(nx) * ny, n);
        case_debut.resize(n);
        case_fin.resize(n);
        int lg_min = 0, lg_max = -1;
        for (int r = 0; r < n; r++) {
            case_debut[r] = Case(v[r]->xi, v[r]->yi);
            case_fin[r] = Case(v[r]->xf, v[r]->yf);
            debuts.Ajoute(case_debut[r], r);
            fins.Ajoute(case_fin[r], r);
            if (Eligible(v[r])) {
                const int lg = v[r]->length;
                if (depart.empty()) lg_min = lg_max = lg;
                lg_min = std::min(lg_min, lg);
                lg_max = std::max(lg_max, lg);
                depart.push_back({lg, -r});
            }
        }
        Trie_depart(lg_min, lg_max);
    }

    // `depart` by decreasing length, ranks increasing within a length: a
    // count by length when lengths span little more than the vectors do.
    void Trie_depart(int lg_min, int lg_max)
    {
        const int64_t etendue = static_cast<int64_t>(lg_max) - lg_min + 1;
        if (etendue > 4 * static_cast<int64_t>(depart.size()) + 1024) {
            std::sort(depart.begin(), depart.end(), std::greater<std::pair<int, int>>());
            return;
        }
        // Positions counted from the longest; entries come in rank order.
        std::vector<size_t> debut(static_cast<size_t>(etendue) + 1, 0);
        for (const auto& e : depart) debut[static_cast<size_t>(lg_max - e.first) + 1]++;
        for (size_t i = 1; i < debut.size(); i++) debut[i] += debut[i - 1];
        std::vector<std::pair<int, int>> trie(depart.size());
        for (const auto& e : depart) trie[debut[static_cast<size_t>(lg_max - e.first)]++] = e;
        depart = std::move(trie);
    }

    bool Valide(std::pair<int, int> e) const
    {
        const int r = -e.second;
        return vivant[r] && v[r]->length == e.first && Eligible(v[r]);
    }

    // First of the longest eligible vectors, or -1.
    int Reference()
    {
        for (;;) {
            const bool reste_depart = prochain < depart.size();
            if (!reste_depart && tas.empty()) return -1;
            if (reste_depart && (tas.empty() || tas.top() < depart[prochain])) {
                if (Valide(depart[prochain])) return -depart[prochain].second;
                prochain++;
            } else {
                if (Valide(tas.top())) return -tas.top().second;
                tas.pop();
            }
        }
    }

    // After a vector changed: its cells follow its ends, and it goes back on
    // the heap when it can still be a reference.
    void Actualise(int r)
    {
        if (r < 0 || !vivant[r]) return;
        bouts[static_cast<size_t>(r)] = Bouts_de(v[r]);
        const int cd = Case(v[r]->xi, v[r]->yi), cf = Case(v[r]->xf, v[r]->yf);
        if (cd != case_debut[r]) {
            debuts.Enleve(case_debut[r], r);
            debuts.Ajoute(cd, r);
            case_debut[r] = cd;
        }
        if (cf != case_fin[r]) {
            fins.Enleve(case_fin[r], r);
            fins.Ajoute(cf, r);
            case_fin[r] = cf;
        }
        if (Eligible(v[r])) tas.push({v[r]->length, -r});
    }

    void Retire(Vecteur* d, int r)
    {
        if (r < 0) r = static_cast<int>(std::find(v.begin(), v.end(), d) - v.begin());  // not one of the iteration's
        if (prec[r] < 0) Liste_vecteurs = d->suivant;
        else v[prec[r]]->suivant = d->suivant;
        if (prec[r] >= 0) suiv[prec[r]] = suiv[r];
        if (suiv[r] >= 0) prec[suiv[r]] = prec[r];
        debuts.Enleve(case_debut[r], r);
        fins.Enleve(case_fin[r], r);
        vivant[r] = 0;
        delete d;
    }
};

void Retire_vecteur(Chantier& ch, Vecteur* v)
{
    if (ch.ix) {
        ch.ix->Retire(v, ch.Rang(v));
        return;
    }
    Vecteur** lien = &Liste_vecteurs;
    while (*lien && *lien != v) lien = &(*lien)->suivant;
    if (*lien) {
        *lien = v->suivant;
        delete v;
    }
}

// F may face R: nearly parallel, opposite sense, and on R's side.
template <class F_t>
bool Face(const F_t* F, const Vecteur* R, int s)
{
    const int dx = R->xf - R->xi, dy = R->yf - R->yi;
    const int da = Val_abs(F->angle - R->angle);
    if (!(da < s || da > 180 - s)) return false;
    if (static_cast<double>(F->xf - F->xi) * dx + static_cast<double>(F->yf - F->yi) * dy >= 0) return false;
    return static_cast<double>(dy) * (F->xf - R->xi) - static_cast<double>(dx) * (F->yf - R->yi) >= 0 ||
           static_cast<double>(dy) * (F->xi - R->xi) - static_cast<double>(dx) * (F->yi - R->yi) >= 0;
}

// One iteration once R and its nearest facing vectors are known: T (second
// end nearest R's first end, squared distance dT) and O (first end nearest
// R's second end, dO).
void Traite_reference(Chantier& ch, Vecteur* R, Vecteur* T, Vecteur* O, double dT, double dO, int E)
{
    const double m = std::sqrt(dT), l = std::sqrt(dO);
    const int cT = Min_ent(E, 2 * (T ? Max_ent(R->length, T->length) : R->length));
    const int cO = Min_ent(E, 2 * (O ? Max_ent(R->length, O->length) : R->length));
    // A partner with a length of 0 gives an infinite ratio: never a full pairing.
    double rho = 0;
    if (T && Max_ent(R->length, T->length) > 2)
        rho = static_cast<double>(Max_ent(R->length, T->length)) / static_cast<double>(Min_ent(R->length, T->length));

    if (T && T == O && cT > m && cO > l && rho < 1.25 && !Blancs_au_dela(R->xi, R->yi, T->xf, T->yf, Plan1, 4) &&
        !Blancs_au_dela(R->xf, R->yf, T->xi, T->yi, Plan1, 4)) {
        if (!Appariement_complet(ch, R, T)) R->etat = Sans_partenaire;
        return;
    }

    if (m < l) {
        if (Appariement_debut(ch, R, T, m, cT) || ch.memoire_epuisee) return;
        R->etat = Sans_partenaire;
    }
    R->etat = 1;
    if (!O || !(l < cO) || Blancs_au_dela(R->xf, R->yf, O->xi, O->yi, Plan1, 4)) {
        R->etat = Sans_partenaire;
        if (Mode_trace == 1) Ecrit_texte(1, "Pas trouve...");
        return;
    }
    if (!Appariement_fin(ch, R, O) && !ch.memoire_epuisee) R->etat = Sans_partenaire;
}

struct Seuils {
    int s, E, Lmin;
};

Seuils Lit_seuils()
{
    Seuils t;
    t.s = Lit_param_entier("Seuil_penteV");
    t.E = Lit_param_entier("SeuilEpmax");
    t.Lmin = Lit_param_entier("LgMinQuad");
    return t;
}

void Termine_construction(Chantier& ch)
{
    Nb_quads = ch.k;
    // The new records were reconciled as they were made; the earlier ones
    // are now.
    if (ch.dernier_ancien)
        for (Quad* q = Liste_quads; q; q = q->suivant) {
            Reconcilie(*q);
            if (q == ch.dernier_ancien) break;
        }
    Retire_si(Liste_vecteurs, [](Vecteur& v) {
        if (v.length < 3) return true;
        v.etat = 1;
        return false;
    });
}

void Construit_directe(const Seuils& t)
{
    Chantier ch;
    ch.k = Nb_quads;
    ch.queue = ch.dernier_ancien = Dernier(Liste_quads);

    for (;;) {
        if (ch.k % 6 == 0) Traite_evenements();

        // Reference: the first of the longest eligible vectors. A vector with
        // no partner (250) never comes back, whatever SeuilEpmax says, or the
        // iterations would not end.
        Vecteur* R = nullptr;
        for (Vecteur* v = Liste_vecteurs; v; v = v->suivant)
            if (v->length > t.Lmin && v->etat < t.E && v->etat != Sans_partenaire && (!R || v->length > R->length))
                R = v;
        if (!R) break;

        Vecteur *T = nullptr, *O = nullptr;
        double dT = 2147483647.0, dO = 2147483647.0;
        for (Vecteur* F = Liste_vecteurs; F; F = F->suivant) {
            if (!Face(F, R, t.s)) continue;
            const double d2 = Distance2(F->xf, F->yf, R->xi, R->yi);
            if (d2 < dT) {
                dT = d2;
                T = F;
            }
            const double d1 = Distance2(F->xi, F->yi, R->xf, R->yf);
            if (d1 < dO) {
                dO = d1;
                O = F;
            }
        }
        Traite_reference(ch, R, T, O, dT, dO, t.E);
        if (ch.memoire_epuisee) break;
    }
    Termine_construction(ch);
}

// Facing vector of the grid `cases` whose end (first or second) is nearest
// (px, py) within squared distance r2, the first in list order on a tie.
int Plus_proche(const Index_vecteurs& ix, const Index_vecteurs::Grille& cases, bool par_debut, const Vecteur* R,
                int s, int px, int py, double r2, double& d_min)
{
    const int rayon = ix.E;
    const int c0 = ix.Colonne(static_cast<int64_t>(px) - rayon), c1 = ix.Colonne(static_cast<int64_t>(px) + rayon);
    const int l0 = ix.Rangee(static_cast<int64_t>(py) - rayon), l1 = ix.Rangee(static_cast<int64_t>(py) + rayon);
    int choix = -1;
    d_min = r2;
    for (int l = l0; l <= l1; l++)
        for (int c = c0; c <= c1; c++)
            for (int r = cases.tete[static_cast<size_t>(l) * ix.nx + c]; r >= 0; r = cases.suiv[r]) {
                const Index_vecteurs::Bouts& F = ix.bouts[static_cast<size_t>(r)];
                const double d = par_debut ? Distance2(F.xi, F.yi, px, py) : Distance2(F.xf, F.yf, px, py);
                if (d > d_min || (d == d_min && (choix < 0 || r > choix))) continue;
                if (!Face(&F, R, s)) continue;
                d_min = d;
                choix = r;
            }
    return choix;
}

// The same iterations as the literal scan. A facing vector farther than
// SeuilEpmax from R's end never passes the cap (cT and cO are at most E), and
// then whichever vector is nearest changes nothing: the full pairing and the
// pairing at that end fail, and the other end is tried either way. So the
// nearest facing vector is looked for within E only, and when there is none
// the iteration goes on as if there were no such vector.
void Construit_indexee(const Seuils& t)
{
    Index_vecteurs ix;
    ix.Construit(t.Lmin, t.E);
    Chantier ch;
    ch.k = Nb_quads;
    ch.queue = ch.dernier_ancien = Dernier(Liste_quads);
    ch.ix = &ix;
    const double r2 = t.E > 0 ? static_cast<double>(t.E) * t.E : 0.0;

    for (;;) {
        if (ch.k % 6 == 0) Traite_evenements();
        const int rR = ix.Reference();
        if (rR < 0) break;
        Vecteur* R = ix.v[rR];

        double dT, dO;
        const int rT = Plus_proche(ix, ix.fins, false, R, t.s, R->xi, R->yi, r2, dT);
        const int rO = Plus_proche(ix, ix.debuts, true, R, t.s, R->xf, R->yf, r2, dO);
        Vecteur* T = rT >= 0 ? ix.v[rT] : nullptr;
        Vecteur* O = rO >= 0 ? ix.v[rO] : nullptr;
        if (!T) dT = 2147483647.0;
        if (!O) dO = 2147483647.0;
        ch.en_jeu[0] = R;
        ch.en_jeu[1] = T;
        ch.en_jeu[2] = O;
        ch.rangs[0] = rR;
        ch.rangs[1] = rT;
        ch.rangs[2] = rO;
        Traite_reference(ch, R, T, O, dT, dO, t.E);
        ix.Actualise(rR);
        ix.Actualise(rT);
        ix.Actualise(rO);
        if (ch.memoire_epuisee) break;
    }
    Termine_construction(ch);
}

}  // namespace

void Reconcilie_angles()
{
    for (Quad* q = Liste_quads; q; q = q->suivant) Reconcilie(*q);
}

int Construction_quads()
{
    const Seuils t = Lit_seuils();
    // Beyond this the search radius would reach the scan's own 2^31 - 1 start.
    if (t.E > 46340) Construit_directe(t);
    else Construit_indexee(t);
    return 1;
}

int Construction_quads_directe()
{
    Construit_directe(Lit_seuils());
    return 1;
}
