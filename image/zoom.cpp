#include "image/zoom.h"

#include <cstring>

void Construit_zoom(const PlanImage& source, int f)
{
    if (f < 1 || !Plan_zoom.existe()) return;
    std::memset(Plan_zoom.pixels.data(), 0, Plan_zoom.pixels.size());
    for (int i = 1; i < Largeur / f; i++)
        for (int j = 1; j < Hauteur / f; j++) Ecrit_pixel(i, j, Lit_pixel(f * i, f * j, source), Plan_zoom);
}
