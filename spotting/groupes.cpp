#include "spotting/groupes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

namespace {

// A wire is at least this many typical thicknesses long.
constexpr double Longueur_fil = 22.0;
// A wall is this many times thicker than the typical stroke.
constexpr double Epaisseur_mur = 2.2;
// Two sides of an outline: lengths within this ratio, sharing this part.
constexpr double Rapport_face = 0.8;
constexpr double Part_face = 0.8;
// Gaps, relative to the smaller group's diagonal, merged at the two upper levels.
constexpr double Ecart_proche = 0.15;
constexpr double Ecart_large = 0.5;
// Groups compared pairwise by box at most (beyond, the upper levels are left out).
constexpr size_t Groupes_max = 4000;

struct Geo {
    double ax = 0, ay = 0, bx = 0, by = 0;  // axis
    double l = 0, ep = 1;
};

Geo Geometrie(const Quad* q)
{
    Geo g;
    // The sides run in opposite senses; pairing the ends the other way is
    // tried too, and the longer axis kept, so that no drawing order is assumed.
    const double a1x = (q->x1i + q->x2f) / 2.0, a1y = (q->y1i + q->y2f) / 2.0;
    const double b1x = (q->x1f + q->x2i) / 2.0, b1y = (q->y1f + q->y2i) / 2.0;
    const double a2x = (q->x1i + q->x2i) / 2.0, a2y = (q->y1i + q->y2i) / 2.0;
    const double b2x = (q->x1f + q->x2f) / 2.0, b2y = (q->y1f + q->y2f) / 2.0;
    const double l1 = std::hypot(b1x - a1x, b1y - a1y), l2 = std::hypot(b2x - a2x, b2y - a2y);
    if (l1 >= l2) g = {a1x, a1y, b1x, b1y, l1, 1};
    else g = {a2x, a2y, b2x, b2y, l2, 1};
    // Thickness, from the middles of the two sides (an overestimate where
    // the sides end unevenly, which only long strokes can afford).
    const double m1x = (q->x1i + q->x1f) / 2.0, m1y = (q->y1i + q->y1f) / 2.0;
    const double m2x = (q->x2i + q->x2f) / 2.0, m2y = (q->y2i + q->y2f) / 2.0;
    g.ep = std::max(1.0, std::hypot(m2x - m1x, m2y - m1y));
    return g;
}

// Closest points of the axes of a and b: returns the distance, with the
// parameters s along a and t along b in [0, 1].
double Plus_proches(const Geo& a, const Geo& b, double& s, double& t)
{
    const double ux = a.bx - a.ax, uy = a.by - a.ay, vx = b.bx - b.ax, vy = b.by - b.ay;
    const double wx = a.ax - b.ax, wy = a.ay - b.ay;
    const double aa = ux * ux + uy * uy, bb = ux * vx + uy * vy, cc = vx * vx + vy * vy;
    const double dd = ux * wx + uy * wy, ee = vx * wx + vy * wy;
    const double den = aa * cc - bb * bb;
    auto borne = [](double v) { return std::clamp(v, 0.0, 1.0); };
    s = den > 1e-9 ? borne((bb * ee - cc * dd) / den) : 0.0;
    t = cc > 1e-9 ? borne((bb * s + ee) / cc) : 0.0;
    s = aa > 1e-9 ? borne((bb * t - dd) / aa) : 0.0;
    t = cc > 1e-9 ? borne((bb * s + ee) / cc) : 0.0;
    const double px = a.ax + s * ux, py = a.ay + s * uy, qx = b.ax + t * vx, qy = b.ay + t * vy;
    return std::hypot(px - qx, py - qy);
}

struct Contact {
    int autre = 0;
    double t = 0;  // where along this stroke, 0..1
    char type = '?';
};

struct Union_find {
    std::vector<int> p;
    explicit Union_find(size_t n) : p(n) { for (size_t i = 0; i < n; i++) p[i] = static_cast<int>(i); }
    int Racine(int x)
    {
        while (p[static_cast<size_t>(x)] != x) x = p[static_cast<size_t>(x)] = p[static_cast<size_t>(p[static_cast<size_t>(x)])];
        return x;
    }
    void Unit(int a, int b)
    {
        a = Racine(a), b = Racine(b);
        if (a != b) p[static_cast<size_t>(std::max(a, b))] = std::min(a, b);
    }
};

bool Au_bout(const Contact& c, const Geo& g, double marge)
{
    return std::min(c.t, 1 - c.t) * g.l <= marge;
}

// Whether the ends of stroke i are joined by a path of other strokes in
// contact (walls aside) of at most Pas_boucle steps, all within the stroke's
// box widened by Boite_boucle times its length (the side of an outline
// twice as long as it, and a little more, stays inside).
constexpr int Pas_boucle = 8;
constexpr double Boite_boucle = 2.5;
bool Sur_une_boucle(size_t i, const std::vector<Geo>& geo, const std::vector<std::vector<Contact>>& contacts,
                    const std::vector<int>& roles, double marge)
{
    const Geo& g = geo[i];
    const double x0 = std::min(g.ax, g.bx) - Boite_boucle * g.l, x1 = std::max(g.ax, g.bx) + Boite_boucle * g.l;
    const double y0 = std::min(g.ay, g.by) - Boite_boucle * g.l, y1 = std::max(g.ay, g.by) + Boite_boucle * g.l;
    auto dedans = [&](const Geo& o) {
        return std::min(o.ax, o.bx) >= x0 && std::max(o.ax, o.bx) <= x1 && std::min(o.ay, o.by) >= y0 &&
               std::max(o.ay, o.by) <= y1;
    };
    std::unordered_map<int, int> pas;  // stroke -> steps from the first end
    std::vector<int> file;
    std::vector<bool> cible(geo.size(), false);
    bool une_cible = false;
    for (const Contact& c : contacts[i]) {
        const auto o = static_cast<size_t>(c.autre);
        if (c.type == 'X' || roles[o] == 2 || !Au_bout(c, g, marge)) continue;
        if (c.t < 0.5) {
            if (pas.emplace(c.autre, 0).second) file.push_back(c.autre);
        } else {
            cible[o] = une_cible = true;
        }
    }
    if (!une_cible) return false;
    for (size_t k = 0; k < file.size(); k++) {
        const int v = file[k];
        if (cible[static_cast<size_t>(v)]) return true;
        const int d = pas[v];
        if (d >= Pas_boucle) continue;
        for (const Contact& c : contacts[static_cast<size_t>(v)]) {
            const auto o = static_cast<size_t>(c.autre);
            if (o == i || roles[o] == 2 || !dedans(geo[o])) continue;
            if (pas.emplace(c.autre, d + 1).second) file.push_back(c.autre);
        }
    }
    return false;
}


double Marge(const Geo& g) { return std::max(1.5 * g.ep + 3, 0.12 * g.l); }

// Whether c, a contact of stroke u, says where they meet: an end facing
// another across a gap says nothing when the graph joined them elsewhere
// (a lead's end near the corner of the side it touches).
bool Contact_sur(const std::vector<std::vector<Contact>>& contacts, size_t u, const Contact& c)
{
    if (c.type == 'X') return false;
    if (c.type != 'e') return true;
    return std::none_of(contacts[u].begin(), contacts[u].end(),
                        [&](const Contact& x) { return x.autre == c.autre && x.type != 'e'; });
}

// Whether stroke i faces another of about its length, parallel and beside
// it over most of both, at a distance under twice its length, a stroke
// joining them corner to corner at one end: two sides of one outline whose
// other corner noise may have broken.
bool Cote_en_face(size_t i, const std::vector<Geo>& geo, const std::vector<std::vector<Contact>>& contacts,
                  const std::vector<int>& roles, double ep)
{
    // The strokes meeting i corner to corner (an end of each at an end of the other).
    auto coin = [&](size_t u, const Contact& c) {
        const auto k = static_cast<size_t>(c.autre);
        if (!Contact_sur(contacts, u, c) || !Au_bout(c, geo[u], Marge(geo[u]))) return false;
        for (const Contact& r : contacts[k])
            if (static_cast<size_t>(r.autre) == u && Contact_sur(contacts, k, r) && Au_bout(r, geo[k], Marge(geo[k]))) return true;
        return false;
    };
    std::vector<int> coins;
    for (const Contact& c : contacts[i])
        if (coin(i, c)) coins.push_back(c.autre);
    if (coins.empty()) return false;
    const Geo& a = geo[i];
    if (a.l <= 0) return false;
    const double ux = (a.bx - a.ax) / a.l, uy = (a.by - a.ay) / a.l;
    for (size_t j = 0; j < geo.size(); j++) {
        const Geo& b = geo[j];
        if (j == i || roles[j] == Trait_mur || b.l < Rapport_face * a.l || a.l < Rapport_face * b.l) continue;
        const double vx = (b.bx - b.ax) / b.l, vy = (b.by - b.ay) / b.l;
        if (std::fabs(ux * vy - uy * vx) > std::sin(10.0 * 3.14159265358979 / 180)) continue;
        const double d = std::fabs(((b.ax + b.bx) / 2 - a.ax) * uy - ((b.ay + b.by) / 2 - a.ay) * ux);
        if (d > 2 * a.l || d < 2 * ep + 2) continue;
        const double t0 = (b.ax - a.ax) * ux + (b.ay - a.ay) * uy, t1 = (b.bx - a.ax) * ux + (b.by - a.ay) * uy;
        const double commun = std::min(a.l, std::max(t0, t1)) - std::max(0.0, std::min(t0, t1));
        if (commun < Part_face * std::max(a.l, b.l)) continue;
        // A corner stroke joins them.
        for (const Contact& c : contacts[j])
            if (std::find(coins.begin(), coins.end(), c.autre) != coins.end() && coin(j, c)) return true;
    }
    return false;
}

// Whether stroke i turns at both ends, corner to corner, into strokes that
// run off to the same side of it, about as long as each other (the back of
// a gate, a box's side): an outline, where a wire between symbols turns, if
// at all, both ways.
bool Coins_du_meme_cote(size_t i, const std::vector<Geo>& geo, const std::vector<std::vector<Contact>>& contacts)
{
    const Geo& a = geo[i];
    if (a.l <= 0) return false;
    int cotes[2] = {0, 0};  // per end: bit 0 a corner to the left, bit 1 to the right
    double longueurs[2] = {0, 0};
    for (const Contact& c : contacts[i]) {
        const auto k = static_cast<size_t>(c.autre);
        const Geo& b = geo[k];
        if (!Contact_sur(contacts, i, c) || b.l <= 0 || !Au_bout(c, a, Marge(a))) continue;
        const Contact* r = nullptr;
        for (const Contact& x : contacts[k])
            if (static_cast<size_t>(x.autre) == i && Contact_sur(contacts, k, x) && Au_bout(x, b, Marge(b))) r = &x;
        if (!r) continue;
        // At least 45 degrees off i's line.
        const double sinus = ((a.bx - a.ax) * (b.by - b.ay) - (a.by - a.ay) * (b.bx - b.ax)) / (a.l * b.l);
        if (std::fabs(sinus) < std::sin(45.0 * 3.14159265358979 / 180)) continue;
        // b's far end, from i's line.
        const double fx = r->t < 0.5 ? b.bx : b.ax, fy = r->t < 0.5 ? b.by : b.ay;
        const double cote = (a.bx - a.ax) * (fy - a.ay) - (a.by - a.ay) * (fx - a.ax);
        const int e = c.t < 0.5 ? 0 : 1;
        cotes[e] |= cote > 0 ? 1 : 2;
        longueurs[e] = std::max(longueurs[e], b.l);
    }
    // Corners both ways at one end: a T whose bar is cut at the joint. The
    // two sides that turn are about as long as each other.
    return (cotes[0] == 1 || cotes[0] == 2) && cotes[0] == cotes[1] &&
           std::min(longueurs[0], longueurs[1]) >= Rapport_face * std::max(longueurs[0], longueurs[1]);
}

// Wires among `geo`: long strokes touched only at their ends (crossings
// aside); then also those touched along them only by the ends of other long
// strokes (wires branching off a bus) or by tiny pieces (a junction dot).
// A stroke whose two ends are joined again by a short way round, near it,
// lies on an outline (a triangle's side, a box's edge): not a wire. Marks the
// wires in `roles`; returns the long strokes touched only at their ends
// (outlines included).
std::vector<bool> Fils(const std::vector<Geo>& geo, const std::vector<std::vector<Contact>>& contacts,
                       std::vector<int>& roles, double ep)
{
    const size_t n = geo.size();
    std::vector<bool> long_libre(n, false);
    for (size_t i = 0; i < n; i++) {
        if (roles[i] != Trait_symbole || geo[i].l < std::max(20.0, Longueur_fil * ep)) continue;
        long_libre[i] = std::all_of(contacts[i].begin(), contacts[i].end(), [&](const Contact& c) {
            return c.type == 'X' || Au_bout(c, geo[i], Marge(geo[i])) || roles[static_cast<size_t>(c.autre)] == Trait_mur;
        });
    }
    std::vector<bool> candidat = long_libre;
    for (size_t i = 0; i < n; i++) {
        if (long_libre[i] || roles[i] != Trait_symbole || geo[i].l < std::max(20.0, Longueur_fil * ep)) continue;
        candidat[i] = std::all_of(contacts[i].begin(), contacts[i].end(), [&](const Contact& c) {
            const auto o = static_cast<size_t>(c.autre);
            if (c.type == 'X' || Au_bout(c, geo[i], Marge(geo[i])) || roles[o] == Trait_mur) return true;
            // A junction dot's pieces are short; branches are long.
            if (geo[o].l < 2 * ep + 2) return true;
            if (geo[o].l < std::max(20.0, Longueur_fil * ep)) return false;
            for (const Contact& r : contacts[o])
                if (static_cast<size_t>(r.autre) == i) return Au_bout(r, geo[o], Marge(geo[o]));
            return false;
        });
    }
    for (size_t i = 0; i < n; i++)
        if (candidat[i] && !Sur_une_boucle(i, geo, contacts, roles, Marge(geo[i])) && !Cote_en_face(i, geo, contacts, roles, ep) &&
            !Coins_du_meme_cote(i, geo, contacts))
            roles[i] = Trait_fil;
    return candidat;
}

// Whether b carries a on in line: about the same slope, b's near end beyond
// a's end by a gap short beside them (twice the thickness and a quarter of
// the longer piece), and b's axis on a's line (side by side strokes, as
// the double lines of a wall, overlap along it and are not pieces).
bool Prolonge(const Geo& a, const Geo& b, double ep)
{
    if (a.l <= 0 || b.l <= 0) return false;
    const double ux = (a.bx - a.ax) / a.l, uy = (a.by - a.ay) / a.l;
    const double vx = (b.bx - b.ax) / b.l, vy = (b.by - b.ay) / b.l;
    if (std::fabs(ux * vy - uy * vx) > std::sin(10.0 * 3.14159265358979 / 180)) return false;
    const double ecart_max = 2 * ep + 0.25 * std::max(a.l, b.l);
    double t0 = 1e300, t1 = -1e300;
    for (const auto& [x, y] : {std::pair{b.ax, b.ay}, std::pair{b.bx, b.by}}) {
        if (std::fabs((x - a.ax) * uy - (y - a.ay) * ux) > ep + 2) return false;
        const double t = (x - a.ax) * ux + (y - a.ay) * uy;
        t0 = std::min(t0, t), t1 = std::max(t1, t);
    }
    const double recouvre = std::min(t1, a.l) - std::max(t0, 0.0);  // negative: the gap
    return recouvre <= 2 * ep && -recouvre <= ecart_max;
}

// Chains of pieces of one straight stroke: each stroke's chain number. Two
// strokes in contact are pieces when one carries the other on in line and
// nothing else of some length meets the gap between them (the plates of a
// capacitor part its two leads).
std::vector<int> Chaines(const std::vector<Geo>& geo, const std::vector<std::vector<Contact>>& contacts,
                         const std::vector<int>& roles, double ep)
{
    const size_t n = geo.size();
    Union_find uf(n);
    auto libre = [&](size_t i, size_t j) {
        // The end of i nearer j.
        const Geo &a = geo[i], &b = geo[j];
        const double mx = (b.ax + b.bx) / 2, my = (b.ay + b.by) / 2;
        const bool fin = std::hypot(a.bx - mx, a.by - my) < std::hypot(a.ax - mx, a.ay - my);
        for (const Contact& c : contacts[i]) {
            const auto o = static_cast<size_t>(c.autre);
            if (o == j || c.type == 'X' || geo[o].l < 2 * ep + 2 || roles[o] == Trait_mur) continue;
            if ((fin ? 1 - c.t : c.t) * a.l > Marge(a)) continue;
            if (!Prolonge(a, geo[o], ep) && !Prolonge(geo[o], a, ep)) return false;
        }
        return true;
    };
    for (size_t i = 0; i < n; i++) {
        if (roles[i] == Trait_mur) continue;
        for (const Contact& c : contacts[i]) {
            const auto j = static_cast<size_t>(c.autre);
            if (j <= i || roles[j] == Trait_mur || c.type == 'X') continue;
            if (!Prolonge(geo[i], geo[j], ep) && !Prolonge(geo[j], geo[i], ep)) continue;
            if (libre(i, j) && libre(j, i)) uf.Unit(static_cast<int>(i), static_cast<int>(j));
        }
    }
    std::vector<int> numero(n, -1), chaine(n);
    int k = 0;
    for (size_t i = 0; i < n; i++) {
        const auto r = static_cast<size_t>(uf.Racine(static_cast<int>(i)));
        if (numero[r] < 0) numero[r] = k++;
        chaine[i] = numero[r];
    }
    return chaine;
}

struct Boite_g {
    int xmin = 1 << 30, ymin = 1 << 30, xmax = -(1 << 30), ymax = -(1 << 30);
    void Etend(const Quad* q)
    {
        for (int x : {q->x1i, q->x2i, q->x1f, q->x2f}) xmin = std::min(xmin, x), xmax = std::max(xmax, x);
        for (int y : {q->y1i, q->y2i, q->y1f, q->y2f}) ymin = std::min(ymin, y), ymax = std::max(ymax, y);
    }
    void Etend(const Boite_g& b)
    {
        xmin = std::min(xmin, b.xmin), ymin = std::min(ymin, b.ymin);
        xmax = std::max(xmax, b.xmax), ymax = std::max(ymax, b.ymax);
    }
    double Diagonale() const { return std::hypot(xmax - xmin + 1.0, ymax - ymin + 1.0); }
};

double Ecart(const Boite_g& a, const Boite_g& b)
{
    const double dx = std::max({0, b.xmin - a.xmax, a.xmin - b.xmax});
    const double dy = std::max({0, b.ymin - a.ymax, a.ymin - b.ymax});
    return std::hypot(dx, dy);
}

bool Contient(const Boite_g& a, const Boite_g& b)
{
    return b.xmin >= a.xmin && b.xmax <= a.xmax && b.ymin >= a.ymin && b.ymax <= a.ymax;
}

}  // namespace

