// Proposing symbols: the groups of symbol strokes (spotting/groupes.h) named
// by their graphs against the models, or, without models, scored by their
// shape; the poses of the models' drawings are proposed by spotting/pose.h.
#pragma once
#include <vector>

#include "reco/comparaison_memoire.h"
#include "spotting/groupes.h"
#include "spotting/pose.h"
#include "spotting/reglages_spotting.h"

// Each candidate's nearest model by its graph (c.modele, c.score: the
// similarity), tried on variants of the graph (pieces of a stroke joined, the
// longest stroke left out, smoothed) while under `seuil`; in `bruts` the raw
// graph of each candidate.
void Nomme_par_graphe(Propositions& p, const Modeles_memoire& ms, double seuil, const Reglages_spotting& r,
                      std::vector<GrapheG>& bruts);
// Without models: a group of several strokes not as small as a letter scores
// 1, other groups and words 0.
void Note_sans_modeles(Propositions& p, const Reglages_spotting& r);
// Each candidate's box grown by the connected components free of wires it
// meets, up to a few times its area: the parts that made no stroke.
void Boites_encre(Propositions& p, const Reglages_spotting& r);

// The poses of the models' drawings worth checking: each model at its eight
// poses and the scales echelles_partout over the whole page; and, around each
// candidate its graph names at most marge_sauvetage under `seuil`, that
// model at the scales its box gives. Each at or above the floor.
std::vector<Detection> Poses_proposees(const Encre_page& page, const Propositions& p, const Modeles_memoire& ms,
                                       double seuil, const Reglages_spotting& r);
