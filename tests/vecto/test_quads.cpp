#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port/shell.h"
#include "tests/support/support.h"
#include "vecto/geometrie.h"
#include "vecto/quads.h"
#include "vecto/records.h"

namespace {

struct Seg {
    int xi, yi, xf, yf;
    bool operator==(const Seg&) const = default;
};

Vecteur* Ajoute(const Seg& s, int etat = 0)
{
    Vecteur* v = tmtest::Nouveau_vecteur(s.xi, s.yi, s.xf, s.yf, etat);
    Ajoute_en_queue(Liste_vecteurs, Dernier(Liste_vecteurs), v);
    return v;
}

struct Attendu {
    Seg cote1, cote2;
    int length, ep1, ep2;
};

void Verifie_quad(const Quad* q, const Attendu& a, const char* nom)
{
    ASSERT_NE(q, nullptr) << nom;
    EXPECT_EQ((Seg{q->x1i, q->y1i, q->x1f, q->y1f}), a.cote1) << nom;
    EXPECT_EQ((Seg{q->x2i, q->y2i, q->x2f, q->y2f}), a.cote2) << nom;
    EXPECT_EQ(q->length, a.length) << nom;
    EXPECT_EQ(q->thickness1, a.ep1) << nom;
    EXPECT_EQ(q->thickness2, a.ep2) << nom;
    EXPECT_EQ(q->numero, 0) << nom;
    EXPECT_EQ(q->niveau, 0) << nom;
}

class Quads : public tmtest::Environnement {};

// The four borders of a bar 100 pixels long with its long borders 8 rows
// apart, in the order and sense contour following gives them.
TEST_F(Quads, BarreEntiere)
{
    tmtest::Image_blanche(130, 50);
    tmtest::Rectangle_noir(Plan1, 10, 20, 109, 28);
    Ajoute({10, 20, 10, 28});
    Ajoute({10, 28, 109, 28});
    Ajoute({109, 28, 109, 20});
    Ajoute({109, 20, 10, 20});
    EXPECT_EQ(Construction_quads(), 1);
    EXPECT_EQ(Nb_quads, 1);
    ASSERT_EQ(Compte_liste(Liste_quads), 1);
    Verifie_quad(Liste_quads, {{10, 28, 109, 28}, {109, 20, 10, 20}, 99, 9, 9}, "bar");
    // The two short ends stay as unpaired vectors.
    EXPECT_EQ(Compte_liste(Liste_vecteurs), 2);
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) EXPECT_EQ(v->etat, 1);
}

TEST_F(Quads, AppariementPartiel)
{
    struct Cas {
        const char* nom;
        std::vector<Seg> vecteurs;
        int etat_second;  // etat of the second vector at the start
        Attendu quad;
        Seg reste;
    };
    const std::vector<Cas> cas = {
        {"at the first end, the reference is cut", {{10, 20, 110, 20}, {50, 10, 10, 10}}, 0,
         {{50, 10, 10, 10}, {10, 20, 50, 20}, 40, 11, 11}, {50, 20, 110, 20}},
        {"at the second end, the reference is cut", {{10, 20, 110, 20}, {110, 10, 70, 10}}, 0,
         {{110, 10, 70, 10}, {70, 20, 110, 20}, 40, 11, 11}, {10, 20, 70, 20}},
        // A longer facing vector that can no longer be a reference.
        {"at the first end, the facing vector is cut", {{10, 20, 50, 20}, {110, 10, 10, 10}}, 250,
         {{10, 20, 50, 20}, {50, 10, 10, 10}, 40, 11, 11}, {110, 10, 50, 10}},
        {"at the second end, the facing vector is cut", {{70, 20, 110, 20}, {110, 10, 10, 10}}, 250,
         {{70, 20, 110, 20}, {110, 10, 70, 10}, 40, 11, 11}, {70, 10, 10, 10}},
    };
    for (const Cas& c : cas) {
        tmtest::Remise_a_zero();
        tmtest::Image_blanche(130, 40);
        tmtest::Rectangle_noir(Plan1, 10, 10, 110, 20);
        Ajoute(c.vecteurs[0]);
        Ajoute(c.vecteurs[1], c.etat_second);
        Construction_quads();
        EXPECT_EQ(Nb_quads, 1) << c.nom;
        ASSERT_EQ(Compte_liste(Liste_quads), 1) << c.nom;
        Verifie_quad(Liste_quads, c.quad, c.nom);
        ASSERT_EQ(Compte_liste(Liste_vecteurs), 1) << c.nom;
        const Vecteur* v = Liste_vecteurs;
        EXPECT_EQ((Seg{v->xi, v->yi, v->xf, v->yf}), c.reste) << c.nom;
        EXPECT_EQ(v->length, 60) << c.nom;
        EXPECT_EQ(v->etat, 1) << c.nom;
    }
}

