// Chaining and alignment fusion of the vectors left after quadrilateral
// construction.
#pragma once

// Rebuilds Liste_vecteurs as chains separated by separator records;
// 0 for an empty list, else 1.
int Chainage_vecteurs(int seuil_pente);
// Merges straight runs of each chain (EpsFQ); returns the vectors absorbed.
int Fusion_vecteurs();
// The same chaining by the literal scan of the whole list at every step
// (Chainage_vecteurs answers the same through an index of the vector ends).
int Chainage_vecteurs_direct(int seuil_pente);
