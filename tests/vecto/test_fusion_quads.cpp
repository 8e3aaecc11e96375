#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port/shell.h"
#include "tests/support/support.h"
#include "vecto/fusion_quads.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace {

// A horizontal quadrilateral between rows 10 and 20: side 1 along y1 from
// xa to xb, side 2 back along y2.
Quad* Ajoute(int xa, int y1, int xb, int y2, int ep1, int ep2)
{
    Quad* q = new Quad();
    q->x1i = xa;
    q->y1i = y1;
    q->x1f = xb;
    q->y1f = y1;
    q->x2i = xb;
    q->y2i = y2;
    q->x2f = xa;
    q->y2f = y2;
    q->length = xb > xa ? xb - xa : xa - xb;
    q->thickness1 = static_cast<uint8_t>(ep1);
    q->thickness2 = static_cast<uint8_t>(ep2);
    Ajoute_en_queue(Liste_quads, Dernier(Liste_quads), q);
    Nb_quads++;
    return q;
}

// A quadrilateral from its corners, angles and length from its sides.
Quad* Ajoute_coins(std::vector<int> c, int ep1, int ep2)
{
    Quad* q = new Quad();
    q->x1i = c[0], q->y1i = c[1], q->x1f = c[2], q->y1f = c[3];
    q->x2i = c[4], q->y2i = c[5], q->x2f = c[6], q->y2f = c[7];
    q->length = Max_ent(Longueur_vecteur(c[0], c[1], c[2], c[3]), Longueur_vecteur(c[4], c[5], c[6], c[7]));
    q->angle1 = Angle_vecteur(c[0], c[1], c[2], c[3]);
    q->angle2 = Angle_vecteur(c[4], c[5], c[6], c[7]);
    q->thickness1 = static_cast<uint8_t>(ep1);
    q->thickness2 = static_cast<uint8_t>(ep2);
    Ajoute_en_queue(Liste_quads, Dernier(Liste_quads), q);
    Nb_quads++;
    return q;
}

std::vector<int> Coins(const Quad* q) { return {q->x1i, q->y1i, q->x1f, q->y1f, q->x2i, q->y2i, q->x2f, q->y2f}; }

std::vector<int> Longueurs()
{
    std::vector<int> r;
    for (Quad* q = Liste_quads; q; q = q->suivant) r.push_back(q->length);
    return r;
}

int Passes(int seuil)
{
    int n = 0;
    do {
        Chainage_quads(seuil);
        n++;
    } while (Fusion_quads() != 0);
    return n;
}

class FusionQuads : public tmtest::Environnement {};

TEST_F(FusionQuads, RienSansQuads)
{
    tmtest::Image_blanche(60, 30);
    Ecrit_texte(1, "avant");
    Quad* q = Ajoute(10, 10, 30, 20, 11, 11);
    q->length = 0;  // a list the counter does not see
    Nb_quads = 0;
    EXPECT_EQ(Chainage_quads(10), 0);
    EXPECT_EQ(Fusion_quads(), 0);
    EXPECT_EQ(Texte_log(), "\navant");
    EXPECT_EQ(Liste_quads, q);
    EXPECT_EQ(q->suivant, nullptr);
    EXPECT_EQ(fe.boites.size(), 0u);
}

// Two quadrilaterals of one horizontal stroke, the second's B-end against
// the first's A-end.
TEST_F(FusionQuads, FusionDUnTrait)
{
    struct Cas {
        const char* nom;
        int ep_droite;  // thicknesses of the right-hand quadrilateral
        bool encre;     // the stroke drawn in Plan1
        std::vector<int> longueurs;
        int passes;
    };
    const std::vector<Cas> cas = {
        {"merged", 11, true, {40}, 2},
        {"white between the axis points", 4, false, {20, 20}, 1},
    };
    for (const Cas& c : cas) {
        tmtest::Remise_a_zero();
        Parametres({{"SeuilDiffEp", "5"}});
        tmtest::Image_blanche(80, 40);
        if (c.encre) tmtest::Rectangle_noir(Plan1, 10, 10, 50, 20);
        const int ep_gauche = c.ep_droite == 11 ? 11 : 4;
        Ajoute(30, 10, 50, 20, c.ep_droite, c.ep_droite);
        Ajoute(10, 10, 30, 20, ep_gauche, ep_gauche);
        EXPECT_EQ(Passes(10), c.passes) << c.nom;
        EXPECT_EQ(Longueurs(), c.longueurs) << c.nom;
        EXPECT_EQ(Nb_quads, static_cast<int>(c.longueurs.size())) << c.nom;
    }
}

