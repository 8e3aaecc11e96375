#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "image/planes.h"
#include "tests/support/support.h"
#include "vecto/axe_median.h"
#include "vecto/vectorisation.h"

using namespace tmtest;

namespace {

class Axe_median_test : public Environnement {};

// The per-pixel definition, in a map of int (no wrap).
void Ref_axe_median()
{
    Efface_P2();
    const int W = Plan1.larg, H = Plan1.haut;
    std::vector<int> D(static_cast<size_t>(W) * H);
    auto d = [&](int x, int y) -> int& { return D[static_cast<size_t>(y) * W + x]; };
    auto lu = [&](int x, int y) { return x >= W ? 0 : d(x, y); };
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) d(x, y) = Lit_pixel(x, y, Plan1);
    for (int y = 1; y <= H - 1; y++)
        for (int x = 1; x <= W - 2; x++)
            if (d(x, y)) d(x, y) = std::min({d(x - 1, y - 1), d(x, y - 1), d(x + 1, y - 1), d(x - 1, y)}) + 1;
    for (int y = H - 2; y >= 0; y--)
        for (int x = W - 1; x >= 1; x--)
            if (d(x, y))
                d(x, y) = std::min({d(x - 1, y + 1) + 1, d(x, y + 1) + 1, lu(x + 1, y + 1) + 1, lu(x + 1, y) + 1, d(x, y)});
    for (int y = 1; y <= H - 1; y++)
        for (int x = 1; x <= W - 2; x++) {
            const int v = d(x, y);
            if (v && (v < d(x - 1, y - 1) || v < d(x, y - 1) || v < d(x + 1, y - 1) || v < d(x - 1, y)))
                Ecrit_pixel(x, y, 1, Plan2);
        }
    for (int y = H - 2; y >= 0; y--)
        for (int x = W - 1; x >= 1; x--) {
            const int v = d(x, y);
            if (v && (v < d(x - 1, y + 1) || v < d(x, y + 1) || v < lu(x + 1, y + 1) || v < lu(x + 1, y)))
                Ecrit_pixel(x, y, 1, Plan2);
        }
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) Ecrit_pixel(x, y, Lit_pixel(x, y, Plan1) && !Lit_pixel(x, y, Plan2), Plan2);
}

int Noirs(const PlanImage& p)
{
    int n = 0;
    for (int y = 1; y < p.haut; y++)
        for (int x = 1; x < p.larg; x++) n += Lit_pixel(x, y, p);
    return n;
}

}  // namespace

TEST_F(Axe_median_test, IdentiqueALaDefinitionPixelParPixel)
{
    std::mt19937 rng(777);
    for (auto [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {2, 2}, {3, 3}, {13, 7}, {33, 20}, {64, 9}, {66, 5}, {70, 41}, {129, 17}}) {
        for (int essai = 0; essai < 4; essai++) {
            Image_blanche(w, h);
            for (auto& o : Plan1.pixels) o = static_cast<uint8_t>(rng());
            for (auto& o : Plan2.pixels) o = static_cast<uint8_t>(rng());
            std::uniform_int_distribution<int> px(0, w), py(0, h), t(0, 12);
            for (int i = 0; i < 6; i++) {
                const int x0 = px(rng), y0 = py(rng);
                Rectangle_noir(Plan1, x0, y0, x0 + t(rng), y0 + t(rng));
            }
            const auto p1 = Plan1.pixels, p2 = Plan2.pixels;
            Axe_median();
            const auto r2 = Plan2.pixels;
            Plan2.pixels = p2;
            Ref_axe_median();
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
            ASSERT_EQ(p1, Plan1.pixels);  // Plan1 is only read
            ASSERT_EQ(Plan2.pixels, r2);
        }
    }
}

TEST_F(Axe_median_test, Cretes)
{
    // 11 x 40 rectangle: the pixels at distance 6 on the middle row, 5 short
    // of each end.
    Image_blanche(60, 30);
    Rectangle_noir(Plan1, 10, 10, 49, 20);
    Axe_median();
    EXPECT_EQ(30, Noirs(Plan2));
    for (int x = 15; x <= 44; x++) EXPECT_EQ(1, Lit_pixel(x, 15, Plan2)) << x;

    // A one-pixel line is its own ridge.
    Image_blanche(30, 20);
    for (int i = 0; i < 12; i++) Ecrit_pixel(3 + i, 4 + i, 1, Plan1);
    Rectangle_noir(Plan1, 5, 2, 25, 2);
    Axe_median();
    EXPECT_EQ(Plan_en_texte(Plan1), Plan_en_texte(Plan2));

    // All white: Plan2 white, whatever it held.
    Image_blanche(20, 20);
    Rectangle_noir(Plan2, 1, 1, 19, 19);
    Axe_median();
    EXPECT_EQ(0, Noirs(Plan2));
}

// Distances above 255 must not wrap: a 531-pixel square has one ridge
// pixel, its centre at distance 266.
TEST_F(Axe_median_test, GrandeTacheSansDebordement)
{
    Image_blanche(545, 545);
    Rectangle_noir(Plan1, 7, 7, 537, 537);
    Axe_median();
    EXPECT_EQ(1, Noirs(Plan2));
    EXPECT_EQ(1, Lit_pixel(272, 272, Plan2));
}

TEST_F(Axe_median_test, Commande)
{
    Commande_axe_median();  // no image: the beep only
    EXPECT_EQ(1, fe.bips_fin);
    Image_blanche(60, 30);
    Rectangle_noir(Plan1, 10, 10, 49, 20);
    Commande_axe_median();
    EXPECT_EQ(30, Noirs(Plan2));
    EXPECT_EQ(2, fe.bips_fin);
}
