#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "port/shell.h"
#include "tests/support/support.h"
#include "vecto/fusion_vecteurs.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace {

struct Seg {
    int xi, yi, xf, yf;
    bool operator==(const Seg&) const = default;
};

void Ajoute(const std::vector<Seg>& segs)
{
    Vecteur* queue = Dernier(Liste_vecteurs);
    for (const Seg& s : segs) {
        Vecteur* v = tmtest::Nouveau_vecteur(s.xi, s.yi, s.xf, s.yf);
        v->numero = 7;
        queue = Ajoute_en_queue(Liste_vecteurs, queue, v);
    }
}

std::vector<Seg> Contenu()
{
    std::vector<Seg> r;
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) r.push_back({v->xi, v->yi, v->xf, v->yf});
    return r;
}

// The vectorisation command's loop: chaining then fusion while it merges.
int Passes(int seuil)
{
    int n = 0;
    do {
        Chainage_vecteurs(seuil);
        n++;
    } while (Fusion_vecteurs() != 0);
    return n;
}

const Seg Coupe{-50, -100, -50, -50};
const Seg Fin{-50, -49, -50, -50};

class FusionVecteurs : public tmtest::Environnement {};

TEST_F(FusionVecteurs, ChainageOrienteEtSepare)
{
    struct Cas {
        const char* nom;
        std::vector<Seg> entree;
        bool gap_noir;  // the band around the vectors black in Plan1
        std::vector<Seg> chaines;
    };
    const std::vector<Cas> cas = {
        {"small gap joins", {{10, 10, 30, 10}, {33, 10, 60, 10}}, false, {{10, 10, 30, 10}, {33, 10, 60, 10}}},
        {"reversed vector is turned round", {{10, 10, 30, 10}, {60, 10, 33, 10}}, false,
         {{10, 10, 30, 10}, {33, 10, 60, 10}}},
        {"gap of 25 is cut", {{10, 10, 30, 10}, {55, 10, 80, 10}}, true,
         {{10, 10, 30, 10}, Coupe, {55, 10, 80, 10}}},
        {"5 white pixels cut", {{10, 10, 30, 10}, {35, 10, 60, 10}}, false,
         {{10, 10, 30, 10}, Coupe, {35, 10, 60, 10}}},
        {"5 pixels of ink join", {{10, 10, 30, 10}, {35, 10, 60, 10}}, true,
         {{10, 10, 30, 10}, {35, 10, 60, 10}}},
        {"other angle after an end separator", {{10, 10, 30, 10}, {32, 12, 32, 40}}, false,
         {{10, 10, 30, 10}, Fin, {32, 12, 32, 40}}},
        // Equal distances from both ends: the reversed orientation wins.
        {"tie prefers reversed", {{10, 10, 30, 10}, {25, 12, 35, 12}}, true, {{10, 10, 30, 10}, {35, 12, 25, 12}}},
    };
    for (const Cas& c : cas) {
        tmtest::Remise_a_zero();
        tmtest::Image_blanche(120, 60);
        if (c.gap_noir) tmtest::Rectangle_noir(Plan1, 5, 5, 100, 15);
        Ajoute(c.entree);
        EXPECT_EQ(Chainage_vecteurs(10), 1) << c.nom;
        EXPECT_EQ(Contenu(), c.chaines) << c.nom;
        for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) EXPECT_EQ(v->numero, 0) << c.nom;
        EXPECT_EQ(Texte_log(), "\n * Tri Vecteur termine. ") << c.nom;
    }
}

// A vector continues a chain when its angle differs from the chain's last
// one by less than the threshold (or by more than 180 minus it), and when
// its near end lies at most 20 pixels away (a squared distance of 400).
// Each angle difference is taken against thresholds above, at and below it;
// the literal scan and the indexed chaining each against the same answers.
TEST_F(FusionVecteurs, SeuilsDuChainage)
{
    struct Cas {
        const char* nom;
        Seg chaine, suite;
        int angle_suite;  // the premise
        int seuil;
        std::vector<Seg> resultat;  // empty: the two continue each other
    };
    const Seg h{10, 100, 60, 100}, o{20, 20, 100, 80};  // angles 0 and 143
    const Seg s10{61, 100, 161, 82}, s170{61, 100, 161, 117}, o153{101, 81, 201, 131}, o133{101, 81, 151, 133};
    const std::vector<Cas> cas = {
        {"10 against 0, threshold 11", h, s10, 10, 11, {}},
        {"10 against 0, threshold 10", h, s10, 10, 10, {h, Fin, s10}},
        {"10 against 0, threshold 9", h, s10, 10, 9, {h, Fin, s10}},
        {"170 against 0, threshold 11", h, s170, 170, 11, {}},
        {"170 against 0, threshold 10", h, s170, 170, 10, {h, Fin, s170}},
        {"153 against 143, threshold 11", o, o153, 153, 11, {}},
        {"153 against 143, threshold 10", o, o153, 153, 10, {o, Fin, o153}},
        {"133 against 143, threshold 11", o, o133, 133, 11, {}},
        {"133 against 143, threshold 10", o, o133, 133, 10, {o, Fin, o133}},
        {"133 against 143, threshold 9", o, o133, 133, 9, {o, Fin, o133}},
        {"gap of 20", h, {80, 100, 120, 100}, 0, 10, {}},
        {"gap of 21", h, {81, 100, 121, 100}, 0, 10, {h, Coupe, {81, 100, 121, 100}}},
        {"oblique gap of 20", o, {112, 96, 192, 156}, 143, 10, {}},
        {"oblique gap of 20.8", o, {112, 97, 192, 157}, 143, 10, {o, Coupe, {112, 97, 192, 157}}},
    };
    for (const Cas& c : cas) {
        for (bool direct : {false, true}) {
            tmtest::Remise_a_zero();
            tmtest::Image_blanche(220, 180);
            tmtest::Rectangle_noir(Plan1, 1, 1, 219, 179);  // no white on any gap
            Ajoute({c.chaine, c.suite});
            ASSERT_EQ(Liste_vecteurs->suivant->angle, c.angle_suite) << c.nom;
            if (direct) Chainage_vecteurs_direct(c.seuil);
            else Chainage_vecteurs(c.seuil);
            const std::vector<Seg> attendu = c.resultat.empty() ? std::vector<Seg>{c.chaine, c.suite} : c.resultat;
            EXPECT_EQ(Contenu(), attendu) << c.nom << (direct ? ", literal scan" : "");
        }
    }
}

