// Debug aid: vectorises a drawing and writes Plan2 with the vectors and the
// quadrilateral outlines, to look at what the vectorisation made of it.
// Usage: dessine_primitives image.bmp sortie.bmp
// param.dat is read from the current directory.
#include <chrono>
#include <cstdio>

#include "port/frontends.h"
#include "port/shell.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "image/planes.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s image.bmp sortie.bmp\n", argv[0]);
        return 2;
    }
    FrontendConsole console;
    Installe_frontend(&console);
    Capture_repertoires();
    Open(argv[1]);
    if (!Plan_courant) {
        std::fprintf(stderr, "%s: cannot be loaded\n", argv[1]);
        return 1;
    }
    const auto debut = std::chrono::steady_clock::now();
    Commande_vectorisation();
    const double secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    console.flush();

    Efface_P2();
    int nv = 0, nq = 0, sep = 0;
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant, nv++) Trace_ligne(v->xi, v->yi, v->xf, v->yf, 1);
    for (Quad* q = Liste_quads; q; q = q->suivant) {
        if (q->length == 0) {
            sep++;
            continue;
        }
        nq++;
        Trace_ligne(q->x1i, q->y1i, q->x1f, q->y1f, 1);
        Trace_ligne(q->x1f, q->y1f, q->x2i, q->y2i, 1);
        Trace_ligne(q->x2i, q->y2i, q->x2f, q->y2f, 1);
        Trace_ligne(q->x2f, q->y2f, q->x1i, q->y1i, 1);
    }
    std::printf("%s: %dx%d vectors %d quads %d (separators %d, Nb_quads %d) CC %d in %.3f s\n", argv[1], Largeur,
                Hauteur, nv, nq, sep, Nb_quads, Compte_liste(Liste_CC), secondes);
    if (!Sauve_P2(argv[2])) {
        std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
