#include "tools/matchers/signature.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace {

void Normalise(std::vector<double>& h)
{
    double total = 0;
    for (double x : h) total += x;
    if (total > 0)
        for (double& x : h) x /= total;
}

int Case(double x, double largeur, int nb)
{
    if (!(x > 0)) return 0;
    return std::min(nb - 1, static_cast<int>(x / largeur));
}

double Distance_histogrammes(const std::vector<double>& a, const std::vector<double>& b)
{
    const double sa = std::accumulate(a.begin(), a.end(), 0.0), sb = std::accumulate(b.begin(), b.end(), 0.0);
    if (sa == 0 && sb == 0) return 0;
    if (sa == 0 || sb == 0) return 1;
    double d = 0;
    for (size_t i = 0; i < a.size(); i++) d += std::fabs(a[i] - b[i]);
    return std::min(1.0, d / 2.0);
}

double Distance_comptes(int a, int b)
{
    const int m = std::max(a, b);
    return m == 0 ? 0.0 : std::abs(a - b) / static_cast<double>(m);
}

}  // namespace

Signature Signature_graphe(const GrapheG& g)
{
    Signature s;
    s.longueurs.assign(10, 0);
    s.types.assign(6, 0);
    s.angles.assign(9, 0);
    s.noeuds = static_cast<int>(g.noeuds.size());
    s.aretes = static_cast<int>(g.aretes.size());
    for (const NoeudG& n : g.noeuds) s.longueurs[static_cast<size_t>(Case(n.rellen, 0.1, 10))] += 1;
    static const char lettres[] = "XTLSP";
    for (const AreteG& a : g.aretes) {
        const char* p = a.type ? std::strchr(lettres, a.type) : nullptr;
        s.types[p ? static_cast<size_t>(p - lettres) : 5] += 1;
        s.angles[static_cast<size_t>(Case(a.rela, 10.0, 9))] += 1;
    }
    Normalise(s.longueurs);
    Normalise(s.types);
    Normalise(s.angles);
    return s;
}

double Similarite_signatures(const Signature& a, const Signature& b)
{
    const double d = 0.3 * Distance_histogrammes(a.longueurs, b.longueurs) +
                     0.25 * Distance_histogrammes(a.types, b.types) +
                     0.2 * Distance_histogrammes(a.angles, b.angles) + 0.15 * Distance_comptes(a.noeuds, b.noeuds) +
                     0.1 * Distance_comptes(a.aretes, b.aretes);
    return std::clamp(1.0 - d, 0.0, 1.0);
}

std::vector<int> Appariement_par_rang(const GrapheG& g1, const GrapheG& g2)
{
    auto rangs = [](const GrapheG& g) {
        std::vector<int> r(g.noeuds.size());
        std::iota(r.begin(), r.end(), 0);
        std::stable_sort(r.begin(), r.end(), [&](int x, int y) {
            return g.noeuds[static_cast<size_t>(x)].rellen > g.noeuds[static_cast<size_t>(y)].rellen;
        });
        return r;
    };
    const std::vector<int> r1 = rangs(g1), r2 = rangs(g2);
    std::vector<int> image(g1.noeuds.size(), -1);
    for (size_t k = 0; k < r1.size() && k < r2.size(); k++) image[static_cast<size_t>(r1[k])] = r2[k];
    return image;
}
