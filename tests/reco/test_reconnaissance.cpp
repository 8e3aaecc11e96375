// Recognition: reading the matchers' answers, the calls, and the decision
// written for each test graph. Fake matchers (tiny scripts placed in
// Rep_travail/simgraph) answer with the content of a graph file, so each
// model file states the answer its comparison gets.
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "port/shell.h"
#include "reco/apparieurs.h"
#include "reco/reconnaissance.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;
using tmtest::Lit_texte;

namespace {

TEST(Lecture, NumberStartsAtTheFifthCharacterAndNamesEndWithGxl)
{
    const std::pair<const char*, double> cas[] = {
        {"S = 0.8125\n", 0.8125}, {"S=0.5", 5},  // the four-character prefix is part of the format
        {"S = ", 0}, {"S = abc", 0}, {"S = -0.5", 0} /* no sign */, {"S = 1e5", 1} /* no exponent */,
        {"S = 0.5.3", 0.5}, {"S = .25", 0.25}, {"S", 0},
        {"S = 12345678901234567890", 1234567890123456789.0},  // 19 characters at most
    };
    for (const auto& [texte, attendu] : cas) EXPECT_DOUBLE_EQ(Lit_nombre(4, texte), attendu) << texte;

    for (const char* nom : {"a.gxl", "b.GXL", "c.Gxl", "xgxl"}) EXPECT_TRUE(Nom_gxl(nom)) << nom;
    for (const char* nom : {"gxl", "graph.xml", "ssg.gxl.res", "a.gx", ""}) EXPECT_FALSE(Nom_gxl(nom)) << nom;
    // A model name is text, never a format.
    EXPECT_EQ(Ligne_decision(0.1234567, "50%.gxl", 0.1),
              "<symbolname>50%</symbolname><confidencerate>0.123457</confidencerate>\n");
}

// Rep_travail and the current directory are a fresh scratch directory with
// models/, tests/ and simgraph/ holding fake matchers.
class Reco : public tmtest::Environnement {
protected:
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        ancien = fs::current_path();
        fs::current_path(dir);
        for (const char* d : {"models", "tests", "simgraph"}) fs::create_directories(dir / d);
        // Answers with the model graph; no answer when it is empty.
        for (const char* nom : {"auction", "greedy", "gsignature"})
            Script(nom, "[ -s \"$2\" ] && cat \"$2\" > result.txt\nexit 0\n");
        // Both directions: the answer is the content of the second argument.
        // It must be given the settings file that sits beside it.
        Script("simgraph", "[ -f \"$3\" ] && [ \"$(dirname \"$3\")\" = \"$(dirname \"$0\")\" ] || exit 3\n"
                           "cat \"$2\" > result.txt\n");
        Ecrit(dir / "simgraph/properties.xml", "<properties/>");
        ::unsetenv("TRACEMORPH_MATCHER_TIMEOUT");
    }
    void TearDown() override
    {
        ::unsetenv("TRACEMORPH_MATCHER_TIMEOUT");
        fs::current_path(ancien);
        tmtest::Environnement::TearDown();
    }
    void Script(const std::string& nom, const std::string& corps)
    {
        Ecrit(dir / "simgraph" / nom, "#!/bin/sh\n" + corps);
        ::chmod((dir / "simgraph" / nom).c_str(), 0755);
    }
    static void Ecrit(const fs::path& p, const std::string& texte) { tmtest::Ecrit_fichier(p, {texte.begin(), texte.end()}); }
    // One model file per entry, holding the answer its comparison gets.
    void Modeles(const std::map<std::string, std::string>& reponses)
    {
        fs::remove_all(dir / "models");
        fs::create_directories(dir / "models");
        for (const auto& [nom, reponse] : reponses) Ecrit(dir / "models" / nom, reponse);
    }
    std::string Res(const std::string& test) { return Lit_texte(dir / "tests" / (test + ".res")); }
    // The texts of the boxes shown with that caption.
    std::vector<std::string> Boites(const std::string& titre)
    {
        std::vector<std::string> v;
        for (const auto& b : fe.boites)
            if (b.titre == titre) v.push_back(b.texte);
        return v;
    }
    fs::path ancien;
};

