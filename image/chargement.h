// Loading an image file into the planes, the outside converter, closing.
#pragma once
#include <cstdint>
#include <string>

extern int32_t Resolution;  // scanning resolution, only displayed

// 1-bit BMP into Plan1, with a white Plan2 and Plan_zoom beside it.
// Only the classic layout is read here (40-byte header, uncompressed,
// bottom-up, pixels at offset 62, rows of the 4-byte-padded width).
// 0 cannot be read (or would give inconsistent planes), 1 loaded,
// 2 readable but not in that layout (another depth, or a 1-bit BMP that
// the converter must read).
int Lit_bmp(const std::string& chemin);
// Lit_bmp, then the converter for anything that is not a 1-bit BMP.
// 0 failure, 1 loaded, 3 refused because the path holds a space.
int Charge_Img(const std::string& chemin);
// Why the last Lit_bmp or Charge_Img failed, in a few words for the user
// ("No such file or directory", "is a directory", "truncated: 1024 of 167966
// bytes", "not a BMP and the converter failed: <its last message line>");
// empty after a success.
const std::string& Cause_echec_chargement();
// Where the converter is run from: Chemin_programme("cxconvert"), beside
// the running program first.
std::string Chemin_convertisseur();
// The Information command.
void Information();
