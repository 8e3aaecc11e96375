#include "vecto/contours.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "port/shell.h"
#include "image/param.h"
#include "image/planes.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

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
        // The cells holding a box, one bit each over the cells' span (when
        // that stays small): most vectors lie in none, and are let through
        // without a search.
        std::vector<uint64_t> occupees;
        int64_t gx0 = 0, gy0 = 0, gnx = 0, gny = 0;
        if (!grille.empty()) {
            gx0 = grille.front().first.first;
            gnx = grille.back().first.first - gx0 + 1;
            gy0 = grille.front().first.second;
            int64_t gy1 = gy0;
            for (const auto& g : grille) {
                gy0 = std::min(gy0, g.first.second);
                gy1 = std::max(gy1, g.first.second);
            }
            gny = gy1 - gy0 + 1;
            if (gnx * gny <= (int64_t(1) << 26)) {
                occupees.assign(static_cast<size_t>((gnx * gny + 63) / 64), 0);
                for (const auto& g : grille) {
                    const int64_t k = (g.first.second - gy0) * gnx + (g.first.first - gx0);
                    occupees[static_cast<size_t>(k >> 6)] |= uint64_t{1} << (k & 63);
                }
            }
        }
        auto sans_boite = [&](std::pair<int64_t, int64_t> c) {
            if (occupees.empty()) return false;
            const int64_t cx = c.first - gx0, cy = c.second - gy0;
            if (cx < 0 || cx >= gnx || cy < 0 || cy >= gny) return true;
            const int64_t k = cy * gnx + cx;
            return ((occupees[static_cast<size_t>(k >> 6)] >> (k & 63)) & 1) == 0;
        };
        // The short vectors go in the same walk of the list.
        Retire_si(Liste_vecteurs, [&](const Vecteur& v) {
            if (v.length < m) return true;
            const auto cle = cellule(v.xi, v.yi);
            if (sans_boite(cle)) return false;
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
