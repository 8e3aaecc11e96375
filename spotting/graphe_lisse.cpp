#include "spotting/graphe_lisse.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

GrapheG Graphe_lisse(const GrapheG& g, double angle, double part)
{
    const size_t n = g.noeuds.size();
    std::vector<int> chef(n);
    for (size_t i = 0; i < n; i++) chef[i] = static_cast<int>(i);
    auto racine = [&](int x) {
        while (chef[static_cast<size_t>(x)] != x) x = chef[static_cast<size_t>(x)] = chef[static_cast<size_t>(chef[static_cast<size_t>(x)])];
        return x;
    };
    for (const AreteG& a : g.aretes)
        if ((a.type == 'S' || a.type == 'L') && a.rela <= angle && a.de >= 0 && a.vers >= 0 &&
            static_cast<size_t>(a.de) < n && static_cast<size_t>(a.vers) < n) {
            const int r1 = racine(a.de), r2 = racine(a.vers);
            if (r1 != r2) chef[static_cast<size_t>(std::max(r1, r2))] = std::min(r1, r2);
        }
    // Lengths of the joined nodes, indexed by root.
    std::vector<double> somme(n, 0);
    for (size_t i = 0; i < n; i++) somme[static_cast<size_t>(racine(static_cast<int>(i)))] += g.noeuds[i].rellen;
    double lmax = 0;
    for (size_t i = 0; i < n; i++) lmax = std::max(lmax, somme[i]);
    std::vector<int> noeud(n, -1);
    GrapheG h;
    for (size_t i = 0; i < n; i++) {
        const auto r = static_cast<size_t>(racine(static_cast<int>(i)));
        if (r != i) continue;
        if (lmax > 0 && somme[r] < part * lmax) continue;
        noeud[r] = static_cast<int>(h.noeuds.size());
        NoeudG m;
        m.id = "n" + std::to_string(h.noeuds.size());
        m.rellen = lmax == 0 ? 0.0 : somme[r] / lmax;
        h.noeuds.push_back(std::move(m));
    }
    std::set<std::pair<int, int>> vues;
    for (const AreteG& a : g.aretes) {
        if (a.de < 0 || a.vers < 0 || static_cast<size_t>(a.de) >= n || static_cast<size_t>(a.vers) >= n) continue;
        const int n1 = noeud[static_cast<size_t>(racine(a.de))], n2 = noeud[static_cast<size_t>(racine(a.vers))];
        if (n1 < 0 || n2 < 0 || n1 == n2 || !vues.emplace(std::min(n1, n2), std::max(n1, n2)).second) continue;
        h.aretes.push_back({n1, n2, a.rela, a.type});
    }
    return h;
}
