#include "vecto/vectorisation.h"

#include "port/shell.h"
#include "vecto/arcs.h"
#include "image/param.h"
#include "image/planes.h"
#include "vecto/contours.h"
#include "vecto/fusions.h"
#include "vecto/pretraitement.h"
#include "vecto/quads.h"

void Commande_vectorisation(const std::function<void()>& ensuite)
{
    // Fusion and cleaning free quadrilaterals and vectors: a graph built
    // earlier must not be left pointing at them. Freed without a word, so the
    // log of a run without an image holds only the closing line.
    Vide_graphe();

    if (Plan_courant) {
        Pretraitement(Lit_param_entier("Force_morpho"));
        Efface_P2();
        Suivi_contours();
        while (Fusion_chaines() != 0) {
        }
        const int petite_cc = Lit_param_entier("Seuil_petiteCC");
        const int petit_v = Lit_param_entier("Seuil_petitV");
        Nettoyage_CC(petite_cc, petit_v);
        Efface_texte();
        Construction_quads();

        Fusions_quads_vecteurs(ensuite);
    }
    Ecrit_texte(1, "Vecto. Ok.");
    Signal_fin();
}
