// The batch against what a hostile or unlucky folder holds: links planted
// at result names, programs planted in the working directory, leftovers of
// runs killed outright, a full disk, images that failed before a resume.
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/batch/resultats_attendus.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;
using tmtest::Ecrit_chaine;
using tmtest::Execution;
using tmtest::Lit_texte;

namespace {

class LotAttaques : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::mt19937_64 rng(std::random_device{}());
        racine = fs::temp_directory_path() / ("tracemorph-att-" + std::to_string(::getpid()) + "-" + std::to_string(rng()));
        courant = racine / "courant";
        tmp = racine / "tmp";
        fs::create_directories(courant / "img");
        fs::create_directories(tmp);
        tmtest::Ecrit_param(courant, tmtest::Parametres_defaut());
        fs::copy_file(fs::path(TM_TEST_DATA) / "bath_plan.bmp", courant / "img" / "a.bmp");
        fs::copy_file(fs::path(TM_TEST_DATA) / "tiny_13x7.bmp", courant / "img" / "b.bmp");
    }
    void TearDown() override { fs::remove_all(racine); }

    Execution Lance(std::vector<std::string> args, std::vector<std::pair<std::string, std::string>> env = {})
    {
        env.emplace_back("TMPDIR", tmp.string());
        return tmtest::Lance_tracemorph(courant, args, env);
    }
    static std::string Bilan(const Execution& r)
    {
        const size_t p = r.erreurs.rfind('\n', r.erreurs.size() >= 2 ? r.erreurs.size() - 2 : 0);
        return r.erreurs.substr(p == std::string::npos ? 0 : p + 1);
    }
    void Apparieur(const std::string& corps)
    {
        fs::create_directories(courant / "simgraph");
        Ecrit_chaine(courant / "simgraph" / "auction", "#!/bin/sh\n[ \"$1\" = --identify ] && exit 1\n" + corps);
        fs::permissions(courant / "simgraph" / "auction", fs::perms::owner_all);
    }

    fs::path racine, courant, tmp;
};

// A pid that no longer runs.
pid_t Pid_mort()
{
    const pid_t p = ::fork();
    if (p == 0) ::_exit(0);
    ::waitpid(p, nullptr, 0);
    return p;
}

// Links planted at the result names are replaced, never written through;
// a device named explicitly is still written.
TEST_F(LotAttaques, LinksAtResultNamesAreReplacedNotFollowed)
{
    const fs::path victime = racine / "victime";
    Ecrit_chaine(victime, "precious\n");
    for (const char* nom : {"FINAL_RESULTS.GRE", "img/a.bmp.gxl", "img/b.bmp.xml", "img/b.bmp.dat"})
        fs::create_symlink(victime, courant / nom);
    fs::create_symlink(racine / "absent", courant / "img" / "a.bmp.dat");  // dangling
    const Execution r = Lance({"--batch", "--json", "/dev/stdout", "img/a.bmp", "img/b.bmp"});
    EXPECT_EQ(r.statut, 0) << r.erreurs;
    EXPECT_EQ(Lit_texte(victime), "precious\n");
    EXPECT_FALSE(fs::exists(racine / "absent"));
    for (const char* nom : {"FINAL_RESULTS.GRE", "img/a.bmp.gxl", "img/b.bmp.xml", "img/b.bmp.dat", "img/a.bmp.dat"}) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(courant / nom))) << nom;
        EXPECT_FALSE(Lit_texte(courant / nom).empty()) << nom;
    }
    EXPECT_NE(r.sortie.find("\"images\": ["), std::string::npos) << r.sortie;  // the JSON went to stdout
}

// The working directory's programs run only when asked for, whatever the
// layout; a program found nowhere is named with where it was looked for.
TEST_F(LotAttaques, ProgramsOfTheWorkingDirectoryRunOnlyWhenAskedFor)
{
    fs::copy_file(fs::path(TM_TEST_DATA) / "drawing.gif", courant / "img" / "c.gif");
    const fs::path marque = racine / "lance";
    Ecrit_chaine(courant / "cxconvert", "#!/bin/sh\ntouch " + marque.string() + "\nexit 1\n");
    fs::permissions(courant / "cxconvert", fs::perms::owner_all);
    const Execution installe = Lance({"-q", "img/c.gif"});
    EXPECT_EQ(installe.statut, 0) << installe.erreurs;
    EXPECT_FALSE(fs::exists(marque));

    // A bare copy of the program: nothing beside it.
    const fs::path copie = racine / "nu" / "tracemorph";
    fs::create_directories(copie.parent_path());
    fs::copy_file(TM_BUILD_DIR "/tracemorph", copie);
    const Execution nu = tmtest::Lance_programme(copie.string(), courant, {"-q", "img/c.gif"});
    EXPECT_EQ(nu.statut, 1);
    EXPECT_FALSE(fs::exists(marque));
    EXPECT_NE(nu.erreurs.find("cxconvert not found: looked for " + copie.parent_path().string() + "/cxconvert (" +
                              (courant / "cxconvert").string() + " is used only with TRACEMORPH_LOCAL_PROGRAMS=1)"),
              std::string::npos)
        << nu.erreurs;

    const Execution demande = Lance({"-q", "img/c.gif"}, {{"TRACEMORPH_LOCAL_PROGRAMS", "1"}});
    EXPECT_EQ(demande.statut, 1);
    EXPECT_TRUE(fs::exists(marque));
}

