#include "graph/zone.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "port/shell.h"
#include "image/planes.h"
#include "vecto/ecarts.h"
#include "vecto/geometrie.h"

bool Graphe_recherche_directe = false;

namespace {

// Far end of the parity ray of Point_dans_quad.
constexpr int XR = -1000, YR = -1000;

// Below this magnitude every product of Intersection_segments is an exact
// double, so its answers are exact and the index's reasoning holds.
constexpr int64_t Limite_exacte = int64_t(1) << 22;

int Borne(int64_t v)
{
    constexpr int64_t m = int64_t(1) << 30;
    return static_cast<int>(std::clamp(v, -m, m));
}

int Plancher(double v)
{
    if (!(v > -1e9)) return -1000000000;
    if (!(v < 1e9)) return 1000000000;
    return static_cast<int>(std::floor(v));
}

bool Hors_limite(int64_t v) { return v > Limite_exacte || v < -Limite_exacte; }

int64_t Div_plancher(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) q--;
    return q;
}

// Buckets of ray slopes from the far point, for ends up and right of it:
// 2^bits of them, at least one per end, so that a corner's bucket holds a few
// ends whatever the size of the drawing.
int Bits_pente(int bouts)
{
    int bits = 12;
    while (bits < 22 && (int64_t(1) << bits) < int64_t(bouts)) bits++;
    return bits;
}

int Case_pente(int64_t dx, int64_t dy, int bits)  // dx > 0, dy > 0
{
    return static_cast<int>((dy << bits) / (dx + dy));
}

// Point_dans_quad on the zone, for coordinates where Coupe_entiers is exact.
inline int Parite_entiers(const Zone& z, int px, int py)
{
    return (Coupe_entiers(px, py, XR, YR, z.x[0], z.y[0], z.x[1], z.y[1])
            + Coupe_entiers(px, py, XR, YR, z.x[1], z.y[1], z.x[2], z.y[2])
            + Coupe_entiers(px, py, XR, YR, z.x[2], z.y[2], z.x[3], z.y[3])
            + Coupe_entiers(px, py, XR, YR, z.x[0], z.y[0], z.x[3], z.y[3]))
           & 1;
}

// What a query works out once about its zone for the zone test of many
// elements: whether the corners allow the exact integers and, for a zone
// that is a true parallelogram with the parity ray's far point outside it,
// the quantities of the short parity test.
struct Zone_prete {
    bool exacte = false;
    bool parallelogramme = false;
    int64_t ux = 0, uy = 0, wx = 0, wy = 0;  // sides C1C2 (= C4C3) and C1C4 (= C2C3)
    int64_t k4 = 0, k2 = 0;                  // u x (C4 - C1), w x (C2 - C1)
    int64_t cx[4] = {}, cy[4] = {};          // corners seen from the far point
};

Zone_prete Prepare_zone(const Zone& z)
{
    Zone_prete p;
    for (int k = 0; k < 4; k++)
        if (!Coupe_exacte(z.x[k]) || !Coupe_exacte(z.y[k])) return p;
    p.exacte = true;
    if (z.x[0] + z.x[2] != z.x[1] + z.x[3] || z.y[0] + z.y[2] != z.y[1] + z.y[3]) return p;
    p.ux = int64_t(z.x[1]) - z.x[0], p.uy = int64_t(z.y[1]) - z.y[0];
    p.wx = int64_t(z.x[3]) - z.x[0], p.wy = int64_t(z.y[3]) - z.y[0];
    p.k4 = p.ux * p.wy - p.uy * p.wx;
    p.k2 = -p.k4;  // w x u
    if (p.k4 == 0) return p;  // flat
    for (int k = 0; k < 4; k++) p.cx[k] = int64_t(z.x[k]) - XR, p.cy[k] = int64_t(z.y[k]) - YR;
    // The far point strictly outside: strictly beyond one of the side lines.
    const int64_t a = p.ux * (YR - z.y[0]) - p.uy * (XR - z.x[0]);
    const int64_t b = p.wx * (YR - z.y[0]) - p.wy * (XR - z.x[0]);
    const bool dedans_u = (a > 0 && a - p.k4 < 0) || (a < 0 && a - p.k4 > 0);
    const bool dedans_w = (b > 0 && b - p.k2 < 0) || (b < 0 && b - p.k2 > 0);
    const bool sur_bord = a == 0 || a == p.k4 || b == 0 || b == p.k2;
    p.parallelogramme = !sur_bord && !(dedans_u && dedans_w);
    return p;
}

