// The param.dat parser: lookups, failures and the shipped file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <clocale>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "port/shell.h"
#include "image/param.h"
#include "tests/support/support.h"

using namespace tmtest;
namespace fs = std::filesystem;

class Param : public Environnement {
protected:
    void Fichier(const std::string& contenu)
    {
        std::ofstream f(dir / "param.dat", std::ios::binary);
        f << contenu;
    }
    std::string Derniere_boite() const { return fe.boites.empty() ? "" : fe.boites.back().texte; }
};

TEST_F(Param, ValuesAreReadAsTheParserReadsThem)
{
    Fichier(
        "comment\n"
        "#Twice# first\n=1#\n#Twice#\n=2#\n"
        "#Spaced #\n=7#\n"
        "#Half#\n=12.5# twelve and a half\n"
        "#Point#\n=.5#\n"
        "#Empty#\n=#\n"
        "#Later#\nno equals sign on this line\n=42#\n"
        "#Prefix#\n=1.2.3#\n"
        "#K12345678901234567890#\n=21#\n"
        "#K123456789012345678901#\n=22#\n"
        "$\n#After#\n=9#\n");
    struct Cas { const char* cle; double valeur; };
    const Cas cas[] = {{"Twice", 1}, {"Half", 12.5}, {"Point", 0.5}, {"Empty", 0}, {"Later", 42},
                       {"Prefix", 1.2}, {"K12345678901234567890", 21}};
    for (const auto& c : cas) EXPECT_DOUBLE_EQ(Lit_param(c.cle), c.valeur) << c.cle;
    EXPECT_EQ(Lit_param_entier("Half"), 12);
    // Not found: the space belongs to the key, a long key is cut, "$" ends the scan.
    for (const char* cle : {"Spaced", "K123456789012345678901", "After", "Missing"}) {
        fe.boites.clear();
        EXPECT_EQ(Lit_param(cle), -255) << cle;
        EXPECT_EQ(Derniere_boite(), "Parametre inconnu !\nparam.dat: " + std::string(cle) + ": no such key") << cle;
        EXPECT_EQ(fe.boites.back().titre, "Erreur");
    }
}

// The window runs under the user's locale; a comma as decimal separator must
// not turn 0.35 into 0. The locale is built for the test when the system has
// none.
TEST_F(Param, DecimalsReadTheSameUnderACommaDecimalLocale)
{
    Fichier("#Seuil#\n=0.35#\n#Prefix#\n=1.2.3#\n$\n");
    const fs::path locales = dir / "locales";
    fs::create_directories(locales);
    const std::string commande = "localedef -i fr_FR -f UTF-8 " + (locales / "fr_FR.UTF-8").string() + " >/dev/null 2>&1";
    (void)std::system(commande.c_str());
    ::setenv("LOCPATH", locales.c_str(), 1);
    const bool virgule = std::setlocale(LC_ALL, "fr_FR.UTF-8") && std::localeconv()->decimal_point[0] == ',';
    const double seuil = Lit_param("Seuil"), prefixe = Lit_param("Prefix");
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
    if (!virgule) GTEST_SKIP() << "no comma-decimal locale could be made (localedef, locales data)";
    EXPECT_DOUBLE_EQ(seuil, 0.35);
    EXPECT_DOUBLE_EQ(prefixe, 1.2);
}

TEST_F(Param, BadValuesAreReadProblems)
{
    const char* fichiers[] = {
        "#K#\n=-3#\n$",         // a sign
        "#K#\n= 3#\n$",         // a space
        "#K#\n=3x#\n$",         // a letter
        "#K#\n=3\n$",           // no closing mark
        "#K# no equals after\n",  // end of file before "="
    };
    for (const char* f : fichiers) {
        Fichier(f);
        fe.boites.clear();
        EXPECT_EQ(Lit_param_entier("K"), -255) << f;
        EXPECT_EQ(Derniere_boite().substr(0, 16), "PB de lecture !\n") << f;
    }
}

