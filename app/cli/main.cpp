// The command-line program. It links no window library, so an analysis run
// pays nothing for the toolkit; without an argument it hands over to the
// window program installed beside it.
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

#include "port/installation.h"
#include "app/cli/ligne_commande.h"
#include "port/shell.h"

namespace {

// Kept so that the block stays reachable; volatile, or it could be left out.
void* volatile Bourrage_tas = nullptr;

// The stages allocate and free plane-sized work buffers one after the other.
// Served from the heap and kept there (instead of fresh mappings returned at
// each free), they are faulted in once per run rather than once per stage;
// the peak stays the same. The heap is then grown once by a margin that
// holds a whole analysis, and that margin is given to large pages: an A4
// sheet touches some thousands of small pages (planes, records, indexes),
// each a trip through the kernel, against a few large ones. Only the memory
// touched is taken; where large pages are not to be had, nothing changes.
void Prepare_tas()
{
    constexpr size_t kMarge = size_t(64) << 20;
    constexpr uintptr_t kGrandePage = uintptr_t(2) << 20;
    // The stages' helper threads allocate from the same heap: an arena of
    // their own would be fresh memory to fault in at every run.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, static_cast<int>(kMarge));
    // A block larger than what the start-up left free makes the heap grow by
    // the block and the margin now; volatile, or the pair could be left out.
    // The block is large so that the allocator's bookkeeping after it, the
    // one write into the grown part, falls far from where the first blocks
    // of the analysis go: a large page is only given to a range of which no
    // small page was touched yet.
    void* volatile bloc = std::malloc(kMarge / 2);
    if (!bloc) return;
    const uintptr_t debut = (reinterpret_cast<uintptr_t>(bloc) + kGrandePage - 1) & ~(kGrandePage - 1);
    const uintptr_t fin = reinterpret_cast<uintptr_t>(sbrk(0)) & ~(kGrandePage - 1);
    std::free(bloc);
    // Only when the block did come from the grown heap (not so under a
    // replaced allocator, whose blocks lie elsewhere).
    if (!(fin > debut && fin - debut <= 2 * kMarge)) return;
    madvise(reinterpret_cast<void*>(debut), fin - debut, MADV_HUGEPAGE);
    // The heap's start lies anywhere in its first large page, whose small
    // pages are already in use: up to 2 MB of it would be taken in small
    // pages by the first blocks (the image planes). A block never touched
    // and never freed fills that part, ending just before the boundary.
    const uintptr_t avant = debut - reinterpret_cast<uintptr_t>(bloc);
    if (avant > 128) Bourrage_tas = std::malloc(avant - 64);
}

}  // namespace

int main(int argc, char** argv)
{
    Prepare_tas();
    if (argc > 1) return Main_ligne_commande(argc, argv);
    // Without a display the window program could only abort.
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* plateforme = std::getenv("QT_QPA_PLATFORM");
    if (!(x11 && *x11) && !(wayland && *wayland) && !(plateforme && *plateforme)) {
        std::fprintf(stderr, "tracemorph: no display to open the window on (DISPLAY is not set); "
                             "see tracemorph --help for the command-line forms\n");
        return 1;
    }
    Capture_repertoires();
    Fournit_param_defaut();
    const std::string fenetre = Rep_programme() + "/tracemorph-window";
    argv[0] = const_cast<char*>(fenetre.c_str());
    ::execv(fenetre.c_str(), argv);
    if (errno == ENOENT)
        std::fprintf(stderr, "tracemorph: built without the desktop window; give an image path\n");
    else
        std::fprintf(stderr, "tracemorph: cannot start %s: %s\n", fenetre.c_str(), std::strerror(errno));
    return 2;
}
