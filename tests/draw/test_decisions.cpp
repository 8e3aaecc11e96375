// What spotting by groups decided, as the colour drawing shows it: the side
// table filled by the method (wires, symbol strokes, the rest), emptied with
// the lists and by a run of the other method, and the picture's colours and
// key.
#include <set>

#include "draw/image_couleur.h"
#include "graph/construction.h"
#include "spotting/decisions_groupes.h"
#include "spotting/etat_analyse.h"
#include "spotting/spotting.h"
#include "spotting/spotting_groupes.h"
#include "spotting/symboles.h"
#include "tests/support/support.h"
#include "vecto/vectorisation.h"

namespace {

class Decisions : public tmtest::Environnement {
protected:
    void Analyse(int methode)
    {
        Methode_spotting_choisie = methode;
        Open(TM_TEST_DATA "/relay_logic.bmp");
        ASSERT_TRUE(Plan_courant);
        Commande_vectorisation();
        Commande_graphe();
        LiaisonsB1Click();
    }
};

}  // namespace

TEST_F(Decisions, MethodeUnMontreFilsEtSymboles)
{
    Analyse(1);
    ASSERT_TRUE(Decisions_groupes.remplies);
    int nb_symboles = 0;
    for (Symbole* s = Liste_symboles; s; s = s->suivant) nb_symboles++;
    ASSERT_GT(nb_symboles, 0);
    std::set<int> vus;
    int fils = 0;
    for (const auto& [q, d] : Decisions_groupes.quads) {
        if (d == Decision_fil) fils++;
        if (d >= 0) {
            EXPECT_LT(d, nb_symboles);
            vus.insert(d);
        }
    }
    EXPECT_GT(fils, 0) << "a relay circuit has wires";
    EXPECT_EQ(static_cast<int>(vus.size()), nb_symboles) << "every symbol kept has its strokes";

    // Each quadrilateral in the colour of its decision, and the key.
    Quads_couleur(Liste_quads);
    std::set<uint32_t> couleurs(Image_couleur.pixels.begin(), Image_couleur.pixels.end());
    for (int d : {Decision_fil, 0, Decision_reste})
        EXPECT_TRUE(couleurs.count(Couleur_decision(d))) << d;
    EXPECT_EQ(Lit_couleur(1, 1), Noir);  // the key's frame
    EXPECT_EQ(Lit_couleur(Image_couleur.largeur - 2, Image_couleur.hauteur - 2), Blanc);

    // Emptied with the lists, and by the other method's run.
    Vide_listes(false);
    EXPECT_FALSE(Decisions_groupes.remplies);
    EXPECT_TRUE(Decisions_groupes.quads.empty());
    Analyse(0);
    EXPECT_FALSE(Decisions_groupes.remplies);
    for (Quad* q = Liste_quads; q; q = q->suivant) EXPECT_EQ(Couleur_quad(q), Couleur_score(q->score));
}
