#include "app/cli/ligne_commande.h"

#include <cstdio>
#include <cstring>

#include "draw/dessin_ligne_commande.h"
#include "port/frontends.h"
#include "batch/modeles.h"
#include "app/cli/lot_ligne_commande.h"
#include "batch/lot_parallele.h"
#include "port/shell.h"
#include "batch/batch.h"
#include "vecto/arcs.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "image/param.h"
#include "image/planes.h"
#include "output/resultats.h"
#include "vecto/records.h"

int Analyse_ligne_commande(const std::string& image)
{
    Open(image);
    const bool chargee = Plan_courant != nullptr;
    Efface_texte();
    Complete_analysis(2);
    bool ecrits = Ecrit_resultats_texte(Rep_travail + "/Rlignaxe.dat", Liste_vecteurs, Liste_quads, Liste_CC,
                                        Liste_arcs_QQ, Liste_arcs_VV, Liste_arcs_QV);
    const int format = Lit_param_entier("Format_GXL");
    ecrits = Ecrit_graphe_gxl(Rep_travail + "/Rlignaxe.gxl", Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ,
                              Liste_arcs_VV, Liste_arcs_QV, format) && ecrits;
    // A file that could not be written was reported by its writer; saying
    // the results were saved would then be false.
    if (ecrits) Ecrit_texte(1, "Resultats enregistrés");
    return chargee && ecrits && Nb_defauts_param() == 0 ? 0 : 1;
}

int Main_ligne_commande(int argc, char** argv)
{
    if (argc < 2) return 2;
    const char* arg = argv[1];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
        std::printf(
            "Usage: tracemorph [IMAGE]\n"
            "       tracemorph --batch [--jobs N] IMAGE...\n"
            "       tracemorph --gather IMAGE...\n"
            "Without IMAGE, opens the desktop window.\n"
            "With IMAGE, analyses the drawing without any window: vectorisation and graph\n"
            "construction with the thresholds of ./param.dat, then writes ./Rlignaxe.dat\n"
            "(text results) and ./Rlignaxe.gxl (GXL graph; Format_GXL = 1 gives the\n"
            "matcher variant). Exit status 0 when both files were written for a loaded image.\n"
            "\n"
            "--batch runs the complete analysis (vectorisation, graph, symbol spotting) on\n"
            "each IMAGE in turn and writes IMAGE.dat, IMAGE.gxl and IMAGE.xml (its symbols)\n"
            "beside it, then gathers the symbols of all images, in the order given, into\n"
            "./FINAL_RESULTS.GRE. --jobs N analyses N images at a time in worker processes,\n"
            "with the same results. Exit status 0 when every image loaded and all its files\n"
            "were written, 1 when one failed (the other images are still done), 2 for a\n"
            "usage error. The participant written in the results is $TRACEMORPH_PARTICIPANT\n"
            "(\"anonymous\" when unset).\n"
            "--gather writes ./FINAL_RESULTS.GRE from the IMAGE.xml files that batch runs\n"
            "left beside the images, as the batch over all of them would have.\n"
            "\n"
            "  --make-models SYMBOL_DIR MODEL_DIR\n"
            "             writes the matcher graph of every image of SYMBOL_DIR as MODEL_DIR/NAME.gxl\n"
            "  --draw WHAT IMAGE OUT  draws WHAT (vectors, quads, ccs, axes, graph, symbols,\n"
            "             colored-quads, colored-graph) of IMAGE into OUT, PNG or .svg\n"
            "  --help     this text\n"
            "  --version  the program's version\n");
        return 0;
    }
    if (std::strcmp(arg, "--batch") == 0 || std::strcmp(arg, "--gather") == 0 ||
        std::strcmp(arg, kOptionOuvrier) == 0)
        return Main_lot_ligne_commande(argc, argv);
    if (std::strcmp(arg, "--draw") == 0) return Main_dessin(argc, argv);
    if (std::strcmp(arg, "--make-models") == 0) return Main_modeles(argc, argv);
    if (std::strcmp(arg, "--version") == 0) {
        std::printf("Tracemorph V%s\n", TRACEMORPH_VERSION);
        return 0;
    }
    FrontendConsole console;
    Installe_frontend(&console);
    Capture_repertoires();
    const int statut = Analyse_ligne_commande(arg);
    console.flush();
    Installe_frontend(nullptr);
    return statut;
}
