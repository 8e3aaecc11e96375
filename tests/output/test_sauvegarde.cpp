// The Save menu's result commands, without their dialog.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "port/shell.h"
#include "vecto/arcs.h"
#include "output/commandes_sauvegarde.h"
#include "tests/support/support.h"
#include "vecto/records.h"

namespace fs = std::filesystem;
using tmtest::Lit_texte;

namespace {

bool Xml_bien_forme(const fs::path& p)
{
    return std::system(("xmllint --noout '" + p.string() + "' 2>/dev/null").c_str()) == 0;
}

class Sauvegarde : public tmtest::Environnement {
protected:
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        auto* q = new Quad;
        q->length = 12;
        Ajoute_en_queue(Liste_quads, static_cast<Quad*>(nullptr), q);
        Nb_quads = 1;
        auto* v = new Vecteur;
        v->length = 3;
        Ajoute_en_queue(Liste_vecteurs, static_cast<Vecteur*>(nullptr), v);
    }
};

TEST_F(Sauvegarde, ListingNeedsAFileName)
{
    EXPECT_FALSE(Sauve_vecto_quads(""));
    EXPECT_EQ(Texte_log(), "\nErreur");
    EXPECT_EQ(fe.bips_fin, 1);
    EXPECT_TRUE(fe.boites.empty());
    for (const auto& e : fs::directory_iterator(dir)) EXPECT_EQ(e.path().filename(), "param.dat");

    const std::string chemin = (dir / "plan.laf").string();
    EXPECT_TRUE(Sauve_vecto_quads(chemin));
    EXPECT_EQ(Texte_log(), "\nErreur\nVecto Sauvée");
    EXPECT_EQ(fe.bips_fin, 2);
    EXPECT_EQ(Lit_texte(chemin).rfind(" - Resultats Vectorisation : " + chemin + " - \n", 0), 0u);

    // A listing that cannot be created is not announced as saved.
    Efface_texte();
    EXPECT_FALSE(Sauve_vecto_quads((dir / "absent" / "plan.laf").string()));
    EXPECT_EQ(Texte_log(), "");
    ASSERT_EQ(fe.boites.size(), 1u);
    EXPECT_EQ(fe.bips_fin, 3);
}

TEST_F(Sauvegarde, GraphCommandsReplaceTheSameGxlFile)
{
    EXPECT_TRUE(Sauve_graphe_simgraph());
    EXPECT_EQ(Lit_texte(dir / "Rlignaxe.gxl").find("<gxl>\n<graph id=\"graph0\">\n"), 55u);
    EXPECT_TRUE(Xml_bien_forme(dir / "Rlignaxe.gxl"));
    EXPECT_FALSE(fs::exists(dir / "Rlignaxe.dat"));
    EXPECT_TRUE(Sauve_graphe_gxl_txt());
    EXPECT_TRUE(Xml_bien_forme(dir / "Rlignaxe.gxl"));
    const std::string g = Lit_texte(dir / "Rlignaxe.gxl");
    EXPECT_NE(g.find(" <graph id=\".gxl\">"), std::string::npos);
    EXPECT_NE(g.find("<string>Quad</string>"), std::string::npos);
    EXPECT_NE(Lit_texte(dir / "Rlignaxe.dat").find("\nQuadrilatere 1 : "), std::string::npos);
    EXPECT_EQ(Texte_log(), "\nGraphe Sauvé...\nGraphe Sauvé...");
    EXPECT_EQ(fe.bips_fin, 2);
}

TEST_F(Sauvegarde, GraphCommandsReportFilesThatCannotBeCreated)
{
    Rep_travail = (dir / "absent").string();
    EXPECT_FALSE(Sauve_graphe_gxl_txt());
    EXPECT_FALSE(Sauve_graphe_simgraph());
    ASSERT_EQ(fe.boites.size(), 3u);
    EXPECT_EQ(fe.boites[0].texte, "Ouverture " + Rep_travail + "/Rlignaxe.dat impossible !\n" + Rep_travail +
                                      "/Rlignaxe.dat: No such file or directory");
    EXPECT_EQ(fe.boites[1].texte, "Ouverture " + Rep_travail + "/Rlignaxe.gxl impossible !\n" + Rep_travail +
                                      "/Rlignaxe.gxl: No such file or directory");
    EXPECT_EQ(Texte_log(), "");
    EXPECT_EQ(fe.bips_fin, 2);
}

}  // namespace
