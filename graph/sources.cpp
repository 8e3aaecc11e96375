#include "graph/sources.h"

#include <sched.h>

#include <cstdlib>

int Graphe_fils = 0;

int Nombre_fils(int n)
{
    if (Graphe_fils > 0) return Graphe_fils;
    // TRACEMORPH_THREADS caps the threads (1: the calling thread only), for
    // a machine shared with other work; 4 by default.
    long plafond = 4;
    if (const char* e = std::getenv("TRACEMORPH_THREADS")) {
        char* fin = nullptr;
        const long v = std::strtol(e, &fin, 10);
        if (fin != e && *fin == '\0' && v >= 1) plafond = v < 64 ? v : 64;
    }
    // Up to an A4 page at 300 dpi (some 3,000 quadrilaterals and 5,000
    // vectors) a second thread, starting with cold caches, costs about what
    // it saves; on larger drawings it saves a sixth to a fifth of the run.
    if (plafond == 1 || n < 6000) return 1;
    // The processors this process may run on (a job scheduler may allow
    // fewer than the machine has).
    long processeurs = 0;
    cpu_set_t ensemble;
    if (sched_getaffinity(0, sizeof ensemble, &ensemble) == 0) processeurs = CPU_COUNT(&ensemble);
    if (processeurs <= 0) processeurs = static_cast<long>(std::thread::hardware_concurrency());
    if (processeurs <= 0) return 1;
    return static_cast<int>(processeurs < plafond ? processeurs : plafond);
}
