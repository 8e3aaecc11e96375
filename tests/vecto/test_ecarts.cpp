// The early-stopping gap test against the full white count.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "tests/support/support.h"
#include "vecto/ecarts.h"
#include "vecto/geometrie.h"

using namespace tmtest;

namespace {
class Ecarts : public Environnement {};
}  // namespace

// Random lines of every slope over a random drawing, ends outside the image
// and far away included, thresholds below, at and above the counts.
TEST_F(Ecarts, GapTestsAnswerAsTheFullCount)
{
    Image_blanche(60, 40);
    std::mt19937 rng(11);
    for (int i = 0; i < 25; i++) {
        const int x0 = static_cast<int>(rng() % 60), y0 = static_cast<int>(rng() % 40);
        Rectangle_noir(Plan1, x0, y0, x0 + static_cast<int>(rng() % 12), y0 + static_cast<int>(rng() % 3));
    }
    std::uniform_int_distribution<int> x(-5, 65), y(-5, 45);
    auto loin = [&](int v) { return rng() % 10 == 0 ? v + static_cast<int>(rng() % 2 ? 1 << 30 : -(1 << 30)) : v; };
    for (int i = 0; i < 4000; i++) {
        const int a = loin(x(rng)), b = y(rng), c = x(rng), d = loin(y(rng));
        int seuil = static_cast<int>(rng() % 8) - 1;
        if (i % 50 == 0) seuil = i % 100 == 0 ? INT_MAX : INT_MIN;
        const int n = Compte_blancs(a, b, c, d, Plan1);
        ASSERT_EQ(Blancs_au_dela(a, b, c, d, Plan1, seuil), n > seuil)
            << a << "," << b << " " << c << "," << d << " seuil " << seuil;
        ASSERT_EQ(Blancs_sous(a, b, c, d, Plan1, seuil), n < seuil)
            << a << "," << b << " " << c << "," << d << " seuil " << seuil;
    }
}
