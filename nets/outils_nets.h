// What the netlist's steps share: a stroke's axis, the ink tests on Plan1,
// the union-find and the grid of cells that bounds the neighbour searches.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>
#include <vector>

#include "image/planes.h"
#include "nets/netlist.h"

namespace nets {


// Margin around a given box within which a stroke still belongs to the
// symbol: a tight box passes through the outline strokes themselves.
constexpr double kMarge = 3.0;
// Components smaller than this in both directions are glyphs.
constexpr int kGlyphe = 36;

struct Trait {
    double x1, y1, x2, y2;
    double ep;  // stroke thickness
};

inline double Longueur(const Trait& t) { return std::hypot(t.x2 - t.x1, t.y2 - t.y1); }

inline bool Encre(double x, double y) { return Lit_pixel(int(std::lround(x)), int(std::lround(y)), Plan1) == 1; }

// The straight path from (x0, y0) to (x1, y1) is ink, one white pixel
// forgiven (edge jitter).
inline bool Chemin_encre(double x0, double y0, double x1, double y1)
{
    const double l = std::hypot(x1 - x0, y1 - y0);
    const int n = std::max(1, int(std::ceil(l * 2)));
    // A pixel to either side counts: an axis may lie a pixel off the
    // stroke's middle.
    const double nx = l > 0 ? -(y1 - y0) / l : 0, ny = l > 0 ? (x1 - x0) / l : 0;
    int blancs = 0;
    for (int k = 0; k <= n; k++) {
        const double s = double(k) / n;
        const double x = x0 + (x1 - x0) * s, y = y0 + (y1 - y0) * s;
        if (!Encre(x, y) && !Encre(x + nx, y + ny) && !Encre(x - nx, y - ny) && ++blancs > 1) return false;
    }
    return true;
}

// The ink joins (x0, y0) to (x1, y1) within their box widened by 3 pixels:
// around a junction dot the straight path may cut the white corner.
inline bool Relies_encre(double x0, double y0, double x1, double y1)
{
    const int xa = int(std::floor(std::min(x0, x1))) - 3, xb = int(std::ceil(std::max(x0, x1))) + 3;
    const int ya = int(std::floor(std::min(y0, y1))) - 3, yb = int(std::ceil(std::max(y0, y1))) + 3;
    const int w = xb - xa + 1, h = yb - ya + 1;
    if (w > 80 || h > 80) return Chemin_encre(x0, y0, x1, y1);
    std::vector<uint8_t> vu(size_t(w) * size_t(h), 0);
    std::vector<std::pair<int, int>> pile;
    auto pose = [&](int x, int y) {
        if (x < xa || x > xb || y < ya || y > yb) return;
        uint8_t& v = vu[size_t(y - ya) * size_t(w) + size_t(x - xa)];
        if (v || Lit_pixel(x, y, Plan1) != 1) return;
        v = 1;
        pile.push_back({x, y});
    };
    const int cx = int(std::lround(x0)), cy = int(std::lround(y0));
    for (int dy = -1; dy <= 1; dy++)
        for (int dx = -1; dx <= 1; dx++) pose(cx + dx, cy + dy);
    const int fx = int(std::lround(x1)), fy = int(std::lround(y1));
    while (!pile.empty()) {
        const auto [x, y] = pile.back();
        pile.pop_back();
        if (std::abs(x - fx) <= 1 && std::abs(y - fy) <= 1) return true;
        for (int dy = -1; dy <= 1; dy++)
            for (int dx = -1; dx <= 1; dx++)
                if (dx || dy) pose(x + dx, y + dy);
    }
    return false;
}

// Union-find over indices.
struct Unions {
    std::vector<int> p;
    explicit Unions(size_t n) : p(n) { std::iota(p.begin(), p.end(), 0); }
    int Racine(int i)
    {
        while (p[size_t(i)] != i) i = p[size_t(i)] = p[size_t(p[size_t(i)])];
        return i;
    }
    void Joint(int a, int b)
    {
        a = Racine(a);
        b = Racine(b);
        if (a != b) p[size_t(std::max(a, b))] = std::min(a, b);
    }
};

// Buckets of a square grid: each element listed in every cell its box meets,
// so that neighbours are found among those of a few cells.
struct Grille {
    double cote;
    int nx = 1, ny = 1;
    std::vector<std::vector<int>> cases;
    std::vector<int> vu;
    int tampon = 0;
    Grille(int largeur, int hauteur, double c) : cote(c)
    {
        nx = std::max(1, int(largeur / c) + 1);
        ny = std::max(1, int(hauteur / c) + 1);
        cases.resize(size_t(nx) * size_t(ny));
    }
    void Bornes(double x0, double y0, double x1, double y1, int& i0, int& j0, int& i1, int& j1) const
    {
        i0 = std::clamp(int(std::floor(std::min(x0, x1) / cote)), 0, nx - 1);
        i1 = std::clamp(int(std::floor(std::max(x0, x1) / cote)), 0, nx - 1);
        j0 = std::clamp(int(std::floor(std::min(y0, y1) / cote)), 0, ny - 1);
        j1 = std::clamp(int(std::floor(std::max(y0, y1) / cote)), 0, ny - 1);
    }
    void Ajoute(int id, double x0, double y0, double x1, double y1)
    {
        int i0, j0, i1, j1;
        Bornes(x0, y0, x1, y1, i0, j0, i1, j1);
        for (int j = j0; j <= j1; j++)
            for (int i = i0; i <= i1; i++) cases[size_t(j) * size_t(nx) + size_t(i)].push_back(id);
        if (vu.size() <= size_t(id)) vu.resize(size_t(id) + 1, 0);
    }
    // The elements whose cells meet the box, each once.
    template <class F>
    void Voisins(double x0, double y0, double x1, double y1, F&& f)
    {
        int i0, j0, i1, j1;
        Bornes(x0, y0, x1, y1, i0, j0, i1, j1);
        tampon++;
        for (int j = j0; j <= j1; j++)
            for (int i = i0; i <= i1; i++)
                for (int id : cases[size_t(j) * size_t(nx) + size_t(i)]) {
                    if (vu[size_t(id)] == tampon) continue;
                    vu[size_t(id)] = tampon;
                    f(id);
                }
    }
};

// A piece of wire outside every box, with the box (or -1) at each end.
struct Piece {
    Trait t;
    int trait;          // the wire it was cut from
    int boite[2] = {-1, -1};
};

struct Borne {
    int boite;
    double x, y;
};

// Nearest point of segment t to (x, y): its parameter and distance.
inline double Distance_segment(const Trait& t, double x, double y, double& s, double& fx, double& fy)
{
    const double dx = t.x2 - t.x1, dy = t.y2 - t.y1;
    const double l2 = dx * dx + dy * dy;
    s = l2 > 0 ? std::clamp(((x - t.x1) * dx + (y - t.y1) * dy) / l2, 0.0, 1.0) : 0.0;
    fx = t.x1 + dx * s;
    fy = t.y1 + dy * s;
    return std::hypot(x - fx, y - fy);
}

// Pixels across both strokes' corners at a meeting point are ink only under
// a junction dot; a bare crossing leaves them white.
inline bool Point_de_jonction(double px, double py, const Trait& a, const Trait& b)
{
    const double la = Longueur(a), lb = Longueur(b);
    double ux = (a.x2 - a.x1) / la, uy = (a.y2 - a.y1) / la;
    const double vx = (b.x2 - b.x1) / lb, vy = (b.y2 - b.y1) / lb;
    if (ux * vx + uy * vy < 0) {
        ux = -ux;
        uy = -uy;
    }
    const double b1x = ux + vx, b1y = uy + vy, b2x = ux - vx, b2y = uy - vy;
    const double n1 = std::hypot(b1x, b1y), n2 = std::hypot(b2x, b2y);
    if (n1 < 1e-6 || n2 < 1e-6) return false;
    const double ep = std::clamp(std::min(a.ep, b.ep), 1.0, 8.0);
    const double d = 0.707 * ep + 1.5;
    int encre = 0;
    for (int s : {-1, 1}) {
        encre += Encre(px + s * d * b1x / n1, py + s * d * b1y / n1);
        encre += Encre(px + s * d * b2x / n2, py + s * d * b2y / n2);
    }
    return encre >= 3;
}

// The stroke arriving at (fx, fy) along (ux, uy) goes on across the other
// stroke (of thickness ep): a crossing rather than a T.
inline bool Continue_au_dela(double fx, double fy, double ux, double uy, double ep)
{
    int encre = 0;
    for (int k = 3; k <= 8; k++) {
        const double s = ep / 2 + k, x = fx + ux * s, y = fy + uy * s;
        encre += Encre(x, y) || Encre(x - uy, y + ux) || Encre(x + uy, y - ux);
    }
    return encre >= 4;
}

}  // namespace nets

