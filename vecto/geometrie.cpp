#include "vecto/geometrie.h"

#include <cmath>

int Longueur_vecteur(int xi, int yi, int xf, int yf)
{
    const double dx = static_cast<double>(xf) - xi;
    const double dy = static_cast<double>(yf) - yi;
    return static_cast<int>(std::ceil(std::sqrt(dx * dx + dy * dy)));
}

int Angle_vecteur(int xi, int yi, int xf, int yf)
{
    if (xi == xf) return 90;
    const double un_sur_pi = 0.3183098861837907;
    double a = std::atan(static_cast<double>(yi - yf) / static_cast<double>(xf - xi)) * 180.0 * un_sur_pi;
    if (a < 0) a += 180.0;
    return static_cast<int>(std::floor(a));
}

int Intersection_segments(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int& xr, int& yr)
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

int Projection_point(int px, int py, int ax, int ay, int bx, int by, int L, int& fx, int& fy)
{
    if (L == 0) {  // never a real segment; keep the foot on A rather than divide by zero
        fx = ax;
        fy = ay;
        return (px == ax && py == ay) ? 1 : 0;
    }
    const int t = ((px - ax) * (bx - ax) + (py - ay) * (by - ay)) / L;
    fx = ax + (t * (bx - ax)) / L;
    fy = ay + (t * (by - ay)) / L;
    return (Min_ent(ax, bx) <= fx && fx <= Max_ent(ax, bx) && Min_ent(ay, by) <= fy && fy <= Max_ent(ay, by)) ? 1 : 0;
}

int Point_dans_quad(int px, int py, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    int xr, yr, n = 0;
    n += Intersection_segments(px, py, -1000, -1000, x1, y1, x2, y2, xr, yr);
    n += Intersection_segments(px, py, -1000, -1000, x2, y2, x3, y3, xr, yr);
    n += Intersection_segments(px, py, -1000, -1000, x3, y3, x4, y4, xr, yr);
    n += Intersection_segments(px, py, -1000, -1000, x1, y1, x4, y4, xr, yr);
    return n & 1;
}


void Trace_ligne(int x0, int y0, int x1, int y1, int valeur)
{
    Parcours_ligne(x0, y0, x1, y1, [valeur](int x, int y) { Ecrit_pixel(x, y, valeur, Plan2); });
}

int Compte_blancs(int x0, int y0, int x1, int y1, const PlanImage& plan)
{
    int n = 0;
    Parcours_ligne(x0, y0, x1, y1, [&n, &plan](int x, int y) { n += Lit_pixel(x, y, plan) == 0; });
    return n;
}
