// Complete analysis and batch processing.
#pragma once

// Vectorisation, then (unless mode is 1) graph construction, then (unless
// mode is 1 or 2) symbol spotting, on the loaded image. Returns 1.
int Complete_analysis(int mode);
// The "Complete analysis" button's analysis: on a loaded image not yet
// vectorised, clears the log and runs Complete_analysis(4); always ends with
// Signal_fin. The window then switches the displayed plane.
void CyclesB1Click();
// "&File" > "&Batch Processing": creates FINAL_RESULTS.GRE, asks the front
// end for the images (choose_images), analyses each into IMAGE.dat, .gxl and
// .xml, and gathers the symbols. Returns 0 when every image loaded and all
// its files were written, 1 otherwise.
int OuvrirLot1Click();
