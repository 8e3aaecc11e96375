#include "vecto/contours.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "port/shell.h"
#include "image/param.h"
#include "image/planes.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace {

// Chain codes, counter-clockwise as the image is seen (y grows downwards).
constexpr int DX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int DY[8] = {0, -1, -1, -1, 0, 1, 1, 1};

// Code of a step of -1..1 in each direction (0 for no move), by table: the
// tracing asks it at every step.
struct Codes_pas {
    int code[9] = {};
    constexpr Codes_pas()
    {
        for (int d = 0; d < 8; d++) code[(DX[d] + 1) * 3 + DY[d] + 1] = d;
    }
};
constexpr Codes_pas Table_pas;

int Code_pas(int dx, int dy) { return Table_pas.code[(dx + 1) * 3 + dy + 1]; }

// Norme_virage for the differences of two codes, -7..7.
struct Virages {
    int v[15] = {};
    constexpr Virages()
    {
        for (int d = -7; d <= 7; d++) {
            int r = d % 8;
            if (r > 4) r -= 8;
            if (r < -3) r += 8;
            v[d + 7] = r;
        }
    }
};
constexpr Virages Table_virages;

int Virage(int d) { return Table_virages.v[d + 7]; }

// Lit_pixel on Plan1 without looking the plane up at each read: the tracing
// reads up to twelve neighbours a step. Only for a plane of at least 2 x 2.
struct Lecteur {
    const uint8_t* pixels;
    size_t octets;
    unsigned larg_1, haut_1;
    int haut;
    explicit Lecteur(const PlanImage& p)
        : pixels(p.pixels.data()), octets(static_cast<size_t>(p.octets)), larg_1(static_cast<unsigned>(p.larg - 1)),
          haut_1(static_cast<unsigned>(p.haut - 1)), haut(p.haut)
    {
    }
    bool Noir(int x, int y) const
    {
        if (static_cast<unsigned>(x - 1) >= larg_1 || static_cast<unsigned>(y - 1) >= haut_1) return false;
        return ((pixels[static_cast<size_t>(haut - y) * octets + static_cast<unsigned>(x >> 3)] >> (7 - (x & 7))) & 1) == 0;
    }
};

// Appends a vector after `queue`; false (after the message) when it cannot
// be allocated.
bool Ajoute_vecteur(Vecteur*& queue, int xi, int yi, int xf, int yf, const char* message)
{
    Vecteur* v = new (std::nothrow) Vecteur;
    if (!v) {
        Message_erreur(message);
        return false;
    }
    v->xi = xi;
    v->yi = yi;
    v->xf = xf;
    v->yf = yf;
    v->length = Longueur_vecteur(xi, yi, xf, yf);
    queue = Ajoute_en_queue(Liste_vecteurs, queue, v);
    return true;
}

bool Mot_blanc(const uint8_t* o)
{
    uint64_t m;
    std::memcpy(&m, o, 8);
    return m == ~uint64_t{0};
}

struct Suivi {
    Vecteur* queue_v = nullptr;
    CC* queue_cc = nullptr;
    double eps = 0;
    int limite = 0;
};

// Follows one contour from S, cutting it into vectors. Returns false after
// an allocation failure; `pas` receives the number of steps taken.
bool Trace_contour(Suivi& s, int sx, int sy, int& pas)
{
    const Lecteur plan(Plan1);
    int px = sx, py = sy, qx = sx, qy = sy, vx = sx, vy = sy;
    int xmin = sx, xmax = sx, ymin = sy, ymax = sy;
    int g = 6, virage = 0, points = 0, code_prec = 0, code_premier = 0;
    double A = 0;
    pas = 0;
    for (;;) {
        if (pas >= s.limite) break;
        pas++;
        points++;
        xmin = std::min(xmin, px);
        xmax = std::max(xmax, px);
        ymin = std::min(ymin, py);
        ymax = std::max(ymax, py);

        const int64_t aire = static_cast<int64_t>(px - vx) * (py - qy) - static_cast<int64_t>(py - vy) * (px - qx);
        A += static_cast<double>(aire);
        const int64_t N = static_cast<int64_t>(px - vx) * (px - vx) + static_cast<int64_t>(py - vy) * (py - vy);
        if (A * A > s.eps * static_cast<double>(N)) {
            if (points >= 2) {
                if (!Ajoute_vecteur(s.queue_v, vx, vy, qx, qy, "- Erreur mem. -")) return false;
            } else if (s.queue_v) {
                // A one-pixel piece lengthens the previous vector, length kept.
                s.queue_v->xf = qx;
                s.queue_v->yf = qy;
            }
            vx = qx;
            vy = qy;
            points = 0;
            A = 0;
        }

        if (px != qx || py != qy) {
            const int d = Code_pas(px - qx, py - qy);
            if (qx == sx && qy == sy) code_premier = d;
            else virage += Virage(d - code_prec);
            code_prec = d;
        }
        qx = px;
        qy = py;
        Ecrit_pixel(px, py, 1, Plan2);

        bool trouve = false;
        for (int essai = 0; essai < 4 && !trouve; essai++) {
            const int a = (g + 7) & 7, c = (g + 1) & 7;
            if (plan.Noir(px + DX[a], py + DY[a])) {
                px += DX[a];
                py += DY[a];
                g = (g + 6) & 7;
                trouve = true;
            } else if (plan.Noir(px + DX[g], py + DY[g])) {
                px += DX[g];
                py += DY[g];
                trouve = true;
            } else if (plan.Noir(px + DX[c], py + DY[c])) {
                px += DX[c];
                py += DY[c];
                trouve = true;
            } else {
                g = (g + 2) & 7;
            }
        }
        if (!trouve) break;  // cannot happen: the start test saw a black neighbour

        if (px == sx && py == sy) {
            virage += Virage(code_premier - code_prec);
            // A negative total turning is the border of a hole: no component.
            if (virage >= 0) {
                CC* c = new (std::nothrow) CC;
                if (!c) {
                    Message_erreur("- Erreur mem. -");
                    return false;
                }
                c->xi = xmin;
                c->yi = ymin;
                c->xf = xmax;
                c->yf = ymax;
                s.queue_cc = Ajoute_en_queue(Liste_CC, s.queue_cc, c);
            }
            break;
        }
    }
    if (points >= 2) return Ajoute_vecteur(s.queue_v, vx, vy, qx, qy, " - Erreur mem. - ");
    if (s.queue_v) {
        s.queue_v->xf = qx;
        s.queue_v->yf = qy;
    }
    return true;
}

}  // namespace

