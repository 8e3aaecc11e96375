#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "port/shell.h"
#include "image/chargement.h"
#include "image/fils.h"
#include "image/param.h"
#include "image/planes.h"
#include "tests/support/support.h"
#include "vecto/contours.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

using namespace tmtest;

namespace {

class Contours_test : public Environnement {};

// The text at (1, 1) ('#' black) of a 40 x 30 image: big enough for the
// step limit, (40 x 30) / 14 = 85, not to cut these contours.
void Dessin(const std::vector<std::string>& lignes)
{
    Image_blanche(40, 30);
    for (int r = 0; r < static_cast<int>(lignes.size()); r++)
        for (int x = 0; x < static_cast<int>(lignes[r].size()); x++)
            if (lignes[r][x] == '#') Ecrit_pixel(x + 1, r + 1, 1, Plan1);
}

using Seg = std::tuple<int, int, int, int>;

std::vector<Seg> Segments()
{
    std::vector<Seg> s;
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) s.emplace_back(v->xi, v->yi, v->xf, v->yf);
    return s;
}

std::vector<Seg> Boites()
{
    std::vector<Seg> s;
    for (CC* c = Liste_CC; c; c = c->suivant) s.emplace_back(c->xi, c->yi, c->xf, c->yf);
    return s;
}

Vecteur* Nouveau(int xi, int yi, int xf, int yf, int length = 0)
{
    auto* v = new Vecteur;
    v->xi = xi;
    v->yi = yi;
    v->xf = xf;
    v->yf = yf;
    v->length = length;
    return v;
}

void Liste(const std::vector<Seg>& segs)
{
    Vecteur* queue = nullptr;
    for (auto [a, b, c, d] : segs) queue = Ajoute_en_queue(Liste_vecteurs, queue, Nouveau(a, b, c, d));
}

void Ajoute_cc(int xi, int yi, int xf, int yf)
{
    auto* c = new CC;
    c->xi = xi;
    c->yi = yi;
    c->xf = xf;
    c->yf = yf;
    Ajoute_en_queue(Liste_CC, Dernier(Liste_CC), c);
}

// ---- Contour following pixel by pixel, every pixel read with Lit_pixel ----

constexpr int RDX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int RDY[8] = {0, -1, -1, -1, 0, 1, 1, 1};

struct Ref_suivi {
    std::vector<Seg> vecteurs, boites;
    int messages = 0;

    void fin_vecteur(int vx, int vy, int qx, int qy, int points)
    {
        if (points >= 2) vecteurs.emplace_back(vx, vy, qx, qy);
        else if (!vecteurs.empty()) vecteurs.back() = {std::get<0>(vecteurs.back()), std::get<1>(vecteurs.back()), qx, qy};
    }

    int trace(int sx, int sy, int L, double eps)
    {
        int px = sx, py = sy, qx = sx, qy = sy, vx = sx, vy = sy, x0 = sx, x1 = sx, y0 = sy, y1 = sy;
        int g = 6, virage = 0, points = 0, pas = 0, prec = 0, premier = 0;
        double A = 0;
        for (;;) {
            if (pas >= L) break;
            pas++;
            points++;
            x0 = std::min(x0, px), x1 = std::max(x1, px), y0 = std::min(y0, py), y1 = std::max(y1, py);
            A += (px - vx) * (py - qy) - (py - vy) * (px - qx);
            if (A * A > eps * ((px - vx) * (px - vx) + (py - vy) * (py - vy))) {
                fin_vecteur(vx, vy, qx, qy, points);
                vx = qx, vy = qy, points = 0, A = 0;
            }
            if (px != qx || py != qy) {
                int d = 0;
                while (RDX[d] != px - qx || RDY[d] != py - qy) d++;
                if (qx == sx && qy == sy) premier = d;
                else virage += Norme_virage(d - prec);
                prec = d;
            }
            qx = px, qy = py;
            Ecrit_pixel(px, py, 1, Plan2);
            for (;;) {
                const int a = (g + 7) % 8, c = (g + 1) % 8;
                if (Lit_pixel(px + RDX[a], py + RDY[a], Plan1)) { px += RDX[a], py += RDY[a], g = (g + 6) % 8; break; }
                if (Lit_pixel(px + RDX[g], py + RDY[g], Plan1)) { px += RDX[g], py += RDY[g]; break; }
                if (Lit_pixel(px + RDX[c], py + RDY[c], Plan1)) { px += RDX[c], py += RDY[c]; break; }
                g = (g + 2) % 8;
            }
            if (px == sx && py == sy) {
                if (virage + Norme_virage(premier - prec) >= 0) boites.emplace_back(x0, y0, x1, y1);
                break;
            }
        }
        fin_vecteur(vx, vy, qx, qy, points);
        return pas;
    }

