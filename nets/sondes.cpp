#include <algorithm>
#include <cmath>
#include <vector>

#include "image/planes.h"
#include "nets/outils_nets.h"

namespace nets {

std::vector<Contact> Sonde(const std::vector<std::pair<int, int>>& graines, int rayon, int propre, double px,
                           double py, int boite_propre, const std::vector<Piece>& pieces,
                           const std::vector<BoiteSymbole>& boites, Grille& gp, Grille& gb)
{
    std::vector<Contact> contacts;
    if (graines.empty()) return contacts;
    int xa = graines[0].first, xb = xa, ya = graines[0].second, yb = ya;
    for (const auto& [x, y] : graines) {
        xa = std::min(xa, x);
        xb = std::max(xb, x);
        ya = std::min(ya, y);
        yb = std::max(yb, y);
    }
    xa -= rayon;
    xb += rayon;
    ya -= rayon;
    yb += rayon;
    const int w = xb - xa + 1, h = yb - ya + 1;
    std::vector<int> voisines, boites_proches;
    gp.Voisins(xa, ya, xb, yb, [&](int k) { voisines.push_back(k); });
    gb.Voisins(xa, ya, xb, yb, [&](int k) {
        if (k != boite_propre) boites_proches.push_back(k);
    });
    // -1 free ink, -2 own piece away from the start, else the contact's index
    // + its kind (pieces from 0, boxes from 1 << 20).
    auto classe = [&](int x, int y) -> int {
        for (int k : boites_proches) {
            const BoiteSymbole& b = boites[size_t(k)];
            if (x >= b.xi - kMarge && x <= b.xf + kMarge && y >= b.yi - kMarge && y <= b.yf + kMarge) return (1 << 20) + k;
        }
        if (boite_propre >= 0) {
            const BoiteSymbole& b = boites[size_t(boite_propre)];
            if (x >= b.xi - kMarge && x <= b.xf + kMarge && y >= b.yi - kMarge && y <= b.yf + kMarge) return -2;
        }
        for (int k : voisines) {
            const Trait& t = pieces[size_t(k)].t;
            double s, fx, fy;
            if (Distance_segment(t, x, y, s, fx, fy) > t.ep / 2 + 1.5) continue;
            if (k == propre || (propre >= 0 && pieces[size_t(k)].trait == pieces[size_t(propre)].trait))
                return std::hypot(x - px, y - py) <= 4 ? -1 : -2;
            return k;
        }
        return -1;
    };
    std::vector<uint8_t> vu(size_t(w) * size_t(h), 0);
    std::vector<std::pair<int, int>> pile;
    std::vector<int> deja;  // contacts already noted
    auto pose = [&](int x, int y) {
        if (x < xa || x > xb || y < ya || y > yb) return;
        uint8_t& v = vu[size_t(y - ya) * size_t(w) + size_t(x - xa)];
        if (v) return;
        v = 1;
        if (Lit_pixel(x, y, Plan1) != 1) return;
        const int c = classe(x, y);
        if (c == -2) return;
        if (c >= 0) {
            if (std::find(deja.begin(), deja.end(), c) == deja.end()) {
                deja.push_back(c);
                Contact k;
                if (c >= (1 << 20)) k.boite = c - (1 << 20);
                else k.piece = c;
                k.x = x;
                k.y = y;
                contacts.push_back(k);
            }
            return;
        }
        pile.push_back({x, y});
    };
    for (const auto& [x, y] : graines) pose(x, y);
    while (!pile.empty()) {
        const auto [x, y] = pile.back();
        pile.pop_back();
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++)
                if (dx || dy) pose(x + dx, y + dy);
    }
    return contacts;
}

}  // namespace nets

