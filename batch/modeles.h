// Model graphs for recognition, made from a directory of symbol images.
#pragma once
#include <string>

// Analyses every image of `symboles` (BMP, PNG, JPEG, GIF, TIFF, by
// extension, in byte order of the names) with the thresholds of
// ./param.dat and writes its matcher-variant GXL graph as
// `modeles`/NAME.gxl, NAME being the image file name less its extension.
// Creates `modeles`. Returns 0 when every image gave its model, 1 otherwise
// (or when there was no image at all).
int Fabrique_modeles(const std::string& symboles, const std::string& modeles);
