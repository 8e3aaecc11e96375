// The drawings as files for the headless run: PNG pictures and SVG layers.
// A picture covers the plane's width x height pixels with the plane coordinates of the
// primitives: column x, row y from the top (row 0 and column 0 lie outside
// the addressable window and come out white).
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include <vector>

#include "image/planes.h"
#include "spotting/lecture_symboles.h"

// PNG of a plane: 1-bit grey, black ink on white.
std::string Png_plan(const PlanImage& p);
// PNG of the colour picture laid over a faint grey copy of `fond`: white
// pixels of the picture let the drawing show through.
std::string Png_couleur_sur(const PlanImage& fond);
// 8-bit grey PNG of the ink of `dessin` in black over the ink of `fond` in
// light grey, with the symbols of `symboles` that recognition named
// labelled above their boxes with their name and score.
std::string Png_sur_fond(const PlanImage& dessin, const PlanImage& fond, const std::vector<SymboleLu>& symboles);
// A symbol's label, "name 0.94"; empty when it was not named (no name,
// NONE, a rejection).
std::string Etiquette_symbole(const SymboleLu& s);
// Every symbol's label, for the pictures that show them all: "name 0.94",
// the name alone without a score, NONE without recognition, "?" unnamed.
std::string Etiquette_complete(const SymboleLu& s);
// PNG bytes from rows of raw samples (no filter byte), 8-bit RGB (type 2),
// grey (type 0, 1 or 8 bits) or 8-bit indices into `palette` (type 3, its
// RGB triples); empty when the compression failed.
std::string Encode_png(int largeur, int hauteur, int profondeur, int type_couleur, std::string_view lignes,
                       std::string_view palette = {});
// Writes `texte` in the built-in 3 x 5 font, each dot `echelle` pixels
// square, with its top-left corner at (x, y) of a picture of one byte per
// pixel, `encre` on a band of `fond` that keeps it readable over strokes.
void Ecrit_etiquette(std::string& octets, int w, int h, int x, int y, const std::string& texte, char fond, char encre,
                     int echelle);
// Height in pixels of a label written at `echelle`.
inline int Hauteur_etiquette(int echelle) { return 5 * echelle; }

// A picture of a drawing with the symbols found on it, for the batch
// report: the ink in dark grey, each symbol's box in red with its label
// ("name 0.94", or the name alone without a score) above it. `largeur_max`
// above 0 and below the drawing's width reduces the picture to that width,
// each pixel of the reduction inked when any pixel of its cell is, so thin
// strokes stay whole; labels are then written at the smallest scale.
std::string Png_symboles(const PlanImage& dessin, const std::vector<SymboleLu>& symboles, int largeur_max);
// The same, row by row: `ligne(y, o)` writes row y's samples at o, and the
// file's bytes go to `sortie` piece by piece (false from it ends the
// encoding). A sheet of any size costs one row and a piece of compressed
// data, not the whole picture. The bytes differ from Encode_png's only in
// how the compressed data is cut into chunks.
bool Encode_png_lignes(int largeur, int hauteur, int profondeur, int type_couleur,
                       const std::function<void(int, char*)>& ligne, const std::function<bool(std::string_view)>& sortie);
// Writes at `chemin` (beside it first, renamed once whole) what `encode`
// gives its sink; false when it could not be written.
bool Ecrit_png(const std::string& chemin, const std::function<bool(const std::function<bool(std::string_view)>&)>& encode);
// Png_couleur_sur and Png_sur_fond written to a file as they are encoded.
bool Ecrit_png_couleur_sur(const std::string& chemin, const PlanImage& fond);
bool Ecrit_png_sur_fond(const std::string& chemin, const PlanImage& dessin, const PlanImage& fond,
                        const std::vector<SymboleLu>& symboles);
std::string Base64(std::string_view octets);

// What the headless run can draw.
enum class Dessin { vecteurs, quads, cc, axes, graphe, symboles, quads_couleur, graphe_couleur };
// The SVG document of a drawing of the current lists over `fond` (a hideable
// layer <g id="drawing"> holding it as an embedded 1-bit PNG).
// The symbols drawing also labels the named ones of `symboles` (a text and a
// box whose title is the label).
std::string Svg_dessin(Dessin quoi, const PlanImage& fond, std::string_view titre,
                       const std::vector<SymboleLu>& symboles = {});

// Writes the whole content; false when the file could not be written.
bool Ecrit_octets(const std::string& chemin, std::string_view octets);
