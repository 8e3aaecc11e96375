// The front-end port: log text semantics, progress bar, pause, mode box,
// input dialog and the console front end.
#include <gtest/gtest.h>

#include <cstdio>

#include "port/frontends.h"
#include "port/shell.h"
#include "tests/support/support.h"

using tmtest::Environnement;

class Shell : public Environnement {};

TEST_F(Shell, LogModesBuildTheExactText)
{
    struct Cas { int mode; const char* texte; const char* attendu; };
    const Cas cas[] = {
        {0, "abc", "abc"},
        {1, "abc", "\nabc"},
        {2, "abc", "\n\nabc"},
    };
    for (const auto& c : cas) {
        Efface_texte();
        Ecrit_texte(c.mode, c.texte);
        EXPECT_EQ(Texte_log(), c.attendu) << "mode " << c.mode;
    }
    // Mode 2 replaces whatever the log held.
    Efface_texte();
    Ecrit_texte(0, "old");
    Ecrit_texte(2, "new");
    EXPECT_EQ(Texte_log(), "\n\nnew");
}

TEST_F(Shell, NumbersAreSpacedAndOptionallyOnANewLine)
{
    Efface_texte();
    Ecrit_texte(1, "* Nb de vecteurs : ");
    Ecrit_nombre(0, 7);
    EXPECT_EQ(Texte_log(), "\n* Nb de vecteurs :  7 ");
    Ecrit_nombre(1, -255);
    EXPECT_EQ(Texte_log(), "\n* Nb de vecteurs :  7 \n -255 ");
}

TEST_F(Shell, ProgressBarHidesWhenItReachesItsMaximum)
{
    Progression_init(1, 3);
    EXPECT_TRUE(Progression().visible);
    EXPECT_EQ(Progression().position, 0);
    Progression_pas();
    Progression_pas();
    EXPECT_TRUE(Progression().visible);
    EXPECT_EQ(Progression().position, 2);
    Progression_pas();
    EXPECT_FALSE(Progression().visible);
    EXPECT_EQ(Progression().position, 0);
    // A fresh init shows it again.
    Progression_init(0, 10);
    EXPECT_TRUE(Progression().visible);
}

TEST_F(Shell, PauseWaitsThroughTheFrontEndAndEndsWithTheFlagDown)
{
    EXPECT_EQ(Pause_go(), 1);
    EXPECT_EQ(fe.pauses, 1);
    EXPECT_EQ(Pause_flag, 0);
    EXPECT_EQ(Signal_pause(), 1);
    EXPECT_EQ(fe.bips_courts, 1);
    EXPECT_EQ(fe.pauses, 2);
}

TEST_F(Shell, StopGoOutsideAPauseOnlyTogglesThePanel)
{
    Clic_stop_go();
    EXPECT_EQ(Pause_flag, 1);
    Clic_stop_go();
    EXPECT_EQ(Pause_flag, 0);
    // The next pause always starts in the "GO !" state and ends when cleared.
    EXPECT_EQ(Pause_go(), 1);
    EXPECT_EQ(Pause_flag, 0);
}

TEST_F(Shell, ModeBoxTakesOnlyZeroAndOne)
{
    for (char c : {'5', 'a', ' ', '2'}) {
        EXPECT_FALSE(Touche_mode(c)) << c;
        EXPECT_EQ(Mode_trace, 0);
    }
    EXPECT_TRUE(Touche_mode('1'));
    EXPECT_EQ(Mode_trace, 1);
    EXPECT_TRUE(Touche_mode('0'));
    EXPECT_EQ(Mode_trace, 0);
}

TEST_F(Shell, SaisieKeepsTheProposalOnCancel)
{
    std::string nom = "img.bmp";
    fe.reponses.push_back({false, "ignored"});
    Saisie(nom, "Quel Nom (.bmp) ?");
    EXPECT_EQ(nom, "img.bmp");
    fe.reponses.push_back({true, ""});
    Saisie(nom, "Quel Nom (.bmp) ?");
    EXPECT_EQ(nom, "");
    ASSERT_EQ(fe.invites.size(), 2u);
    EXPECT_EQ(fe.invites[0], "Quel Nom (.bmp) ?");
}

TEST_F(Shell, EcritLigneAddsASpaceAndALineBreak)
{
    const auto chemin = dir / "lignes.txt";
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Ecrit_ligne("abc", f), 1);
    EXPECT_EQ(Ecrit_ligne("x\n", f), 1);
    std::fclose(f);
    EXPECT_EQ(tmtest::Lit_texte(chemin), "abc \nx\n \n");
}

TEST_F(Shell, MessageBoxesCarryTheirCaption)
{
    Message_erreur("PB de lecture !");
    Message_boite("Error in Image file !", "Error");
    ASSERT_EQ(fe.boites.size(), 2u);
    EXPECT_EQ(fe.boites[0].titre, "Erreur");
    EXPECT_EQ(fe.boites[1].texte, "Error in Image file !");
    EXPECT_EQ(fe.boites[1].titre, "Error");
}

TEST_F(Shell, FileNameDropsTheDirectory)
{
    EXPECT_EQ(Nom_fichier("/a/b/plan.bmp"), "plan.bmp");
    EXPECT_EQ(Nom_fichier("plan.bmp"), "plan.bmp");
    EXPECT_EQ(Nom_fichier(""), "");
}

TEST_F(Shell, ConsoleWritesTheLogToStdoutAndBoxesToStderr)
{
    FrontendConsole console;
    Installe_frontend(&console);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Efface_texte();
    Ecrit_texte(0, " Preprocessing of p1...");
    Efface_texte();
    Ecrit_texte(1, "* Nb de vecteurs : ");
    Ecrit_nombre(0, 12);
    Message_erreur("Parametre inconnu !");
    Ecrit_texte(1, "Vecto. Ok.");
    console.flush();
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    Installe_frontend(&fe);
    EXPECT_EQ(out, " Preprocessing of p1...\n* Nb de vecteurs :  12 \nVecto. Ok.\n");
    EXPECT_EQ(err, "Erreur: Parametre inconnu !\n");  // stderr is no terminal: no progress
}
