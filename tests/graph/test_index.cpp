// The candidate index must give exactly the literal scan's arcs: same
// candidates, same order, same 149-place restarts.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "port/shell.h"
#include "vecto/arcs.h"
#include "graph/construction.h"
#include "graph/graphe.h"
#include "graph/sources.h"
#include "graph/zone.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "tests/support/support.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

using namespace tmtest;

namespace {

std::vector<std::string> Arcs()
{
    std::vector<std::string> r;
    for (ArcQQ* a = Liste_arcs_QQ; a; a = a->suivant)
        r.push_back(std::string(1, a->type) + " q" + std::to_string(Rang(Liste_quads, a->Q1)) + " q"
                    + std::to_string(Rang(Liste_quads, a->Q2)));
    for (ArcQV* a = Liste_arcs_QV; a; a = a->suivant)
        r.push_back(std::string(1, a->type) + " q" + std::to_string(Rang(Liste_quads, a->Q1)) + " v"
                    + std::to_string(Rang(Liste_vecteurs, a->V2)));
    for (ArcVV* a = Liste_arcs_VV; a; a = a->suivant)
        r.push_back(std::string(1, a->type) + " v" + std::to_string(Rang(Liste_vecteurs, a->V1)) + " v"
                    + std::to_string(Rang(Liste_vecteurs, a->V2)));
    return r;
}

struct Resultat {
    std::vector<std::string> arcs;
    int bips = 0;
    std::string log;
};

// Both builders, with the literal scan on one thread or with the index on
// `fils` threads (relations worked out on all, arcs created in order by the
// calling thread as their sources are done).
Resultat Construit(FrontendEnregistreur& fe, bool direct, int fils = 3)
{
    Vide_graphe();
    Efface_texte();
    fe.bips_fin = 0;
    Graphe_recherche_directe = direct;
    Graphe_fils = direct ? 1 : fils;
    Construit_graphe_VV();
    Construit_graphe_QQV();
    Graphe_recherche_directe = false;
    Graphe_fils = 0;
    return {Arcs(), fe.bips_fin, Texte_log()};
}

class Index : public Environnement {
protected:
    void TearDown() override
    {
        Graphe_recherche_directe = false;
        Graphe_fils = 0;
        Mode_trace = 0;
        Environnement::TearDown();
    }
};

// Random primitives: strokes, arbitrary quadrilaterals, degenerate and
// out-of-image ones, a dense cluster (table restarts) and ends placed on the
// parity rays through zone corners; `beaucoup` vectors make the index file
// their ends in finer slope buckets.
void Primitives_aleatoires(std::mt19937& rng, int dist_q, int dist_v, bool beaucoup = false)
{
    auto u = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    Image_blanche(200, 160);
    for (int k = 0; k < 30; k++) {
        const int x = u(0, 200), y = u(0, 160);
        Rectangle_noir(Plan1, x, y, x + u(0, 30), y + u(0, 4));
        Rectangle_noir(Plan1, x, y, x + u(0, 4), y + u(0, 30));
    }
    auto point = [&](int& x, int& y) {
        const int sorte = u(0, 9);
        if (sorte < 6) x = u(-10, 210), y = u(-10, 170);
        else if (sorte < 8) x = u(-1100, 400), y = u(-1100, 400);  // around the parity ray's far point too
        else x = u(40, 50), y = u(40, 50);                         // dense cluster
    };
    Quad* fq = nullptr;
    const int nq = u(0, 180);
    for (int i = 0; i < nq; i++) {
        auto* q = new Quad;
        int x0, y0;
        point(x0, y0);
        const int sorte = u(0, 9);
        if (sorte < 6) {  // a stroke: two facing sides in opposite senses
            const int x1 = x0 + u(-60, 60), y1 = y0 + u(-60, 60), h = u(0, 6);
            const int nx = y1 == y0 ? 0 : h, ny = y1 == y0 ? -h : u(-h, h);
            q->x1i = x0 + nx, q->y1i = y0 + ny, q->x1f = x1 + nx, q->y1f = y1 + ny;
            q->x2i = x1 - nx, q->y2i = y1 - ny, q->x2f = x0 - nx, q->y2f = y0 - ny;
        } else if (sorte < 9) {
            q->x1i = x0, q->y1i = y0, q->x1f = x0 + u(-40, 40), q->y1f = y0 + u(-40, 40);
            q->x2i = x0 + u(-40, 40), q->y2i = y0 + u(-40, 40), q->x2f = x0 + u(-40, 40), q->y2f = y0 + u(-40, 40);
        } else {  // a point
            q->x1i = q->x1f = q->x2i = q->x2f = x0;
            q->y1i = q->y1f = q->y2i = q->y2f = y0;
        }
        q->angle1 = Angle_vecteur(q->x1i, q->y1i, q->x1f, q->y1f);
        q->angle2 = Angle_vecteur(q->x2i, q->y2i, q->x2f, q->y2f);
        q->length = u(0, 12) == 0 ? 0 : Longueur_vecteur(q->x1i, q->y1i, q->x1f, q->y1f);
        if (u(0, 15) == 0) q->numero = 1000;
        fq = Ajoute_en_queue(Liste_quads, fq, q);
    }
    Nb_quads = nq;
    Vecteur* fv = nullptr;
    auto ajoute_v = [&](int xi, int yi, int xf, int yf) {
        auto* v = new Vecteur;
        v->xi = xi, v->yi = yi, v->xf = xf, v->yf = yf;
        v->length = u(0, 12) == 0 ? 0 : Longueur_vecteur(xi, yi, xf, yf);
        v->angle = Angle_vecteur(xi, yi, xf, yf);
        fv = Ajoute_en_queue(Liste_vecteurs, fv, v);
    };
    const int nv = beaucoup ? u(2100, 2600) : u(0, 400);
    for (int i = 0; i < nv; i++) {
        int x0, y0;
        point(x0, y0);
        if (u(0, 10) == 0) ajoute_v(x0, y0, x0, y0);
        else ajoute_v(x0, y0, x0 + u(-50, 50), y0 + u(-50, 50));
    }
    // Ends beyond zone corners on the rays from the far point (-1000, -1000).
    std::vector<Zone> zones;
    for (Quad* q = Liste_quads; q && zones.size() < 10; q = q->suivant) {
        const Element e = Element_quad(*q);
        zones.push_back(Zone_influence(e.xA, e.yA, e.xB, e.yB, dist_q));
    }
    for (Vecteur* v = Liste_vecteurs; v && zones.size() < 20; v = v->suivant)
        zones.push_back(Zone_influence(v->xf, v->yf, v->xi, v->yi, dist_v));
    for (const Zone& z : zones) {
        const int k = u(0, 3), m = u(2, 3);
        const int px = -1000 + m * (z.x[k] + 1000), py = -1000 + m * (z.y[k] + 1000);
        if (u(0, 1)) ajoute_v(px, py, px, py);
        else ajoute_v(px + u(-3, 3), py + u(-3, 3), px, py);
    }
    // Long vectors spanning many cells, which the index keeps apart.
    for (int k = u(0, 3); k > 0; k--) ajoute_v(u(-1100, 400), u(-1100, 400), u(-1100, 400), u(-1100, 400));
    for (int k = u(0, 2); k > 0; k--) {
        auto* q = new Quad;
        q->x1i = u(-1100, 400), q->y1i = u(-1100, 400), q->x1f = u(-1100, 400), q->y1f = u(-1100, 400);
        q->x2i = q->x1f + 4, q->y2i = q->y1f + 4, q->x2f = q->x1i + 4, q->y2f = q->y1i + 4;
        q->angle1 = q->angle2 = Angle_vecteur(q->x1i, q->y1i, q->x1f, q->y1f);
        q->length = Longueur_vecteur(q->x1i, q->y1i, q->x1f, q->y1f);
        fq = Ajoute_en_queue(Liste_quads, fq, q);
        Nb_quads++;
    }
}

}  // namespace