TEST_F(Reco, DecisionNamesTheBestModel)
{
    const struct {
        const char* cas;
        std::map<std::string, std::string> modeles;
        const char* seuil;
        std::string attendu;
    } cas[] = {
        {"rejected", {{"house.gxl", "S = 0.3\nM = n0>n1\n"}}, "0.5",
         "<symbolname>Rejet(house.gxl)</symbolname><confidencerate>0.300000</confidencerate>\nM = n0>n1\n"},
        {"name cut at the first dot", {{"a.b.gxl", "S = 0.9\nM = x\n"}}, "0.5",
         "<symbolname>a</symbolname><confidencerate>0.900000</confidencerate>\nM = x\n"},
        {"largest of several", {{"c.gxl", "S = 0.4\nM = c\n"}, {"d.gxl", "S = 0.8\nM = d\n"}, {"e.gxl", "S = 0.7\nM = e\n"}},
         "0.5", "<symbolname>d</symbolname><confidencerate>0.800000</confidencerate>\nM = d\n"},
        {"tie keeps the first in byte order", {{"b.gxl", "S = 0.6\nM = b\n"}, {"a.gxl", "S = 0.6\nM = a\n"}, {"B.gxl", "S = 0.5\nM = B\n"}},
         "0.5", "<symbolname>a</symbolname><confidencerate>0.600000</confidencerate>\nM = a\n"},
        {"one-line answer", {{"m.gxl", "S = 0.9"}}, "0.5",
         "<symbolname>m</symbolname><confidencerate>0.900000</confidencerate>\nM = ?"},
        {"nothing above 0", {{"m.gxl", "S = 0\nM = m\n"}, {"z.gxl", "S = 0.0\nM = z\n"}}, "0.5",
         "<symbolname>Rejet(Inconnu)</symbolname><confidencerate>0.000000</confidencerate>\n"},
        // An answer that is no similarity in 0..1 fails, whatever else is read.
        {"answers that are no similarity", {{"f.gxl", "S = 7.5\nM = f\n"}, {"f2.gxl", "S = nan\n"}, {"f3.gxl", "S = abc\n"},
                                            {"f4.gxl", "S=0.5\n"}, {"f5.gxl", "S = 0.5.1\n"}, {"f6.gxl", "S = 0.5 x\n"},
                                            {"g.gxl", "S = 0.25\r\nM = g\r\n"}},
         "0.1", "<symbolname>g</symbolname><confidencerate>0.250000</confidencerate>\nM = g\r\n"},
        {"a failing matcher is never the best", {{"f.gxl", ""}, {"g.gxl", "S = 0.2\nM = g\n"}}, "0.1",
         "<symbolname>g</symbolname><confidencerate>0.200000</confidencerate>\nM = g\n"},
        {"mapping cut at 799 characters", {{"m.gxl", "S = 1\nM = " + std::string(900, 'x') + "\n"}}, "0.5",
         "<symbolname>m</symbolname><confidencerate>1.000000</confidencerate>\nM = " + std::string(795, 'x')},
    };
    for (const auto& c : cas) {
        Modeles(c.modeles);
        Parametres({{"Seuil_rejet", c.seuil}});
        Ecrit(dir / "tests/t.gxl", "test graph");
        fe.boites.clear();
        Pannes_apparieurs = 0;
        EXPECT_EQ(Reconnaissance(Rep_travail + "/models", Rep_travail + "/tests", 3), 1) << c.cas;
        EXPECT_EQ(Res("t.gxl"), c.attendu) << c.cas;
        // Only a matcher that gave no answer, or one that is no similarity,
        // shows an error, naming the matcher, the model and what it read.
        size_t fautifs = 0;
        for (const auto& [nom, reponse] : c.modeles) fautifs += nom[0] == 'f';
        EXPECT_EQ(Boites("Erreur").size() + Boites("Error").size(), fautifs) << c.cas;
        EXPECT_EQ(Pannes_apparieurs, static_cast<int>(fautifs)) << c.cas;
        if (c.modeles.count("f2.gxl")) {
            EXPECT_EQ(Boites("Erreur")[1], "matcher " + Rep_travail + "/simgraph/greedy, model f2.gxl: the answer 'S = nan' in "
                                           "result.txt is no similarity between 0 and 1");
        }
        EXPECT_EQ(Texte_log(), "\n\nReco(Ulvane)...\nDone.") << c.cas;
    }
}

