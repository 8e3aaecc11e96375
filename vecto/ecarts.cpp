#include "vecto/ecarts.h"

#include <cstdint>

#include "vecto/geometrie.h"

bool Blancs_au_dela(int x0, int y0, int x1, int y1, const PlanImage& plan, int seuil)
{
    const Troncon_ligne t = Troncon_dans_fenetre(x0, y0, x1, y1, 1, 1, plan.larg - 1, plan.haut - 1);
    // Steps outside the plane read white.
    int64_t blancs = t.dehors;
    if (blancs > seuil) return true;
    // Even all white, the pixels left could not pass the threshold.
    if (blancs + t.pas <= seuil) return false;
    // The run lies inside the plane: its pixels are read without the bounds
    // check of Lit_pixel, the walk stepping along or across rows by offsets
    // (the steps of Parcours_ligne, without a product per pixel).
    const uint8_t* const pixels = plan.pixels.data();
    const int64_t saut = -int64_t(t.sy) * plan.octets;  // one row in the walk's sense
    int64_t ligne = int64_t(plan.haut - t.y) * plan.octets;
    int x = t.x;
    int64_t e = t.e;
    const int64_t pas_min = 2 * t.dmin, pas_maj = 2 * t.dmin - 2 * t.dmaj;
    // One loop per major axis: the step along it is taken at every pixel,
    // the one across it when the error term says so.
    const int sx = t.sx;
    if (t.x_majeur) {
        for (int64_t i = 0; i < t.pas; i++) {
            blancs += (pixels[ligne + (x >> 3)] >> (7 - (x & 7))) & 1;  // a set bit is white
            if (blancs > seuil) return true;
            x += sx;
            if (e < 0) {
                e += pas_min;
            } else {
                e += pas_maj;
                ligne += saut;
            }
        }
    } else {
        for (int64_t i = 0; i < t.pas; i++) {
            blancs += (pixels[ligne + (x >> 3)] >> (7 - (x & 7))) & 1;
            if (blancs > seuil) return true;
            ligne += saut;
            if (e < 0) {
                e += pas_min;
            } else {
                e += pas_maj;
                x += sx;
            }
        }
    }
    return false;
}

bool Blancs_sous(int x0, int y0, int x1, int y1, const PlanImage& plan, int seuil)
{
    // A count is never below 0 or below a non-positive threshold.
    return seuil > 0 && !Blancs_au_dela(x0, y0, x1, y1, plan, seuil - 1);
}
