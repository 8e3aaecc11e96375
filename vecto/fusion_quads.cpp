#include "vecto/fusion_quads.h"
#include "vecto/fusion_quads_outils.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "port/shell.h"
#include "image/param.h"
#include "vecto/avance.h"
#include "vecto/ecarts.h"
#include "vecto/geometrie.h"
#include "vecto/quads.h"
#include "vecto/records.h"

std::vector<Quad*>& fusion_quads::Ordre_chaine()
{
    static thread_local std::vector<Quad*> ordre;
    return ordre;
}

namespace {

using fusion_quads::Milieu_A;
using fusion_quads::Milieu_B;
using fusion_quads::Point;
using fusion_quads::Separateur;

Quad* Nouveau_separateur()
{
    Quad* q = new (std::nothrow) Quad();
    if (!q) {
        Message_erreur(" - Erreur mem. - ");
        return nullptr;
    }
    q->y1i = 1;
    q->y2i = 1;
    q->y2f = 1;
    return q;
}

uint64_t Distance2(int xa, int ya, int xb, int yb)
{
    const int64_t dx = static_cast<int64_t>(xa) - xb, dy = static_cast<int64_t>(ya) - yb;
    return static_cast<uint64_t>(dx * dx + dy * dy);
}

enum class Attache { Aucune, Avant, Croise, Derriere };

struct Choix {
    Quad* q = nullptr;
    Quad* avant = nullptr;  // its predecessor in Liste_quads
    Attache attache = Attache::Aucune;
};

// Corners and mean angle of a quadrilateral; the indexed search keeps one
// per rank side by side, a living quadrilateral's record not changing.
struct Coins {
    int32_t x1i, y1i, x1f, y1f, x2i, y2i, x2f, y2f;
    int32_t moyenne;
};

Coins Coins_de(const Quad* q)
{
    return {q->x1i, q->y1i, q->x1f, q->y1f, q->x2i, q->y2i, q->x2f, q->y2f, (q->angle1 + q->angle2) / 2};
}

int Moyenne(const Quad* q) { return (q->angle1 + q->angle2) / 2; }
int Moyenne(const Coins* c) { return c->moyenne; }

template <class Q_t>
bool Candidat(const Quad* T, const Q_t* Q, int seuil_pente)
{
    if (Separateur(T)) return true;
    const int d = Val_abs((T->angle1 + T->angle2) / 2 - Moyenne(Q));
    return d < seuil_pente || d > 180 - seuil_pente;
}

// The four ways of putting Q against T, in the order they are tried.
template <class Q_t>
void Sommes(const Quad* T, const Q_t* Q, uint64_t essais[4])
{
    essais[0] = Distance2(Q->x1f, Q->y1f, T->x1i, T->y1i) + Distance2(Q->x2i, Q->y2i, T->x2f, T->y2f);
    essais[1] = Distance2(Q->x2f, Q->y2f, T->x1i, T->y1i) + Distance2(Q->x1i, Q->y1i, T->x2f, T->y2f);
    essais[2] = Distance2(Q->x1i, Q->y1i, T->x1f, T->y1f) + Distance2(Q->x2f, Q->y2f, T->x2i, T->y2i);
    essais[3] = Distance2(Q->x2i, Q->y2i, T->x1f, T->y1f) + Distance2(Q->x1f, Q->y1f, T->x2i, T->y2i);
}

constexpr int Balayage = -2;

Attache Attache_de(int i) { return i == 0 ? Attache::Avant : i == 1 ? Attache::Croise : Attache::Derriere; }

// After a separator every quadrilateral qualifies, so a chain always starts
// (the cap would only bite on images beyond 23000 pixels).
uint64_t Plafond(const Quad* T)
{
    return Separateur(T) ? std::numeric_limits<uint64_t>::max() : 2147483647u;
}

Choix Choix_direct(const Quad* T, int seuil_pente)
{
    Choix c;
    uint64_t meilleur = Plafond(T);
    Quad* avant = nullptr;
    for (Quad* Q = Liste_quads; Q; avant = Q, Q = Q->suivant) {
        if (!Candidat(T, Q, seuil_pente)) continue;
        uint64_t essais[4];
        Sommes(T, Q, essais);
        for (int i = 0; i < 4; i++) {
            if (essais[i] < meilleur) {
                meilleur = essais[i];
                c.q = Q;
                c.avant = avant;
                c.attache = Attache_de(i);
            }
        }
    }
    return c;
}

// Quadrilaterals of the list by rank in list order, with a grid of their
// corners and their ranks by mean angle. Every sum of the scan holds the
// squared distance from one corner of Q to T's first corner (forward,
// crossed) or to the second corner of T's side 1 (behind): a quadrilateral
// with no corner within r of those two points scores at least r^2. So an
// attachment found below r^2 among the quadrilaterals near them is the
// scan's answer; otherwise r doubles, until the cells to visit outnumber the
// quadrilaterals of a suitable mean angle, which are then all weighed.
struct Index_quads {
    std::vector<Quad*> q;
    std::vector<Coins> coins;
    std::vector<int> prec, suiv;  // living neighbours in the list, -1 at the ends
    std::vector<char> vivant;
    std::unordered_map<const Quad*, int> rang_de;  // filled by Rang_de when first needed
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0, cote = 32, nx = 1, ny = 1;
    // Ranks of each cell one cell after the other: cell c holds
    // rangs_cases[debut[c] .. fin[c]), living or not yet dropped, each with
    // its mean angle, so that a search passes over the incompatible ones
    // without fetching their corners.
    struct Rang_case {
        int rang, moyenne;
    };
    std::vector<int> debut, fin;
    std::vector<Rang_case> rangs_cases;
    std::vector<uint32_t> marque;
    uint32_t tour = 0;
    // Ranks by mean angle 0..179; 180 holds any other mean.
    std::vector<int> par_angle[181];
    int vivants_angle[181] = {};
    // After a separator: every quadrilateral by its best sum against the
    // separator's corners, which never change.
    struct Entree {
        uint64_t valeur;
        int rang, essai;
        bool operator<(const Entree& o) const { return valeur != o.valeur ? valeur < o.valeur : rang < o.rang; }
    };
    std::vector<Entree> depuis_separateur;
    size_t prochain = 0;
    Quad modele_separateur;
    bool ordre_pret = false;