// Quadrilaterals of one stroke, 10 thick, each one's B-end against the
// A-end of the one added before it, the left one (the chain's base) d
// thicker or thinner than the others: a run grows while the thicknesses
// stay less than SeuilDiffEp (5) apart. With three, the jump is met between
// the first two as the third is tried, and again at the end of the second.
// The merged record reaches from the middle of one free end to the middle
// of the other; on the oblique stroke (direction (4, 3), 20 pixels along y
// per quadrilateral of 50) the corners of each end differ in both
// coordinates.
TEST_F(FusionQuads, SautDEpaisseurEtTraitOblique)
{
    struct Cas {
        const char* nom;
        std::vector<std::vector<int>> quads;  // corners in the order of Quad, right to left
        int ecart;                            // thickness of the left one minus the others'
        std::vector<int> longueurs;           // records left, in list order
        std::vector<int> fusion;              // corners of the record when one is left
        int angle;
    };
    const std::vector<int> h3{50, 10, 70, 10, 70, 20, 50, 20}, h2{30, 10, 50, 10, 50, 20, 30, 20},
        h1{10, 10, 30, 10, 30, 20, 10, 20};
    const std::vector<int> o3{103, 76, 143, 106, 137, 114, 97, 84}, o2{63, 46, 103, 76, 97, 84, 57, 54},
        o1{23, 16, 63, 46, 57, 54, 17, 24};
    const std::vector<Cas> cas = {
        {"two horizontal, 4 apart", {h2, h1}, 4, {40}, {50, 20, 10, 20, 10, 10, 50, 10}, 0},
        {"two horizontal, 5 apart", {h2, h1}, 5, {20, 20}, {}, 0},
        {"two horizontal, 6 apart", {h2, h1}, -6, {20, 20}, {}, 0},
        {"two oblique, 4 apart", {o2, o1}, -4, {100}, {97, 84, 17, 24, 23, 16, 103, 76}, 143},
        {"two oblique, 5 apart", {o2, o1}, 5, {50, 50}, {}, 0},
        {"two oblique, 6 apart", {o2, o1}, 6, {50, 50}, {}, 0},
        {"three horizontal, 4 apart", {h3, h2, h1}, 4, {60}, {70, 20, 10, 20, 10, 10, 70, 10}, 0},
        {"three horizontal, 5 apart", {h3, h2, h1}, 5, {20, 40}, {}, 0},
        {"three oblique, 4 apart", {o3, o2, o1}, -4, {150}, {137, 114, 17, 24, 23, 16, 143, 106}, 143},
        {"three oblique, 5 apart", {o3, o2, o1}, -5, {50, 100}, {}, 0},
    };
    for (const Cas& c : cas) {
        tmtest::Remise_a_zero();
        tmtest::Image_blanche(160, 130);
        tmtest::Rectangle_noir(Plan1, 1, 1, 159, 129);
        for (size_t i = 0; i < c.quads.size(); i++) {
            const int ep = i + 1 == c.quads.size() ? 11 + c.ecart : 11;
            Ajoute_coins(c.quads[i], ep, ep);
        }
        Passes(10);
        EXPECT_EQ(Longueurs(), c.longueurs) << c.nom;
        EXPECT_EQ(Nb_quads, static_cast<int>(c.longueurs.size())) << c.nom;
        if (c.fusion.empty() || !Liste_quads) continue;
        const Quad* q = Liste_quads;
        EXPECT_EQ(Coins(q), c.fusion) << c.nom;
        EXPECT_EQ(q->angle1, c.angle) << c.nom;
        EXPECT_EQ(q->angle2, c.angle) << c.nom;
        EXPECT_EQ(q->thickness1, 11) << c.nom;  // the free end's, and the base's
        EXPECT_EQ(q->thickness2, 11 + c.ecart) << c.nom;
    }
}

