// Smoothing and closing of the drawing in Plan1 (Plan2 is the scratch plane).
#pragma once

#include <cstdint>

// Efface_texte, " Preprocessing of p1...", Lissage, and with force 2 or more
// but 3 Dilatation then Erosion; with force 3 the adaptive cleaning of a
// noisy page before Lissage (none on a clean page). Clears the log at the end.
void Pretraitement(int force);
void Lissage();     // up to 10 passes of the 4-neighbour majority filter
void Dilatation();  // up to 3 passes of a 3x3 dilation
void Erosion();     // up to 3 passes of a 3x3 erosion

// Noise of the drawing in Plan1, over its interior: black pixels, lone black
// specks (no black 8-neighbour) and white pinholes (3 or 4 black 4-neighbours).
struct Bruit_page {
    int64_t encre = 0, points = 0, trous = 0;
};
Bruit_page Mesure_bruit();
// Specks and pinholes per black pixel from which a page is cleaned with
// one-pixel bridges, and with two-pixel ones.
inline constexpr double Seuil_bruit = 0.005, Seuil_bruit_fort = 0.045;
// Width of the gaps the adaptive cleaning bridges: 0 (a clean page), 1 or 2.
int Ecart_nettoyage(const Bruit_page& b);
