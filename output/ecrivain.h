// A thread that writes the full buffers of a large result file while the
// writer formats the next one: the system's copy of the bytes then runs
// beside the formatting. The bytes and their order are the writer's.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

class Ecrivain {
public:
    // Null when no second thread is allowed (Fils_permis) or to be had.
    static std::unique_ptr<Ecrivain> Cree(std::FILE* f);
    Ecrivain(const Ecrivain&) = delete;
    Ecrivain& operator=(const Ecrivain&) = delete;
    // Waits for the write in progress and ends the thread.
    ~Ecrivain();
    // Hands n bytes at p over to the thread, after Attend; they must stay
    // as they are until the next Attend returns.
    void Ecrit(const char* p, size_t n);
    // Waits until the bytes handed over are written; false once a write
    // failed (nothing more is written then).
    bool Attend();

private:
    explicit Ecrivain(std::FILE* f) : f_(f) {}
    void Boucle();
    std::FILE* f_;
    std::mutex m_;
    std::condition_variable cv_;
    const char* p_ = nullptr;
    size_t n_ = 0;
    bool travail_ = false, fin_ = false, ok_ = true;
    std::thread t_;
};