    void suivi()
    {
        const int L = Largeur * Hauteur / 14;
        const double eps = Lit_param("EpsV");
        bool coupe = false;
        for (int y = 1; y < Hauteur - 1; y += 2)
            for (int x = 1; x < Largeur - 1; x++) {
                if (!Lit_pixel(x, y, Plan1)) continue;
                if (Lit_pixel(x, y, Plan2)) {
                    while (Lit_pixel(x, y, Plan1)) x++;
                    x++;  // and the loop's own step: the column after the white one is skipped
                    continue;
                }
                if (Lit_pixel(x - 1, y, Plan1) || !(Lit_pixel(x, y + 1, Plan1) || Lit_pixel(x + 1, y + 1, Plan1) ||
                                                    Lit_pixel(x + 1, y, Plan1) || Lit_pixel(x + 1, y - 1, Plan1)))
                    continue;
                if (coupe && Mode_trace == 1) messages++;
                coupe = trace(x, y, L, eps) >= L;
            }
    }
};

}  // namespace

// The row scan skips whole white and black bytes; it must follow the same
// contours as a scan reading every pixel, on random drawings with ink in the
// padding, small step limits and several tolerances. From essai 400 on, the
// lower rows are scanned beside (taller pictures, two threads forced), with
// frames and strokes across the middle rows and their holes: whether that
// scan is kept or done again, the outcome is the same.
TEST_F(Contours_test, IdentiqueAuSuiviPixelParPixel)
{
    std::mt19937 rng(4242);
    const int partages = Contours_partages;
    for (int essai = 0; essai < 700; essai++) {
        const bool beside = essai >= 400;
        Remise_a_zero();
        fe = FrontendEnregistreur{};
        Parametres({{"EpsV", std::to_string(static_cast<int>(rng() % 30) / 10.0)}});
        const int w = 3 + static_cast<int>(rng() % 150);
        const int h = beside ? 64 + static_cast<int>(rng() % 140) : 3 + static_cast<int>(rng() % 60);
        Image_blanche(w, h);
        for (auto& o : Plan1.pixels) o = static_cast<uint8_t>(rng() | rng());
        if (beside && rng() % 2 == 0) std::fill(Plan1.pixels.begin(), Plan1.pixels.end(), 0xFF);
        for (int i = static_cast<int>(rng() % 8); i > 0; i--) {
            const int x0 = static_cast<int>(rng() % w), y0 = static_cast<int>(rng() % h);
            Rectangle_noir(Plan1, x0, y0, x0 + static_cast<int>(rng() % 40), y0 + static_cast<int>(rng() % 20));
        }
        for (int i = beside ? static_cast<int>(rng() % 4) : 0; i > 0; i--) {
            // A frame around the middle rows, its hole inside; now and then
            // a one-pixel stroke or a diagonal.
            const int x0 = static_cast<int>(rng() % w), y0 = static_cast<int>(rng() % (h / 2 + 1));
            const int x1 = x0 + 2 + static_cast<int>(rng() % 60), y1 = h / 2 + static_cast<int>(rng() % (h / 2));
            const int e = 1 + static_cast<int>(rng() % 3);
            Rectangle_noir(Plan1, x0, y0, x1, y1);
            for (int y = y0 + e; y <= y1 - e; y++)
                for (int x = x0 + e; x <= x1 - e; x++) Ecrit_pixel(x, y, 0, Plan1);
            for (int t = 0; rng() % 2 == 0 && t < h; t++) Ecrit_pixel(x0 + t / 2, y0 + t, 1, Plan1);
        }
        if (rng() % 3 == 0)
            for (auto& o : Plan1.pixels) o = static_cast<uint8_t>(o & (rng() | rng()));
        Mode_trace = beside ? 0 : 1;
        Fils_analyse = beside ? 2 : 0;
        const auto p2 = Plan2.pixels;
        Suivi_contours();
        Fils_analyse = 0;
        const auto trace = Plan2.pixels;
        int messages = 0;
        for (const auto& b : fe.boites) messages += b.texte == "Erreur(1)";
        Plan2.pixels = p2;
        Ref_suivi ref;
        ref.suivi();
        SCOPED_TRACE("essai " + std::to_string(essai));
        ASSERT_EQ(ref.vecteurs, Segments());
        ASSERT_EQ(ref.boites, Boites());
        ASSERT_EQ(ref.messages, messages);
        ASSERT_EQ(Plan2.pixels, trace);
    }
    // Both ways were taken: scans beside kept, and others done again.
    EXPECT_GT(Contours_partages - partages, 30);
    EXPECT_LT(Contours_partages - partages, 290);
}

