#include "vecto/geometrie.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

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
    if (Coupe_exacte(x1) && Coupe_exacte(y1) && Coupe_exacte(x2) && Coupe_exacte(y2) && Coupe_exacte(x3)
        && Coupe_exacte(y3) && Coupe_exacte(x4) && Coupe_exacte(y4)) {
        // The exact integer answer spares the divisions to the segments that
        // do not meet (most of those asked about); for the others its
        // numerator and denominator are the doubles' own, exactly.
        if (!Coupe_entiers(x1, y1, x2, y2, x3, y3, x4, y4)) return 0;
        const int64_t d = int64_t(x2 - x1) * (y3 - y4) - int64_t(x3 - x4) * (y2 - y1);
        const int64_t tn = int64_t(x3 - x1) * (y3 - y4) - int64_t(x3 - x4) * (y3 - y1);
        const double X1 = x1, Y1 = y1, X2 = x2, Y2 = y2;
        const double t = static_cast<double>(tn) / static_cast<double>(d);
        xr = static_cast<int>(std::ceil(X1 + (X2 - X1) * t));
        yr = static_cast<int>(std::ceil(Y1 + (Y2 - Y1) * t));
        return 1;
    }
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

int Segments_se_coupent(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    if (Coupe_exacte(x1) && Coupe_exacte(y1) && Coupe_exacte(x2) && Coupe_exacte(y2) && Coupe_exacte(x3)
        && Coupe_exacte(y3) && Coupe_exacte(x4) && Coupe_exacte(y4))
        return Coupe_entiers(x1, y1, x2, y2, x3, y3, x4, y4);
    int xr, yr;
    return Intersection_segments(x1, y1, x2, y2, x3, y3, x4, y4, xr, yr);
}

int Projection_point(int px, int py, int ax, int ay, int bx, int by, int L, int& fx, int& fy)
{
    if (L == 0) {  // never a real segment; keep the foot on A rather than divide by zero
        fx = ax;
        fy = ay;
        return (px == ax && py == ay) ? 1 : 0;
    }
    // Products of coordinates overflow 32 bits beyond about 46,000 pixels
    // (and 64 bits for absurd ones); the quotients are those of the int
    // arithmetic whenever it did not overflow. Drawing-sized coordinates
    // fit 64 bits throughout, which divide much faster.
    constexpr int64_t Borne = int64_t(1) << 20;
    auto petit = [](int64_t v) { return v >= -Borne && v <= Borne; };
    if (petit(px) && petit(py) && petit(ax) && petit(ay) && petit(bx) && petit(by)) {
        const int64_t dx = int64_t(bx) - ax, dy = int64_t(by) - ay;
        const int64_t t = ((int64_t(px) - ax) * dx + (int64_t(py) - ay) * dy) / L;  // |t| < 2^44
        if (t >= -(int64_t(1) << 41) && t <= (int64_t(1) << 41)) {
            const int64_t x = ax + (t * dx) / L, y = ay + (t * dy) / L;  // |t * d| < 2^63
            fx = static_cast<int>(std::clamp<int64_t>(x, INT_MIN, INT_MAX));
            fy = static_cast<int>(std::clamp<int64_t>(y, INT_MIN, INT_MAX));
            return (Min_ent(ax, bx) <= x && x <= Max_ent(ax, bx) && Min_ent(ay, by) <= y && y <= Max_ent(ay, by)) ? 1 : 0;
        }
    }
    using Large = __int128;
    const Large dx = Large(bx) - ax, dy = Large(by) - ay;
    const Large t = ((Large(px) - ax) * dx + (Large(py) - ay) * dy) / L;
    const Large x = ax + (t * dx) / L;
    const Large y = ay + (t * dy) / L;
    fx = static_cast<int>(std::clamp<Large>(x, INT_MIN, INT_MAX));
    fy = static_cast<int>(std::clamp<Large>(y, INT_MIN, INT_MAX));
    return (Min_ent(ax, bx) <= x && x <= Max_ent(ax, bx) && Min_ent(ay, by) <= y && y <= Max_ent(ay, by)) ? 1 : 0;
}