int Norme_virage(int d)
{
    int r = d % 8;
    if (r > 4) r -= 8;
    if (r < -3) r += 8;
    return r;
}

void Suivi_contours()
{
    if (Liste_vecteurs) return;
    const int W = Plan1.larg, H = Plan1.haut;
    Suivi s;
    s.limite = static_cast<int>((static_cast<int64_t>(Largeur) * Hauteur) / 14);
    s.eps = Lit_param("EpsV");
    s.queue_cc = Dernier(Liste_CC);

    Progression_init(1, Hauteur / 2 - 1);
    int pas_precedent = -1;  // no contour yet: nothing to report, even with a limit of 0
    bool arret = false;
    for (int y = 1; y < Hauteur - 1 && !arret; y += 2) {
        Progression_pas();
        if (!Plan1.existe() || y >= H || static_cast<int64_t>(Plan1.octets) * 8 < W) continue;
        const uint8_t* o = Ligne_plan(Plan1, y);
        // Plan1 at (x, y) for 1 <= x < W, read straight from the row.
        auto noir = [o](int x) { return ((o[x >> 3] >> (7 - (x & 7))) & 1) == 0; };
        const int fin = std::min(Largeur, W) - 1;
        int x = 1;
        while (x < fin) {
            if ((x & 7) == 0 && o[x >> 3] == 0xFF) {
                x += 8;
                // Then whole white words while the row has them.
                while (x < fin && (x >> 3) + 8 <= Plan1.octets && Mot_blanc(o + (x >> 3))) x += 64;
                continue;
            }
            if (!noir(x)) {
                x++;
                continue;
            }
            if (Lit_pixel(x, y, Plan2)) {
                // Already followed: skip the black run; the column after the
                // first white one is not examined.
                while (x < W && noir(x)) {
                    if ((x & 7) == 0 && x + 8 <= W && o[x >> 3] == 0) x += 8;
                    else x++;
                }
                x += 2;
                continue;
            }
            if (!Lit_pixel(x - 1, y, Plan1) &&
                (Lit_pixel(x, y + 1, Plan1) || Lit_pixel(x + 1, y + 1, Plan1) || Lit_pixel(x + 1, y, Plan1) ||
                 Lit_pixel(x + 1, y - 1, Plan1))) {
                if (pas_precedent >= s.limite && Mode_trace == 1) Message_erreur("Erreur(1)");
                if (!Trace_contour(s, x, y, pas_precedent)) {
                    arret = true;
                    break;
                }
            }
            x++;
        }
    }
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) v->angle = Angle_vecteur(v->xi, v->yi, v->xf, v->yf);
}

