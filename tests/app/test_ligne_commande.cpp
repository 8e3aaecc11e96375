// The command-line run, as a user starts it: the built program in a scratch
// current directory holding its own param.dat.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace fs = std::filesystem;
using tmtest::Execution;
using tmtest::Lit_texte;
using tmtest::Xml_bien_forme;

namespace {

class LigneCommande : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::mt19937_64 rng(std::random_device{}());
        racine = fs::temp_directory_path() / ("tracemorph-cli-" + std::to_string(::getpid()) + "-" + std::to_string(rng()));
        courant = racine / "courant";
        images = racine / "images";
        fs::create_directories(courant);
        fs::create_directories(images);
        tmtest::Ecrit_param(courant, tmtest::Parametres_defaut());
    }
    void TearDown() override { fs::remove_all(racine); }

    // Copies a test image into the images directory (never the current one).
    fs::path Image(const std::string& nom, const std::string& copie = "")
    {
        const fs::path p = images / (copie.empty() ? nom : copie);
        fs::create_directories(p.parent_path());
        fs::copy_file(fs::path(TM_TEST_DATA) / nom, p, fs::copy_options::overwrite_existing);
        return p;
    }

    tmtest::Execution Lance(const std::vector<std::string>& args) { return tmtest::Lance_tracemorph(courant, args); }

    static bool Finit_par(const std::string& s, const std::string& fin)
    {
        return s.size() >= fin.size() && s.compare(s.size() - fin.size(), fin.size(), fin) == 0;
    }
    // Both result files in the current directory, the GXL well-formed.
    void Verifie_resultats(const std::string& nom_image)
    {
        ASSERT_TRUE(fs::exists(courant / "Rlignaxe.dat"));
        ASSERT_TRUE(fs::exists(courant / "Rlignaxe.gxl"));
        const std::string t = Lit_texte(courant / "Rlignaxe.dat");
        EXPECT_EQ(t.rfind(" - Resultats Vectorisation - \n - (Image " + nom_image + ") - \n", 0), 0u) << t;
        EXPECT_TRUE(Finit_par(t, "\nFin"));
        EXPECT_TRUE(Xml_bien_forme(courant / "Rlignaxe.gxl"));
    }
    std::string Texte_vide(const std::string& nom_image) const
    {
        return " - Resultats Vectorisation - \n - (Image " + nom_image + ") - \n -===================-\n\n\nFin";
    }
    std::string Gxl_vide(const std::string& nom_image) const
    {
        return "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n<gxl>\n <graph id=\"" + nom_image +
               ".gxl\">\n\n </graph>\n</gxl>\n";
    }

    fs::path racine, courant, images;
};

TEST_F(LigneCommande, BitmapIsAnalysedIntoTheStartDirectory)
{
    for (const char* nom : {"tiny_13x7.bmp", "tiny_13x7_blackfirst.bmp", "bath_plan.bmp"}) {
        fs::remove(courant / "Rlignaxe.dat");
        fs::remove(courant / "Rlignaxe.gxl");
        const Execution r = Lance({Image(nom).string()});
        EXPECT_EQ(r.statut, 0) << nom << "\n" << r.erreurs;
        EXPECT_TRUE(Finit_par(r.sortie, "\nResultats enregistrés\n") || r.sortie == "Resultats enregistrés\n")
            << r.sortie;
        EXPECT_EQ(r.erreurs, "");
        Verifie_resultats(nom);
        EXPECT_FALSE(fs::exists(images / "Rlignaxe.dat"));
        EXPECT_FALSE(fs::exists(images / "Rlignaxe.gxl"));
    }
    // bath_plan is a real drawing: it must give primitives and relations.
    const std::string t = Lit_texte(courant / "Rlignaxe.dat");
    EXPECT_NE(t.find("\nVecteur 0 : "), std::string::npos);
}

TEST_F(LigneCommande, SecondArgumentHasNoEffect)
{
    const std::string image = Image("tiny_13x7.bmp").string();
    const Execution seul = Lance({image});
    const std::string t = Lit_texte(courant / "Rlignaxe.dat"), g = Lit_texte(courant / "Rlignaxe.gxl");
    const Execution deux = Lance({image, "--version"});
    EXPECT_EQ(deux.statut, seul.statut);
    EXPECT_EQ(deux.sortie, seul.sortie);
    EXPECT_EQ(Lit_texte(courant / "Rlignaxe.dat"), t);
    EXPECT_EQ(Lit_texte(courant / "Rlignaxe.gxl"), g);
}