TEST_F(Reco, DirectoriesAreFilteredAndListedByName)
{
    Modeles({{"m.gxl", "S = 0.9\nM = m\n"}, {"readme.txt", "S = 1\n"}});
    for (const char* nom : {"t1.gxl", "T2.GXL", "notes.txt", "old.gxl.res", "graph.xml"}) Ecrit(dir / "tests" / nom, "g");
    fs::create_directories(dir / "tests/sub.gxl");
    ASSERT_EQ(Reconnaissance(Rep_travail + "/models", Rep_travail + "/tests", 2), 1);
    std::vector<std::string> res;
    for (const auto& e : fs::directory_iterator(dir / "tests"))
        if (e.path().extension() == ".res") res.push_back(e.path().filename().string());
    std::sort(res.begin(), res.end());
    EXPECT_EQ(res, (std::vector<std::string>{"T2.GXL.res", "old.gxl.res", "t1.gxl.res"}));
    EXPECT_EQ(Lit_texte(dir / "tests/old.gxl.res"), "g");  // not a test graph, left alone

    // No model at all: "D=?" for each test graph and no result file.
    fs::remove(dir / "tests/t1.gxl.res");
    Modeles({{"readme.txt", "S = 1\n"}});
    ASSERT_EQ(Reconnaissance(Rep_travail + "/models", Rep_travail + "/tests", 11), 1);
    EXPECT_EQ(Texte_log(), "\n\nReco(Ulvane)...\nD=?\nD=?\nDone.");
    EXPECT_FALSE(fs::exists(dir / "tests/t1.gxl.res"));

    fe.boites.clear();
    EXPECT_EQ(Reconnaissance(Rep_travail + "/absent", Rep_travail + "/tests", 11), 0);
    EXPECT_EQ(Reconnaissance(Rep_travail + "/models", Rep_travail + "/absent", 11), 0);
    ASSERT_EQ(fe.boites.size(), 2u);
    EXPECT_EQ(fe.boites[0].titre + ": " + fe.boites[0].texte + ", " + fe.boites[1].texte,
              "Error: Unable to open model directory, Unable to open test directory");
}

TEST_F(Reco, SimgraphRunsBothWaysAndKeepsTheLargerAnswer)
{
    // The first direction answers with the model, the second with the test.
    const struct {
        const char *modele, *test;
        double attendu;
        bool aller;  // result.txt left with the first direction's answer
    } cas[] = {
        {"S = 0.7\nM = aller\n", "S = 0.9\nM = retour\n", 0.9, false},
        {"S = 0.9\nM = aller\n", "S = 0.7\nM = retour\n", 0.9, true},
        {"S = 0.8\nM = aller\n", "S = 0.8\nM = retour\n", 0.8, false},  // equal: the second direction
    };
    for (const auto& c : cas) {
        Ecrit(dir / "G2.gxl", c.modele);
        Ecrit(dir / "G1.gxl", c.test);
        EXPECT_DOUBLE_EQ(Appel_simgraph(), c.attendu);
        EXPECT_EQ(Lit_texte(dir / "result.txt"), c.aller ? c.modele : c.test);
        EXPECT_FALSE(fs::exists(dir / "result1.txt"));
    }
    // A first direction that fails does not take an older result1.txt.
    Ecrit(dir / "result1.txt", "S = 0.99\nM = old\n");
    Ecrit(dir / "G2.gxl", "");
    Script("simgraph", "[ -s \"$2\" ] && cat \"$2\" > result.txt\nexit 0\n");
    Ecrit(dir / "G1.gxl", "S = 0.4\nM = retour\n");
    EXPECT_DOUBLE_EQ(Appel_simgraph(), 0.4);
    ASSERT_EQ(fe.boites.size(), 1u);
    EXPECT_EQ(fe.boites[0].texte.substr(0, 21), "Ouverture impossible\n");
}

