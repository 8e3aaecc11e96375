// The colour picture: its line and filled quadrilateral, the colours of the
// coloured drawings, the 24-bit BMP file and the colour window's commands.
#include <unistd.h>

#include <map>

#include "app/core/shell.h"
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

Couleurs Unie(std::initializer_list<std::pair<int, int>> points, uint32_t c)
{
    Couleurs r;
    for (auto p : points) r[p] = c;
    return r;
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
    const uint32_t rouge = Rgb(255, 0, 0);
    const struct { int x1, y1, x2, y2; std::initializer_list<std::pair<int, int>> pixels; } cas[] = {
        {2, 2, 5, 2, {{2, 2}, {3, 2}, {4, 2}}},
        {5, 2, 2, 2, {{5, 2}, {4, 2}, {3, 2}}},
        {3, 1, 3, 4, {{3, 1}, {3, 2}, {3, 3}}},
        {1, 1, 4, 4, {{1, 1}, {2, 2}, {3, 3}}},
        {1, 1, 3, 6, {{1, 1}, {1, 2}, {2, 3}, {2, 4}, {3, 5}}},
        {4, 4, 4, 4, {}},
        {10, 5, 14, 5, {{10, 5}, {11, 5}}},
        {-2, 0, 1, 0, {{0, 0}}},
        {11, 9, 13, 12, {{11, 9}}},
    };
    tmtest::Image_blanche(12, 10);
    for (const auto& c : cas) {
        Efface_couleur();
        std::fill(Image_couleur.pixels.begin(), Image_couleur.pixels.end(), Blanc);
        Ligne_couleur(c.x1, c.y1, c.x2, c.y2, rouge);
        EXPECT_EQ(Non_blancs(), Unie(c.pixels, rouge)) << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    }
}

// Erase sizes the picture to the image and whitens all but its one-pixel
// frame; the fill covers the pixel centres inside, the outline every corner.
TEST_F(ImageCouleurs, EraseAndFilledQuadrilateral)
{
    tmtest::Image_blanche(12, 12);
    Efface_couleur();
    ASSERT_EQ(Image_couleur.largeur, 12);
    ASSERT_EQ(Image_couleur.hauteur, 12);
    EXPECT_TRUE(Non_blancs().empty());
    Ligne_couleur(0, 0, 12, 0, Noir);
    Ligne_couleur(1, 1, 11, 11, Noir);
    Ligne_couleur(0, 11, 12, 11, Noir);
    Efface_couleur();
    Couleurs cadre;
    for (int x = 0; x < 12; x++) cadre[{x, 0}] = cadre[{x, 11}] = Noir;
    EXPECT_EQ(Non_blancs(), cadre);

    std::fill(Image_couleur.pixels.begin(), Image_couleur.pixels.end(), Blanc);
    const int xs[4] = {2, 8, 8, 2}, ys[4] = {2, 2, 8, 8};
    const uint32_t bleu = Rgb(0, 0, 255);
    Quad_couleur(xs, ys, bleu);
    Couleurs attendu;
    for (int y = 2; y <= 8; y++)
        for (int x = 2; x <= 8; x++) attendu[{x, y}] = (x == 2 || x == 8 || y == 2 || y == 8) ? Noir : bleu;
    EXPECT_EQ(Non_blancs(), attendu);
}

// Each bound belongs to the upper interval; 1.0 and above is black.
TEST_F(ImageCouleurs, QuadrilateralColoursByScoreAtTheBounds)
{
    const struct { double score; uint32_t couleur; } cas[] = {
        {-0.1, Blanc},           {0.25, Blanc},          {0.2999999, Blanc},      {0.3, Rgb(255, 255, 0)},
        {0.3999999, Rgb(255, 255, 0)}, {0.4, Rgb(0, 255, 0)}, {0.5, Rgb(0, 255, 255)}, {0.6, Rgb(0, 0, 255)},
        {0.7, Rgb(128, 0, 0)},   {0.7999999, Rgb(128, 0, 0)}, {0.8, Noir},          {0.95, Noir},
        {1.0, Noir},             {1.5, Noir},
    };
    const int n = static_cast<int>(std::size(cas));
    tmtest::Image_blanche(10 * n + 10, 30);
    Quad* tete = nullptr;
    Quad* queue = nullptr;
    for (int i = 0; i < n; i++) {
        auto* q = new Quad;
        const int x = 5 + 10 * i;
        q->x1i = x, q->y1i = 5, q->x1f = x, q->y1f = 20, q->x2i = x + 6, q->y2i = 20, q->x2f = x + 6, q->y2f = 5;
        q->length = 15;
        q->score = cas[i].score;
        queue = Ajoute_en_queue(tete, queue, q);
    }
    Nb_quads = n;
    Quads_couleur(tete);
    for (int i = 0; i < n; i++) {
        EXPECT_EQ(Lit_couleur(8 + 10 * i, 12), cas[i].couleur) << cas[i].score;
        EXPECT_EQ(Lit_couleur(5 + 10 * i, 12), Noir) << "outline " << cas[i].score;
    }
    Libere_liste(tete);
}