namespace nets {

namespace {

constexpr int kRayon = 30;
constexpr double kPiece_sondee = 12;

// The ink pixels of the ring just outside a widened box, in runs of
// neighbours along the ring: one run per stroke leaving the box.
std::vector<std::vector<std::pair<int, int>>> Sorties(const BoiteSymbole& b)
{
    const int m = int(kMarge) + 1;
    const int x0 = std::clamp(b.xi - m, 0, Largeur), x1 = std::clamp(b.xf + m, 0, Largeur);
    const int y0 = std::clamp(b.yi - m, 0, Hauteur), y1 = std::clamp(b.yf + m, 0, Hauteur);
    std::vector<std::pair<int, int>> tour;
    for (int x = x0; x < x1; x++) tour.push_back({x, y0});
    for (int y = y0; y < y1; y++) tour.push_back({x1, y});
    for (int x = x1; x > x0; x--) tour.push_back({x, y1});
    for (int y = y1; y > y0; y--) tour.push_back({x0, y});
    std::vector<std::vector<std::pair<int, int>>> runs;
    bool dans = false;
    for (const auto& [x, y] : tour) {
        if (Lit_pixel(x, y, Plan1) == 1) {
            if (!dans) runs.emplace_back();
            runs.back().push_back({x, y});
            dans = true;
        } else {
            dans = false;
        }
    }
    // The ring is closed: a run across its start is one run.
    if (runs.size() > 1 && dans && Lit_pixel(tour[0].first, tour[0].second, Plan1) == 1) {
        runs.front().insert(runs.front().end(), runs.back().begin(), runs.back().end());
        runs.pop_back();
    }
    // A pin crosses the ring in a few pixels; a longer run is a stroke
    // running along the box, not out of it.
    std::erase_if(runs, [](const std::vector<std::pair<int, int>>& r) { return r.size() > 40; });
    return runs;
}

// The ink that met the piece goes on across it, with no dot there: a
// crossing, not a join.
bool Traverse(const Contact& c, const Trait& q)
{
    double s, fx, fy;
    const double d = Distance_segment(q, c.x, c.y, s, fx, fy);
    if (d < 0.5) return false;
    const double ux = (fx - c.x) / d, uy = (fy - c.y) / d;
    if (!Continue_au_dela(fx, fy, ux, uy, q.ep)) return false;
    const Trait arrivee{c.x, c.y, fx, fy, q.ep};
    return !Point_de_jonction(fx, fy, arrivee, q);
}

}  // namespace

void Sondes_encre(const std::vector<Piece>& pieces, const std::vector<BoiteSymbole>& boites, Grille& gp, Grille& gb,
                  std::vector<std::pair<int, int>>& joints, std::vector<std::pair<int, int>>& liens,
                  std::vector<Borne>& bornes_liens, std::vector<BornePiece>& bornes)
{
    for (size_t k = 0; k < pieces.size(); k++) {
        const Piece& p = pieces[k];
        // Glyph strokes touching a wire are short: no probe from them
        // through the letters of a label to the next wire.
        if (Longueur(p.t) < kPiece_sondee) continue;
        for (int bout = 0; bout < 2; bout++) {
            if (p.boite[bout] >= 0) continue;
            const double ex = bout ? p.t.x2 : p.t.x1, ey = bout ? p.t.y2 : p.t.y1;
            std::vector<std::pair<int, int>> graines;
            for (int dy = -1; dy <= 1; dy++)
                for (int dx = -1; dx <= 1; dx++) graines.push_back({int(std::lround(ex)) + dx, int(std::lround(ey)) + dy});
            for (const Contact& c : Sonde(graines, kRayon, int(k), ex, ey, -1, pieces, boites, gp, gb)) {
                if (c.boite >= 0) {
                    bornes.push_back({int(k), c.boite, c.x, c.y});
                    continue;
                }
                const Trait& q = pieces[size_t(c.piece)].t;
                if (Traverse(c, q)) continue;
                double s, fx, fy;
                if (Distance_segment(q, ex, ey, s, fx, fy) > (p.t.ep + q.ep) / 2 + 10) joints.push_back({int(k), c.piece});
            }
        }
    }
    for (size_t b = 0; b < boites.size(); b++)
        for (const auto& run : Sorties(boites[b])) {
            const auto [gx, gy] = run[run.size() / 2];
            for (const Contact& c : Sonde(run, kRayon, -1, gx, gy, int(b), pieces, boites, gp, gb)) {
                if (c.boite < 0 && Traverse(c, pieces[size_t(c.piece)].t)) continue;
                if (c.boite >= 0) {
                    liens.push_back({int(b), c.boite});
                    bornes_liens.push_back({int(b), double(gx), double(gy)});
                    bornes_liens.push_back({c.boite, c.x, c.y});
                } else {
                    bornes.push_back({c.piece, int(b), double(gx), double(gy)});
                }
            }
        }
}

}  // namespace nets
