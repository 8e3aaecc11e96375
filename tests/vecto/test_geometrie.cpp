// Geometry helpers and their rounding.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>

#include "tests/support/support.h"
#include "vecto/geometrie.h"

using namespace tmtest;

TEST(Geometrie, AnglesAreUndirectedAndCounterClockwiseOnScreen)
{
    struct Cas { int xi, yi, xf, yf, angle; };
    const Cas cas[] = {
        {10, 10, 20, 10, 0},  {10, 10, 20, 0, 45},  {10, 0, 20, 10, 135}, {10, 10, 10, 30, 90},
        {0, 0, 100, -1, 0},   {0, 0, 100, 1, 179},  {0, 0, 1, -100, 89},  {0, 0, 3, -1, 18},
    };
    for (const auto& c : cas) {
        EXPECT_EQ(Angle_vecteur(c.xi, c.yi, c.xf, c.yf), c.angle) << c.xi << "," << c.yi << " " << c.xf << "," << c.yf;
        EXPECT_EQ(Angle_vecteur(c.xf, c.yf, c.xi, c.yi), c.angle) << "swapped";
    }
}

TEST(Geometrie, LengthsRoundUp)
{
    EXPECT_EQ(Longueur_vecteur(0, 0, 3, 1), 4);
    EXPECT_EQ(Longueur_vecteur(0, 0, 3, 4), 5);
    EXPECT_EQ(Longueur_vecteur(0, 0, 1, 1), 2);
    EXPECT_EQ(Longueur_vecteur(5, 5, 5, 5), 0);
}

TEST(Geometrie, SegmentIntersections)
{
    int x = -7, y = -7;
    EXPECT_EQ(Intersection_segments(0, 0, 10, 0, 5, -5, 5, 5, x, y), 1);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(Intersection_segments(0, 0, 10, 0, 10, 0, 10, 8, x, y), 1);  // shared end
    EXPECT_EQ(x, 10);
    // The point is rounded up: (0,0)-(3,1) meets x = 1 at y = 1/3.
    EXPECT_EQ(Intersection_segments(0, 0, 3, 1, 1, -5, 1, 5, x, y), 1);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 1);
    x = y = -7;
    EXPECT_EQ(Intersection_segments(0, 0, 10, 0, 0, 1, 10, 1, x, y), 0);   // parallel
    EXPECT_EQ(Intersection_segments(0, 0, 10, 0, 5, 0, 15, 0, x, y), 0);   // collinear
    EXPECT_EQ(Intersection_segments(0, 0, 10, 0, 11, -5, 11, 5, x, y), 0); // beyond an end
    EXPECT_EQ(x, -7);  // untouched when nothing is found
}

// The crossing tests, which answer in exact integers where they can, give
// the answer and the point of the computation in doubles: on a small grid
// (parallel, collinear, shared ends and touching cases abound), at drawing
// scale, and beyond 2^22 where they use the doubles themselves.
static int Intersection_en_reels(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int& xr, int& yr)
{
    const double X1 = x1, Y1 = y1, X2 = x2, Y2 = y2, X3 = x3, Y3 = y3, X4 = x4, Y4 = y4;
    const double d = (X2 - X1) * (Y3 - Y4) - (X3 - X4) * (Y2 - Y1);
    if (d == 0) return 0;
    const double t = ((X3 - X1) * (Y3 - Y4) - (X3 - X4) * (Y3 - Y1)) / d;
    const double s = ((X2 - X1) * (Y3 - Y1) - (X3 - X1) * (Y2 - Y1)) / d;
    if (t > 1 || t < 0 || s > 1 || s < 0) return 0;
    xr = static_cast<int>(std::ceil(X1 + (X2 - X1) * t));
    yr = static_cast<int>(std::ceil(Y1 + (Y2 - Y1) * t));
    return 1;
}

