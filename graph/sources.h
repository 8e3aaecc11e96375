// The relations of every source are worked out on several threads while
// the graph builders create the arcs in list order: a source's candidates
// and relations depend only on the primitives and Plan1, which nothing
// changes while the graph is built.
#pragma once
#include <atomic>
#include <cstddef>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "graph/zone.h"
#include "image/fils.h"

// Threads used for the relations, the analysis's setting (Fils_analyse):
// 0 chooses from the processors allowed (at most 4 or $TRACEMORPH_THREADS;
// one under a thousand sources), 1 keeps everything on the calling thread (a batch
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

// Works out calcule(source, fil) for every source 0..n-1 on `fils` threads,
// fil being the number (0..fils-1) of the thread running it, and calls
// cree(source, fait) on the calling thread for every source in order as
// soon as it is worked out, while the others go on: the calling thread
// works out sources too whenever the next one in order is not ready. `fait`
// is false for a source left to the builder: when a thread fails (memory),
// the sources not yet worked out are.
template <class F, class G>
void Pour_chaque_source(int n, int fils, F&& calcule, G&& cree)
{
    if (n <= 0) return;
    constexpr int Tranche = 32;
    const int nt = (n + Tranche - 1) / Tranche;
    std::vector<char> fait(static_cast<size_t>(n), 0);
    // pret[t]: chunk t worked out (or given up), released with its passes.
    std::unique_ptr<std::atomic<int>[]> pret(new std::atomic<int>[static_cast<size_t>(nt)]());
    std::atomic<int> suivant{0};
    std::atomic<bool> echec{false};
    // Takes the next chunk not taken and works it out; false when none is left.
    auto prend = [&](int fil) {
        const int t = suivant.fetch_add(1, std::memory_order_relaxed);
        if (t >= nt) return false;
        if (!echec.load(std::memory_order_relaxed)) {
            const int fin = t * Tranche + Tranche < n ? t * Tranche + Tranche : n;
            try {
                for (int i = t * Tranche; i < fin; i++) {
                    calcule(i, fil);
                    fait[static_cast<size_t>(i)] = 1;
                }
            } catch (...) {
                echec.store(true, std::memory_order_relaxed);  // the builder does what is left
            }
        }
        pret[static_cast<size_t>(t)].store(1, std::memory_order_release);
        pret[static_cast<size_t>(t)].notify_one();
        return true;
    };
    std::vector<std::thread> aides;
    aides.reserve(static_cast<size_t>(fils));  // a thread started is never dropped by a failing push
    for (int f = 1; f < fils; f++) {
        try {
            aides.push_back(Fil_aide([&prend, f] {
                while (prend(f)) {}
            }));
        } catch (const std::system_error&) {
            break;  // fewer threads: the others share the work
        }
    }
    std::exception_ptr erreur;
    try {
        for (int t = 0; t < nt; t++) {
            std::atomic<int>& p = pret[static_cast<size_t>(t)];
            while (p.load(std::memory_order_acquire) == 0)
                if (!prend(0)) p.wait(0, std::memory_order_acquire);
            const int fin = t * Tranche + Tranche < n ? t * Tranche + Tranche : n;
            for (int i = t * Tranche; i < fin; i++) cree(i, fait[static_cast<size_t>(i)] != 0);
        }
    } catch (...) {
        // The helpers give up the chunks left before they are joined.
        erreur = std::current_exception();
        echec.store(true, std::memory_order_relaxed);
    }
    for (std::thread& t : aides) t.join();
    if (erreur) std::rethrow_exception(erreur);
}
