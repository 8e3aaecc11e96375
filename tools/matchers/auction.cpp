// auction G1.gxl G2.gxl: graph edit distance by an optimal node assignment.
#include "tools/matchers/edition.h"
#include "tools/matchers/inclusion.h"

static CoutsEdition couts;

static double Mesure_auction(const GrapheG& g1, const GrapheG& g2, const std::vector<std::string>&, std::vector<int>& image)
{
    const int n1 = static_cast<int>(g1.noeuds.size()), n2 = static_cast<int>(g2.noeuds.size());
    const Matrice m = Matrice_edition(g1, g2, couts);
    image = Image_noeuds(Affectation_auction(m), n1, n2);
    return Similarite_edition(m, n1, n2, image);
}

int main(int argc, char** argv)
{
    couts = Couts_programme(argc > 0 ? argv[0] : nullptr);
    return Main_apparieur(argc, argv, "auction G1.gxl G2.gxl", 0, Mesure_auction);
}
