#include "app/cli/ligne_commande.h"

#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

#include <unistd.h>

#include "app/cli/lot_ligne_commande.h"
#include "app/cli/options.h"
#include "batch/lot_parallele.h"
#include "batch/modeles.h"
#include "draw/dessin_ligne_commande.h"
#include "image/fils.h"
#include "image/param.h"
#include "image/planes.h"
#include "nets/ecriture_nets.h"
#include "spotting/spotting.h"
#include "output/ecriture.h"
#include "output/resultats.h"
#include "port/frontends.h"
#include "port/installation.h"
#include "port/shell.h"
#include "batch/batch.h"
#include "batch/interruption.h"
#include "spotting/etat_analyse.h"
#include "vecto/arcs.h"
#include "vecto/records.h"

namespace {

template <class T>
long Compte(const T* tete)
{
    long n = 0;
    for (; tete; tete = tete->suivant) n++;
    return n;
}

}  // namespace

int Analyse_ligne_commande(const std::string& image, std::string& bilan)
{
    Open(image);
    const bool chargee = Plan_courant != nullptr;
    Efface_texte();
    Complete_analysis(2);
    const std::string texte = Rep_travail + "/Rlignaxe.dat", graphe = Rep_travail + "/Rlignaxe.gxl";
    // The graph file's format is looked up after the text file is written,
    // so that a message of the lookup comes in that place; when it says
    // nothing, both files can be written at once.
    int format = 0;
    Resultats_ecrits ecrits;
    // The lists' lengths for the summary, counted while the files are
    // written (the writers read the links and change no list).
    long vecteurs = 0, quads = 0, arcs = 0;
    auto compte = [&] {
        vecteurs = Compte(Liste_vecteurs);
        quads = Compte(Liste_quads);
        arcs = Compte(Liste_arcs_QQ) + Compte(Liste_arcs_VV) + Compte(Liste_arcs_QV);
    };
    std::jthread compteur;  // joined on the way out, whatever happens
    if (chargee && Fils_permis() >= 2) {
        try {
            compteur = Fil_aide<std::jthread>(compte);
        } catch (const std::system_error&) {
            // counted below
        }
    }
    // The two files go into place together, or neither does: a text file
    // beside the graph of another analysis would not belong with it.
    Ouvre_groupe_resultats();
    if (Lit_param_entier_net("Format_GXL", format)) {
        ecrits = Ecrit_resultats_et_graphe(texte, graphe, Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ,
                                           Liste_arcs_VV, Liste_arcs_QV, format);
    } else {
        ecrits.texte = Ecrit_resultats_texte(texte, Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ,
                                             Liste_arcs_VV, Liste_arcs_QV);
        format = Lit_param_entier("Format_GXL");
        ecrits.graphe = Ecrit_graphe_gxl(graphe, Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV,
                                         Liste_arcs_QV, format);
    }
    if (compteur.joinable()) compteur.join();
    else if (chargee) compte();
    const bool places = Ferme_groupe_resultats(ecrits.texte && ecrits.graphe);
    if (ecrits.texte && ecrits.graphe && !places)
        Message_erreur("Ecriture " + texte + " impossible !\n" + texte + ": " + Cause_echec_resultat());
    const bool dat = places, gxl = places;
    // A file that could not be written was reported by its writer; saying
    // the results were saved would then be false.
    if (dat && gxl) Ecrit_texte(1, "Resultats enregistrés");
    // The nets need the symbols: the spotting's own, found after the
    // results are written so that these stay as without --netlist.
    bool nets = true;
    if (Reglages_nets.actif) {
        if (chargee && Reglages_nets.symboles.empty()) {
            std::remove((Rep_travail + "/tmpsymb.gxl").c_str());
            LiaisonsB1Click();
        }
        nets = chargee && Ecrit_netlist_image(image, Rep_travail + "/tmpsymb.gxl");
    }

    bilan = image + ": ";
    if (chargee)
        bilan += std::to_string(vecteurs) + " vectors, " + std::to_string(quads) + " quadrilaterals, " +
                 std::to_string(arcs) + " arcs";
    else
        bilan += "not loaded, empty results";
    if (dat || gxl) bilan += std::string(" -> ") + (dat ? "Rlignaxe.dat" : "") + (dat && gxl ? ", " : "") + (gxl ? "Rlignaxe.gxl" : "");
    if (!dat || !gxl) bilan += std::string(" (") + (!dat ? "Rlignaxe.dat" : "") + (!dat && !gxl ? " and " : "") +
                               (!gxl ? "Rlignaxe.gxl" : "") + " not written)";
    if (Reglages_nets.actif) bilan += nets ? ", " + image + ".nets.json" : " (" + image + ".nets.json not written)";
    return chargee && dat && gxl && nets && Nb_defauts_param() == 0 ? 0 : 1;
}

