// What spotting by groups (Methode_spotting 1) decided about each
// quadrilateral, kept for the drawings that show it (the colour picture,
// --draw colored-quads): a wire, a wall, a stroke of a kept symbol, or the
// rest. Filled where that method classifies the strokes and keeps its
// symbols; emptied with the lists and when a spotting run starts.
#pragma once
#include <unordered_map>

#include "vecto/records.h"

constexpr int Decision_fil = -1, Decision_mur = -2, Decision_reste = -3;
struct DecisionsGroupes {
    bool remplies = false;  // the last spotting run was by groups
    // Decision_fil, Decision_mur, or k >= 0 for the strokes of the k-th
    // symbol of Liste_symboles; a quadrilateral absent is of the rest. The
    // keys are only compared, never followed: a stage run again after the
    // spotting (which may free quadrilaterals) can at worst miscolour one.
    std::unordered_map<const Quad*, int> quads;
};
extern DecisionsGroupes Decisions_groupes;
void Raz_decisions_groupes();