// Point_dans_quad on a parallelogram zone with the far point outside: from
// a point on no side line and with no corner on its ray, the ray crosses
// the outline once (from inside) or an even number of times (from outside),
// each time inside a side, so the parity is whether the point is inside.
// -1 when those conditions do not hold.
int Parite_parallelogramme(const Zone_prete& p, const Zone& z, int px, int py)
{
    const int64_t dx = int64_t(px) - z.x[0], dy = int64_t(py) - z.y[0];
    const int64_t a = p.ux * dy - p.uy * dx;  // across C1C2, and minus k4 across C4C3
    const int64_t b = p.wx * dy - p.wy * dx;  // across C1C4, and minus k2 across C2C3
    if (a == 0 || a == p.k4 || b == 0 || b == p.k2) return -1;
    const int64_t ex = int64_t(px) - XR, ey = int64_t(py) - YR;
    for (int k = 0; k < 4; k++)
        if (p.cx[k] * ey == p.cy[k] * ex) return -1;
    const bool entre_u = (a > 0) != (a - p.k4 > 0);
    const bool entre_w = (b > 0) != (b - p.k2 > 0);
    return entre_u && entre_w;
}

int Parite_zone(const Zone_prete& p, const Zone& z, int px, int py)
{
    if (p.parallelogramme) {
        const int r = Parite_parallelogramme(p, z, px, py);
        if (r >= 0) return r;
    }
    return Parite_entiers(z, px, py);
}

// Dans_zone with what the query worked out about its zone.
int Dans_zone(const Zone& z, const Zone_prete& p, int xA, int yA, int xB, int yB)
{
    // The same twelve crossing tests, in exact integers when every
    // coordinate allows it (always, on a drawing).
    if (p.exacte && Coupe_exacte(xA) && Coupe_exacte(yA) && Coupe_exacte(xB) && Coupe_exacte(yB)) {
        if (Parite_zone(p, z, xA, yA) || Parite_zone(p, z, xB, yB)) return 1;
        for (int k = 0; k < 4; k++) {
            const int l = (k + 1) & 3;
            if (Coupe_entiers(xA, yA, xB, yB, z.x[k], z.y[k], z.x[l], z.y[l])) return 1;
        }
        return 0;
    }
    if (Point_dans_quad(xA, yA, z.x[0], z.y[0], z.x[1], z.y[1], z.x[2], z.y[2], z.x[3], z.y[3])) return 1;
    if (Point_dans_quad(xB, yB, z.x[0], z.y[0], z.x[1], z.y[1], z.x[2], z.y[2], z.x[3], z.y[3])) return 1;
    for (int k = 0; k < 4; k++) {
        const int l = (k + 1) & 3;
        if (Segments_se_coupent(xA, yA, xB, yB, z.x[k], z.y[k], z.x[l], z.y[l])) return 1;
    }
    return 0;
}

}  // namespace

Zone Zone_influence(int xA, int yA, int xB, int yB, int dist)
{
    const int dx = xB - xA, dy = yB - yA;
    const double L = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
    // A point source has no direction: take it horizontal, which makes the
    // zone the square of half-width dist around the point.
    const double ux = L == 0 ? 1.0 : dx / L;
    const double uy = L == 0 ? 0.0 : dy / L;
    const double mx = -uy;
    const int64_t gx = static_cast<int64_t>(std::ceil(ux * dist));
    const int64_t gy = static_cast<int64_t>(std::ceil(uy * dist));
    const int64_t px = static_cast<int64_t>(std::ceil(mx * dist));
    const int64_t py = static_cast<int64_t>(std::ceil(ux * dist));
    const int64_t ax = xA - gx, ay = yA - gy, bx = xB + gx, by = yB + gy;
    Zone z;
    z.x[0] = Borne(ax + px), z.y[0] = Borne(ay + py);
    z.x[1] = Borne(bx + px), z.y[1] = Borne(by + py);
    z.x[2] = Borne(bx - px), z.y[2] = Borne(by - py);
    z.x[3] = Borne(ax - px), z.y[3] = Borne(ay - py);
    return z;
}