TEST_F(Index, SameArcsAsTheLiteralScanOnRandomPrimitives)
{
    std::mt19937 rng(20240611);
    int arcs = 0, bips = 0;
    for (int essai = 0; essai < 60; essai++) {
        auto u = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
        const int dq = std::vector<int>{0, 1, 5, 10, 30, -4}[u(0, 5)];
        const int dv = std::vector<int>{0, 2, 10, 25}[u(0, 3)];
        Parametres({{"distZI", std::to_string(dq)},
                    {"distZI_Vect", std::to_string(dv)},
                    {"Angle_TL", std::to_string(u(0, 40))},
                    {"Angle_TP", std::to_string(u(0, 20))},
                    {"Seuil_Trou", std::to_string(u(0, 12))}});
        Remise_a_zero();
        Primitives_aleatoires(rng, dq, dv, essai % 20 == 19);
        const Resultat direct = Construit(fe, true);
        const Resultat index = Construit(fe, false, 2 + essai % 3);
        ASSERT_EQ(index.arcs, direct.arcs) << "essai " << essai;
        ASSERT_EQ(index.bips, direct.bips) << "essai " << essai;
        ASSERT_EQ(index.log, direct.log) << "essai " << essai;
        arcs += static_cast<int>(direct.arcs.size());
        bips += direct.bips;
    }
    EXPECT_GT(arcs, 1000);  // the sets do relate
    EXPECT_GT(bips, 0);     // and some fill a candidate table
}

