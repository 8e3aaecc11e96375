// 1-bit BMPs outside the classic layout go through the converter and give
// the classic file's picture; widths near the int limit load without wrap.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "image/chargement.h"
#include "image/planes.h"
#include "tests/support/support.h"

using namespace tmtest;
namespace fs = std::filesystem;

namespace {

void Pose_u32(std::vector<uint8_t>& b, size_t o, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[o + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The same file with a longer information header (108: version 4, 124:
// version 5), the extra fields zero, the pixel offset following.
std::vector<uint8_t> Entete_longue(std::vector<uint8_t> b, uint32_t taille_entete)
{
    b.insert(b.begin() + 54, taille_entete - 40, 0);
    Pose_u32(b, 14, taille_entete);
    Pose_u32(b, 10, 14 + taille_entete + 8);
    Pose_u32(b, 2, static_cast<uint32_t>(b.size()));
    return b;
}

// The same picture stored top row first, with a negative height.
std::vector<uint8_t> Haut_en_bas(std::vector<uint8_t> b, int h)
{
    const size_t octets = (b.size() - 62) / h;
    for (int r = 0; r < h / 2; r++)
        std::swap_ranges(b.begin() + 62 + r * octets, b.begin() + 62 + (r + 1) * octets,
                         b.begin() + 62 + (h - 1 - r) * octets);
    Pose_u32(b, 22, static_cast<uint32_t>(-h));
    return b;
}

}  // namespace

class Variantes : public Environnement {
protected:
    void SetUp() override
    {
        Environnement::SetUp();
        fs::create_symlink(fs::path(TM_BUILD_DIR) / "cxconvert", dir / "cxconvert");
    }
};

TEST_F(Variantes, OtherOneBitLayoutsGiveTheClassicPicture)
{
    const std::vector<std::string> motif = {"", "", "..#########....#..", "..#...........#...", "..#.....#####......",
                                            "..#.........#.....", ".....#.......#....", ""};
    const int w = 19, h = 8;
    const auto classique = Bmp_1bit(w, h, false, motif);
    Ecrit_fichier(dir / "classique.bmp", classique);
    ASSERT_EQ(Lit_bmp((dir / "classique.bmp").string()), 1);
    const std::string attendu = Plan_en_texte(Plan1);
    ASSERT_NE(attendu.find('#'), std::string::npos);

    struct Cas {
        const char* nom;
        std::vector<uint8_t> octets;
    };
    std::vector<Cas> cas;
    cas.push_back({"108-byte header", Entete_longue(classique, 108)});
    cas.push_back({"124-byte header, white first", Entete_longue(Bmp_1bit(w, h, true, motif), 124)});
    cas.push_back({"top-down", Haut_en_bas(classique, h)});
    {
        // The size field counts unpadded rows: 3 bytes a row instead of 4.
        auto b = classique;
        Pose_u32(b, 2, 62 + 3 * h);
        cas.push_back({"unpadded size field", b});
    }
    {
        auto b = classique;
        Pose_u32(b, 2, 30);
        cas.push_back({"size field below the pixel offset", b});
    }
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const auto p = dir / "variante.bmp";
        Ecrit_fichier(p, c.octets);
        fs::remove(dir / "tmp.bmp");
        EXPECT_EQ(Lit_bmp(p.string()), 2);
        ASSERT_EQ(Charge_Img(p.string()), 1);
        EXPECT_TRUE(fs::exists(dir / "tmp.bmp"));
        EXPECT_EQ(Largeur, w);
        EXPECT_EQ(Hauteur, h);
        EXPECT_EQ(Octets_ligne, 4);
        EXPECT_EQ(Plan_en_texte(Plan1), attendu);
    }
}

// Widths whose byte count wrapped in int; the file is sparse, 256 MB long.
TEST_F(Variantes, WidthNearTheIntLimitLoadsWithoutWrapping)
{
    for (uint32_t w : {2147483641u, 2147483647u}) {
        SCOPED_TRACE(w);
        auto b = Bmp_1bit(8, 1, true);
        const uint32_t octets = ((w + 31ull) / 32) * 4;
        Pose_u32(b, 18, w);
        Pose_u32(b, 2, 62 + octets);
        Pose_u32(b, 34, octets);
        b.resize(62);
        const auto p = dir / "large.bmp";
        Ecrit_fichier(p, b);
        ASSERT_EQ(::truncate(p.c_str(), 62 + off_t(octets)), 0);
        ASSERT_EQ(Lit_bmp(p.string()), 1);
        EXPECT_EQ(Largeur, int32_t(w));
        EXPECT_EQ(Octets_ligne, int32_t(octets));
        // One row: it is the frame, white up to the last pixel, padding untouched.
        const size_t utiles = (w + 7) / 8;
        EXPECT_EQ(std::count(Plan1.pixels.begin(), Plan1.pixels.begin() + utiles, 0xFF), ptrdiff_t(utiles));
        EXPECT_EQ(std::count(Plan1.pixels.begin() + utiles, Plan1.pixels.end(), 0x00), ptrdiff_t(octets - utiles));
        Remise_a_zero();
    }
}
