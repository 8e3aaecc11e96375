// Complete analysis and batch processing.
#pragma once
#include <string>

// Vectorisation, then (unless mode is 1) graph construction, then (unless
// mode is 1 or 2) symbol spotting, on the loaded image. Returns 1.
int Complete_analysis(int mode);
// The "Complete analysis" button's analysis: on a loaded image not yet
// vectorised, clears the log and runs Complete_analysis(4); always ends with
// Signal_fin. The window then switches the displayed plane.
void CyclesB1Click();
// "&File" > "&Batch Processing": creates FINAL_RESULTS.GRE, asks the front
// end for the images (choose_images), analyses each into IMAGE.dat, .gxl and
// .xml, and gathers the symbols. Stop ends it before the next image, the
// images done gathered. Returns 0 when every image loaded and all its files
// were written, 1 otherwise.
int OuvrirLot1Click();
// Images that failed in the last batch run (this process's or the workers').
extern int Echecs_lot;

// The two halves of one image's batch analysis, around Complete_analysis(4)
// (a batch worker runs the analysis itself in its own directory).
// Logs the path, opens the image and removes the symbol list an earlier
// image left (Rep_travail's tmpsymb.gxl), so that a step that fails can never
// hand on another image's symbols. The image's .xml stays until replaced:
// Liste_image_ecrite tells whether this run wrote it. True when it loaded.
bool Ouvre_image_lot(const std::string& chemin);
// Writes chemin + ".dat", ".gxl" (Format_GXL) and ".xml" (the symbol list).
// An image without quadrilaterals whose spotting left no symbol list gets
// the empty one. True when the three files were written and no matcher
// failed on the image (Pannes_apparieurs, reset by Ouvre_image_lot).
bool Ecrit_fichiers_image(const std::string& chemin);
// Whether Ecrit_fichiers_image wrote the image's .xml (false from
// Ouvre_image_lot on).
extern bool Liste_image_ecrite;
// An image that failed: its .xml, when there is one, is dated back so that
// a resumed batch analyses it again.
void Marque_echec_image(const std::string& chemin);
// After the image number `rang` (from 1) of `total`: the progress bar at
// rang of (0, total), and the front end told.
void Fin_image_lot(int rang, int total, const std::string& chemin);
