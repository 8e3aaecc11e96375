// The command-line analysis run: open, vectorise, build the graph, write
// Rlignaxe.dat and Rlignaxe.gxl into Rep_travail.
#pragma once
#include <string>

// Runs the analysis of one image with the current front end; `bilan`
// receives the run's summary line ("IMAGE: N vectors, ... -> Rlignaxe.dat,
// Rlignaxe.gxl"). Returns the process exit status: 0 when the image was
// loaded and both files written.
int Analyse_ligne_commande(const std::string& image, std::string& bilan);
// Entry for a start with arguments: reads the command line (a usage error
// exits 2 before anything is touched), installs the console front end,
// captures Rep_travail and runs the form asked for.
int Main_ligne_commande(int argc, char** argv);
