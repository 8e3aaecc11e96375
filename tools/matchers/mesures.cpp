#include "tools/matchers/mesures.h"

#include <algorithm>
#include <map>
#include <utility>

#include "tools/matchers/edition.h"
#include "tools/matchers/signature.h"

const char* Nom_apparieur(Apparieur a)
{
    switch (a) {
    case Apparieur::simgraph: return "simgraph";
    case Apparieur::gsignature: return "gsignature";
    case Apparieur::greedy: return "greedy";
    case Apparieur::auction: break;
    }
    return "auction";
}

double Mesure_apparieur(Apparieur a, const GrapheG& g1, const GrapheG& g2, const Proprietes& p, std::vector<int>& image)
{
    const int n1 = static_cast<int>(g1.noeuds.size()), n2 = static_cast<int>(g2.noeuds.size());
    switch (a) {
    case Apparieur::simgraph: return Similarite_inclusion(g1, g2, p, image);
    case Apparieur::gsignature:
        image = Appariement_par_rang(g1, g2);
        return Similarite_signatures(Signature_graphe(g1), Signature_graphe(g2));
    case Apparieur::greedy: {
        const Matrice m = Matrice_edition(g1, g2, p.couts);
        // Only the nodes of G1 choose: once they have, the nodes of G2 left
        // over can only be inserted (letting an insertion row take a free
        // zero column could leave a later row without any column).
        image = Image_noeuds(Affectation_gloutonne(m, n1), n1, n2);
        return Similarite_edition(m, n1, n2, image);
    }
    case Apparieur::auction: break;
    }
    const Matrice m = Matrice_edition(g1, g2, p.couts);
    image = Image_noeuds(Affectation_auction(m), n1, n2);
    return Similarite_edition(m, n1, n2, image);
}

std::string Hors_limites(const GrapheG& g)
{
    if (g.noeuds.size() > static_cast<size_t>(Noeuds_max_apparieur))
        return std::to_string(g.noeuds.size()) + " nodes, more than the " + std::to_string(Noeuds_max_apparieur) +
               " a matcher compares";
    if (g.aretes.size() > static_cast<size_t>(Aretes_max_apparieur))
        return std::to_string(g.aretes.size()) + " edges, more than the " + std::to_string(Aretes_max_apparieur) +
               " a matcher compares";
    std::map<std::pair<int, int>, int> paires;
    for (const AreteG& e : g.aretes) {
        const auto [a, b] = std::minmax(e.de, e.vers);
        if (++paires[{a, b}] > Aretes_paire_max_apparieur)
            return "more than " + std::to_string(Aretes_paire_max_apparieur) + " edges join nodes " +
                   g.noeuds[static_cast<size_t>(a)].id + " and " + g.noeuds[static_cast<size_t>(b)].id;
    }
    return {};
}