TEST(Geometrie, CrossingTestsAnswerAsTheComputationInDoubles)
{
    std::mt19937 rng(5);
    int oui = 0;
    for (int echelle : {4, 5000, 1 << 22, 1 << 29}) {
        std::uniform_int_distribution<int> c(-echelle, echelle);
        for (int i = 0; i < 20000; i++) {
            const int v[8] = {c(rng), c(rng), c(rng), c(rng), c(rng), c(rng), c(rng), c(rng)};
            int x = -7, y = -7, xa = -7, ya = -7;
            const int attendu = Intersection_en_reels(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], xa, ya);
            ASSERT_EQ(Intersection_segments(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], x, y), attendu);
            ASSERT_EQ(x, xa);
            ASSERT_EQ(y, ya);
            ASSERT_EQ(Segments_se_coupent(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]), attendu)
                << v[0] << "," << v[1] << " " << v[2] << "," << v[3] << " / " << v[4] << "," << v[5] << " " << v[6]
                << "," << v[7];
            oui += attendu;
        }
    }
    EXPECT_GT(oui, 10000);
}

TEST(Geometrie, ProjectionGivesTheFootEvenOutside)
{
    int fx, fy;
    EXPECT_EQ(Projection_point(5, 7, 0, 0, 10, 0, 10, fx, fy), 1);
    EXPECT_EQ(fx, 5);
    EXPECT_EQ(fy, 0);
    EXPECT_EQ(Projection_point(15, 3, 0, 0, 10, 0, 10, fx, fy), 0);
    EXPECT_EQ(fx, 15);
    EXPECT_EQ(fy, 0);
    // Integer arithmetic: t = (3*10 + 3*10)/15 = 4, foot (4*10/15, 4*10/15) = (2, 2).
    EXPECT_EQ(Projection_point(3, 3, 0, 0, 10, 10, 15, fx, fy), 1);
    EXPECT_EQ(fx, 2);
    EXPECT_EQ(fy, 2);
}

// Elements longer than about 46,341 px: the products of the projection
// passed 2^31 and the foot came from a wrapped value.
TEST(Geometrie, ProjectionOnLongElementsDoesNotWrap)
{
    struct Cas {
        int px, py, ax, ay, bx, by, L, fx, fy, dedans;
    };
    const Cas cas[] = {
        {10, 20, 70010, 45, 10, 45, 70000, 10, 45, 1},          // far end of a 70000 px bar
        {35000, 60, 10, 45, 70010, 45, 70000, 35000, 45, 1},    // its middle
        {80000, 40, 10, 45, 70010, 45, 70000, 80000, 45, 0},    // beyond it
        {50000, 0, 0, 0, 50000, 50000, 70711, 24999, 24999, 1}, // a long diagonal
        {-2000000000, 5, 2000000000, 0, -2000000000, 0, INT_MAX, INT_MIN, 0, 0},  // foot beyond int: held at the limit
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(testing::Message() << c.px << "," << c.py << " on " << c.ax << "," << c.ay << "-" << c.bx << "," << c.by);
        int fx = 0, fy = 0;
        EXPECT_EQ(Projection_point(c.px, c.py, c.ax, c.ay, c.bx, c.by, c.L, fx, fy), c.dedans);
        EXPECT_EQ(fx, c.fx);
        EXPECT_EQ(fy, c.fy);
    }
}

TEST(Geometrie, PointInQuadByParity)
{
    EXPECT_EQ(Point_dans_quad(5, 6, 0, 0, 10, 0, 10, 10, 0, 10), 1);
    // A ray through a corner counts both sides of that corner.
    EXPECT_EQ(Point_dans_quad(5, 5, 0, 0, 10, 0, 10, 10, 0, 10), 0);
    EXPECT_EQ(Point_dans_quad(15, 5, 0, 0, 10, 0, 10, 10, 0, 10), 0);
    EXPECT_EQ(Point_dans_quad(-5, 5, 0, 0, 10, 0, 10, 10, 0, 10), 0);
    // The zone corners of a source come in the order C1 C2 C3 C4.
    EXPECT_EQ(Point_dans_quad(50, 50, 105, 45, 5, 45, 5, 55, 105, 55), 1);
}

class Lignes : public Environnement {};

