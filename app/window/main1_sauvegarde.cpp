// "&Save": the listings and result files.
#include "app/window/main1.h"
#include "app/window/main1_outils.h"
#include "output/commandes_sauvegarde.h"
#include "spotting/spotting.h"

namespace {
const char* const kFiltreResultats = "résultats (*.laf)";
}

void TMain1::ReconnaitreClick() { ::ReconnaitreClick(); }

void TMain1::Vectorisation2Click()
{
    // A cancelled dialog writes nothing; the next one proposes the last name.
    const QString chemin = interactions_->Fichier_a_enregistrer(this, nom_resultats_, Texte(kFiltreResultats));
    if (chemin.isEmpty()) return;
    nom_resultats_ = chemin;
    Sauve_vecto_quads(Chemin_local(nom_resultats_));
}

void TMain1::Graphe2Click() { Sauve_graphe_gxl_txt(); }

void TMain1::Symboles1Click() { ::Symboles1Click(); }

void TMain1::GraphforSimgraph1Click() { Sauve_graphe_simgraph(); }
