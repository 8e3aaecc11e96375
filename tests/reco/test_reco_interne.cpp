// Recognition inside the program's own process against the outside
// programs, the checks of model and test graphs, and recognition in a batch
// run: names in the results, the working directory's programs, faults.
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "port/shell.h"
#include "graph/construction.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "reco/apparieurs.h"
#include "reco/reconnaissance.h"
#include "spotting/spotting.h"
#include "tests/support/support.h"
#include "vecto/vectorisation.h"

namespace fs = std::filesystem;
using tmtest::Lit_texte;

namespace {

void Ecrit(const fs::path& p, const std::string& texte) { tmtest::Ecrit_fichier(p, {texte.begin(), texte.end()}); }

// A GXL graph: node ids and RelLen, edges (from, to) of type T and relA 30.
std::string Gxl(const std::vector<std::pair<std::string, double>>& noeuds, const std::vector<std::pair<int, int>>& aretes)
{
    std::string s = "<gxl><graph id=\"g\">\n";
    for (const auto& [id, l] : noeuds)
        s += "<node id=\"" + id + "\"><attr name=\"RelLen\"><string>" + std::to_string(l) + "</string></attr></node>\n";
    for (const auto& [a, b] : aretes)
        s += "<edge from=\"" + noeuds[static_cast<size_t>(a)].first + "\" to=\"" + noeuds[static_cast<size_t>(b)].first +
             "\"><attr name=\"relA\"><string>30</string></attr><attr name=\"Type\"><string>T</string></attr></edge>\n";
    return s + "</graph></gxl>\n";
}

std::string Chaine(int n)
{
    std::vector<std::pair<std::string, double>> noeuds;
    std::vector<std::pair<int, int>> aretes;
    for (int i = 0; i < n; i++) noeuds.push_back({"n" + std::to_string(i), 0.5});
    for (int i = 1; i < n; i++) aretes.push_back({i - 1, i});
    return Gxl(noeuds, aretes);
}

// Rep_travail and the current directory: models/ holding a few models made
// from corpus symbols, simgraph/ holding either the built matchers or
// wrappers of them that do not answer --identify as ours.
class RecoInterne : public tmtest::Environnement {
protected:
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        ancien = fs::current_path();
        fs::current_path(dir);
        fs::copy(fs::path(TM_TEST_DATA) / "models", dir / "models");
        fs::create_directories(dir / "tests");
    }
    void TearDown() override
    {
        fs::current_path(ancien);
        tmtest::Environnement::TearDown();
    }
    void Apparieurs(bool interne)
    {
        fs::remove_all(dir / "simgraph");
        const fs::path construits = fs::path(TM_BUILD_DIR) / "simgraph";
        if (interne) {
            fs::create_directory_symlink(construits, dir / "simgraph");
            return;
        }
        fs::create_directories(dir / "simgraph");
        fs::copy_file(construits / "properties.xml", dir / "simgraph/properties.xml");
        for (const char* nom : {"auction", "greedy", "gsignature", "simgraph"}) {
            const fs::path p = dir / "simgraph" / nom;
            Ecrit(p, "#!/bin/sh\n[ \"$1\" = --identify ] && exit 1\nexec " + (construits / nom).string() + " \"$@\"\n");
            ::chmod(p.c_str(), 0755);
        }
    }
    // The .res files of a directory, by name.
    static std::map<std::string, std::string> Res(const fs::path& rep)
    {
        std::map<std::string, std::string> m;
        for (const auto& e : fs::directory_iterator(rep))
            if (e.path().extension() == ".res") m[e.path().filename().string()] = Lit_texte(e.path());
        return m;
    }
    size_t Erreurs()
    {
        size_t n = 0;
        for (const auto& b : fe.boites) n += b.titre == "Erreur";
        return n;
    }
    fs::path ancien;
};

