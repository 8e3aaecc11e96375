// The four graph matchers: the GXL reader, the assignment solvers and the
// similarities, then the programs as recognition runs them.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "tests/support/support.h"
#include "tools/matchers/affectation.h"
#include "tools/matchers/edition.h"
#include "tools/matchers/inclusion.h"
#include "tools/matchers/mesures.h"
#include "tools/matchers/signature.h"

namespace fs = std::filesystem;
using tmtest::Lit_texte;

namespace {

// A graph from relative lengths and edges (from, to, relA, Type); ids n0...
GrapheG Graphe(const std::vector<double>& longueurs, const std::vector<AreteG>& aretes)
{
    GrapheG g;
    for (size_t i = 0; i < longueurs.size(); i++) g.noeuds.push_back({"n" + std::to_string(i), longueurs[i]});
    g.aretes = aretes;
    return g;
}

// A random graph of n nodes with about 1.5 n edges of the usual types.
GrapheG Graphe_aleatoire(std::mt19937& rng, int n)
{
    std::uniform_real_distribution<double> l(0.05, 1.0);
    std::uniform_int_distribution<int> noeud(0, n - 1), angle(0, 90), type(0, 4);
    std::vector<double> longueurs;
    for (int i = 0; i < n; i++) longueurs.push_back(std::round(l(rng) * 1e6) / 1e6);
    std::vector<AreteG> aretes;
    for (int k = 0; k < n * 3 / 2 && n > 1; k++) {
        const int a = noeud(rng), b = noeud(rng);
        if (a != b) aretes.push_back({a, b, static_cast<double>(angle(rng)), "XTLSP"[type(rng)]});
    }
    return Graphe(longueurs, aretes);
}

// Edit similarity with the optimal (auction) or the greedy assignment.
template <bool glouton = false>
double Edition(const GrapheG& a, const GrapheG& b)
{
    const Matrice m = Matrice_edition(a, b, CoutsEdition{});
    const int n1 = static_cast<int>(a.noeuds.size()), n2 = static_cast<int>(b.noeuds.size());
    return Similarite_edition(m, n1, n2, Image_noeuds(glouton ? Affectation_gloutonne(m, n1) : Affectation_auction(m), n1, n2));
}
double Auction(const GrapheG& a, const GrapheG& b) { return Edition<false>(a, b); }
double Greedy(const GrapheG& a, const GrapheG& b) { return Edition<true>(a, b); }
double Signature_(const GrapheG& a, const GrapheG& b) { return Similarite_signatures(Signature_graphe(a), Signature_graphe(b)); }
double Simgraph(const GrapheG& a, const GrapheG& b)
{
    std::vector<int> image;
    return Similarite_inclusion(a, b, Proprietes{}, image);
}

bool Permutation(std::vector<int> c, int n)
{
    std::vector<int> identite(static_cast<size_t>(n));
    std::iota(identite.begin(), identite.end(), 0);
    std::sort(c.begin(), c.end());
    return c == identite;
}

TEST(Affectation, AuctionFindsTheHungarianOptimum)
{
    std::mt19937 rng(7);
    for (int essai = 0; essai < 60; essai++) {
        const int n = 1 + essai % 25;
        Matrice m(n);
        // Small integer costs give many ties, where a wrong price update
        // shows; real costs check the rounding to the auction's resolution.
        const bool entiers = essai % 2 == 0;
        std::uniform_int_distribution<int> ent(0, 9);
        std::uniform_real_distribution<double> reel(0.0, 50.0);
        for (double& x : m.c) x = entiers ? ent(rng) : reel(rng);
        const std::vector<int> a = Affectation_auction(m), h = Affectation_hongroise(m);
        ASSERT_TRUE(Permutation(a, n) && Permutation(h, n)) << essai;
        EXPECT_NEAR(Cout_affectation(m, a), Cout_affectation(m, h), n * Resolution_auction) << "essai " << essai;
    }
    // Edit matrices, with their forbidden pairs, between random graphs.
    for (int essai = 0; essai < 20; essai++) {
        const GrapheG g1 = Graphe_aleatoire(rng, 1 + essai % 9), g2 = Graphe_aleatoire(rng, 1 + (essai * 7) % 13);
        const Matrice m = Matrice_edition(g1, g2, CoutsEdition{});
        const std::vector<int> a = Affectation_auction(m), h = Affectation_hongroise(m);
        ASSERT_TRUE(Permutation(a, m.n) && std::isfinite(Cout_affectation(m, a)));
        EXPECT_NEAR(Cout_affectation(m, a), Cout_affectation(m, h), m.n * Resolution_auction) << "essai " << essai;
    }
    EXPECT_TRUE(Affectation_auction(Matrice(0)).empty());
}

TEST(Affectation, GreedyTakesRowsInOrderAndNeverBeatsTheOptimum)
{
    // Row 0 takes column 0 (cheapest), leaving row 1 the dear column 1.
    Matrice m(2);
    m(0, 0) = 1, m(0, 1) = 2, m(1, 0) = 1, m(1, 1) = 100;
    EXPECT_EQ(Affectation_gloutonne(m, 2), (std::vector<int>{0, 1}));
    EXPECT_EQ(Affectation_auction(m), (std::vector<int>{1, 0}));
    std::mt19937 rng(11);
    for (int essai = 0; essai < 30; essai++) {
        const GrapheG g1 = Graphe_aleatoire(rng, 2 + essai % 11), g2 = Graphe_aleatoire(rng, 2 + (essai * 5) % 11);
        EXPECT_LE(Greedy(g1, g2), Auction(g1, g2) + 1e-5) << essai;
    }
}

// What every matcher must give: 1 on identical graphs (also empty ones), less
// on a different structure, and a similarity within [0, 1].
TEST(Mesures, IdenticalGraphsGiveOneAndDifferentOnesLess)
{
    using Fonction = double (*)(const GrapheG&, const GrapheG&);
    const struct {
        const char* nom;
        Fonction f;
    } mesures[] = {{"auction", Auction}, {"greedy", Greedy}, {"gsignature", Signature_}, {"simgraph", Simgraph}};
    std::mt19937 rng(3);
    const GrapheG triangle = Graphe({1.0, 0.5, 0.5}, {{0, 1, 90, 'L'}, {1, 2, 90, 'L'}, {2, 0, 30, 'T'}});
    const GrapheG chaine = Graphe({1.0, 0.2, 0.9, 0.1}, {{0, 1, 10, 'X'}, {2, 3, 80, 'P'}});
    const GrapheG grand = Graphe_aleatoire(rng, 300);
    for (const auto& m : mesures) {
        EXPECT_DOUBLE_EQ(m.f(GrapheG{}, GrapheG{}), 1.0) << m.nom;
        EXPECT_DOUBLE_EQ(m.f(triangle, triangle), 1.0) << m.nom;
        EXPECT_NEAR(m.f(grand, grand), 1.0, 1e-6) << m.nom;
        for (const auto& [a, b] : {std::pair{&triangle, &chaine}, std::pair{&chaine, &triangle}})
            EXPECT_TRUE(m.f(*a, *b) >= 0.0 && m.f(*a, *b) < 0.9) << m.nom;
        EXPECT_LT(m.f(triangle, GrapheG{}), 0.5) << m.nom;
    }
    // Edit distance and signatures do not depend on which graph comes first.
    for (int essai = 0; essai < 10; essai++) {
        const GrapheG a = Graphe_aleatoire(rng, 3 + essai), b = Graphe_aleatoire(rng, 8 - essai % 5);
        EXPECT_NEAR(Auction(a, b), Auction(b, a), 1e-5);
        EXPECT_DOUBLE_EQ(Signature_(a, b), Signature_(b, a));
    }
}

// A node's neighbourhood counts the edges at both of their ends: every edge
// turned around leaves the same graph for every matcher.
TEST(Mesures, EdgesTurnedAroundCompareAsTheSameGraph)
{
    using Fonction = double (*)(const GrapheG&, const GrapheG&);
    const std::pair<const char*, Fonction> mesures[] = {
        {"auction", Auction}, {"greedy", Greedy}, {"gsignature", Signature_}, {"simgraph", Simgraph}};
    std::mt19937 rng(5);
    const GrapheG graphes[] = {
        Graphe({1.0, 0.5, 0.25}, {{0, 1, 90, 'L'}, {0, 2, 30, 'T'}}),  // a star: only one end has degree 2
        Graphe({1.0, 0.5, 0.5, 0.2}, {{0, 1, 10, 'X'}, {1, 2, 80, 'P'}, {2, 2, 45, 'S'}, {3, 1, 60, 'T'}}),
        Graphe_aleatoire(rng, 12), Graphe_aleatoire(rng, 40)};
    for (const GrapheG& g : graphes) {
        GrapheG inverse = g;
        for (AreteG& a : inverse.aretes) std::swap(a.de, a.vers);
        for (const auto& [nom, f] : mesures) {
            EXPECT_NEAR(f(g, inverse), 1.0, 1e-6) << nom << " " << g.noeuds.size();
            EXPECT_NEAR(f(inverse, g), 1.0, 1e-6) << nom << " " << g.noeuds.size();
        }
    }
}

TEST(Mesures, EditCostsOfSmallCases)
{
    // One node against one node 0.125 longer, no edges: substitution costs
    // 8 * 0.125 = 1 out of 2 (delete one node, insert the other).
    EXPECT_NEAR(Auction(Graphe({1.0}, {}), Graphe({0.875}, {})), 0.5, 1e-9);
    // Same nodes, one edge of another Type: one Type change per end, halved
    // at each: cost 1 out of 4 + 2 * 0.5.
    const GrapheG l = Graphe({1, 1}, {{0, 1, 90, 'L'}}), t = Graphe({1, 1}, {{0, 1, 90, 'T'}});
    EXPECT_NEAR(Auction(l, t), 1.0 - 1.0 / 5.0, 1e-9);
    // Same Type, angles 90 and 0: wa * 90 / 90 per end, halved: cost 1.
    const GrapheG l0 = Graphe({1, 1}, {{0, 1, 0, 'L'}});
    EXPECT_NEAR(Auction(l, l0), 1.0 - 1.0 / 5.0, 1e-9);
    // A missing edge: ce per end, halved: cost 0.5 out of 4 + 0.5.
    EXPECT_NEAR(Auction(l, Graphe({1, 1}, {})), 1.0 - 0.5 / 4.5, 1e-9);
}

TEST(Mesures, SimgraphMeasuresHowMuchOfTheFirstGraphIsInTheSecond)
{
    const GrapheG petit = Graphe({1.0, 0.5}, {{0, 1, 90, 'L'}});
    const GrapheG grand = Graphe({0.5, 0.2, 1.0, 0.7}, {{2, 0, 90, 'L'}, {0, 1, 45, 'T'}, {3, 1, 0, 'X'}});
    std::vector<int> image;
    // All of the small graph is found: only the size factor 2/4 remains.
    EXPECT_NEAR(Similarite_inclusion(petit, grand, Proprietes{}, image), 0.5, 1e-9);
    EXPECT_EQ(image, (std::vector<int>{2, 0}));
    EXPECT_LT(Similarite_inclusion(grand, petit, Proprietes{}, image), 0.45);
    // Weights come from the settings: lengths alone ignore the edges.
    Proprietes longueurs;
    longueurs.poids_voisinage = longueurs.poids_structure = 0;
    EXPECT_NEAR(Similarite_inclusion(Graphe({1, 1}, {{0, 1, 90, 'L'}}), Graphe({1, 1}, {}), longueurs, image), 1.0, 1e-9);
    EXPECT_LT(Similarite_inclusion(Graphe({1, 1}, {{0, 1, 90, 'L'}}), Graphe({1, 1}, {}), Proprietes{}, image), 0.7);
}

// ---- The GXL reader and the programs ---------------------------------------

class Programmes : public tmtest::Environnement {
protected:
    std::string P(const std::string& nom) { return (dir / nom).string(); }
    void Ecrit(const std::string& nom, const std::string& texte) { tmtest::Ecrit_fichier(dir / nom, {texte.begin(), texte.end()}); }
    // Runs build/simgraph/NAME in dir; the exit status, stderr in `erreurs`.
    int Lance(const std::string& nom, const std::vector<std::string>& args)
    {
        const tmtest::Execution r = tmtest::Lance_programme(std::string(TM_BUILD_DIR) + "/simgraph/" + nom, dir, args);
        erreurs = r.erreurs;
        return r.statut;
    }
    std::string erreurs;
};

const char* const Deux_noeuds =
    "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n<gxl>\n<graph id=\"graph0\">\n\n"
    "<node id=\"n4\">\n<attr name=\"forme\">\n<string>1</string>\n</attr>\n<attr name=\"RelLen\">\n<string>1.000000</string>\n</attr>\n</node>\n\n"
    "<node id=\"n5\">\n<attr name=\"forme\">\n<string>1</string>\n</attr>\n<attr name=\"RelLen\">\n<string>0.250000</string>\n</attr>\n</node>\n\n"
    "<edge id=\"edge0\" from=\"n4\" to=\"n5\">\n<attr name=\"relA\">\n<string>70</string>\n</attr>\n<attr name=\"Type\">\n<string>T</string>\n</attr>\n</edge>\n\n"
    "</graph>\n</gxl>\n";

TEST_F(Programmes, ReaderTakesOurGraphsAndRefusesMalformedOnes)
{
    Ecrit("g.gxl", Deux_noeuds);
    GrapheG g;
    ASSERT_EQ(Lit_graphe_gxl(P("g.gxl"), g), "");
    ASSERT_EQ(g.noeuds.size() * 10 + g.aretes.size(), 21u);
    EXPECT_EQ(g.noeuds[1].id + " " + std::to_string(g.noeuds[1].rellen), "n5 0.250000");
    const AreteG& e = g.aretes[0];
    EXPECT_EQ(std::to_string(e.de) + ">" + std::to_string(e.vers) + " " + std::to_string(e.rela) + e.type, "0>1 70.000000T");

    // Missing attributes take neutral values, unknown ones are ignored, a
    // lower-case Type is read in upper case.
    Ecrit("m.gxl", "<gxl><graph><node id=\"a\"><attr name=\"colour\"><string>red</string></attr></node>"
                   "<node id=\"b\"><attr name=\"RelLen\"><float> 0.5 </float></attr></node>"
                   "<edge from=\"a\" to=\"b\"><attr name=\"Type\"><string>l</string></attr></edge>"
                   "<edge from=\"b\" to=\"a\"/></graph></gxl>");
    ASSERT_EQ(Lit_graphe_gxl(P("m.gxl"), g), "");
    EXPECT_EQ(std::vector<double>({g.noeuds[0].rellen, g.noeuds[1].rellen, g.aretes[1].rela}), std::vector<double>({0, 0.5, 0}));
    EXPECT_EQ(std::string() + g.aretes[0].type + g.aretes[1].type, "L?");

    const char* mauvais[] = {
        "",                                                  // empty file
        "<gxl><graph><node id=\"a\"></graph></gxl>",         // not well-formed
        "<graphml><graph/></graphml>",                       // not GXL
        "<gxl></gxl>",                                       // no graph
        "<gxl><graph><node/></graph></gxl>",                 // node without id
        "<gxl><graph><node id=\"a\"/><node id=\"a\"/></graph></gxl>",
        "<gxl><graph><node id=\"a\"/><edge from=\"a\" to=\"z\"/></graph></gxl>",
        "<gxl><graph><node id=\"a\"><attr name=\"RelLen\"><string>long</string></attr></node></graph></gxl>",
        "<gxl><graph><node id=\"a\"/><edge from=\"a\" to=\"a\"><attr name=\"relA\"><string>nan</string></attr></edge></graph></gxl>",
        // values that overflowed the auction's integer costs
        "<gxl><graph><node id=\"a\"><attr name=\"RelLen\"><string>1e15</string></attr></node></graph></gxl>",
        "<gxl><graph><node id=\"a\"/><edge from=\"a\" to=\"a\"><attr name=\"relA\"><string>-1e308</string></attr></edge></graph></gxl>",
    };
    for (const char* texte : mauvais) {
        Ecrit("x.gxl", texte);
        EXPECT_NE(Lit_graphe_gxl(P("x.gxl"), g), "") << texte;
        EXPECT_TRUE(g.noeuds.empty());
    }
    EXPECT_NE(Lit_graphe_gxl(P("absent.gxl"), g), "");
}

TEST_F(Programmes, EachProgramWritesTheAnswerFileOrFailsWithoutOne)
{
    Ecrit("G1.gxl", Deux_noeuds);
    Ecrit("G2.gxl", Deux_noeuds);
    Ecrit("vide.gxl", "<gxl><graph id=\"graph0\"></graph></gxl>");
    Ecrit("casse.gxl", "<gxl><graph>");
    const std::string props = std::string(TM_BUILD_DIR) + "/simgraph/properties.xml";
    for (const char* nom : {"auction", "greedy", "gsignature", "simgraph"}) {
        const bool sim = std::string(nom) == "simgraph";
        std::vector<std::string> args{"G1.gxl", "G2.gxl"};
        if (sim) args.push_back(props);
        fs::remove(dir / "result.txt");
        EXPECT_EQ(Lance(nom, args), 0) << nom << erreurs;
        EXPECT_EQ(Lit_texte(dir / "result.txt"), "S = 1.000000\nM = n4>n4 n5>n5\n") << nom;

        args[0] = args[1] = "vide.gxl";
        EXPECT_EQ(Lance(nom, args), 0) << nom;
        EXPECT_EQ(Lit_texte(dir / "result.txt"), "S = 1.000000\nM = \n") << nom;

        // A graph that cannot be read (missing ones fail alike in the reader).
        fs::remove(dir / "result.txt");
        args[0] = "casse.gxl", args[1] = "G2.gxl";
        EXPECT_EQ(Lance(nom, args), 1) << nom;
        EXPECT_TRUE(erreurs.find("casse.gxl") != std::string::npos && !fs::exists(dir / "result.txt")) << nom << erreurs;
        EXPECT_TRUE(Lance(nom, {"G1.gxl"}) == 2 && erreurs.find("usage") != std::string::npos) << nom;
    }
    // simgraph without its settings file keeps its built-in weights and says so.
    EXPECT_EQ(Lance("simgraph", {"G1.gxl", "G2.gxl", "absent.xml"}), 0);
    EXPECT_NE(erreurs.find("absent.xml"), std::string::npos);
    EXPECT_EQ(Lit_texte(dir / "result.txt"), "S = 1.000000\nM = n4>n4 n5>n5\n");
}

// Each program names itself as ours, and refuses a graph beyond the limits
// (either of the two) with its own status and the reason.
TEST_F(Programmes, ProgramsIdentifyThemselvesAndRefuseGraphsBeyondTheLimits)
{
    auto graphe = [](int noeuds, const std::vector<std::pair<int, int>>& aretes) {
        std::string s = "<gxl><graph id=\"g\">";
        for (int i = 0; i < noeuds; i++) s += "<node id=\"n" + std::to_string(i) + "\"/>";
        for (const auto& [a, b] : aretes) s += "<edge from=\"n" + std::to_string(a) + "\" to=\"n" + std::to_string(b) + "\"/>";
        return s + "</graph></gxl>";
    };
    std::vector<std::pair<int, int>> aretes;
    for (int a = 0; a < 200 && aretes.size() < 10001; a++)
        for (int b = a + 1; b < 200 && aretes.size() < 10001; b++) aretes.push_back({a, b});
    Ecrit("aretes.gxl", graphe(200, aretes));
    Ecrit("gros.gxl", graphe(1001, {}));
    Ecrit("paralleles.gxl", graphe(2, std::vector<std::pair<int, int>>(17, {1, 0})));
    Ecrit("seize.gxl", graphe(2, std::vector<std::pair<int, int>>(16, {1, 0})));
    Ecrit("G.gxl", Deux_noeuds);
    const std::pair<const char*, std::string> cas[] = {
        {"gros.gxl", "gros.gxl: 1001 nodes, more than the 1000 a matcher compares"},
        {"aretes.gxl", "aretes.gxl: 10001 edges, more than the 10000 a matcher compares"},
        {"paralleles.gxl", "paralleles.gxl: more than 16 edges join nodes n0 and n1"},
    };
    for (const char* nom : {"auction", "greedy", "gsignature", "simgraph"}) {
        const tmtest::Execution id = tmtest::Lance_programme(std::string(TM_BUILD_DIR) + "/simgraph/" + nom, dir, {"--identify"});
        EXPECT_EQ(id.statut, 0);
        EXPECT_EQ(id.sortie, Identite_programme(nom) + "\n");
        for (const auto& [fichier, raison] : cas)
            for (int cote = 0; cote < 2; cote++) {
                fs::remove(dir / "result.txt");
                EXPECT_EQ(Lance(nom, cote ? std::vector<std::string>{"G.gxl", fichier} : std::vector<std::string>{fichier, "G.gxl"}), 3)
                    << nom << " " << fichier;
                EXPECT_NE(erreurs.find(raison), std::string::npos) << erreurs;
                EXPECT_FALSE(fs::exists(dir / "result.txt"));
            }
        EXPECT_EQ(Lance(nom, {"seize.gxl", "seize.gxl"}), 0) << nom << erreurs;
    }
    EXPECT_EQ(tmtest::Lance_programme(std::string(TM_BUILD_DIR) + "/cxconvert", dir, {"--identify"}).sortie,
              Identite_programme("cxconvert") + "\n");
}

TEST_F(Programmes, SettingsFileDefaultsMatchTheBuiltInWeights)
{
    std::vector<std::string> avertissements;
    const Proprietes p = Lit_proprietes(std::string(TM_SOURCE_DIR) + "/tools/matchers/properties.xml", avertissements);
    EXPECT_TRUE(avertissements.empty());
    const Proprietes d;
    const auto poids = [](const Proprietes& x) {
        return std::vector<double>{x.poids_noeuds, x.poids_voisinage, x.poids_structure, x.tolerance_longueur,
                                   x.tolerance_angle, x.couts.wl, x.couts.ce, x.couts.wt, x.couts.wa};
    };
    EXPECT_EQ(poids(p), poids(d));
    // A bad value is reported and leaves the built-in one; others apply.
    Ecrit("p.xml", "<properties><property name=\"poids_structure\" value=\"-1\"/>"
                   "<property name=\"tolerance_angle\" value=\"10\"/><property name=\"autre\" value=\"x\"/></properties>");
    const Proprietes q = Lit_proprietes(P("p.xml"), avertissements);
    EXPECT_EQ(avertissements.size(), 1u);
    EXPECT_EQ(std::pair(q.poids_structure, q.tolerance_angle), std::pair(d.poids_structure, 10.0));

    // auction and greedy take their costs from the directory they are
    // started from, and keep the built-in ones without a file there.
    fs::create_directories(dir / "bin");
    // (3, not the built-in 8, so that reading the file shows.)
    Ecrit("bin/properties.xml", "<properties><property name=\"cout_longueur\" value=\"3\"/></properties>");
    const CoutsEdition c = Couts_programme((dir / "bin/auction").c_str());
    EXPECT_EQ(std::pair(c.wl, c.ce), std::pair(3.0, d.couts.ce));
    EXPECT_EQ(Couts_programme((dir / "ailleurs/auction").c_str()).wl, d.couts.wl);
}

}  // namespace
