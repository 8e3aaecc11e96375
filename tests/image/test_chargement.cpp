// Loading BMP files (good and malformed), the converter hand-off, Open,
// Close and Information.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "port/shell.h"
#include "image/chargement.h"
#include "image/fils.h"
#include "spotting/etat_analyse.h"
#include "image/planes.h"
#include "image/zoom.h"
#include "tests/support/support.h"
#include "vecto/records.h"

using namespace tmtest;
namespace fs = std::filesystem;

namespace {
void Pose_u32(std::vector<uint8_t>& b, size_t o, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[o + i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

class Chargement : public Environnement {
protected:
    void SetUp() override
    {
        Environnement::SetUp();
        // The converter is looked for in the working directory first.
        fs::create_symlink(fs::path(TM_BUILD_DIR) / "cxconvert", dir / "cxconvert");
    }
};

TEST_F(Chargement, ColourTableOrderDoesNotChangeThePicture)
{
    ASSERT_EQ(Lit_bmp(TM_TEST_DATA "/tiny_13x7.bmp"), 1);
    EXPECT_EQ(Plan1.table[0].bleu, 0);
    EXPECT_EQ(Plan1.table[1].rouge, 255);
    const std::string blanc_premier = Plan_en_texte(Plan1);
    ASSERT_EQ(Lit_bmp(TM_TEST_DATA "/tiny_13x7_blackfirst.bmp"), 1);
    EXPECT_EQ(Plan_en_texte(Plan1), blanc_premier);
    EXPECT_NE(blanc_premier.find('#'), std::string::npos);
    // 13 pixels a row stored in 4-byte rows; the frame whitens column 12,
    // which with the top row is outside the picture the accessors show.
    EXPECT_EQ(Octets_ligne, 4);
    EXPECT_EQ(Largeur, 13);
    EXPECT_EQ(Hauteur, 7);
    EXPECT_EQ(Lit_pixel(12, 6, Plan1), 0);
    for (int x = 1; x < 13; x++) EXPECT_EQ(Lit_pixel(x, 1, Plan1), 0);
    for (int r = 0; r < 7; r++) {
        EXPECT_EQ(Plan1.pixels[r * 4] & 0x80, 0x80) << "first pixel of buffer row " << r;
        EXPECT_EQ(Plan1.pixels[r * 4 + 1] & 0x08, 0x08) << "pixel 12 of buffer row " << r;
    }
    // Plan2 starts white with the same geometry; the zoom plane has the
    // headers and gets its buffer with the first reduced picture.
    EXPECT_EQ(Plan2.pixels.size(), Plan1.pixels.size());
    for (uint8_t o : Plan2.pixels) EXPECT_EQ(o, 0xFF);
    EXPECT_EQ(int32_t{Plan_zoom.info.largeur}, 13);  // a packed field: read by value
    EXPECT_FALSE(Plan_zoom.existe());
    EXPECT_EQ(Lit_pixel(1, 1, Plan_zoom), 0);
    Construit_zoom(Plan1, 2);
    ASSERT_EQ(Plan_zoom.pixels.size(), Plan1.pixels.size());
    EXPECT_EQ(Plan_zoom.larg, 13);
    for (int x = 1; x < 6; x++)
        for (int y = 1; y < 3; y++) EXPECT_EQ(Lit_pixel(x, y, Plan_zoom), Lit_pixel(2 * x, 2 * y, Plan1)) << x << "," << y;
}

// A sheet large enough for Plan2 to be made white on a helper thread while
// the pixels are read loads as on one thread.
TEST_F(Chargement, LargeSheetLoadsTheSameOnOneOrTwoThreads)
{
    const fs::path chemin = dir / "grande.bmp";
    Ecrit_fichier(chemin, Bmp_1bit(6000, 6000, true, {"", "  ####", "  #  #", "  ####"}));
    std::vector<uint8_t> plan1;
    for (const int fils : {1, 2}) {
        SCOPED_TRACE(fils);
        Fils_analyse = fils;
        ASSERT_EQ(Lit_bmp(chemin.string()), 1);
        Fils_analyse = 0;
        ASSERT_EQ(Plan2.pixels.size(), Plan1.pixels.size());
        EXPECT_GE(Plan2.pixels.size(), size_t(4) << 20);
        EXPECT_EQ(std::count(Plan2.pixels.begin(), Plan2.pixels.end(), 0xFF), static_cast<long>(Plan2.pixels.size()));
        EXPECT_EQ(Plan2.larg, 6000);
        EXPECT_EQ(Lit_pixel(3, 2, Plan1), 1);
        if (fils == 1) plan1 = Plan1.pixels;
        else EXPECT_EQ(Plan1.pixels, plan1);
    }
}

TEST_F(Chargement, WhiteFirstInversionLeavesThePaddingBytesAlone)
{
    auto b = Bmp_1bit(13, 4, true, {"", "#...........#"});
    for (int r = 0; r < 4; r++) b[62 + r * 4 + 2] = 0x5A, b[62 + r * 4 + 3] = 0xA5;
    Ecrit_fichier(dir / "pad.bmp", b);
    ASSERT_EQ(Lit_bmp((dir / "pad.bmp").string()), 1);
    for (int r = 0; r < 4; r++) {
        EXPECT_EQ(Plan1.pixels[r * 4 + 2], 0x5A);
        EXPECT_EQ(Plan1.pixels[r * 4 + 3], 0xA5);
    }
    // Ink at column 0 and column 12 is under the frame; the row reads white.
    for (int x = 0; x <= 13; x++) EXPECT_EQ(Lit_pixel(x, 2, Plan1), 0);
}

// Rows of a classic 1-bit file hold the width rounded up to 4 bytes; a width
// that fills its rows exactly (a multiple of 32) has no padding at all. Ink
// is scattered over every column, so a row read one byte off shows.
TEST_F(Chargement, RowLengthFollowsTheWidthUpToWholeWords)
{
    for (int w : {31, 32, 33, 64, 96}) {
        for (bool blanc_premier : {false, true}) {
            SCOPED_TRACE("width " + std::to_string(w) + (blanc_premier ? ", white first" : ", black first"));
            const int h = 7;
            std::vector<std::string> motif(h, std::string(w, '.'));
            for (int r = 0; r < h; r++)
                for (int x = 0; x < w; x++)
                    if ((x * 7 + r * 3) % 5 < 2 || x == w - 2) motif[r][x] = '#';
            Ecrit_fichier(dir / "mot.bmp", Bmp_1bit(w, h, blanc_premier, motif));
            ASSERT_EQ(Lit_bmp((dir / "mot.bmp").string()), 1);
            EXPECT_EQ(Largeur, w);
            EXPECT_EQ(Octets_ligne, (w + 31) / 32 * 4);
            // y is the row from the top plus one; the frame whitens the
            // first and last rows and columns.
            std::string attendu;
            for (int y = 1; y < h; y++) {
                for (int x = 1; x < w; x++)
                    attendu += motif[y - 1][x] == '#' && x != w - 1 && y - 1 != 0 && y - 1 != h - 1 ? '#' : '.';
                attendu += '\n';
            }
            EXPECT_EQ(Plan_en_texte(Plan1), attendu);
        }
    }
}

TEST_F(Chargement, MalformedFilesAreRefusedWithoutHarm)
{
    const auto bon = Bmp_1bit(40, 20, false, {"", "..########"});
    struct Cas {
        const char* nom;
        std::vector<uint8_t> octets;
    };
    std::vector<Cas> cas;
    cas.push_back({"empty", {}});
    cas.push_back({"headers cut", std::vector<uint8_t>(bon.begin(), bon.begin() + 30)});
    cas.push_back({"pixels cut", std::vector<uint8_t>(bon.begin(), bon.end() - 7)});
    {
        auto b = bon;
        Pose_u32(b, 2, static_cast<uint32_t>(b.size() + 4000));  // size lies
        cas.push_back({"size claims more", b});
    }
    {
        auto b = bon;
        Pose_u32(b, 22, 0);
        cas.push_back({"zero height", b});
    }
    {
        auto b = bon;
        Pose_u32(b, 18, 0);
        cas.push_back({"zero width", b});
    }
    {
        auto b = bon;
        Pose_u32(b, 18, static_cast<uint32_t>(-40));
        cas.push_back({"negative width", b});
    }
    {
        auto b = bon;
        Pose_u32(b, 18, 4000);  // rows too short for that width
        cas.push_back({"width beyond row", b});
    }
    {
        // One row of width 1000 whose size field gives it 2^28 + 8 bytes.
        auto b = Bmp_1bit(1000, 1, false);
        Pose_u32(b, 2, 62 + (1u << 28) + 8);
        cas.push_back({"size of huge rows", b});
    }
    {
        auto b = bon;
        Pose_u32(b, 2, 0xFFFFFFF0u);  // absurd size
        cas.push_back({"absurd size", b});
    }
    {
        auto b = bon;
        Pose_u32(b, 22, 1000000);  // many rows, each a fraction of a byte
        cas.push_back({"height beyond data", b});
    }
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        const auto p = dir / "bad.bmp";
        Ecrit_fichier(p, c.octets);
        fe.boites.clear();
        Open(p.string());
        EXPECT_EQ(Plan_courant, nullptr);
        EXPECT_EQ(Etat_affichage, 3);
        ASSERT_EQ(fe.boites.size(), 1u);
        EXPECT_EQ(fe.boites[0].texte, "Error in Image file !");
        EXPECT_EQ(fe.boites[0].titre, "Error");
    }
    fe.boites.clear();
    Open((dir / "does-not-exist.bmp").string());
    ASSERT_EQ(fe.boites.size(), 1u);
    EXPECT_EQ(fe.boites[0].texte, "Error in Image file !");
}

TEST_F(Chargement, OtherFormatsGoThroughTheConverter)
{
    for (const char* nom : {"drawing_gray8.png", "drawing_g4.tif", "drawing.gif", "drawing_color24.jpg"}) {
        SCOPED_TRACE(nom);
        EXPECT_EQ(Lit_bmp(std::string(TM_TEST_DATA "/") + nom), 2);
        ASSERT_EQ(Charge_Img(std::string(TM_TEST_DATA "/") + nom), 1);
        EXPECT_EQ(Largeur, 856);
        EXPECT_EQ(Hauteur, 649);
        EXPECT_TRUE(fs::exists(dir / "tmp.bmp"));
        int encre = 0;
        for (int y = 1; y < Hauteur; y++)
            for (int x = 1; x < Largeur; x++) encre += Lit_pixel(x, y, Plan1);
        EXPECT_GT(encre, 1000);                   // the drawing is there
        EXPECT_LT(encre, Largeur * Hauteur / 4);  // on white paper
    }
}

TEST_F(Chargement, OneBitBmpUnderAnotherNameIsReadDirectly)
{
    fs::copy_file(TM_TEST_DATA "/tiny_13x7.bmp", dir / "drawing_1bit_as.jpg");
    EXPECT_EQ(Charge_Img((dir / "drawing_1bit_as.jpg").string()), 1);
    EXPECT_FALSE(fs::exists(dir / "tmp.bmp"));
}

TEST_F(Chargement, SpaceInThePathRefusesTheConversion)
{
    const auto p = dir / "a drawing.png";
    fs::copy_file(TM_TEST_DATA "/drawing_gray8.png", p);
    Open(p.string());
    EXPECT_FALSE(fs::exists(dir / "tmp.bmp"));
    ASSERT_EQ(fe.boites.size(), 1u);
    EXPECT_EQ(fe.boites[0].texte, "Space are forbidden in image path !");
    EXPECT_EQ(Plan_courant, nullptr);
    // A 1-bit BMP with a space loads: it never needs the converter.
    fs::copy_file(TM_TEST_DATA "/tiny_13x7.bmp", dir / "a tiny.bmp");
    EXPECT_EQ(Charge_Img((dir / "a tiny.bmp").string()), 1);
}

TEST_F(Chargement, FailedConversionDoesNotLoadThePreviousOne)
{
    ASSERT_EQ(Charge_Img(TM_TEST_DATA "/drawing_gray8.png"), 1);
    ASSERT_TRUE(fs::exists(dir / "tmp.bmp"));
    std::vector<uint8_t> bruit(200, 0x37);
    Ecrit_fichier(dir / "bruit.png", bruit);
    EXPECT_EQ(Charge_Img((dir / "bruit.png").string()), 0);
}

TEST_F(Chargement, OpenSetsTheWindowAndCloseEmptiesEveryList)
{
    Open(TM_TEST_DATA "/tiny_13x7.bmp");
    ASSERT_EQ(Plan_courant, &Plan1);
    EXPECT_EQ(Etat_affichage, 1);
    EXPECT_EQ(Niveau_zoom, 0);
    EXPECT_EQ(Chemin_image, TM_TEST_DATA "/tiny_13x7.bmp");
    EXPECT_EQ(Resolution, 300);
    // Some records as a vectorisation would leave them.
    Liste_vecteurs = new Vecteur;
    Liste_vecteurs->suivant = new Vecteur;
    Liste_quads = new Quad;
    Nb_quads = 1;
    Liste_CC = new CC;
    Open(TM_TEST_DATA "/tiny_13x7_blackfirst.bmp");  // closes the first one
    EXPECT_EQ(Texte_log(),
              "\n Raz vecteurs :  2 \n Raz quadr. :  1 \n Raz quadr. :  0 \n Raz vecteurs :  0 "
              "\n Raz C.C. :  1 \n Raz Caracteres :  0 \n Raz C.C. :  0 \n Raz courbes :  0 "
              "\n Raz Arcs QQ :  0 \n Raz Arcs VV :  0 \n Raz Arcs QV :  0 \n Raz Symboles :  0 ");
    EXPECT_EQ(Liste_vecteurs, nullptr);
    EXPECT_EQ(Nb_quads, 0);
    Ferme_image();
    EXPECT_EQ(Plan_courant, nullptr);
    EXPECT_EQ(Etat_affichage, 3);
    EXPECT_FALSE(Plan1.existe());
    EXPECT_EQ(Hauteur, 7);  // the geometry stays until the next load
    // Close with no image does nothing to the log.
    Efface_texte();
    Ferme_image();
    EXPECT_EQ(Texte_log(), "");
}

TEST_F(Chargement, InformationListsTheGeometry)
{
    Information();
    EXPECT_EQ(Texte_log(), "\n- Octets per line:  0 \n- Lines in image:  0 ");
    Open(TM_TEST_DATA "/tiny_13x7.bmp");
    Information();
    EXPECT_EQ(Texte_log(),
              "\n- Octets per line:  4 \n- Lines in image:  7 \n- No. pixels for x (bmp):  13 "
              "\n- No. pixels for y (bmp):  7 \n- Resolution:  300 ");
}

TEST_F(Chargement, ResolutionIsReadAgainWhileInvalid)
{
    Sans_parametre("Resolution");
    ASSERT_EQ(Lit_bmp(TM_TEST_DATA "/tiny_13x7.bmp"), 1);  // the image still loads
    EXPECT_EQ(Resolution, -255);
    ASSERT_EQ(fe.boites.size(), 1u);
    EXPECT_EQ(fe.boites[0].texte, "Parametre inconnu !\nparam.dat: Resolution: no such key");
    Parametres({{"Resolution", "200"}});
    ASSERT_EQ(Lit_bmp(TM_TEST_DATA "/tiny_13x7.bmp"), 1);
    EXPECT_EQ(Resolution, 200);
    Parametres({{"Resolution", "400"}});
    ASSERT_EQ(Lit_bmp(TM_TEST_DATA "/tiny_13x7.bmp"), 1);
    EXPECT_EQ(Resolution, 200);  // a valid value is kept
}

TEST_F(Chargement, EveryCorpusDrawingLoads)
{
    ASSERT_EQ(Lit_bmp(TM_TEST_DATA "/bath_plan.bmp"), 1);
    EXPECT_EQ(Largeur, 1032);
    EXPECT_EQ(Hauteur, 1272);
    const fs::path corpus = fs::path(TM_SOURCE_DIR) / "../shared/corpus/drawings";
    if (!fs::exists(corpus)) GTEST_SKIP() << "no shared corpus beside the repository";
    for (const auto& e : fs::directory_iterator(corpus)) {
        if (e.path().extension() != ".bmp") continue;
        SCOPED_TRACE(e.path().filename().string());
        EXPECT_EQ(Lit_bmp(e.path().string()), 1);
    }
}
