// auction G1.gxl G2.gxl: graph edit distance by an optimal node assignment.
#include "tools/matchers/mesures.h"

static Proprietes reglages;

static double Mesure_programme(const GrapheG& g1, const GrapheG& g2, const std::vector<std::string>&, std::vector<int>& image)
{
    return Mesure_apparieur(Apparieur::auction, g1, g2, reglages, image);
}

int main(int argc, char** argv)
{
    reglages.couts = Couts_programme(argc > 0 ? argv[0] : nullptr);
    return Main_apparieur(argc, argv, "auction G1.gxl G2.gxl", 0, Mesure_programme);
}