// A quadrilateral continues a chain when the mean angles differ by less
// than the threshold, or by more than 180 minus it: two touching
// quadrilaterals of one stroke, the first's angles moved by d, are chained
// under d + 1 and cut by a separator under d and d - 1, by the indexed and
// by the literal chaining alike.
TEST_F(FusionQuads, SeuilDePenteDuChainage)
{
    struct Cas {
        const char* nom;
        std::vector<int> droite, gauche;
        int angle_droite;  // both angles of the first one; the other keeps its own
        int seuil;
        bool chaines;
    };
    const std::vector<int> hd{30, 10, 50, 10, 50, 20, 30, 20}, hg{10, 10, 30, 10, 30, 20, 10, 20};
    const std::vector<int> od{63, 46, 103, 76, 97, 84, 57, 54}, og{23, 16, 63, 46, 57, 54, 17, 24};
    const std::vector<Cas> cas = {
        {"6 against 0, threshold 7", hd, hg, 6, 7, true},
        {"6 against 0, threshold 6", hd, hg, 6, 6, false},
        {"6 against 0, threshold 5", hd, hg, 6, 5, false},
        {"174 against 0, threshold 7", hd, hg, 174, 7, true},
        {"174 against 0, threshold 6", hd, hg, 174, 6, false},
        {"137 against 143, threshold 7", od, og, 137, 7, true},
        {"137 against 143, threshold 6", od, og, 137, 6, false},
        {"149 against 143, threshold 7", od, og, 149, 7, true},
        {"149 against 143, threshold 6", od, og, 149, 6, false},
    };
    for (const Cas& c : cas) {
        for (bool direct : {false, true}) {
            tmtest::Remise_a_zero();
            tmtest::Image_blanche(120, 100);
            tmtest::Rectangle_noir(Plan1, 1, 1, 119, 99);
            Quad* q = Ajoute_coins(c.droite, 11, 11);
            q->angle1 = q->angle2 = c.angle_droite;
            Ajoute_coins(c.gauche, 11, 11);
            if (direct) Chainage_quads_direct(c.seuil);
            else Chainage_quads(c.seuil);
            EXPECT_EQ(Compte_liste(Liste_quads), c.chaines ? 2 : 3) << c.nom << (direct ? ", literal scan" : "");
        }
    }
}

TEST_F(FusionQuads, AttacheDerriereSepare)
{
    tmtest::Image_blanche(80, 40);
    Ajoute(10, 10, 30, 20, 11, 11);            // taken first, then crossed
    Ajoute(50, 20, 30, 10, 11, 11);            // in front of it
    Quad* q = Ajoute(30, 20, 15, 10, 11, 11);  // its A-end on the latter's B-end
    EXPECT_EQ(Chainage_quads(10), 1);
    EXPECT_EQ(Longueurs(), (std::vector<int>{20, 20, 0, 15}));
    EXPECT_EQ(Nb_quads, 4);
    const Quad* sep = Liste_quads->suivant->suivant;
    EXPECT_EQ((std::vector<int>{sep->x1i, sep->y1i, sep->x1f, sep->y1f, sep->x2i, sep->y2i, sep->x2f, sep->y2f}),
              (std::vector<int>{0, 1, 0, 0, 0, 1, 0, 1}));
    EXPECT_EQ(sep->suivant, q);
    EXPECT_EQ(q->x1i, 30);  // taken forward from the separator, unchanged
    EXPECT_EQ(Texte_log(), "\n * Tri termine. ");
}

}  // namespace
