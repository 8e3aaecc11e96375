#include "tools/matchers/edition.h"

#include <algorithm>
#include <cmath>

namespace {

// What matching the incident edges of two nodes costs, before halving.
double Cout_aretes(const Voisinage& a, const Voisinage& b, const CoutsEdition& k)
{
    int en_trop = 0, manquants = 0;
    double angles = 0;
    for (size_t t = 0; t < a.nombre.size(); t++) {
        const int na = a.nombre[t], nb = b.nombre[t];
        const int communs = std::min(na, nb);
        if (communs > 0) angles += communs * k.wa * std::fabs(a.somme[t] / na - b.somme[t] / nb) / 90.0;
        if (na > nb) en_trop += na - nb;
        else manquants += nb - na;
    }
    // Surplus on one side and shortfall on the other are first paired as
    // changes of Type; what is left is deleted or inserted.
    const int changes = std::min(en_trop, manquants);
    const int reste = std::max(en_trop, manquants) - changes;
    return changes * k.wt + reste * k.ce + angles;
}

}  // namespace

Matrice Matrice_edition(const GrapheG& g1, const GrapheG& g2, const CoutsEdition& k)
{
    const int n1 = static_cast<int>(g1.noeuds.size()), n2 = static_cast<int>(g2.noeuds.size());
    const std::vector<char> types = Types_communs(g1, g2);
    const std::vector<Voisinage> v1 = Voisinages(g1, types), v2 = Voisinages(g2, types);
    Matrice m(n1 + n2);
    for (int i = 0; i < n1; i++) {
        const Voisinage& a = v1[static_cast<size_t>(i)];
        for (int j = 0; j < n2; j++)
            m(i, j) = k.wl * std::fabs(g1.noeuds[static_cast<size_t>(i)].rellen - g2.noeuds[static_cast<size_t>(j)].rellen) +
                      Cout_aretes(a, v2[static_cast<size_t>(j)], k) / 2.0;
        // Every edge has two ends: half of it is paid at each.
        m(i, n2 + i) = 1.0 + k.ce * a.degre / 2.0;
    }
    for (int j = 0; j < n2; j++) {
        m(n1 + j, j) = 1.0 + k.ce * v2[static_cast<size_t>(j)].degre / 2.0;
        for (int i = 0; i < n1; i++) m(n1 + j, n2 + i) = 0.0;
    }
    return m;
}

std::vector<int> Image_noeuds(const std::vector<int>& colonne, int n1, int n2)
{
    std::vector<int> image(static_cast<size_t>(n1), -1);
    for (int i = 0; i < n1 && i < static_cast<int>(colonne.size()); i++)
        if (colonne[static_cast<size_t>(i)] >= 0 && colonne[static_cast<size_t>(i)] < n2) image[static_cast<size_t>(i)] = colonne[static_cast<size_t>(i)];
    return image;
}

double Similarite_edition(const Matrice& m, int n1, int n2, const std::vector<int>& image)
{
    double total = 0, reference = 0;
    std::vector<char> prise(static_cast<size_t>(n2), 0);
    for (int i = 0; i < n1; i++) {
        const int j = image[static_cast<size_t>(i)];
        reference += m(i, n2 + i);
        if (j >= 0) {
            total += m(i, j);
            prise[static_cast<size_t>(j)] = 1;
        } else {
            total += m(i, n2 + i);
        }
    }
    for (int j = 0; j < n2; j++) {
        reference += m(n1 + j, j);
        if (!prise[static_cast<size_t>(j)]) total += m(n1 + j, j);
    }
    if (reference <= 0) return 1.0;
    return std::clamp(1.0 - total / reference, 0.0, 1.0);
}
