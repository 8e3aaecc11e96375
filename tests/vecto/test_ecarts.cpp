// The early-stopping gap test against the full white count.
#include <gtest/gtest.h>

#include <random>

#include "tests/support/support.h"
#include "vecto/ecarts.h"
#include "vecto/geometrie.h"

using namespace tmtest;

namespace {
class Ecarts : public Environnement {};
}  // namespace

// Random lines of every slope over a random drawing, ends outside the image
// included, thresholds below, at and above the counts.
TEST_F(Ecarts, BlancsAuDelaAnswersAsTheFullCount)
{
    Image_blanche(60, 40);
    std::mt19937 rng(11);
    for (int i = 0; i < 25; i++) {
        const int x0 = static_cast<int>(rng() % 60), y0 = static_cast<int>(rng() % 40);
        Rectangle_noir(Plan1, x0, y0, x0 + static_cast<int>(rng() % 12), y0 + static_cast<int>(rng() % 3));
    }
    std::uniform_int_distribution<int> x(-5, 65), y(-5, 45);
    for (int i = 0; i < 3000; i++) {
        const int a = x(rng), b = y(rng), c = x(rng), d = y(rng), seuil = static_cast<int>(rng() % 8) - 1;
        ASSERT_EQ(Blancs_au_dela(a, b, c, d, Plan1, seuil), Compte_blancs(a, b, c, d, Plan1) > seuil)
            << a << "," << b << " " << c << "," << d << " seuil " << seuil;
    }
}