TEST_F(RecoInterne, InProcessAndOutsideRecognitionAgreeOnRealCandidates)
{
    for (const char* mode : {"1", "2", "3", "11"}) {
        std::map<std::string, std::string> resultats[2];
        for (bool interne : {false, true}) {
            Apparieurs(interne);
            Parametres({{"Bool_reco", mode}, {"Seuil_rejet", "0.5"}});
            fs::remove(dir / "G1.gxl");
            fe.boites.clear();
            auto& r = resultats[interne];
            // The spotting's decision for every candidate of a schematic.
            tmtest::Remise_a_zero();
            Open((fs::path(TM_TEST_DATA) / "relay_logic.bmp").string());
            Commande_vectorisation();
            Commande_graphe();
            LiaisonsB1Click();
            r["liste"] = Lit_texte(dir / "tmpsymb.gxl");
            // Whole result files, mapping lines included: the last candidate
            // and the models themselves against every model.
            fs::remove_all(dir / "candidats");
            fs::copy(dir / "models", dir / "candidats");
            fs::copy_file(dir / "tests/ssg.gxl", dir / "candidats/dernier.gxl");
            // A model under other node ids: equal similarities both ways,
            // with mappings that tell the directions apart.
            std::string renomme = Lit_texte(dir / "models/resistor.gxl");
            for (const char* a : {"id=\"n", "from=\"n", "to=\"n"})
                for (size_t p = renomme.find(a); p != std::string::npos; p = renomme.find(a, p + 1))
                    renomme[p + std::string(a).size() - 1] = 'c';
            Ecrit(dir / "candidats/renomme.gxl", renomme);
            ASSERT_EQ(Reconnaissance(Rep_travail + "/models", Rep_travail + "/candidats", std::atoi(mode)), 1);
            for (const auto& [nom, texte] : Res(dir / "candidats")) r[nom] = texte;
            EXPECT_EQ(fs::exists(dir / "G1.gxl"), !interne) << mode;  // the exchange is the outside one's
            EXPECT_EQ(Erreurs(), 0u) << mode << (fe.boites.empty() ? "" : ": " + fe.boites.back().texte);
        }
        ASSERT_EQ(resultats[1].size(), 7u);
        for (const auto& [nom, texte] : resultats[0]) EXPECT_EQ(resultats[1][nom], texte) << "mode " << mode << ", " << nom;
        // Candidates both named and rejected.
        const std::string& liste = resultats[1]["liste"];
        size_t noms = 0, rejets = 0;
        for (size_t p = liste.find("<symbolname>"); p != std::string::npos; p = liste.find("<symbolname>", p + 1))
            (liste.compare(p + 12, 6, "Rejet(") == 0 ? rejets : noms)++;
        EXPECT_TRUE(noms > 0 && rejets > 0) << mode << ": " << noms << " " << rejets;
    }
}

// Models are checked once per run: a bad one is named once and left out.
// Graphs beyond the limits are left out (models) or not named (tests). The
// gsignature's mapping pairs nodes by rank of length, on both paths.
TEST_F(RecoInterne, ModelsAreCheckedOnceAndMappingsFollowTheMeasure)
{
    fs::remove_all(dir / "models");
    fs::create_directories(dir / "models");
    const std::string modele = Gxl({{"m0", 0.5}, {"m1", 0.9}, {"m2", 0.1}}, {{0, 1}, {1, 2}});
    Ecrit(dir / "models/rang.gxl", modele);
    Ecrit(dir / "models/casse.gxl", "<gxl><graph id=\"g\"><node id=\"a\"/>");
    Ecrit(dir / "models/vide.gxl", "");
    Ecrit(dir / "models/enorme.gxl", Chaine(1001));
    Ecrit(dir / "models/paralleles.gxl", Gxl({{"p", 1}, {"q", 1}}, std::vector<std::pair<int, int>>(17, {0, 1})));
    Ecrit(dir / "tests/t.gxl", Gxl({{"n0", 0.2}, {"n1", 1.0}, {"n2", 0.5}, {"n3", 0.5}}, {{1, 2}, {2, 3}, {3, 0}}));
    Ecrit(dir / "tests/gros.gxl", Chaine(1001));
    Parametres({{"Seuil_rejet", "0"}});
    const std::string reste = "\nM = n0>- n1>m1 n2>m0 n3>m2\n";

    Apparieurs(true);
    Pannes_apparieurs = 0;
    for (int fois = 0; fois < 2; fois++) ASSERT_EQ(Reconnaissance(Rep_travail + "/models", Rep_travail + "/tests", 2), 1);
    std::vector<std::string> messages;
    for (const auto& b : fe.boites) messages.push_back(b.texte.substr(0, b.texte.find(':', b.texte.find(".gxl"))));
    const std::string m = "Model " + Rep_travail + "/models/";
    EXPECT_EQ(messages, (std::vector<std::string>{m + "casse.gxl left out", m + "enorme.gxl left out", m + "paralleles.gxl left out",
                                                  m + "vide.gxl left out", "Test graph gros.gxl not compared",
                                                  "Test graph gros.gxl not compared"}));
    EXPECT_EQ(fe.boites[1].texte, m + "enorme.gxl left out: 1001 nodes, more than the 1000 a matcher compares");
    EXPECT_EQ(fe.boites[2].texte, m + "paralleles.gxl left out: more than 16 edges join nodes p and q");
    EXPECT_EQ(Pannes_apparieurs, 0);  // the drawing's size is no fault
    const auto interne = Res(dir / "tests");
    EXPECT_EQ(interne.at("gros.gxl.res"), "<symbolname>Inconnu</symbolname><confidencerate>0.000000</confidencerate>\n");
    const std::string t = interne.at("t.gxl.res");
    EXPECT_EQ(t.rfind("<symbolname>rang</symbolname><confidencerate>0.", 0), 0u) << t;
    EXPECT_EQ(t.substr(t.find('\n')), reste);

    // The program gives the same mapping through result.txt.
    Apparieurs(false);
    fs::remove(dir / "tests/gros.gxl");
    fs::remove(dir / "tests/t.gxl.res");
    ASSERT_EQ(Reconnaissance(Rep_travail + "/models", Rep_travail + "/tests", 2), 1);
    EXPECT_EQ(Lit_texte(dir / "tests/t.gxl.res"), t);
}

