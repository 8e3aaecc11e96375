#include "nets/netlist.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <map>
#include <numeric>

#include "image/planes.h"
#include "nets/outils_nets.h"
#include "spotting/boucles.h"
#include "vecto/records.h"

using namespace nets;

namespace {

// The thick strokes of the analysis, glyph-sized components left out.
std::vector<Trait> Traits_image()
{
    std::vector<const CC*> petits;
    for (const CC* c = Liste_CC; c; c = c->suivant)
        if (c->xf - c->xi < kGlyphe && c->yf - c->yi < kGlyphe) petits.push_back(c);
    Grille g(Largeur, Hauteur, 64);
    for (size_t k = 0; k < petits.size(); k++)
        g.Ajoute(int(k), petits[k]->xi, petits[k]->yi, petits[k]->xf, petits[k]->yf);
    auto dans = [](const CC* c, double x, double y) {
        return x >= c->xi - 1 && x <= c->xf + 1 && y >= c->yi - 1 && y <= c->yf + 1;
    };
    std::vector<Trait> traits;
    for (const Quad* q = Liste_quads; q; q = q->suivant) {
        if (q->length <= 0) continue;
        const Axe a = Axe_quad(*q);
        Trait t{double(a.x1), double(a.y1), double(a.x2), double(a.y2),
                std::max(1.0, (q->thickness1 + q->thickness2) / 2.0)};
        if (Longueur(t) < 1) continue;
        bool glyphe = false;
        g.Voisins(t.x1, t.y1, t.x2, t.y2, [&](int k) {
            if (dans(petits[size_t(k)], t.x1, t.y1) && dans(petits[size_t(k)], t.x2, t.y2)) glyphe = true;
        });
        if (!glyphe) traits.push_back(t);
    }
    return traits;
}

// Collinear pieces of one stroke (cut by a crossing, a dot, a join, or the
// quadrilaterals' own fusion limits) made one straight wire again, when the
// ink runs between them.
std::vector<Trait> Fusionne_alignes(const std::vector<Trait>& traits)
{
    const size_t n = traits.size();
    Unions u(n);
    Grille g(Largeur, Hauteur, 64);
    const double marge = 24;
    for (size_t k = 0; k < n; k++) {
        const Trait& t = traits[k];
        g.Ajoute(int(k), std::min(t.x1, t.x2) - marge, std::min(t.y1, t.y2) - marge, std::max(t.x1, t.x2) + marge,
                 std::max(t.y1, t.y2) + marge);
    }
    for (size_t k = 0; k < n; k++) {
        const Trait& a = traits[k];
        g.Voisins(std::min(a.x1, a.x2), std::min(a.y1, a.y2), std::max(a.x1, a.x2), std::max(a.y1, a.y2), [&](int j) {
            if (size_t(j) <= k) return;
            const Trait& b0 = traits[size_t(j)];
            const Trait& L = Longueur(a) >= Longueur(b0) ? a : b0;
            const Trait& C = &L == &a ? b0 : a;
            const double lL = Longueur(L), lC = Longueur(C);
            if (lL < 1 || lC < 1) return;
            const double ux = (L.x2 - L.x1) / lL, uy = (L.y2 - L.y1) / lL;
            const double vx = (C.x2 - C.x1) / lC, vy = (C.y2 - C.y1) / lC;
            if (std::fabs(ux * vy - uy * vx) > 0.105) return;  // about 6 degrees
            const double tol = std::max(3.0, std::max(L.ep, C.ep));
            const double d1 = (C.x1 - L.x1) * uy - (C.y1 - L.y1) * ux;
            const double d2 = (C.x2 - L.x1) * uy - (C.y2 - L.y1) * ux;
            if (std::fabs(d1) > tol || std::fabs(d2) > tol) return;
            const double s1 = (C.x1 - L.x1) * ux + (C.y1 - L.y1) * uy, s2 = (C.x2 - L.x1) * ux + (C.y2 - L.y1) * uy;
            double gap = 0, ex = 0, ey = 0, fx = 0, fy = 0;  // C's and L's facing ends
            if (std::min(s1, s2) > lL) {
                gap = std::min(s1, s2) - lL;
                ex = s1 < s2 ? C.x1 : C.x2;
                ey = s1 < s2 ? C.y1 : C.y2;
                fx = L.x2;
                fy = L.y2;
            } else if (std::max(s1, s2) < 0) {
                gap = -std::max(s1, s2);
                ex = s1 > s2 ? C.x1 : C.x2;
                ey = s1 > s2 ? C.y1 : C.y2;
                fx = L.x1;
                fy = L.y1;
            }
            if (gap > 60) return;
            if (gap > 0 && !Chemin_encre(fx, fy, ex, ey)) return;
            u.Joint(int(k), j);
        });
    }
    std::map<int, std::vector<size_t>> groupes;
    for (size_t k = 0; k < n; k++) groupes[u.Racine(int(k))].push_back(k);
    std::vector<Trait> fusionnes;
    for (auto& [racine, membres] : groupes) {
        size_t plus_long = membres[0];
        for (size_t m : membres)
            if (Longueur(traits[m]) > Longueur(traits[plus_long])) plus_long = m;
        const Trait& L = traits[plus_long];
        const double lL = Longueur(L);
        const double ux = (L.x2 - L.x1) / lL, uy = (L.y2 - L.y1) / lL;
        // The line through all the pieces' ends (offset across the longest
        // one's line = a + b s, least squares weighted by the pieces'
        // lengths), so that the wire stays on its ink far from the longest.
        const double nx = -uy, ny = ux;
        double smin = 0, smax = lL, sw = 0, ss = 0, so = 0, sss = 0, sso = 0;
        for (size_t m : membres) {
            const Trait& t = traits[m];
            const double w = Longueur(t);
            for (const auto& [px, py] : {std::pair{t.x1, t.y1}, std::pair{t.x2, t.y2}}) {
                const double s = (px - L.x1) * ux + (py - L.y1) * uy, o = (px - L.x1) * nx + (py - L.y1) * ny;
                smin = std::min(smin, s);
                smax = std::max(smax, s);
                sw += w;
                ss += w * s;
                so += w * o;
                sss += w * s * s;
                sso += w * s * o;
            }
        }
        double a = 0, b = 0;
        const double det = sw * sss - ss * ss;
        if (membres.size() > 1 && sw > 0 && std::fabs(det) > 1e-9) {
            b = (sw * sso - ss * so) / det;
            a = (so - b * ss) / sw;
        }
        auto point = [&](double s) {
            const double o = a + b * s;
            return std::pair{L.x1 + ux * s + nx * o, L.y1 + uy * s + ny * o};
        };
        const auto [xa, ya] = point(smin);
        const auto [xb, yb] = point(smax);
        fusionnes.push_back({xa, ya, xb, yb, L.ep});
    }
    return fusionnes;
}

// A wire's ends carried on along its line as far as the ink goes: the
// stroke's last pixels before a dot, a crossing or a pin often make no
// quadrilateral of their own.
void Prolonge(Trait& t)
{
    const double l = Longueur(t);
    if (l < 1) return;
    const double ux = (t.x2 - t.x1) / l, uy = (t.y2 - t.y1) / l;
    auto avance = [&](double& x, double& y, double sx, double sy) {
        int s = 0;
        for (int k = 1; k <= 40; k++) {
            const double px = x + sx * k, py = y + sy * k;
            if (!Encre(px, py) && !Encre(px - sy, py + sx) && !Encre(px + sy, py - sx)) break;
            s = k;
        }
        x += sx * s;
        y += sy * s;
    };
    avance(t.x2, t.y2, ux, uy);
    avance(t.x1, t.y1, -ux, -uy);
}

// The stroke's width across its axis, the median of nine places along it.
double Largeur_trait(const Trait& t)
{
    const double l = Longueur(t);
    if (l < 1) return t.ep;
    const double nx = -(t.y2 - t.y1) / l, ny = (t.x2 - t.x1) / l;
    std::vector<int> w;
    for (int k = 1; k <= 9; k++) {
        const double x = t.x1 + (t.x2 - t.x1) * k / 10, y = t.y1 + (t.y2 - t.y1) * k / 10;
        if (!Encre(x, y)) continue;
        int n = 1;
        for (int s : {-1, 1})
            for (int d = 1; d <= 15 && Encre(x + s * d * nx, y + s * d * ny); d++) n++;
        w.push_back(n);
    }
    if (w.empty()) return t.ep;
    std::nth_element(w.begin(), w.begin() + long(w.size() / 2), w.end());
    return w[w.size() / 2];
}

// Buses, drawn markedly thicker than the page's wires, carry many signals
// and join none: they are left out.
void Retire_bus(std::vector<Trait>& fils)
{
    std::vector<double> largeurs(fils.size());
    std::vector<double> longs;
    for (size_t k = 0; k < fils.size(); k++) {
        largeurs[k] = Largeur_trait(fils[k]);
        if (Longueur(fils[k]) >= 30) longs.push_back(largeurs[k]);
    }
    if (longs.size() < 5) return;
    std::nth_element(longs.begin(), longs.begin() + long(longs.size() / 2), longs.end());
    const double courante = longs[longs.size() / 2];
    std::vector<Trait> gardes;
    for (size_t k = 0; k < fils.size(); k++)
        if (!(Longueur(fils[k]) >= 30 && largeurs[k] >= courante + 1.5 && largeurs[k] >= 1.45 * courante))
            gardes.push_back(fils[k]);
    fils.swap(gardes);
}

// The parameter interval of the segment inside the rectangle (Liang-Barsky);
// false when it stays out.
bool Coupe_rectangle(const Trait& t, double x0, double y0, double x1, double y1, double& ta, double& tb)
{
    ta = 0;
    tb = 1;
    const double dx = t.x2 - t.x1, dy = t.y2 - t.y1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {t.x1 - x0, x1 - t.x1, t.y1 - y0, y1 - t.y1};
    for (int k = 0; k < 4; k++) {
        if (p[k] == 0) {
            if (q[k] < 0) return false;
            continue;
        }
        const double r = q[k] / p[k];
        if (p[k] < 0) ta = std::max(ta, r);
        else tb = std::min(tb, r);
    }
    return ta <= tb;
}

// Whether piece a's end (0 or 1) joins piece b.
bool Bout_joint(const Piece& pa, int bout, const Piece& pb)
{
    const Trait& a = pa.t;
    const Trait& b = pb.t;
    const double ex = bout ? a.x2 : a.x1, ey = bout ? a.y2 : a.y1;
    double s, fx, fy;
    const double d = Distance_segment(b, ex, ey, s, fx, fy);
    if (d > (a.ep + b.ep) / 2 + 10) return false;
    if (!Relies_encre(ex, ey, fx, fy)) return false;
    const double lb = Longueur(b);
    const double pres = b.ep / 2 + 4;
    if (s * lb <= pres || (1 - s) * lb <= pres) return true;  // a corner, or one carrying on the other
    const double la = Longueur(a);
    if (la < 1) return true;
    const double ux = (bout ? a.x2 - a.x1 : a.x1 - a.x2) / la, uy = (bout ? a.y2 - a.y1 : a.y1 - a.y2) / la;
    if (!Continue_au_dela(fx, fy, ux, uy, b.ep)) return true;  // a T
    return Point_de_jonction(fx, fy, a, b);
}

// Whether a and b cross away from their ends, and join there (a dot).
bool Croisement_joint(const Trait& a, const Trait& b, bool& croisent)
{
    croisent = false;
    const double rx = a.x2 - a.x1, ry = a.y2 - a.y1, sx = b.x2 - b.x1, sy = b.y2 - b.y1;
    const double den = rx * sy - ry * sx;
    if (std::fabs(den) < 1e-9) return false;
    const double t = ((b.x1 - a.x1) * sy - (b.y1 - a.y1) * sx) / den;
    const double u = ((b.x1 - a.x1) * ry - (b.y1 - a.y1) * rx) / den;
    if (t < 0 || t > 1 || u < 0 || u > 1) return false;
    croisent = true;
    return Point_de_jonction(a.x1 + rx * t, a.y1 + ry * t, a, b);
}

// Every wire cut by the boxes it runs into: the pieces outside them with the
// box at each end, and the boxes whose pins run into each other along a
// wire (`liens`, both terminals in `bornes_liens`). A free end stopping just
// short of a box still meets it.
void Coupe_par_boites(const std::vector<Trait>& fils, const std::vector<BoiteSymbole>& boites, Grille& gb,
                      std::vector<Piece>& pieces, std::vector<std::pair<int, int>>& liens,
                      std::vector<Borne>& bornes_liens)
{
    for (size_t f = 0; f < fils.size(); f++) {
        const Trait& t = fils[f];
        struct Intervalle {
            double a, b;
            int boite;
        };
        std::vector<Intervalle> dedans;
        gb.Voisins(std::min(t.x1, t.x2), std::min(t.y1, t.y2), std::max(t.x1, t.x2), std::max(t.y1, t.y2), [&](int k) {
            const BoiteSymbole& b = boites[size_t(k)];
            double ta, tb;
            if (Coupe_rectangle(t, b.xi - kMarge, b.yi - kMarge, b.xf + kMarge, b.yf + kMarge, ta, tb))
                dedans.push_back({ta, tb, k});
        });
        std::sort(dedans.begin(), dedans.end(), [](const Intervalle& x, const Intervalle& y) { return x.a < y.a; });
        const double l = Longueur(t);
        auto point = [&](double s) { return std::pair<double, double>{t.x1 + (t.x2 - t.x1) * s, t.y1 + (t.y2 - t.y1) * s}; };
        double debut = 0;
        int boite_debut = -1;
        size_t k = 0;
        double fin_couverte = -1;
        int boite_couverte = -1;
        while (k < dedans.size() || debut < 1) {
            if (k < dedans.size() && dedans[k].a <= debut + 1e-9) {
                // Pins running into each other: this box starts where the
                // previous one (which the wire leaves) ends.
                if (boite_couverte >= 0 && dedans[k].boite != boite_couverte && dedans[k].a > 0 &&
                    dedans[k].a <= fin_couverte + 1e-9 && fin_couverte < 1 && dedans[k].b > fin_couverte) {
                    liens.push_back({boite_couverte, dedans[k].boite});
                    const auto [x, y] = point(dedans[k].a);
                    bornes_liens.push_back({boite_couverte, x, y});
                    bornes_liens.push_back({dedans[k].boite, x, y});
                }
                if (dedans[k].b > fin_couverte) {
                    fin_couverte = dedans[k].b;
                    boite_couverte = dedans[k].boite;
                }
                debut = std::max(debut, dedans[k].b);
                boite_debut = boite_couverte;
                k++;
                continue;
            }
            if (debut >= 1) break;
            const double fin = k < dedans.size() ? dedans[k].a : 1.0;
            if ((fin - debut) * l >= 1.0 || (boite_debut >= 0 && k < dedans.size())) {
                Piece p;
                const auto [x1, y1] = point(debut);
                const auto [x2, y2] = point(fin);
                p.t = {x1, y1, x2, y2, t.ep};
                p.trait = int(f);
                p.boite[0] = boite_debut;
                p.boite[1] = k < dedans.size() ? dedans[k].boite : -1;
                pieces.push_back(p);
            }
            debut = fin;
            boite_debut = -1;
        }
    }

    for (Piece& p : pieces)
        for (int bout = 0; bout < 2; bout++) {
            if (p.boite[bout] >= 0) continue;
            const double ex = bout ? p.t.x2 : p.t.x1, ey = bout ? p.t.y2 : p.t.y1;
            const double m = kMarge + 3;
            gb.Voisins(ex, ey, ex, ey, [&](int k) {
                const BoiteSymbole& b = boites[size_t(k)];
                if (p.boite[bout] >= 0 || ex < b.xi - m || ex > b.xf + m || ey < b.yi - m || ey > b.yf + m) return;
                const double cx = std::clamp(ex, b.xi - kMarge, b.xf + kMarge);
                const double cy = std::clamp(ey, b.yi - kMarge, b.yf + kMarge);
                if (Relies_encre(ex, ey, cx, cy)) p.boite[bout] = k;
            });
        }
}

}  // namespace

