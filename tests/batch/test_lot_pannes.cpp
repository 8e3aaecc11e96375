// A batch on a bad day: interrupted, a worker killed while its matcher
// runs, a log that cannot be opened, thresholds that cannot be read. The
// results never lie: the run fails, and no file is left cut short.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

class LotPannes : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::mt19937_64 rng(std::random_device{}());
        racine = fs::temp_directory_path() / ("tracemorph-pannes-" + std::to_string(::getpid()) + "-" + std::to_string(rng()));
        courant = racine / "courant";
        tmp = racine / "tmp";
        fs::create_directories(courant / "img");
        fs::create_directories(tmp);
        params = tmtest::Parametres_defaut();
        tmtest::Ecrit_param(courant, params);
    }
    void TearDown() override { fs::remove_all(racine); }

    std::string Image(const std::string& donnee, const std::string& rel)
    {
        fs::copy_file(fs::path(TM_TEST_DATA) / donnee, courant / rel, fs::copy_options::overwrite_existing);
        return rel;
    }
    void Programme(const fs::path& chemin, const std::string& corps)
    {
        fs::create_directories(chemin.parent_path());
        Ecrit_chaine(chemin, "#!/bin/sh\n" + corps);
        fs::permissions(chemin, fs::perms::owner_all);
    }
    Execution Lance(const std::vector<std::string>& args, std::vector<std::pair<std::string, std::string>> env = {})
    {
        env.push_back({"TMPDIR", tmp.string()});
        env.push_back({"TRACEMORPH_LOCAL_PROGRAMS", "1"});  // the converter and matchers of courant
        return tmtest::Lance_tracemorph(courant, args, env);
    }
    // No temporary file is left, and every results file there is XML.
    void Fichiers_complets()
    {
        for (const auto& e : fs::recursive_directory_iterator(courant)) {
            const std::string nom = e.path().filename().string();
            EXPECT_FALSE(nom.size() > 4 && nom.substr(nom.size() - 4) == ".tmp") << e.path();
            const std::string x = e.path().extension().string();
            if (x == ".xml" || x == ".gxl" || nom == "FINAL_RESULTS.GRE") {
                EXPECT_TRUE(tmtest::Xml_bien_forme(e.path())) << e.path();
            }
        }
    }

    fs::path racine, courant, tmp;
    std::map<std::string, std::string> params;
};

// The converter of the second image sends SIGTERM to the batch (the
// process itself, or the parent of its worker). The previous results file
// stays, no file is cut, and the user learns what was done and what to do.
TEST_F(LotPannes, AnInterruptedBatchLeavesThePreviousResultsAndSaysHowToGather)
{
    Programme(courant / "cxconvert",
              "p=$PPID\n"
              "if tr '\\0' '\\n' < /proc/$p/cmdline | grep -qx -- --batch-worker; then p=$(cut -d' ' -f4 /proc/$p/stat); fi\n"
              "kill -TERM $p\nsleep 1\nexit 1\n");
    const std::vector<std::string> images = {Image("tiny_13x7.bmp", "img/a.bmp"), Image("drawing.gif", "img/drawing.gif"),
                                             Image("tiny_13x7_blackfirst.bmp", "img/c.bmp")};
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        const std::string precedent = Resultats({{"previous", kListeVide}});
        Ecrit_chaine(courant / "FINAL_RESULTS.GRE", precedent);
        std::vector<std::string> args = {"--batch", "--jobs", jobs};
        args.insert(args.end(), images.begin(), images.end());
        const Execution r = Lance(args);
        EXPECT_EQ(r.statut, 128 + SIGTERM) << r.erreurs;
        const std::string fait = std::string(jobs) == "1" ? "after 1 of 3 images" : " of 3 images";
        EXPECT_NE(r.erreurs.find("tracemorph: batch interrupted " + (std::string(jobs) == "1" ? fait : "after ")),
                  std::string::npos) << r.erreurs;
        EXPECT_NE(r.erreurs.find(fait + "; FINAL_RESULTS.GRE is left as it was. The files of the images done are "
                                        "complete: tracemorph --gather with those images rebuilds it from them.\n"),
                  std::string::npos) << r.erreurs;
        EXPECT_EQ(Lit_texte(courant / "FINAL_RESULTS.GRE"), precedent);
        if (std::string(jobs) == "1") {
            EXPECT_EQ(Lit_texte(courant / "img/a.bmp.xml"), kListeVide);
        }
        Fichiers_complets();
    }
}

