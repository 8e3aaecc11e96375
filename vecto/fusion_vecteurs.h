// Chaining and alignment fusion of the vectors left after quadrilateral
// construction.
#pragma once
#include <string>

// Rebuilds Liste_vecteurs as chains separated by separator records;
// 0 for an empty list, else 1.
int Chainage_vecteurs(int seuil_pente);
// Merges straight runs of each chain (EpsFQ); returns the vectors absorbed.
int Fusion_vecteurs();
// The same chaining by the literal scan of the whole list at every step
// (Chainage_vecteurs answers the same through an index of the vector ends).
int Chainage_vecteurs_direct(int seuil_pente);
// Fusion_vecteurs with the EpsFQ value given.
int Fusion_vecteurs(double eps);

// The vectorisation's vector loop (chaining, then fusion until nothing
// merges) for a helper thread: the thresholds given, the log lines and
// messages kept in `journal` rather than shown; Montre_journal_differe
// shows them afterwards, as the loop on the calling thread would have.
// The journal is held by the calling thread, which reserves it.
void Fusions_vecteurs_differees(int seuil_pente, double eps, std::string& journal);
void Montre_journal_differe(const std::string& journal);
