// The desktop window program, started by `tracemorph` without an argument.
// Given an image it runs the same analysis as the command line, before any
// window exists, so it needs no display then either.
#include "app/cli/ligne_commande.h"
#include "app/window/application.h"

int main(int argc, char** argv)
{
    if (argc > 1) return Main_ligne_commande(argc, argv);
    return Lance_fenetre(argc, argv);
}
