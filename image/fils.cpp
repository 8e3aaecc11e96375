#include "image/fils.h"

#include <sched.h>

#include <cstdlib>
#include <thread>

int Fils_analyse = 0;

int Fils_permis()
{
    if (Fils_analyse > 0) return Fils_analyse;
    // TRACEMORPH_THREADS caps the threads, for a machine shared with other
    // work; 4 by default.
    long plafond = 4;
    if (const char* e = std::getenv("TRACEMORPH_THREADS")) {
        char* fin = nullptr;
        const long v = std::strtol(e, &fin, 10);
        if (fin != e && *fin == '\0' && v >= 1) plafond = v < 64 ? v : 64;
    }
    if (plafond == 1) return 1;
    // The processors this process may run on (a job scheduler may allow
    // fewer than the machine has).
    long processeurs = 0;
    cpu_set_t ensemble;
    if (sched_getaffinity(0, sizeof ensemble, &ensemble) == 0) processeurs = CPU_COUNT(&ensemble);
    if (processeurs <= 0) processeurs = static_cast<long>(std::thread::hardware_concurrency());
    if (processeurs <= 0) return 1;
    return static_cast<int>(processeurs < plafond ? processeurs : plafond);
}
