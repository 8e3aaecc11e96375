#include "vecto/fusion_vecteurs.h"

#include <cstdint>
#include <limits>
#include <string>
#include <new>
#include <utility>
#include <vector>
#include <algorithm>

#include "port/shell.h"
#include "image/param.h"
#include "vecto/avance.h"
#include "vecto/ecarts.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace {

// On a helper thread the log lines and messages are kept here, in order,
// for the calling thread to show once the work is done.
thread_local std::string* journal_differe = nullptr;

// The records of the chained list in list order, as the indexed chaining
// made it: the fusion and the next chaining walk the list in that order
// while the records lie anywhere in memory, so they fetch a few ahead. A
// hint only: a list that no longer matches just goes without.
thread_local std::vector<Vecteur*> ordre_chaine;

// Retire_si over Liste_vecteurs, fetching ahead.
template <class P>
void Retire_vecteurs_si(P retire)
{
    Avance<Vecteur> avance(ordre_chaine);
    Vecteur** lien = &Liste_vecteurs;
    while (*lien) {
        Vecteur* r = *lien;
        avance.Vers(r);
        if (retire(*r)) {
            *lien = r->suivant;
            delete r;
        } else {
            lien = &r->suivant;
        }
    }
}

void Erreur_memoire()
{
    if (journal_differe) journal_differe->push_back('M');
    else Message_erreur(" - Erreur mem. - ");
}

// Separators lie outside the image (x = -50); their second end is the point
// from which the next chain is searched.
Vecteur* Nouveau_separateur(int yi, int yf)
{
    Vecteur* v = new (std::nothrow) Vecteur();
    if (!v) {
        Erreur_memoire();
        return nullptr;
    }
    v->xi = -50;
    v->yi = yi;
    v->xf = -50;
    v->yf = yf;
    return v;
}

uint64_t Distance2(int xa, int ya, int xb, int yb)
{
    const int64_t dx = static_cast<int64_t>(xa) - xb, dy = static_cast<int64_t>(ya) - yb;
    return static_cast<uint64_t>(dx * dx + dy * dy);
}

bool Pentes_proches(int a, int b, int seuil)
{
    const int d = Val_abs(a - b);
    return d < seuil || d > 180 - seuil;
}

// Area swept by the chain S..J..K: the straightness measure of a run.
double Aire(int xs, int ys, int xj, int yj, int xk, int yk)
{
    return static_cast<double>(xk - xs) * (yk - yj) - static_cast<double>(yk - ys) * (xk - xj);
}

}  // namespace

