// The per-quadrilateral arc lists must give exactly what the literal scans
// of the whole arc list give: same loops, same regions, same files, same log.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "port/shell.h"
#include "graph/construction.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "spotting/boucles.h"
#include "spotting/incidence.h"
#include "spotting/regions.h"
#include "spotting/scores.h"
#include "spotting/spotting.h"
#include "spotting/symboles.h"
#include "tests/spotting/graphe_test.h"
#include "tests/support/support.h"
#include "vecto/vectorisation.h"

using namespace tmtest;
namespace fs = std::filesystem;

namespace {

class IndexSpotting : public Environnement {
protected:
    void TearDown() override
    {
        Spotting_recherche_directe = false;
        Incidence_courante = nullptr;
        Environnement::TearDown();
    }

    // Everything a spotting run leaves behind.
    struct Etat {
        std::string liste, ssg, log;
        std::vector<std::string> quads, arcs;
        std::vector<std::array<int, 5>> symboles;
        int pauses = 0, bips = 0;
        bool operator==(const Etat&) const = default;
    };
    Etat Releve()
    {
        Etat e;
        e.liste = Lit_texte(dir / "tmpsymb.gxl");
        e.ssg = Lit_texte(dir / "tests" / "ssg.gxl");
        e.log = Texte_log();
        char t[200];
        for (const Quad* q = Liste_quads; q; q = q->suivant) {
            std::snprintf(t, sizeof t, "%d %d %d %.17g %d %d", q->x1i, q->y2f, q->length, q->score, q->numero, q->niveau);
            e.quads.push_back(t);
        }
        for (const ArcQQ* a = Liste_arcs_QQ; a; a = a->suivant)
            e.arcs.push_back(a->type + std::to_string(Rang(Liste_quads, a->Q1)) + "-" + std::to_string(Rang(Liste_quads, a->Q2)));
        for (const Symbole* s = Liste_symboles; s; s = s->suivant)
            e.symboles.push_back({static_cast<int>(s->taille), s->points[0][0], s->points[0][1], s->points[2][0], s->points[2][1]});
        e.pauses = fe.pauses;
        e.bips = fe.bips_fin + fe.bips_courts;
        return e;
    }
};

int U(std::mt19937& rng, int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); }

// Closed polygons of strokes joined by corner arcs over inked ground (loops
// that validate, or fail on a gap), random strokes and random arcs of every
// type: duplicates either way round, self arcs, missing ends, dense clusters
// that fill the region arrays.
void Graphe_aleatoire(unsigned graine)
{
    std::mt19937 rng(graine);
    Image_blanche(400, 400);
    for (int k = U(rng, 0, 12); k > 0; k--) {
        const int x = U(rng, 0, 380), y = U(rng, 0, 380);
        Rectangle_noir(Plan1, x, y, x + U(rng, 0, 120), y + U(rng, 0, 120));
    }
    std::vector<Quad*> q;
    for (int p = U(rng, 0, 8); p > 0; p--) {
        const int cx = U(rng, 50, 350), cy = U(rng, 50, 350), r = U(rng, 10, 60), n = U(rng, 3, 9);
        std::vector<int> xs, ys;
        for (int i = 0; i < n; i++) {
            xs.push_back(cx + static_cast<int>(r * std::cos(6.2831853 * i / n)) + U(rng, -3, 3));
            ys.push_back(cy + static_cast<int>(r * std::sin(6.2831853 * i / n)) + U(rng, -3, 3));
        }
        const size_t debut = q.size();
        for (int i = 0; i < n; i++) q.push_back(Trait(xs[i], ys[i], xs[(i + 1) % n], ys[(i + 1) % n]));
        for (int i = 0; i < n; i++)
            Arc(q[debut + i], q[debut + (i + 1) % n], "LLLl_~"[U(rng, 0, 5)]);
    }
    for (int k = U(rng, 0, 150); k > 0; k--) {
        const int x = U(rng, -20, 420), y = U(rng, -20, 420);
        q.push_back(Trait(x, y, x + U(rng, -250, 250), y + U(rng, -80, 80), 0.0, U(rng, 0, 20) == 0 ? 0 : -1));
    }
    if (q.empty()) return;
    const int nq = static_cast<int>(q.size());
    const int na = U(rng, 0, 5 * nq);
    for (int k = 0; k < na; k++) {
        const int i = U(rng, 0, nq - 1);
        int j = U(rng, 0, 3) == 0 ? U(rng, 0, nq - 1) : (i + U(rng, -4, 4) + nq) % nq;
        if (U(rng, 0, 25) == 0) j = i;
        Quad* a = q[i];
        Quad* b = q[j];
        if (U(rng, 0, 40) == 0) (U(rng, 0, 1) ? a : b) = nullptr;
        if (U(rng, 0, 1)) std::swap(a, b);
        Arc(a, b, "LLLll_~PTXtS?"[U(rng, 0, 12)]);
    }
    // A dense cluster: more arcs than a region holds.
    if (U(rng, 0, 2) == 0) {
        const int base = U(rng, 0, nq - 1), m = std::min(nq, 35);
        for (int i = 0; i < m; i++)
            for (int j = i + 1; j < m; j++) Arc(q[(base + i) % nq], q[(base + j) % nq], 'P');
    }
}


