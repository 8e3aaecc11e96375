// The true-colour picture of the colour window (FImgC) and the coloured
// drawings. The window only shows the picture; everything drawn is here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "graph/arcs.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

struct ImageCouleur {
    int largeur = 0, hauteur = 0;  // 0 x 0 before the first Erase
    std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row from the top
};
extern ImageCouleur Image_couleur;

constexpr uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

// Erase: Largeur x Hauteur, white inside (1,1)-(Largeur-1,Hauteur-1).
void Efface_couleur();
// The toolkit's line: from (x1,y1) to (x2,y2), end pixel left out.
void Ligne_couleur(int x1, int y1, int x2, int y2, uint32_t couleur);
// Closed polygon through the four points in order, filled, black outline.
void Quad_couleur(const int xs[4], const int ys[4], uint32_t remplissage);
// 24-bit BMP; false when the file could not be written.
bool Sauve_couleur(const std::string& chemin);

// "Colored Quad.", "Graph with colors (quad)", the symbol outlines.
void Quads_couleur(Quad* tete);
void Graphe_couleur(ArcQQ* tete);
void Symboles_couleur(Symbole* tete);
