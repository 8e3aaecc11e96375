// A result file takes its name only once complete: a write that fails (the
// file size limit stands for a full disk) or is left unfinished keeps the
// previous file, byte for byte, and leaves no temporary file beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

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
        {"copy", [&] { return Copie_resultat(source.string(), cible.string()); }, true},
        {"left unfinished", [&] {
             Sortie_resultat s(Ouvre_resultat(cible.string()));
             s << gros;
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
            EXPECT_EQ(tmtest::Lit_texte(cible).size(), gros.size()) << c.nom;
        }
    }
    ::sigaction(SIGXFSZ, &avant, nullptr);
    EXPECT_EQ(fe.boites.size(), 2u);  // "Ecriture ... impossible !" from the two writers that report
}

// The blocks reserved ahead of a large file's writes are given back at the
// end: the file holds what was written and no more space than that.
TEST_F(EcritureComplete, ReservedBlocksAreGivenBack)
{
    const fs::path cible = dir / "Rlignaxe.gxl";
    std::string attendu;
    {
        Sortie_resultat s(Ouvre_resultat(cible.string()));
        for (int k = 0; attendu.size() < 3500000; k++) {
            const std::string ligne = "<edge id=\"edge" + std::to_string(k) + "\"/>\n";
            s << ligne;
            attendu += ligne;
        }
        ASSERT_TRUE(s.Termine(cible.string()));
    }
    EXPECT_EQ(tmtest::Lit_texte(cible), attendu);
    struct stat st {};
    ASSERT_EQ(::stat(cible.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, static_cast<off_t>(attendu.size()));
    EXPECT_LT(static_cast<int64_t>(st.st_blocks) * 512, static_cast<int64_t>(attendu.size()) + (64 << 10));
}

}  // namespace
