// A result file takes its name only once complete: a write that fails (the
// file size limit stands for a full disk) or is left unfinished keeps the
// previous file, byte for byte, and leaves no temporary file beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <string>

#include "image/fils.h"
#include "output/ecriture.h"
#include "tests/batch/resultats_attendus.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

class EcritureComplete : public tmtest::Environnement {};

TEST_F(EcritureComplete, AFailedOrUnfinishedWriteKeepsThePreviousFile)
{
    const fs::path cible = dir / "sortie" / "Rlignaxe.gxl", source = dir / "source.xml";
    fs::create_directories(cible.parent_path());
    const std::string gros(200000, 'x');
    tmtest::Ecrit_chaine(source, gros);
    struct Cas {
        const char* nom;
        std::function<bool()> ecrit;  // true when it reports the file written
        bool limite;                  // run under a file size limit below the content
    };
    const Cas cas[] = {
        {"whole content", [&] { return Termine_resultat(Ouvre_resultat(cible.string()), cible.string(), gros); }, true},
        {"buffered", [&] {
             Sortie_resultat s(Ouvre_resultat(cible.string()));
             for (int k = 0; k < 200; k++) s << std::string_view(gros).substr(0, 1000);
             return s.Termine(cible.string());
         }, true},
        {"buffered past several buffers, on a second thread", [&] {
             Fils_analyse = 2;
             Sortie_resultat s(Ouvre_resultat(cible.string()));
             for (int k = 0; k < 2000; k++) s << std::string_view(gros).substr(0, 1000);
             const bool ok = s.Termine(cible.string());
             Fils_analyse = 0;
             return ok;
         }, true},
        {"copy", [&] { return Copie_resultat(source.string(), cible.string()); }, true},
        {"left unfinished", [&] {
             Sortie_resultat s(Ouvre_resultat(cible.string()));
             s << gros;
             return false;
         }, false},
        {"left unfinished past several buffers, on a second thread", [&] {
             Fils_analyse = 2;
             {
                 Sortie_resultat s(Ouvre_resultat(cible.string()));
                 for (int k = 0; k < 2000; k++) s << std::string_view(gros).substr(0, 1000);
             }
             Fils_analyse = 0;
             return false;
         }, false},
    };
    struct sigaction ignore {}, avant {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &avant);
    rlimit initiale{};
    ::getrlimit(RLIMIT_FSIZE, &initiale);
    for (const Cas& c : cas) {
        tmtest::Ecrit_chaine(cible, "<previous/>\n");
        rlimit limite = initiale;
        if (c.limite) limite.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &limite);
        const bool ecrit = c.ecrit();
        ::setrlimit(RLIMIT_FSIZE, &initiale);
        EXPECT_FALSE(ecrit) << c.nom;
        EXPECT_EQ(tmtest::Lit_texte(cible), "<previous/>\n") << c.nom;
        int fichiers = 0;
        for (const auto& e : fs::directory_iterator(cible.parent_path())) fichiers += e.path() != cible;
        EXPECT_EQ(fichiers, 0) << c.nom;  // no temporary file left
        // Without the limit the same write replaces the file.
        if (c.limite) {
            EXPECT_TRUE(c.ecrit()) << c.nom;
            EXPECT_EQ(tmtest::Lit_texte(cible).size(), std::string(c.nom).find("several") != std::string::npos
                                                           ? size_t(2000) * 1000
                                                           : gros.size())
                << c.nom;
        }
    }
    ::sigaction(SIGXFSZ, &avant, nullptr);
    EXPECT_EQ(fe.boites.size(), 3u);  // "Ecriture ... impossible !" from the three writers that report
}

// Full buffers written by a second thread while the next one fills: the
// file holds the bytes appended, in their order, whatever the threads
// (pieces, numbers, texts longer than a buffer).
TEST_F(EcritureComplete, BuffersWrittenOnASecondThreadKeepTheBytesAndTheirOrder)
{
    const fs::path cible = dir / "Rlignaxe.dat";
    std::string attendu;
    const std::string long_texte(Sortie_resultat::kTaille + 12345, 'L');
    for (const int fils : {1, 2}) {
        Fils_analyse = fils;
        Sortie_resultat s(Ouvre_resultat(cible.string()));
        attendu.clear();
        for (int k = 0; k < 400000; k++) {
            Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
            c << "\nArc " << k << " : Q1=" << -k << ',' << 'T';
            s.Pose(c);
            s.Fixe(k / 7.0, 3);
            attendu += "\nArc " + std::to_string(k) + " : Q1=" + std::to_string(-k) + ",T" + Fixe(k / 7.0, 3);
            if (k % 150000 == 0) {
                s << long_texte;
                attendu += long_texte;
            }
        }
        ASSERT_TRUE(s.Termine(cible.string()));
        Fils_analyse = 0;
        EXPECT_TRUE(tmtest::Lit_texte(cible) == attendu) << fils << " threads";
    }
    EXPECT_GT(attendu.size(), 4 * Sortie_resultat::kTaille);
}

}  // namespace