namespace nets {

// What a probe through the ink met: a piece of wire, or a box.
struct Contact {
    int piece = -1, boite = -1;
    double x = 0, y = 0;
};

// Ink that no wire accounts for (a stub too short to be a stroke of its
// own, a piece of wire lost in the noise), followed from the seed pixels
// within `rayon` of them. The search stops on the ink of a piece (within
// half its thickness and a pixel and a half of its axis) or inside a box
// widened by kMarge, and never goes back along the piece `propre` (but near
// (px, py)) nor into the box `boite_propre`. Returns what it met.
std::vector<Contact> Sonde(const std::vector<std::pair<int, int>>& graines, int rayon, int propre, double px,
                           double py, int boite_propre, const std::vector<Piece>& pieces,
                           const std::vector<BoiteSymbole>& boites, Grille& gp, Grille& gb);

// A box met by a piece away from the piece's ends.
struct BornePiece {
    int piece, boite;
    double x, y;
};
// The probes from every free end of a piece and from every place where ink
// leaves a box: the pieces they join (pairs), the boxes they join (`liens`,
// with both terminals in `bornes_liens`) and the pieces they give a
// terminal. Joins that the geometry of the pieces decides (an end within
// reach of another piece) are left to it.
void Sondes_encre(const std::vector<Piece>& pieces, const std::vector<BoiteSymbole>& boites, Grille& gp, Grille& gb,
                  std::vector<std::pair<int, int>>& joints, std::vector<std::pair<int, int>>& liens,
                  std::vector<Borne>& bornes_liens, std::vector<BornePiece>& bornes);

}  // namespace nets