// The matcher kills its worker, then lives on. It must hold neither of the
// worker's pipes (its input is /dev/null), so the batch learns of the death
// at once: the image fails and the run ends while the matcher still sleeps.
TEST_F(LotPannes, AWorkerKilledDuringRecognitionFailsItsImageAtOnce)
{
    params["Bool_reco"] = "3";
    tmtest::Ecrit_param(courant, params);
    fs::create_directories(courant / "models");
    fs::copy_file(fs::path(TM_TEST_DATA) / "stored" / "bath_plan" / "Rlignaxe.matcher.gxl", courant / "models" / "m.gxl");
    const std::string d = courant.string();
    Programme(courant / "simgraph" / "greedy",
              "for f in 0 3 4 5; do printf '%s ' $f; readlink /proc/$$/fd/$f; echo; done > '" + d + "/fds.txt'\n"
              "sleep 30 & echo $! > '" + d + "/pid.txt'\n"
              "kill -9 $PPID\nwait\ntouch '" + d + "/fini.txt'\n");
    const std::string a = Image("tiny_13x7.bmp", "img/a.bmp"), b = Image("bath_plan.bmp", "img/b.bmp");
    const Execution r = Lance({"--batch", "--jobs", "2", b, a});
    const bool fini = fs::exists(courant / "fini.txt");
    const std::string pid = Lit_texte(courant / "pid.txt");
    if (!pid.empty()) ::kill(std::stoi(pid), SIGKILL);
    EXPECT_FALSE(fini);  // the batch did not wait for the matcher
    EXPECT_EQ(r.statut, 1) << r.erreurs;
    EXPECT_NE(r.erreurs.find("img/b.bmp: the worker was killed by signal 9"), std::string::npos) << r.erreurs;
    const std::string fds = Lit_texte(courant / "fds.txt");
    EXPECT_EQ(fds, "0 /dev/null\n\n3 \n4 \n5 \n") << fds;
    EXPECT_EQ(Lit_texte(courant / "FINAL_RESULTS.GRE"), Resultats({{"b", ""}, {"a", kListeVide}}));
    Fichiers_complets();
}

// The worker cannot open the messages file of the second image (a full
// $TMPDIR): that image fails with the reason on the batch's stderr instead of
// its messages landing in the first image's log; the others are done.
TEST_F(LotPannes, ALogThatCannotBeOpenedFailsItsImage)
{
    const std::vector<std::string> images = {Image("tiny_13x7.bmp", "img/a.bmp"), Image("tiny_13x7_blackfirst.bmp", "img/b.bmp"),
                                             Image("tiny_13x7.bmp", "img/c.bmp")};
    std::vector<std::string> args = {"--batch", "--jobs", "2"};
    args.insert(args.end(), images.begin(), images.end());
    // Under the address sanitizer, its runtime must accept a library loaded before it.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string options = std::string(asan && *asan ? asan : "") + (asan && *asan ? ":" : "") +
                                "verify_asan_link_order=0";
    const Execution r = Lance(args, {{"LD_PRELOAD", TM_ECHEC_OUVERTURE}, {"TM_ECHEC_OUVERTURE", "/1.err"},
                                     {"ASAN_OPTIONS", options}});
    EXPECT_EQ(r.statut, 1) << r.erreurs;
    EXPECT_NE(r.erreurs.find("tracemorph: img/b.bmp: the worker could not open its log in "), std::string::npos) << r.erreurs;
    EXPECT_NE(r.erreurs.find("(No space left on device); the image was not analysed"), std::string::npos) << r.erreurs;
    EXPECT_EQ(Lit_texte(courant / "FINAL_RESULTS.GRE"), Resultats({{"a", kListeVide}, {"b", ""}, {"c", kListeVide}}));
    EXPECT_FALSE(fs::exists(courant / "img/b.bmp.xml"));
    Fichiers_complets();
}

// A threshold the run uses that cannot be read, or cannot work, is named on
// stderr; the files are still written, and the run exits 1.
TEST_F(LotPannes, AFaultyThresholdFailsTheRunThatUsedIt)
{
    struct Cas {
        const char* cle;
        const char* valeur;  // null: the key is missing
        const char* message;
    };
    const Cas cas[] = {
        {"Force_morpho", nullptr, "Erreur: Parametre inconnu !\nparam.dat: Force_morpho: no such key\n"},
        {"EpsV", "0", ": EpsV: '0' must be positive\n"},
    };
    const std::string a = Image("bath_plan.bmp", "img/a.bmp");
    for (const Cas& c : cas) {
        auto p = params;
        if (c.valeur) p[c.cle] = c.valeur;
        else p.erase(c.cle);
        tmtest::Ecrit_param(courant, p);
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {a}, {"--batch", a}, {"--batch", "--jobs", "2", a, "img/absent.bmp"}}) {
            SCOPED_TRACE(std::string(c.cle) + " " + args[0] + " " + std::to_string(args.size()));
            fs::remove(courant / "FINAL_RESULTS.GRE");
            fs::remove(courant / "Rlignaxe.gxl");
            const Execution r = Lance(args);
            EXPECT_EQ(r.statut, 1) << r.erreurs;
            EXPECT_NE(r.erreurs.find(c.message), std::string::npos) << r.erreurs;
            EXPECT_TRUE(fs::exists(courant / (args.size() == 1 ? "Rlignaxe.gxl" : "FINAL_RESULTS.GRE")));
            Fichiers_complets();
        }
    }
}

}  // namespace
