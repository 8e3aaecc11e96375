// Geometry helpers and their rounding.
#include <gtest/gtest.h>

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
