#include "graph/sources.h"

int& Graphe_fils = Fils_analyse;

int Nombre_fils(int n)
{
    if (Graphe_fils > 0) return Graphe_fils;
    // Up to an A4 page at 300 dpi (some 3,000 quadrilaterals and 5,000
    // vectors) a second thread, starting with cold caches, costs about what
    // it saves; on larger drawings it saves a sixth to a fifth of the run.
    if (n < 6000) return 1;
    return Fils_permis();
}