// Every value a careful user's bad day puts in the file: the value read stays
// what the format gives, the message names the key, the line and the text
// read, and the lookup counts as a fault (which fails a command-line run).
// A suspect value that is still read is reported once per content of the
// file; a failed lookup at each call.
TEST_F(Param, BadValuesAreNamedAndCountAsFaults)
{
    Fichier(
        "thresholds\n"           // 1
        "#Nan#\n=nan#\n"          // 2-3
        "#Inf#\n=inf#\n"          // 4-5
        "#Big#\n=1e308#\n"        // 6-7
        "#Neg#\n=-1#\n"           // 8-9
        "#Dots#\n=1.2.3.4#\n"     // 10-11
        "#Empty#\n=# none\n"      // 12-13
        "#distZI#\n=0#\n"         // 14-15
        "#EpsV#\n=0.0#\n"         // 16-17
        "#SeuilEpmax#\n=0.5#\n"   // 18-19
        "#Twice#\n=0.72#\n"       // 20-21
        "#Same#\n=3#\n"           // 22-23
        "#Twice#\n=0.5#\n"        // 24-25
        "#Same#\n=3#\n"           // 26-27
        "#Open#\n=3\n"            // 28-29
        "#Seuil_LgQ#\n=0#\n"      // 30-31: 0 switches the removal off
        "#distZI_Vect#\n=#\n"     // 32-33: two reasons, one fault
        "$\n");
    struct Cas {
        const char* cle;
        double valeur;
        const char* message;  // "" when none
        bool defaut;
    };
    const Cas cas[] = {
        {"Nan", -255, "PB de lecture !\nparam.dat:3: Nan: 'nan' is not a number (digits and '.' only)", true},
        {"Inf", -255, "PB de lecture !\nparam.dat:5: Inf: 'inf' is not a number (digits and '.' only)", true},
        {"Big", -255, "PB de lecture !\nparam.dat:7: Big: '1e308' is not a number (digits and '.' only)", true},
        {"Neg", -255, "PB de lecture !\nparam.dat:9: Neg: '-1' is not a number (digits and '.' only)", true},
        {"Open", -255, "PB de lecture !\nparam.dat:29: Open: '3' has no closing '#'", true},
        {"Missing", -255, "Parametre inconnu !\nparam.dat: Missing: no such key", true},
        {"Dots", 1.2, "param.dat:11: Dots: '1.2.3.4' is not a number, read as 1.2", true},
        {"Empty", 0, "param.dat:13: Empty: empty value, read as 0", true},
        {"distZI", 0, "param.dat:15: distZI: '0' must be at least 1", true},
        {"EpsV", 0, "param.dat:17: EpsV: '0.0' must be positive", true},
        {"SeuilEpmax", 0.5, "param.dat:19: SeuilEpmax: '0.5' must be at least 1", true},
        {"Twice", 0.72, "param.dat:25: Twice: given again (first at line 21, whose value '0.72' is used)", true},
        {"Same", 3, "param.dat:27: Same: given again (first at line 23, whose value '3' is used)", false},
        {"Seuil_LgQ", 0, "", false},
        {"distZI_Vect", 0, "param.dat:33: distZI_Vect: empty value, read as 0\nparam.dat:33: distZI_Vect: '' must be at least 1",
         true},
    };
    for (const Cas& c : cas) {
        // The silent lookup: the same value, nothing shown or counted, and
        // clean exactly where Lit_param has nothing to say.
        fe.boites.clear();
        const int avant_net = Nb_defauts_param();
        double v = -1;
        EXPECT_EQ(Lit_param_net(c.cle, v), *c.message == '\0') << c.cle;
        EXPECT_DOUBLE_EQ(v, c.valeur) << c.cle;
        EXPECT_TRUE(fe.boites.empty()) << c.cle;
        EXPECT_EQ(Nb_defauts_param(), avant_net) << c.cle;
        for (int fois = 0; fois < 2; fois++) {
            fe.boites.clear();
            const int avant = Nb_defauts_param();
            EXPECT_DOUBLE_EQ(Lit_param(c.cle), c.valeur) << c.cle;
            EXPECT_EQ(Nb_defauts_param() - avant, c.defaut ? 1 : 0) << c.cle;
            const bool repete = c.valeur == -255;  // a failed lookup is reported each time
            EXPECT_EQ(Derniere_boite(), fois == 0 || repete ? c.message : "") << c.cle << " " << fois;
            EXPECT_LE(fe.boites.size(), 1u) << c.cle;  // one message a lookup, whatever the reasons
        }
    }
    // Edited, the file is reported afresh.
    Fichier("#Empty#\n=#\n$");
    fe.boites.clear();
    EXPECT_EQ(Lit_param("Empty"), 0);
    EXPECT_EQ(Derniere_boite(), "param.dat:2: Empty: empty value, read as 0");
}