TEST_F(FusionVecteurs, CollineairesFusionnees)
{
    Parametres({{"EpsFQ", "0.5"}});
    tmtest::Image_blanche(100, 40);
    Ajoute({{10, 10, 30, 10}, {33, 10, 60, 10}});
    EXPECT_EQ(Passes(10), 2);  // the second pair merges nothing
    ASSERT_EQ(Contenu(), (std::vector<Seg>{{10, 10, 60, 10}}));
    EXPECT_EQ(Liste_vecteurs->length, 50);
    EXPECT_EQ(Liste_vecteurs->angle, 0);
    EXPECT_EQ(Liste_vecteurs->etat, 1);
}

TEST_F(FusionVecteurs, CoudeEtEcartRestentSepares)
{
    tmtest::Image_blanche(120, 80);
    tmtest::Rectangle_noir(Plan1, 5, 10, 100, 10);
    // A right angle, and a gap too long to bridge.
    Ajoute({{10, 10, 30, 10}, {30, 10, 30, 50}, {55, 10, 80, 10}});
    Passes(10);
    EXPECT_EQ(Contenu(), (std::vector<Seg>{{10, 10, 30, 10}, {30, 10, 30, 50}, {55, 10, 80, 10}}));
}

TEST_F(FusionVecteurs, NettoieSeparateursEtCourts)
{
    tmtest::Image_blanche(120, 60);
    Ajoute({{10, 10, 30, 10}, {40, 40, 41, 41}, {70, 30, 72, 30}, {80, 50, 110, 50}});
    Liste_vecteurs->suivant->suivant->length = 0;
    Chainage_vecteurs(10);
    bool separateur = false;
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) separateur |= v->length == 0 && v->xi == -50;
    EXPECT_TRUE(separateur);
    Fusion_vecteurs();
    ASSERT_NE(Liste_vecteurs, nullptr);
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) {
        EXPECT_GE(v->length, 3);
        EXPECT_EQ(v->etat, 1);
    }
    EXPECT_EQ(Compte_liste(Liste_vecteurs), 2);
}

TEST_F(FusionVecteurs, ListeVide)
{
    tmtest::Image_blanche(20, 20);
    EXPECT_EQ(Chainage_vecteurs(10), 0);
    EXPECT_EQ(Fusion_vecteurs(), 0);
    EXPECT_EQ(Texte_log(), "");
    EXPECT_EQ(Liste_vecteurs, nullptr);
}

// The indexed chaining against the literal scan, on crowded random vectors
// (many ties and near ends) over a random plane.
TEST_F(FusionVecteurs, IndexCommeBalayageLitteral)
{
    std::mt19937 rng(12345);
    for (int essai = 0; essai < 300; essai++) {
        const int w = 20 + static_cast<int>(rng() % 200), h = 20 + static_cast<int>(rng() % 120);
        const int n = static_cast<int>(rng() % 60);
        const int seuil = static_cast<int>(rng() % 40) - 5;
        std::vector<Seg> segs;
        for (int i = 0; i < n; i++) {
            const int x = static_cast<int>(rng() % w), y = static_cast<int>(rng() % h);
            const int l = static_cast<int>(rng() % 25);
            segs.push_back({x, y, x + static_cast<int>(rng() % (2 * l + 1)) - l, y + static_cast<int>(rng() % (2 * l + 1)) - l});
        }
        std::vector<std::vector<Seg>> resultats;
        for (int version = 0; version < 2; version++) {
            tmtest::Remise_a_zero();
            tmtest::Image_blanche(w, h);
            std::mt19937 encre(static_cast<unsigned>(essai));
            for (int y = 1; y < h; y++)
                for (int x = 1; x < w; x++)
                    if (encre() % 3 != 0) Ecrit_pixel(x, y, 1, Plan1);
            Ajoute(segs);
            if (version == 0) Chainage_vecteurs(seuil);
            else Chainage_vecteurs_direct(seuil);
            resultats.push_back(Contenu());
        }
        ASSERT_EQ(resultats[0], resultats[1]) << "essai " << essai;
    }
}

}  // namespace