// The graph in colours: axes in black, two pixels thick; link and glyph in
// the colour of the relation; the hatched mark for an unknown type.
TEST_F(ImageCouleurs, GraphLinksAndGlyphsInTheRelationColour)
{
    const struct { char type; uint32_t couleur; std::vector<std::pair<int, int>> glyphe; } cas[] = {
        {'X', Rgb(0, 0, 255), {{25, 29}, {20, 25}, {29, 25}}},
        {'T', Rgb(255, 0, 0), {{34, 20}, {30, 29}}},
        {'t', Rgb(255, 0, 0), {{30, 29}}},
        {'L', Rgb(0, 128, 0), {{25, 29}, {34, 30}}},
        {'l', Rgb(0, 128, 0), {{25, 30}}},
        {'P', Rgb(128, 128, 0), {{25, 29}, {27, 29}}},
        {'S', Rgb(255, 0, 255), {{34, 20}}},
        {'_', Rgb(255, 0, 255), {{34, 20}}},
        {'~', Rgb(255, 0, 255), {{34, 20}}},
        {'?', Noir, {{34, 22}, {34, 28}, {20, 25}}},
    };
    tmtest::Image_blanche(60, 50);
    Quad q1, q2;
    for (auto [q, x] : {std::pair{&q1, 10}, std::pair{&q2, 40}}) {
        q->x1i = x - 2, q->y1i = 10, q->x1f = x - 2, q->y1f = 30, q->x2i = x + 2, q->y2i = 30, q->x2f = x + 2, q->y2f = 10;
        q->length = 20;
    }
    for (const auto& c : cas) {
        ArcQQ a{&q1, &q2, c.type};
        ArcQQ sans_bout{&q1, nullptr, c.type, 0, nullptr};
        a.suivant = &sans_bout;
        Graphe_couleur(&a);
        for (auto p : {std::pair{10, 10}, {11, 30}, {40, 29}, {41, 11}}) EXPECT_EQ(Lit_couleur(p.first, p.second), Noir);
        EXPECT_EQ(Lit_couleur(10, 30), Blanc) << "axis end pixel";
        EXPECT_EQ(Lit_couleur(15, 20), c.couleur) << c.type;
        for (auto p : c.glyphe) EXPECT_EQ(Lit_couleur(p.first, p.second), c.couleur) << c.type << " " << p.first << "," << p.second;
        EXPECT_EQ(Lit_couleur(33, 24), c.type == '?' ? c.couleur : Blanc) << c.type;
        EXPECT_EQ(Texte_log(), " Dessin des arcs ...\n* Nb d'arcs :  2 ");
    }
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

// The menu commands: which show the window and how, what "Save in file"
// writes, and that "Colored Quad." leaves the picture alone without
// quadrilaterals while "Bounding boxes" draws over it.
TEST_F(ImageCouleurs, ColourWindowCommands)
{
    Commande_affiche_couleur();  // before any Erase: an empty picture
    EXPECT_EQ(fenetre.montre, std::vector<bool>{true});
    EXPECT_EQ(Image_couleur.largeur, 0);

    tmtest::Image_blanche(20, 20);
    Commande_quads_couleur();  // Nb_quads is 0: not even erased
    EXPECT_EQ(Image_couleur.largeur, 0);
    EXPECT_EQ(fenetre.montre, (std::vector<bool>{true, true}));

    Efface_couleur();
    Ligne_couleur(1, 1, 2, 1, Rgb(0, 0, 255));
    Symbole s;
    s.genre = 100, s.nb_points = 4;
    const int pts[4][2] = {{3, 3}, {8, 3}, {8, 6}, {3, 6}};
    for (int i = 0; i < 4; i++) s.points[i][0] = pts[i][0], s.points[i][1] = pts[i][1];
    Liste_symboles = &s;
    Commande_boites_symboles();
    Liste_symboles = nullptr;
    EXPECT_EQ(fenetre.montre.back(), true);
    EXPECT_EQ(Lit_couleur(1, 1), Rgb(0, 0, 255));  // drawn over what it held
    EXPECT_EQ(Lit_couleur(3, 5), Rouge);           // the closing side
    EXPECT_EQ(Lit_couleur(3, 6), Blanc);           // ends two lines, starts none
    EXPECT_EQ(Lit_pixel(3, 5, Plan2), 1);          // and on Plan2

    Commande_graphe_couleur();
    EXPECT_EQ(fenetre.montre.back(), false);  // refreshed, not shown
    EXPECT_EQ(Lit_couleur(1, 1), Blanc);

    char ancien[4096];
    ASSERT_NE(::getcwd(ancien, sizeof ancien), nullptr);
    ASSERT_EQ(::chdir(dir.c_str()), 0);
    fenetre.reponses = {{false, "ignored.bmp"}, {true, "choisi.bmp"}, {true, "absent/x.bmp"}};
    Commande_sauve_couleur();
    Commande_sauve_couleur();
    Commande_sauve_couleur();
    ASSERT_EQ(::chdir(ancien), 0);
    EXPECT_EQ(fenetre.invites, std::vector<std::string>(3, "Quel Nom (.bmp) ?"));
    EXPECT_EQ(tmtest::Lit_fichier(dir / "img.bmp").size(), 54u + 20 * 60);
    EXPECT_TRUE(std::filesystem::exists(dir / "choisi.bmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "ignored.bmp"));
    ASSERT_EQ(fenetre.boites.size(), 1u);
    EXPECT_EQ(fenetre.boites[0].texte, "Ouverture absent/x.bmp impossible !");
    EXPECT_EQ(fenetre.boites[0].titre, "Erreur");
}

}  // namespace
