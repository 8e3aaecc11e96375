// Scores, loops and regions on small graphs built in the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "port/shell.h"
#include "spotting/boucles.h"
#include "spotting/regions.h"
#include "spotting/scores.h"
#include "tests/spotting/graphe_test.h"
#include "tests/support/support.h"

using namespace tmtest;

namespace {
class Spotting : public Environnement {};
}  // namespace

TEST_F(Spotting, ArcScoresByTypeAngleAndLengthRatio)
{
    struct Cas { char type; int a1, a2, L1, L2; double score; };
    const Cas cas[] = {
        {'P', 30, 30, 50, 50, 1.0},                             // parallel, equal lengths
        {'L', 0, 90, 10, 40, (0.25 + 0.0 + 0.25) / 3},          // perpendicular
        {'~', 10, 170, 20, 20, (0.5 + 70.0 / 90 + 1.0) / 3},    // d = 160
        {'S', 0, 0, 30, 60, (0.25 + 1.0 + 0.5) / 3},            // 'S' weighs as a corner
        {'t', 45, 0, 10, 10, (0.5 + 0.5 + 1.0) / 3},
        {'?', 0, 179, 0, 0, (0.25 + 89.0 / 90 + 0.0) / 3},      // two lengths 0: ratio 0, not NaN
    };
    std::vector<ArcQQ*> arcs;
    for (const Cas& c : cas) arcs.push_back(Arc(Trait(0, 0, 9, 0, 0, c.L1, c.a1), Trait(0, 0, 9, 0, 0, c.L2, c.a2), c.type));
    Arc(Liste_quads, nullptr, 'P', 7.5);  // a missing end: kept, but counted
    EXPECT_EQ(Score_arcs(Liste_arcs_QQ), 1);
    for (size_t i = 0; i < arcs.size(); i++) EXPECT_DOUBLE_EQ(arcs[i]->score, cas[i].score) << cas[i].type;
    EXPECT_EQ(Dernier(Liste_arcs_QQ)->score, 7.5);
    EXPECT_EQ(Texte_log(), " Scoring des arcs ...\n * Max score A = 1.000000e+00 \n* Nb d'arcs :  7 ");
}

TEST_F(Spotting, QuadScoresFromArcsDegreeAndLength)
{
    struct Cas { int L; std::vector<double> arcs; bool boucle; double score; };
    const Cas cas[] = {
        {10, {}, false, 0.15 / 4},  {19, {}, false, 0.285 / 4}, {20, {}, false, 0.25},
        {199, {}, false, 0.25},     {200, {}, false, 0.0625},   {500, {}, false, 0.025},
        {50, {0.6}, false, (1.2 + 0.25 + 1.0) / 4},           // one arc: degree 0.25
        {50, {0.6, 0.3}, false, (0.9 + 1.0 + 1.0) / 4},       // 2 to 4 arcs: degree 1
        {50, {0.6, 0.3, 0.9}, false, (1.2 + 1.0 + 1.0) / 4},
        {50, {0.5, 0.5, 0.5, 0.5}, false, (1.0 + 1.0 + 1.0) / 4},  // the last with degree 1
        {50, {0.5, 0.5, 0.5, 0.5, 0.5}, false, (1.0 + 0.25 + 1.0) / 4},
        {50, {0.4}, true, (0.8 + 1.0 + 1.0) / 4},             // an arc to itself counts twice
        {0, {0.9}, false, 0.0},                               // length 0 gathers nothing
    };
    std::vector<Quad*> q;
    for (const Cas& c : cas) {
        q.push_back(Trait(0, 0, 9, 0, 0, c.L));
        for (double s : c.arcs) Arc(q.back(), c.boucle ? q.back() : Trait(0, 0, 9, 0, 0, 0), 'L', s);
    }
    Mode_trace = 1;
    EXPECT_EQ(Score_quads(Liste_quads, Liste_arcs_QQ), 1);
    for (size_t i = 0; i < q.size(); i++) EXPECT_DOUBLE_EQ(q[i]->score, cas[i].score) << i;
    EXPECT_EQ(fe.pauses, 17);  // every quadrilateral of length 0
    EXPECT_EQ(fe.bips_courts, 17);
}

