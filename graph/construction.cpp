#include "graph/construction.h"

void Commande_graphe() {}
