// The drawings as files for the headless run: PNG pictures and SVG layers.
// A picture covers the plane's width x height pixels with the plane coordinates of the
// primitives: column x, row y from the top (row 0 and column 0 lie outside
// the addressable window and come out white).
#pragma once
#include <string>
#include <string_view>

#include "image/planes.h"

// PNG of a plane: 1-bit grey, black ink on white.
std::string Png_plan(const PlanImage& p);
// PNG of the colour picture laid over a faint grey copy of `fond`: white
// pixels of the picture let the drawing show through.
std::string Png_couleur_sur(const PlanImage& fond);
// PNG bytes from rows of raw samples (no filter byte), 8-bit RGB (type 2)
// or 1-bit grey (type 0); empty when the compression failed.
std::string Encode_png(int largeur, int hauteur, int profondeur, int type_couleur, std::string_view lignes);
std::string Base64(std::string_view octets);

// What the headless run can draw.
enum class Dessin { vecteurs, quads, cc, axes, graphe, symboles, quads_couleur, graphe_couleur };
// The SVG document of a drawing of the current lists over `fond` (a hideable
// layer <g id="drawing"> holding it as an embedded 1-bit PNG).
std::string Svg_dessin(Dessin quoi, const PlanImage& fond, std::string_view titre);

// Writes the whole content; false when the file could not be written.
bool Ecrit_octets(const std::string& chemin, std::string_view octets);
