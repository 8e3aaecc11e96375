// Naming: what a model needs to name a candidate (its learnt settings, else
// the hand-set ones), and the symbol list the analysis writes.
#pragma once
#include <string>
#include <vector>

#include "spotting/pose.h"
#include "spotting/reglages_spotting.h"

// What a pose of the model `nom` needs to name a symbol: a likeness from
// `seuil`, and, for a model too plain to name one on its own, ink carrying
// on from one of its terminals (a wire at its pin).
struct Exigence {
    double seuil = 0;
    bool fil = false;     // a wire at one of its pins
    bool bords = false;   // no ink crossing its box's edges but wires at its pins
};
// The learnt settings when they hold a threshold (and Reglages_ignores is
// off); else seuil_simple and a wire for a model of under encre_simple ink
// pixels, seuil_moyen for one of under encre_moyen, seuil for the others. With Reglages_ignores, every pose at the floor.
Exigence Exigence_de(const std::string& nom, const Gabarit& g, const Reglages_spotting& r);
// Whether the pose `d` of the model `nom` names a symbol.
bool Admis(const Detection& d, const std::string& nom, const Encre_page& page, const Reglages_spotting& r);

struct Symbole_ecrit {
    int xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    std::string nom;        // the model's name; empty: "NONE"
    double score = 0;       // the likeness written as confidence rate
    double seuil = 0;       // under it the name is written Rejet(...)
    bool pose_connue = false;
    Pose pose;
};
// Writes the symbols, top to bottom then left to right, into tmpsymb.gxl
// and Liste_symboles (with their names); draws their boxes in trace mode.
// Returns how many.
int Ecrit_symboles(std::vector<Symbole_ecrit> symboles);
