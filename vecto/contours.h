// Contour following with polygonal approximation, chain fusion, cleaning.
#pragma once

// Follows every contour of Plan1 on odd rows into Liste_vecteurs and
// Liste_CC, marking the followed pixels in Plan2. Nothing when
// Liste_vecteurs is not empty. Reads EpsV.
void Suivi_contours();
// The runs whose lower rows were scanned by a helper thread and kept (a
// scan that could not be kept is done again on the calling thread); for
// tests and benchmarks.
extern int Contours_partages;
// Turn between two chain codes, normalised into -3..4.
int Norme_virage(int d);
// One merging pass over Liste_vecteurs (EpsFV); returns the vectors removed.
int Fusion_chaines();
// Removes the components smaller than s in both directions with the vectors
// inside them (erasing them from Plan1), then the vectors shorter than m.
void Nettoyage_CC(int s, int m);
