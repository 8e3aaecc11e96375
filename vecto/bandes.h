// Horizontal strips of a picture's interior rows, each worked on by its own
// thread, the passes kept in step by meetings of all the strips.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "image/fils.h"

// One strip: the interior rows y0 .. y1 of strip k.
struct Bande {
    int k = 0, y0 = 0, y1 = 0;
    // The previous picture of the first and last rows, kept aside for the
    // strips above and below, which read them as neighbours: two of each,
    // one read in a pass while the other receives the rows as it leaves them.
    std::vector<uint64_t> premiere[2], derniere[2];
    std::vector<uint64_t> garde_a, garde_b;  // the strip's own scratch rows
    bool change = false;
};

class Bandes {
public:
    // `lignes` interior rows from row 1, `nw` words a row, in at most `n`
    // strips (fewer when there are fewer rows).
    Bandes(int lignes, int nw, int n) : lignes_(lignes), nw_(nw) { Decoupe(n < lignes ? n : lignes); }
    Bandes(const Bandes&) = delete;
    Bandes& operator=(const Bandes&) = delete;

    int nombre() const { return static_cast<int>(b_.size()); }
    Bande& bande(int k) { return b_[static_cast<size_t>(k)]; }
    bool derniere(const Bande& b) const { return b.k + 1 == nombre(); }

    // Waits for every strip to reach this point.
    void attend()
    {
        if (nombre() > 1) Rendez_vous();
    }
    // Waits for every strip; true when a strip said it changed a pixel.
    bool accord(Bande& b, bool change)
    {
        b.change = change;
        if (nombre() == 1) return change;
        return Rendez_vous();
    }

    // Runs f(bande) for every strip, strip 0 on the calling thread and the
    // others each on a thread of its own; without threads to be had, the
    // picture is one strip on the calling thread.
    template <class F>
    void lance(F f)
    {
        if (nombre() > 1) {
            std::atomic<int> depart{0};  // 1: go, 2: give up
            std::vector<std::thread> fils;
            try {
                for (int k = 1; k < nombre(); k++)
                    fils.emplace_back([this, &f, &depart, k] {
                        depart.wait(0);
                        if (depart.load() == 1) f(bande(k));
                    });
            } catch (const std::system_error&) {
                depart.store(2);
                depart.notify_all();
                for (auto& t : fils) t.join();
                Decoupe(1);
                f(bande(0));
                return;
            }
            depart.store(1);
            depart.notify_all();
            f(bande(0));
            for (auto& t : fils) t.join();
            return;
        }
        f(bande(0));
    }

private:
    // The last strip to arrive combines the flags and wakes the others. A
    // waiting strip sleeps at once rather than spinning: on a machine busy
    // with other work, the strips may share one processor.
    bool Rendez_vous()
    {
        std::unique_lock<std::mutex> verrou(mutex_);
        const uint64_t tour = tour_;
        if (++arrives_ == nombre()) {
            bool u = false;
            for (const Bande& b : b_) u |= b.change;
            un_change_ = u;
            arrives_ = 0;
            tour_++;
            verrou.unlock();
            reveil_.notify_all();
            return u;
        }
        reveil_.wait(verrou, [&] { return tour_ != tour; });
        return un_change_;
    }

    void Decoupe(int n)
    {
        if (n < 1) n = 1;
        b_.assign(static_cast<size_t>(n), Bande{});
        for (int k = 0; k < n; k++) {
            Bande& b = b_[static_cast<size_t>(k)];
            b.k = k;
            b.y0 = 1 + static_cast<int>(int64_t(lignes_) * k / n);
            b.y1 = static_cast<int>(int64_t(lignes_) * (k + 1) / n);
            for (auto* v : {&b.premiere[0], &b.premiere[1], &b.derniere[0], &b.derniere[1], &b.garde_a, &b.garde_b})
                v->assign(static_cast<size_t>(nw_), 0);
        }
    }

    int lignes_, nw_;
    std::vector<Bande> b_;
    std::mutex mutex_;
    std::condition_variable reveil_;
    int arrives_ = 0;
    uint64_t tour_ = 0;
    bool un_change_ = false;  // the flags combined at the last meeting
};

// Strips for a picture of `lignes` interior rows of `nw` words: the threads
// allowed (Fils_permis), but one below about an A5 page at 300 dpi unless
// the threads are forced, where a thread would not pay for itself.
inline int Nombre_bandes(int lignes, int nw)
{
    const int n = Fils_permis();
    if (n <= 1 || lignes < 2) return 1;
    if (Fils_analyse == 0 && int64_t(lignes) * nw < (int64_t(1) << 16)) return 1;
    return n;
}