TEST_F(Param, EndOfFileWithoutDollarIsAnUnknownKey)
{
    Fichier("#A#\n=1#\n");
    EXPECT_EQ(Lit_param("A"), 1);
    EXPECT_EQ(Lit_param("B"), -255);
    EXPECT_EQ(Derniere_boite(), "Parametre inconnu !\nparam.dat: B: no such key");
}

TEST_F(Param, MissingFileNamesThePath)
{
    fs::remove(dir / "param.dat");
    EXPECT_EQ(Lit_param("EpsV"), -255);
    EXPECT_EQ(Derniere_boite(), "Ouverture " + (dir / "param.dat").string() + " impossible !\n" +
                                    (dir / "param.dat").string() + ": No such file or directory");
}

// Values a reader cannot take are refused with their line, whatever their
// length; a key that is not found names the misspelt one beside it.
TEST_F(Param, ValuesThatDoNotFitAreRefusedAndMisspeltKeysNamed)
{
    Fichier("#distZI#\n=99999999999#\n"                      // 1-2
            "#Seuil_Trou#\n=" + std::string(309, '9') + "#\n"  // 3-4
            "#EpsV#\n=1" + std::string(400, '0') + "#\n"       // 5-6
            "#Methode_spotting#\n=7#\n"                        // 7-8
            "#Seuil_petiV#\n=3#\n"                             // 9-10
            "#Seuil_rejet#\n=2147483648#\n"                    // 11-12
            "#Angle_TP#\n=2147483647#\n"                       // 13-14
            "$\n");
    struct Cas {
        const char* cle;
        bool entier;
        double valeur;
        std::string message;
    };
    const Cas cas[] = {
        {"distZI", true, -255, "PB de lecture !\nparam.dat:2: distZI: '99999999999' is too large (at most 2147483647)"},
        {"Seuil_Trou", true, -255,
         "PB de lecture !\nparam.dat:4: Seuil_Trou: '99999999999999999999...' (309 characters) is too large (at most "
         "2147483647)"},
        {"EpsV", false, -255, "PB de lecture !\nparam.dat:6: EpsV: '10000000000000000000...' (401 characters) is too large"},
        {"Methode_spotting", true, -255, "PB de lecture !\nparam.dat:8: Methode_spotting: '7' must be 0 or 1"},
        {"Seuil_petitV", true, -255,
         "Parametre inconnu !\nparam.dat: Seuil_petitV: no such key\nparam.dat:9: unknown key Seuil_petiV (Seuil_petitV?)"},
        {"Seuil_rejet", false, 2147483648.0, ""},  // read as a double, it fits
        {"Angle_TP", true, 2147483647, ""},
    };
    for (const Cas& c : cas) {
        fe.boites.clear();
        const int avant = Nb_defauts_param();
        const double v = c.entier ? Lit_param_entier(c.cle) : Lit_param(c.cle);
        EXPECT_DOUBLE_EQ(v, c.valeur) << c.cle;
        EXPECT_EQ(Derniere_boite(), c.message) << c.cle;
        EXPECT_EQ(Nb_defauts_param() - avant, c.message.empty() ? 0 : 1) << c.cle;
    }
}