// A matcher that gives no answer is named with the model and why, and
// counts as a fault; one out of time is stopped with every process it
// started, and its model is left out for the rest of the image.
TEST_F(Reco, MatcherFaultsAreNamedAndHangingOnesEndWithTheirChildren)
{
    ::setenv("TRACEMORPH_MATCHER_TIMEOUT", "0.3", 1);
    EXPECT_DOUBLE_EQ(Delai_apparieur(), 0.3);
    const struct {
        const char* cas;
        const char* panne;  // what greedy does on the model holding FAULT
        fs::perms droits;
        std::string raison;
    } cas[] = {
        {"hangs with a child", "sleep 60 & echo $! > enfant.pid\nexec sleep 60", fs::perms::owner_all,
         ": no answer within 0.3 s (TRACEMORPH_MATCHER_TIMEOUT), stopped; the model is not compared again on this image"},
        {"fails", "echo first >&2\necho 'last words' >&2\nexit 3", fs::perms::owner_all, ": exited with status 3: last words"},
        {"answers, then fails", "echo 'S = 0.9' > result.txt\nexit 1", fs::perms::owner_all, ": exited with status 1"},
        {"no answer", "exit 0", fs::perms::owner_all, ": exited without writing result.txt"},
        // Every model is named; none names the test graph.
        {"cannot start", "exit 0", fs::perms::owner_read | fs::perms::owner_write, ": could not be started (Permission denied)"},
    };
    Modeles({{"a.gxl", "FAULT"}, {"b.gxl", "S = 0.4\nM = b\n"}});
    Parametres({{"Seuil_rejet", "0.1"}});
    Ecrit(dir / "tests/t.gxl", "t");
    const std::string matcher = "Ouverture impossible\nmatcher " + (dir / "simgraph/greedy").string() + ", model ";
    for (const auto& c : cas) {
        const bool aucun = std::string(c.cas) == "cannot start", lent = std::string(c.cas) == "hangs with a child";
        Script("greedy", "grep -q FAULT \"$2\" && { " + std::string(c.panne) + "\n}\ncat \"$2\" > result.txt\n");
        fs::permissions(dir / "simgraph/greedy", c.droits);
        fe.boites.clear();
        Pannes_apparieurs = 0;
        Debut_reconnaissance_image();
        const auto debut = std::chrono::steady_clock::now();
        for (int fois = 0; fois < 2; fois++) {
            ASSERT_EQ(Reconnaissance(Rep_travail + "/models", Rep_travail + "/tests", 3), 1) << c.cas;
            // The other model still names the test graph.
            EXPECT_EQ(Res("t.gxl"), aucun ? "<symbolname>Rejet(Inconnu)</symbolname><confidencerate>0.000000</confidencerate>\n"
                                          : "<symbolname>b</symbolname><confidencerate>0.400000</confidencerate>\nM = b\n")
                << c.cas;
        }
        // Once per call, but once in all for the model out of time.
        std::vector<std::string> attendus;
        for (int fois = 0; fois < (lent ? 1 : 2); fois++)
            for (const char* m : aucun ? std::vector<const char*>{"a", "b"} : std::vector<const char*>{"a"})
                attendus.push_back(matcher + m + ".gxl" + c.raison);
        EXPECT_EQ(Boites("Erreur"), attendus) << c.cas;
        EXPECT_EQ(Pannes_apparieurs, static_cast<int>(attendus.size())) << c.cas;
        EXPECT_LT(std::chrono::steady_clock::now() - debut, std::chrono::seconds(10)) << c.cas;
        if (lent) {
            // The child the script left behind was ended with it.
            const std::string pid = Lit_texte(dir / "enfant.pid");
            ASSERT_FALSE(pid.empty());
            std::string etat = "gone";
            for (int k = 0; k < 200; k++) {
                const std::string stat = Lit_texte("/proc/" + pid.substr(0, pid.find('\n')) + "/stat");
                etat = stat.empty() ? "gone" : stat.substr(stat.rfind(')') + 2, 1);
                if (etat == "gone" || etat == "Z") break;
                ::usleep(10000);
            }
            EXPECT_TRUE(etat == "gone" || etat == "Z") << etat;
            // A new image compares the model again.
            Debut_reconnaissance_image();
            Reconnaissance(Rep_travail + "/models", Rep_travail + "/tests", 3);
            EXPECT_EQ(Boites("Erreur").size(), 2u);
        }
    }

    // Missing matcher: nothing runs, no stale answer is read.
    fs::remove(dir / "simgraph/greedy");
    Ecrit(dir / "result.txt", "S = 0.9\n");
    const std::string ailleurs = Chemin_apparieur("greedy");
    EXPECT_NE(ailleurs, (dir / "simgraph/greedy").string());  // looked for beside the program
    if (!fs::exists(ailleurs)) {
        EXPECT_DOUBLE_EQ(Appel_greedy(), -255);
    }

    for (const char* v : {"abc", "-1", "0", ""}) {
        ::setenv("TRACEMORPH_MATCHER_TIMEOUT", v, 1);
        EXPECT_DOUBLE_EQ(Delai_apparieur(), 60) << v;
    }
}

