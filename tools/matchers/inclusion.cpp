#include "tools/matchers/inclusion.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <map>
#include <set>

#include "tools/matchers/affectation.h"

Proprietes Lit_proprietes(const std::string& chemin, std::vector<std::string>& avertissements)
{
    Proprietes p;
    pugi::xml_document doc;
    if (!doc.load_file(chemin.c_str())) {
        avertissements.push_back("cannot read " + chemin + ", built-in weights used");
        return p;
    }
    const std::map<std::string_view, double*> champs = {
        {"poids_noeuds", &p.poids_noeuds},
        {"poids_voisinage", &p.poids_voisinage},
        {"poids_structure", &p.poids_structure},
        {"tolerance_longueur", &p.tolerance_longueur},
        {"tolerance_angle", &p.tolerance_angle},
        {"cout_longueur", &p.couts.wl},
        {"cout_arete", &p.couts.ce},
        {"cout_type", &p.couts.wt},
        {"cout_angle", &p.couts.wa},
    };
    for (pugi::xml_node e = doc.child("properties").child("property"); e; e = e.next_sibling("property")) {
        const auto c = champs.find(std::string_view(e.attribute("name").value()));
        if (c == champs.end()) continue;
        const std::string_view texte = e.attribute("value").value();
        double v = 0;
        const auto r = std::from_chars(texte.data(), texte.data() + texte.size(), v);
        if (r.ec != std::errc() || r.ptr != texte.data() + texte.size() || !std::isfinite(v) || v < 0) {
            avertissements.push_back(chemin + ": " + std::string(c->first) + " is not a non-negative number, kept " +
                                     std::to_string(*c->second));
            continue;
        }
        *c->second = v;
    }
    return p;
}

CoutsEdition Couts_programme(const char* argv0)
{
    const std::string programme = argv0 ? argv0 : "";
    const auto p = programme.find_last_of('/');
    const std::string chemin = (p == std::string::npos ? std::string(".") : programme.substr(0, p)) + "/properties.xml";
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (!f) return CoutsEdition{};
    std::fclose(f);
    std::vector<std::string> avertissements;
    const Proprietes lues = Lit_proprietes(chemin, avertissements);
    for (const std::string& a : avertissements) std::fprintf(stderr, "%s: %s\n", programme.c_str(), a.c_str());
    return lues.couts;
}

namespace {

double Score_paire(const NoeudG& a, const NoeudG& b, const Voisinage& va, const Voisinage& vb, const Proprietes& p)
{
    const double longueur =
        p.tolerance_longueur > 0 ? std::max(0.0, 1.0 - std::fabs(a.rellen - b.rellen) / p.tolerance_longueur)
                                 : (a.rellen == b.rellen ? 1.0 : 0.0);
    // Share of a's incident edges that b has too (same Type, close angle);
    // a node without edges misses nothing.
    double voisinage = 1.0;
    if (va.degre > 0) {
        double trouve = 0;
        for (size_t t = 0; t < va.nombre.size(); t++) {
            const int communs = std::min(va.nombre[t], vb.nombre[t]);
            if (communs == 0) continue;
            const double ecart = std::fabs(va.somme[t] / va.nombre[t] - vb.somme[t] / vb.nombre[t]);
            const double accord =
                p.tolerance_angle > 0 ? std::max(0.0, 1.0 - ecart / p.tolerance_angle) : (ecart == 0 ? 1.0 : 0.0);
            trouve += communs * accord;
        }
        voisinage = trouve / va.degre;
    }
    const double poids = p.poids_noeuds + p.poids_voisinage;
    if (poids <= 0) return 1.0;
    return (p.poids_noeuds * longueur + p.poids_voisinage * voisinage) / poids;
}

}  // namespace