int Dans_zone(const Zone& z, int xA, int yA, int xB, int yB)
{
    return Dans_zone(z, Prepare_zone(z), xA, yA, xB, yB);
}

// The index keeps, per grid cell, the elements whose bounding box meets the
// cell. A query gathers the elements whose box meets the zone's box: that
// holds every end inside the zone and every crossing of a side. The parity
// test of Point_dans_quad can also say "inside" for an end far outside the
// zone: its ray to the far point then enters or leaves the zone exactly
// through a corner (counted for both sides of that corner) and through a
// side's interior. Such an end lies on the ray from the far point through a
// corner, beyond the corner, so elements are also filed by the slope of the
// rays from the far point through their ends. A flat zone, or one
// around the far point itself, falls back to the literal scan.
void Index_construit(Index_segments& ix, std::vector<Segment> segments, int dist)
{
    ix = Index_segments{};
    ix.seg = std::move(segments);
    const int n = static_cast<int>(ix.seg.size());
    if (n == 0) return;
    int64_t xmin = INT64_MAX, xmax = INT64_MIN, ymin = INT64_MAX, ymax = INT64_MIN;
    for (const Segment& s : ix.seg) {
        for (int64_t v : {int64_t(s.xA), int64_t(s.yA), int64_t(s.xB), int64_t(s.yB)})
            if (Hors_limite(v)) return;  // stays inactive: literal scans only
        xmin = std::min({xmin, int64_t(s.xA), int64_t(s.xB)});
        xmax = std::max({xmax, int64_t(s.xA), int64_t(s.xB)});
        ymin = std::min({ymin, int64_t(s.yA), int64_t(s.yB)});
        ymax = std::max({ymax, int64_t(s.yA), int64_t(s.yB)});
    }
    int64_t cote = std::clamp<int64_t>(2 * int64_t(std::abs(dist)), 32, 4096);
    while (((xmax - xmin) / cote + 1) * ((ymax - ymin) / cote + 1) > (int64_t(1) << 20)) cote *= 2;
    ix.cote = static_cast<int>(cote);
    ix.x0 = static_cast<int>(xmin);
    ix.y0 = static_cast<int>(ymin);
    ix.nx = static_cast<int>((xmax - xmin) / cote + 1);
    ix.ny = static_cast<int>((ymax - ymin) / cote + 1);
    const size_t nc = static_cast<size_t>(ix.nx) * ix.ny;
    ix.debut.assign(nc + 1, 0);
    auto cellules = [&](const Segment& s, int& cx0, int& cx1, int& cy0, int& cy1) {
        cx0 = (std::min(s.xA, s.xB) - ix.x0) / ix.cote;
        cx1 = (std::max(s.xA, s.xB) - ix.x0) / ix.cote;
        cy0 = (std::min(s.yA, s.yB) - ix.y0) / ix.cote;
        cy1 = (std::max(s.yA, s.yB) - ix.y0) / ix.cote;
        return (cx1 - cx0 + 1) * (cy1 - cy0 + 1) <= 256;
    };
    for (int i = 0; i < n; i++) {
        int cx0, cx1, cy0, cy1;
        if (!cellules(ix.seg[i], cx0, cx1, cy0, cy1)) {
            ix.grands.push_back(i);
            continue;
        }
        for (int cy = cy0; cy <= cy1; cy++)
            for (int cx = cx0; cx <= cx1; cx++) ix.debut[static_cast<size_t>(cy) * ix.nx + cx + 1]++;
    }
    for (size_t c = 0; c < nc; c++) ix.debut[c + 1] += ix.debut[c];
    ix.elem.assign(static_cast<size_t>(ix.debut[nc]), {});
    std::vector<int> pos(ix.debut.begin(), ix.debut.end() - 1);
    for (int i = 0; i < n; i++) {
        int cx0, cx1, cy0, cy1;
        if (!cellules(ix.seg[i], cx0, cx1, cy0, cy1)) continue;
        for (int cy = cy0; cy <= cy1; cy++)
            for (int cx = cx0; cx <= cx1; cx++)
                ix.elem[static_cast<size_t>(pos[static_cast<size_t>(cy) * ix.nx + cx]++)] = {i, ix.seg[i]};
    }
    // dy / (dx + dy) is the same fraction for every point of one ray, so an
    // end beyond a corner shares the corner's bucket. Ends not up and right
    // of the far point (never on a drawing) are examined at every query.
    ix.pente_bits = Bits_pente(2 * n);
    ix.pente_debut.assign((size_t(1) << ix.pente_bits) + 1, 0);
    std::vector<int> cases(n);
    for (int i = 0; i < n; i++) {
        const Segment& s = ix.seg[i];
        const int64_t ax = int64_t(s.xA) - XR, ay = int64_t(s.yA) - YR, bx = int64_t(s.xB) - XR, by = int64_t(s.yB) - YR;
        if (ax <= 0 || ay <= 0 || bx <= 0 || by <= 0) {
            ix.hors_pentes.push_back(i);
            cases[i] = -1;
            continue;
        }
        // Each end is filed with its own coordinates, both ends in one
        // bucket included.
        cases[i] = Case_pente(ax, ay, ix.pente_bits);
        ix.pente_debut[static_cast<size_t>(cases[i]) + 1]++;
        ix.pente_debut[static_cast<size_t>(Case_pente(bx, by, ix.pente_bits)) + 1]++;
    }
    for (size_t b = 0; b + 1 < ix.pente_debut.size(); b++) ix.pente_debut[b + 1] += ix.pente_debut[b];
    ix.pente_elem.assign(static_cast<size_t>(ix.pente_debut.back()), {});
    std::vector<int> place(ix.pente_debut.begin(), ix.pente_debut.end() - 1);
    for (int i = 0; i < n; i++) {
        if (cases[i] < 0) continue;
        const Segment& s = ix.seg[i];
        ix.pente_elem[static_cast<size_t>(place[static_cast<size_t>(cases[i])]++)] = {i, s.xA, s.yA};
        const int b = Case_pente(int64_t(s.xB) - XR, int64_t(s.yB) - YR, ix.pente_bits);
        ix.pente_elem[static_cast<size_t>(place[static_cast<size_t>(b)]++)] = {i, s.xB, s.yB};
    }
    ix.actif = true;
}

