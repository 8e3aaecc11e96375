// The "Symbol spotting" command and the export of its candidates.
#pragma once
#include <string>

// Scores the graph, reinforces closed loops, chooses the threshold (a
// Seuil_ScoreQ above 1 asks for the automatic search) and extracts the
// symbols with recognition mode Bool_reco.
void LiaisonsB1Click();
// Grows one region per free seed of score >= seuil, writes tmpsymb.gxl and
// tests/ssg.gxl, appends one Symbole per candidate. Returns the number of
// candidates, or -255 when a recognition result could not be read.
int Extraction_symboles(double seuil, int reco);
// Copies Rep_travail + "/tmpsymb.gxl" to `destination`, replacing it.
int Copie_symboles(const std::string& destination);
// "&Save" > "&Symbols" and "&Save" > "&Connected components".
void Symboles1Click();
void ReconnaitreClick();
