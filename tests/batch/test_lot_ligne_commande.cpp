// The batch without a window, as a user starts it: the built program in a
// scratch current directory holding its own param.dat, images given by
// relative paths.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/batch/resultats_attendus.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;
using tmtest::Ecrit_chaine;
using tmtest::Execution;
using tmtest::kListeVide;
using tmtest::Lit_texte;
using tmtest::Resultats;

namespace {

const std::string kUsage = "Usage: tracemorph --batch [--jobs N] IMAGE...\n";

class LotLigneCommande : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::mt19937_64 rng(std::random_device{}());
        racine = fs::temp_directory_path() / ("tracemorph-lot-" + std::to_string(::getpid()) + "-" + std::to_string(rng()));
        courant = racine / "courant";
        tmp = racine / "tmp";
        fs::create_directories(courant / "img" / "sous");
        fs::create_directories(tmp);
        tmtest::Ecrit_param(courant, tmtest::Parametres_defaut());
    }
    void TearDown() override { fs::remove_all(racine); }

    // Copies a test image to courant/rel; returns rel.
    std::string Image(const std::string& donnee, const std::string& rel)
    {
        fs::copy_file(fs::path(TM_TEST_DATA) / donnee, courant / rel, fs::copy_options::overwrite_existing);
        return rel;
    }
    // The options, then the images.
    Execution Lance(std::vector<std::string> args, const std::vector<std::string>& images = {})
    {
        args.insert(args.end(), images.begin(), images.end());
        return tmtest::Lance_tracemorph(courant, args, {{"TMPDIR", tmp.string()}});
    }
    std::string Lot_resultats() { return Lit_texte(courant / "FINAL_RESULTS.GRE"); }
    // Every file the batch writes: the results file and all of img/.
    std::map<std::string, std::string> Fichiers_ecrits()
    {
        std::map<std::string, std::string> m;
        m["FINAL_RESULTS.GRE"] = Lot_resultats();
        for (const auto& e : fs::recursive_directory_iterator(courant / "img"))
            if (e.is_regular_file()) m[fs::relative(e.path(), courant).string()] = Lit_texte(e.path());
        return m;
    }
    void Efface_sorties()
    {
        fs::remove(courant / "FINAL_RESULTS.GRE");
        fs::remove(courant / "tmp.bmp");
        for (const auto& e : fs::recursive_directory_iterator(courant / "img")) {
            const std::string x = e.path().extension().string();
            if (x == ".dat" || x == ".gxl" || x == ".xml") fs::remove(e.path());
        }
    }

    fs::path racine, courant, tmp;
};

TEST_F(LotLigneCommande, ExitStatusesAndUsageErrors)
{
    const std::string a = Image("tiny_13x7.bmp", "img/a.bmp"), b = Image("tiny_13x7_blackfirst.bmp", "img/b.bmp");
    struct Cas {
        std::vector<std::string> args;
        int statut;
        std::string resultats;  // empty: no results file
    };
    const std::vector<Cas> cas = {
        {{"--batch"}, 0, Resultats({})},
        {{"--batch", a}, 0, Resultats({{"a", kListeVide}})},
        {{"--batch", "--jobs", "2", "--", a, "img/absent.bmp", b}, 1,
         Resultats({{"a", kListeVide}, {"absent", kListeVide}, {"b", kListeVide}})},
        {{"--batch", "--jobs=3", b, a}, 0, Resultats({{"b", kListeVide}, {"a", kListeVide}})},
        {{"--batch", "--jobs", "0", a}, 2, ""},
        {{"--batch", "--jobs"}, 2, ""},
        {{"--batch", "--jobs=2x", a}, 2, ""},
        {{"--batch", "--verbose", a}, 2, ""},
        {{"--gather", a, "img/jamais.bmp"}, 1, Resultats({{"a", kListeVide}, {"jamais", ""}})},
        // A list broken off inside a symbol is left out rather than spoil the file.
        {{"--gather", "img/coupee.bmp", a}, 1, Resultats({{"coupee", ""}, {"a", kListeVide}})},
    };
    Ecrit_chaine(courant / "img" / "coupee.bmp.xml", tmtest::Liste_etrangere(false));
    for (const Cas& c : cas) {
        std::string quoi;
        for (const auto& s : c.args) quoi += s + " ";
        SCOPED_TRACE(quoi);
        fs::remove(courant / "FINAL_RESULTS.GRE");
        const Execution r = Lance(c.args);
        EXPECT_EQ(r.statut, c.statut) << r.erreurs;
        EXPECT_EQ(r.erreurs.find("[1/"), std::string::npos);  // progress lines only on a terminal
        if (c.statut == 2) {
            EXPECT_EQ(r.erreurs.rfind(kUsage, 0), 0u) << r.erreurs;
            EXPECT_FALSE(fs::exists(courant / "FINAL_RESULTS.GRE"));
        } else {
            EXPECT_EQ(Lot_resultats(), c.resultats);
        }
    }
    const Execution aide = Lance({"--help"});
    EXPECT_EQ(aide.statut, 0);
    for (const char* ligne : {"Usage: tracemorph [IMAGE]\n", "       tracemorph --batch [--jobs N] IMAGE...\n",
                              "       tracemorph --gather IMAGE...\n", "Without IMAGE, opens the desktop window.\n",
                              "  --version  the program's version\n"})
        EXPECT_NE(aide.sortie.find(ligne), std::string::npos) << ligne;
}

