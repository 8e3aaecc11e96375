#include "image/fils.h"

#include <cstdlib>

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

namespace fils_detail {

void Place(pthread_t t, Placement& p)
{
    cpu_set_t permis, ailleurs;
    const int ici = sched_getcpu();
    int etat = 1;
    if (ici >= 0 && ici < CPU_SETSIZE && sched_getaffinity(0, sizeof permis, &permis) == 0 && CPU_COUNT(&permis) >= 2 &&
        CPU_ISSET(ici, &permis)) {
        ailleurs = permis;
        CPU_CLR(ici, &ailleurs);
        p.permis = permis;
        if (pthread_setaffinity_np(t, sizeof ailleurs, &ailleurs) == 0) etat = 2;
    }
    p.etat.store(etat, std::memory_order_release);
}

void Prend_place(Placement& p)
{
    int etat;
    while ((etat = p.etat.load(std::memory_order_acquire)) == 0) std::this_thread::yield();
    if (etat == 2) sched_setaffinity(0, sizeof p.permis, &p.permis);
}

}  // namespace fils_detail
