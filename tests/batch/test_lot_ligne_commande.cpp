// The batch without a window, as a user starts it: the built program in a
// scratch current directory holding its own param.dat, images given by
// relative paths.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

const std::string kUsage = "\nUsage: tracemorph [-q] [IMAGE]\n";

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
    Execution Lance(std::vector<std::string> args, const std::vector<std::string>& images = {},
                    std::vector<std::pair<std::string, std::string>> env = {})
    {
        args.insert(args.end(), images.begin(), images.end());
        env.emplace_back("TMPDIR", tmp.string());
        return tmtest::Lance_tracemorph(courant, args, env);
    }
    // The last line of a run's stderr: its summary.
    static std::string Bilan(const Execution& r)
    {
        const size_t p = r.erreurs.rfind('\n', r.erreurs.size() >= 2 ? r.erreurs.size() - 2 : 0);
        return r.erreurs.substr(p == std::string::npos ? 0 : p + 1);
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
        std::string bilan;      // the summary line; for a usage error, the reason
    };
    const std::vector<Cas> cas = {
        {{"--batch"}, 0, Resultats({}), "0 images (0 failed), 0 symbols -> FINAL_RESULTS.GRE\n"},
        {{"--batch", a}, 0, Resultats({{"a", kListeVide}}), "1 image (0 failed), 0 symbols -> FINAL_RESULTS.GRE\n"},
        {{"--batch", "--jobs", "2", "--", a, "img/absent.bmp", b}, 1,
         Resultats({{"a", kListeVide}, {"absent", kListeVide}, {"b", kListeVide}}),
         "3 images (1 failed), 0 symbols -> FINAL_RESULTS.GRE\n"},
        {{"--batch", "-q", "img/absent.bmp", "--jobs=1", a}, 1, Resultats({{"absent", kListeVide}, {"a", kListeVide}}),
         "2 images (1 failed), 0 symbols -> FINAL_RESULTS.GRE\n"},
        {{"--batch", "--jobs=3", b, a}, 0, Resultats({{"b", kListeVide}, {"a", kListeVide}}),
         "2 images (0 failed), 0 symbols -> FINAL_RESULTS.GRE\n"},
        {{"--batch", "--jobs", "0", a}, 2, "", "--jobs: expected a whole number from 1 to 256, got '0'"},
        {{"--batch", "--jobs"}, 2, "", "--jobs: missing value (a whole number from 1 to 256)"},
        {{"--batch", "--jobs=2x", a}, 2, "", "--jobs: expected a whole number from 1 to 256, got '2x'"},
        {{"--batch", "--verbose", a}, 2, "", "unknown option '--verbose'"},
        {{"--gather", a, "img/jamais.bmp"}, 1, Resultats({{"a", kListeVide}, {"jamais", ""}}),
         "2 images (1 failed), 0 symbols -> FINAL_RESULTS.GRE\n"},
        // A list broken off inside a symbol is left out rather than spoil the file.
        {{"--gather", "img/coupee.bmp", a}, 1, Resultats({{"coupee", ""}, {"a", kListeVide}}),
         "2 images (1 failed), 0 symbols -> FINAL_RESULTS.GRE\n"},
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
            EXPECT_EQ(r.erreurs.rfind("tracemorph: " + c.bilan + kUsage, 0), 0u) << r.erreurs;
            EXPECT_FALSE(fs::exists(courant / "FINAL_RESULTS.GRE"));
        } else {
            EXPECT_EQ(Lot_resultats(), c.resultats);
            EXPECT_EQ(Bilan(r), c.bilan) << r.erreurs;
        }
        // Every message about the absent image names it.
        if (r.erreurs.find("Error in Image file !") != std::string::npos) {
            EXPECT_NE(r.erreurs.find("img/absent.bmp: Error: Error in Image file !\nimg/absent.bmp: No such file or directory\n"),
                      std::string::npos) << r.erreurs;
        }
    }
    const Execution aide = Lance({"--help"});
    EXPECT_EQ(aide.statut, 0);
    for (const char* ligne : {"Usage: tracemorph [-q] [IMAGE]\n", "       tracemorph [-q] --gather [--json FILE] [--report DIR] IMAGE...\n",
                              "       tracemorph [-q] --batch [--jobs N] [--resume] [--json FILE] [--report DIR] IMAGE...\n",
                              "Without IMAGE, opens the desktop window.\n", "  --version    the program's version\n"})
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
    // The earlier list is neither taken for this run's nor lost; dated back,
    // a resumed batch analyses its image again.
    EXPECT_EQ(Lit_texte(courant / (gif + ".xml")), tmtest::Liste_etrangere(true));
    struct stat st {};
    ASSERT_EQ(::stat((courant / (gif + ".xml")).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 0);
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

// A batch cut short (its third image's converter ends it by SIGTERM), then
// resumed: the images already done are not analysed again, and every file
// comes out as from the uninterrupted run. A changed image or param.dat makes
// its images stale.
TEST_F(LotLigneCommande, ResumedRunRestartsWhereItStopped)
{
    const std::vector<std::string> images = {Image("tiny_13x7.bmp", "img/a.bmp"), Image("bath_plan.bmp", "img/bath.bmp"),
                                             Image("drawing.gif", "img/drawing.gif"), Image("relay_logic.bmp", "img/relay.bmp")};
    ASSERT_EQ(Lance({"--batch"}, images).statut, 0);
    const auto attendus = Fichiers_ecrits();
    Efface_sorties();
    Ecrit_chaine(courant / "cxconvert", "#!/bin/sh\nkill -TERM $PPID\nsleep 5\n");
    fs::permissions(courant / "cxconvert", fs::perms::owner_all);
    const Execution coupe = Lance({"--batch"}, images, {{"TRACEMORPH_LOCAL_PROGRAMS", "1"}});
    fs::remove(courant / "cxconvert");
    EXPECT_NE(coupe.statut, 0);
    ASSERT_TRUE(fs::exists(courant / "img/bath.bmp.xml"));
    ASSERT_FALSE(fs::exists(courant / "img/drawing.gif.xml"));

    const auto heure = [&](const std::string& f) { return fs::last_write_time(courant / f); };
    const struct {
        const char* quoi;
        std::vector<std::string> options;
        std::vector<std::string> analysees;
    } cas[] = {
        {"after the interruption", {"--jobs", "2"}, {"img/drawing.gif", "img/relay.bmp"}},
        {"nothing changed", {}, {}},
        {"an image newer than its list", {"-q"}, {"img/bath.bmp"}},
        {"param.dat changed", {}, images},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        if (std::string(c.quoi) == "an image newer than its list")
            fs::last_write_time(courant / "img/bath.bmp.xml", heure("img/bath.bmp") - std::chrono::hours(1));
        if (std::string(c.quoi) == "param.dat changed")
            fs::last_write_time(courant / "param.dat", fs::file_time_type::clock::now() + std::chrono::hours(1));
        std::vector<std::string> args = {"--batch", "--resume"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Execution r = Lance(args, images);
        EXPECT_EQ(r.statut, 0) << r.erreurs;
        EXPECT_TRUE(Fichiers_ecrits() == attendus);
        for (const std::string& image : images) {
            const bool analysee = std::find(c.analysees.begin(), c.analysees.end(), image) != c.analysees.end();
            // An analysed image's path opens its log (dropped by -q).
            if (c.options != std::vector<std::string>{"-q"}) {
                EXPECT_EQ(r.sortie.find(image + "\n") != std::string::npos, analysee) << image;
            }
        }
        const std::string bilan = Bilan(r);
        EXPECT_EQ(bilan.rfind("4 images (0 failed, " + std::to_string(4 - c.analysees.size()) + " up to date), ", 0), 0u)
            << bilan;
    }
}

// --json: the symbols as detections that an ordinary JSON reader takes, with
// boxes from the top-left corner; scored against a corpus page's truth they
// give what the spotting evaluation gives on the results file.
TEST_F(LotLigneCommande, DetectionsInJsonScoreAsTheResultsFile)
{
    if (std::system("command -v python3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is missing";
    const std::vector<std::string> images = {Image("page_1.bmp", "img/page_1.bmp"), Image("tiny_13x7.bmp", "img/a.bmp"),
                                             "img/absent.bmp"};
    const Execution r = Lance({"--batch", "--json", "det.json"}, images);
    EXPECT_EQ(r.statut, 1);
    const std::string fin = " -> FINAL_RESULTS.GRE, det.json\n", bilan = Bilan(r);
    EXPECT_TRUE(bilan.size() > fin.size() && bilan.compare(bilan.size() - fin.size(), fin.size(), fin) == 0) << bilan;
    fs::copy_file(fs::path(TM_TEST_DATA) / "page_1.json", courant / "page_1.json");
    Ecrit_chaine(courant / "verifie.py", R"(import importlib.machinery, json, sys, types
loader = importlib.machinery.SourceFileLoader("ev", sys.argv[1])
ev = types.ModuleType("ev")
ev.__file__ = sys.argv[1]
loader.exec_module(ev)
d = json.load(open("det.json", encoding="utf-8"))
assert [(i["file_name"], i["width"], i["height"]) for i in d["images"]] == \
    [("img/page_1.bmp", 2020, 1481), ("img/a.bmp", 13, 7), ("img/absent.bmp", 0, 0)], d["images"]
names = {c["id"]: c["name"] for c in d["categories"]}
page = [a for a in d["annotations"] if a["image_id"] == 1]
assert page and len(page) == len(d["annotations"])
for a in d["annotations"]:
    x, y, w, h = a["bbox"]
    assert w > 0 and h > 0 and x >= 0 and y >= 0 and x + w <= 2020 and y + h <= 1481, a
    assert names[a["category_id"]] == a["category"] and a["area"] == w * h and 0 <= a["score"] <= 1, a
truth = json.load(open("page_1.json"))["symbols"]
def iou(a, b):
    ix = min(a[0] + a[2], b[0] + b[2]) - max(a[0], b[0])
    iy = min(a[1] + a[3], b[1] + b[3]) - max(a[1], b[1])
    inter = max(ix, 0) * max(iy, 0)
    return inter / (a[2] * a[3] + b[2] * b[3] - inter)
pairs = sorted((-iou(a["bbox"], (t["xmin"], t["ymin"], t["xmax"] - t["xmin"] + 1, t["ymax"] - t["ymin"] + 1)), i, j)
               for i, a in enumerate(page) for j, t in enumerate(truth))
used_a, used_t = set(), set()
for v, i, j in pairs:
    if -v >= 0.5 and i not in used_a and j not in used_t:
        used_a.add(i); used_t.add(j)
results = ev.parse_results(open("FINAL_RESULTS.GRE", encoding="latin-1").read())
rows = ev.evaluate(results, ".")
assert rows[0]["image"] == "page_1" and rows[0]["detections"] == len(page), rows
# Box for box, the overlap with the truth is the evaluation's on the results file.
gt = [(t["xmin"], t["ymin"] + 1, t["xmax"], t["ymax"] + 1) for t in truth]
for a, (_, box, _) in zip(page, results[0][1]):
    for t, g in zip(truth, gt):
        mine = iou(a["bbox"], (t["xmin"], t["ymin"], t["xmax"] - t["xmin"] + 1, t["ymax"] - t["ymin"] + 1))
        assert abs(mine - ev.iou(box, g)) < 1e-9, (a, box, t)
print(len(used_a), rows[0]["spotted"])
)");
    const Execution py = tmtest::Lance_programme("python3", courant, {"verifie.py", TM_SOURCE_DIR "/bench/evaluate_spotting"});
    ASSERT_EQ(py.statut, 0) << py.erreurs;
    int json = -1, resultats = -2;
    ASSERT_EQ(std::sscanf(py.sortie.c_str(), "%d %d", &json, &resultats), 2) << py.sortie;
    EXPECT_EQ(json, resultats);
    EXPECT_GE(json, 3);  // the spotting finds most of the page's symbols

    // Gathered, the same file.
    const std::string attendu = Lit_texte(courant / "det.json");
    fs::remove(courant / "det.json");
    EXPECT_EQ(Lance({"--gather", "--json=det.json"}, images).statut, 0);  // the absent image got its empty list
    EXPECT_EQ(Lit_texte(courant / "det.json"), attendu);
}

}  // namespace
