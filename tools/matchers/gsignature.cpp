// gsignature G1.gxl G2.gxl: similarity of the graphs' signatures.
#include "tools/matchers/mesures.h"

static double Mesure_programme(const GrapheG& g1, const GrapheG& g2, const std::vector<std::string>&, std::vector<int>& image)
{
    return Mesure_apparieur(Apparieur::gsignature, g1, g2, Proprietes{}, image);
}

int main(int argc, char** argv) { return Main_apparieur(argc, argv, "gsignature G1.gxl G2.gxl", 0, Mesure_programme); }