namespace {

// Share of the edges of G1 whose ends map onto two nodes joined in G2 (a
// full point for the same Type, half a point for another Type).
double Structure(const GrapheG& g1, const std::map<std::pair<int, int>, std::set<char>>& aretes2,
                 const std::vector<int>& image)
{
    if (g1.aretes.empty()) return 1.0;
    double gardees = 0;
    for (const AreteG& a : g1.aretes) {
        const int x = image[static_cast<size_t>(a.de)], y = image[static_cast<size_t>(a.vers)];
        if (x < 0 || y < 0) continue;
        const auto e = aretes2.find({std::min(x, y), std::max(x, y)});
        if (e == aretes2.end()) continue;
        gardees += e->second.count(a.type) ? 1.0 : 0.5;
    }
    return gardees / static_cast<double>(g1.aretes.size());
}


// Pairs grown from the best one outwards: each step takes the free pair of
// best value, its score mixed with the support of the pairs already made.
// Interchangeable nodes then follow the choice made for their neighbours.
std::vector<int> Croissance(const std::vector<double>& score, int n1, int n2,
                            const std::vector<std::vector<std::pair<int, char>>>& voisins1,
                            const std::vector<std::vector<std::pair<int, char>>>& voisins2, double poids_paires,
                            double poids_structure)
{
    std::vector<int> image(static_cast<size_t>(n1), -1);
    std::vector<char> prise(static_cast<size_t>(n2), 0);
    std::vector<double> appui(score.size(), 0.0);
    const double total = poids_paires + poids_structure;
    for (int pas = 0; pas < std::min(n1, n2); pas++) {
        int bi = -1, bj = -1;
        double bv = -1;
        for (int i = 0; i < n1; i++) {
            if (image[static_cast<size_t>(i)] >= 0) continue;
            for (int j = 0; j < n2; j++) {
                if (prise[static_cast<size_t>(j)]) continue;
                const size_t k = static_cast<size_t>(i) * static_cast<size_t>(n2) + static_cast<size_t>(j);
                const double v = total > 0 ? (poids_paires * score[k] + poids_structure * appui[k]) / total : 1.0;
                if (v > bv) {
                    bv = v;
                    bi = i;
                    bj = j;
                }
            }
        }
        if (bi < 0 || bv <= 0) break;
        image[static_cast<size_t>(bi)] = bj;
        prise[static_cast<size_t>(bj)] = 1;
        for (const auto& [i, type] : voisins1[static_cast<size_t>(bi)]) {
            if (image[static_cast<size_t>(i)] >= 0) continue;
            const double part = 1.0 / static_cast<double>(voisins1[static_cast<size_t>(i)].size());
            for (const auto& [j, type2] : voisins2[static_cast<size_t>(bj)])
                appui[static_cast<size_t>(i) * static_cast<size_t>(n2) + static_cast<size_t>(j)] +=
                    (type2 == type ? 1.0 : 0.5) * part;
        }
    }
    return image;
}

}  // namespace

