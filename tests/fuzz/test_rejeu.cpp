// Replays every saved fuzz input (the crashes found, kept as regressions,
// and the seed corpora) through the fuzz targets' entry functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/fuzz/cibles.h"

namespace fs = std::filesystem;

TEST(Rejeu, SavedInputsRunCleanly)
{
    struct Cible {
        const char* nom;
        int (*entree)(const uint8_t*, size_t);
    };
    const Cible cibles[] = {{"chargement", Cible_chargement}, {"param", Cible_param}, {"analyse", Cible_analyse},
                            {"gxl", Cible_gxl}};
    const fs::path racine = fs::path(TM_SOURCE_DIR) / "tests/fuzz";
    int rejoues = 0;
    for (const Cible& c : cibles) {
        for (const char* jeu : {"regressions", "corpus"}) {
            const fs::path rep = racine / jeu / c.nom;
            if (!fs::is_directory(rep)) continue;
            std::vector<fs::path> fichiers;
            for (const auto& e : fs::directory_iterator(rep))
                if (e.is_regular_file()) fichiers.push_back(e.path());
            std::sort(fichiers.begin(), fichiers.end());
            for (const fs::path& p : fichiers) {
                SCOPED_TRACE(p.string());
                std::ifstream in(p, std::ios::binary);
                const std::vector<uint8_t> octets{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
                EXPECT_EQ(c.entree(octets.data(), octets.size()), 0);
                rejoues++;
            }
        }
    }
    EXPECT_GT(rejoues, 0);
}
