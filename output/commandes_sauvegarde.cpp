#include "output/commandes_sauvegarde.h"

#include "port/shell.h"
#include "vecto/arcs.h"
#include "output/resultats.h"
#include "vecto/records.h"

// Both graph commands write whatever the lists hold, built graph or not.
bool Sauve_graphe_gxl_txt()
{
    const Resultats_ecrits r =
        Ecrit_resultats_et_graphe(Rep_travail + "/Rlignaxe.dat", Rep_travail + "/Rlignaxe.gxl", Liste_vecteurs,
                                  Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV, Liste_arcs_QV, 0);
    const bool ok = r.texte && r.graphe;
    if (ok) Ecrit_texte(1, "Graphe Sauvé...");
    Signal_fin();
    return ok;
}

bool Sauve_graphe_simgraph()
{
    const bool ok = Ecrit_graphe_gxl(Rep_travail + "/Rlignaxe.gxl", Liste_vecteurs, Liste_quads, Liste_CC,
                                     Liste_arcs_QQ, Liste_arcs_VV, Liste_arcs_QV, 1);
    if (ok) Ecrit_texte(1, "Graphe Sauvé...");
    Signal_fin();
    return ok;
}

bool Sauve_vecto_quads(const std::string& nom_fichier)
{
    bool ok = false;
    if (nom_fichier.empty()) {
        Ecrit_texte(1, "Erreur");
    } else {
        ok = Ecrit_liste_vecto(nom_fichier, Liste_vecteurs, Liste_quads, Liste_CC);
        if (ok) Ecrit_texte(1, "Vecto Sauvée");
    }
    Signal_fin();
    return ok;
}
