// tracemorph --make-models: one matcher graph per symbol image.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace fs = std::filesystem;
using tmtest::Lit_texte;

namespace {

class Modeles : public tmtest::Environnement {
protected:
    int Lance(const std::vector<std::string>& args)
    {
        const tmtest::Execution r = tmtest::Lance_tracemorph(dir, args);
        sortie = r.sortie, erreurs = r.erreurs;
        return r.statut;
    }
    std::string sortie, erreurs;
};

TEST_F(Modeles, EachImageGivesTheGraphOfAPlainRun)
{
    const fs::path symboles = dir / "symboles";
    fs::create_directories(symboles);
    fs::copy_file(fs::path(TM_TEST_DATA) / "bath_plan.bmp", symboles / "bath.bmp");
    fs::copy_file(fs::path(TM_TEST_DATA) / "drawing_gray8.png", symboles / "drawing.v2.PNG");
    tmtest::Ecrit_fichier(symboles / "notes.txt", {'x'});
    ASSERT_EQ(Lance({"--make-models", symboles.string(), "modeles/neuf"}), 0) << erreurs;
    EXPECT_NE(sortie.find("bath.bmp -> modeles/neuf/bath.gxl ("), std::string::npos) << sortie;
    EXPECT_NE(sortie.find("2 models made, 0 failed"), std::string::npos) << sortie;
    std::vector<std::string> faits;
    for (const auto& e : fs::directory_iterator(dir / "modeles/neuf")) faits.push_back(e.path().filename().string());
    std::sort(faits.begin(), faits.end());
    // A BMP drawing goes beside its graph, for spotting to compare ink with;
    // the settings learnt from the drawings beside them.
    EXPECT_EQ(faits, (std::vector<std::string>{"bath.bmp", "bath.gxl", "drawing.v2.gxl", "reglages.txt"}));
    EXPECT_EQ(tmtest::Lit_fichier(dir / "modeles/neuf/bath.bmp"), tmtest::Lit_fichier(symboles / "bath.bmp"));

    // The model is exactly the matcher-variant graph of the command-line run.
    Parametres({{"Format_GXL", "1"}});
    ASSERT_EQ(Lance({(symboles / "bath.bmp").string()}), 0) << erreurs;
    const std::string attendu = Lit_texte(dir / "Rlignaxe.gxl");
    EXPECT_EQ(Lit_texte(dir / "modeles/neuf/bath.gxl"), attendu);

    // An image that cannot be read fails the run; the others are still made.
    tmtest::Ecrit_fichier(symboles / "casse.bmp", {'B', 'M', 0, 1});
    fs::remove_all(dir / "modeles");
    EXPECT_EQ(Lance({"--make-models", symboles.string(), "modeles"}), 1);
    EXPECT_TRUE(fs::exists(dir / "modeles/bath.gxl"));
    EXPECT_FALSE(fs::exists(dir / "modeles/casse.gxl"));
    EXPECT_NE(sortie.find("2 models made, 1 failed"), std::string::npos) << sortie;

    // A drawing of some 1200 separate bars makes a model beyond the
    // matchers' limits: it is still written, with a warning.
    std::vector<std::string> grille(640, std::string(420, '.'));
    for (int y = 10; y < 620; y += 20)
        for (int x = 10; x < 400; x += 10)
            for (int dy = 0; dy < 14; dy++) grille[static_cast<size_t>(y + dy)].replace(static_cast<size_t>(x), 4, "####");
    tmtest::Ecrit_fichier(symboles / "casse.bmp", tmtest::Bmp_1bit(420, 640, false, grille));
    Parametres({{"Force_morpho", "1"}});  // the stronger one would erase the thin bars
    EXPECT_EQ(Lance({"--make-models", symboles.string(), "modeles"}), 0) << erreurs;
    EXPECT_NE(erreurs.find("Warning: modeles/casse.gxl: 1209 nodes, more than the 1000 a matcher compares; "
                           "recognition will leave this model out"),
              std::string::npos) << erreurs << sortie;
    EXPECT_EQ(erreurs.find("bath.gxl"), std::string::npos) << erreurs;

    EXPECT_EQ(Lance({"--make-models", (dir / "absent").string(), "modeles"}), 1);
    EXPECT_EQ(Lance({"--make-models", symboles.string()}), 2);
}

}  // namespace