// A batch with recognition: odd model names stay well-formed XML, the
// working directory's matchers run only when asked for, and a matcher that
// hangs fails the image after one message for its model.
TEST_F(RecoInterne, BatchNamesSymbolsAndReportsItsMatchers)
{
    fs::create_directories(dir / "img");
    fs::copy_file(fs::path(TM_TEST_DATA) / "bath_plan.bmp", dir / "img/b.bmp");
    Parametres({{"Bool_reco", "11"}, {"Seuil_rejet", "0"}});
    const fs::path resistor = fs::path(TM_TEST_DATA) / "models/resistor.gxl";
    const std::string long_nom(200, 'm');
    const struct {
        std::string modele, nom_ecrit;
    } noms[] = {{"a&b<c>.gxl", "a&amp;b&lt;c&gt;"}, {long_nom + ".gxl", long_nom}, {"caf\xc3\xa9.gxl", "caf&#233;"}};
    for (const auto& n : noms) {
        fs::remove_all(dir / "models");
        fs::create_directories(dir / "models");
        fs::copy_file(resistor, dir / "models" / n.modele);
        const tmtest::Execution r = tmtest::Lance_tracemorph(dir, {"--batch", "img/b.bmp"});
        EXPECT_EQ(r.statut, 0) << n.nom_ecrit << r.erreurs;
        EXPECT_TRUE(tmtest::Xml_bien_forme(dir / "FINAL_RESULTS.GRE")) << n.nom_ecrit;
        EXPECT_TRUE(tmtest::Xml_bien_forme(dir / "img/b.bmp.xml")) << n.nom_ecrit;
        const std::string gre = Lit_texte(dir / "FINAL_RESULTS.GRE");
        EXPECT_NE(gre.find("<symbolname>" + n.nom_ecrit + "</symbolname><confidencerate>"), std::string::npos) << gre;
    }

    // A list written by another program with raw names is left out of the
    // gathered results, which stay well-formed.
    for (const char* nom : {"a&b<c>", "a&b", "x</symbolname>"}) {
        Ecrit(dir / "img/b.bmp.xml", std::string("\n<symbolist>\n\n<symbol>\n<symbolname>") + nom +
                                         "</symbolname>\n\n</symbol>\n\n</symbolist>\n\n");
        const tmtest::Execution g = tmtest::Lance_tracemorph(dir, {"--gather", "img/b.bmp"});
        EXPECT_EQ(g.statut, 1) << nom;
        EXPECT_NE(g.erreurs.find("Liste de symboles mal formee : img/b.bmp.xml: "), std::string::npos) << g.erreurs;
        EXPECT_TRUE(tmtest::Xml_bien_forme(dir / "FINAL_RESULTS.GRE")) << nom;
    }

    // A hanging auction in the working directory, which leaves a child.
    fs::create_directories(dir / "simgraph");
    Ecrit(dir / "simgraph/auction", "#!/bin/sh\n[ \"$1\" = --identify ] && exit 0\n"
                                    "sleep 60 & echo $! >> enfants\nexec sleep 60\n");
    ::chmod((dir / "simgraph/auction").c_str(), 0755);
    const std::pair<std::string, std::string> delai{"TRACEMORPH_MATCHER_TIMEOUT", "0.3"};
    const tmtest::Execution ignore = tmtest::Lance_tracemorph(dir, {"--batch", "img/b.bmp"}, {delai});
    EXPECT_EQ(ignore.statut, 0) << ignore.erreurs;
    EXPECT_EQ(ignore.erreurs.find("Outside program"), std::string::npos) << ignore.erreurs;
    EXPECT_FALSE(fs::exists(dir / "enfants"));

    const tmtest::Execution r =
        tmtest::Lance_tracemorph(dir, {"--batch", "img/b.bmp"}, {delai, {"TRACEMORPH_LOCAL_PROGRAMS", "1"}});
    EXPECT_EQ(r.statut, 1);
    const std::string programme = (dir / "simgraph/auction").string();
    EXPECT_NE(r.erreurs.find("Info: Outside program used for auction: " + programme + " (not tracemorph's own)"),
              std::string::npos) << r.erreurs;
    const std::string panne = "Erreur: Ouverture impossible\nmatcher " + programme + ", model caf\xc3\xa9.gxl: no answer within 0.3 s";
    const size_t p = r.erreurs.find(panne);
    EXPECT_NE(p, std::string::npos) << r.erreurs;
    EXPECT_EQ(r.erreurs.find(panne, p + 1), std::string::npos) << "once per image";
    EXPECT_TRUE(tmtest::Xml_bien_forme(dir / "FINAL_RESULTS.GRE"));
    // No process of the matcher outlived the run.
    const std::string enfants = Lit_texte(dir / "enfants");
    ASSERT_FALSE(enfants.empty());
    for (size_t debut = 0, fin; (fin = enfants.find('\n', debut)) != std::string::npos; debut = fin + 1) {
        const std::string stat = Lit_texte("/proc/" + enfants.substr(debut, fin - debut) + "/stat");
        EXPECT_TRUE(stat.empty() || stat.substr(stat.rfind(')') + 2, 1) == "Z") << stat;
    }
}

}  // namespace
