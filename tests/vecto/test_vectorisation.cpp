#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port/shell.h"
#include "vecto/arcs.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
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
            EXPECT_EQ(b.texte, "Parametre inconnu !\nparam.dat: Seuil_penteTQ: no such key") << c.nom;
            EXPECT_EQ(b.titre, "Erreur") << c.nom;
        }
        EXPECT_TRUE(Finit_par(Texte_log(), "\nVecto. Ok.")) << c.nom;
    }
}

}  // namespace

namespace {

class VectorisationDessins : public tmtest::Environnement {};

// Whole command on real drawings, twice (the second run works on what the
// lists hold): what later stages rely on must hold after each run.
TEST_F(VectorisationDessins, Invariants)
{
    for (const char* nom : {"bath_plan.bmp", "relay_logic.bmp"}) {
        tmtest::Remise_a_zero();
        Open(std::string(TM_TEST_DATA) + "/" + nom);
        ASSERT_NE(Plan_courant, nullptr) << nom;
        for (int passe = 1; passe <= 2; passe++) {
            Commande_vectorisation();
            EXPECT_TRUE(Finit_par(Texte_log(), "\nVecto. Ok.")) << nom;
            int vecteurs = 0;
            for (const Vecteur* v = Liste_vecteurs; v; v = v->suivant, vecteurs++) {
                EXPECT_GE(v->length, 3) << nom;
                EXPECT_EQ(v->etat, 1) << nom;
            }
            int reels = 0;
            for (const Quad* q = Liste_quads; q; q = q->suivant) {
                if (q->length == 0) {
                    EXPECT_EQ((std::vector<int>{q->x1i, q->y1i, q->x1f, q->y1f, q->x2i, q->y2i, q->x2f, q->y2f}),
                              (std::vector<int>{0, 1, 0, 0, 0, 1, 0, 1}))
                        << nom;
                    continue;
                }
                reels++;
                EXPECT_LE(Val_abs(q->angle1 - q->angle2), 90) << nom;
            }
            EXPECT_EQ(Nb_quads, Compte_liste(Liste_quads)) << nom << " run " << passe;
            EXPECT_GT(vecteurs, 0) << nom;
            EXPECT_GT(reels, 0) << nom;
        }
    }
}

}  // namespace