Netlist Calcule_netlist(const std::vector<BoiteSymbole>& boites)
{
    Netlist res;
    res.boites = boites;
    res.bornes_symbole.assign(boites.size(), {});
    if (!Plan1.existe()) return res;

    std::vector<Trait> fils = Fusionne_alignes(Traits_image());
    for (Trait& t : fils) Prolonge(t);
    Retire_bus(fils);
    // Boxes by cell; every wire cut by the boxes it runs into.
    Grille gb(Largeur, Hauteur, 128);
    for (size_t k = 0; k < boites.size(); k++)
        gb.Ajoute(int(k), boites[k].xi - kMarge, boites[k].yi - kMarge, boites[k].xf + kMarge, boites[k].yf + kMarge);
    std::vector<Piece> pieces;
    std::vector<std::pair<int, int>> liens;  // boxes whose pins run into each other
    std::vector<Borne> bornes_liens;
    Coupe_par_boites(fils, boites, gb, pieces, liens, bornes_liens);

    // The pieces that join.
    const size_t np = pieces.size();
    Grille gp(Largeur, Hauteur, 64);
    for (size_t k = 0; k < np; k++) {
        const Trait& t = pieces[k].t;
        const double m = t.ep + 8;
        gp.Ajoute(int(k), std::min(t.x1, t.x2) - m, std::min(t.y1, t.y2) - m, std::max(t.x1, t.x2) + m,
                  std::max(t.y1, t.y2) + m);
    }
    std::vector<std::pair<int, int>> joints_sondes;
    std::vector<BornePiece> bornes_sondes;
    Sondes_encre(pieces, boites, gp, gb, joints_sondes, liens, bornes_liens, bornes_sondes);

    Unions u(np + liens.size());
    for (const auto& [a, b] : joints_sondes) u.Joint(a, b);
    for (size_t k = 0; k < np; k++) {
        const Piece& a = pieces[k];
        gp.Voisins(std::min(a.t.x1, a.t.x2), std::min(a.t.y1, a.t.y2), std::max(a.t.x1, a.t.x2),
                   std::max(a.t.y1, a.t.y2), [&](int j) {
                       if (size_t(j) <= k) return;
                       const Piece& b = pieces[size_t(j)];
                       if (a.trait == b.trait || u.Racine(int(k)) == u.Racine(j)) return;
                       bool joint = Bout_joint(a, 0, b) || Bout_joint(a, 1, b) || Bout_joint(b, 0, a) ||
                                    Bout_joint(b, 1, a);
                       if (!joint) {
                           bool croisent;
                           joint = Croisement_joint(a.t, b.t, croisent);
                       }
                       if (joint) u.Joint(int(k), j);
                   });
    }
    // Nets: the groups of pieces (and of pins running into each other) that
    // meet at least one symbol.
    std::map<int, size_t> rang;
    std::vector<Net> nets;
    auto net_de = [&](int noeud) -> Net& {
        const int r = u.Racine(noeud);
        auto [it, nouveau] = rang.emplace(r, nets.size());
        if (nouveau) nets.emplace_back();
        return nets[it->second];
    };
    auto pt = [](double x, double y) { return PointNet{int(std::lround(x)), int(std::lround(y))}; };
    for (size_t k = 0; k < np; k++) {
        const Piece& p = pieces[k];
        Net& n = net_de(int(k));
        n.traits.push_back({pt(p.t.x1, p.t.y1), pt(p.t.x2, p.t.y2)});
        for (int bout = 0; bout < 2; bout++)
            if (p.boite[bout] >= 0)
                n.bornes.push_back({boites[size_t(p.boite[bout])].id, bout ? pt(p.t.x2, p.t.y2) : pt(p.t.x1, p.t.y1)});
    }
    for (const BornePiece& b : bornes_sondes)
        net_de(b.piece).bornes.push_back({boites[size_t(b.boite)].id, pt(b.x, b.y)});
    for (size_t l = 0; l < liens.size(); l++) {
        Net& n = net_de(int(np + l));
        for (int c = 0; c < 2; c++) {
            const Borne& b = bornes_liens[2 * l + size_t(c)];
            n.bornes.push_back({boites[size_t(b.boite)].id, pt(b.x, b.y)});
        }
    }
    std::map<long, size_t> index_boite;
    for (size_t k = 0; k < boites.size(); k++) index_boite.emplace(boites[k].id, k);
    for (Net& n : nets) {
        if (n.bornes.empty()) continue;
        // A wire's end and a probe often find the same pin.
        std::vector<BorneNet> uniques;
        for (const BorneNet& b : n.bornes)
            if (std::none_of(uniques.begin(), uniques.end(), [&](const BorneNet& u) {
                    return u.symbole == b.symbole && std::abs(u.p.x - b.p.x) <= 3 && std::abs(u.p.y - b.p.y) <= 3;
                }))
                uniques.push_back(b);
        n.bornes.swap(uniques);
        for (const BorneNet& b : n.bornes) n.symboles.push_back(b.symbole);
        std::sort(n.symboles.begin(), n.symboles.end());
        n.symboles.erase(std::unique(n.symboles.begin(), n.symboles.end()), n.symboles.end());
        res.nets.push_back(std::move(n));
    }
    std::stable_sort(res.nets.begin(), res.nets.end(), [](const Net& a, const Net& b) { return a.symboles < b.symboles; });
    for (size_t k = 0; k < res.nets.size(); k++) {
        res.nets[k].id = long(k) + 1;
        for (const BorneNet& b : res.nets[k].bornes) {
            std::vector<PointNet>& v = res.bornes_symbole[index_boite[b.symbole]];
            const bool deja = std::any_of(v.begin(), v.end(), [&](const PointNet& q) {
                return std::abs(q.x - b.p.x) <= 3 && std::abs(q.y - b.p.y) <= 3;
            });
            if (!deja) v.push_back(b.p);
        }
    }
    return res;
}

std::vector<std::pair<long, long>> Paires_netlist(const Netlist& n)
{
    std::vector<std::pair<long, long>> paires;
    for (const Net& net : n.nets)
        for (size_t i = 0; i < net.symboles.size(); i++)
            for (size_t j = i + 1; j < net.symboles.size(); j++) paires.push_back({net.symboles[i], net.symboles[j]});
    std::sort(paires.begin(), paires.end());
    paires.erase(std::unique(paires.begin(), paires.end()), paires.end());
    return paires;
}
