// Chaining and fusion of aligned quadrilaterals.
#pragma once

int Chainage_quads(int seuil_pente);
// Returns the quadrilaterals absorbed (also subtracted from Nb_quads).
int Fusion_quads();
