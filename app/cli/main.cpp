// The command-line program. It links no window library, so an analysis run
// pays nothing for the toolkit; without an argument it hands over to the
// window program installed beside it.
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

#include "port/installation.h"
#include "app/cli/ligne_commande.h"
#include "port/shell.h"

namespace {

// The stages allocate and free plane-sized work buffers one after the other.
// Served from the heap and kept there (instead of fresh mappings returned at
// each free), they are faulted in once per run rather than once per stage;
// the peak stays the same. The heap grows by a wide margin at a time, so a
// large sheet's analysis does not move the break at every plane.
//
// No large pages are asked for: on a virtual machine whose host takes back
// the guest's free memory, the first write into a large page waits for the
// host to supply 2 MB, measured at 5 to 12 ms each against well under a
// millisecond for the same memory in small pages (A0 sheet: 0.98 s against
// 0.84 s; the start of an A4 run: 12 against 1.5 ms when the host had taken
// its memory back).
void Prepare_tas()
{
    // The stages' helper threads allocate from the same heap: an arena of
    // their own would be fresh memory to fault in at every run.
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
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