    static int Division_basse(int64_t a, int b) { return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b)); }
    int Colonne(int64_t x) const { return std::clamp(Division_basse(x - x0, cote), 0, nx - 1); }
    int Rangee(int64_t y) const { return std::clamp(Division_basse(y - y0, cote), 0, ny - 1); }
    static int Classe_angle(int m) { return m >= 0 && m <= 179 ? m : 180; }

    void Construit()
    {
        Avance<Quad> avance(fusion_quads::Ordre_chaine());
        for (Quad* r = Liste_quads; r; r = r->suivant) {
            avance.Vers(r);
            q.push_back(r);
            coins.push_back(Coins_de(r));
        }
        const int n = static_cast<int>(q.size());
        prec.resize(n);
        suiv.resize(n);
        vivant.assign(n, 1);
        marque.assign(n, 0);
        for (int r = 0; r < n; r++) {
            prec[r] = r - 1;
            suiv[r] = r + 1 < n ? r + 1 : -1;
            const Quad* d = q[r];
            if (r == 0) {
                x0 = x1 = d->x1i;
                y0 = y1 = d->y1i;
            }
            x0 = std::min({x0, d->x1i, d->x1f, d->x2i, d->x2f});
            x1 = std::max({x1, d->x1i, d->x1f, d->x2i, d->x2f});
            y0 = std::min({y0, d->y1i, d->y1f, d->y2i, d->y2f});
            y1 = std::max({y1, d->y1i, d->y1f, d->y2i, d->y2f});
            par_angle[Classe_angle(Moyenne(d))].push_back(r);
            vivants_angle[Classe_angle(Moyenne(d))]++;
        }
        for (;;) {
            nx = static_cast<int>((static_cast<int64_t>(x1) - x0) / cote + 1);
            ny = static_cast<int>((static_cast<int64_t>(y1) - y0) / cote + 1);
            if (static_cast<int64_t>(nx) * ny <= static_cast<int64_t>(n) + 1024) break;
            cote *= 2;
        }
        const size_t nb_cases = static_cast<size_t>(nx) * ny;
        debut.assign(nb_cases + 1, 0);
        auto cases_de = [&](const Quad* d, size_t vues[4], bool nouvelle[4]) {
            const int xs[4] = {d->x1i, d->x1f, d->x2i, d->x2f}, ys[4] = {d->y1i, d->y1f, d->y2i, d->y2f};
            for (int j = 0; j < 4; j++) {
                vues[j] = static_cast<size_t>(Rangee(ys[j])) * nx + Colonne(xs[j]);
                bool deja = false;
                for (int k = 0; k < j; k++) deja |= vues[k] == vues[j];
                nouvelle[j] = !deja;
            }
        };
        // The distinct cells of each quadrilateral's corners, worked out once
        // for the count and the filling; -1 for a corner in a cell already seen.
        std::vector<int64_t> cases_coins(4 * static_cast<size_t>(n));
        for (int r = 0; r < n; r++) {
            size_t vues[4];
            bool nouvelle[4];
            cases_de(q[r], vues, nouvelle);
            for (int j = 0; j < 4; j++) {
                cases_coins[4 * static_cast<size_t>(r) + j] = nouvelle[j] ? static_cast<int64_t>(vues[j]) : -1;
                if (nouvelle[j]) debut[vues[j] + 1]++;
            }
        }
        for (size_t c = 0; c < nb_cases; c++) debut[c + 1] += debut[c];
        rangs_cases.resize(static_cast<size_t>(debut[nb_cases]));
        fin.assign(debut.begin(), debut.end() - 1);
        for (int r = 0; r < n; r++)
            for (int j = 0; j < 4; j++) {
                const int64_t c = cases_coins[4 * static_cast<size_t>(r) + j];
                if (c >= 0)
                    rangs_cases[static_cast<size_t>(fin[static_cast<size_t>(c)]++)] = {r, coins[static_cast<size_t>(r)].moyenne};
            }
    }

    int Rang_de(const Quad* d)
    {
        if (rang_de.empty())
            for (int r = 0; r < static_cast<int>(q.size()); r++) rang_de[q[r]] = r;
        return rang_de.at(d);
    }

    void Retire(int r)
    {
        vivant[r] = 0;
        vivants_angle[Classe_angle(coins[static_cast<size_t>(r)].moyenne)]--;
        if (prec[r] >= 0) suiv[prec[r]] = suiv[r];
        if (suiv[r] >= 0) prec[suiv[r]] = prec[r];
    }

    Quad* Avant(int r) const { return prec[r] >= 0 ? q[prec[r]] : nullptr; }

    static bool Meme_coins(const Quad* a, const Quad* b)
    {
        return a->x1i == b->x1i && a->y1i == b->y1i && a->x1f == b->x1f && a->y1f == b->y1f && a->x2i == b->x2i &&
               a->y2i == b->y2i && a->x2f == b->x2f && a->y2f == b->y2f;
    }

    // The scan's order: a smaller sum, or an equal one earlier in the list
    // (within one quadrilateral the first of its equal sums).
    void Pese(const Quad* T, int k, uint64_t& meilleur, int& choix, int& essai) const
    {
        // Each sum adds a second squared distance to one of these four, so
        // a quadrilateral whose four are all beyond the best cannot win.
        const Coins& Q = coins[static_cast<size_t>(k)];
        const uint64_t a0 = Distance2(Q.x1f, Q.y1f, T->x1i, T->y1i), a1 = Distance2(Q.x2f, Q.y2f, T->x1i, T->y1i);
        const uint64_t a2 = Distance2(Q.x1i, Q.y1i, T->x1f, T->y1f), a3 = Distance2(Q.x2i, Q.y2i, T->x1f, T->y1f);
        if (std::min({a0, a1, a2, a3}) > meilleur) return;
        const uint64_t essais[4] = {a0 + Distance2(Q.x2i, Q.y2i, T->x2f, T->y2f), a1 + Distance2(Q.x1i, Q.y1i, T->x2f, T->y2f),
                                    a2 + Distance2(Q.x2f, Q.y2f, T->x2i, T->y2i), a3 + Distance2(Q.x1f, Q.y1f, T->x2i, T->y2i)};
        for (int i = 0; i < 4; i++)
            if (essais[i] < meilleur || (essais[i] == meilleur && choix >= 0 && k < choix)) {
                meilleur = essais[i];
                choix = k;
                essai = i;
            }
    }

    // Visits the living ranks of a cell or an angle class, dropping the
    // chained ones on the way.
    template <class F>
    void Parcourt_case(size_t c, F f)
    {
        int j = debut[c];
        while (j < fin[c]) {
            const int k = rangs_cases[static_cast<size_t>(j)].rang;
            if (!vivant[k]) {
                rangs_cases[static_cast<size_t>(j)] = rangs_cases[static_cast<size_t>(--fin[c])];
                continue;
            }
            j++;
            f(k, rangs_cases[static_cast<size_t>(j - 1)].moyenne);
        }
    }
    template <class F>
    void Parcourt(std::vector<int>& rangs, F f)
    {
        size_t j = 0;
        while (j < rangs.size()) {
            const int k = rangs[j];
            if (!vivant[k]) {
                rangs[j] = rangs.back();
                rangs.pop_back();
                continue;
            }
            j++;
            f(k);
        }
    }

    // The angle classes a quadrilateral of mean angle `moy` may chain to, in
    // increasing order, class 180 (any other mean) last; worked out once per
    // mean, the threshold being the same for the whole chaining.
    // Kept from one chaining to the next while the threshold stays.
    static inline std::vector<uint8_t> compatibles_[180];
    static inline int seuil_compatibles_ = std::numeric_limits<int>::min();
    std::vector<uint8_t> toutes_classes_;
    const std::vector<uint8_t>& Classes_compatibles(int moy, int seuil_pente)
    {
        if (seuil_pente != seuil_compatibles_) {
            for (auto& l : compatibles_) l.clear();
            seuil_compatibles_ = seuil_pente;
        }
        auto remplit = [&](std::vector<uint8_t>& l) {
            for (int b = 0; b <= 180; b++) {
                if (b < 180) {
                    const int d = Val_abs(moy - b);
                    if (!(d < seuil_pente || d > 180 - seuil_pente)) continue;
                }
                l.push_back(static_cast<uint8_t>(b));
            }
        };
        if (moy < 0 || moy > 179) {
            toutes_classes_.clear();
            remplit(toutes_classes_);
            return toutes_classes_;
        }
        std::vector<uint8_t>& l = compatibles_[moy];
        if (l.empty()) remplit(l);  // never empty once filled: class 180 is always there
        return l;
    }

    // Rank and attachment, -1 when nothing qualifies, or Balayage when the
    // list is to be scanned as it stands.
    int Cherche(const Quad* T, int seuil_pente, Attache& attache)
    {
        if (Separateur(T)) return Apres_separateur(T, attache);
        const uint64_t plafond = Plafond(T);
        const int moy_T = (T->angle1 + T->angle2) / 2;
        int classes[181], nb_classes = 0;
        int64_t candidats = 0;
        for (int b : Classes_compatibles(moy_T, seuil_pente)) {
            if (vivants_angle[b] == 0) continue;
            classes[nb_classes++] = b;
            candidats += vivants_angle[b];
        }
        uint64_t meilleur = plafond;
        int choix = -1, essai = 0;
        const int64_t px[2] = {T->x1i, T->x1f}, py[2] = {T->y1i, T->y1f};
        // The squares around each point only grow: a round weighs the cells
        // the previous rounds left out, the best so far being the best of the
        // whole square (each quadrilateral weighed once, the order of the
        // weighing not mattering to Pese).
        tour++;
        int vu_c0[2] = {0, 0}, vu_c1[2] = {-1, -1}, vu_l0[2] = {0, 0}, vu_l1[2] = {-1, -1};
        auto visite = [&](int l, int c) {
            Parcourt_case(static_cast<size_t>(l) * nx + c, [&](int k, int moyenne) {
                // Candidat for a T that is not a separator.
                const int d = Val_abs(moy_T - moyenne);
                if (!(d < seuil_pente || d > 180 - seuil_pente) || marque[k] == tour) return;
                marque[k] = tour;
                Pese(T, k, meilleur, choix, essai);
            });
        };
        for (int64_t r = cote; candidats > 0; r *= 2) {
            int64_t a_voir = 0;
            for (int p = 0; p < 2; p++)
                a_voir += static_cast<int64_t>(Colonne(px[p] + r) - Colonne(px[p] - r) + 1) *
                          (Rangee(py[p] + r) - Rangee(py[p] - r) + 1);
            if (a_voir > 2 * candidats) {
                meilleur = plafond;
                choix = -1;
                for (int c = 0; c < nb_classes; c++)
                    Parcourt(par_angle[classes[c]], [&](int k) {
                        if (Candidat(T, &coins[static_cast<size_t>(k)], seuil_pente)) Pese(T, k, meilleur, choix, essai);
                    });
                break;
            }
            for (int p = 0; p < 2; p++) {
                const int c0 = Colonne(px[p] - r), c1 = Colonne(px[p] + r);
                const int l0 = Rangee(py[p] - r), l1 = Rangee(py[p] + r);
                for (int l = l0; l <= l1; l++) {
                    if (l < vu_l0[p] || l > vu_l1[p]) {
                        for (int c = c0; c <= c1; c++) visite(l, c);
                    } else {
                        for (int c = c0; c < vu_c0[p]; c++) visite(l, c);
                        for (int c = vu_c1[p] + 1; c <= c1; c++) visite(l, c);
                    }
                }
                vu_c0[p] = c0;
                vu_c1[p] = c1;
                vu_l0[p] = l0;
                vu_l1[p] = l1;
            }
            const uint64_t r2 = static_cast<uint64_t>(r) * static_cast<uint64_t>(r);
            bool tout_vu = false;
            for (int p = 0; p < 2; p++)
                tout_vu |= px[p] - r <= x0 && px[p] + r >= x1 && py[p] - r <= y0 && py[p] + r >= y1;
            if ((choix >= 0 && meilleur < r2) || tout_vu || r2 >= plafond) break;
        }
        attache = Attache_de(essai);
        return choix;
    }

    int Apres_separateur(const Quad* T, Attache& attache)
    {
        if (!ordre_pret) {
            modele_separateur = *T;
            for (int r = 0; r < static_cast<int>(q.size()); r++) {
                if (!vivant[r]) continue;
                uint64_t essais[4];
                Sommes(T, &coins[static_cast<size_t>(r)], essais);
                int i_min = 0;
                for (int i = 1; i < 4; i++)
                    if (essais[i] < essais[i_min]) i_min = i;
                depuis_separateur.push_back({essais[i_min], r, i_min});
            }
            std::sort(depuis_separateur.begin(), depuis_separateur.end());
            ordre_pret = true;
        }
        if (!Meme_coins(T, &modele_separateur)) return Balayage;
        while (prochain < depuis_separateur.size() && !vivant[depuis_separateur[prochain].rang]) prochain++;
        if (prochain == depuis_separateur.size()) return -1;
        attache = Attache_de(depuis_separateur[prochain].essai);
        return depuis_separateur[prochain].rang;
    }
};

