// The command-line program. It links no window library, so an analysis run
// pays nothing for the toolkit; without an argument it hands over to the
// window program installed beside it.
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/core/installation.h"
#include "app/core/ligne_commande.h"
#include "app/core/shell.h"

int main(int argc, char** argv)
{
    // The stages allocate and free plane-sized work buffers one after the
    // other. Served from the heap and kept there (instead of fresh mappings
    // returned at each free), they are faulted in once per run rather than
    // once per stage; the peak stays the same.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    const bool aide = argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
                                   std::strcmp(argv[1], "--version") == 0);
    if (!aide) {
        Capture_repertoires();
        Fournit_param_defaut();
    }
    if (argc > 1) return Main_ligne_commande(argc, argv);
    const std::string fenetre = Rep_programme() + "/tracemorph-window";
    argv[0] = const_cast<char*>(fenetre.c_str());
    ::execv(fenetre.c_str(), argv);
    if (errno == ENOENT)
        std::fprintf(stderr, "tracemorph: built without the desktop window; give an image path\n");
    else
        std::fprintf(stderr, "tracemorph: cannot start %s: %s\n", fenetre.c_str(), std::strerror(errno));
    return 2;
}