TEST_F(LigneCommande, UnreadableImageStillWritesEmptyResultsAndFails)
{
    tmtest::Ecrit_fichier(images / "texte.bmp", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
    auto tronque = tmtest::Lit_fichier(fs::path(TM_TEST_DATA) / "tiny_13x7.bmp");
    tronque.resize(40);
    tmtest::Ecrit_fichier(images / "tronque.bmp", tronque);
    for (const char* nom : {"absent.bmp", "texte.bmp", "tronque.bmp"}) {
        const Execution r = Lance({(images / nom).string()});
        EXPECT_NE(r.statut, 0) << nom;
        EXPECT_NE(r.erreurs.find("Error: Error in Image file !\n"), std::string::npos) << nom << r.erreurs;
        EXPECT_EQ(Lit_texte(courant / "Rlignaxe.dat"), Texte_vide(nom));
        EXPECT_EQ(Lit_texte(courant / "Rlignaxe.gxl"), Gxl_vide(nom));
    }
}

TEST_F(LigneCommande, ConvertedImageWithASpaceInItsPathIsRefused)
{
    const fs::path image = Image("drawing_gray8.png", "avec espace/drawing gray8.png");
    const Execution r = Lance({image.string()});
    EXPECT_NE(r.statut, 0);
    EXPECT_NE(r.erreurs.find("Error: Space are forbidden in image path !\n"), std::string::npos) << r.erreurs;
    EXPECT_EQ(Lit_texte(courant / "Rlignaxe.dat"), Texte_vide("drawing gray8.png"));
    EXPECT_EQ(Lit_texte(courant / "Rlignaxe.gxl"), Gxl_vide("drawing gray8.png"));
    EXPECT_FALSE(fs::exists(courant / "tmp.bmp"));  // the converter was not run
}

TEST_F(LigneCommande, OtherFormatsGoThroughTheConverter)
{
    for (const char* nom : {"drawing_gray8.png", "drawing_g4.tif", "drawing.gif"}) {
        const Execution r = Lance({Image(nom).string()});
        EXPECT_EQ(r.statut, 0) << nom << "\n" << r.erreurs;
        EXPECT_EQ(r.erreurs, "") << nom;
        Verifie_resultats(nom);
        EXPECT_TRUE(fs::exists(courant / "tmp.bmp"));
    }
}

TEST_F(LigneCommande, MissingParameterFileIsReportedAtEachLookup)
{
    fs::remove(courant / "param.dat");
    const Execution r = Lance({Image("tiny_13x7.bmp").string()});
    const std::string message = "Erreur: Ouverture " + courant.string() + "/param.dat impossible !\n";
    size_t n = 0;
    for (size_t p = r.erreurs.find(message); p != std::string::npos; p = r.erreurs.find(message, p + 1)) n++;
    EXPECT_GE(n, 2u) << r.erreurs;  // at least Resolution and Format_GXL
    EXPECT_TRUE(Finit_par(r.sortie, "Resultats enregistrés\n")) << r.sortie;
    Verifie_resultats("tiny_13x7.bmp");
    // -255 as the selector: the full variant.
    EXPECT_NE(Lit_texte(courant / "Rlignaxe.gxl").find(" <graph id=\"tiny_13x7.bmp.gxl\">"), std::string::npos);
}

TEST_F(LigneCommande, FormatGxlOneGivesTheMatcherVariant)
{
    auto p = tmtest::Parametres_defaut();
    p["Format_GXL"] = "1";
    tmtest::Ecrit_param(courant, p);
    const Execution r = Lance({Image("bath_plan.bmp").string()});
    EXPECT_EQ(r.statut, 0);
    const std::string g = Lit_texte(courant / "Rlignaxe.gxl");
    EXPECT_NE(g.find("<gxl>\n<graph id=\"graph0\">\n\n"), std::string::npos);
    EXPECT_EQ(g.find("Vecteur"), std::string::npos);
    EXPECT_EQ(g.find("<string>CC</string>"), std::string::npos);
    EXPECT_TRUE(Xml_bien_forme(courant / "Rlignaxe.gxl"));
}

TEST_F(LigneCommande, ResultFileThatCannotBeWrittenFailsTheRun)
{
    fs::create_directory(courant / "Rlignaxe.dat");
    const Execution r = Lance({Image("tiny_13x7.bmp").string()});
    EXPECT_NE(r.statut, 0);
    EXPECT_NE(r.erreurs.find("Erreur: Ouverture " + courant.string() + "/Rlignaxe.dat impossible !\n"),
              std::string::npos) << r.erreurs;
    EXPECT_EQ(r.sortie.find("Resultats enregistrés"), std::string::npos);
    EXPECT_TRUE(Xml_bien_forme(courant / "Rlignaxe.gxl"));  // the run went on
}

// Where a result file departs from the stored one: the first differing line.
std::string Premiere_difference(const std::string& attendu, const std::string& obtenu)
{
    size_t i = 0, ligne = 1, debut = 0;
    while (i < attendu.size() && i < obtenu.size() && attendu[i] == obtenu[i]) {
        if (attendu[i] == '\n') ligne++, debut = i + 1;
        i++;
    }
    auto jusqu_fin = [debut](const std::string& s) { return s.substr(debut, s.find('\n', debut) - debut); };
    return "first difference at line " + std::to_string(ligne) + "\n  stored:   " + jusqu_fin(attendu) +
           "\n  obtained: " + jusqu_fin(obtenu);
}

// Whole result files of real drawings, analysed with the fixed thresholds of
// tests/data/stored/param.dat, against the stored ones. A change of results
// that is intended is stored again with scripts/regenerate-stored-results.sh.
TEST_F(LigneCommande, DrawingsGiveTheStoredResults)
{
    struct Cas {
        const char* dessin;
        bool apparieur;  // Format_GXL 1: the matcher variant of the graph file
    };
    const Cas cas[] = {{"bath_plan", false}, {"relay_logic", false}, {"flowchart_triangles", false}, {"bath_plan", true}};
    const fs::path stockes = fs::path(TM_TEST_DATA) / "stored";
    std::string param = Lit_texte(stockes / "param.dat");
    const size_t format = param.find("#Format_GXL#\n=0#");
    ASSERT_NE(format, std::string::npos);
    for (const Cas& c : cas) {
        SCOPED_TRACE(std::string(c.dessin) + (c.apparieur ? " (matcher variant)" : ""));
        param[format + 14] = c.apparieur ? '1' : '0';
        tmtest::Ecrit_fichier(courant / "param.dat", std::vector<uint8_t>(param.begin(), param.end()));
        const Execution r = Lance({Image(std::string(c.dessin) + ".bmp").string()});
        ASSERT_EQ(r.statut, 0) << r.erreurs;
        EXPECT_EQ(r.erreurs, "");  // every threshold found in the stored param.dat
        std::vector<std::pair<std::string, std::string>> fichiers = {{"Rlignaxe.gxl", "Rlignaxe.gxl"}};
        if (c.apparieur) fichiers[0].second = "Rlignaxe.matcher.gxl";
        else fichiers.push_back({"Rlignaxe.dat", "Rlignaxe.dat"});
        for (const auto& [ecrit, stocke] : fichiers) {
            const fs::path reference = stockes / c.dessin / stocke;
            ASSERT_TRUE(fs::exists(reference)) << reference;
            const std::string attendu = Lit_texte(reference), obtenu = Lit_texte(courant / ecrit);
            EXPECT_TRUE(obtenu == attendu) << reference.string() << ": " << Premiere_difference(attendu, obtenu);
        }
    }
}

TEST_F(LigneCommande, HelpAndVersionWriteNoFile)
{
    const Execution aide = Lance({"--help"});
    EXPECT_EQ(aide.statut, 0);
    EXPECT_EQ(aide.sortie.rfind("Usage: tracemorph", 0), 0u) << aide.sortie;
    const Execution version = Lance({"--version"});
    EXPECT_EQ(version.statut, 0);
    EXPECT_NE(version.sortie.find(TRACEMORPH_VERSION), std::string::npos);
    EXPECT_FALSE(fs::exists(courant / "Rlignaxe.dat"));
    EXPECT_FALSE(fs::exists(courant / "Rlignaxe.gxl"));
}

}  // namespace
