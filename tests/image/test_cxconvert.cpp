// The converter program: formats in, a 1-bit black-first BMP out.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/support.h"

using namespace tmtest;
namespace fs = std::filesystem;

namespace {
int Lance(const std::string& args)
{
    const std::string cmd = std::string(TM_BUILD_DIR) + "/cxconvert " + args + " 2>/dev/null";
    const int r = std::system(cmd.c_str());
    return WIFEXITED(r) ? WEXITSTATUS(r) : -1;
}
uint32_t U32(const std::vector<uint8_t>& b, size_t o)
{
    return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (uint32_t(b[o + 3]) << 24);
}
}  // namespace

class Convertisseur : public Environnement {};

TEST_F(Convertisseur, WritesABlackFirstOneBitBmp)
{
    for (const char* nom : {"drawing_gray8.png", "drawing_g4.tif", "drawing.gif", "drawing_color24.jpg"}) {
        SCOPED_TRACE(nom);
        const auto sortie = dir / "out.bmp";
        ASSERT_EQ(Lance(std::string(TM_TEST_DATA "/") + nom + " " + sortie.string()), 0);
        const auto b = Lit_fichier(sortie);
        ASSERT_GE(b.size(), 62u);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(U32(b, 2), b.size());
        EXPECT_EQ(U32(b, 10), 62u);
        EXPECT_EQ(U32(b, 14), 40u);
        EXPECT_EQ(U32(b, 18), 856u);
        EXPECT_EQ(U32(b, 22), 649u);
        EXPECT_EQ(b[28], 1);                                   // 1 bit a pixel
        EXPECT_EQ(b[54] | b[55] | b[56], 0);                   // entry 0 black
        EXPECT_EQ(b[58] & b[59] & b[60], 255);                 // entry 1 white
        EXPECT_EQ(b.size(), 62u + 108u * 649u);                // rows of 4-byte multiples
    }
}

TEST_F(Convertisseur, BiLevelInputKeepsItsInk)
{
    // The G4 TIFF is already bi-level: every format of the same drawing should
    // give about the same amount of ink.
    auto encre = [&](const char* nom) {
        const auto sortie = dir / "out.bmp";
        EXPECT_EQ(Lance(std::string(TM_TEST_DATA "/") + nom + " " + sortie.string()), 0);
        const auto b = Lit_fichier(sortie);
        long n = 0;
        for (int r = 0; r < 649; r++)
            for (int x = 0; x < 856; x++) n += !((b[62 + r * 108 + x / 8] >> (7 - x % 8)) & 1);
        return n;
    };
    const long ref = encre("drawing_g4.tif");
    EXPECT_GT(ref, 5000);
    for (const char* nom : {"drawing_gray8.png", "drawing.gif"}) EXPECT_NEAR(encre(nom), ref, ref / 5) << nom;
}

TEST_F(Convertisseur, FailsLoudlyOnBadInput)
{
    EXPECT_NE(Lance((dir / "missing.png").string() + " " + (dir / "o.bmp").string()), 0);
    Ecrit_fichier(dir / "garbage.png", std::vector<uint8_t>(300, 0x42));
    EXPECT_NE(Lance((dir / "garbage.png").string() + " " + (dir / "o.bmp").string()), 0);
    EXPECT_FALSE(fs::exists(dir / "o.bmp"));
    EXPECT_NE(Lance(std::string(TM_TEST_DATA "/drawing.gif")), 0);  // usage
    EXPECT_NE(Lance(std::string(TM_TEST_DATA "/drawing.gif") + " /nonexistent-dir/o.bmp"), 0);
}
