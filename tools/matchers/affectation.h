// Optimal and greedy assignment on a square cost matrix, rows to columns.
#pragma once
#include <cstddef>
#include <limits>
#include <vector>

// Square matrix of costs, row-major; Interdit marks a pair that may not be
// assigned. Every matrix handed in must admit a complete assignment.
struct Matrice {
    int n = 0;
    std::vector<double> c;
    static constexpr double Interdit = std::numeric_limits<double>::infinity();
    explicit Matrice(int taille = 0) : n(taille), c(static_cast<std::size_t>(taille) * static_cast<std::size_t>(taille), Interdit) {}
    double& operator()(int i, int j) { return c[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)]; }
    double operator()(int i, int j) const { return c[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)]; }
};

// Column of each row minimising the total cost, by an auction with
// epsilon-scaling on costs rounded to Resolution_auction. The auction is
// exact on those rounded costs: the total is optimal to within
// n * Resolution_auction / 2 of the true optimum.
constexpr double Resolution_auction = 1e-6;
std::vector<int> Affectation_auction(const Matrice& m);
// The same optimum by the Hungarian method (shortest augmenting paths), in
// O(n^3); the reference the auction is checked against.
std::vector<int> Affectation_hongroise(const Matrice& m);
// The first `lignes` rows taken in order, each given its cheapest free
// column (the first on equal costs); empty when a row is left no column.
std::vector<int> Affectation_gloutonne(const Matrice& m, int lignes);
// Sum of the costs of an assignment.
double Cout_affectation(const Matrice& m, const std::vector<int>& colonne);