TEST_F(Spotting, SortByScoreTakesTheLastOfEqualScoresFirst)
{
    struct Cas { std::vector<double> scores; std::vector<int> ordre; };
    const Cas cas[] = {
        {{0.4, 0.7, 0.4}, {1, 2, 0}},
        {{0, 0, 0}, {2, 1, 0}},
        {{0.2, 0.9, 0.5, 0.9}, {3, 1, 2, 0}},
    };
    for (auto tri : {Tri_quads_score, Tri_quads_score_direct}) {
        for (const Cas& c : cas) {
            Remise_a_zero();
            std::vector<Quad*> q;
            for (double s : c.scores) q.push_back(Trait(0, 0, 9, 0, s));
            EXPECT_EQ(tri(Liste_quads), 1);
            std::vector<int> ordre;
            for (const Quad* r = Liste_quads; r; r = r->suivant)
                ordre.push_back(static_cast<int>(std::find(q.begin(), q.end(), r) - q.begin()));
            EXPECT_EQ(ordre, c.ordre);
        }
        // Nothing counted: nothing done, nothing said, whatever the list holds.
        Remise_a_zero();
        Quad* a = Trait(0, 0, 9, 0, 0.1);
        Quad* b = Trait(0, 0, 9, 0, 0.9);
        Nb_quads = 0;
        EXPECT_EQ(Score_quads(Liste_quads, Liste_arcs_QQ), 0);
        EXPECT_EQ(tri(Liste_quads), 0);
        EXPECT_TRUE(Liste_quads == a && a->suivant == b && b->score == 0.9 && Texte_log().empty());
    }
}

TEST_F(Spotting, DuplicateArcsLeaveTheFirstOfEachPair)
{
    for (auto supprime : {Supprime_doublons_arcs, Supprime_doublons_arcs_direct}) {
        Remise_a_zero();
        Quad* a = Trait(0, 0, 9, 0);
        Quad* b = Trait(0, 0, 9, 0);
        Quad* c = Trait(0, 0, 9, 0);
        a->numero = 904, b->niveau = 3;
        ArcQQ* ab = Arc(a, b, 'L');
        Arc(b, a, 'T');
        ArcQQ* ac = Arc(a, c, 'X');
        Arc(a, b, 'P');
        Arc(c, a, '~');
        ArcQQ* nb = Arc(nullptr, b, 'L');
        Arc(b, nullptr, 'L');
        EXPECT_EQ(supprime(), 1);
        EXPECT_TRUE(Liste_arcs_QQ == ab && ab->suivant == ac && ac->suivant == nb && !nb->suivant);
        EXPECT_TRUE(a->numero == 0 && b->niveau == 0);
    }
}

// A square of strokes joined corner to corner, inked on Plan1 stroke by
// stroke; the top one scores above 0.5.
class Carre : public Spotting {
protected:
    Quad *haut, *droite, *bas, *gauche;
    // The bottom side runs from x = debut_bas to 200, so the junction with
    // the right side, which every search through the square checks, has a
    // white gap when debut_bas is below 298.
    void Construit(double s_haut, double s_autres, int debut_bas = 300, int decale_bas = 0)
    {
        Image_blanche(400, 400);
        const int yb = 300 + decale_bas;
        haut = Trait(200, 200, 300, 200, s_haut);
        droite = Trait(300, 200, 300, 300, s_autres);
        bas = Trait(debut_bas, yb, 200, yb, s_autres);
        gauche = Trait(200, 300, 200, 200, s_autres);
        Rectangle_noir(Plan1, 198, 198, 302, 202);
        Rectangle_noir(Plan1, 298, 198, 302, 302);
        Rectangle_noir(Plan1, 198, yb - 2, debut_bas, yb + 2);
        Rectangle_noir(Plan1, 198, 198, 202, 302);
        Arc(haut, droite, 'L');
        Arc(droite, bas, 'L');
        Arc(bas, gauche, 'l');
        Arc(gauche, haut, 'L');
    }
};

TEST_F(Carre, LoopFoundAndCheckedOnTheDrawing)
{
    struct Cas { const char* nom; double s_haut, s_autres; int debut_bas, decale_bas; bool valide; };
    const Cas cas[] = {
        {"closed", 0.6, 0.3, 300, 0, true},
        {"scores of exactly 0.5 start no search", 0.5, 0.5, 300, 0, false},
        {"9 white pixels at a junction", 0.6, 0.3, 288, 0, true},
        {"11 white pixels at a junction", 0.6, 0.3, 286, 0, false},
        {"third stroke 60 pixels away", 0.6, 0.3, 300, 60, false},
    };
    for (const Cas& c : cas) {
        Remise_a_zero();
        Construit(c.s_haut, c.s_autres, c.debut_bas, c.decale_bas);
        Recherche_boucles();
        for (Quad* q : {haut, droite, bas, gauche}) {
            EXPECT_EQ(q->score, c.valide ? 0.6 : (q == haut ? c.s_haut : c.s_autres)) << c.nom;
            EXPECT_EQ(q->numero, c.valide ? 904 : 0) << c.nom;
        }
    }
    // The path in walking order, from the arc's first end back to its second.
    Remise_a_zero();
    Construit(0.6, 0.3);
    Quad* chemin[Taille_niveau];
    EXPECT_EQ(Cherche_boucle(Liste_arcs_QQ, haut, droite, chemin), 4);
    EXPECT_EQ(std::vector<Quad*>(chemin, chemin + 5), (std::vector<Quad*>{haut, gauche, bas, droite, nullptr}));
}