double Recouvrement(const Candidat& a, const Candidat& b)
{
    const double ix = std::min(a.xmax, b.xmax) - std::max(a.xmin, b.xmin) + 1.0;
    const double iy = std::min(a.ymax, b.ymax) - std::max(a.ymin, b.ymin) + 1.0;
    if (ix <= 0 || iy <= 0) return 0;
    const double sa = (a.xmax - a.xmin + 1.0) * (a.ymax - a.ymin + 1.0);
    const double sb = (b.xmax - b.xmin + 1.0) * (b.ymax - b.ymin + 1.0);
    return ix * iy / std::min(sa, sb);
}

Propositions Propose_candidats(Quad* quads, ArcQQ* arcs, const CC* composantes)
{
    Propositions p;
    std::unordered_map<const Quad*, int> index;
    for (Quad* q = quads; q; q = q->suivant)
        if (q->length > 0) {
            index.emplace(q, static_cast<int>(p.traits.size()));
            p.traits.push_back(q);
        }
    const size_t n = p.traits.size();
    p.roles.assign(n, Trait_symbole);
    if (n == 0) return p;
    std::vector<Geo> geo(n);
    for (size_t i = 0; i < n; i++) geo[i] = Geometrie(p.traits[i]);

    // The typical thickness: the median over the strokes' lengths.
    {
        std::vector<std::pair<double, double>> e;
        double total = 0;
        for (const Geo& g : geo) e.emplace_back(g.ep, g.l), total += g.l;
        std::sort(e.begin(), e.end());
        double cumul = 0;
        p.epaisseur = e.back().first;
        for (const auto& [epaisseur, l] : e)
            if ((cumul += l) >= total / 2) {
                p.epaisseur = epaisseur;
                break;
            }
    }
    const double ep = p.epaisseur;
    for (size_t i = 0; i < n; i++)
        if (geo[i].ep >= Epaisseur_mur * ep && geo[i].ep >= ep + 4 && geo[i].l >= 10 * geo[i].ep) p.roles[i] = Trait_mur;

    // Contacts: arcs whose strokes touch, or nearly (gaps bridged by the graph).
    std::vector<std::vector<Contact>> contacts(n);
    for (ArcQQ* a = arcs; a; a = a->suivant) {
        if (!a->Q1 || !a->Q2 || a->Q1 == a->Q2) continue;
        const auto i1 = index.find(a->Q1), i2 = index.find(a->Q2);
        if (i1 == index.end() || i2 == index.end()) continue;
        const auto u = static_cast<size_t>(i1->second), v = static_cast<size_t>(i2->second);
        double s, t;
        const double d = Plus_proches(geo[u], geo[v], s, t);
        if (d > (geo[u].ep + geo[v].ep) / 2 + 3 + 0.5 * ep) continue;
        contacts[u].push_back({i2->second, s, a->type});
        contacts[v].push_back({i1->second, t, a->type});
    }

    std::vector<std::vector<Contact>> en_ligne(n);
    // Ends facing across a gap short beside both strokes (a corner whose
    // tip was not taken as a quadrilateral, a stroke broken by noise).
    {
        const double cellule = 64;
        std::unordered_map<long long, std::vector<std::pair<int, int>>> grille;  // cell -> (stroke, end)
        auto cle = [&](double x, double y) {
            return (static_cast<long long>(std::floor(x / cellule)) << 32) ^ (static_cast<long long>(std::floor(y / cellule)) & 0xffffffffLL);
        };
        auto bout = [&](size_t i, int e) { return e == 0 ? std::pair{geo[i].ax, geo[i].ay} : std::pair{geo[i].bx, geo[i].by}; };
        for (size_t i = 0; i < n; i++)
            if (p.roles[i] != Trait_mur)
                for (int e = 0; e < 2; e++) {
                    const auto [x, y] = bout(i, e);
                    grille[cle(x, y)].emplace_back(static_cast<int>(i), e);
                }
        for (size_t i = 0; i < n; i++) {
            if (p.roles[i] == Trait_mur) continue;
            for (int e = 0; e < 2; e++) {
                const auto [x, y] = bout(i, e);
                for (int dx = -1; dx <= 1; dx++)
                    for (int dy = -1; dy <= 1; dy++) {
                        const auto it = grille.find(cle(x + dx * cellule, y + dy * cellule));
                        if (it == grille.end()) continue;
                        for (const auto& [j, f] : it->second) {
                            const auto uj = static_cast<size_t>(j);
                            if (uj <= i) continue;
                            const auto [xj, yj] = bout(uj, f);
                            const double ecart = 2 * ep + 0.25 * std::min(geo[i].l, geo[uj].l);
                            const double d = std::hypot(xj - x, yj - y);
                            if (d > cellule) continue;
                            // Further apart, pieces of one stroke only (for the wire test).
                            auto& liste = d <= ecart ? contacts : en_ligne;
                            if (d > ecart && !Prolonge(geo[i], geo[uj], ep) && !Prolonge(geo[uj], geo[i], ep)) continue;
                            liste[i].push_back({j, e == 0 ? 0.0 : 1.0, 'e'});
                            liste[uj].push_back({static_cast<int>(i), f == 0 ? 0.0 : 1.0, 'e'});
                        }
                    }
            }
        }
    }

    // Pieces of one straight stroke broken by noise are one stroke for the
    // wire test: a broken wire is long, a broken outline side still closes.
    for (size_t i = 0; i < n; i++) en_ligne[i].insert(en_ligne[i].end(), contacts[i].begin(), contacts[i].end());
    const std::vector<int> chaine = Chaines(geo, en_ligne, p.roles, ep);
    size_t nc = 0;
    for (size_t i = 0; i < n; i++) nc = std::max(nc, static_cast<size_t>(chaine[i]) + 1);
    std::vector<std::vector<int>> pieces(nc);
    for (size_t i = 0; i < n; i++) pieces[static_cast<size_t>(chaine[i])].push_back(static_cast<int>(i));
    std::vector<Geo> geo_c(nc);
    std::vector<int> roles_c(nc, Trait_symbole);
    std::vector<std::vector<Contact>> contacts_c(nc);
    for (size_t k = 0; k < nc; k++) {
        const std::vector<int>& m = pieces[k];
        roles_c[k] = p.roles[static_cast<size_t>(m[0])];
        if (m.size() == 1) {
            geo_c[k] = geo[static_cast<size_t>(m[0])];
            continue;
        }
        // The axis of the longest piece, stretched over the extreme ends.
        const Geo& ref = geo[static_cast<size_t>(*std::max_element(m.begin(), m.end(), [&](int a, int b) {
            return geo[static_cast<size_t>(a)].l < geo[static_cast<size_t>(b)].l;
        }))];
        const double ux = (ref.bx - ref.ax) / ref.l, uy = (ref.by - ref.ay) / ref.l;
        double t0 = 1e300, t1 = -1e300, epaisseur = 0, somme = 0;
        for (int i : m) {
            const Geo& g = geo[static_cast<size_t>(i)];
            for (const auto& [x, y] : {std::pair{g.ax, g.ay}, std::pair{g.bx, g.by}}) {
                const double t = (x - ref.ax) * ux + (y - ref.ay) * uy;
                t0 = std::min(t0, t), t1 = std::max(t1, t);
            }
            epaisseur += g.ep * g.l, somme += g.l;
        }
        geo_c[k] = {ref.ax + t0 * ux, ref.ay + t0 * uy, ref.ax + t1 * ux, ref.ay + t1 * uy, t1 - t0,
                    somme > 0 ? epaisseur / somme : ref.ep};
    }
    // Where a contact of piece i lies along its chain, 0..1.
    auto T_chaine = [&](size_t i, const Contact& c) {
        const auto k = static_cast<size_t>(chaine[i]);
        const Geo &g = geo[i], &gc = geo_c[k];
        if (pieces[k].size() == 1 || gc.l <= 0) return c.t;
        const double x = g.ax + c.t * (g.bx - g.ax), y = g.ay + c.t * (g.by - g.ay);
        return std::clamp(((x - gc.ax) * (gc.bx - gc.ax) + (y - gc.ay) * (gc.by - gc.ay)) / (gc.l * gc.l), 0.0, 1.0);
    };
    for (size_t i = 0; i < n; i++)
        for (const Contact& c : contacts[i])
            if (chaine[static_cast<size_t>(c.autre)] != chaine[i])
                contacts_c[static_cast<size_t>(chaine[i])].push_back({chaine[static_cast<size_t>(c.autre)], T_chaine(i, c), c.type});
    const std::vector<bool> candidat_c = Fils(geo_c, contacts_c, roles_c, ep);
    std::vector<bool> candidat(n, false);
    for (size_t i = 0; i < n; i++) {
        const auto k = static_cast<size_t>(chaine[i]);
        candidat[i] = candidat_c[k];
        if (roles_c[k] == Trait_fil) p.roles[i] = Trait_fil;
    }
    // Candidates, each set of strokes once.
    std::map<std::vector<int>, size_t> vus;
    auto ajoute = [&](std::vector<int> traits, int niveau) {
        std::sort(traits.begin(), traits.end());
        const auto [it, neuf] = vus.emplace(traits, p.candidats.size());
        if (!neuf) {
            p.candidats[it->second].niveaux |= 1u << niveau;
            return;
        }
        Candidat c;
        c.niveau = niveau;
        c.niveaux = 1u << niveau;
        Boite_g b;
        for (int i : traits) {
            b.Etend(p.traits[static_cast<size_t>(i)]);
            c.membres.push_back(p.traits[static_cast<size_t>(i)]);
        }
        c.xmin = b.xmin, c.ymin = b.ymin, c.xmax = b.xmax, c.ymax = b.ymax;
        p.candidats.push_back(std::move(c));
    };
    auto groupe = [&](std::vector<int>& r) {
        // Level 0: symbol strokes in contact (crossings included).
        Union_find uf(n);
        for (size_t i = 0; i < n; i++) {
            if (r[i] != Trait_symbole) continue;
            for (const Contact& c : contacts[i])
                if (r[static_cast<size_t>(c.autre)] == Trait_symbole) uf.Unit(static_cast<int>(i), c.autre);
        }
        // A stroke taken for a wire whose far end lies inside the box of the
        // group it touches joins nothing else: it is part of that group (a
        // circle's flat, a gate's curve). Repeated while groups grow.
        for (int passe = 0; passe < 3; passe++) {
            std::unordered_map<int, Boite_g> boite_racine;
            for (size_t i = 0; i < n; i++)
                if (r[i] == Trait_symbole) boite_racine[uf.Racine(static_cast<int>(i))].Etend(p.traits[i]);
            bool change = false;
            for (size_t k = 0; k < nc; k++) {
                const std::vector<int>& m = pieces[k];
                if (r[static_cast<size_t>(m[0])] != Trait_fil) continue;
                auto prend = [&](int racine) {
                    for (int i : m) r[static_cast<size_t>(i)] = Trait_symbole, uf.Unit(i, racine);
                    change = true;
                };
                const Geo& g = geo_c[k];
                // Touching nothing, inside an outline: a bar of that symbol.
                if (contacts_c[k].empty() || std::all_of(contacts_c[k].begin(), contacts_c[k].end(), [](const Contact& c) { return c.type == 'X'; })) {
                    for (const auto& [racine, b] : boite_racine) {
                        const double cote = std::min(b.xmax - b.xmin, b.ymax - b.ymin);
                        if (std::min(g.ax, g.bx) > b.xmin && std::max(g.ax, g.bx) < b.xmax && std::min(g.ay, g.by) > b.ymin &&
                            std::max(g.ay, g.by) < b.ymax && g.l < cote) {
                            prend(racine);
                            break;
                        }
                    }
                    continue;
                }
                bool pris = false;
                for (size_t x = 0; x < m.size() && !pris; x++) {
                    const auto i = static_cast<size_t>(m[x]);
                    for (const Contact& c : contacts[i]) {
                        const auto o = static_cast<size_t>(c.autre);
                        if (c.type == 'X' || r[o] != Trait_symbole || chaine[o] == chaine[i]) continue;
                        const Boite_g& b = boite_racine[uf.Racine(c.autre)];
                        const double mg = Marge(g);
                        const double t = T_chaine(i, c);
                        const double fx = t < 0.5 ? g.bx : g.ax, fy = t < 0.5 ? g.by : g.ay;
                        if (fx >= b.xmin - mg && fx <= b.xmax + mg && fy >= b.ymin - mg && fy <= b.ymax + mg) {
                            prend(c.autre);
                            pris = true;
                            break;
                        }
                    }
                }
            }
            if (!change) break;
            for (size_t i = 0; i < n; i++) {
                if (r[i] != Trait_symbole) continue;
                for (const Contact& c : contacts[i])
                    if (r[static_cast<size_t>(c.autre)] == Trait_symbole) uf.Unit(static_cast<int>(i), c.autre);
            }
        }
        std::map<int, int> numero_groupe;
        std::vector<std::vector<int>> groupes;
        std::vector<Boite_g> boites;
        for (size_t i = 0; i < n; i++) {
            if (r[i] != Trait_symbole) continue;
            const auto [it, neuf] = numero_groupe.emplace(uf.Racine(static_cast<int>(i)), static_cast<int>(groupes.size()));
            if (neuf) groupes.emplace_back(), boites.emplace_back();
            groupes[static_cast<size_t>(it->second)].push_back(static_cast<int>(i));
            boites[static_cast<size_t>(it->second)].Etend(p.traits[i]);
        }
        const size_t ng = groupes.size();

        for (size_t g = 0; g < ng; g++) ajoute(groupes[g], Groupe_contact);
        if (ng > Groupes_max) return;

        // Upper levels: single linkage of the level-0 groups whose boxes are close
        // beside the smaller one's size, or one inside the other.
        for (const auto& [niveau, facteur] : {std::pair{Groupe_proche, Ecart_proche}, std::pair{Groupe_large, Ecart_large}}) {
            Union_find u2(ng);
            for (size_t a = 0; a < ng; a++)
                for (size_t b = a + 1; b < ng; b++) {
                    const Boite_g &ba = boites[a], &bb = boites[b];
                    const double d = Ecart(ba, bb);
                    if (d <= facteur * std::min(ba.Diagonale(), bb.Diagonale()) || Contient(ba, bb) || Contient(bb, ba))
                        u2.Unit(static_cast<int>(a), static_cast<int>(b));
                }
            std::map<int, std::vector<int>> ens;
            for (size_t g = 0; g < ng; g++) ens[u2.Racine(static_cast<int>(g))].push_back(static_cast<int>(g));
            for (auto& [racine, e] : ens) {
                std::vector<int> traits;
                for (int g : e) traits.insert(traits.end(), groupes[static_cast<size_t>(g)].begin(), groupes[static_cast<size_t>(g)].end());
                ajoute(traits, niveau);
            }
        }
    };
    groupe(p.roles);
    for (const CC* k = composantes; k; k = k->suivant) {
        std::vector<int> dedans;
        bool fil = false;
        for (size_t i = 0; i < n && !fil; i++) {
            const double mx = (geo[i].ax + geo[i].bx) / 2, my = (geo[i].ay + geo[i].by) / 2;
            if (mx < k->xi || mx > k->xf || my < k->yi || my > k->yf) continue;
            if (p.roles[i] != Trait_symbole) fil = true;
            else dedans.push_back(static_cast<int>(i));
        }
        if (!fil && !dedans.empty()) ajoute(dedans, Groupe_composante);
    }
    p.attache.assign(n, false);
    for (size_t i = 0; i < n; i++)
        if (p.roles[i] == Trait_symbole)
            for (const Contact& c : contacts[i])
                if (c.type != 'X' && p.roles[static_cast<size_t>(c.autre)] == Trait_fil) p.attache[i] = true;
    // A second reading where every long stroke touched only at its ends is a
    // wire, outlines included: it parts symbols that wires join into loops
    // (a circuit), at the price of their outlines; the models choose.
    std::vector<int> sans_traits_longs = p.roles;
    for (size_t i = 0; i < n; i++)
        if (candidat[i]) sans_traits_longs[i] = Trait_fil;
    groupe(sans_traits_longs);
    return p;
}

