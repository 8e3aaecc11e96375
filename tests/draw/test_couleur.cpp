// The colour picture: its line and filled quadrilateral, the colours of the
// coloured drawings, the 24-bit BMP file and the colour window's commands.
#include <unistd.h>

#include <map>

#include "port/shell.h"
#include "draw/commandes_couleur.h"
#include "draw/dessin.h"
#include "draw/image_couleur.h"
#include "tests/support/support.h"

namespace {

using Couleurs = std::map<std::pair<int, int>, uint32_t>;

// Every pixel of the picture that is not white.
Couleurs Non_blancs()
{
    Couleurs c;
    for (int y = 0; y < Image_couleur.hauteur; y++)
        for (int x = 0; x < Image_couleur.largeur; x++)
            if (Lit_couleur(x, y) != Blanc) c[{x, y}] = Lit_couleur(x, y);
    return c;
}

struct Fenetre : FrontendEnregistreur {
    std::vector<bool> montre;  // one entry per show_colour_image, its modality
    void show_colour_image(bool modal) override { montre.push_back(modal); }
};

class ImageCouleurs : public tmtest::Environnement {
protected:
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        Image_couleur = ImageCouleur{};
        Installe_frontend(&fenetre);
    }
    Fenetre fenetre;
};

// Bresenham from the first point, end pixel left out, clipped to the picture.
TEST_F(ImageCouleurs, LineLeavesOutItsEndPixelAndIsClipped)
{
    const struct { int x1, y1, x2, y2; std::initializer_list<std::pair<int, int>> pixels; } cas[] = {
        {2, 2, 5, 2, {{2, 2}, {3, 2}, {4, 2}}}, {5, 2, 2, 2, {{5, 2}, {4, 2}, {3, 2}}},
        {3, 1, 3, 4, {{3, 1}, {3, 2}, {3, 3}}}, {1, 1, 4, 4, {{1, 1}, {2, 2}, {3, 3}}},
        {1, 1, 3, 6, {{1, 1}, {1, 2}, {2, 3}, {2, 4}, {3, 5}}}, {4, 4, 4, 4, {}},
        {10, 5, 14, 5, {{10, 5}, {11, 5}}}, {-2, 0, 1, 0, {{0, 0}}}, {11, 9, 13, 12, {{11, 9}}},
    };
    tmtest::Image_blanche(12, 10);
    for (const auto& c : cas) {
        Efface_couleur();
        std::fill(Image_couleur.pixels.begin(), Image_couleur.pixels.end(), Blanc);
        Ligne_couleur(c.x1, c.y1, c.x2, c.y2, Rouge);
        Couleurs attendu;
        for (auto p : c.pixels) attendu[p] = Rouge;
        EXPECT_EQ(Non_blancs(), attendu) << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    }
}

// Erase sizes the picture to the image and whitens all but its one-pixel
// frame. A quadrilateral's fill covers the pixel centres inside the polygon
// through its four corners in order, its outline every corner; one of
// length 0 is left out.
TEST_F(ImageCouleurs, EraseAndFilledQuadrilaterals)
{
    tmtest::Image_blanche(12, 12);
    Efface_couleur();
    ASSERT_EQ(Image_couleur.largeur * Image_couleur.hauteur, 144);
    Ligne_couleur(0, 0, 12, 0, Noir);
    Ligne_couleur(1, 1, 11, 11, Noir);
    Efface_couleur();
    Couleurs attendu;
    for (int x = 0; x < 12; x++) attendu[{x, 0}] = Noir;
    EXPECT_EQ(Non_blancs(), attendu);

    Quad q, vide;
    q.x1i = 2, q.y1i = 2, q.x1f = 2, q.y1f = 8, q.x2i = 8, q.y2i = 8, q.x2f = 8, q.y2f = 2;
    q.length = 6, q.score = 0.65, q.suivant = &vide;
    vide.x1f = vide.y1f = vide.x2i = vide.y2i = 11, vide.score = 0.9;
    Nb_quads = 2;
    Quads_couleur(&q);  // erases again: the frame stays
    for (int y = 2; y <= 8; y++)
        for (int x = 2; x <= 8; x++) attendu[{x, y}] = (x == 2 || x == 8 || y == 2 || y == 8) ? Noir : Rgb(0, 0, 255);
    EXPECT_EQ(Non_blancs(), attendu);
}

