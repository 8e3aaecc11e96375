// Symbol spotting by groups of strokes checked against the models: the
// method chosen by Methode_spotting = 1.
#pragma once

// The spotting method of param.dat's Methode_spotting: 1 for the groups
// checked against the models; 0 when the key is 0 or absent. Any other value
// is reported once per run and gives 0.
int Methode_spotting();
// The method the window's Symbols menu imposes: 0 or 1, or -1 (the
// default) to follow param.dat.
extern int Methode_spotting_choisie;

// Proposes candidates (groups of symbol strokes, wires and walls left out),
// compares each with the models of Rep_travail/models by the measure of
// `reco` (0: no recognition, the symbol-like groups are kept), keeps the best
// explanation without overlaps, and writes tmpsymb.gxl and Liste_symboles
// as the other method does. In trace mode the candidates considered and the
// ones kept are drawn on Plan2. Returns the number of symbols.
int Spotting_groupes(int reco);
