#include "spotting/traits.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "spotting/groupes.h"

namespace traits {

namespace {

// Two sides of an outline: lengths within this ratio, sharing this part.
constexpr double Rapport_face = 0.8;
constexpr double Part_face = 0.8;

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

}  // namespace

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

std::vector<bool> Fils(const std::vector<Geo>& geo, const std::vector<std::vector<Contact>>& contacts,
                       std::vector<int>& roles, double ep, double longueur)
{
    const size_t n = geo.size();
    std::vector<bool> long_libre(n, false);
    for (size_t i = 0; i < n; i++) {
        if (roles[i] != Trait_symbole || geo[i].l < std::max(20.0, longueur * ep)) continue;
        long_libre[i] = std::all_of(contacts[i].begin(), contacts[i].end(), [&](const Contact& c) {
            return c.type == 'X' || Au_bout(c, geo[i], Marge(geo[i])) || roles[static_cast<size_t>(c.autre)] == Trait_mur;
        });
    }
    std::vector<bool> candidat = long_libre;
    for (size_t i = 0; i < n; i++) {
        if (long_libre[i] || roles[i] != Trait_symbole || geo[i].l < std::max(20.0, longueur * ep)) continue;
        candidat[i] = std::all_of(contacts[i].begin(), contacts[i].end(), [&](const Contact& c) {
            const auto o = static_cast<size_t>(c.autre);
            if (c.type == 'X' || Au_bout(c, geo[i], Marge(geo[i])) || roles[o] == Trait_mur) return true;
            // A junction dot's pieces are short; branches are long.
            if (geo[o].l < 2 * ep + 2) return true;
            if (geo[o].l < std::max(20.0, longueur * ep)) return false;
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

}  // namespace traits
