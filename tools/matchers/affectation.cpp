#include "tools/matchers/affectation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>

std::vector<int> Affectation_auction(const Matrice& m)
{
    const int n = m.n;
    if (n == 0) return {};
    // Benefits are the negated costs in whole units of the resolution,
    // multiplied by n + 1: with epsilon down to 1, an assignment meeting
    // epsilon-complementary slackness is then exactly optimal.
    const int64_t facteur = n + 1;
    std::vector<int64_t> a(m.c.size());
    std::vector<char> permis(m.c.size());
    int64_t amplitude = 1;
    for (size_t k = 0; k < m.c.size(); k++) {
        permis[k] = std::isfinite(m.c[k]);
        if (!permis[k]) continue;
        a[k] = -std::llround(m.c[k] / Resolution_auction) * facteur;
        amplitude = std::max(amplitude, a[k] < 0 ? -a[k] : a[k]);
    }
    std::vector<int64_t> prix(static_cast<size_t>(n), 0);
    std::vector<int> colonne(static_cast<size_t>(n)), proprietaire(static_cast<size_t>(n));
    int64_t eps = std::max<int64_t>(1, amplitude / 10);
    for (;;) {
        std::fill(colonne.begin(), colonne.end(), -1);
        std::fill(proprietaire.begin(), proprietaire.end(), -1);
        std::deque<int> libres;
        for (int i = 0; i < n; i++) libres.push_back(i);
        while (!libres.empty()) {
            const int i = libres.front();
            libres.pop_front();
            const size_t ligne = static_cast<size_t>(i) * static_cast<size_t>(n);
            int meilleur = -1;
            int64_t v1 = 0, v2 = 0;
            bool second = false;
            for (int j = 0; j < n; j++) {
                if (!permis[ligne + static_cast<size_t>(j)]) continue;
                const int64_t v = a[ligne + static_cast<size_t>(j)] - prix[static_cast<size_t>(j)];
                if (meilleur < 0 || v > v1) {
                    if (meilleur >= 0) {
                        v2 = v1;
                        second = true;
                    }
                    v1 = v;
                    meilleur = j;
                } else if (!second || v > v2) {
                    v2 = v;
                    second = true;
                }
            }
            if (meilleur < 0) return {};  // a row with no allowed column
            // A row with a single allowed column may raise its price by any
            // amount; one more amplitude keeps the numbers bounded.
            if (!second) v2 = v1 - amplitude;
            prix[static_cast<size_t>(meilleur)] += v1 - v2 + eps;
            const int ancien = proprietaire[static_cast<size_t>(meilleur)];
            if (ancien >= 0) {
                colonne[static_cast<size_t>(ancien)] = -1;
                libres.push_back(ancien);
            }
            proprietaire[static_cast<size_t>(meilleur)] = i;
            colonne[static_cast<size_t>(i)] = meilleur;
        }
        if (eps == 1) break;
        eps = std::max<int64_t>(1, eps / 10);
    }
    return colonne;
}

std::vector<int> Affectation_hongroise(const Matrice& m)
{
    const int n = m.n;
    if (n == 0) return {};
    // Forbidden pairs cost more than any complete assignment of allowed ones.
    double borne = 1;
    for (double x : m.c)
        if (std::isfinite(x)) borne += std::fabs(x);
    auto cout = [&](int i, int j) {
        const double x = m(i, j);
        return std::isfinite(x) ? x : borne * (n + 1);
    };
    // Potentials u (rows) and v (columns), 1-based with column 0 as the root.
    std::vector<double> u(static_cast<size_t>(n) + 1, 0), v(static_cast<size_t>(n) + 1, 0);
    std::vector<int> p(static_cast<size_t>(n) + 1, 0), chemin(static_cast<size_t>(n) + 1, 0);
    for (int i = 1; i <= n; i++) {
        p[0] = i;
        int j0 = 0;
        std::vector<double> minv(static_cast<size_t>(n) + 1, INFINITY);
        std::vector<char> vu(static_cast<size_t>(n) + 1, 0);
        do {
            vu[static_cast<size_t>(j0)] = 1;
            const int i0 = p[static_cast<size_t>(j0)];
            double delta = INFINITY;
            int j1 = 0;
            for (int j = 1; j <= n; j++) {
                if (vu[static_cast<size_t>(j)]) continue;
                const double cur = cout(i0 - 1, j - 1) - u[static_cast<size_t>(i0)] - v[static_cast<size_t>(j)];
                if (cur < minv[static_cast<size_t>(j)]) {
                    minv[static_cast<size_t>(j)] = cur;
                    chemin[static_cast<size_t>(j)] = j0;
                }
                if (minv[static_cast<size_t>(j)] < delta) {
                    delta = minv[static_cast<size_t>(j)];
                    j1 = j;
                }
            }
            for (int j = 0; j <= n; j++) {
                if (vu[static_cast<size_t>(j)]) {
                    u[static_cast<size_t>(p[static_cast<size_t>(j)])] += delta;
                    v[static_cast<size_t>(j)] -= delta;
                } else {
                    minv[static_cast<size_t>(j)] -= delta;
                }
            }
            j0 = j1;
        } while (p[static_cast<size_t>(j0)] != 0);
        do {
            const int j1 = chemin[static_cast<size_t>(j0)];
            p[static_cast<size_t>(j0)] = p[static_cast<size_t>(j1)];
            j0 = j1;
        } while (j0);
    }
    std::vector<int> colonne(static_cast<size_t>(n), -1);
    for (int j = 1; j <= n; j++) colonne[static_cast<size_t>(p[static_cast<size_t>(j)] - 1)] = j - 1;
    return colonne;
}

std::vector<int> Affectation_gloutonne(const Matrice& m, int lignes)
{
    const int n = m.n;
    std::vector<int> colonne(static_cast<size_t>(lignes), -1);
    std::vector<char> prise(static_cast<size_t>(n), 0);
    for (int i = 0; i < lignes; i++) {
        int meilleur = -1;
        for (int j = 0; j < n; j++) {
            if (prise[static_cast<size_t>(j)] || !std::isfinite(m(i, j))) continue;
            if (meilleur < 0 || m(i, j) < m(i, meilleur)) meilleur = j;
        }
        if (meilleur < 0) return {};  // cornered: the matrix left this row nothing
        prise[static_cast<size_t>(meilleur)] = 1;
        colonne[static_cast<size_t>(i)] = meilleur;
    }
    return colonne;
}

double Cout_affectation(const Matrice& m, const std::vector<int>& colonne)
{
    double total = 0;
    for (int i = 0; i < static_cast<int>(colonne.size()); i++) total += m(i, colonne[static_cast<size_t>(i)]);
    return total;
}
