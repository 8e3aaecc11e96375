// Reading back a symbol list file (tmpsymb.gxl, an image's .xml copy):
// for the drawings that label symbols and for the detections file.
#pragma once
#include <string>
#include <vector>

struct SymboleLu {
    std::string nom;     // the symbolname text, entities decoded; empty when none
    double score = -1;   // confidencerate, -1 when the list gives none
    int xi = 0, yi = 0, xf = 0, yf = 0;  // boundingbox as written (y = row + 1, inclusive)
    // The model's pose where the list gives one (<pose quarterturns= mirrored= scale= />):
    // quarter turns clockwise after a left-right mirror, then the scale; -1 quarter turns when none.
    int quarts = -1;
    bool miroir = false;
    double echelle = 1.0;
};

// The symbols of the list in `chemin`, in file order. False when the file
// cannot be read or does not end with its closing tag.
bool Lit_liste_symboles(const std::string& chemin, std::vector<SymboleLu>& symboles);