// What runs killed outright left is removed when its process is gone, and
// said; what a live process may still be writing stays.
TEST_F(LotAttaques, LeftoversOfKilledRunsAreRemoved)
{
    const std::string mort = std::to_string(Pid_mort()), vivant = std::to_string(::getpid());
    const std::vector<fs::path> restes = {courant / (".FINAL_RESULTS.GRE." + mort + ".tmp"),
                                          courant / "img" / (".a.bmp.dat." + mort + ".tmp"),
                                          courant / "img" / (".b.bmp.xml." + mort + ".tmp")};
    const std::vector<fs::path> gardes = {courant / (".FINAL_RESULTS.GRE." + vivant + ".tmp"),
                                          courant / "img" / (".autre.dat." + mort + ".tmp"),
                                          tmp / ("tracemorph-batch-" + vivant + "-abcdef")};
    for (const fs::path& p : restes) Ecrit_chaine(p, "cut short");
    for (const fs::path& p : gardes) Ecrit_chaine(p, "someone's");
    fs::create_directories(tmp / ("tracemorph-batch-" + mort + "-Xy12Zw") / "w0");
    const Execution r = Lance({"--batch", "--resume", "img/a.bmp", "img/b.bmp"});
    EXPECT_EQ(r.statut, 0) << r.erreurs;
    EXPECT_NE(r.erreurs.find("tracemorph: removed 4 leftovers of earlier runs that were killed: "), std::string::npos)
        << r.erreurs;
    for (const fs::path& p : restes) EXPECT_FALSE(fs::exists(p)) << p;
    EXPECT_FALSE(fs::exists(tmp / ("tracemorph-batch-" + mort + "-Xy12Zw")));
    for (const fs::path& p : gardes) EXPECT_TRUE(fs::exists(p)) << p;
}

// A list that cannot be rewritten (full disk) keeps the earlier one, the
// failure names the file and the cause, the entry is not the earlier list's;
// a results file that cannot be written is not named as written.
TEST_F(LotAttaques, AFullDiskLosesNothingAndTheSummaryNamesOnlyWhatWasWritten)
{
    // Under the address sanitizer, its runtime must accept a library loaded before it.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string options =
        std::string(asan && *asan ? asan : "") + (asan && *asan ? ":" : "") + "verify_asan_link_order=0";
    auto plein = [&](const char* nom) -> std::vector<std::pair<std::string, std::string>> {
        return {{"LD_PRELOAD", TM_ECHEC_OUVERTURE}, {"TM_ECHEC_OUVERTURE", nom}, {"ASAN_OPTIONS", options}};
    };
    ASSERT_EQ(Lance({"-q", "--batch", "img/a.bmp", "img/b.bmp"}).statut, 0);
    const std::string liste = Lit_texte(courant / "img/a.bmp.xml");
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(std::string("jobs ") + jobs);
        const Execution r = Lance({"-q", "--batch", "--jobs", jobs, "img/a.bmp", "img/b.bmp"}, plein("~/.a.bmp.xml."));
        EXPECT_EQ(r.statut, 1);
        EXPECT_EQ(Lit_texte(courant / "img/a.bmp.xml"), liste);
        EXPECT_NE(r.erreurs.find("img/a.bmp.xml: No space left on device"), std::string::npos) << r.erreurs;
        const std::string gre = Lit_texte(courant / "FINAL_RESULTS.GRE");
        EXPECT_NE(gre.find("<imagename>a</imagename></imageresult>"), std::string::npos) << gre;
        EXPECT_EQ(Bilan(r).rfind("2 images (1 failed), ", 0), 0u) << Bilan(r);
        EXPECT_NE(Bilan(r).find("-> FINAL_RESULTS.GRE"), std::string::npos) << Bilan(r);
    }
    const Execution r = Lance({"-q", "--batch", "img/a.bmp"}, plein("~/.FINAL_RESULTS.GRE."));
    EXPECT_EQ(r.statut, 1);
    EXPECT_NE(r.erreurs.find("FINAL_RESULTS.GRE: No space left on device"), std::string::npos) << r.erreurs;
    EXPECT_NE(Bilan(r).find("(FINAL_RESULTS.GRE not written)"), std::string::npos) << Bilan(r);
}