TEST_F(Reco, WorkingDirectoryWithASpaceAndTheMenuCommands)
{
    // The matcher is started directly, so its path may hold a space.
    const fs::path espace = dir / "with space";
    fs::create_directories(espace / "simgraph");
    fs::copy(dir / "simgraph", espace / "simgraph", fs::copy_options::recursive);
    fs::create_directories(espace / "models");
    fs::create_directories(espace / "tests");
    Ecrit(espace / "models/chair.gxl", "S = 0.8125\nM = n0>n0\n");
    Ecrit(espace / "tests/t.gxl", "S = 0.5\nM = t\n");  // simgraph's other direction reads it
    tmtest::Ecrit_param(espace, params);
    Rep_travail = espace.string();
    fs::current_path(espace);
    const struct {
        void (*commande)();
        const char* programme;
    } menus[] = {{Caractres1Click, "simgraph"}, {Gsignature1Click, "gsignature"}, {Greedy1Click, "greedy"}, {Auction1Click, "auction"}};
    for (const auto& m : menus) {
        // Only the matcher of this command can answer.
        for (const char* p : {"simgraph", "gsignature", "greedy", "auction"})
            ::chmod((espace / "simgraph" / p).c_str(), std::string(p) == m.programme ? 0755 : 0644);
        fs::remove(espace / "tests/t.gxl.res");
        fe.boites.clear();
        m.commande();
        // The fake matcher is also named once as an outside program.
        ASSERT_EQ(fe.boites.size(), 2u) << m.programme;
        EXPECT_EQ(fe.boites[0].titre + ": " + fe.boites[0].texte, "Info: Comparaison between GXL in /Tests and /Models");
        EXPECT_EQ(fe.boites[1].texte.rfind("Outside program used for " + std::string(m.programme) + ": ", 0), 0u);
        EXPECT_EQ(Lit_texte(espace / "tests/t.gxl.res"),
                  "<symbolname>chair</symbolname><confidencerate>0.812500</confidencerate>\nM = n0>n0\n")
            << m.programme;
    }
}

}  // namespace
