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
    EXPECT_TRUE(fe.boites.empty());
    // Not found: the space belongs to the key, a long key is cut, "$" ends the scan.
    for (const char* cle : {"Spaced", "K123456789012345678901", "After", "Missing"}) {
        fe.boites.clear();
        EXPECT_EQ(Lit_param(cle), -255) << cle;
        EXPECT_EQ(Derniere_boite(), "Parametre inconnu !") << cle;
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
        EXPECT_EQ(Derniere_boite(), "PB de lecture !") << f;
    }
}

TEST_F(Param, EndOfFileWithoutDollarIsAnUnknownKey)
{
    Fichier("#A#\n=1#\n");
    EXPECT_EQ(Lit_param("A"), 1);
    EXPECT_EQ(Lit_param("B"), -255);
    EXPECT_EQ(Derniere_boite(), "Parametre inconnu !");
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
    for (const auto& [cle, valeur] : Parametres_defaut()) {
        EXPECT_GE(Lit_param(cle), 0) << cle;
    }
    EXPECT_TRUE(fe.boites.empty());
}