void Index_candidats(Index_segments& ix, const Zone& z, int premier, std::vector<int>& sortie)
{
    Index_candidats(ix, ix.propres, z, premier, sortie);
}

void Index_candidats(const Index_segments& ix, Marques& m, const Zone& z, int premier, std::vector<int>& sortie)
{
    sortie.clear();
    const int n = static_cast<int>(ix.seg.size());
    int zx0 = z.x[0], zx1 = z.x[0], zy0 = z.y[0], zy1 = z.y[0];
    bool direct = Graphe_recherche_directe || !ix.actif;
    for (int k = 0; k < 4; k++) {
        zx0 = std::min(zx0, z.x[k]), zx1 = std::max(zx1, z.x[k]);
        zy0 = std::min(zy0, z.y[k]), zy1 = std::max(zy1, z.y[k]);
        if (Hors_limite(z.x[k]) || Hors_limite(z.y[k])) direct = true;
    }
    const int64_t aire = (int64_t(z.x[1]) - z.x[0]) * (int64_t(z.y[3]) - z.y[0])
                         - (int64_t(z.y[1]) - z.y[0]) * (int64_t(z.x[3]) - z.x[0]);
    if (aire == 0) direct = true;
    if (zx0 - 1 <= XR && XR <= zx1 + 1 && zy0 - 1 <= YR && YR <= zy1 + 1) direct = true;
    if (direct) {
        const Zone_prete p = Prepare_zone(z);
        for (int i = std::max(premier, 0); i < n; i++) {
            const Segment& s = ix.seg[i];
            if (Dans_zone(z, p, s.xA, s.yA, s.xB, s.yB)) sortie.push_back(i);
        }
        return;
    }
    if (m.marque.size() != ix.seg.size()) {
        m.marque.assign(ix.seg.size(), 0);
        m.tour = 0;
    }
    if (++m.tour == 0) {
        std::fill(m.marque.begin(), m.marque.end(), 0);
        m.tour = 1;
    }
    std::vector<Segment_numerote>& vus = m.tampon;
    vus.clear();
    auto prend = [&](int i, const Segment& s) {
        if (i < premier || m.marque[i] == m.tour) return;
        m.marque[i] = m.tour;
        vus.push_back({i, s});
    };
    auto boite = [&](const Segment& s) {
        return std::max(s.xA, s.xB) >= zx0 && std::min(s.xA, s.xB) <= zx1 && std::max(s.yA, s.yB) >= zy0
               && std::min(s.yA, s.yB) <= zy1;
    };
    // The corners' slope buckets lie anywhere in a large table: asked for
    // now, they are read after the cells' sweep.
    int64_t coin_dx[4], coin_dy[4];
    size_t coin_b[4];
    int coins = 0;
    for (int k = 0; k < 4; k++) {
        const int64_t dx = int64_t(z.x[k]) - XR, dy = int64_t(z.y[k]) - YR;
        if (dx <= 0 || dy <= 0) continue;
        coin_dx[coins] = dx, coin_dy[coins] = dy;
        coin_b[coins] = static_cast<size_t>(Case_pente(dx, dy, ix.pente_bits));
        __builtin_prefetch(&ix.pente_debut[coin_b[coins]]);
        coins++;
    }
    const int64_t cx0 = std::max<int64_t>(Div_plancher(int64_t(zx0) - ix.x0, ix.cote), 0);
    const int64_t cx1 = std::min<int64_t>(Div_plancher(int64_t(zx1) - ix.x0, ix.cote), ix.nx - 1);
    const int64_t cy0 = std::max<int64_t>(Div_plancher(int64_t(zy0) - ix.y0, ix.cote), 0);
    const int64_t cy1 = std::min<int64_t>(Div_plancher(int64_t(zy1) - ix.y0, ix.cote), ix.ny - 1);
    for (int64_t cy = cy0; cy <= cy1; cy++)
        for (int64_t cx = cx0; cx <= cx1; cx++) {
            const size_t c = static_cast<size_t>(cy) * ix.nx + cx;
            for (int k = ix.debut[c]; k < ix.debut[c + 1]; k++) {
                const Segment_numerote& e = ix.elem[static_cast<size_t>(k)];
                if (e.i >= premier && boite(e.s)) prend(e.i, e.s);
            }
        }
    for (int i : ix.grands)
        if (i >= premier && boite(ix.seg[i])) prend(i, ix.seg[i]);
    // Beyond a corner that is not up and right of the far point lie only
    // ends that are not either.
    for (int i : ix.hors_pentes) prend(i, ix.seg[i]);
    int coin_debut[4], coin_fin[4];
    for (int k = 0; k < coins; k++) {
        coin_debut[k] = ix.pente_debut[coin_b[k]], coin_fin[k] = ix.pente_debut[coin_b[k] + 1];
        if (coin_debut[k] < coin_fin[k]) __builtin_prefetch(&ix.pente_elem[static_cast<size_t>(coin_debut[k])]);
    }
    for (int k = 0; k < coins; k++) {
        const int64_t dx = coin_dx[k], dy = coin_dy[k];
        // Only ends on the ray itself, beyond the corner.
        for (int j = coin_debut[k]; j < coin_fin[k]; j++) {
            const Index_segments::Bout& e = ix.pente_elem[static_cast<size_t>(j)];
            const int64_t ex = int64_t(e.x) - XR, ey = int64_t(e.y) - YR;
            if (ex > dx && dx * ey == dy * ex) prend(e.i, ix.seg[e.i]);
        }
    }
    std::sort(vus.begin(), vus.end(), [](const Segment_numerote& a, const Segment_numerote& b) { return a.i < b.i; });
    const Zone_prete p = Prepare_zone(z);
    for (const Segment_numerote& e : vus)
        if (Dans_zone(z, p, e.s.xA, e.s.yA, e.s.xB, e.s.yB)) sortie.push_back(e.i);
}