TEST_F(LotLigneCommande, OnATerminalEachImageGetsItsProgressLine)
{
    if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "script (util-linux) is missing";
    Image("tiny_13x7.bmp", "img/a.bmp");
    Image("bath_plan.bmp", "img/b.bmp");
    for (const char* jobs : {"1", "2"}) {
        const std::string commande =
            std::string(TM_BUILD_DIR "/tracemorph --batch --jobs ") + jobs + " img/a.bmp img/b.bmp >/dev/null";
        const Execution r = tmtest::Lance_programme("script", courant, {"-qec", commande, "/dev/null"});
        EXPECT_EQ(r.statut, 0);
        const size_t un = r.sortie.find("[1/2] img/a.bmp\r\n"), deux = r.sortie.find("[2/2] img/b.bmp\r\n");
        EXPECT_TRUE(un < deux && deux != std::string::npos) << r.sortie;
    }
}

TEST_F(LotLigneCommande, WorkersGiveTheBytesOfOneProcessAndGatherRebuildsTheResults)
{
    const std::vector<std::string> images = {
        Image("bath_plan.bmp", "img/sous/bath.bmp"), Image("tiny_13x7.bmp", "img/a.bmp"),
        Image("drawing.gif", "img/drawing.gif"),     "img/absent.bmp",
        Image("relay_logic.bmp", "img/R&D \xC3\xA9.bmp"), "./img/a.bmp",
        Image("drawing_gray8.png", "img/sous/gris.png")};
    const Execution seul = Lance({"--batch"}, images);
    EXPECT_EQ(seul.statut, 1);  // the absent image
    const auto attendus = Fichiers_ecrits();
    EXPECT_EQ(attendus.size(), 1u + 5u + 3u * 6u);  // the duplicate writes the same files
    EXPECT_TRUE(tmtest::Xml_bien_forme(courant / "FINAL_RESULTS.GRE"));
    const std::string& gre = attendus.at("FINAL_RESULTS.GRE");
    EXPECT_NE(gre.find("<imagename>R&amp;D \xE9</imagename>"), std::string::npos);
    // Real drawings give symbols; without recognition each is named NONE.
    const auto compte = [&](const std::string& motif) {
        size_t n = 0;
        for (size_t p = gre.find(motif); p != std::string::npos; p = gre.find(motif, p + 1)) n++;
        return n;
    };
    EXPECT_GT(compte("<symbol>"), 0u);
    EXPECT_EQ(compte("<symbol>"), compte("<symbolname>NONE</symbolname>"));

    for (const char* jobs : {"2", "3"}) {
        SCOPED_TRACE(jobs);
        Efface_sorties();
        const Execution r = Lance({"--batch", "--jobs", jobs}, images);
        EXPECT_EQ(r.statut, seul.statut);
        EXPECT_TRUE(Fichiers_ecrits() == attendus);  // not printed: large
        // The log of each image is relayed in selection order (a repeated
        // image repeats the log of its first analysis), then the end.
        size_t p = 0;
        for (const std::string& image : images) {
            if (image == "./img/a.bmp") continue;
            const size_t q = r.sortie.find(image + "\n", p);
            EXPECT_NE(q, std::string::npos) << image;
            if (q != std::string::npos) p = q;
        }
        EXPECT_TRUE(r.sortie.size() >= 12 && r.sortie.substr(r.sortie.size() - 12) == "Batch done.\n") << r.sortie;
        EXPECT_TRUE(fs::is_empty(tmp));  // the workers' directories are gone
        EXPECT_FALSE(fs::exists(courant / "tmp.bmp"));
    }

    fs::remove(courant / "FINAL_RESULTS.GRE");
    const Execution g = Lance({"--gather"}, images);
    EXPECT_EQ(g.statut, 0) << g.erreurs;  // the absent image has its empty list too
    EXPECT_TRUE(Lot_resultats() == gre);
}