// Whole runs from the same graph, then, on the graph the run left, every
// loop search (path, levels and back references left on every
// quadrilateral) and every region (its arrays in order) one by one.
TEST_F(IndexSpotting, SameResultsAsTheLiteralScansOnRandomGraphs)
{
    int symboles = 0, trouvees = 0, validees = 0, pleines = 0;
    for (unsigned essai = 0; essai < 40; essai++) {
        const char* seuils[] = {"2", "0.5", "0.3", "0", "0.65"};
        Parametres({{"Seuil_ScoreQ", seuils[essai % 5]}});
        Etat r[2];
        for (int direct = 0; direct < 2; direct++) {
            Remise_a_zero();
            fe = FrontendEnregistreur{};
            std::error_code ec;
            fs::remove_all(dir / "tests", ec);
            Mode_trace = essai % 7 == 3;
            Graphe_aleatoire(1000 + essai);
            Spotting_recherche_directe = direct == 1;
            LiaisonsB1Click();
            Spotting_recherche_directe = false;
            r[direct] = Releve();
        }
        ASSERT_TRUE(r[0] == r[1]) << "essai " << essai;
        symboles += static_cast<int>(r[0].symboles.size());

        Mode_trace = 0;
        IncidenceQQ index;
        index.Construit();
        auto marques = [] {
            std::vector<std::pair<int, const Quad*>> m;
            for (const Quad* q = Liste_quads; q; q = q->suivant) m.emplace_back(q->niveau, q->precedent);
            return m;
        };
        for (ArcQQ* A = Liste_arcs_QQ; A; A = A->suivant) {
            Quad* c[2][Taille_niveau];
            int n[2];
            std::vector<std::pair<int, const Quad*>> m[2];
            for (int direct = 0; direct < 2; direct++) {
                Spotting_recherche_directe = direct == 1;
                Incidence_courante = &index;
                n[direct] = Cherche_boucle(A, A->Q1, A->Q2, c[direct]);
                m[direct] = marques();
            }
            ASSERT_TRUE(n[0] == n[1] && std::equal(c[0], c[0] + Taille_niveau, c[1]) && m[0] == m[1]);
            trouvees += n[0] > 0;
            if (n[0] > 1) validees += Valide_boucle(c[0], n[0]);
        }
        const double seuil = 0.05 * (essai % 16);
        for (Quad* Q = Liste_quads; Q; Q = Q->suivant) {
            Region g[2];
            int bips[2];
            for (int direct = 0; direct < 2; direct++) {
                Spotting_recherche_directe = direct == 1;
                fe.bips_fin = 0;
                Enfile_unique(Q, g[direct]);
                while (Croissance_region(g[direct], seuil) != 0) {}
                bips[direct] = fe.bips_fin;
            }
            ASSERT_TRUE(std::equal(g[0].arcs, g[0].arcs + Taille_region, g[1].arcs)
                        && std::equal(g[0].membres, g[0].membres + Taille_region, g[1].membres)
                        && g[0].acount == g[1].acount && g[0].mcount == g[1].mcount && bips[0] == bips[1]);
            pleines += bips[0] > 0;
        }
        Incidence_courante = nullptr;
        Spotting_recherche_directe = false;
    }
    EXPECT_GT(symboles, 100);
    EXPECT_GT(trouvees, 50);
    EXPECT_GT(validees, 5);
    EXPECT_GT(pleines, 0);  // some regions overflow their arc array
}

