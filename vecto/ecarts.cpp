#include "vecto/ecarts.h"

#include <cstdint>

#include "vecto/geometrie.h"

bool Blancs_au_dela(int x0, int y0, int x1, int y1, const PlanImage& plan, int seuil)
{
    const Troncon_ligne t = Troncon_dans_fenetre(x0, y0, x1, y1, 1, 1, plan.larg - 1, plan.haut - 1);
    // Steps outside the plane read white.
    int64_t blancs = t.dehors;
    if (blancs > seuil) return true;
    // The run lies inside the plane: its pixels are read without the bounds
    // check of Lit_pixel.
    const uint8_t* const pixels = plan.pixels.data();
    const size_t octets = static_cast<size_t>(plan.octets);
    return Marche_troncon(t, [&](int x, int y) {
        const uint8_t octet = pixels[static_cast<size_t>(plan.haut - y) * octets + (x >> 3)];
        blancs += (octet >> (7 - (x & 7))) & 1;  // a set bit is white
        return blancs > seuil;
    });
}

bool Blancs_sous(int x0, int y0, int x1, int y1, const PlanImage& plan, int seuil)
{
    // A count is never below 0 or below a non-positive threshold.
    return seuil > 0 && !Blancs_au_dela(x0, y0, x1, y1, plan, seuil - 1);
}