int Point_dans_quad(int px, int py, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    int n = 0;
    n += Segments_se_coupent(px, py, -1000, -1000, x1, y1, x2, y2);
    n += Segments_se_coupent(px, py, -1000, -1000, x2, y2, x3, y3);
    n += Segments_se_coupent(px, py, -1000, -1000, x3, y3, x4, y4);
    n += Segments_se_coupent(px, py, -1000, -1000, x1, y1, x4, y4);
    return n & 1;
}

namespace {

using Large = __int128;

Large Div_plancher(Large a, Large b)  // b > 0
{
    Large q = a / b;
    if (a % b != 0 && a < 0) q--;
    return q;
}

}  // namespace

// In the frame of the major axis, step i (0 <= i < dmaj) is at u0 + su*i
// along it; across it the line has moved
//   k(i) = floor((2*dmin*i + dmaj) / (2*dmaj))
// times by sv, and the error term before step i is
//   e(i) = 2*dmin*(i+1) - dmaj - 2*dmaj*k(i),
// which is what the step-by-step walk from e(0) = 2*dmin - dmaj holds. Both
// coordinates move monotonically, so the steps inside the window are one run.
Troncon_ligne Troncon_hors_fenetre(int x0, int y0, int x1, int y1, int xmin, int ymin, int xmax, int ymax)
{
    Troncon_ligne t = Troncon_entier(x0, y0, x1, y1);
    if (t.dmaj == 0) return t;

    const int64_t u0 = t.x_majeur ? x0 : y0, v0 = t.x_majeur ? y0 : x0;
    const int su = t.x_majeur ? t.sx : t.sy, sv = t.x_majeur ? t.sy : t.sx;
    const int64_t umin = t.x_majeur ? xmin : ymin, umax = t.x_majeur ? xmax : ymax;
    const int64_t vmin = t.x_majeur ? ymin : xmin, vmax = t.x_majeur ? ymax : xmax;
    const Large dmaj = t.dmaj, dmin = t.dmin;
    Large i0 = std::max<Large>(0, su > 0 ? umin - u0 : u0 - umax);
    Large i1 = std::min<Large>(dmaj - 1, su > 0 ? umax - u0 : u0 - umin);
    // Offsets across the axis that stay inside: k in [klo, khi].
    const Large klo = sv > 0 ? vmin - v0 : v0 - vmax;
    const Large khi = sv > 0 ? vmax - v0 : v0 - vmin;
    if (dmin == 0) {
        if (klo > 0 || khi < 0) i1 = -1;
    } else {
        // k(i) >= klo and k(i) <= khi, solved for i.
        i0 = std::max(i0, -Div_plancher(-(2 * dmaj * klo - dmaj), 2 * dmin));
        i1 = std::min(i1, Div_plancher(2 * dmaj * (khi + 1) - dmaj - 1, 2 * dmin));
    }
    if (i0 > i1) {
        t.pas = 0;
        t.dehors = t.dmaj;
        return t;
    }
    const Large k = Div_plancher(2 * dmin * i0 + dmaj, 2 * dmaj);
    // Inside the window every coordinate is an int.
    const int u = static_cast<int>(u0 + su * i0), v = static_cast<int>(v0 + sv * k);
    t.x = t.x_majeur ? u : v;
    t.y = t.x_majeur ? v : u;
    t.pas = static_cast<int64_t>(i1 - i0 + 1);
    t.dehors = t.dmaj - t.pas;
    t.e = static_cast<int64_t>(2 * dmin * (i0 + 1) - dmaj - 2 * dmaj * k);
    return t;
}

void Trace_ligne(int x0, int y0, int x1, int y1, int valeur)
{
    Parcours_ligne(x0, y0, x1, y1, 1, 1, Plan2.larg - 1, Plan2.haut - 1,
                   [valeur](int x, int y) { Ecrit_pixel(x, y, valeur, Plan2); });
}

int Compte_blancs(int x0, int y0, int x1, int y1, const PlanImage& plan)
{
    int64_t blancs = 0;
    const int64_t dehors = Parcours_ligne(x0, y0, x1, y1, 1, 1, plan.larg - 1, plan.haut - 1,
                                          [&blancs, &plan](int x, int y) { blancs += Lit_pixel(x, y, plan) == 0; });
    // Pixels outside the plane read white.
    return static_cast<int>(std::min<int64_t>(blancs + dehors, INT_MAX));
}
