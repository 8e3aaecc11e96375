// The command-line run, as a user starts it: the built program in a scratch
// current directory holding its own param.dat.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>
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
    // The summary line of a run whose image loaded.
    static bool Bilan_charge(const std::string& erreurs, const std::string& image)
    {
        return std::regex_match(erreurs, std::regex(std::regex_replace(image, std::regex(R"([.+()\[\]])"), R"(\$&)") +
                                                    R"(: \d+ vectors, \d+ quadrilaterals, \d+ arcs -> Rlignaxe\.dat, Rlignaxe\.gxl\n)"));
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
        EXPECT_TRUE(Bilan_charge(r.erreurs, Image(nom).string())) << r.erreurs;
        Verifie_resultats(nom);
        EXPECT_FALSE(fs::exists(images / "Rlignaxe.dat"));
        EXPECT_FALSE(fs::exists(images / "Rlignaxe.gxl"));
    }
    // bath_plan is a real drawing: it must give primitives and relations.
    const std::string t = Lit_texte(courant / "Rlignaxe.dat");
    EXPECT_NE(t.find("\nVecteur 0 : "), std::string::npos);
}

// A mistake on the command line is named on one line, then the usage; exit
// status 2 and the current directory left as it was (no result file, no
// param.dat copied).
TEST_F(LigneCommande, UsageErrorsNameTheMistakeAndTouchNothing)
{
    const std::string a = Image("tiny_13x7.bmp").string(), b = Image("tiny_13x7_blackfirst.bmp").string();
    struct Cas {
        std::vector<std::string> args;
        std::string raison;
    };
    const std::vector<Cas> cas = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{a, "-x"}, "unknown option '-x'"},
        {{"--jobs", "2", a}, "--jobs is only for --batch"},
        {{a, b}, "one image at a time, got '" + b + "' too (--batch analyses several)"},
        {{"-q"}, "no image given"},
        {{"--batch", "--jobs", "abc", a}, "--jobs: expected a whole number from 1 to 256, got 'abc'"},
        {{"--batch", "--jobs=257", a}, "--jobs: expected a whole number from 1 to 256, got '257'"},
        {{"--batch", "--jobs"}, "--jobs: missing value (a whole number from 1 to 256)"},
        {{"--batch", a, "--json"}, "--json: missing value (the file to write)"},
        {{"--gather", "--resume", a}, "--resume is only for --batch"},
        {{"--json", "d.json", a}, "--json is only for --batch and --gather"},
        {{"--batch", a, "--report"}, "--report: missing value (the folder to write the report into)"},
        {{"--report=r", a}, "--report is only for --batch and --gather"},
        {{"--batch", "--gather", a}, "--batch and --gather cannot be combined"},
        {{"--draw", "quads", a, "out.jpg"}, "--draw: OUT must end in .png or .svg, got 'out.jpg'"},
        {{"--draw", "lines", a, "out.png"}, "--draw: unknown drawing 'lines' (vectors, quads, ccs, axes, graph, "
                                            "symbols, colored-quads, colored-graph, nets)"},
        {{"--draw", "quads", a}, "--draw: expected WHAT IMAGE OUT, got 2 arguments"},
        {{"--make-models", "symboles"}, "--make-models: expected SYMBOL_DIR MODEL_DIR, got 1 argument"},
        {{"--gather", "--netlist", a}, "--netlist is only for --batch and the one-image run"},
        {{"--batch", "--symbols", "d.json", a}, "--symbols is only for --netlist and --draw nets"},
        {{"--batch", "--netlist", a, "--symbols"}, "--symbols: missing value (the detections file to read)"},
    };
    fs::remove(courant / "param.dat");
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.args[0] + " " + c.raison);
        const Execution r = Lance(c.args);
        EXPECT_EQ(r.statut, 2);
        EXPECT_EQ(r.sortie, "");
        EXPECT_EQ(r.erreurs.rfind("tracemorph: " + c.raison + "\nUsage: tracemorph [-q] [IMAGE]\n", 0), 0u) << r.erreurs;
        EXPECT_TRUE(fs::is_empty(courant));
    }
    // "--" ends the options: an image whose name starts with "-".
    tmtest::Ecrit_param(courant, tmtest::Parametres_defaut());
    fs::copy_file(a, courant / "-x.bmp");
    const Execution r = Lance({"-q", "--", "-x.bmp"});
    EXPECT_EQ(r.statut, 0) << r.erreurs;
    EXPECT_TRUE(Bilan_charge(r.erreurs, "-x.bmp")) << r.erreurs;
}

