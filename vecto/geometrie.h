// Geometry helpers shared by vectorisation, graph construction and drawing.
// Their rounding is part of the results: every threshold downstream compares
// whole numbers produced here.
#pragma once
#include <cstdint>

#include "image/planes.h"

inline int Val_abs(int a) { return a < 0 ? -a : a; }
inline int Max_ent(int a, int b) { return a > b ? a : b; }
inline int Min_ent(int a, int b) { return a < b ? a : b; }
inline double Max_reel(double a, double b) { return a > b ? a : b; }
inline double Min_reel(double a, double b) { return a < b ? a : b; }

// ceil(sqrt(dx^2 + dy^2)); 0 for a degenerate segment.
int Longueur_vecteur(int xi, int yi, int xf, int yf);
// Undirected angle 0..179, counter-clockwise as seen on screen (y downwards).
int Angle_vecteur(int xi, int yi, int xf, int yf);
// Intersection of the closed segments P1P2 and P3P4. Returns 1 and the point
// (each coordinate rounded up) when they meet; parallel segments never do.
// The point is left untouched on 0.
int Intersection_segments(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int& xr, int& yr);
// Whether Intersection_segments would answer 1, without the point: exact
// integer arithmetic for drawing-sized coordinates (up to 2^22), where the
// double computation is exact too, and that computation beyond.
int Segments_se_coupent(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

// Coordinates for which Coupe_entiers gives Intersection_segments' answer.
inline bool Coupe_exacte(int v)
{
    constexpr uint32_t L = 1u << 22;
    return static_cast<uint32_t>(v) + L <= 2 * L;
}
// Within 2^22 every difference, product and sum of Intersection_segments is
// an exact double, and its quotients compare with 0 and 1 exactly as the
// integer fractions do (|d| < 2^49), so this is its answer.
inline int Coupe_entiers(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    const int64_t d = int64_t(x2 - x1) * (y3 - y4) - int64_t(x3 - x4) * (y2 - y1);
    const int64_t tn = int64_t(x3 - x1) * (y3 - y4) - int64_t(x3 - x4) * (y3 - y1);
    const int64_t sn = int64_t(x2 - x1) * (y3 - y1) - int64_t(x3 - x1) * (y2 - y1);
    if (d > 0) return tn >= 0 && tn <= d && sn >= 0 && sn <= d;
    if (d < 0) return tn <= 0 && tn >= d && sn <= 0 && sn >= d;
    return 0;  // parallel segments never meet
}
// Foot of the perpendicular from P on segment AB of length L (int arithmetic,
// truncating divisions). The foot is always written; returns 1 when it lies
// within the segment's bounding box.
int Projection_point(int px, int py, int ax, int ay, int bx, int by, int L, int& fx, int& fy);
// 1 when P is inside the quadrilateral C1C2C3C4 (parity of the crossings of
// the segment from P to (-1000, -1000) with the four sides).
int Point_dans_quad(int px, int py, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
// The part of the digital line from (x0, y0) towards (x1, y1), end pixel
// excluded, that lies in the window [xmin, xmax] x [ymin, ymax]: a run of
// `pas` consecutive steps from pixel (x, y), with the error term `e` the
// full walk has there; `dehors` steps of the line lie outside. Only this
// run is ever walked, so a line from a point 2^30 away (a clamped zone
// corner) costs its pixels in the window, not 2^31 steps.
struct Troncon_ligne {
    int x = 0, y = 0;
    int64_t pas = 0, dehors = 0, e = 0;
    int64_t dmaj = 0, dmin = 0;  // steps along and across the major axis
    int sx = 1, sy = 1;
    bool x_majeur = true;        // x moves at every step
};
// The whole walk from (x0, y0) to (x1, y1).
inline Troncon_ligne Troncon_entier(int x0, int y0, int x1, int y1)
{
    Troncon_ligne t;
    const int64_t ddx = int64_t(x1) - x0, ddy = int64_t(y1) - y0;
    const int64_t dx = ddx < 0 ? -ddx : ddx, dy = ddy < 0 ? -ddy : ddy;
    t.sx = ddx > 0 ? 1 : -1;
    t.sy = ddy > 0 ? 1 : -1;
    t.x_majeur = dx > dy;
    t.dmaj = t.x_majeur ? dx : dy;
    t.dmin = t.x_majeur ? dy : dx;
    if (t.dmaj == 0) return t;
    t.x = x0, t.y = y0;
    t.pas = t.dmaj;
    t.e = 2 * t.dmin - t.dmaj;
    return t;
}
// Troncon_dans_fenetre for ends not both in the window.
Troncon_ligne Troncon_hors_fenetre(int x0, int y0, int x1, int y1, int xmin, int ymin, int xmax, int ymax);
inline Troncon_ligne Troncon_dans_fenetre(int x0, int y0, int x1, int y1, int xmin, int ymin, int xmax, int ymax)
{
    // Both ends inside (the usual case): every step is.
    if (xmin <= x0 && x0 <= xmax && ymin <= y0 && y0 <= ymax && xmin <= x1 && x1 <= xmax && ymin <= y1 && y1 <= ymax)
        return Troncon_entier(x0, y0, x1, y1);
    return Troncon_hors_fenetre(x0, y0, x1, y1, xmin, ymin, xmax, ymax);
}

// Walks that run, calling pixel(x, y) for each of its pixels in the order of
// the full walk, and returns the number of steps outside the window; the one
// walk behind Trace_ligne, Compte_blancs and the colour line (the gap tests
// take the same steps by row offsets).
template <class F>
int64_t Parcours_ligne(int x0, int y0, int x1, int y1, int xmin, int ymin, int xmax, int ymax, F&& pixel)
{
    const Troncon_ligne t = Troncon_dans_fenetre(x0, y0, x1, y1, xmin, ymin, xmax, ymax);
    int x = t.x, y = t.y;
    int64_t e = t.e;
    if (t.x_majeur) {
        for (int64_t i = 0; i < t.pas; i++) {
            pixel(x, y);
            x += t.sx;
            if (e < 0) e += 2 * t.dmin;
            else {
                e += 2 * t.dmin - 2 * t.dmaj;
                y += t.sy;
            }
        }
    } else {
        for (int64_t i = 0; i < t.pas; i++) {
            pixel(x, y);
            y += t.sy;
            if (e < 0) e += 2 * t.dmin;
            else {
                e += 2 * t.dmin - 2 * t.dmaj;
                x += t.sx;
            }
        }
    }
    return t.dehors;
}

// Digital line into Plan2, start pixel written, end pixel not.
void Trace_ligne(int x0, int y0, int x1, int y1, int valeur);
// White pixels of `plan` on the same digital line (outside reads white).
int Compte_blancs(int x0, int y0, int x1, int y1, const PlanImage& plan);