TEST_F(Contours_test, NormeVirage)
{
    const std::vector<std::pair<int, int>> cas = {{0, 0},  {1, 1},  {4, 4},  {5, -3}, {7, -1}, {-1, -1},
                                                  {-3, -3}, {-4, 4}, {-5, 3}, {-7, 1}, {-6, 2}, {6, -2}};
    for (auto [d, attendu] : cas) EXPECT_EQ(attendu, Norme_virage(d)) << d;
}

// Top row odd: one component, four sides traced down, along, up and back,
// the last one ending just right of the start pixel.
TEST_F(Contours_test, RectangleQuatreVecteurs)
{
    Parametres({{"EpsV", "0.5"}});
    Image_blanche(40, 30);
    Rectangle_noir(Plan1, 5, 3, 24, 12);
    Suivi_contours();
    EXPECT_EQ((std::vector<Seg>{{5, 3, 5, 12}, {5, 12, 24, 12}, {24, 12, 24, 3}, {24, 3, 6, 3}}), Segments());
    EXPECT_EQ((std::vector<Seg>{{5, 3, 24, 12}}), Boites());
    EXPECT_EQ(90, Liste_vecteurs->angle);
    EXPECT_EQ(0, Liste_vecteurs->suivant->angle);
    EXPECT_EQ(9, Liste_vecteurs->length);
    // Plan2 holds the followed contour: the border of the rectangle.
    EXPECT_EQ(1, Lit_pixel(5, 7, Plan2));
    EXPECT_EQ(1, Lit_pixel(24, 7, Plan2));
    EXPECT_EQ(0, Lit_pixel(10, 7, Plan2));

    // A second run finds the list full and does nothing at all.
    Progression_init(0, 100);
    Rectangle_noir(Plan1, 30, 21, 35, 25);
    Suivi_contours();
    EXPECT_EQ(4u, Segments().size());
    EXPECT_EQ(100, Progression().maximum);
}

