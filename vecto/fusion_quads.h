// Chaining and fusion of aligned quadrilaterals.
#pragma once

int Chainage_quads(int seuil_pente);
// The same chaining by the literal scan of the whole list at every step
// (Chainage_quads answers the same through an index of the corners).
int Chainage_quads_direct(int seuil_pente);
// Returns the quadrilaterals absorbed (also subtracted from Nb_quads).
int Fusion_quads();
