// The "Graph construction" command.
#pragma once

struct Preparation_vecteurs;

// Empties the arc lists, sorts the vectors, builds the vector graph, removes
// the short quadrilaterals, sorts them and builds the quadrilateral graph.
// `prep`, when ready and made from the list as it stands, gives the sort's
// outcome, the tables and the vector graph's index made beforehand.
void Commande_graphe(Preparation_vecteurs* prep = nullptr);