namespace {

// The chaining as written: every step scans the whole remaining list.
// Returns the head of the new list (its start separator), or null when that
// separator cannot be allocated.
Vecteur* Chaine_directe(int seuil_pente)
{
    Vecteur* tete = Nouveau_separateur(-50, -100);  // start separator
    if (!tete) return nullptr;
    Vecteur* queue = tete;

    while (Liste_vecteurs) {
        Vecteur* const T = queue;
        const bool T_separateur = T->length == 0;
        // After a separator every vector qualifies whatever its distance, so a
        // new chain always starts (the cap would only matter on images more
        // than 32000 pixels across, where it would stall the pass).
        uint64_t meilleur = T_separateur ? std::numeric_limits<uint64_t>::max() : 2147483647u;
        Vecteur* choisi = nullptr;
        Vecteur* avant_choisi = nullptr;
        bool inverse = false;
        Vecteur* avant = nullptr;
        for (Vecteur* d = Liste_vecteurs; d; avant = d, d = d->suivant) {
            if (!T_separateur && !Pentes_proches(T->angle, d->angle, seuil_pente)) continue;
            const uint64_t d1 = Distance2(d->xf, d->yf, T->xf, T->yf);
            if (d1 < meilleur) {
                meilleur = d1;
                choisi = d;
                avant_choisi = avant;
                inverse = true;
            }
            const uint64_t d2 = Distance2(d->xi, d->yi, T->xf, T->yf);
            if (d2 < meilleur) {
                meilleur = d2;
                choisi = d;
                avant_choisi = avant;
                inverse = false;
            }
        }

        Vecteur* sep = nullptr;
        if (choisi) {
            const int ex = inverse ? choisi->xf : choisi->xi;
            const int ey = inverse ? choisi->yf : choisi->yi;
            if (!T_separateur && (Blancs_au_dela(ex, ey, T->xf, T->yf, Plan1, 4) || meilleur > 400)) {
                sep = Nouveau_separateur(-100, -50);  // cut
                if (!sep) break;
                queue = Ajoute_en_queue(tete, queue, sep);
                continue;
            }
            if (avant_choisi) avant_choisi->suivant = choisi->suivant;
            else Liste_vecteurs = choisi->suivant;
            if (inverse) {
                std::swap(choisi->xi, choisi->xf);
                std::swap(choisi->yi, choisi->yf);
            }
            queue = Ajoute_en_queue(tete, queue, choisi);
        } else {
            sep = Nouveau_separateur(-49, -50);  // end: no compatible angle left
            if (!sep) break;
            queue = Ajoute_en_queue(tete, queue, sep);
        }
    }
    // A failed allocation leaves the rest of the old list unchained but kept.
    queue->suivant = Liste_vecteurs;
    Liste_vecteurs = nullptr;
    return tete;
}

// Same result as Chaine_directe, without scanning the whole list at every
// step. The choice of the literal scan is the smallest (distance, list rank,
// reversed before forward); only a continuation within 20 pixels is ever
// taken after a real vector, so a grid of the vector ends answers that, and
// after a separator (whose second end is always (-50, -50) but for the start
// one) the answer is the first living entry of one sorted table.
constexpr int Cote_case = 32;

struct Entree {
    uint64_t d;
    int rang;
    int sens;  // 0 reversed (second end nearest), 1 forward
    bool operator<(const Entree& o) const
    {
        if (d != o.d) return d < o.d;
        if (rang != o.rang) return rang < o.rang;
        return sens < o.sens;
    }
};

// The index gives the literal scan's answer when every angle is a true
// 0..179 value and no squared distance can reach the scan's 2^31 - 1 cap.
bool Index_valable(const std::vector<Vecteur*>& v, int& x0, int& y0, int& x1, int& y1)
{
    x0 = -50, y0 = -100, x1 = -50, y1 = -50;
    for (const Vecteur* d : v) {
        if (d->angle < 0 || d->angle > 179) return false;
        x0 = std::min({x0, d->xi, d->xf});
        x1 = std::max({x1, d->xi, d->xf});
        y0 = std::min({y0, d->yi, d->yf});
        y1 = std::max({y1, d->yi, d->yf});
    }
    const double w = static_cast<double>(x1) - x0, h = static_cast<double>(y1) - y0;
    return w * w + h * h < 2147483647.0;
}

Vecteur* Chaine_indexee(std::vector<Vecteur*>& v, int x0, int y0, int x1, int y1, int seuil_pente)
{
    Vecteur* tete = Nouveau_separateur(-50, -100);  // start separator
    if (!tete) return nullptr;
    Vecteur* queue = tete;
    ordre_chaine.clear();
    ordre_chaine.reserve(2 * v.size() + 1);

    const int n = static_cast<int>(v.size());
    std::vector<char> vivant(n, 1);
    int par_angle[180] = {};
    for (const Vecteur* d : v) par_angle[d->angle]++;

    const int nx = (x1 - x0) / Cote_case + 1, ny = (y1 - y0) / Cote_case + 1;
    // The ends and angle of each rank side by side: the searches read them
    // for every neighbour, and a living vector's record does not change.
    struct Bouts {
        int xi, yi, xf, yf, angle;
    };
    std::vector<Bouts> bouts(static_cast<size_t>(n));
    for (int r = 0; r < n; r++) {
        if (r + 8 < n) __builtin_prefetch(v[r + 8]);
        bouts[static_cast<size_t>(r)] = {v[r]->xi, v[r]->yi, v[r]->xf, v[r]->yf, v[r]->angle};
    }

    // The ranks of each cell with their ends and angle, stored one cell
    // after the other: cell c holds rangs[debut[c] .. fin[c]), the living
    // ones and some chained ones. A search reads a cell in one sweep.
    struct Rang_bouts {
        int rang;
        Bouts b;
    };
    const size_t nb_cases = static_cast<size_t>(nx) * ny;
    auto case_de = [&](int x, int y) { return static_cast<size_t>((y - y0) / Cote_case) * nx + (x - x0) / Cote_case; };
    std::vector<int> debut(nb_cases + 1, 0);
    std::vector<Rang_bouts> rangs;
    for (int r = 0; r < n; r++) {
        const Bouts& e = bouts[static_cast<size_t>(r)];
        const size_t a = case_de(e.xi, e.yi), b = case_de(e.xf, e.yf);
        debut[a + 1]++;
        if (b != a) debut[b + 1]++;
    }
    for (size_t c = 0; c < nb_cases; c++) debut[c + 1] += debut[c];
    rangs.resize(static_cast<size_t>(debut[nb_cases]));
    std::vector<int> fin(debut.begin(), debut.end() - 1);  // end of the living ranks of each cell
    for (int r = 0; r < n; r++) {
        const Bouts& e = bouts[static_cast<size_t>(r)];
        const size_t a = case_de(e.xi, e.yi), b = case_de(e.xf, e.yf);
        rangs[static_cast<size_t>(fin[a]++)] = {r, e};
        if (b != a) rangs[static_cast<size_t>(fin[b]++)] = {r, e};
    }

    // The entries from the corner (-50, -50) packed into one word each,
    // distance, rank and sense from the high bits down, so that the words
    // sort as the entries: every distance lies within the box that
    // Index_valable bounded below 2^31.
    std::vector<uint64_t> depuis_coin;
    depuis_coin.reserve(2 * static_cast<size_t>(n));
    auto cle = [](uint64_t d, int r, int sens) { return d << 33 | static_cast<uint64_t>(r) << 1 | static_cast<uint64_t>(sens); };
    for (int r = 0; r < n; r++) {
        depuis_coin.push_back(cle(Distance2(bouts[static_cast<size_t>(r)].xf, bouts[static_cast<size_t>(r)].yf, -50, -50), r, 0));
        depuis_coin.push_back(cle(Distance2(bouts[static_cast<size_t>(r)].xi, bouts[static_cast<size_t>(r)].yi, -50, -50), r, 1));
    }
    std::sort(depuis_coin.begin(), depuis_coin.end());
    auto rang_de = [](uint64_t c) { return static_cast<int>((c >> 1) & 0xFFFFFFFFu); };
    size_t prochain_coin = 0;

    int restants = n;
    while (restants > 0) {
        Vecteur* const T = queue;
        const int px = T->xf, py = T->yf;
        Entree choix{std::numeric_limits<uint64_t>::max(), -1, 0};
        if (T->length == 0) {
            if (px == -50 && py == -50) {
                while (!vivant[rang_de(depuis_coin[prochain_coin])]) prochain_coin++;
                const uint64_t c = depuis_coin[prochain_coin];
                choix = {c >> 33, rang_de(c), static_cast<int>(c & 1)};
            } else {
                for (int r = 0; r < n; r++) {
                    if (!vivant[r]) continue;
                    const Entree e1{Distance2(v[r]->xf, v[r]->yf, px, py), r, 0};
                    const Entree e2{Distance2(v[r]->xi, v[r]->yi, px, py), r, 1};
                    if (e1 < choix) choix = e1;
                    if (e2 < choix) choix = e2;
                }
            }
        } else {
            const int cx0 = std::max(0, (px - 20 - x0) / Cote_case), cx1 = std::min(nx - 1, (px + 20 - x0) / Cote_case);
            const int cy0 = std::max(0, (py - 20 - y0) / Cote_case), cy1 = std::min(ny - 1, (py + 20 - y0) / Cote_case);
            for (int cy = cy0; cy <= cy1; cy++) {
                for (int cx = cx0; cx <= cx1; cx++) {
                    const size_t c = static_cast<size_t>(cy) * nx + cx;
                    // Chained vectors leave the cell as they are met; the
                    // choice does not hang on the order within a cell.
                    for (int i = debut[c]; i < fin[c];) {
                        const int r = rangs[static_cast<size_t>(i)].rang;
                        if (!vivant[r]) {
                            rangs[static_cast<size_t>(i)] = rangs[static_cast<size_t>(--fin[c])];
                            continue;
                        }
                        const Bouts& b = rangs[static_cast<size_t>(i)].b;
                        i++;
                        if (!Pentes_proches(T->angle, b.angle, seuil_pente)) continue;
                        const Entree e1{Distance2(b.xf, b.yf, px, py), r, 0};
                        const Entree e2{Distance2(b.xi, b.yi, px, py), r, 1};
                        if (e1.d <= 400 && e1 < choix) choix = e1;
                        if (e2.d <= 400 && e2 < choix) choix = e2;
                    }
                }
            }
            bool coupe = choix.rang < 0;
            if (!coupe) {
                const Vecteur* d = v[choix.rang];
                coupe = choix.sens == 0 ? Blancs_au_dela(d->xf, d->yf, px, py, Plan1, 4)
                                        : Blancs_au_dela(d->xi, d->yi, px, py, Plan1, 4);
            }
            if (coupe) {
                // Close slopes are at most the threshold apart around the
                // half circle: only those angles need asking.
                bool compatible = false;
                const int ecart = std::min(seuil_pente, 90);
                for (int k = -ecart; k <= ecart && !compatible; k++) {
                    const int a = ((T->angle + k) % 180 + 180) % 180;
                    compatible = par_angle[a] > 0 && Pentes_proches(T->angle, a, seuil_pente);
                }
                Vecteur* sep = compatible ? Nouveau_separateur(-100, -50) : Nouveau_separateur(-49, -50);
                if (!sep) break;
                queue = Ajoute_en_queue(tete, queue, sep);
                ordre_chaine.push_back(sep);
                continue;
            }
        }
        Vecteur* d = v[choix.rang];
        vivant[choix.rang] = 0;
        restants--;
        par_angle[d->angle]--;
        if (choix.sens == 0) {
            std::swap(d->xi, d->xf);
            std::swap(d->yi, d->yf);
        }
        queue = Ajoute_en_queue(tete, queue, d);
        ordre_chaine.push_back(d);
    }
    // A failed allocation leaves the rest of the old list unchained but kept.
    for (int r = 0; r < n; r++)
        if (vivant[r]) {
            queue = Ajoute_en_queue(tete, queue, v[r]);
            ordre_chaine.push_back(v[r]);
        }
    return tete;
}

// Clears the numbers and drops the separators in one walk of the list,
// gathering the vectors kept in list order when `v` is given.
void Prepare_chainage(std::vector<Vecteur*>* v = nullptr)
{
    Retire_vecteurs_si([v](Vecteur& d) {
        d.numero = 0;
        if (d.length == 0) return true;
        if (v) v->push_back(&d);
        return false;
    });
}

int Termine_chainage(Vecteur* tete)
{
    if (!tete) return 0;
    Liste_vecteurs = tete->suivant;
    delete tete;
    if (journal_differe) journal_differe->push_back('T');
    else Ecrit_texte(1, " * Tri Vecteur termine. ");
    return 1;
}

}  // namespace

