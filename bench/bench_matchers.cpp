// Time of each matcher's measure on random graphs of growing size (a symbol
// sub-graph holds at most 400 nodes): build/bench_matchers
#include <chrono>
#include <cstdio>
#include <random>

#include "tools/matchers/edition.h"
#include "tools/matchers/inclusion.h"
#include "tools/matchers/signature.h"

namespace {

GrapheG Aleatoire(std::mt19937& rng, int n)
{
    std::uniform_real_distribution<double> l(0.05, 1.0);
    std::uniform_int_distribution<int> noeud(0, n - 1), angle(0, 90), type(0, 4);
    GrapheG g;
    for (int i = 0; i < n; i++) g.noeuds.push_back({"n" + std::to_string(i), l(rng)});
    for (int k = 0; k < n * 3 / 2; k++) {
        const int a = noeud(rng), b = noeud(rng);
        if (a != b) g.aretes.push_back({a, b, static_cast<double>(angle(rng)), "XTLSP"[type(rng)]});
    }
    return g;
}

template <class F>
double Millisecondes(F f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main()
{
    std::mt19937 rng(1);
    std::printf("%6s %10s %10s %10s %10s %10s\n", "nodes", "auction", "hungarian", "greedy", "gsignature", "simgraph");
    for (int n : {25, 100, 200, 400}) {
        const GrapheG a = Aleatoire(rng, n), b = Aleatoire(rng, n - n / 10);
        const Matrice m = Matrice_edition(a, b, CoutsEdition{});
        std::vector<int> image;
        const double ta = Millisecondes([&] { Affectation_auction(m); });
        const double th = Millisecondes([&] { Affectation_hongroise(m); });
        const double tg = Millisecondes([&] { Affectation_gloutonne(m, n); });
        const double ts = Millisecondes([&] { Similarite_signatures(Signature_graphe(a), Signature_graphe(b)); });
        const double ti = Millisecondes([&] { Similarite_inclusion(a, b, Proprietes{}, image); });
        std::printf("%6d %8.1fms %8.1fms %8.1fms %8.1fms %8.1fms\n", n, ta, th, tg, ts, ti);
    }
    return 0;
}