int Chaine(int seuil_pente, bool indexe)
{
    if (Nb_quads == 0) return 0;
    std::vector<Quad*>& ordre = fusion_quads::Ordre_chaine();
    {
        // Retire_si, fetching ahead in the previous chaining's order.
        Avance<Quad> avance(ordre);
        for (Quad** lien = &Liste_quads; *lien;) {
            Quad* r = *lien;
            avance.Vers(r);
            if (r->length == 0) {
                *lien = r->suivant;
                delete r;
                Nb_quads--;
            } else {
                lien = &r->suivant;
            }
        }
    }

    Quad* tete = Nouveau_separateur();  // start separator
    if (!tete) return 0;
    Quad* queue = tete;
    int separateurs = 0;
    Progression_init(0, Nb_quads - 1);

    Index_quads ix;
    if (indexe) ix.Construit();
    ordre.clear();

    while (Liste_quads) {
        Progression_pas();
        Quad* const T = queue;
        const bool T_separateur = Separateur(T);
        Choix choix;
        int rang = -1;
        if (indexe) {
            rang = ix.Cherche(T, seuil_pente, choix.attache);
            if (rang >= 0) {
                choix.q = ix.q[rang];
                choix.avant = ix.Avant(rang);
            } else if (rang == Balayage) {
                choix = Choix_direct(T, seuil_pente);
                rang = choix.q ? ix.Rang_de(choix.q) : -1;
            }
        } else {
            choix = Choix_direct(T, seuil_pente);
        }

        bool coupe = !choix.q;
        if (choix.q && !T_separateur) {
            if (choix.attache == Attache::Derriere) {
                coupe = true;
            } else {
                const Point m = choix.attache == Attache::Avant ? Milieu_B(choix.q) : Milieu_A(choix.q);
                const Point mT = Milieu_A(T);
                coupe = Blancs_au_dela(m.x, m.y, mT.x, mT.y, Plan1, 4);
            }
        }
        if (coupe) {
            Quad* sep = Nouveau_separateur();
            if (!sep) break;
            queue = Ajoute_en_queue(tete, queue, sep);
            ordre.push_back(sep);
            separateurs++;
            continue;
        }

        Quad* q = choix.q;
        if (choix.avant) choix.avant->suivant = q->suivant;
        else Liste_quads = q->suivant;
        if (indexe) ix.Retire(rang);
        if (choix.attache == Attache::Croise) {
            std::swap(q->x1i, q->x2i);
            std::swap(q->y1i, q->y2i);
            std::swap(q->x1f, q->x2f);
            std::swap(q->y1f, q->y2f);
            std::swap(q->thickness1, q->thickness2);
            std::swap(q->angle1, q->angle2);
        } else if (choix.attache == Attache::Derriere) {
            std::swap(q->x1i, q->x1f);
            std::swap(q->y1i, q->y1f);
            std::swap(q->x2i, q->x2f);
            std::swap(q->y2i, q->y2f);
            std::swap(q->thickness1, q->thickness2);
        }
        queue = Ajoute_en_queue(tete, queue, q);
        ordre.push_back(q);
    }
    // A failed allocation leaves the rest of the old list unchained but kept.
    queue->suivant = Liste_quads;

    Liste_quads = tete->suivant;
    delete tete;
    Nb_quads += separateurs;
    Ecrit_texte(1, " * Tri termine. ");
    return 1;
}

}  // namespace

int Chainage_quads(int seuil_pente) { return Chaine(seuil_pente, true); }

int Chainage_quads_direct(int seuil_pente) { return Chaine(seuil_pente, false); }
