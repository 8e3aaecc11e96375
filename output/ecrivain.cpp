#include "output/ecrivain.h"

#include <new>
#include <system_error>

#include "image/fils.h"

std::unique_ptr<Ecrivain> Ecrivain::Cree(std::FILE* f)
{
    if (Fils_permis() < 2) return nullptr;
    std::unique_ptr<Ecrivain> e(new (std::nothrow) Ecrivain(f));
    if (!e) return nullptr;
    try {
        e->t_ = std::thread(&Ecrivain::Boucle, e.get());
    } catch (const std::system_error&) {
        return nullptr;
    }
    return e;
}

Ecrivain::~Ecrivain()
{
    {
        std::lock_guard<std::mutex> l(m_);
        fin_ = true;
    }
    cv_.notify_all();
    t_.join();
}

void Ecrivain::Ecrit(const char* p, size_t n)
{
    {
        std::lock_guard<std::mutex> l(m_);
        p_ = p;
        n_ = n;
        travail_ = true;
    }
    cv_.notify_all();
}

bool Ecrivain::Attend()
{
    std::unique_lock<std::mutex> l(m_);
    cv_.wait(l, [this] { return !travail_; });
    return ok_;
}

void Ecrivain::Boucle()
{
    std::unique_lock<std::mutex> l(m_);
    for (;;) {
        cv_.wait(l, [this] { return travail_ || fin_; });
        if (!travail_) return;  // ended, nothing left to write
        const char* p = p_;
        const size_t n = n_;
        bool ok = ok_;
        l.unlock();
        if (ok && std::fwrite(p, 1, n, f_) != n) ok = false;
        l.lock();
        ok_ = ok;
        travail_ = false;
        cv_.notify_all();
    }
}