TEST_F(IndexSpotting, SameRunAsTheLiteralScansOnDrawings)
{
    for (const char* seuil : {"2", "0.5"}) {
        Parametres({{"Seuil_ScoreQ", seuil}});
        for (const char* nom : {"bath_plan.bmp", "relay_logic.bmp"}) {
            Etat r[2];
            for (int direct = 0; direct < 2; direct++) {
                Remise_a_zero();
                fe = FrontendEnregistreur{};
                Open((fs::path(TM_TEST_DATA) / nom).string());
                Commande_vectorisation();
                Commande_graphe();
                Spotting_recherche_directe = direct == 1;
                LiaisonsB1Click();
                Spotting_recherche_directe = false;
                r[direct] = Releve();
            }
            EXPECT_GT(r[0].symboles.size(), 10u) << nom;
            EXPECT_TRUE(r[0] == r[1]) << nom << " at " << seuil;
        }
    }
}

// The ranks come in order of first insertion and stay put while the table
// grows far past the room it was cleared for; an address never inserted,
// even one next to inserted ones, has none.
TEST(RangsQuads, RanksSurviveGrowthAndAbsentAddressesHaveNone)
{
    std::vector<Quad> quads(5000);
    Rangs r;
    for (size_t prevus : {size_t(0), size_t(10), size_t(6000)}) {
        r.clear(prevus);
        for (size_t i = 0; i < quads.size(); i += 2) ASSERT_EQ(r.insere(&quads[i]), static_cast<int32_t>(i / 2));
        for (size_t i = 0; i < quads.size(); i += 2) ASSERT_EQ(r.insere(&quads[i]), static_cast<int32_t>(i / 2));
        EXPECT_EQ(r.size(), quads.size() / 2);
        for (size_t i = 0; i < quads.size(); i++)
            ASSERT_EQ(r.cherche(&quads[i]), i % 2 == 0 ? static_cast<int32_t>(i / 2) : -1) << i << " " << prevus;
    }
    Rangs vide;
    EXPECT_EQ(vide.cherche(&quads[0]), -1);
}


// The region's address sets against a plain set, through the churn of a full
// arc array (one taken out, one put in, many times over) and emptyings.
TEST(AdressesVues, FollowAPlainSetThroughChurnAndEmptying)
{
    std::vector<ArcQQ> arcs(3000);
    Adresses_vues<ArcQQ> vues;
    std::set<const ArcQQ*> reference;
    std::mt19937 rng(3);
    for (int tour = 0; tour < 4; tour++) {
        for (int op = 0; op < 20000; op++) {
            const ArcQQ* a = &arcs[rng() % arcs.size()];
            if (reference.count(a)) {
                if (rng() % 2) {
                    vues.Retire(a);
                    reference.erase(a);
                }
            } else if (reference.size() < static_cast<size_t>(Taille_region)) {
                vues.Ajoute(a);
                reference.insert(a);
            }
            const ArcQQ* b = &arcs[rng() % arcs.size()];
            ASSERT_EQ(vues.Contient(b), reference.count(b) == 1) << tour << " " << op;
        }
        for (const ArcQQ& a : arcs) ASSERT_EQ(vues.Contient(&a), reference.count(&a) == 1);
        vues.Vide();
        reference.clear();
        for (const ArcQQ& a : arcs) ASSERT_FALSE(vues.Contient(&a));
    }
}

}  // namespace
