// The spotting command: threshold choice, the symbol list and sub-graph
// files byte for byte, the recognition hand-over, the two save commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "port/shell.h"
#include "image/chargement.h"
#include "spotting/spotting.h"
#include "spotting/symboles.h"
#include "tests/spotting/graphe_test.h"
#include "tests/support/support.h"

using namespace tmtest;
namespace fs = std::filesystem;

namespace {

class Extraction : public Environnement {
protected:
    Quad *seul, *qa, *qb, *qc, *faible;
    ArcQQ *coin, *suite, *angle_l;
    // A stroke alone at exactly the threshold 0.5, a group of three joined
    // by a continuation and a corner across a gap, and a weak stroke at
    // a corner of the group; a file and a subdirectory in tests/.
    void SetUp() override
    {
        Environnement::SetUp();
        Image_blanche(300, 300);
        seul = Trait(10, 10, 50, 10, 0.5);
        qa = Trait(100, 100, 140, 100, 0.8, 40, 10);
        qb = Trait(140, 100, 160, 100, 0.8, 20, 170);
        qc = Trait(160, 100, 190, 100, 0.8, 30, 30);
        faible = Trait(0, 0, 9, 0, 0.1);
        coin = Arc(faible, qa, 'L');
        suite = Arc(qa, qb, '~');
        angle_l = Arc(qc, qb, 'l');
        fs::create_directories(dir / "tests" / "sous");
        Ecrit_fichier(dir / "tests" / "ancien.gxl", {'x'});
        Ecrit_fichier(dir / "tests" / "sous" / "garde.gxl", {'x'});
    }
};

const char* const Symbole_seul =
    "\n<symbol>\n<location x=\"30\" y=\"10\" />\n<scalefactor>1</scalefactor>\n"
    "<boundingbox xi=\"10\" yi=\"8\" xf=\"50\" yf=\"12\" />\n";
std::string Noeud(int n, const char* rel)
{
    return "<node id=\"n" + std::to_string(n) + "\">\n<attr name=\"forme\">\n<string>1</string>\n</attr>\n"
           "<attr name=\"RelLen\">\n<string>" + rel + "</string>\n</attr>\n</node>\n\n";
}

const char* const Entete_ssg = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n<gxl>\n<graph id=\"graph0\">\n";

}  // namespace

TEST_F(Extraction, SymbolListAndSubGraphFiles)
{
    Mode_trace = 1;
    EXPECT_EQ(Extraction_symboles(0.5, 0), 2);
    EXPECT_EQ(Lit_texte(dir / "tmpsymb.gxl"),
              std::string("\n<symbolist>\n") + Symbole_seul + "<symbolname>NONE</symbolname>\n</symbol>\n"
                  + "\n<symbol>\n<location x=\"145\" y=\"100\" />\n<scalefactor>1</scalefactor>\n"
                    "<boundingbox xi=\"100\" yi=\"98\" xf=\"190\" yf=\"102\" />\n<symbolname>NONE</symbolname>\n"
                    "</symbol>\n\n</symbolist>\n\n");
    // The last symbol's sub-graph: members in joining order, relative
    // lengths, folded angles (10/170 -> 20, 30/170 -> 40), upper-case types.
    EXPECT_EQ(Lit_texte(dir / "tests" / "ssg.gxl"),
              Entete_ssg + Noeud(0, "1.000000") + Noeud(1, "0.500000") + Noeud(2, "0.750000")
                  + "<edge id=\"edge0\" from=\"n0\" to=\"n1\">\n<attr name=\"relA\">\n<string>20</string>\n</attr>\n"
                    "<attr name=\"Type\">\n<string>S</string>\n</attr>\n</edge>\n\n"
                    "<edge id=\"edge1\" from=\"n2\" to=\"n1\">\n<attr name=\"relA\">\n<string>40</string>\n</attr>\n"
                    "<attr name=\"Type\">\n<string>L</string>\n</attr>\n</edge>\n\n</graph>\n</gxl>\n");
    EXPECT_TRUE(suite->type == 'S' && angle_l->type == 'l' && coin->type == 'L');
    EXPECT_EQ(Texte_log(), "\n\n Sub-graph + BB ...\n 2 ");
    EXPECT_TRUE(seul->niveau == 1 && qb->niveau == 2 && qc->numero == 2 && faible->niveau == 0);
    ASSERT_EQ(Compte_liste(Liste_symboles), 2);
    const Symbole& s = *Liste_symboles;
    EXPECT_TRUE(s.genre == 100 && s.nb_points == 4 && s.taille == 4 && s.nom[0] == 0);
    EXPECT_TRUE(s.points[0][0] == 10 && s.points[0][1] == 8 && s.points[1][0] == 50 && s.points[2][1] == 12
                && s.points[3][0] == 10 && s.points[3][1] == 12);
    EXPECT_TRUE(fs::exists(dir / "tests" / "ancien.gxl"));  // no recognition: tests/ kept
    // Step by step, the boxes are drawn on Plan2.
    for (auto [x, y] : {std::pair{10, 10}, {30, 12}, {30, 8}, {50, 10}, {100, 100}, {189, 102}})
        EXPECT_EQ(Lit_pixel(x, y, Plan2), 1) << x << "," << y;
}

