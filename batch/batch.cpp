#include "batch/batch.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "port/shell.h"
#include "batch/calibration.h"
#include "batch/interruption.h"
#include "batch/resultats_lot.h"
#include "nets/ecriture_nets.h"
#include "output/ecriture.h"
#include "vecto/arcs.h"
#include "graph/construction.h"
#include "graph/tables.h"
#include "image/fils.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "image/param.h"
#include "image/planes.h"
#include "output/resultats.h"
#include "reco/apparieurs.h"
#include "spotting/spotting.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

int Complete_analysis(int mode)
{
    if (mode == 1) {
        Commande_vectorisation();
        return 1;
    }
    // The graph follows at once: what it first does to the vectors is
    // prepared beside the quadrilaterals' fusion when that runs on two
    // threads (the vector graph's zone half-width read silently for it).
    Preparation_vecteurs prep;
    int dist_vv = 0;
    const bool silencieux = Fils_permis() >= 2 && Lit_param_entier_net("distZI_Vect", dist_vv);
    Commande_vectorisation([&] {
        if (silencieux) Prepare_vecteurs(prep, dist_vv);
    });
    Commande_graphe(&prep);
    if (mode != 1 && mode != 2) LiaisonsB1Click();
    return 1;
}

void CyclesB1Click()
{
    if (Plan_courant && Nb_quads == 0) {
        Efface_texte();
        Complete_analysis(4);
    }
    Signal_fin();
}

static std::string Liste_symboles_courante() { return Rep_travail + "/tmpsymb.gxl"; }

static bool Existe(const std::string& chemin)
{
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

bool Ouvre_image_lot(const std::string& chemin)
{
    Efface_texte();
    Ecrit_texte(1, chemin);
    Pannes_apparieurs = 0;
    Frontend_courant().batch_image_begin(chemin);
    Open(chemin);
    // The image's own .xml stays until its replacement is complete: a run
    // that fails must not lose the list of an earlier good one.
    std::remove(Liste_symboles_courante().c_str());
    Liste_image_ecrite = false;
    return Plan_courant != nullptr;
}

bool Liste_image_ecrite = false;

void Marque_echec_image(const std::string& chemin)
{
    // Dated back to the epoch, its list is older than the image: a resumed
    // batch analyses the image again, a gathering still reads it.
    const struct timespec temps[2] = {{0, 0}, {0, 0}};
    ::utimensat(AT_FDCWD, (chemin + ".xml").c_str(), temps, 0);
}

bool Ecrit_fichiers_image(const std::string& chemin)
{
    bool ecrits = Ecrit_resultats_texte(chemin + ".dat", Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ,
                                        Liste_arcs_VV, Liste_arcs_QV);
    const int format = Lit_param_entier("Format_GXL");
    ecrits = Ecrit_graphe_gxl(chemin + ".gxl", Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV,
                              Liste_arcs_QV, format) &&
             ecrits;
    // Without quadrilaterals the spotting's list is the empty one; an image
    // that did not load may not have reached the spotting at all, and must
    // still get its empty list rather than none.
    if (Nb_quads == 0 && !Existe(Liste_symboles_courante())) {
        if (std::FILE* f = Ouvre_temporaire(Liste_symboles_courante())) {
            std::fputs("\n<symbolist>\n\n</symbolist>\n\n", f);
            Ferme_resultat(f, true);
        }
    }
    Liste_image_ecrite = Copie_symboles(chemin + ".xml") == 1;
    if (!Liste_image_ecrite) Message_erreur("Ecriture " + chemin + ".xml impossible !\n" + chemin + ".xml: " + Cause_echec_resultat());
    if (Reglages_nets.actif) ecrits = Ecrit_netlist_image(chemin, chemin + ".xml") && ecrits;
    // A matcher that gave no answer leaves names missing: the image failed.
    return ecrits && Liste_image_ecrite && Pannes_apparieurs == 0;
}

void Fin_image_lot(int rang, int total, const std::string& chemin)
{
    Progression_init(0, total);
    for (int k = 0; k < rang; k++) Progression_pas();
    Frontend_courant().batch_image_done(rang, total, chemin);
}

int Echecs_lot = 0;

int OuvrirLot1Click()
{
    Echecs_lot = 0;
    Verifie_reglages(Rep_travail + "/models");
    const std::string chemin_resultats = Rep_travail + "/FINAL_RESULTS.GRE";
    std::FILE* f = Ouvre_resultats_lot(chemin_resultats);
    if (!f) return 1;
    bool tout_bon = true;
    int arret = -1;  // images done when Stop ended the batch
    int faites = 0;
    std::vector<std::string> images;
    if (Frontend_courant().choose_images(images)) {
        const int n = static_cast<int>(images.size());
        Garde_interruption garde(n);
        for (int i = 0; i < n; i++) {
            if (Arret_demande()) {
                arret = i;  // the images done keep their files and entries
                break;
            }
            const std::string& chemin = images[static_cast<size_t>(i)];
            const int defauts = Nb_defauts_param();
            const bool chargee = Ouvre_image_lot(chemin);
            Complete_analysis(4);
            const bool ecrits = Ecrit_fichiers_image(chemin);
            // Done from here on: a signal now counts it.
            Garde_interruption::Note_images_faites(++faites);
            // A list this run did not write is an earlier run's: not this entry's.
            bool symboles = false;
            if (Liste_image_ecrite) symboles = Ecrit_entree_lot(f, chemin);
            else Ecrit_entree_sans_symboles(f, chemin);
            // Analysed with a threshold that could not be read: written, but failed.
            const bool bonne = chargee && ecrits && symboles && Nb_defauts_param() == defauts;
            tout_bon = tout_bon && bonne;
            if (!bonne) {
                Echecs_lot++;
                Marque_echec_image(chemin);
            }
            Ferme_image();
            Fin_image_lot(i + 1, n, chemin);
        }
    }
    tout_bon = Ferme_resultats_lot(f, chemin_resultats) && tout_bon;
    Efface_texte();
    Ecrit_texte(1, "Batch done.");
    if (arret >= 0) Journal_arret(arret);
    return tout_bon ? 0 : 1;
}
