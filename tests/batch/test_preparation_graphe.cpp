#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "batch/batch.h"
#include "graph/construction.h"
#include "graph/tables.h"
#include "image/chargement.h"
#include "image/fils.h"
#include "image/planes.h"
#include "output/resultats.h"
#include "port/shell.h"
#include "spotting/etat_analyse.h"
#include "tests/support/support.h"
#include "vecto/arcs.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

namespace {

class PreparationGraphe : public tmtest::Environnement {
protected:
    // Everything the analysis leaves: the text result file (lists and arcs
    // in order, with their types and scores), the log and the message boxes.
    std::string Etat()
    {
        const std::string chemin = (dir / "etat.dat").string();
        EXPECT_TRUE(Ecrit_resultats_texte(chemin, Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV,
                                          Liste_arcs_QV));
        std::string boites;
        for (const auto& b : fe.boites) boites += b.texte + "|";
        return tmtest::Lit_texte(chemin) + "\n--log--\n" + Texte_log() + "\n--boxes--\n" + boites;
    }
    void Charge(const std::string& dessin)
    {
        tmtest::Remise_a_zero();
        fe = FrontendEnregistreur{};
        Open(std::string(TM_TEST_DATA) + "/" + dessin);
        ASSERT_NE(Plan_courant, nullptr) << dessin;
        Efface_texte();
    }
};

// The graph command on vectors prepared beforehand (their sort, tables and
// the vector graph's index) leaves what it leaves without them; a
// preparation made from a list that has changed since is not used.
TEST_F(PreparationGraphe, PreparedVectorsGiveTheSameGraph)
{
    enum class Prep { Aucune, Juste, Perimee };
    for (const char* dessin : {"bath_plan.bmp", "relay_logic.bmp"}) {
        std::string attendu;
        for (const Prep p : {Prep::Aucune, Prep::Juste, Prep::Perimee}) {
            SCOPED_TRACE(std::string(dessin) + " case " + std::to_string(static_cast<int>(p)));
            Charge(dessin);
            Commande_vectorisation();
            Preparation_vecteurs prep;
            if (p != Prep::Aucune) Prepare_vecteurs(prep, std::stoi(params.at("distZI_Vect")));
            if (p == Prep::Perimee) {
                // The list changes after the preparation: its first vector goes.
                Vecteur* premier = Liste_vecteurs;
                Liste_vecteurs = premier->suivant;
                delete premier;
            }
            if (p != Prep::Aucune) {
                ASSERT_TRUE(prep.prete);
            }
            Commande_graphe(p == Prep::Aucune ? nullptr : &prep);
            EXPECT_FALSE(prep.prete && p != Prep::Perimee);  // used once only
            if (p == Prep::Perimee) continue;  // another list: another graph
            if (p == Prep::Aucune) {
                attendu = Etat();
                EXPECT_NE(Liste_arcs_VV, nullptr);
                continue;
            }
            EXPECT_EQ(Etat(), attendu);
        }
    }
}

// The whole analysis on two threads, where the vectors are prepared beside
// the quadrilaterals' fusion, leaves what it leaves on one; so it does when
// the vector graph's width cannot be read silently (no preparation; the
// message comes where it always came).
TEST_F(PreparationGraphe, CompleteAnalysisOnTwoThreadsAsOnOne)
{
    struct Cas {
        const char* dessin;
        const char* sans;  // key left out of param.dat, "" for none
    };
    for (const Cas& c : {Cas{"bath_plan.bmp", ""}, Cas{"relay_logic.bmp", ""}, Cas{"bath_plan.bmp", "distZI_Vect"}}) {
        std::string attendu;
        for (const int fils : {1, 2}) {
            SCOPED_TRACE(std::string(c.dessin) + " without '" + c.sans + "' threads " + std::to_string(fils));
            params = tmtest::Parametres_defaut();
            params["Essai"] = std::to_string(fils);  // another content: a missing key is reported afresh
            Parametres({});
            if (*c.sans) Sans_parametre(c.sans);
            Charge(c.dessin);
            Fils_analyse = fils;
            Complete_analysis(2);
            Fils_analyse = 0;
            if (fils == 1) {
                attendu = Etat();
            } else {
                EXPECT_EQ(Etat(), attendu);
            }
        }
    }
}

}  // namespace
