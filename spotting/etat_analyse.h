// The analysis state as a whole: opening and closing an image, and emptying
// every list. Here because this is the lowest layer that sees every list
// (the symbol list is spotting's); image loading below only fills planes.
#pragma once
#include <string>

// Closes the current image, loads the file and tells the window; always 1.
// A file that cannot be loaded leaves no image.
int Open(const std::string& chemin);
// The window's Open: the file is read first, and only an image that loaded
// replaces the current one (which is closed as by Open). A failure keeps the
// current image and names the file and the cause. 1 loaded, 0 not.
int Ouvre_image(const std::string& chemin);
// The Close command: planes released, every list emptied with its log line.
void Ferme_image();
// Frees every list of the analysis (vectors, quadrilaterals, components, the
// three arc lists, symbols), heads set to null and Nb_quads to 0. With
// `journal`, the Close command's log lines and counts, in its order;
// without, not a word (resets between runs of tests and fuzz targets).
void Vide_listes(bool journal);
