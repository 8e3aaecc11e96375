// The batch command and the complete analysis, in the process, with the file
// dialog's answer given by the test.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "port/shell.h"
#include "batch/batch.h"
#include "batch/resultats_lot.h"
#include "vecto/arcs.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "image/planes.h"
#include "tests/batch/resultats_attendus.h"
#include "tests/support/support.h"
#include "vecto/records.h"

namespace fs = std::filesystem;
using tmtest::kListeVide;
using tmtest::Lit_texte;
using tmtest::Resultats;

namespace {

class FrontendChoix : public FrontendEnregistreur {
public:
    std::optional<std::vector<std::string>> choix;  // none: the dialog is cancelled
    int dialogues = 0;
    std::vector<std::tuple<int, int, std::string, EtatProgression>> fins;
    bool choose_images(std::vector<std::string>& files) override
    {
        dialogues++;
        if (choix) files = *choix;
        return choix.has_value();
    }
    void batch_image_done(int done, int total, std::string_view image) override
    {
        fins.emplace_back(done, total, std::string(image), Progression());
    }
};

class Lot : public tmtest::Environnement {
protected:
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        Installe_frontend(&choix);
        fs::create_directories(dir / "img");
        ::unsetenv("TRACEMORPH_PARTICIPANT");
    }
    void TearDown() override
    {
        ::unsetenv("TRACEMORPH_PARTICIPANT");
        tmtest::Environnement::TearDown();
    }
    // A tiny drawing without quadrilaterals under img/, as `nom`.
    std::string Petite_image(const std::string& nom)
    {
        const fs::path p = dir / "img" / nom;
        fs::copy_file(fs::path(TM_TEST_DATA) / "tiny_13x7.bmp", p, fs::copy_options::overwrite_existing);
        return p.string();
    }
    std::string Lot_resultats() { return Lit_texte(dir / "FINAL_RESULTS.GRE"); }
    FrontendChoix choix;
};

TEST(NomImageLot, DropsTheDirectoryAndOnlyTheLastExtension)
{
    const std::vector<std::pair<std::string, std::string>> cas = {
        {"/data/plan12.bmp", "plan12"}, {"rel/a.b.tif", "a.b"}, {"scan.tiff", "scan"}, {"photo.jpeg", "photo"},
        {"dir.d/sans", "sans"},         {"/x/.bmp", ".bmp"},    {"a.", "a"},           {"ab", "ab"}};
    for (const auto& [chemin, nom] : cas) EXPECT_EQ(Nom_image_lot(chemin), nom) << chemin;
}

TEST_F(Lot, ResultsFileHoldsOneEntryPerImageInSelectionOrder)
{
    struct Cas {
        const char* quoi;
        std::optional<std::vector<std::string>> fichiers;  // under img/; none = cancelled
        std::vector<std::string> absents;                  // of those, the ones not created
        const char* participant;                           // null: unset
        std::vector<std::pair<std::string, std::string>> entrees;
        std::string participant_ecrit;
        int statut;
    };
    const std::vector<Cas> cas = {
        {"cancelled", std::nullopt, {}, nullptr, {}, "anonymous", 0},
        {"a failing image", std::vector<std::string>{"a.bmp", "absent.bmp", "c.bmp"}, {"absent.bmp"}, nullptr,
         {{"a", kListeVide}, {"absent", kListeVide}, {"c", kListeVide}}, "anonymous", 1},
        {"names to escape and to recode",
         std::vector<std::string>{"R&D <1>.bmp", "\xC3\xA9t\xC3\xA9.bmp", "\xE9t\xE9.bmp", "\xE6\x97\xA5.bmp", "scan.tiff"},
         {}, "Zo\xC3\xA9 & <co>",
         {{"R&amp;D &lt;1&gt;", kListeVide}, {"\xE9t\xE9", kListeVide}, {"\xE9t\xE9", kListeVide}, {"?", kListeVide},
          {"scan", kListeVide}},
         "Zo\xE9 &amp; &lt;co&gt;", 0},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.quoi);
        fs::remove_all(dir / "img");
        fs::create_directories(dir / "img");
        choix.fins.clear();
        choix.boites.clear();
        if (c.participant) ::setenv("TRACEMORPH_PARTICIPANT", c.participant, 1);
        else ::unsetenv("TRACEMORPH_PARTICIPANT");
        choix.choix.reset();
        if (c.fichiers) {
            choix.choix.emplace();
            for (const std::string& f : *c.fichiers) {
                const bool absent = std::find(c.absents.begin(), c.absents.end(), f) != c.absents.end();
                choix.choix->push_back(absent ? (dir / "img" / f).string() : Petite_image(f));
            }
        }
        EXPECT_EQ(OuvrirLot1Click(), c.statut);
        EXPECT_EQ(Lot_resultats(), Resultats(c.entrees, c.participant_ecrit));
        EXPECT_TRUE(tmtest::Xml_bien_forme(dir / "FINAL_RESULTS.GRE"));
        EXPECT_EQ(Texte_log(), "\nBatch done.");
        const size_t n = c.fichiers ? c.fichiers->size() : 0;
        ASSERT_EQ(choix.fins.size(), n);
        for (size_t i = 0; i < n; i++) {
            const auto& [rang, total, image, prog] = choix.fins[i];
            const int k = static_cast<int>(i + 1), nb = static_cast<int>(n);
            EXPECT_TRUE(rang == k && total == nb && image == (*choix.choix)[i]) << image;
            // The bar counts the images; the last one completes and hides it.
            EXPECT_TRUE(prog.minimum == 0 && prog.maximum == nb && prog.position == (k < nb ? k : 0)
                        && prog.visible == (k < nb)) << k;
            for (const char* suffixe : {".dat", ".gxl", ".xml"})
                EXPECT_TRUE(fs::exists(image + suffixe)) << image << suffixe;
            EXPECT_EQ(Lit_texte(image + ".xml"), kListeVide);
        }
        EXPECT_EQ(choix.boites.size(), c.absents.size());  // the loader's message, nothing else
        EXPECT_TRUE(Plan_courant == nullptr && Liste_vecteurs == nullptr);
    }
}