Droite Droite_pleine(int xA, int yA, int xB, int yB, int direction)
{
    Droite d;
    const double a = static_cast<double>(yB) - yA;
    const double b = static_cast<double>(xA) - xB;
    if (a == 0 && b == 0) return d;
    const double c = -(xA * a + yA * b);
    const bool raide = (direction >= 45 && direction <= 135 && a != 0) || b == 0;
    if (raide) {
        d.x1 = Plancher((-c - b) / a), d.y1 = 1;
        d.x2 = Plancher((-c - b * Hauteur) / a), d.y2 = Hauteur;
    } else {
        d.x1 = 1, d.y1 = Plancher((-c - a) / b);
        d.x2 = Largeur, d.y2 = Plancher((-c - a * Largeur) / b);
    }
    d.existe = true;
    return d;
}

int Distance_plancher(int x1, int y1, int x2, int y2)
{
    const double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
    return static_cast<int>(std::floor(std::sqrt(dx * dx + dy * dy)));
}

void Montre_et_attend(int x, int y)
{
    Defile_vers(x, y);
    Pause_go();
}

int Remplit_table(const std::vector<int>& candidats, std::vector<int>& table)
{
    int bips = 0;
    const int n = Remplit_table_muette(candidats, table, bips);
    for (int b = 0; b < bips; b++) Signal_fin();
    return n;
}

