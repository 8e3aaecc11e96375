#include "spotting/groupes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

#include "spotting/traits.h"

namespace {

using namespace traits;

// A wall is this many times thicker than the typical stroke.
constexpr double Epaisseur_mur = 2.2;
// Gaps, relative to the smaller group's diagonal, merged at the two upper levels.
constexpr double Ecart_proche = 0.15;
constexpr double Ecart_large = 0.5;
// Groups compared pairwise by box at most (beyond, the upper levels are left out).
constexpr size_t Groupes_max = 4000;

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
    std::vector<int> roles_courts = roles_c;
    const std::vector<bool> candidat_c = Fils(geo_c, contacts_c, roles_c, ep);
    // The same test for shorter strokes: a short wire between two symbols
    // drawn close together.
    Fils(geo_c, contacts_c, roles_courts, ep, Longueur_fil_court);
    std::vector<bool> candidat(n, false);
    for (size_t i = 0; i < n; i++) {
        const auto k = static_cast<size_t>(chaine[i]);
        candidat[i] = candidat_c[k];
        if (roles_c[k] == Trait_fil) p.roles[i] = Trait_fil;
    }
    // Candidates, each set of strokes once.
    std::map<std::vector<int>, size_t> vus;
    bool lecture_courte = false;
    auto ajoute = [&](std::vector<int> traits, int niveau) {
        std::sort(traits.begin(), traits.end());
        const auto [it, neuf] = vus.emplace(traits, p.candidats.size());
        if (!neuf) {
            p.candidats[it->second].niveaux |= 1u << niveau;
            p.candidats[it->second].niveau = std::min(p.candidats[it->second].niveau, niveau);
            return;
        }
        Candidat c;
        c.fils_courts = lecture_courte;
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
    // `ecarts`: the levels of groups merged across gaps too.
    auto groupe = [&](std::vector<int>& r, bool ecarts = true) {
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

        // An outline with what it holds, alone: the gap linkage below may
        // chain it to its neighbours as well.
        for (size_t g = 0; g < ng; g++) {
            std::vector<int> traits;
            for (size_t h = 0; h < ng; h++)
                if (h != g && Contient(boites[g], boites[h]))
                    traits.insert(traits.end(), groupes[h].begin(), groupes[h].end());
            if (traits.empty()) continue;
            traits.insert(traits.end(), groupes[g].begin(), groupes[g].end());
            ajoute(traits, Groupe_contenu);
        }

        // Upper levels: single linkage of the level-0 groups whose boxes are close
        // beside the smaller one's size, or one inside the other.
        if (!ecarts) return;
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
    // A third reading where the shorter strokes that pass the wire test are
    // wires too: it parts symbols that a short wire joins (drawn smaller, or
    // close together), at the price of their own leads and bars; the models
    // choose. Strokes in contact and outlines with their contents only: the
    // gap levels would merge again what it parts (and the specks of a noisy
    // scan with them).
    std::vector<int> sans_fils_courts = p.roles;
    bool autre = false;
    for (size_t i = 0; i < n; i++)
        if (sans_fils_courts[i] == Trait_symbole && roles_courts[static_cast<size_t>(chaine[i])] == Trait_fil)
            sans_fils_courts[i] = Trait_fil, autre = true;
    lecture_courte = true;
    if (autre) groupe(sans_fils_courts, false);
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
