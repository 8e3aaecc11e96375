// Practice sheets drawn in memory from a model folder's drawings: each model
// several times, scaled, turned and mirrored, with wires run into its
// terminals and on to its neighbours, text-like labels beside it, and on some
// rows the specks and edge jitter of a scan. The sheets know where they drew
// every symbol: the calibration measures the spotting against that truth.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/planes.h"

// A bi-level picture, one byte a pixel (1 ink), rows from the top.
struct Bitmap {
    int larg = 0, haut = 0;
    std::vector<uint8_t> px;
    uint8_t at(int x, int y) const { return px[static_cast<size_t>(y) * static_cast<size_t>(larg) + static_cast<size_t>(x)]; }
    uint8_t& at(int x, int y) { return px[static_cast<size_t>(y) * static_cast<size_t>(larg) + static_cast<size_t>(x)]; }
};

// Scale first (nearest pixel), then the mirror (left and right swapped), then
// `quarts` quarter turns clockwise.
struct Pose {
    int quarts = 0;
    bool miroir = false;
    double echelle = 1.0;
};

struct Dessin_modele {
    std::string nom;
    Bitmap encre;  // cropped to its ink
};

// A symbol drawn on a sheet: its model, the box of its ink at the pose
// (inclusive, columns and rows from 0 at the top left) and the pose.
struct Verite {
    std::string nom;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    Pose pose;
};

struct Feuille {
    Bitmap image;
    std::vector<Verite> verites;
};

struct Options_feuilles {
    int exemplaires = 0;      // drawings of each model; 0: from the number of models
    bool bruit = true;        // specks and jitter on every other row of symbols
    int largeur_max = 2000;   // a sheet's width and height, unless one symbol needs more
    int hauteur_max = 2000;
    uint64_t graine = 29;
};

// The picture of the plane `p` (Plan1's layout: x from 0, y from 1).
Bitmap Bitmap_de_plan(const PlanImage& p);
// The part of `b` that holds its ink (0 x 0 without ink).
Bitmap Rogne_encre(const Bitmap& b);
// The drawing at the pose, cropped to its ink.
Bitmap Pose_dessin(const Bitmap& encre, const Pose& pose);
// Typical stroke thickness of a drawing: the median length of its runs of
// ink along rows and columns (at least 1).
int Epaisseur_traits(const Bitmap& b);

// A terminal: a run of ink on one side of the drawing's box (0 top, 1 right,
// 2 bottom, 3 left) from `debut` to `fin` along that side, thin as a stroke
// and carried on inward: where a wire meets the symbol.
struct Borne {
    int cote = 0, debut = 0, fin = 0;
};
std::vector<Borne> Bornes(const Bitmap& encre);

// The sheets for `modeles`; the same models and options give the same sheets.
std::vector<Feuille> Feuilles_exercice(const std::vector<Dessin_modele>& modeles, const Options_feuilles& o = {});

// Writes `b` as a 1-bit BMP (black first in the colour table). False when it
// cannot be written.
bool Ecrit_bmp(const Bitmap& b, const std::string& chemin);