int Fusion_chaines()
{
    const double eps = Lit_param("EpsFV");
    int retires = 0;
    Vecteur *B = nullptr, *acc = nullptr, *cand = nullptr;
    int sx = 0, sy = 0, jx = 0, jy = 0, kx = 0, ky = 0;
    double A = 0;

    auto redemarre = [&](Vecteur* b) {
        B = acc = cand = b;
        if (b) {
            sx = jx = kx = b->xi;
            sy = jy = ky = b->yi;
        }
        A = 0;
    };
    // Adds the point's area to the chain and tells whether it stays within
    // the tolerance without turning back.
    auto accepte = [&](int x, int y) {
        A += static_cast<double>(static_cast<int64_t>(x - sx) * (y - jy) - static_cast<int64_t>(y - sy) * (x - jx));
        const int64_t N = static_cast<int64_t>(x - sx) * (x - sx) + static_cast<int64_t>(y - sy) * (y - sy);
        if (!(A * A <= eps * static_cast<double>(N))) return false;
        if (B == acc) return true;
        return static_cast<int64_t>(jx - sx) * (x - jx) + static_cast<int64_t>(jy - sy) * (y - jy) > 0;
    };
    // B absorbs everything from its successor up to (not including) `jusqu_a`.
    auto retire_jusqu_a = [&](Vecteur* jusqu_a) { retires += Supprime_entre(B, jusqu_a); };
    auto prolonge_B = [&](int x, int y) {
        B->xf = x;
        B->yf = y;
        B->angle = Angle_vecteur(B->xi, B->yi, x, y);
        B->length = Longueur_vecteur(B->xi, B->yi, x, y);
    };
    auto coupe_en_J = [&] {
        if (B->suivant == acc) return;
        prolonge_B(jx, jy);
        retire_jusqu_a(acc);
    };

    redemarre(Liste_vecteurs);
    while (B) {
        if (retires % 8 == 0) Traite_evenements();
        if (cand && (cand == acc || (cand->xi == acc->xf && cand->yi == acc->yf))) {
            if (accepte(kx, ky)) {
                acc = cand;
                cand = cand->suivant;
                jx = kx;
                jy = ky;
                if (cand) {
                    kx = cand->xi;
                    ky = cand->yi;
                }
            } else if (acc == B) {
                // Only with a negative tolerance: nothing to cut, move on.
                redemarre(cand);
            } else {
                coupe_en_J();
                redemarre(acc);
            }
        } else if (B == acc) {
            redemarre(cand);
        } else if (accepte(acc->xf, acc->yf)) {
            prolonge_B(acc->xf, acc->yf);
            retire_jusqu_a(cand);
            redemarre(cand);
        } else {
            coupe_en_J();
            redemarre(acc);
        }
    }
    return retires;
}

void Nettoyage_CC(int s, int m)
{
    struct Boite { int xi, yi, xf, yf; };
    std::vector<Boite> petites;
    Retire_si(Liste_CC, [&](const CC& c) {
        if (!(c.xf - c.xi < s && c.yf - c.yi < s)) return false;
        petites.push_back({c.xi, c.yi, c.xf, c.yf});
        for (int y = c.yi; y <= c.yf; y++)
            for (int x = c.xi; x <= c.xf; x++) Ecrit_pixel(x, y, 0, Plan1);
        return true;
    });

    if (!petites.empty()) {
        // Boxes narrower than s in both directions: a grid of cells of side s
        // puts each in at most four cells, and a vector inside a box has its
        // first end in one of them.
        const int64_t cote = s > 0 ? s : 1;
        auto cellule = [cote](int x, int y) {
            const int64_t cx = x >= 0 ? x / cote : -((-static_cast<int64_t>(x) + cote - 1) / cote);
            const int64_t cy = y >= 0 ? y / cote : -((-static_cast<int64_t>(y) + cote - 1) / cote);
            return std::pair<int64_t, int64_t>(cx, cy);
        };
        std::vector<std::pair<std::pair<int64_t, int64_t>, int>> grille;
        for (int i = 0; i < static_cast<int>(petites.size()); i++) {
            const Boite& b = petites[i];
            if (b.xi > b.xf || b.yi > b.yf) continue;  // holds no point
            const auto [cx0, cy0] = cellule(b.xi, b.yi);
            const auto [cx1, cy1] = cellule(b.xf, b.yf);
            for (int64_t cx = cx0; cx <= cx1; cx++)
                for (int64_t cy = cy0; cy <= cy1; cy++) grille.push_back({{cx, cy}, i});
        }
        std::sort(grille.begin(), grille.end());
        // The short vectors go in the same walk of the list.
        Retire_si(Liste_vecteurs, [&](const Vecteur& v) {
            if (v.length < m) return true;
            const auto cle = cellule(v.xi, v.yi);
            auto it = std::lower_bound(grille.begin(), grille.end(), std::pair(cle, -1));
            for (; it != grille.end() && it->first == cle; ++it) {
                const Boite& b = petites[it->second];
                if (b.xi <= v.xi && v.xi <= b.xf && b.yi <= v.yi && v.yi <= b.yf && b.xi <= v.xf && v.xf <= b.xf &&
                    b.yi <= v.yf && v.yf <= b.yf)
                    return true;
            }
            return false;
        });
        return;
    }
    Retire_si(Liste_vecteurs, [m](const Vecteur& v) { return v.length < m; });
}