TEST_F(LotLigneCommande, AWorkerThatDiesFailsOnlyItsImage)
{
    // A converter that kills the worker which started it.
    const fs::path tueur = courant / "cxconvert";
    Ecrit_chaine(tueur, "#!/bin/sh\nkill -9 $PPID\n");
    fs::permissions(tueur, fs::perms::owner_all);
    const std::string a = Image("tiny_13x7.bmp", "img/a.bmp"), gif = Image("drawing.gif", "img/drawing.gif"),
                      b = Image("bath_plan.bmp", "img/b.bmp");
    Ecrit_chaine(courant / (gif + ".xml"), tmtest::Liste_etrangere(true));

    // The working directory's converter runs only when asked for.
    const Execution r = tmtest::Lance_tracemorph(courant, {"--batch", "--jobs", "2", a, gif, b},
                                                 {{"TMPDIR", tmp.string()}, {"TRACEMORPH_LOCAL_PROGRAMS", "1"}});
    EXPECT_EQ(r.statut, 1);
    EXPECT_NE(r.erreurs.find("img/drawing.gif: the worker was killed by signal 9"), std::string::npos) << r.erreurs;
    const std::string liste_b = Lit_texte(courant / (b + ".xml"));
    EXPECT_EQ(Lot_resultats(), Resultats({{"a", kListeVide}, {"drawing", ""}, {"b", liste_b}}));
    EXPECT_FALSE(fs::exists(courant / (gif + ".xml")));
    EXPECT_TRUE(fs::is_empty(tmp));
}

TEST_F(LotLigneCommande, SharesRunByGnuParallelThenGatheredGiveTheWholeBatch)
{
    if (std::system("command -v parallel >/dev/null 2>&1") != 0) GTEST_SKIP() << "GNU parallel is not installed";
    const std::vector<std::string> images = {Image("tiny_13x7.bmp", "img/a.bmp"), Image("bath_plan.bmp", "img/sous/bath.bmp"),
                                             Image("drawing.gif", "img/drawing.gif"),
                                             Image("tiny_13x7_blackfirst.bmp", "img/b.bmp")};
    ASSERT_EQ(Lance({"--batch"}, images).statut, 0);
    const auto attendus = Fichiers_ecrits();
    Efface_sorties();

    // The recipe: a list, split into two shares, each run by the share
    // script through GNU parallel's remote machinery (here on this machine).
    std::string liste;
    for (const std::string& image : images) liste += image + "\n";
    Ecrit_chaine(courant / "list.txt", liste);
    ASSERT_EQ(tmtest::Lance_programme("split", courant, {"-n", "r/2", "-d", "list.txt", "share."}).statut, 0);
    const Execution p = tmtest::Lance_programme(
        "parallel", courant,
        {"--will-cite", "--sshlogin", "2/:", "--workdir", ".", TM_SOURCE_DIR "/scripts/batch-share.sh", "{}", "2", ":::",
         "share.00", "share.01"},
        {{"TRACEMORPH", TM_BUILD_DIR "/tracemorph"}, {"TMPDIR", tmp.string()}});
    EXPECT_EQ(p.statut, 0) << p.erreurs;
    EXPECT_TRUE(fs::exists(courant / "part.share.01" / "param.dat"));
    EXPECT_EQ(Lance({"--gather"}, images).statut, 0);
    EXPECT_TRUE(Fichiers_ecrits() == attendus);
}

}  // namespace