int Chainage_vecteurs(int seuil_pente)
{
    if (!Liste_vecteurs) return 0;
    std::vector<Vecteur*> v;
    Prepare_chainage(&v);
    int x0, y0, x1, y1;
    if (!Index_valable(v, x0, y0, x1, y1)) return Termine_chainage(Chaine_directe(seuil_pente));
    Vecteur* tete = Chaine_indexee(v, x0, y0, x1, y1, seuil_pente);
    if (!tete) return 0;  // the old list is untouched
    return Termine_chainage(tete);
}

int Chainage_vecteurs_direct(int seuil_pente)
{
    if (!Liste_vecteurs) return 0;
    Prepare_chainage();
    return Termine_chainage(Chaine_directe(seuil_pente));
}

int Fusion_vecteurs() { return Fusion_vecteurs(Lit_param("EpsFQ")); }

void Fusions_vecteurs_differees(int seuil_pente, double eps, std::string& journal)
{
    journal_differe = &journal;
    do Chainage_vecteurs(seuil_pente);
    while (Fusion_vecteurs(eps) != 0);
    journal_differe = nullptr;
}

void Montre_journal_differe(const std::string& journal)
{
    for (const char c : journal) {
        if (c == 'M') Message_erreur(" - Erreur mem. - ");
        else Ecrit_texte(1, " * Tri Vecteur termine. ");
    }
}