// A resumed batch analyses again every image that failed and every image
// whose list cannot be read back; its counts agree with the results file.
TEST_F(LotAttaques, ResumeRedoesFailedAndUnreadableImages)
{
    auto p = tmtest::Parametres_defaut();
    p["Bool_reco"] = "11";
    p["Seuil_ScoreQ"] = "0.35";
    p["distZI"] = "55";
    tmtest::Ecrit_param(courant, p);
    fs::create_directories(courant / "models");
    fs::copy_file(fs::path(TM_TEST_DATA) / "models" / "resistor.gxl", courant / "models" / "resistor.gxl");
    const std::vector<std::pair<std::string, std::string>> local = {{"TRACEMORPH_LOCAL_PROGRAMS", "1"}};
    Apparieur("echo 'no licence' >&2\nexit 1\n");
    const Execution echec = Lance({"-q", "--batch", "img/a.bmp", "img/b.bmp"}, local);
    EXPECT_EQ(echec.statut, 1);
    // The matcher's message quoted once, in the failure's line.
    size_t fois = 0;
    for (size_t q = echec.erreurs.find("no licence"); q != std::string::npos; q = echec.erreurs.find("no licence", q + 1))
        fois++;
    EXPECT_GE(fois, 1u);
    EXPECT_EQ(echec.erreurs.find("\nno licence\n"), std::string::npos) << echec.erreurs;

    Apparieur("printf 'S = 0.9\\nM = x\\n' > result.txt\n");
    const Execution reprise = Lance({"-q", "--batch", "--resume", "img/a.bmp", "img/b.bmp"}, local);
    EXPECT_EQ(reprise.statut, 0) << reprise.erreurs;
    EXPECT_EQ(Bilan(reprise).rfind("2 images (0 failed, 1 up to date), ", 0), 0u) << Bilan(reprise);
    EXPECT_NE(Lit_texte(courant / "img/a.bmp.xml").find("<symbolname>resistor</symbolname>"), std::string::npos);

    // A damaged list is analysed again.
    Ecrit_chaine(courant / "img/b.bmp.xml", "\n<symbolist>\n");
    fs::last_write_time(courant / "img/b.bmp.xml", fs::file_time_type::clock::now());
    const Execution abime = Lance({"-q", "--batch", "--resume", "img/a.bmp", "img/b.bmp"}, local);
    EXPECT_EQ(abime.statut, 0) << abime.erreurs;
    EXPECT_EQ(Bilan(abime).rfind("2 images (0 failed, 1 up to date), ", 0), 0u) << Bilan(abime);
    EXPECT_EQ(Lit_texte(courant / "img/b.bmp.xml"), tmtest::kListeVide);
}

// Models that cannot be read are named once per run, by their path in the
// user's folder, with one worker or two; a pipe among them blocks nothing;
// recognition without models is refused.
TEST_F(LotAttaques, BrokenModelsAreNamedOncePerRunAndAPipeBlocksNothing)
{
    auto p = tmtest::Parametres_defaut();
    p["Bool_reco"] = "11";
    tmtest::Ecrit_param(courant, p);
    fs::copy_file(courant / "img/a.bmp", courant / "img/c.bmp");
    const Execution sans = Lance({"-q", "--batch", "img/a.bmp"});
    EXPECT_EQ(sans.statut, 1);
    EXPECT_EQ(sans.erreurs, "tracemorph: Bool_reco is 11 but " + courant.string() +
                                "/models is no directory of models (tracemorph --make-models SYMBOL_DIR models makes "
                                "one; Bool_reco 0 switches recognition off)\n");

    const fs::path modeles = courant / "models";
    fs::create_directories(modeles);
    fs::copy_file(fs::path(TM_TEST_DATA) / "models" / "resistor.gxl", modeles / "resistor.gxl");
    Ecrit_chaine(modeles / "casse.gxl", "<gxl><graph id=\"g\"><node id=");
    ASSERT_EQ(::mkfifo((modeles / "tube.gxl").c_str(), 0600), 0);
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(std::string("jobs ") + jobs);
        const Execution r = Lance({"-q", "--batch", "--jobs", jobs, "img/a.bmp", "img/b.bmp", "img/c.bmp"});
        EXPECT_EQ(r.statut, 0) << r.erreurs;
        for (const char* nom : {"casse.gxl", "tube.gxl"}) {
            const std::string chemin = (modeles / nom).string() + " left out: ";
            size_t fois = 0;
            for (size_t q = r.erreurs.find(chemin); q != std::string::npos; q = r.erreurs.find(chemin, q + 1)) fois++;
            EXPECT_EQ(fois, 1u) << nom << "\n" << r.erreurs;
        }
        EXPECT_EQ(r.erreurs.find(tmp.string()), std::string::npos) << r.erreurs;
    }
}

