// The param.dat parser: lookups, failures and the shipped file.
#include <gtest/gtest.h>

#include <clocale>
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
    EXPECT_EQ(Derniere_boite(), "Ouverture " + (dir / "param.dat").string() + " impossible !");
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
