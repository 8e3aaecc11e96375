// Horizontal strips of a picture's interior rows, worked on by the calling
// thread and helper threads, one pass (a phase) at a time.
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

// The strips are more than the threads and are handed out in turn within a
// phase: a thread that the machine leaves waiting (another process on its
// processor) holds up at most the strip it has taken, the calling thread
// doing the others.
class Bandes {
public:
    // `lignes` interior rows from row 1, `nw` words a row, for `fils`
    // threads in all (the calling one included).
    Bandes(int lignes, int nw, int fils)
    {
        const int n = fils <= 1 ? 1 : (lignes < 4 * fils ? lignes : 4 * fils);
        b_.resize(static_cast<size_t>(n < 1 ? 1 : n));
        for (int k = 0; k < nombre(); k++) {
            Bande& b = b_[static_cast<size_t>(k)];
            b.k = k;
            b.y0 = 1 + static_cast<int>(int64_t(lignes) * k / nombre());
            b.y1 = static_cast<int>(int64_t(lignes) * (k + 1) / nombre());
            for (auto* v : {&b.premiere[0], &b.premiere[1], &b.derniere[0], &b.derniere[1], &b.garde_a, &b.garde_b})
                v->assign(static_cast<size_t>(nw), 0);
        }
        if (nombre() == 1) return;
        try {
            aides_.reserve(static_cast<size_t>(fils));  // a thread started is never dropped by a failing push
            for (int i = 1; i < fils; i++) aides_.push_back(Fil_aide([this] { Aide(); }));
        } catch (const std::system_error&) {
            // Fewer helpers, or none: the calling thread takes their strips.
        }
    }
    ~Bandes()
    {
        {
            std::lock_guard<std::mutex> v(mutex_);
            fin_ = true;
        }
        reveil_.notify_all();
        for (auto& t : aides_) t.join();
    }
    Bandes(const Bandes&) = delete;
    Bandes& operator=(const Bandes&) = delete;

    int nombre() const { return static_cast<int>(b_.size()); }
    Bande& bande(int k) { return b_[static_cast<size_t>(k)]; }
    bool derniere(const Bande& b) const { return b.k + 1 == nombre(); }

    // One phase: f(bande) on every strip, side by side; returns once all are
    // done, true when f returned true for one of them. A phase may read what
    // the phases before it wrote anywhere, and must write only its strip's
    // own share.
    template <class F>
    bool phase(F f)
    {
        if (nombre() == 1 || aides_.empty()) {
            bool u = false;
            for (Bande& b : b_) u |= f(b);
            return u;
        }
        std::unique_lock<std::mutex> v(mutex_);
        travail_ = &f;
        appel_ = [](void* t, Bande& b) { return (*static_cast<F*>(t))(b); };
        phase_++;
        suivante_ = 0;
        restantes_ = nombre();
        v.unlock();
        reveil_.notify_all();
        Prend(phase_);
        Attente_active([&] { return restantes_.load(std::memory_order_acquire) == 0; }, kAttente_us);
        v.lock();
        fini_.wait(v, [&] { return restantes_ == 0; });
        travail_ = nullptr;
        bool u = false;
        for (const Bande& b : b_) u |= b.change;
        return u;
    }

private:
    // Takes the strips of phase p left to do, one at a time.
    void Prend(uint64_t p)
    {
        std::unique_lock<std::mutex> v(mutex_);
        while (phase_ == p && suivante_ < nombre()) {
            Bande& b = b_[static_cast<size_t>(suivante_++)];
            void* t = travail_;
            bool (*a)(void*, Bande&) = appel_;
            v.unlock();
            b.change = a(t, b);
            v.lock();
            if (--restantes_ == 0) fini_.notify_one();
        }
    }
    void Aide()
    {
        uint64_t vue = 0;
        for (;;) {
            Attente_active([&] { return fin_.load(std::memory_order_acquire) || phase_.load(std::memory_order_acquire) != vue; },
                           kAttente_us);
            {
                std::unique_lock<std::mutex> v(mutex_);
                reveil_.wait(v, [&] { return fin_ || phase_ != vue; });
                if (fin_) return;
                vue = phase_;
            }
            Prend(vue);
        }
    }

    std::vector<Bande> b_;
    std::vector<std::thread> aides_;
    std::mutex mutex_;
    std::condition_variable reveil_, fini_;
    void* travail_ = nullptr;
    bool (*appel_)(void*, Bande&) = nullptr;
    // Written under the mutex; also polled without it for a short while
    // before a thread sleeps on a condition.
    std::atomic<uint64_t> phase_{0};
    std::atomic<int> restantes_{0};
    std::atomic<bool> fin_{false};
    int suivante_ = 0;
    // Passes follow each other within tens of microseconds.
    static constexpr int kAttente_us = 200;
};

// Threads for a picture of `lignes` interior rows of `nw` words: those
// allowed (Fils_permis), but one below about an A5 page at 300 dpi unless
// the threads are forced, where a thread would not pay for itself.
inline int Nombre_fils_bandes(int lignes, int nw)
{
    const int n = Fils_permis();
    if (n <= 1 || lignes < 2) return 1;
    if (Fils_analyse == 0 && int64_t(lignes) * nw < (int64_t(1) << 16)) return 1;
    return n;
}