int Fusion_vecteurs(double eps)
{
    if (!Liste_vecteurs) return 0;

    int retires = 0;
    Vecteur *B = Liste_vecteurs, *A = B, *C = B;
    int xs = B->xi, ys = B->yi, xj = xs, yj = ys, xk = B->xf, yk = B->yf;
    double ar = 0;
    bool fin_liste = false;

    auto redemarre = [&](Vecteur* q) {
        B = A = C = q;
        if (!q) return;
        xs = xj = q->xi;
        ys = yj = q->yi;
        xk = q->xf;
        yk = q->yf;
        ar = 0;
    };

    Avance<Vecteur> avance(ordre_chaine);
    while (B) {
        avance.Vers(C);
        const bool retour = static_cast<double>(xk - xj) * (xj - xs) + static_cast<double>(yk - yj) * (yj - ys) < 0;
        ar += Aire(xs, ys, xj, yj, xk, yk);
        const double n = static_cast<double>(xk - xs) * (xk - xs) + static_cast<double>(yk - ys) * (yk - ys);
        if (n * eps >= ar * ar && !fin_liste && !retour) {
            A = C;
            C = C->suivant;
            xj = xk;
            yj = yk;
            if (C) {
                xk = C->xf;
                yk = C->yf;
            } else {
                fin_liste = true;
            }
            continue;
        }
        if (B->length != 0 && A != B && A->length != 0) {
            B->xf = A->xf;
            B->yf = A->yf;
            B->length = Longueur_vecteur(xs, ys, xj, yj);
            B->angle = Angle_vecteur(B->xi, B->yi, B->xf, B->yf);
            retires += Supprime_entre(B, C);
            if (fin_liste) break;
            redemarre(C);
        } else {
            if (fin_liste) break;
            redemarre(B->suivant);
        }
    }

    Retire_vecteurs_si([](Vecteur& v) {
        if (v.length < 3) return true;
        v.etat = 1;
        return false;
    });
    return retires;
}
