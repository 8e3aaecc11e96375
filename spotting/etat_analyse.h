// The analysis state as a whole: opening and closing an image, and emptying
// every list. Here because this is the lowest layer that sees every list
// (the symbol list is spotting's); image loading below only fills planes.
#pragma once
#include <string>

// Closes the current image, loads the file and tells the window; always 1.
int Open(const std::string& chemin);
// The Close command: planes released, every list emptied with its log line.
void Ferme_image();
// Frees every list of the analysis (vectors, quadrilaterals, components, the
// three arc lists, symbols), heads set to null and Nb_quads to 0. With
// `journal`, the Close command's log lines and counts, in its order;
// without, not a word (resets between runs of tests and fuzz targets).
void Vide_listes(bool journal);
