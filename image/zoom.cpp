#include "image/zoom.h"

#include <cstring>
#include <new>

void Construit_zoom(const PlanImage& source, int f)
{
    if (f < 1 || !Plan1.existe()) return;
    // The buffer is made at the first reduced picture of an image, with
    // Plan1's geometry (the load sets only the headers).
    if (!Plan_zoom.existe()) {
        try {
            Plan_zoom.pixels.resize(static_cast<size_t>(Plan1.haut) * Plan1.octets);
        } catch (const std::bad_alloc&) {
            Libere_plan(Plan_zoom);
            return;
        }
        Plan_zoom.larg = Plan1.larg;
        Plan_zoom.haut = Plan1.haut;
        Plan_zoom.octets = Plan1.octets;
    }
    std::memset(Plan_zoom.pixels.data(), 0, Plan_zoom.pixels.size());
    for (int i = 1; i < Largeur / f; i++)
        for (int j = 1; j < Hauteur / f; j++) Ecrit_pixel(i, j, Lit_pixel(f * i, f * j, source), Plan_zoom);
}