int Remplit_table_muette(const std::vector<int>& candidats, std::vector<int>& table, int& bips)
{
    table.assign(150, -1);
    bips = 0;
    int n = 0;
    for (int c : candidats) {
        table[++n] = c;
        if (n == 149) {
            bips++;
            n = 0;
        }
    }
    return n;
}

void Ecrit_relation(const char* format, char type, int premier, int second)
{
    char ligne[64];
    std::snprintf(ligne, sizeof ligne, format, type, premier, second);
    Ecrit_texte(1, ligne);
}

void Ecrit_proximite(const Relation& r, int place, bool paralleles)
{
    if (r.type != '?') Ecrit_relation(" . %c*%d*%d ", r.type, r.premier ? place : 0, r.second ? place : 0);
    else Ecrit_texte(1, paralleles ? " ?? " : " ? ");
}

void Ecrit_type(int valeur)
{
    char ligne[64];
    std::snprintf(ligne, sizeof ligne, "-Type : 0x%X   ", static_cast<unsigned>(valeur));
    Ecrit_texte(1, ligne);
}

void Erreur_arc() { Message_erreur(" Erreur mem. 1 - "); }

void Trace_zone(const Zone& z)
{
    for (int k = 0; k < 4; k++) {
        const int l = (k + 1) & 3;
        Trace_ligne(z.x[k], z.y[k], z.x[l], z.y[l], 1);
    }
}

Element Element_quad(const Quad& q)
{
    Element e;
    e.xA = (q.x1f + q.x2i) / 2, e.yA = (q.y1f + q.y2i) / 2;
    e.xB = (q.x1i + q.x2f) / 2, e.yB = (q.y1i + q.y2f) / 2;
    e.xm = (e.xA + e.xB) / 2, e.ym = (e.yA + e.yB) / 2;
    e.dir = (q.angle1 + q.angle2) / 2;
    e.len = q.length;
    e.ligne = Droite_pleine(e.xA, e.yA, e.xB, e.yB, e.dir);
    return e;
}