bool Morceaux_alignes(const Quad* a, const Quad* b, double epaisseur)
{
    const Geo ga = Geometrie(a), gb = Geometrie(b);
    if (ga.l <= 0 || gb.l <= 0) return false;
    const double ux = (ga.bx - ga.ax) / ga.l, uy = (ga.by - ga.ay) / ga.l;
    const double vx = (gb.bx - gb.ax) / gb.l, vy = (gb.by - gb.ay) / gb.l;
    if (std::fabs(ux * vy - uy * vx) > std::sin(10.0 * 3.14159265358979 / 180)) return false;
    double ecart = 1e300;
    for (const auto& [px, py] : {std::pair{ga.ax, ga.ay}, std::pair{ga.bx, ga.by}})
        for (const auto& [qx, qy] : {std::pair{gb.ax, gb.ay}, std::pair{gb.bx, gb.by}}) ecart = std::min(ecart, std::hypot(px - qx, py - qy));
    if (ecart > 2 * epaisseur + 0.25 * std::min(ga.l, gb.l)) return false;
    // In line: b's middle lies near a's line.
    const double mx = (gb.ax + gb.bx) / 2 - ga.ax, my = (gb.ay + gb.by) / 2 - ga.ay;
    return std::fabs(mx * uy - my * ux) <= 2 * epaisseur;
}
