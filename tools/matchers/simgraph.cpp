// simgraph G1.gxl G2.gxl PROPERTIES.xml: how much of G1 is found in G2.
#include <cstdio>

#include "tools/matchers/mesures.h"

static double Mesure_programme(const GrapheG& g1, const GrapheG& g2, const std::vector<std::string>& extra, std::vector<int>& image)
{
    std::vector<std::string> avertissements;
    Proprietes p;
    if (extra.empty()) avertissements.push_back("no properties file given, built-in weights used");
    else p = Lit_proprietes(extra[0], avertissements);
    for (const std::string& a : avertissements) std::fprintf(stderr, "simgraph: %s\n", a.c_str());
    return Mesure_apparieur(Apparieur::simgraph, g1, g2, p, image);
}

int main(int argc, char** argv)
{
    return Main_apparieur(argc, argv, "simgraph G1.gxl G2.gxl PROPERTIES.xml", 1, Mesure_programme);
}