// An image that cannot be loaded: the usual message, then the path and
// the cause, then the summary; the two files are written with no primitives.
TEST_F(LigneCommande, UnreadableImageSaysWhyAndStillWritesEmptyResults)
{
    tmtest::Ecrit_fichier(images / "texte.bmp", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
    const auto plan = tmtest::Lit_fichier(fs::path(TM_TEST_DATA) / "bath_plan.bmp");
    tmtest::Ecrit_fichier(images / "tronque.bmp", std::vector<uint8_t>(plan.begin(), plan.begin() + 1024));
    // A BMP header announcing 8 bits per pixel over bytes no converter reads.
    auto huit = std::vector<uint8_t>(plan.begin(), plan.begin() + 600);
    huit[28] = 8;
    tmtest::Ecrit_fichier(images / "huit.bmp", huit);
    fs::create_directory(images / "dossier.bmp");
    const struct {
        const char* nom;
        std::string cause;  // the start of the cause
    } cas[] = {
        {"absent.bmp", "No such file or directory"},
        {"dossier.bmp", "is a directory"},
        {"texte.bmp", "too short to be an image: 12 bytes"},
        {"tronque.bmp", "truncated: 1024 of " + std::to_string(plan.size()) + " bytes"},
        {"huit.bmp", "not a BMP and the converter failed: "},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const std::string chemin = (images / c.nom).string();
        const Execution r = Lance({chemin});
        EXPECT_EQ(r.statut, 1);
        const std::string attendu = "Error: Error in Image file !\n" + chemin + ": " + c.cause;
        EXPECT_EQ(r.erreurs.rfind(attendu, 0), 0u) << r.erreurs;
        const size_t fin_cause = r.erreurs.find('\n', attendu.size() - 1);
        EXPECT_GT(fin_cause, attendu.size() - 1) << "a cause with its text";
        EXPECT_EQ(r.erreurs.substr(fin_cause + 1),
                  chemin + ": not loaded, empty results -> Rlignaxe.dat, Rlignaxe.gxl\n");
        EXPECT_EQ(Lit_texte(courant / "Rlignaxe.dat"), Texte_vide(c.nom));
        EXPECT_EQ(Lit_texte(courant / "Rlignaxe.gxl"), Gxl_vide(c.nom));
    }
}

// -q keeps the log off stdout and changes no result; the summary's counts
// are those of the files; without a display the window is not attempted.
TEST_F(LigneCommande, QuietRunSummaryAndNoDisplay)
{
    const std::string image = Image("bath_plan.bmp").string();
    const Execution bavard = Lance({image});
    const std::string dat = Lit_texte(courant / "Rlignaxe.dat"), gxl = Lit_texte(courant / "Rlignaxe.gxl");
    const Execution calme = Lance({"--quiet", image});
    EXPECT_EQ(calme.statut, 0);
    EXPECT_NE(bavard.sortie, "");
    EXPECT_EQ(calme.sortie, "");
    EXPECT_EQ(calme.erreurs, bavard.erreurs);
    // Batches too, also when the workers' logs would be relayed.
    for (const char* jobs : {"1", "2"}) {
        const Execution lot = Lance({"-q", "--batch", "--jobs", jobs, image, Image("relay_logic.bmp").string()});
        EXPECT_EQ(lot.statut, 0) << jobs << lot.erreurs;
        EXPECT_EQ(lot.sortie, "") << jobs;
    }
    EXPECT_EQ(Lit_texte(courant / "Rlignaxe.dat"), dat);
    EXPECT_EQ(Lit_texte(courant / "Rlignaxe.gxl"), gxl);
    auto compte = [&](const std::string& motif) {
        size_t n = 0;
        for (size_t p = dat.find(motif); p != std::string::npos; p = dat.find(motif, p + 1)) n++;
        return n;
    };
    EXPECT_NE(compte("\nVecteur "), 0u);
    EXPECT_EQ(calme.erreurs.rfind(image + ": " + std::to_string(compte("\nVecteur ")) + " vectors, ", 0), 0u)
        << calme.erreurs;

    const Execution sans = tmtest::Lance_tracemorph(courant, {}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
    EXPECT_EQ(sans.statut, 1);
    EXPECT_EQ(sans.erreurs, "tracemorph: no display to open the window on (DISPLAY is not set); see tracemorph "
                            "--help for the command-line forms\n");
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
        EXPECT_TRUE(Bilan_charge(r.erreurs, Image(nom).string())) << r.erreurs;
        Verifie_resultats(nom);
        EXPECT_TRUE(fs::exists(courant / "tmp.bmp"));
    }
}

// Without param.dat the program takes its own default (the source tree's for
// a build-tree program) and says so once; a bare copy of the program has
// none and says what to do, exit 2; a param.dat that is no file is refused.
TEST_F(LigneCommande, MissingParameterFileTakesTheDefaultOrSaysWhatToDo)
{
    fs::remove(courant / "param.dat");
    const Execution r = Lance({"-q", Image("tiny_13x7.bmp").string()});
    EXPECT_EQ(r.statut, 0) << r.erreurs;
    EXPECT_EQ(r.erreurs.rfind("tracemorph: no param.dat here, copied the default one from " TM_SOURCE_DIR "\n", 0), 0u)
        << r.erreurs;
    EXPECT_EQ(tmtest::Lit_texte(courant / "param.dat"), tmtest::Lit_texte(fs::path(TM_SOURCE_DIR) / "param.dat"));
    Verifie_resultats("tiny_13x7.bmp");

    const fs::path copie = racine / "nu" / "tracemorph";
    fs::create_directories(copie.parent_path());
    fs::copy_file(TM_BUILD_DIR "/tracemorph", copie);
    fs::remove(courant / "param.dat");
    fs::remove(courant / "Rlignaxe.dat");
    const Execution nu = tmtest::Lance_programme(copie.string(), courant, {Image("tiny_13x7.bmp").string()});
    EXPECT_EQ(nu.statut, 2);
    EXPECT_EQ(nu.erreurs, "tracemorph: no param.dat in " + courant.string() +
                              " and no default one beside the program: copy a param.dat there (the shipped one is in "
                              "the source tree or in share/tracemorph)\n");
    EXPECT_FALSE(fs::exists(courant / "Rlignaxe.dat"));

    fs::create_directory(courant / "param.dat");
    const Execution dossier = Lance({Image("tiny_13x7.bmp").string()});
    EXPECT_EQ(dossier.statut, 1);
    EXPECT_EQ(dossier.erreurs, "tracemorph: " + (courant / "param.dat").string() + " is a directory, not a file: refused\n");
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
    // The two files go into place together or not at all.
    EXPECT_FALSE(fs::exists(courant / "Rlignaxe.gxl"));
    EXPECT_NE(r.erreurs.find("(Rlignaxe.dat and Rlignaxe.gxl not written)"), std::string::npos) << r.erreurs;
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
        // Every threshold found in the stored param.dat: the summary only.
        EXPECT_TRUE(Bilan_charge(r.erreurs, Image(std::string(c.dessin) + ".bmp").string())) << r.erreurs;
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
    // The Usage block lists every form.
    EXPECT_EQ(aide.sortie.rfind("Usage: tracemorph [-q] [IMAGE]\n"
                                "       tracemorph [-q] --batch [--jobs N] [--resume] [--json FILE] [--report DIR] IMAGE...\n"
                                "       tracemorph [-q] --gather [--json FILE] [--report DIR] IMAGE...\n"
                                "       tracemorph [-q] --draw WHAT IMAGE OUT.png|OUT.svg\n"
                                "       tracemorph [-q] --make-models SYMBOL_DIR MODEL_DIR\n"
                                "       tracemorph --help | --version\n",
                                0),
              0u)
        << aide.sortie;
    const Execution version = Lance({"--version"});
    EXPECT_EQ(version.statut, 0);
    EXPECT_NE(version.sortie.find(TRACEMORPH_VERSION), std::string::npos);
    EXPECT_FALSE(fs::exists(courant / "Rlignaxe.dat"));
    EXPECT_FALSE(fs::exists(courant / "Rlignaxe.gxl"));
}

// The repository's wrapper, on a copy of it beside a stand-in program: once
// built it starts the program without building, naming the default
// param.dat; a source newer than the program makes it say it builds, and a
// failed build shows the build's log.
TEST_F(LigneCommande, WrapperRunsTheBuiltProgramAtOnceAndSaysWhenItBuilds)
{
    const fs::path src = racine / "src";
    fs::create_directories(src / "build");
    fs::create_directories(src / "app");
    fs::copy_file(fs::path(TM_SOURCE_DIR) / "tracemorph", src / "tracemorph");
    tmtest::Ecrit_fichier(src / "app" / "x.cpp", {});
    tmtest::Ecrit_fichier(src / "build" / "CMakeCache.txt", {});
    const std::string programme = "#!/bin/sh\necho \"ran $* with $TRACEMORPH_DEFAULT_PARAM\"\n";
    for (const char* nom : {"tracemorph", "cxconvert"}) {
        tmtest::Ecrit_fichier(src / "build" / nom, std::vector<uint8_t>(programme.begin(), programme.end()));
        fs::permissions(src / "build" / nom, fs::perms::owner_all);
    }
    // The sources the last build saw, dated by that build.
    const std::string liste = (src / "app" / "x.cpp").string() + "\n" + (src / "app").string() + "/\n";
    tmtest::Ecrit_fichier(src / "build" / "wrapper-sources.txt", std::vector<uint8_t>(liste.begin(), liste.end()));
    fs::last_write_time(src / "build" / "wrapper-sources.txt", fs::file_time_type::clock::now() + std::chrono::hours(1));
    const auto plus_tard = fs::file_time_type::clock::now() + std::chrono::hours(1);

    const Execution pret = tmtest::Lance_programme("bash", courant, {(src / "tracemorph").string(), "--version"});
    EXPECT_EQ(pret.statut, 0);
    EXPECT_EQ(pret.sortie, "ran --version with " + (src / "param.dat").string() + "\n");
    EXPECT_EQ(pret.erreurs, "");

    fs::last_write_time(src / "app" / "x.cpp", plus_tard + std::chrono::hours(1));
    const Execution construit = tmtest::Lance_programme("bash", courant, {(src / "tracemorph").string(), "--version"});
    EXPECT_EQ(construit.statut, 1);
    EXPECT_EQ(construit.sortie, "");
    EXPECT_EQ(construit.erreurs.rfind("Building tracemorph (sources changed)...\n", 0), 0u) << construit.erreurs;
    EXPECT_GT(construit.erreurs.size(), 42u);  // the build's own messages follow
}

}  // namespace