// Each bound belongs to the upper interval; 1.0 and above is black.
TEST_F(ImageCouleurs, FillColourByScoreAtTheBounds)
{
    const uint32_t jaune = Rgb(255, 255, 0), lime = Rgb(0, 255, 0), aqua = Rgb(0, 255, 255), bleu = Rgb(0, 0, 255),
                   marron = Rgb(128, 0, 0);
    const std::pair<double, uint32_t> cas[] = {
        {-0.1, Blanc}, {0.2999999, Blanc}, {0.3, jaune}, {0.3999999, jaune}, {0.4, lime}, {0.5, aqua},
        {0.6, bleu},   {0.7, marron},      {0.7999999, marron}, {0.8, Noir}, {1.0, Noir}, {1.5, Noir}};
    for (auto [score, couleur] : cas) EXPECT_EQ(Couleur_score(score), couleur) << score;
}

// 54-byte header, bottom row first, blue-green-red, rows padded to 4 bytes.
TEST_F(ImageCouleurs, SavedAsA24BitBmp)
{
    tmtest::Image_blanche(3, 2);
    Efface_couleur();
    Ligne_couleur(0, 0, 1, 0, Rgb(255, 0, 0));
    Ligne_couleur(1, 1, 2, 1, Rgb(1, 2, 3));
    const std::string f = (dir / "c.bmp").string();
    ASSERT_TRUE(Sauve_couleur(f));
    const std::vector<uint8_t> attendu = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 24, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        255, 255, 255, 3, 2, 1, 255, 255, 255, 0, 0, 0,  // bottom row (y = 1)
        0, 0, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0,  // top row (y = 0)
    };
    EXPECT_EQ(tmtest::Lit_fichier(f), attendu);
    EXPECT_FALSE(Sauve_couleur((dir / "absent" / "c.bmp").string()));
}

// The menu commands: "Colored Quad." without quadrilaterals shows the
// picture untouched; "Bounding boxes" draws the boxes over the drawing in
// grey, in place of what the picture held, and on Plan2; "Save in
// file" saves under "img.bmp" on Cancel and reports a file it cannot write.
TEST_F(ImageCouleurs, ColourWindowCommands)
{
    tmtest::Image_blanche(20, 20);
    Commande_quads_couleur();
    EXPECT_EQ(Image_couleur.largeur, 0);
    Efface_couleur();
    Ligne_couleur(1, 1, 2, 1, Rgb(0, 0, 255));
    Symbole s;
    s.genre = 100, s.nb_points = 2;
    s.points[0][0] = 3, s.points[0][1] = 3, s.points[1][0] = 8, s.points[1][1] = 3;
    Liste_symboles = &s;
    Ecrit_pixel(5, 8, 1, Plan1);
    Commande_boites_symboles();
    Liste_symboles = nullptr;
    EXPECT_EQ(fenetre.montre, (std::vector<bool>{true, true}));
    EXPECT_EQ(std::vector<uint32_t>({Lit_couleur(1, 1), Lit_couleur(5, 8), Lit_couleur(7, 3),
                                     uint32_t(Lit_pixel(7, 3, Plan2))}),
              std::vector<uint32_t>({Blanc, Rgb(150, 150, 150), Rouge, 1}));

    char ancien[4096];
    ASSERT_NE(::getcwd(ancien, sizeof ancien), nullptr);
    ASSERT_EQ(::chdir(dir.c_str()), 0);
    // Cancel saves nothing; OK with the proposal saves img.bmp.
    fenetre.reponses = {{false, "ignored.bmp"}, {true, "absent/x.bmp"}, {true, "img.bmp"}};
    Commande_sauve_couleur();
    const bool annule_ecrit = std::filesystem::exists(dir / "img.bmp") || std::filesystem::exists(dir / "ignored.bmp");
    Commande_sauve_couleur();
    Commande_sauve_couleur();
    ASSERT_EQ(::chdir(ancien), 0);
    EXPECT_FALSE(annule_ecrit);
    EXPECT_EQ(fenetre.invites, std::vector<std::string>(3, "Quel Nom (.bmp) ?"));
    EXPECT_EQ(tmtest::Lit_fichier(dir / "img.bmp").size(), 54u + 20 * 60);
    ASSERT_EQ(fenetre.boites.size(), 1u);
    EXPECT_EQ(fenetre.boites[0].texte, "Ouverture absent/x.bmp impossible !");
}

}  // namespace