TEST_F(Extraction, RecognitionWithoutAResultStopsTheRun)
{
    // There is no model directory: recognition says so and writes no
    // ssg.gxl.res for the first symbol.
    EXPECT_EQ(Extraction_symboles(0.5, 1), -255);
    ASSERT_EQ(fe.boites.size(), 2u);
    EXPECT_EQ(fe.boites[0].texte, "Unable to open model directory");
    EXPECT_TRUE(fe.boites[1].texte == "Ouverture ssg.gxl.res impossible" && fe.boites[1].titre == "Erreur");
    EXPECT_EQ(Lit_texte(dir / "tmpsymb.gxl"), std::string("\n<symbolist>\n") + Symbole_seul);
    EXPECT_EQ(Lit_texte(dir / "tests" / "ssg.gxl"), Entete_ssg + Noeud(0, "1.000000") + "</graph>\n</gxl>\n");
    EXPECT_EQ(Liste_symboles, nullptr);
    // The files of tests/ were deleted, not its subdirectories.
    EXPECT_FALSE(fs::exists(dir / "tests" / "ancien.gxl"));
    EXPECT_TRUE(fs::exists(dir / "tests" / "sous" / "garde.gxl"));
}

TEST_F(Extraction, NoQuadrilateralGivesAnEmptyList)
{
    Nb_quads = 0;  // the list is not looked at
    EXPECT_EQ(Extraction_symboles(0.5, 1), 0);
    EXPECT_EQ(Lit_texte(dir / "tmpsymb.gxl"), "\n<symbolist>\n\n</symbolist>\n\n");
    EXPECT_TRUE(Texte_log().empty() && !Liste_symboles && fs::exists(dir / "tests" / "ancien.gxl"));
}

namespace {
class Commande : public Environnement {};
struct Journal : FrontendEnregistreur {
    std::string tout;
    void log_changed(bool, std::string_view piece) override { tout += piece; }
};
}  // namespace

