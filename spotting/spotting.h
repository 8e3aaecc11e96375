// The "Symbol spotting" command and the export of its candidates.
#pragma once
#include <string>

// Scores the graph, reinforces closed loops, chooses the threshold (a
// Seuil_ScoreQ above 1 asks for the automatic search over 0.2 .. 1.0) and
// extracts the symbols with recognition mode Bool_reco. Ends with
// "Nb = %d - Seuil = %e" and the end beep.
void LiaisonsB1Click();
// Grows one region per free seed of score >= seuil, writes tmpsymb.gxl and
// tests/ssg.gxl, appends one Symbole per candidate. With reco not 0, the
// files of tests/ are deleted first and each sub-graph goes through
// Reconnaissance, whose first result line names the symbol. Returns the
// number of candidates, or -255 when a recognition result could not be read
// (the list file then ends after the unfinished symbol).
int Extraction_symboles(double seuil, int reco);
// Copies Rep_travail + "/tmpsymb.gxl" to `destination`, replacing it.
// Returns 1, or 0 when the copy failed.
int Copie_symboles(const std::string& destination);
// "&Save" > "&Symbols": the symbol list copied into tests/ under the name
// asked for. "&Save" > "&Connected components": the components listed in
// Rep_courant/NAME.dat. Cancel writes nothing.
void Symboles1Click();
void ReconnaitreClick();
