// The true-colour picture of the colour window (FImgC) and the coloured
// drawings. The window only shows the picture; everything drawn is here.
// Picture coordinates are plane coordinates: x the column, y the row from
// the top, so a coloured view lines up with Plan1 and Plan2.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/planes.h"
#include "vecto/arcs.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

struct ImageCouleur {
    int largeur = 0, hauteur = 0;  // 0 x 0 before the first Erase
    std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row from the top
};
extern ImageCouleur Image_couleur;

constexpr uint32_t Rgb(int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }
constexpr uint32_t Blanc = Rgb(255, 255, 255), Noir = Rgb(0, 0, 0), Rouge = Rgb(255, 0, 0);

// Erase: the picture becomes Largeur x Hauteur and the rectangle
// (1,1)-(Largeur-1,Hauteur-1), right and bottom edges excluded, white. The
// one-pixel frame keeps what it held; pixels new to the picture start white.
void Efface_couleur();
// The toolkit's line: from (x1,y1) towards (x2,y2) on the same digital line
// as Trace_ligne, the end pixel left out, clipped to the picture.
void Ligne_couleur(int x1, int y1, int x2, int y2, uint32_t couleur);
// Closed polygon through the four points in order, filled, outlined in
// `contour` (black unless said).
// Notes: a pixel is filled when its centre (x + 0.5, y + 0.5) lies inside the
// polygon by the even-odd rule, so a self-crossing (bow-tie) outline leaves
// the part covered twice unfilled; the outline is then drawn over the fill
// with four colour lines, each starting where the previous one ended, which
// sets every corner.
void Quad_couleur(const int xs[4], const int ys[4], uint32_t remplissage, uint32_t contour = Noir);
// 24-bit BMP: 54-byte header, bottom-up rows padded to 4 bytes. False when
// the file could not be written.
bool Sauve_couleur(const std::string& chemin);
// The picture value at (x, y); white outside.
uint32_t Lit_couleur(int x, int y);

// Fill colour of a quadrilateral by its score: each bound belongs to the
// upper interval; 0.8 and above, 1.0 and above included, is black.
uint32_t Couleur_score(double s);
// Colour of a relation in the graph drawing; black for an unknown type.
uint32_t Couleur_type(char type);

// Fill colour of a quadrilateral in the colour drawing: what spotting by
// groups decided about it when that method ran last (wire, wall, a colour
// per symbol kept, the rest: Couleur_decision), else its score.
uint32_t Couleur_quad(const Quad* q);
uint32_t Couleur_decision(int decision);
// "wire", "wall", "symbol N" (from 1), "other stroke".
std::string Nom_decision(const Quad* q);
// Bounding boxes over the drawing: the picture erased, the ink of `fond`
// in grey, each symbol's outline in red (thicker on a large sheet) with its
// label above it: etiquettes[k] for the k-th symbol, its own name beyond.
// The labels grow with the sheet, so that they stay readable when the
// picture is shown reduced to the screen.
void Symboles_sur_dessin(Symbole* tete, const PlanImage& fond, const std::vector<std::string>& etiquettes);
// The key of those colours, in a box at the top-left of the picture.
void Legende_decisions();

// The quadrilaterals by score (method 1's decisions after that method) (nothing at all when Nb_quads is 0), the
// quadrilateral graph in colours, the symbol outlines in red.
void Quads_couleur(Quad* tete);
void Graphe_couleur(ArcQQ* tete);
void Symboles_couleur(Symbole* tete);