TEST_F(Lignes, TraceLigneLeavesOutTheEndPixel)
{
    Image_blanche(20, 20);
    Trace_ligne(5, 5, 8, 5, 1);
    EXPECT_EQ(Plan_en_texte(Plan2).substr(4 * 20, 19), "....###............");
    Efface_P2();
    Trace_ligne(3, 3, 3, 3, 1);
    for (uint8_t o : Plan2.pixels) EXPECT_EQ(o, 0xFF);
    Trace_ligne(1, 1, 4, 7, 1);  // steep: one pixel a row, end excluded
    int n = 0;
    for (int y = 1; y < 20; y++)
        for (int x = 1; x < 20; x++) n += Lit_pixel(x, y, Plan2);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(Lit_pixel(1, 1, Plan2), 1);
    EXPECT_EQ(Lit_pixel(4, 7, Plan2), 0);
}

TEST_F(Lignes, CompteBlancsWalksTheSamePixels)
{
    Image_blanche(20, 20);
    Rectangle_noir(Plan1, 2, 2, 10, 2);
    EXPECT_EQ(Compte_blancs(2, 2, 11, 2, Plan1), 0);
    EXPECT_EQ(Compte_blancs(0, 2, 12, 2, Plan1), 3);   // x = 0, 1 and 11
    EXPECT_EQ(Compte_blancs(15, 2, 25, 2, Plan1), 10); // outside reads white
    EXPECT_EQ(Compte_blancs(4, 4, 4, 4, Plan1), 0);
}

namespace {
// The step-by-step walk as it is defined, every step visited.
template <class F>
void Marche_litterale(int x0, int y0, int x1, int y1, F pixel)
{
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int sx = x1 - x0 > 0 ? 1 : -1, sy = y1 - y0 > 0 ? 1 : -1;
    int x = x0, y = y0;
    if (dx > dy) {
        int e = 2 * dy - dx;
        for (int i = 0; i < dx; i++) {
            pixel(x, y);
            x += sx;
            if (e < 0) e += 2 * dy;
            else e += 2 * dy - 2 * dx, y += sy;
        }
    } else {
        int e = 2 * dx - dy;
        for (int i = 0; i < dy; i++) {
            pixel(x, y);
            y += sy;
            if (e < 0) e += 2 * dx;
            else e += 2 * dx - 2 * dy, x += sx;
        }
    }
}
}  // namespace

// Lines are walked only where they cross the plane; the pixels drawn and
// counted must be those of the full walk, for lines inside, crossing and
// passing by the plane, at every slope and in both senses.
TEST_F(Lignes, ClippedWalkMatchesTheFullWalk)
{
    Image_blanche(41, 29);
    std::mt19937 alea(7);
    for (int y = 1; y < 29; y++)
        for (int x = 1; x < 41; x++)
            if (alea() % 3 == 0) Ecrit_pixel(x, y, 1, Plan1);
    PlanImage attendu = Plan2;
    for (int essai = 0; essai < 4010; essai++) {
        const int portee = essai < 2000 ? 60 : essai < 4000 ? 3000 : 1000000;
        auto c = [&] { return static_cast<int>(alea() % (2 * portee + 1)) - portee + 20; };
        const int x0 = c(), y0 = c(), x1 = c(), y1 = c();
        SCOPED_TRACE(testing::Message() << x0 << "," << y0 << " -> " << x1 << "," << y1);
        Efface_P2();
        std::fill(attendu.pixels.begin(), attendu.pixels.end(), 0xFF);
        Trace_ligne(x0, y0, x1, y1, 1);
        int blancs = 0;
        Marche_litterale(x0, y0, x1, y1, [&](int x, int y) {
            Ecrit_pixel(x, y, 1, attendu);
            blancs += Lit_pixel(x, y, Plan1) == 0;
        });
        ASSERT_EQ(Plan2.pixels, attendu.pixels);
        ASSERT_EQ(Compte_blancs(x0, y0, x1, y1, Plan1), blancs);
    }
    // From a corner clamped 2^30 away: 2^30 + 10 steps, three of them black.
    for (int x = 1; x < 40; x++) Ecrit_pixel(x, 5, 0, Plan1);
    Rectangle_noir(Plan1, 4, 5, 6, 5);
    EXPECT_EQ(Compte_blancs(-(1 << 30), 5, 10, 5, Plan1), (1 << 30) + 10 - 3);
    // 2^31 + 1000 steps, a few dozen black: held at the int limit.
    EXPECT_EQ(Compte_blancs(-(1 << 30), 20, (1 << 30) + 1000, 20, Plan1), INT_MAX);
}
