#include "graph/sources.h"

int Graphe_fils = 0;

int Nombre_fils(int n)
{
    if (Graphe_fils > 0) return Graphe_fils;
    // A small drawing is done before threads would have started.
    if (n < 256) return 1;
    const unsigned materiel = std::thread::hardware_concurrency();
    return materiel == 0 ? 1 : static_cast<int>(materiel < 4 ? materiel : 4);
}