// Crafted param.dat files through the batch: each message names the file
// and the line, and the run fails; what is no file is refused before any work.
TEST_F(LotAttaques, CraftedParamFilesFailTheRunWithFileAndLine)
{
    struct Cas {
        const char* quoi;
        std::function<void()> prepare;
        std::string message;
        int statut;
    };
    const fs::path param = courant / "param.dat";
    auto ecrit = [&](const char* cle, const std::string& valeur) {
        return [&, cle, valeur] {
            auto p = tmtest::Parametres_defaut();
            p[cle] = valeur;
            tmtest::Ecrit_param(courant, p);
        };
    };
    const Cas cas[] = {
        {"method 7", ecrit("Methode_spotting", "7"), ": Methode_spotting: '7' must be 0 or 1\n", 1},
        {"past INT_MAX", ecrit("distZI", "99999999999"), ": distZI: '99999999999' is too large (at most 2147483647)\n", 1},
        {"309 digits", ecrit("distZI", std::string(309, '9')), ": distZI: '99999999999999999999...' (309 characters) is too large", 1},
        {"a pipe", [&] { fs::remove(param); ASSERT_EQ(::mkfifo(param.c_str(), 0600), 0); },
         "tracemorph: " + param.string() + " is a named pipe (FIFO), not a file: refused\n", 1},
        {"a directory", [&] { fs::remove(param); fs::create_directory(param); },
         "tracemorph: " + param.string() + " is a directory, not a file: refused\n", 1},
    };
    for (const Cas& c : cas) {
        for (const char* jobs : {"1", "2"}) {
            SCOPED_TRACE(std::string(c.quoi) + ", jobs " + jobs);
            fs::remove_all(param);
            c.prepare();
            const Execution r = Lance({"-q", "--batch", "--jobs", jobs, "img/a.bmp", "img/b.bmp"});
            EXPECT_EQ(r.statut, c.statut);
            const size_t p = r.erreurs.find(c.message);
            ASSERT_NE(p, std::string::npos) << r.erreurs;
            if (c.message[0] == ':') {  // "param.dat:LINE" before it
                size_t d = p;
                while (d > 0 && std::isdigit(static_cast<unsigned char>(r.erreurs[d - 1]))) d--;
                EXPECT_TRUE(d < p && d >= 10 && r.erreurs.compare(d - 10, 10, "param.dat:") == 0) << r.erreurs;
            }
            EXPECT_TRUE(fs::is_empty(tmp));
        }
    }
}

// Methode_spotting 1 names the symbols in-process: an outside matcher
// installed for Methode_spotting 0 is said to be left, once, and not started.
TEST_F(LotAttaques, MethodOneSaysItLeavesTheOutsideMatcher)
{
    auto p = tmtest::Parametres_defaut();
    p["Bool_reco"] = "11";
    p["Methode_spotting"] = "1";
    tmtest::Ecrit_param(courant, p);
    fs::create_directories(courant / "models");
    fs::copy_file(fs::path(TM_TEST_DATA) / "models" / "resistor.gxl", courant / "models" / "resistor.gxl");
    const fs::path marque = racine / "lance";
    Apparieur("touch " + marque.string() + "\n");
    fs::copy_file(courant / "img/a.bmp", courant / "img/c.bmp");
    const Execution r = Lance({"-q", "--batch", "img/a.bmp", "img/c.bmp"}, {{"TRACEMORPH_LOCAL_PROGRAMS", "1"}});
    EXPECT_EQ(r.statut, 0) << r.erreurs;
    const std::string dit = "Info: Methode_spotting 1 compares the models in-process; the outside matcher " +
                            (courant / "simgraph/auction").string() + " is used by Methode_spotting 0 only\n";
    const size_t q = r.erreurs.find(dit);
    EXPECT_NE(q, std::string::npos) << r.erreurs;
    EXPECT_EQ(r.erreurs.find(dit, q + 1), std::string::npos) << r.erreurs;
    EXPECT_EQ(r.erreurs.find("Outside program used"), std::string::npos) << r.erreurs;
    EXPECT_FALSE(fs::exists(marque));
}

}  // namespace