double Similarite_inclusion(const GrapheG& g1, const GrapheG& g2, const Proprietes& p, std::vector<int>& image)
{
    const int n1 = static_cast<int>(g1.noeuds.size()), n2 = static_cast<int>(g2.noeuds.size());
    image.assign(static_cast<size_t>(n1), -1);
    if (n1 == 0 && n2 == 0) return 1.0;
    if (n1 == 0 || n2 == 0) return 0.0;

    const std::vector<char> types = Types_communs(g1, g2);
    const std::vector<Voisinage> v1 = Voisinages(g1, types), v2 = Voisinages(g2, types);
    std::vector<double> score(static_cast<size_t>(n1) * static_cast<size_t>(n2));
    for (int i = 0; i < n1; i++)
        for (int j = 0; j < n2; j++)
            score[static_cast<size_t>(i) * static_cast<size_t>(n2) + static_cast<size_t>(j)] =
                Score_paire(g1.noeuds[static_cast<size_t>(i)], g2.noeuds[static_cast<size_t>(j)],
                            v1[static_cast<size_t>(i)], v2[static_cast<size_t>(j)], p);
    std::map<std::pair<int, int>, std::set<char>> aretes2;
    std::vector<std::vector<std::pair<int, char>>> voisins1(static_cast<size_t>(n1)), voisins2(static_cast<size_t>(n2));
    for (const AreteG& a : g2.aretes) {
        aretes2[{std::min(a.de, a.vers), std::max(a.de, a.vers)}].insert(a.type);
        voisins2[static_cast<size_t>(a.de)].push_back({a.vers, a.type});
        voisins2[static_cast<size_t>(a.vers)].push_back({a.de, a.type});
    }
    for (const AreteG& a : g1.aretes) {
        voisins1[static_cast<size_t>(a.de)].push_back({a.vers, a.type});
        voisins1[static_cast<size_t>(a.vers)].push_back({a.de, a.type});
    }

    const double poids_paires = p.poids_noeuds + p.poids_voisinage;
    const double total = poids_paires + p.poids_structure;
    // Nodes alike in length and neighbourhood are interchangeable for the
    // optimal assignment of pair scores, which may then break edges that a
    // consistent choice keeps. Candidates: the pairs grown outwards from the
    // best one, then the optimal assignment refined by a few rounds that
    // also reward pairs whose neighbours map onto neighbours. The best
    // candidate is kept.
    std::vector<double> appui(score.size(), 0.0);
    double meilleure = -1;
    std::vector<int> courante(static_cast<size_t>(n1), -1);
    auto evalue = [&](const std::vector<int>& f) {
        double paires = 0;
        for (int i = 0; i < n1; i++) {
            const int j = f[static_cast<size_t>(i)];
            if (j >= 0) paires += score[static_cast<size_t>(i) * static_cast<size_t>(n2) + static_cast<size_t>(j)];
        }
        paires /= n1;
        const double structure = Structure(g1, aretes2, f);
        const double s = total > 0 ? (poids_paires * paires + p.poids_structure * structure) / total : 1.0;
        if (s > meilleure) {
            meilleure = s;
            image = f;
        }
    };
    evalue(Croissance(score, n1, n2, voisins1, voisins2, poids_paires, p.poids_structure));
    for (int tour = 0; tour < 4; tour++) {
        Matrice m(n1 + n2);
        for (int i = 0; i < n1; i++) {
            for (int j = 0; j < n2; j++) {
                const size_t k = static_cast<size_t>(i) * static_cast<size_t>(n2) + static_cast<size_t>(j);
                const double s = total > 0 ? (poids_paires * score[k] + p.poids_structure * appui[k]) / total : 1.0;
                m(i, j) = 1.0 - s;
            }
            m(i, n2 + i) = 1.0;  // a node of G1 left out scores nothing
        }
        // The nodes of G2 left over cost nothing: only G1 has to be found.
        for (int j = 0; j < n2; j++) {
            m(n1 + j, j) = 0.0;
            for (int i = 0; i < n1; i++) m(n1 + j, n2 + i) = 0.0;
        }
        const std::vector<int> colonne = Affectation_auction(m);
        for (int i = 0; i < n1; i++) {
            const int j = colonne[static_cast<size_t>(i)];
            courante[static_cast<size_t>(i)] = j < n2 ? j : -1;
        }
        evalue(courante);
        if (p.poids_structure <= 0 || g1.aretes.empty()) break;
        // Support of each pair (i, j) under the current mapping: the share of
        // i's edges whose other end maps onto a neighbour of j.
        std::fill(appui.begin(), appui.end(), 0.0);
        for (int i = 0; i < n1; i++) {
            const auto& vi = voisins1[static_cast<size_t>(i)];
            if (vi.empty()) {
                for (int j = 0; j < n2; j++) appui[static_cast<size_t>(i) * static_cast<size_t>(n2) + static_cast<size_t>(j)] = 1.0;
                continue;
            }
            for (const auto& [k, type] : vi) {
                const int fk = courante[static_cast<size_t>(k)];
                if (fk < 0) continue;
                for (const auto& [j, type2] : voisins2[static_cast<size_t>(fk)])
                    appui[static_cast<size_t>(i) * static_cast<size_t>(n2) + static_cast<size_t>(j)] +=
                        (type2 == type ? 1.0 : 0.5) / static_cast<double>(vi.size());
            }
        }
        for (double& a : appui) a = std::min(a, 1.0);
    }
    return std::clamp(meilleure * std::min(n1, n2) / std::max(n1, n2), 0.0, 1.0);
}
