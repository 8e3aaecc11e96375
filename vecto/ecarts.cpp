#include "vecto/ecarts.h"

#include <cstdlib>

#include "vecto/geometrie.h"

bool Blancs_au_dela(int x0, int y0, int x1, int y1, const PlanImage& plan, int seuil)
{
    // The walk below is Compte_blancs' for ends whose differences and error
    // terms fit an int; farther ends take the full count.
    constexpr int kLoin = 1 << 28;
    if (std::abs(x0) >= kLoin || std::abs(y0) >= kLoin || std::abs(x1) >= kLoin || std::abs(y1) >= kLoin)
        return Compte_blancs(x0, y0, x1, y1, plan) > seuil;
    const int dx = Val_abs(x1 - x0), dy = Val_abs(y1 - y0);
    const int sx = x1 - x0 > 0 ? 1 : -1, sy = y1 - y0 > 0 ? 1 : -1;
    int x = x0, y = y0, n = 0;
    if (dx > dy) {
        int e = 2 * dy - dx;
        for (int i = 0; i < dx; i++) {
            n += Lit_pixel(x, y, plan) == 0;
            if (n > seuil) return true;
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
            n += Lit_pixel(x, y, plan) == 0;
            if (n > seuil) return true;
            y += sy;
            if (e < 0) e += 2 * dx;
            else {
                e += 2 * dx - 2 * dy;
                x += sx;
            }
        }
    }
    return n > seuil;
}
