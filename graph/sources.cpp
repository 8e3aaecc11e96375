#include "graph/sources.h"

int& Graphe_fils = Fils_analyse;

int Nombre_fils(int n)
{
    if (Graphe_fils > 0) return Graphe_fils;
    // A thread starts in some 30 to 40 us, but a second one, with cold
    // caches and its own passes to allocate, costs a few tenths of a
    // millisecond on a small drawing, about what it saves under a thousand
    // sources; from there (an A4 page at 300 dpi has 5,400 vectors and
    // 1,600 quadrilaterals) it takes a third to a half off the graph's time
    // when a processor is free.
    if (n < 1000) return 1;
    return Fils_permis();
}
