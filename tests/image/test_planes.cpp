// Pixel accessors, plane-wide operations and saving Plan2.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "port/shell.h"
#include "image/chargement.h"
#include "image/planes.h"
#include "tests/support/support.h"

using namespace tmtest;

class Plans : public Environnement {};

TEST_F(Plans, AccessorsOnlyReachTheAddressableWindow)
{
    Image_blanche(10, 10);
    // Blacken the whole buffer, then look through the accessors.
    std::fill(Plan1.pixels.begin(), Plan1.pixels.end(), 0x00);
    EXPECT_EQ(Lit_pixel(0, 5, Plan1), 0);
    EXPECT_EQ(Lit_pixel(5, 0, Plan1), 0);
    EXPECT_EQ(Lit_pixel(10, 5, Plan1), 0);
    EXPECT_EQ(Lit_pixel(5, 10, Plan1), 0);
    EXPECT_EQ(Lit_pixel(-1, -1, Plan1), 0);
    EXPECT_EQ(Lit_pixel(9, 1, Plan1), 1);
    EXPECT_EQ(Lit_pixel(1, 9, Plan1), 1);

    Image_blanche(10, 10);
    const auto avant = Plan1.pixels;
    EXPECT_EQ(Ecrit_pixel(3, 10, 1, Plan1), -1);  // the bottom row of the file
    EXPECT_EQ(Ecrit_pixel(0, 3, 1, Plan1), -1);
    EXPECT_EQ(Plan1.pixels, avant);
    EXPECT_EQ(Ecrit_pixel(3, 4, 1, Plan1), 0);
    EXPECT_EQ(Lit_pixel(3, 4, Plan1), 1);
    EXPECT_EQ(Ecrit_pixel(3, 4, 2, Plan1), 0);  // any value but 1 whitens
    EXPECT_EQ(Lit_pixel(3, 4, Plan1), 0);
}

TEST_F(Plans, PixelAddressIsBottomUpMostSignificantBitFirst)
{
    Image_blanche(16, 4);  // 4 bytes a row
    Ecrit_pixel(1, 1, 1, Plan1);   // top row = last buffer row
    Ecrit_pixel(9, 3, 1, Plan1);   // buffer row 1, second byte
    EXPECT_EQ(Plan1.pixels[3 * 4 + 0], 0xBF);
    EXPECT_EQ(Plan1.pixels[1 * 4 + 1], 0xBF);
}

TEST_F(Plans, ReleasedPlaneReadsWhite)
{
    Image_blanche(10, 10);
    Rectangle_noir(Plan1, 1, 1, 8, 8);
    Libere_plan(Plan1);
    EXPECT_EQ(Lit_pixel(4, 4, Plan1), 0);
    EXPECT_EQ(Ecrit_pixel(4, 4, 1, Plan1), -1);
}

TEST_F(Plans, CopyP2ToP1LeavesTheLastColumnAndRow)
{
    Image_blanche(10, 10);
    Rectangle_noir(Plan2, 1, 1, 9, 9);
    Copie_P2_P1();
    for (int y = 1; y <= 9; y++)
        for (int x = 1; x <= 9; x++)
            EXPECT_EQ(Lit_pixel(x, y, Plan1), (x <= 8 && y <= 8) ? 1 : 0) << x << "," << y;
    EXPECT_EQ(Texte_log(), "");
}

TEST_F(Plans, EffaceP2WhitensPaddingToo)
{
    Image_blanche(13, 7);
    std::fill(Plan2.pixels.begin(), Plan2.pixels.end(), 0x00);
    Efface_P2();
    for (uint8_t o : Plan2.pixels) EXPECT_EQ(o, 0xFF);
}

TEST_F(Plans, SavedPlan2KeepsTheHeadersWithABlackFirstTable)
{
    const auto src = dir / "wf.bmp";
    Ecrit_fichier(src, Bmp_1bit(13, 7, true, {"", "..##"}));
    ASSERT_EQ(Lit_bmp(src.string()), 1);
    Plan_courant = &Plan1;
    Ecrit_pixel(2, 2, 1, Plan2);
    const auto dst = dir / "plan2";  // no extension added
    ASSERT_TRUE(Sauve_P2(dst.string()));
    const auto octets = Lit_fichier(dst);
    const auto source = Lit_fichier(src);
    ASSERT_EQ(octets.size(), source.size());
    EXPECT_TRUE(std::equal(source.begin(), source.begin() + 54, octets.begin()));  // headers unchanged
    EXPECT_EQ(octets[54], 0);  // entry 0 black now
    EXPECT_EQ(octets[58], 255);
    // An ordinary image tool (libvips, through the converter) reads it.
    const std::string cmd = std::string(TM_BUILD_DIR) + "/cxconvert " + dst.string() + " " + (dir / "relu.bmp").string();
    EXPECT_EQ(std::system(cmd.c_str()), 0);
}

TEST_F(Plans, SaveP2WithoutAnImageWritesNothing)
{
    EXPECT_FALSE(Sauve_P2((dir / "x.bmp").string()));
    EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));
}
