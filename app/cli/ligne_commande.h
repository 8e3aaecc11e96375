// The command-line analysis run: open, vectorise, build the graph, write
// Rlignaxe.dat and Rlignaxe.gxl into Rep_travail.
#pragma once
#include <string>

// Runs the analysis of one image with the current front end. Returns the
// process exit status: 0 when the image was loaded and both files written.
int Analyse_ligne_commande(const std::string& image);
// Entry for a start with arguments (--help, --version, or an image path):
// installs the console front end, captures Rep_travail, runs the analysis.
int Main_ligne_commande(int argc, char** argv);
