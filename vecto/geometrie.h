// Geometry helpers shared by vectorisation, graph construction and drawing.
// Their rounding is part of the results: every threshold downstream compares
// whole numbers produced here.
#pragma once
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
// Foot of the perpendicular from P on segment AB of length L (int arithmetic,
// truncating divisions). The foot is always written; returns 1 when it lies
// within the segment's bounding box.
int Projection_point(int px, int py, int ax, int ay, int bx, int by, int L, int& fx, int& fy);
// 1 when P is inside the quadrilateral C1C2C3C4 (parity of the crossings of
// the segment from P to (-1000, -1000) with the four sides).
int Point_dans_quad(int px, int py, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
// Walks the digital line from (x0, y0) towards (x1, y1), end pixel excluded,
// calling pixel(x, y) for each; the one walk behind Trace_ligne,
// Compte_blancs and the colour line.
template <class F>
void Parcours_ligne(int x0, int y0, int x1, int y1, F&& pixel)
{
    const int dx = Val_abs(x1 - x0), dy = Val_abs(y1 - y0);
    const int sx = x1 - x0 > 0 ? 1 : -1, sy = y1 - y0 > 0 ? 1 : -1;
    int x = x0, y = y0;
    if (dx > dy) {
        int e = 2 * dy - dx;
        for (int i = 0; i < dx; i++) {
            pixel(x, y);
            x += sx;
            if (e < 0) e += 2 * dy;
            else {
                e += 2 * dy - 2 * dx;
                y += sy;
            }
        }
    } else {
        int e = 2 * dx - dy;
        for (int i = 0; i < dy; i++) {
            pixel(x, y);
            y += sy;
            if (e < 0) e += 2 * dx;
            else {
                e += 2 * dx - 2 * dy;
                x += sx;
            }
        }
    }
}

// Digital line into Plan2, start pixel written, end pixel not.
void Trace_ligne(int x0, int y0, int x1, int y1, int valeur);
// White pixels of `plan` on the same digital line (outside reads white).
int Compte_blancs(int x0, int y0, int x1, int y1, const PlanImage& plan);
