#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/shell.h"
#include "graph/arcs.h"
#include "tests/support/support.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

namespace {

class Vectorisation : public tmtest::Environnement {};

bool Finit_par(const std::string& s, const std::string& fin)
{
    return s.size() >= fin.size() && s.compare(s.size() - fin.size(), fin.size(), fin) == 0;
}

TEST_F(Vectorisation, SansImage)
{
    Commande_vectorisation();
    EXPECT_EQ(Texte_log(), "\nVecto. Ok.");
    EXPECT_EQ(fe.bips_fin, 1);
    EXPECT_TRUE(fe.boites.empty());
}

TEST_F(Vectorisation, ImageBlanche)
{
    tmtest::Image_blanche(64, 48);
    Commande_vectorisation();
    EXPECT_EQ(Liste_vecteurs, nullptr);
    EXPECT_EQ(Liste_quads, nullptr);
    EXPECT_EQ(Liste_CC, nullptr);
    EXPECT_EQ(Nb_quads, 0);
    EXPECT_TRUE(Finit_par(Texte_log(), "\nVecto. Ok.")) << Texte_log();
    EXPECT_EQ(fe.bips_fin, 1);
    EXPECT_TRUE(fe.boites.empty());
}

// An earlier graph would point at records the fusions free.
TEST_F(Vectorisation, VideLesArcs)
{
    tmtest::Image_blanche(64, 48);
    Liste_arcs_QQ = new ArcQQ();
    Liste_arcs_VV = new ArcVV();
    Liste_arcs_QV = new ArcQV();
    Commande_vectorisation();
    EXPECT_EQ(Liste_arcs_QQ, nullptr);
    EXPECT_EQ(Liste_arcs_VV, nullptr);
    EXPECT_EQ(Liste_arcs_QV, nullptr);
}

// Two collinear vectors already in the list (so contour following adds
// nothing) merge only when the slope threshold is read; without it both
// chaining passes run with -255, under which no two vectors are compatible.
TEST_F(Vectorisation, SeuilPenteTQ)
{
    struct Cas {
        const char* nom;
        bool present;
        int vecteurs, boites;
    };
    for (const Cas& c : std::vector<Cas>{{"present", true, 1, 0}, {"missing", false, 2, 2}}) {
        tmtest::Remise_a_zero();
        fe = FrontendEnregistreur{};
        Parametres({{"Seuil_penteTQ", "10"}});
        if (!c.present) Sans_parametre("Seuil_penteTQ");
        tmtest::Image_blanche(100, 40);
        Vecteur* a = new Vecteur{10, 10, 30, 10, 20, 0, 0, 0, nullptr};
        a->suivant = new Vecteur{33, 10, 60, 10, 27, 0, 0, 0, nullptr};
        Liste_vecteurs = a;
        Commande_vectorisation();
        EXPECT_EQ(Compte_liste(Liste_vecteurs), c.vecteurs) << c.nom;
        ASSERT_EQ(static_cast<int>(fe.boites.size()), c.boites) << c.nom;
        for (const auto& b : fe.boites) {
            EXPECT_EQ(b.texte, "Parametre inconnu !") << c.nom;
            EXPECT_EQ(b.titre, "Erreur") << c.nom;
        }
        EXPECT_TRUE(Finit_par(Texte_log(), "\nVecto. Ok.")) << c.nom;
    }
}

}  // namespace