// Strokes a and c joined through a short stroke b, which three tiny strokes
// at right angles hold below 0.3: one symbol at 0.2, two from 0.3 to 0.6,
// none from 0.7.
TEST_F(Commande, ThresholdSearchKeepsTheFirstBestCount)
{
    struct Cas { const char* seuil; bool sans_bool_reco; const char* fin; int essais; };
    const Cas cas[] = {
        {"2", false, "\nNb = 2 - Seuil = 3.000000e-01", 9},
        {"0.5", true, "\nNb = 2 - Seuil = 5.000000e-01", 0},
        {"0.7", false, "\nNb = 0 - Seuil = 7.000000e-01", 0},
    };
    for (const Cas& c : cas) {
        Remise_a_zero();
        Parametres({{"Seuil_ScoreQ", c.seuil}});
        if (c.sans_bool_reco) Sans_parametre("Bool_reco");
        Journal journal;
        Installe_frontend(&journal);
        fs::create_directories(dir / "tests");
        Ecrit_fichier(dir / "tests" / "garde.gxl", {'x'});
        Image_blanche(200, 50);
        Quad* a = Trait(10, 10, 60, 10, 0, 50, 0);
        Quad* b = Trait(70, 10, 80, 10, 0, 10, 0);
        Quad* cq = Trait(90, 10, 140, 10, 0, 50, 0);
        Arc(a, b, 'P');
        Arc(cq, b, 'P');
        for (int i = 0; i < 3; i++) Arc(b, Trait(0, 0, 0, 2, 0, 2, 90), 'L');
        Liste_arcs_VV = new ArcVV{nullptr, nullptr, 'X', 5.0, nullptr};
        Liste_arcs_QV = new ArcQV{nullptr, nullptr, 'X', 5.0, nullptr};
        LiaisonsB1Click();
        Installe_frontend(&fe);
        const std::string& log = Texte_log();
        EXPECT_EQ(log.substr(log.rfind('\n')), c.fin) << c.seuil;
        size_t n = 0;
        for (size_t p = 0; (p = journal.tout.find(" Raz Symboles : ", p)) != std::string::npos; p++) n++;
        EXPECT_EQ(n, static_cast<size_t>(c.essais)) << c.seuil;
        EXPECT_TRUE(Liste_arcs_VV->score == 0 && Liste_arcs_QV->score == 0);
        EXPECT_EQ(journal.bips_fin, 1);
        EXPECT_TRUE(fs::exists(dir / "tests" / "garde.gxl")) << c.seuil;  // a missing Bool_reco is no recognition
    }
}

TEST_F(Commande, SaveSymbolsAndComponents)
{
    Ecrit_fichier(dir / "tmpsymb.gxl", {'a', 'b'});
    fs::create_directories(dir / "tests");
    fe.reponses.push_back({false, ""});  // Cancel copies nothing
    Symboles1Click();
    const std::string chemin = (dir / "tests" / "Result.spt").string();
    EXPECT_FALSE(fs::exists(chemin));
    EXPECT_TRUE(fe.boites.empty());
    fe.reponses.push_back({true, "Result.spt"});
    Symboles1Click();
    EXPECT_EQ(Lit_texte(chemin), "ab");
    ASSERT_EQ(fe.boites.size(), 1u);
    EXPECT_TRUE(fe.boites[0].texte == chemin && fe.boites[0].titre == " - Symbols have been saved in - ");
    // A copy that fails says so instead of claiming it was saved.
    fe.reponses.push_back({true, "absent/x.spt"});
    Symboles1Click();
    ASSERT_EQ(fe.boites.size(), 2u);
    EXPECT_EQ(fe.boites[1].texte, "Ouverture " + (dir / "tests" / "absent" / "x.spt").string() + " impossible !");

    Liste_CC = new CC{1, 2, 30, 40, 0, new CC{5, 6, 7, 8, 0, nullptr}};
    fe.reponses.push_back({true, "composantes"});
    ReconnaitreClick();
    const std::string dat = (dir / "composantes.dat").string();
    const std::regex attendu("Cr\xE9\xE9 le \\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d \nFichier " + dat
                             + ".\n\nCC 1 : \\(1,2\\),\\(30,40\\)\n \nCC 2 : \\(5,6\\),\\(7,8\\)\n \n-{44} \nNb CC = 2 \n \n");
    EXPECT_TRUE(std::regex_match(Lit_texte(dat), attendu)) << Lit_texte(dat);
    EXPECT_EQ(Texte_log(), "\n\nCC sauvés");
    // Cancel lists nothing.
    fs::remove(dat);
    fe.reponses.push_back({false, "composantes"});
    ReconnaitreClick();
    EXPECT_FALSE(fs::exists(dat));
    EXPECT_EQ(fe.invites, (std::vector<std::string>{"Nom du fichier ?", "Nom du fichier ?", "Nom du fichier ?",
                                                    " Nom du fichier ? ", " Nom du fichier ? "}));
}
