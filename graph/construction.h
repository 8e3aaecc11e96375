// The "Graph construction" command.
#pragma once

// Empties the arc lists, sorts the vectors, builds the vector graph, removes
// the short quadrilaterals, sorts them and builds the quadrilateral graph.
void Commande_graphe();
