// Cores of the "&Save" menu's result commands. The window owns the listing's
// save dialog and hands over the dialog's current file name.
#pragma once
#include <string>

// "&Graph (GXL + TXT)": Rep_travail + "/Rlignaxe.dat" (text results) and
// Rep_travail + "/Rlignaxe.gxl" (full GXL variant), "Graphe Sauvé..." on a
// new line, end beep. Returns false when a file could not be written; its
// writer has shown the message and the log line is then left out.
bool Sauve_graphe_gxl_txt();
// "Graph for Simgraph": Rep_travail + "/Rlignaxe.gxl" in the matcher variant,
// same log line and end beep, same return value.
bool Sauve_graphe_simgraph();
// "&Vectors and Quads" once its dialog is closed: `nom_fichier` is the
// dialog's current file name (empty until a first confirmed choice, and kept
// after a cancel). Empty: "Erreur" on a new line and no file. Otherwise the
// listing, then "Vecto Sauvée" on a new line when it was written. Always ends
// with the end beep. Returns true when the listing was written.
bool Sauve_vecto_quads(const std::string& nom_fichier);
