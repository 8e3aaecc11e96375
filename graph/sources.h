// The relations of every source are worked out on several threads before
// the graph builders create the arcs in list order: a source's candidates
// and relations depend only on the primitives and Plan1, which nothing
// changes while the graph is built.
#pragma once
#include <atomic>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

#include "graph/zone.h"
#include "image/fils.h"

// Threads used for the relations, the analysis's setting (Fils_analyse):
// 0 chooses from the processors allowed (at most 4 or $TRACEMORPH_THREADS;
// one up to an A4 page), 1 keeps everything on the calling thread (a batch
// worker, which shares the machine with the others), more forces that many.
extern int& Graphe_fils;

// What one pass of a source found: the end beeps of its candidate table,
// then the relations that make arcs, candidate and relation, in table order.
struct Trouve {
    int candidat = 0;
    Relation r;
};
struct Passe {
    int bips = 0;
    std::vector<Trouve> arcs;
};

// Threads for n sources.
int Nombre_fils(int n);

// Runs calcule(source, fil) for every source 0..n-1 on `fils` threads, fil
// being the number (0..fils-1) of the thread running it. `fait` tells which
// sources were worked out: when a thread fails (memory), the others stop
// and the builder works out the rest itself.
template <class F>
void Pour_chaque_source(int n, int fils, std::vector<char>& fait, F&& calcule)
{
    fait.assign(static_cast<size_t>(n), 0);
    std::atomic<int> suivant{0};
    std::atomic<bool> echec{false};
    constexpr int Tranche = 32;
    auto travail = [&](int fil) {
        try {
            for (;;) {
                const int debut = suivant.fetch_add(Tranche);
                if (debut >= n || echec.load(std::memory_order_relaxed)) return;
                const int fin = debut + Tranche < n ? debut + Tranche : n;
                for (int i = debut; i < fin; i++) {
                    calcule(i, fil);
                    fait[static_cast<size_t>(i)] = 1;
                }
            }
        } catch (...) {
            echec = true;  // the builder does what is left
        }
    };
    std::vector<std::thread> aides;
    for (int f = 1; f < fils; f++) {
        try {
            aides.emplace_back(travail, f);
        } catch (const std::system_error&) {
            break;  // fewer threads: the others share the work
        }
    }
    travail(0);
    for (std::thread& t : aides) t.join();
}