TEST_F(Lot, SymbolListsOfAnEarlierRunNeverStandForAnImage)
{
    const std::string absent = (dir / "img" / "absent.bmp").string(), present = Petite_image("a.bmp");
    for (const std::string& f : {(dir / "tmpsymb.gxl").string(), absent + ".xml", present + ".xml"})
        tmtest::Ecrit_chaine(f, tmtest::Liste_etrangere(true));
    choix.choix = std::vector<std::string>{absent, present};
    EXPECT_EQ(OuvrirLot1Click(), 1);
    EXPECT_EQ(Lot_resultats(), Resultats({{"absent", kListeVide}, {"a", kListeVide}}));
    EXPECT_EQ(Lit_texte(absent + ".xml"), kListeVide);
    EXPECT_EQ(Lit_texte(present + ".xml"), kListeVide);
}

TEST_F(Lot, ResultsFileThatCannotBeCreatedStopsTheBatch)
{
    fs::create_directory(dir / "FINAL_RESULTS.GRE");
    choix.choix = std::vector<std::string>{Petite_image("a.bmp")};
    EXPECT_EQ(OuvrirLot1Click(), 1);
    ASSERT_EQ(choix.boites.size(), 1u);
    EXPECT_EQ(choix.boites[0].texte,
              "Ouverture impossible de resultfinal!\n" + (dir / "FINAL_RESULTS.GRE").string() + ": Is a directory");
    EXPECT_EQ(choix.boites[0].titre, "Erreur");
    EXPECT_EQ(choix.dialogues, 0);
    EXPECT_FALSE(fs::exists(dir / "img" / "a.bmp.dat"));
}

TEST_F(Lot, CompleteAnalysisRunsTheStepsOfItsModeOnce)
{
    const std::string image = (fs::path(TM_TEST_DATA) / "bath_plan.bmp").string();
    Open(image);
    Complete_analysis(1);
    EXPECT_TRUE(Liste_vecteurs && Nb_quads > 0 && !Liste_arcs_VV);
    Open(image);
    Complete_analysis(2);
    EXPECT_TRUE(Liste_arcs_VV && Liste_arcs_QQ);

    // The button on an image already vectorised, and without an image: only
    // the end beep.
    const std::string log = Texte_log();
    const int quads = Nb_quads, bips = choix.bips_fin;
    CyclesB1Click();
    EXPECT_TRUE(Texte_log() == log && Nb_quads == quads && choix.bips_fin == bips + 1);
    Ferme_image();
    CyclesB1Click();
    EXPECT_TRUE(Nb_quads == 0 && choix.bips_fin == bips + 2);

    // On a fresh image it clears the log and runs everything.
    Open(image);
    Efface_texte();
    Ecrit_texte(1, "avant");
    CyclesB1Click();
    EXPECT_TRUE(Texte_log().find("avant") == std::string::npos && Nb_quads > 0 && Liste_arcs_QQ);
}

}  // namespace