// The quadrilaterals' list as the command leaves it, with Nb_quads.
std::string Quads_restants()
{
    std::string s = std::to_string(Nb_quads) + ":";
    for (const Quad* q = Liste_quads; q; q = q->suivant)
        s += std::to_string(q->x1i) + "," + std::to_string(q->y1i) + "," + std::to_string(q->length) + " ";
    return s;
}

// The whole command on threads: the quadrilaterals the filter and the sort
// keep, with their indexes, are made from the unsorted list beside the
// vector graph, and the list is then filtered and sorted by what was found;
// same arcs, beeps, log and quadrilaterals as on one thread, also when
// Nb_quads says fewer than the list holds (the filter may then leave none).
TEST_F(Index, CommandOnThreadsAsOnOneThread)
{
    int arcs = 0;
    for (int essai = 0; essai < 12; essai++) {
        const int dq = std::vector<int>{0, 5, 30}[essai % 3];
        Parametres({{"distZI", std::to_string(dq)}, {"distZI_Vect", "10"},
                    {"Seuil_LgQ", std::vector<std::string>{"0", "5", "25"}[essai < 9 ? essai / 3 : essai % 3]}});
        auto commande = [&](int fils) {
            std::mt19937 rng(100 + essai);
            Remise_a_zero();
            Primitives_aleatoires(rng, dq, 10, essai % 4 == 3);
            if (essai >= 9) Nb_quads = essai - 9;  // out of step with the list
            Efface_texte();
            fe.bips_fin = 0;
            Graphe_fils = fils;
            Commande_graphe();
            return Resultat{Arcs(), fe.bips_fin, Texte_log() + "\n" + Quads_restants()};
        };
        const Resultat un = commande(1);
        for (const int fils : {2, 4}) {
            const Resultat r = commande(fils);
            ASSERT_EQ(r.arcs, un.arcs) << "essai " << essai << ", " << fils << " threads";
            ASSERT_EQ(r.bips, un.bips) << "essai " << essai << ", " << fils << " threads";
            ASSERT_EQ(r.log, un.log) << "essai " << essai << ", " << fils << " threads";
        }
        arcs += static_cast<int>(un.arcs.size());
    }
    EXPECT_GT(arcs, 1000);
}

// The zone test in integers gives the parity and crossing tests' answer,
// ends on the parity rays through the corners and far coordinates included.
TEST_F(Index, ZoneTestAnswersAsTheParityAndCrossingTests)
{
    std::mt19937 rng(3);
    auto u = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    int dedans = 0;
    for (int i = 0; i < 20000; i++) {
        const int echelle = i % 10 == 0 ? 1 << 23 : 300;
        const Zone z = Zone_influence(u(0, echelle), u(0, echelle), u(0, echelle), u(0, echelle), u(-5, 60));
        int v[4] = {u(-echelle, echelle), u(-echelle, echelle), u(-echelle, echelle), u(-echelle, echelle)};
        if (i % 3 == 0) {  // an end beyond a corner, on the ray from the far point
            const int k = u(0, 3), m = u(2, 3);
            v[0] = -1000 + m * (z.x[k] + 1000), v[1] = -1000 + m * (z.y[k] + 1000);
        } else if (i % 3 == 1) {  // a point element on the outline: a corner or a lattice point of a side
            const int k = u(0, 3), l = (k + 1) & 3;
            const int dx = z.x[l] - z.x[k], dy = z.y[l] - z.y[k], g = std::gcd(dx, dy);
            const int j = g > 1 ? u(1, g - 1) : 0;
            v[0] = v[2] = z.x[k] + (g ? dx / g * j : 0);
            v[1] = v[3] = z.y[k] + (g ? dy / g * j : 0);
        }
        int attendu = Point_dans_quad(v[0], v[1], z.x[0], z.y[0], z.x[1], z.y[1], z.x[2], z.y[2], z.x[3], z.y[3])
                      | Point_dans_quad(v[2], v[3], z.x[0], z.y[0], z.x[1], z.y[1], z.x[2], z.y[2], z.x[3], z.y[3]);
        for (int k = 0; k < 4; k++) {
            int xr, yr;
            attendu |= Intersection_segments(v[0], v[1], v[2], v[3], z.x[k], z.y[k], z.x[(k + 1) & 3],
                                             z.y[(k + 1) & 3], xr, yr);
        }
        ASSERT_EQ(Dans_zone(z, v[0], v[1], v[2], v[3]), attendu) << i;
        dedans += attendu;
    }
    EXPECT_GT(dedans, 2000);
}