Element Element_vecteur(const Vecteur& v)
{
    Element e;
    e.xA = v.xf, e.yA = v.yf, e.xB = v.xi, e.yB = v.yi;
    e.xm = (e.xA + e.xB) / 2, e.ym = (e.yA + e.yB) / 2;
    e.dir = v.angle;
    e.len = v.length;
    e.ligne = Droite_pleine(e.xA, e.yA, e.xB, e.yB, e.dir);
    return e;
}

Relation Proximite_element_vecteur(const Element& s, const Element& v, const Seuils& p, int& valeur)
{
    Relation r;
    if (Paralleles(s.dir, v.dir, p.angle_tl)) {
        int fx, fy;
        Projection_point(s.xA, s.yA, v.xA, v.yA, v.xB, v.yB, v.len, fx, fy);
        const int e = Distance_plancher(s.xA, s.yA, fx, fy);
        if (e < 15
            && (Blancs_sous(s.xA, s.yA, v.xA, v.yA, Plan1, p.seuil_trou)
                || Blancs_sous(s.xA, s.yA, v.xB, v.yB, Plan1, p.seuil_trou)
                || Blancs_sous(s.xB, s.yB, v.xA, v.yA, Plan1, p.seuil_trou)
                || Blancs_sous(s.xB, s.yB, v.xB, v.yB, Plan1, p.seuil_trou))) {
            r.type = '~';
            return r;
        }
        const int k = Projections_croisees(s, v);
        valeur = k;
        if (k >= 2 && Paralleles(s.dir, v.dir, p.angle_tp)) r.type = 'P';
        return r;
    }
    // The gap paths run to the midpoints.
    return Relation_a_distance(s, v, s.xm, s.ym, v.xm, v.ym, p);
}

int Projections_croisees(const Element& s, const Element& z)
{
    int fx, fy, k = 0;
    if (s.len > 10) {
        k += Projection_point(s.xA, s.yA, z.xA, z.yA, z.xB, z.yB, z.len, fx, fy);
        k += Projection_point(s.xB, s.yB, z.xA, z.yA, z.xB, z.yB, z.len, fx, fy);
    }
    if (z.len > 10) {
        k += Projection_point(z.xA, z.yA, s.xA, s.yA, s.xB, s.yB, s.len, fx, fy);
        k += Projection_point(z.xB, z.yB, s.xA, s.yA, s.xB, s.yB, s.len, fx, fy);
    }
    return k;
}

Relation Relation_a_distance(const Element& s, const Element& z, int xs, int ys, int xz, int yz, const Seuils& p)
{
    Relation r;
    int xr, yr;
    const Droite& ds = s.ligne;
    const Droite& dz = z.ligne;
    // The source's axis meets the candidate's line: the candidate is the bar.
    if (dz.existe && Intersection_segments(s.xA, s.yA, s.xB, s.yB, dz.x1, dz.y1, dz.x2, dz.y2, xr, yr)
        && Blancs_sous(xr, yr, xz, yz, Plan1, p.seuil_trou)) {
        r.type = 't';
        return r;
    }
    if (ds.existe && Intersection_segments(z.xA, z.yA, z.xB, z.yB, ds.x1, ds.y1, ds.x2, ds.y2, xr, yr)
        && Blancs_sous(xr, yr, xs, ys, Plan1, p.seuil_trou)) {
        r.type = 't';
        r.premier = 1, r.second = 0;
        return r;
    }
    // Both lines meet across both gaps; the candidate's gap is walked first,
    // being the one that is more often cut.
    if (ds.existe && dz.existe && Intersection_segments(dz.x1, dz.y1, dz.x2, dz.y2, ds.x1, ds.y1, ds.x2, ds.y2, xr, yr)
        && Blancs_sous(xr, yr, xz, yz, Plan1, p.seuil_trou) && Blancs_sous(xr, yr, xs, ys, Plan1, p.seuil_trou))
        r.type = 'l';
    return r;
}
