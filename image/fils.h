// Threads the analysis stages may use.
#pragma once

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>

// 0 chooses from the processors allowed and $TRACEMORPH_THREADS; 1 keeps
// every stage on the calling thread (a batch worker, which shares the
// machine with the others); more forces that many.
extern int Fils_analyse;

// Fils_analyse when set; otherwise the processors this process may run on,
// at most $TRACEMORPH_THREADS (1: the calling thread only), 4 by default.
int Fils_permis();

namespace fils_detail {
struct Placement {
    std::atomic<int> etat{0};  // 0 not yet placed, 1 placed as it was, 2 moved
    cpu_set_t permis{};  // the processors allowed before the move
};
// Moves the new thread off the caller's processor when others are allowed,
// keeping the allowed set for the thread to take back.
void Place(pthread_t t, Placement& p);
// In the new thread: waits for Place, then allows again what was allowed.
void Prend_place(Placement& p);
}  // namespace fils_detail

// A stage's helper thread running f. A new thread may be queued behind its
// creator on the creator's processor while another processor stays idle,
// the two then sharing one processor for milliseconds: it is started away
// from the caller's processor, then allowed back everywhere the process is.
template <class Fil = std::thread, class F>
Fil Fil_aide(F f)
{
    auto p = std::make_shared<fils_detail::Placement>();
    Fil t([p, f = std::move(f)]() mutable {
        fils_detail::Prend_place(*p);
        f();
    });
    fils_detail::Place(t.native_handle(), *p);
    return t;
}

// Waits for pret() by polling, at most about `us` microseconds; says whether
// it came. Between a stage's short steps this keeps a thread from going to
// sleep and then waiting, on a virtual machine, for its processor to be
// woken again (tens of microseconds each time, up to milliseconds).
template <class P>
bool Attente_active(P pret, int us)
{
    const auto fin = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
    for (;;) {
        for (int i = 0; i < 64; i++) {
            if (pret()) return true;
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        }
        if (std::chrono::steady_clock::now() >= fin) return pret();
    }
}
