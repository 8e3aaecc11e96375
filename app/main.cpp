#include <cstdio>

#include "app/core/ligne_commande.h"
#ifdef TRACEMORPH_HAS_GUI
#include "app/window/application.h"
#endif

int main(int argc, char** argv)
{
    // Decided before any window exists: a run with arguments needs no display.
    if (argc > 1) return Main_ligne_commande(argc, argv);
#ifdef TRACEMORPH_HAS_GUI
    return Lance_fenetre(argc, argv);
#else
    std::fprintf(stderr, "tracemorph: built without the desktop window; give an image path\n");
    return 2;
#endif
}
