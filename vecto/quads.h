// Pairing of facing contour vectors into quadrilaterals.
#pragma once

// Reads Seuil_penteV, SeuilEpmax, LgMinQuad; appends to Liste_quads. Returns 1.
int Construction_quads();
// The same construction by the literal scan of the whole vector list at every
// iteration (Construction_quads answers the same through spatial indexes).
int Construction_quads_directe();
// When |angle1 - angle2| > 90, folds one of them so they differ by at most 90.
void Reconcilie_angles();
