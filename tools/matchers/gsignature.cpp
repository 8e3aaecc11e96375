// gsignature G1.gxl G2.gxl: similarity of the graphs' signatures.
#include "tools/matchers/signature.h"

static double Mesure_signature(const GrapheG& g1, const GrapheG& g2, const std::vector<std::string>&, std::vector<int>& image)
{
    image = Appariement_par_rang(g1, g2);
    return Similarite_signatures(Signature_graphe(g1), Signature_graphe(g2));
}

int main(int argc, char** argv) { return Main_apparieur(argc, argv, "gsignature G1.gxl G2.gxl", 0, Mesure_signature); }
