// Symbol spotting with recognition on a real drawing: every candidate's
// sub-graph goes through the matchers, and its decision line lands in the
// symbol list.
#include <filesystem>
#include <string>

#include "port/shell.h"
#include "graph/construction.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "spotting/spotting.h"
#include "spotting/symboles.h"
#include "tests/support/support.h"
#include "vecto/vectorisation.h"

namespace fs = std::filesystem;
using tmtest::Lit_texte;

namespace {

class SpottingReco : public tmtest::Environnement {
protected:
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        ancien = fs::current_path();
        fs::current_path(dir);
        fs::create_directory_symlink(fs::path(TM_BUILD_DIR) / "simgraph", dir / "simgraph");
        fs::create_directories(dir / "models");
    }
    void TearDown() override
    {
        fs::current_path(ancien);
        tmtest::Environnement::TearDown();
    }
    int Spotting()
    {
        tmtest::Remise_a_zero();
        Open((fs::path(TM_TEST_DATA) / "bath_plan.bmp").string());
        Commande_vectorisation();
        Commande_graphe();
        LiaisonsB1Click();
        int n = 0;
        for (Symbole* s = Liste_symboles; s; s = s->suivant) n++;
        return n;
    }
    fs::path ancien;
};

size_t Compte(const std::string& texte, const std::string& motif)
{
    size_t n = 0;
    for (size_t p = texte.find(motif); p != std::string::npos; p = texte.find(motif, p + 1)) n++;
    return n;
}

TEST_F(SpottingReco, EachMatcherNamesTheCandidateItsModelCameFrom)
{
    // The last candidate's sub-graph becomes a model, beside an empty graph.
    Parametres({{"Seuil_ScoreQ", "0.5"}, {"Bool_reco", "0"}});
    const int n = Spotting();
    ASSERT_GT(n, 3);
    fs::copy_file(dir / "tests/ssg.gxl", dir / "models/dernier.gxl");
    const std::string vide = "<gxl><graph id=\"graph0\"></graph></gxl>";
    tmtest::Ecrit_fichier(dir / "models/vide.gxl", {vide.begin(), vide.end()});

    for (const char* mode : {"1", "2", "3", "11"}) {
        Parametres({{"Seuil_ScoreQ", "0.5"}, {"Bool_reco", mode}, {"Seuil_rejet", "0.999"}});
        fe.boites.clear();
        ASSERT_EQ(Spotting(), n) << mode;
        EXPECT_TRUE(fe.boites.empty()) << mode << ": " << fe.boites[0].texte;
        const std::string liste = Lit_texte(dir / "tmpsymb.gxl");
        // Every candidate has its decision; the empty model names none.
        const size_t comptes[] = {Compte(liste, "<symbol>"), Compte(liste, "<symbolname>"),
                                  Compte(liste, "<symbolname>NONE</symbolname>"), Compte(liste, "<symbolname>vide</symbolname>")};
        EXPECT_EQ(std::vector<size_t>(comptes, comptes + 4), (std::vector<size_t>{size_t(n), size_t(n), 0, 0})) << mode;
        const std::string fin = "<symbolname>dernier</symbolname><confidencerate>1.000000</confidencerate>\n\n</symbol>\n\n</symbolist>";
        EXPECT_NE(liste.find(fin), std::string::npos) << mode << "\n" << liste.substr(liste.size() - 300);
        EXPECT_EQ(Lit_texte(dir / "tests/ssg.gxl.res").rfind("<symbolname>dernier</symbolname><confidencerate>1.000000", 0), 0u);
    }
}

}  // namespace
