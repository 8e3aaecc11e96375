// Settings learnt from the models: practice sheets drawn from a model folder
// are analysed as any drawing would be, their named symbols matched with what
// was drawn, and what that taught about each model written beside the models
// (reco/fichier_reglages.h).
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "batch/feuilles_exercice.h"

// A drawing's ink the same at any quarter turn or mirror: the least of its
// eight poses, as bytes (width, height, then the pixels). Two models of one
// canonical form draw the same symbol.
std::string Forme_canonique(const Bitmap& encre);

struct Bilan_calibration {
    int modeles = 0, feuilles = 0, symboles = 0, detections = 0, justes = 0;
    int appris = 0, trop_simples = 0;
    double secondes = 0;
};

// Draws the practice sheets of the models of `rep_modeles` (NAME.gxl with its
// drawing NAME.bmp) in a temporary directory, runs the spotting with method 1
// and recognition on each, learns each model's settings and writes them to
// `rep_modeles`/reglages.txt (under a temporary name, then renamed). The
// temporary directory is removed. `memes` lists the drawings left out as
// duplicates (name, first name drawing the same), recorded in the file.
// False, after a message, when the file could not be made.
bool Fabrique_reglages(const std::string& rep_modeles, const std::vector<std::pair<std::string, std::string>>& memes = {},
                       Bilan_calibration* bilan = nullptr);

// Before a run that names symbols with method 1: the settings of the model
// folder `rep_modeles` made when missing, made again (with a message) when
// damaged or learnt from other models. Once per folder and process; nothing
// for a run without recognition or with the other method.
void Verifie_reglages(const std::string& rep_modeles);