TEST_F(Contours_test, FormesParticulieres)
{
    struct Cas {
        const char* nom;
        std::vector<std::string> image;
        std::vector<Seg> cc, vecteurs;
    };
    const std::vector<Cas> cas = {
        // Odd rows only: a line on row 4 is never visited.
        {"even row", {".......", ".......", ".......", "..####."}, {}, {}},
        // Out along the line and back: area 0, one vector made by the flush.
        {"one-pixel line", {"..........", "..........", "...#####.."}, {{4, 3, 8, 3}}, {{4, 3, 5, 3}}},
        // The last piece holds one pixel: the vector before it is stretched
        // to the close instead, across the corner.
        {"at the border", {"####", "####", "####"}, {{1, 1, 4, 3}}, {{1, 1, 1, 3}, {1, 3, 4, 3}, {4, 3, 2, 1}}},
        // After a run already followed, scanning resumes two columns past its
        // end: the block starting in the skipped column, on no other odd row,
        // is never followed.
        {"column after a followed run", {"###.##", "###.##", "###..."}, {{1, 1, 3, 3}},
         {{1, 1, 1, 3}, {1, 3, 3, 3}, {3, 3, 2, 1}}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Remise_a_zero();
        Parametres({{"EpsV", "0.5"}});
        Dessin(c.image);
        Suivi_contours();
        EXPECT_EQ(c.cc, Boites());
        EXPECT_EQ(c.vecteurs, Segments());
    }
}

// The ring's hole border is traced too (vectors), without a component, and
// both borders close on themselves.
TEST_F(Contours_test, AnneauDeuxBords)
{
    Parametres({{"EpsV", "0.5"}});
    Image_blanche(30, 30);
    Rectangle_noir(Plan1, 5, 5, 20, 20);
    for (int y = 9; y <= 16; y++)
        for (int x = 9; x <= 16; x++) Ecrit_pixel(x, y, 0, Plan1);
    Suivi_contours();
    EXPECT_EQ((std::vector<Seg>{{5, 5, 20, 20}}), Boites());
    const auto s = Segments();
    ASSERT_EQ(11u, s.size());
    EXPECT_EQ((std::vector<Seg>{{5, 5, 5, 20}, {5, 20, 20, 20}, {20, 20, 20, 5}, {20, 5, 6, 5}}),
              std::vector<Seg>(s.begin(), s.begin() + 4));
    // The hole is met on row 9 at its right wall, and that wall is traced
    // downwards: opposite to the outer right wall, as pairing expects.
    EXPECT_EQ((Seg{17, 9, 17, 16}), s[4]);
    for (size_t i = 5; i < s.size(); i++)
        EXPECT_EQ(std::make_pair(std::get<2>(s[i - 1]), std::get<3>(s[i - 1])), std::make_pair(std::get<0>(s[i]), std::get<1>(s[i])));
    EXPECT_EQ((Seg{11, 8, 16, 8}), s.back());  // next to the start pixel (17, 9)
}

// (40 x 30) / 14 = 85 steps: a longer contour is cut off, gives no component,
// and with the step-by-step mode the next contour start reports it.
TEST_F(Contours_test, LimiteDePas)
{
    Parametres({{"EpsV", "0.5"}});
    Image_blanche(40, 30);
    Rectangle_noir(Plan1, 3, 3, 32, 22);  // perimeter 98 > 85
    Rectangle_noir(Plan1, 35, 25, 37, 27);
    Mode_trace = 1;
    Suivi_contours();
    EXPECT_EQ((std::vector<Seg>{{35, 25, 37, 27}}), Boites());
    ASSERT_EQ(1u, fe.boites.size());
    EXPECT_EQ("Erreur(1)", fe.boites[0].texte);
    EXPECT_EQ("Erreur", fe.boites[0].titre);
    // The first contour's last vector ends where the trace stopped: 85 steps
    // from (3,3) down 19, along 29, up 19, then 17 pixels to the left.
    const auto s = Segments();
    ASSERT_GE(s.size(), 4u);
    EXPECT_EQ((Seg{32, 3, 15, 3}), s[3]);

    // A last contour cut off is never reported.
    Remise_a_zero();
    fe = FrontendEnregistreur{};
    Image_blanche(40, 30);
    Rectangle_noir(Plan1, 3, 3, 32, 22);
    Mode_trace = 1;
    Suivi_contours();
    EXPECT_TRUE(Boites().empty());
    EXPECT_TRUE(fe.boites.empty());

    // (3 x 4) / 14 = 0: every contour stops at once, but the first one has
    // no contour before it to report.
    Remise_a_zero();
    fe = FrontendEnregistreur{};
    Image_blanche(3, 4);
    Rectangle_noir(Plan1, 1, 1, 2, 2);
    Mode_trace = 1;
    Suivi_contours();
    EXPECT_TRUE(Boites().empty());
    EXPECT_TRUE(fe.boites.empty());
}

TEST_F(Contours_test, FusionChaines)
{
    // Vectors that never join end to start: nothing merged.
    Liste({{0, 0, 5, 0}, {10, 10, 10, 20}, {30, 0, 40, 0}});
    EXPECT_EQ(0, Fusion_chaines());
    EXPECT_EQ(3u, Segments().size());
    EXPECT_GT(fe.evenements, 0);
    Remise_a_zero();

    EXPECT_EQ(0, Fusion_chaines());  // empty list

    // A straight chain is merged into its first vector; a corner is not.
    Liste({{0, 0, 5, 0}, {5, 0, 10, 0}, {10, 0, 15, 0}, {15, 0, 15, 9}, {50, 50, 60, 60}});
    EXPECT_EQ(2, Fusion_chaines());
    EXPECT_EQ((std::vector<Seg>{{0, 0, 15, 0}, {15, 0, 15, 9}, {50, 50, 60, 60}}), Segments());
    EXPECT_EQ(15, Liste_vecteurs->length);
    EXPECT_EQ(0, Liste_vecteurs->angle);
    EXPECT_EQ(0, Fusion_chaines());
    Remise_a_zero();

    // A chain whose end turns back is cut at the last junction.
    Liste({{0, 0, 5, 0}, {5, 0, 10, 0}, {10, 0, 15, 0}, {15, 0, 7, 0}});
    EXPECT_EQ(2, Fusion_chaines());
    EXPECT_EQ((std::vector<Seg>{{0, 0, 15, 0}, {15, 0, 7, 0}}), Segments());
    Remise_a_zero();

    // Negative tolerance: nothing is ever accepted, and the pass still ends.
    Parametres({{"EpsFV", "-1"}});
    Liste({{0, 0, 5, 0}, {5, 0, 10, 0}, {10, 0, 15, 0}});
    EXPECT_EQ(0, Fusion_chaines());
    EXPECT_EQ(3u, Segments().size());
}

TEST_F(Contours_test, NettoyageCC)
{
    Image_blanche(60, 40);
    Rectangle_noir(Plan1, 2, 2, 5, 11);    // 4 x 10: kept
    Rectangle_noir(Plan1, 20, 20, 23, 23); // 4 x 4: removed
    Ajoute_cc(2, 2, 5, 11);
    Ajoute_cc(20, 20, 23, 23);
    Vecteur* queue = nullptr;
    for (auto [xi, yi, xf, yf, lg] : std::vector<std::tuple<int, int, int, int, int>>{
             {2, 2, 2, 11, 9}, {20, 20, 20, 23, 3}, {20, 23, 23, 23, 3}, {23, 23, 30, 23, 7}, {40, 5, 50, 5, 10}, {40, 9, 41, 9, 1}})
        queue = Ajoute_en_queue(Liste_vecteurs, queue, Nouveau(xi, yi, xf, yf, lg));
    Nettoyage_CC(5, 2);
    EXPECT_EQ((std::vector<Seg>{{2, 2, 5, 11}}), Boites());
    // Inside the small box: gone; half outside: kept; too short: gone.
    EXPECT_EQ((std::vector<Seg>{{2, 2, 2, 11}, {23, 23, 30, 23}, {40, 5, 50, 5}}), Segments());
    EXPECT_EQ(0, Lit_pixel(21, 21, Plan1));
    EXPECT_EQ(0, Lit_pixel(23, 23, Plan1));
    EXPECT_EQ(1, Lit_pixel(3, 3, Plan1));
}

// Random boxes and vectors, negative and far coordinates and empty boxes
// included, against the rule itself: a vector goes when it is shorter than
// m or lies wholly in a box smaller than s both ways.
TEST_F(Contours_test, NettoyageCCCommeLaRegle)
{
    std::mt19937 rng(77);
    auto u = [&](int a, int b) { return a + static_cast<int>(rng() % static_cast<unsigned>(b - a + 1)); };
    for (int essai = 0; essai < 200; essai++) {
        Remise_a_zero();
        Image_blanche(80, 60);
        const int s = u(-1, 8), m = u(0, 4), etendue = essai % 10 == 0 ? 100000 : 90;
        std::vector<Seg> boites;
        for (int i = u(0, 30); i > 0; i--) {
            const int x = u(-10, etendue), y = u(-10, etendue);
            boites.emplace_back(x, y, x + u(-1, 9), y + u(-1, 9));
            Ajoute_cc(x, y, std::get<2>(boites.back()), std::get<3>(boites.back()));
        }
        std::vector<Seg> attendus;
        Vecteur* queue = nullptr;
        for (int i = u(0, 200); i > 0; i--) {
            const int x = u(-12, etendue), y = u(-12, etendue), lg = u(0, 6);
            const Seg v{x, y, x + u(-3, 3), y + u(-3, 3)};
            queue = Ajoute_en_queue(Liste_vecteurs, queue, Nouveau(std::get<0>(v), std::get<1>(v), std::get<2>(v), std::get<3>(v), lg));
            bool part = lg < m;
            for (const auto& [bx0, by0, bx1, by1] : boites) {
                const bool petite = bx1 - bx0 < s && by1 - by0 < s;
                auto dans = [&](int px, int py) { return bx0 <= px && px <= bx1 && by0 <= py && py <= by1; };
                part |= petite && dans(std::get<0>(v), std::get<1>(v)) && dans(std::get<2>(v), std::get<3>(v));
            }
            if (!part) attendus.push_back(v);
        }
        Nettoyage_CC(s, m);
        ASSERT_EQ(attendus, Segments()) << "essai " << essai;
    }
}

TEST_F(Contours_test, Commandes)
{
    // No image: the contours command only beeps; cleaning runs on the lists.
    Commande_contours();
    EXPECT_EQ(1, fe.bips_fin);
    EXPECT_TRUE(Boites().empty());

    Parametres({{"EpsV", "0.5"}, {"Seuil_petiteCC", "5.7"}, {"Seuil_petitV", "3"}});
    Image_blanche(40, 30);
    Rectangle_noir(Plan1, 5, 3, 24, 12);
    Rectangle_noir(Plan1, 30, 21, 33, 24);
    Rectangle_noir(Plan2, 1, 1, 39, 29);  // cleared first
    Commande_contours();
    EXPECT_EQ(2u, Boites().size());
    EXPECT_EQ(0, Lit_pixel(10, 7, Plan2));
    Commande_nettoyage_CC();
    EXPECT_EQ((std::vector<Seg>{{5, 3, 24, 12}}), Boites());
    EXPECT_EQ(0, Lit_pixel(31, 22, Plan1));
    EXPECT_EQ(3, fe.bips_fin);
}

// A real drawing: the vectors of one contour join end to start and the
// last one ends next to the contour's start pixel; every component box lies
// inside the image.
TEST_F(Contours_test, DessinReel)
{
    ASSERT_EQ(1, Lit_bmp(std::string(TM_TEST_DATA) + "/bath_plan.bmp"));
    Suivi_contours();
    ASSERT_NE(nullptr, Liste_vecteurs);
    int chaines = 0;
    for (Vecteur* debut = Liste_vecteurs; debut;) {
        Vecteur* v = debut;
        for (; v->suivant && v->suivant->xi == v->xf && v->suivant->yi == v->yf; v = v->suivant) {
            ASSERT_EQ(1, Lit_pixel(v->xi, v->yi, Plan1));
            ASSERT_EQ(1, Lit_pixel(v->xi, v->yi, Plan2));
        }
        EXPECT_LE(std::abs(v->xf - debut->xi), 1);
        EXPECT_LE(std::abs(v->yf - debut->yi), 1);
        chaines++;
        debut = v->suivant;
    }
    int nb_cc = 0;
    for (CC* c = Liste_CC; c; c = c->suivant, nb_cc++) {
        EXPECT_TRUE(1 <= c->xi && c->xi <= c->xf && c->xf < Largeur);
        EXPECT_TRUE(1 <= c->yi && c->yi <= c->yf && c->yf < Hauteur);
    }
    EXPECT_GT(nb_cc, 10);
    EXPECT_GE(chaines, nb_cc);  // holes add contours without components
}