// Pairing at its thresholds, on horizontal and oblique strokes whose
// band is black in Plan1. A full pairing needs a length ratio below 1.25;
// facing vectors need angles closer than Seuil_penteV; the lines joining
// the ends may cross at most 4 white pixels. The thickness is the floor of
// the end distance plus one, which only oblique strokes tell from rounding
// up.
TEST_F(Quads, AppariementAuxSeuils)
{
    struct Cas {
        const char* nom;
        Seg r, t;
        int pente;       // Seuil_penteV
        int blancs;      // white pixels put on column 10 between rows 12 and 19
        int nb_quads;
        Seg cote1;       // of the quadrilateral, when there is one: the whole vector
        int longueur, ep1, ep2;
        int restants;    // vectors left
    };
    const Seg h{10, 20, 110, 20};   // length 100, angle 0
    const Seg o{10, 100, 90, 40};   // length 100, angle 36
    const std::vector<Cas> cas = {
        {"oblique full pairing, ends 8.94 apart", {10, 20, 110, 70}, {114, 62, 14, 12}, 10, 0, 1, {10, 20, 110, 70}, 112, 9, 9, 0},
        {"steep full pairing, ends 8.94 apart", {20, 10, 70, 110}, {78, 106, 28, 6}, 10, 0, 1, {20, 10, 70, 110}, 112, 9, 9, 0},
        {"ratio 100/81 pairs fully", h, {100, 10, 19, 10}, 10, 0, 1, h, 100, 11, 11, 0},
        {"ratio 100/80 pairs at an end", h, {100, 10, 20, 10}, 10, 0, 1, {100, 10, 20, 10}, 80, 11, 11, 1},
        {"ratio 100/79 pairs at an end", h, {100, 10, 21, 10}, 10, 0, 1, {100, 10, 21, 10}, 79, 11, 11, 1},
        {"oblique ratio 100/82 pairs fully", o, {76, 38, 11, 87}, 10, 0, 1, o, 100, 11, 11, 0},
        {"oblique ratio 100/80 pairs at an end", o, {76, 38, 12, 86}, 10, 0, 1, {76, 38, 12, 86}, 80, 11, 11, 1},
        {"oblique ratio 100/79 pairs at an end", o, {76, 38, 13, 85}, 10, 0, 1, {76, 38, 13, 85}, 79, 11, 11, 1},
        {"angles 0 and 2, Seuil_penteV 3", h, {110, 10, 10, 14}, 3, 0, 1, {110, 10, 10, 14}, 101, 7, 11, 0},
        {"angles 0 and 2, Seuil_penteV 2", h, {110, 10, 10, 14}, 2, 0, 0, {}, 0, 0, 0, 2},
        {"angles 36 and 37, Seuil_penteV 2", o, {76, 38, 11, 87}, 2, 0, 1, o, 100, 11, 11, 0},
        {"angles 36 and 37, Seuil_penteV 1", o, {76, 38, 11, 87}, 1, 0, 0, {}, 0, 0, 0, 2},
        {"4 white pixels between the ends", h, {110, 10, 10, 10}, 10, 4, 1, h, 100, 11, 11, 0},
        {"5 white pixels between the ends", h, {110, 10, 10, 10}, 10, 5, 0, {}, 0, 0, 0, 2},
    };
    for (const Cas& c : cas) {
        for (bool direct : {false, true}) {
            const std::string nom = std::string(c.nom) + (direct ? ", literal scan" : "");
            tmtest::Remise_a_zero();
            Parametres({{"Seuil_penteV", std::to_string(c.pente)}});
            tmtest::Image_blanche(130, 130);
            tmtest::Rectangle_noir(Plan1, 1, 1, 129, 129);
            for (int y = 12; y < 12 + c.blancs; y++) Ecrit_pixel(10, y, 0, Plan1);
            Ajoute(c.r);
            Ajoute(c.t);
            if (direct) Construction_quads_directe();
            else Construction_quads();
            EXPECT_EQ(Nb_quads, c.nb_quads) << nom;
            if (c.nb_quads == 1 && Liste_quads) {
                const Quad* q = Liste_quads;
                EXPECT_EQ((Seg{q->x1i, q->y1i, q->x1f, q->y1f}), c.cote1) << nom;
                EXPECT_EQ(q->length, c.longueur) << nom;
                EXPECT_EQ(q->thickness1, c.ep1) << nom;
                EXPECT_EQ(q->thickness2, c.ep2) << nom;
            }
            EXPECT_EQ(Compte_liste(Liste_vecteurs), c.restants) << nom;
        }
    }
}

// The first-end pairing seen while it happens: the cut reference keeps etat 1
// and is the next reference (the log shows it finding no partner).
TEST_F(Quads, ReferenceCoupeeResteEligible)
{
    tmtest::Image_blanche(130, 40);
    tmtest::Rectangle_noir(Plan1, 10, 10, 110, 20);
    Ajoute({10, 20, 110, 20});
    Ajoute({50, 10, 10, 10});
    Mode_trace = 1;
    Construction_quads();
    EXPECT_EQ(Texte_log(), "\nPas trouve...");
}

