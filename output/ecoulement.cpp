#include "output/ecoulement.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "image/fils.h"

class Ecoulement {
public:
    explicit Ecoulement(int fd) : fd_(fd) {}
    std::thread fil;
    std::mutex m;
    std::condition_variable cv;
    int64_t demande = 0;  // bytes whose writeback may start
    bool fin = false;

    void Boucle()
    {
        int64_t fait = 0;
        std::unique_lock<std::mutex> verrou(m);
        for (;;) {
            cv.wait(verrou, [&] { return fin || demande > fait; });
            if (fin) return;
            const int64_t jusqua = demande;
            verrou.unlock();
            // Errors are left to the writes and the close, which report them.
            ::sync_file_range(fd_, fait, jusqua - fait, SYNC_FILE_RANGE_WRITE);
            fait = jusqua;
            verrou.lock();
        }
    }

private:
    int fd_;
};

Ecoulement* Ecoulement_demarre(int fd)
{
    // A device or a pipe is written through: there is nothing to rename.
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || Fils_permis() < 2) return nullptr;
    Ecoulement* e = new (std::nothrow) Ecoulement(fd);
    if (!e) return nullptr;
    try {
        e->fil = Fil_aide([e] { e->Boucle(); });
    } catch (const std::system_error&) {
        delete e;
        return nullptr;
    }
    return e;
}

void Ecoulement_jusqua(Ecoulement* e, int64_t octets)
{
    if (!e) return;
    {
        std::lock_guard<std::mutex> verrou(e->m);
        if (octets <= e->demande) return;
        e->demande = octets;
    }
    e->cv.notify_one();
}

void Ecoulement_termine(Ecoulement* e)
{
    if (!e) return;
    {
        std::lock_guard<std::mutex> verrou(e->m);
        e->fin = true;
    }
    e->cv.notify_one();
    e->fil.join();
    delete e;
}
