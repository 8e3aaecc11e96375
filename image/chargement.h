// Loading an image file into the planes, the outside converter, closing.
#pragma once
#include <cstdint>
#include <string>

#include "image/planes.h"

extern int32_t Resolution;  // scanning resolution, only displayed

// 1-bit BMP into Plan1, with a white Plan2 beside it and Plan_zoom's headers
// (its buffer is made by Construit_zoom, when a reduced picture is built).
// Only the classic layout is read here (40-byte header, uncompressed,
// bottom-up, pixels at offset 62, rows of the 4-byte-padded width).
// 0 cannot be read (or would give inconsistent planes), 1 loaded,
// 2 readable but not in that layout (another depth, or a 1-bit BMP that
// the converter must read).
int Lit_bmp(const std::string& chemin);
// Lit_bmp, then the converter for anything that is not a 1-bit BMP.
// 0 failure, 1 loaded, 3 refused because the path holds a space.
int Charge_Img(const std::string& chemin);
// An image read into planes of its own, before it replaces the current
// one: an Open that fails then leaves the loaded image as it was.
struct ImageChargee {
    PlanImage plan1, plan2, zoom;
    int32_t hauteur_vue = -1;  // height of the last header read, -1 none
    std::string cause;         // why the load failed, for the user
};
// Lit_bmp and Charge_Img into `im`; the current planes stay untouched.
int Lit_bmp_dans(const std::string& chemin, ImageChargee& im);
int Charge_Img_dans(const std::string& chemin, ImageChargee& im);
// The planes of `im` become Plan1, Plan2 and Plan_zoom, with Largeur,
// Hauteur and Octets_ligne.
void Installe_image(ImageChargee& im);
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