TEST_F(Index, SameStepByStepLogAsTheLiteralScan)
{
    std::mt19937 rng(7);
    Parametres({{"distZI", "8"}, {"distZI_Vect", "6"}});
    Primitives_aleatoires(rng, 8, 6);
    Mode_trace = 1;
    const Resultat direct = Construit(fe, true);
    const int pauses = fe.pauses;
    const Resultat index = Construit(fe, false);
    EXPECT_EQ(index.log, direct.log);
    EXPECT_EQ(fe.pauses, 2 * pauses);
    EXPECT_GT(pauses, 0);
}

// Drawings of the corpus, once the vectorisation gives them primitives.
TEST_F(Index, SameArcsAsTheLiteralScanOnDrawings)
{
    const std::filesystem::path dossier = TM_TEST_DATA;
    int dessins = 0;
    for (const char* nom : {"bath_plan.bmp", "relay_logic.bmp"}) {
        const auto chemin = dossier / nom;
        if (!std::filesystem::exists(chemin)) continue;
        Remise_a_zero();
        Open(chemin.string());
        Commande_vectorisation();
        if (!Liste_vecteurs) continue;  // vectorisation not there yet
        dessins++;
        Commande_graphe();
        const Resultat direct = Construit(fe, true);
        EXPECT_GT(direct.arcs.size(), 20u) << nom;
        for (const int fils : {2, 4}) {
            const Resultat index = Construit(fe, false, fils);
            EXPECT_EQ(index.arcs, direct.arcs) << nom << ", " << fils << " threads";
            EXPECT_EQ(index.bips, direct.bips) << nom << ", " << fils << " threads";
            EXPECT_EQ(index.log, direct.log) << nom << ", " << fils << " threads";
        }
    }
    if (dessins == 0) GTEST_SKIP() << "no vectorised drawing";
}

// Timing of the graph command, index against literal scan:
// test_graph --gtest_also_run_disabled_tests --gtest_filter='*Chrono*'
// with TM_GRAPHE_IMAGE naming a drawing (else a synthetic page).
TEST_F(Index, DISABLED_ChronoCommandeGraphe)
{
    // The whole command, after a first run has filtered and sorted the lists.
    auto une_fois = [&](bool direct) {
        Graphe_recherche_directe = direct;
        const auto t0 = std::chrono::steady_clock::now();
        Commande_graphe();
        const auto t1 = std::chrono::steady_clock::now();
        Graphe_recherche_directe = false;
        return std::chrono::duration<double>(t1 - t0).count();
    };
    if (const char* image = std::getenv("TM_GRAPHE_IMAGE")) {
        Open(image);
        Commande_vectorisation();
    } else {
        std::mt19937 rng(3);
        auto u = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
        Image_blanche(3000, 2000);
        Vecteur* fv = nullptr;
        Quad* fq = nullptr;
        for (int i = 0; i < 12000; i++) {
            auto* v = new Vecteur;
            v->xi = u(0, 3000), v->yi = u(0, 2000);
            v->xf = v->xi + u(-40, 40), v->yf = v->yi + u(-40, 40);
            v->length = Longueur_vecteur(v->xi, v->yi, v->xf, v->yf);
            v->angle = Angle_vecteur(v->xi, v->yi, v->xf, v->yf);
            fv = Ajoute_en_queue(Liste_vecteurs, fv, v);
        }
        for (int i = 0; i < 4000; i++) {
            auto* q = new Quad;
            q->x1i = u(0, 3000), q->y1i = u(0, 2000);
            q->x1f = q->x1i + u(-60, 60), q->y1f = q->y1i + u(-60, 60);
            q->x2i = q->x1f + 4, q->y2i = q->y1f + 4, q->x2f = q->x1i + 4, q->y2f = q->y1i + 4;
            q->angle1 = q->angle2 = Angle_vecteur(q->x1i, q->y1i, q->x1f, q->y1f);
            q->length = Longueur_vecteur(q->x1i, q->y1i, q->x1f, q->y1f);
            fq = Ajoute_en_queue(Liste_quads, fq, q);
        }
        Nb_quads = 4000;
    }
    Commande_graphe();
    std::printf("%d vectors, %d quads, %d+%d+%d arcs\n", Compte_liste(Liste_vecteurs), Nb_quads,
                Compte_liste(Liste_arcs_VV), Compte_liste(Liste_arcs_QQ), Compte_liste(Liste_arcs_QV));
    const double ti = une_fois(false);
    const auto arcs = Arcs();
    const double td = une_fois(true);
    EXPECT_EQ(Arcs(), arcs);
    std::printf("Commande_graphe: index %.3f s, literal scan %.3f s\n", ti, td);
}
