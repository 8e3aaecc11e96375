// Smoothing and closing of the drawing in Plan1 (Plan2 is the scratch plane).
#pragma once

// Efface_texte, " Preprocessing of p1...", Lissage, and with force > 1
// Dilatation then Erosion; clears the log at the end.
void Pretraitement(int force);
void Lissage();     // up to 10 passes of the 4-neighbour majority filter
void Dilatation();  // up to 3 passes of a 3x3 dilation
void Erosion();     // up to 3 passes of a 3x3 erosion