TEST_F(Quads, SansPartenaire)
{
    struct Cas {
        const char* nom;
        std::vector<Seg> vecteurs;
        bool encre;  // the band between the vectors black in Plan1
        int mode_trace;
        std::string log;
    };
    const std::vector<Cas> cas = {
        {"stroke thicker than SeuilEpmax", {{10, 40, 110, 40}, {110, 10, 10, 10}}, true, 0, ""},
        {"two strokes side by side", {{10, 20, 110, 20}, {110, 10, 10, 10}}, false, 0, ""},
        {"alone, step by step", {{10, 20, 110, 20}}, true, 1, "\nPas trouve..."},
        {"alone", {{10, 20, 110, 20}}, true, 0, ""},
    };
    for (const Cas& c : cas) {
        tmtest::Remise_a_zero();
        tmtest::Image_blanche(130, 50);
        if (c.encre) tmtest::Rectangle_noir(Plan1, 10, 10, 110, 40);
        for (const Seg& s : c.vecteurs) Ajoute(s);
        Mode_trace = c.mode_trace;
        EXPECT_EQ(Construction_quads(), 1) << c.nom;
        EXPECT_EQ(Nb_quads, 0) << c.nom;
        EXPECT_EQ(Liste_quads, nullptr) << c.nom;
        EXPECT_EQ(Compte_liste(Liste_vecteurs), static_cast<int>(c.vecteurs.size())) << c.nom;
        for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) EXPECT_EQ(v->etat, 1) << c.nom;
        EXPECT_EQ(Texte_log(), c.log) << c.nom;
    }
}

// A vector with no partner is never taken again as a reference, even when
// SeuilEpmax lets its etat through.
TEST_F(Quads, SeuilEpmaxAuDelaDe250Termine)
{
    Parametres({{"SeuilEpmax", "300"}});
    tmtest::Image_blanche(130, 50);
    Ajoute({10, 20, 110, 20});
    Ajoute({10, 30, 10, 45});
    Mode_trace = 1;
    EXPECT_EQ(Construction_quads(), 1);
    EXPECT_EQ(Texte_log(), "\nPas trouve...\nPas trouve...");
}

// A facing vector whose length field is 0 (its end was moved during contour
// following without a new length) gives an infinite length ratio: no full
// pairing, the pairing at the second end takes it as side 1 instead.
TEST_F(Quads, RapportDeLongueurInfini)
{
    tmtest::Image_blanche(60, 40);
    tmtest::Rectangle_noir(Plan1, 10, 10, 40, 20);
    Ajoute({10, 20, 40, 20});
    Ajoute({40, 10, 10, 10})->length = 0;
    Construction_quads();
    ASSERT_EQ(Compte_liste(Liste_quads), 1);
    Verifie_quad(Liste_quads, {{40, 10, 10, 10}, {10, 20, 40, 20}, 0, 11, 11}, "zero-length partner");
    EXPECT_EQ(Liste_vecteurs, nullptr);
}

TEST_F(Quads, AjouteApresLesQuadsExistants)
{
    tmtest::Image_blanche(130, 50);
    tmtest::Rectangle_noir(Plan1, 10, 20, 109, 28);
    Quad* ancien = new Quad();
    ancien->length = 7;
    ancien->angle1 = 178;
    ancien->angle2 = 5;
    Liste_quads = ancien;
    Nb_quads = 1;
    // Sides leaning either way of the horizontal: 1 and 178 degrees once paired.
    Ajoute({10, 28, 109, 25});
    Ajoute({109, 20, 10, 17});
    Construction_quads();
    EXPECT_EQ(Nb_quads, 2);
    ASSERT_EQ(Liste_quads, ancien);
    ASSERT_NE(ancien->suivant, nullptr);
    EXPECT_EQ(ancien->suivant->length, 100);
    // The new record's angles and the older records' are reconciled.
    EXPECT_EQ(ancien->suivant->angle1, 1);
    EXPECT_EQ(ancien->suivant->angle2, 2);
    EXPECT_EQ(ancien->angle1, 2);
    EXPECT_EQ(ancien->angle2, 5);
}

TEST_F(Quads, ReconciliationDesAngles)
{
    struct Cas {
        int a1, a2, r1, r2;
    };
    const std::vector<Cas> cas = {{2, 179, 2, 1}, {170, 3, 10, 3}, {5, 178, 5, 2}, {90, 0, 90, 0}, {179, 88, 1, 88}};
    Quad* queue = nullptr;
    for (const Cas& c : cas) {
        Quad* q = new Quad();
        q->angle1 = c.a1;
        q->angle2 = c.a2;
        queue = Ajoute_en_queue(Liste_quads, queue, q);
    }
    Reconcilie_angles();
    Quad* q = Liste_quads;
    for (const Cas& c : cas) {
        EXPECT_EQ(q->angle1, c.r1) << c.a1 << "," << c.a2;
        EXPECT_EQ(q->angle2, c.r2) << c.a1 << "," << c.a2;
        q = q->suivant;
    }
}

}  // namespace