// A param.dat that is no plain file is refused at once and named; a named
// pipe with no writer is not waited for; said once, not at each lookup.
TEST_F(Param, FileThatIsNoPlainFileIsRefusedAtOnce)
{
    const std::string chemin = (dir / "param.dat").string();
    struct Cas {
        std::function<void()> prepare;
        std::string genre;
    };
    const Cas cas[] = {
        {[&] { fs::create_directory(chemin); }, "a directory"},
        {[&] { ASSERT_EQ(::mkfifo(chemin.c_str(), 0600), 0); }, "a named pipe (FIFO)"},
    };
    for (const Cas& c : cas) {
        fs::remove_all(chemin);
        c.prepare();
        fe.boites.clear();
        EXPECT_EQ(Lit_param("EpsV"), -255) << c.genre;
        EXPECT_EQ(Lit_param("distZI"), -255) << c.genre;
        ASSERT_EQ(fe.boites.size(), 1u) << c.genre;
        EXPECT_EQ(Derniere_boite(), "Ouverture " + chemin + " impossible !\n" + chemin + ": " + c.genre +
                                        ", not a file: refused");
        EXPECT_EQ(Param_non_fichier(chemin), chemin + " is " + c.genre + ", not a file");
    }
    fs::remove_all(chemin);
    EXPECT_EQ(Param_non_fichier(chemin), "");
    Fichier("#A#\n=1#\n$");
    EXPECT_EQ(Param_non_fichier(chemin), "");
}

TEST_F(Param, EveryLookupRereadsTheFile)
{
    Fichier("#A#\n=1#\n$");
    EXPECT_EQ(Lit_param("A"), 1);
    Fichier("#A#\n=2#\n$");
    EXPECT_EQ(Lit_param("A"), 2);
}

// A file read in one piece must still be read to its end when it is longer
// than the first read: keys straddling the first reads' boundaries and the
// last key after tens of kilobytes of comments are found.
TEST_F(Param, LongFilesAreReadToTheEnd)
{
    for (size_t bord : {size_t(8192), size_t(16384)}) {
        std::string contenu;
        while (contenu.size() < bord - 3) contenu += "a comment line of the long file\n";
        contenu.resize(bord - 3, 'x');
        contenu += "\n#Bord#\n=5#\n";  // "#Bord#" starts two bytes before the boundary
        while (contenu.size() < 50000) contenu += "another comment line\r\n";
        contenu += "#Fin#\r\n=6.5#\r\n$";
        Fichier(contenu);
        EXPECT_DOUBLE_EQ(Lit_param("Bord"), 5) << bord;
        EXPECT_DOUBLE_EQ(Lit_param("Fin"), 6.5) << bord;
        EXPECT_TRUE(fe.boites.empty()) << Derniere_boite();
    }
}

TEST_F(Param, WindowsLineEndsReadLikeUnixOnes)
{
    Fichier("note\r\n#A#\r\n=3.25#\r\n#B#\r\ncomment\r\n=4#\r\n$\r\n");
    EXPECT_DOUBLE_EQ(Lit_param("A"), 3.25);
    EXPECT_DOUBLE_EQ(Lit_param("B"), 4);
}

TEST_F(Param, GarbageNeitherHangsNorCrashes)
{
    std::string binaire;
    for (int i = 0; i < 100000; i++) binaire.push_back(static_cast<char>((i * 131) & 0xFF));
    const std::string longues = "#" + std::string(5000, 'k') + "#\n=" + std::string(5000, '1') + "#\n";
    for (const std::string& f : {binaire, std::string(20000, 'x'), longues, std::string("#A#\n=") + std::string(3000, '9') + "#\n$"}) {
        Fichier(f);
        EXPECT_EQ(Lit_param("A"), -255);
    }
}

TEST_F(Param, ShippedFileHoldsEveryKey)
{
    fs::copy_file(fs::path(TM_SOURCE_DIR) / "param.dat", dir / "param.dat", fs::copy_options::overwrite_existing);
    // Values are tuned in the shipped file; the tests pin their own.
    const int defauts = Nb_defauts_param();
    for (const auto& [cle, valeur] : Parametres_defaut()) {
        EXPECT_GE(Lit_param(cle), 0) << cle;
    }
    EXPECT_TRUE(fe.boites.empty()) << Derniere_boite();
    EXPECT_EQ(Nb_defauts_param(), defauts);
}