int Main_ligne_commande(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], kOptionOuvrier) == 0) {
        Capture_repertoires();
        return Main_ouvrier(argc, argv);
    }
    Options o;
    const std::string erreur = Lit_options(argc, argv, o);
    if (!erreur.empty()) {
        std::fprintf(stderr, "tracemorph: %s\n", erreur.c_str());
        Ecrit_usage(stderr);
        std::fputs("Try 'tracemorph --help' for more information.\n", stderr);
        return 2;
    }
    if (o.forme == Forme::aide) {
        Ecrit_aide(stdout);
        return 0;
    }
    if (o.forme == Forme::version) {
        std::printf("Tracemorph V%s\n", TRACEMORPH_VERSION);
        return 0;
    }
    Capture_repertoires();
    Fournit_param_defaut();
    Reglages_nets.actif = o.netlist;
    Reglages_nets.symboles = o.symboles;
    // Every form but the gathering reads the thresholds: a missing file would
    // give empty results after one message per lookup, a named pipe would
    // block the first one.
    if (o.forme != Forme::rassemblement) {
        const std::string param = Rep_travail + "/param.dat";
        if (const std::string refus = Param_non_fichier(param); !refus.empty()) {
            std::fprintf(stderr, "tracemorph: %s: refused\n", refus.c_str());
            return 1;
        }
        if (::access(param.c_str(), F_OK) != 0) {
            std::fprintf(stderr,
                         "tracemorph: no param.dat in %s and no default one beside the program: copy a param.dat "
                         "there (the shipped one is in the source tree or in share/tracemorph)\n",
                         Rep_travail.c_str());
            return 2;
        }
    }
    if (o.forme == Forme::lot || o.forme == Forme::rassemblement) return Main_lot_ligne_commande(o);

    FrontendConsole console;
    console.set_quiet(o.silencieux);
    Installe_frontend(&console);
    Protege_ecritures();
    int statut = 1;
    if (o.forme == Forme::dessin) {
        statut = Dessine_ligne_commande(o.operandes[0], o.operandes[1], o.operandes[2]);
        console.flush();
        std::fprintf(stderr, statut == 0 ? "%s: %s drawn -> %s\n" : "%s: %s not drawn, %s not written\n",
                     o.operandes[1].c_str(), o.operandes[0].c_str(), o.operandes[2].c_str());
    } else if (o.forme == Forme::modeles) {
        statut = Fabrique_modeles(o.operandes[0], o.operandes[1]);
        console.flush();
        std::fprintf(stderr, statut == 0 ? "%s: models made -> %s\n" : "%s: some models not made, see above -> %s\n",
                     o.operandes[0].c_str(), o.operandes[1].c_str());
    } else {
        std::string bilan;
        statut = Analyse_ligne_commande(o.operandes[0], bilan);
        console.flush();
        std::fprintf(stderr, "%s\n", bilan.c_str());
    }
    console.flush();
    Installe_frontend(nullptr);
    return statut;
}