TEST_F(Spotting, LoopsOfMoreThan29QuadrilateralsAreNotFound)
{
    for (int n : {3, 29, 30}) {
        Remise_a_zero();
        std::vector<Quad*> q;
        for (int i = 0; i < n; i++) q.push_back(Trait(0, 0, 9, 0, 0.9));
        for (int i = 0; i < n; i++) Arc(q[i], q[(i + 1) % n], 'L');
        Quad* chemin[Taille_niveau];
        EXPECT_EQ(Cherche_boucle(Liste_arcs_QQ, q[0], q[1], chemin), n < 30 ? n : 0) << n;
    }
}

TEST_F(Spotting, RegionGrowsDepthFirstInArcOrder)
{
    Quad* s = Trait(10, 10, 30, 10, 0.5);
    Quad* a = Trait(40, 5, 40, 50, 0.9);
    Quad* b = Trait(5, 60, 20, 60, 0.7);
    Quad* c = Trait(50, 50, 90, 50, 0.6);
    Quad* bas = Trait(0, 0, 9, 0, 0.49);
    ArcQQ* sa = Arc(s, a, 'L');
    ArcQQ* sb = Arc(b, s, 'T');
    Arc(s, bas, 'P');
    ArcQQ* ac = Arc(a, c, 'X');
    Region r;
    Enfile_unique(s, r);
    while (Croissance_region(r, 0.5) != 0) {}
    // The growth follows a quadrilateral as soon as it joins.
    EXPECT_EQ(std::vector<Quad*>(r.membres, r.membres + r.mcount), (std::vector<Quad*>{s, a, c, b}));
    EXPECT_EQ(std::vector<ArcQQ*>(r.arcs, r.arcs + r.acount), (std::vector<ArcQQ*>{sa, ac, sb}));
    const Boite boite = Boite_region(r, 7);
    EXPECT_TRUE(boite.xmin == 5 && boite.ymin == 5 && boite.xmax == 90 && boite.ymax == 62 && boite.lmax == 45
                && boite.x == 47 && boite.y == 33);
    EXPECT_TRUE(s->niveau == 7 && c->niveau == 7 && b->numero == 3 && bas->niveau == 0);
}

TEST_F(Spotting, RegionCapacities)
{
    // A star of 420 strokes: 400 members; the arcs to those turned away are
    // not kept, so every edge of the sub-graph stays inside the region.
    Quad* centre = Trait(0, 0, 9, 0, 1.0);
    for (int i = 0; i < 420; i++) Arc(centre, Trait(0, 0, 9, 0, 1.0), 'P');
    Region r;
    Enfile_unique(centre, r);
    while (Croissance_region(r, 0.5) != 0) {}
    EXPECT_TRUE(r.mcount == 400 && r.acount == 399);
    for (int k = 0; k < r.acount; k++)
        EXPECT_NE(std::find(r.membres, r.membres + r.mcount, r.arcs[k]->Q2), r.membres + r.mcount);
    // Only the 399th leaf's arc, offered again from the leaf, hits the limit.
    EXPECT_EQ(fe.bips_fin, 3);

    // 31 strokes all joined: 465 arcs for 399 places, the last replaced.
    Remise_a_zero();
    std::vector<Quad*> q;
    for (int i = 0; i < 31; i++) q.push_back(Trait(0, 0, 9, 0, 1.0));
    for (int i = 0; i < 31; i++)
        for (int j = i + 1; j < 31; j++) Arc(q[i], q[j], 'P');
    Vide_region(r);
    Enfile_unique(q[0], r);
    while (Croissance_region(r, 0.5) != 0) {}
    EXPECT_TRUE(r.mcount == 31 && r.acount == 399);
    EXPECT_EQ(std::set<ArcQQ*>(r.arcs, r.arcs + 399).size(), 399u);
    EXPECT_TRUE(fe.bips_fin > 3 && fe.bips_fin % 3 == 0);
}
