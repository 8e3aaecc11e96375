// Choosing the best explanation of the page without overlaps, among the
// candidates named by their graphs or among the models' poses.
#pragma once
#include <cstddef>
#include <vector>

#include "reco/comparaison_memoire.h"
#include "spotting/groupes.h"
#include "spotting/pose.h"
#include "spotting/reglages_spotting.h"

// By decreasing score (against models, plus a little for more strokes), a
// candidate at the threshold `seuil` is kept unless it shares more than
// recouvrement_max of the smaller box with one kept before; then, where the
// first pass left room, candidates a little under it whose ink matches the
// model's drawing (`sauves`); last, the name of each kept symbol goes to a
// model whose graph is about as near and whose drawing is nearer. `ms` null:
// the shape scores, threshold 0.5. Returns the indices kept.
std::vector<size_t> Choisit_par_graphe(Propositions& p, const Modeles_memoire* ms, double seuil,
                                       const std::vector<GrapheG>& bruts, const Reglages_spotting& r,
                                       std::vector<bool>& sauves);

// Intersection over the smaller of two inclusive boxes' areas.
double Recouvrement_boites(int ax0, int ay0, int ax1, int ay1, int bx0, int by0, int bx1, int by1);

// Whether the pose ds[i] is a part of another admitted pose of a model of at
// least rapport_plus_grand times its ink, about as like (down to
// marge_plus_grand under it), on whose ink part_plus_grand of its points lie:
// the plates of a capacitor in a polarised one, a supply arrow in a diode.
bool Partie_de_plus_grand(const std::vector<Detection>& ds, const std::vector<bool>& admis, size_t i, const Reglages_spotting& r);

// Among the poses `ds` that `admis` lets name a symbol, by decreasing
// likeness (plus poids_taille per doubling of the model's ink: a part of a
// symbol matches a small model as well as the symbol its own), a pose is
// kept, unless it is part of a larger pose, or more than part_partagee of its points lie on the ink of poses
// kept before, or its box lies by more than recouvrement_fort (of the smaller
// box) in one of theirs. Returns the indices kept.
std::vector<size_t> Choisit_poses(const std::vector<Detection>& ds, const std::vector<bool>& admis, int larg, int haut,
                                  const Reglages_spotting& r);
