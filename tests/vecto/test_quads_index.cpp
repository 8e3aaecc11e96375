// The indexed quadrilateral construction and chaining against the literal
// scans they replace: same records, same order, same fields, same log; and
// the fusion passes with their segment tests remembered against without.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "port/shell.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "image/param.h"
#include "tests/support/support.h"
#include "vecto/contours.h"
#include "vecto/fusion_quads.h"
#include "vecto/geometrie.h"
#include "vecto/pretraitement.h"
#include "vecto/quads.h"
#include "vecto/records.h"

namespace {

using Cle_vecteur = std::tuple<int, int, int, int, int, int, int, int>;
using Cle_quad = std::tuple<int, int, int, int, int, int, int, int, int, int, int, int, double, int, int, int, int>;

std::vector<Cle_vecteur> Vecteurs()
{
    std::vector<Cle_vecteur> r;
    for (const Vecteur* v = Liste_vecteurs; v; v = v->suivant)
        r.emplace_back(v->xi, v->yi, v->xf, v->yf, v->length, v->etat, v->numero, v->angle);
    return r;
}

std::vector<Cle_quad> Quads()
{
    std::vector<Cle_quad> r;
    for (const Quad* q = Liste_quads; q; q = q->suivant)
        r.emplace_back(q->x1i, q->y1i, q->x1f, q->y1f, q->x2i, q->y2i, q->x2f, q->y2f, q->length, q->angle1, q->angle2,
                       q->numero, q->score, q->thickness1, q->thickness2, q->reserve, q->niveau);
    return r;
}

struct Etat {
    std::vector<Vecteur> vecteurs;
    std::vector<Quad> quads;
    int nb_quads = 0;
};

Etat Sauve()
{
    Etat e;
    for (const Vecteur* v = Liste_vecteurs; v; v = v->suivant) e.vecteurs.push_back(*v);
    for (const Quad* q = Liste_quads; q; q = q->suivant) e.quads.push_back(*q);
    e.nb_quads = Nb_quads;
    return e;
}

void Restaure(const Etat& e)
{
    Retire_si(Liste_vecteurs, [](const Vecteur&) { return true; });
    Retire_si(Liste_quads, [](const Quad&) { return true; });
    Vecteur* qv = nullptr;
    for (const Vecteur& v : e.vecteurs) qv = Ajoute_en_queue(Liste_vecteurs, qv, new Vecteur(v));
    Quad* qq = nullptr;
    for (const Quad& q : e.quads) qq = Ajoute_en_queue(Liste_quads, qq, new Quad(q));
    Nb_quads = e.nb_quads;
}

struct Resultat {
    std::vector<Cle_vecteur> vecteurs;
    std::vector<Cle_quad> quads;
    int nb_quads;
    std::string log;
    bool operator==(const Resultat&) const = default;
};

// Runs `f` from state `e` with an empty log and gathers what it leaves.
template <class F>
Resultat Depuis(const Etat& e, F f)
{
    Restaure(e);
    Efface_texte();
    f();
    return {Vecteurs(), Quads(), Nb_quads, Texte_log()};
}

// The fusion of the chained quadrilaterals now in the lists, with the memo
// kept over the passes and without one: same records, same count, same log.
// Leaves the lists as the fusion with the memo does.
int Nb_fusionnes = 0;
bool Fusions_egales(Memo_blancs& memo)
{
    const Etat chaine = Sauve();
    int sans_memo = 0;
    const Resultat sans = Depuis(chaine, [&] { sans_memo = Fusion_quads(); });
    const Resultat avec = Depuis(chaine, [&] { Nb_fusionnes = Fusion_quads(&memo); });
    return avec == sans && Nb_fusionnes == sans_memo;
}

int Tire(std::mt19937& g, int a, int b) { return a + static_cast<int>(g() % static_cast<unsigned>(b - a + 1)); }

void Ajoute_vecteur(int xi, int yi, int xf, int yf, int etat)
{
    Ajoute_en_queue(Liste_vecteurs, Dernier(Liste_vecteurs), tmtest::Nouveau_vecteur(xi, yi, xf, yf, etat));
}

class IndexQuads : public tmtest::Environnement {};

// Crowded random drawings: strokes whose borders are cut into pieces,
// stray vectors, degenerate and stale ones, equal lengths and distances,
// thresholds from the harmless to the odd.
TEST_F(IndexQuads, ConstructionCommeBalayageLitteral)
{
    std::mt19937 g(2024);
    int quads_vus = 0;
    for (int essai = 0; essai < 400; essai++) {
        const int w = Tire(g, 20, 90), h = Tire(g, 20, 90);
        const int E = std::vector<int>{-3, 0, 1, 4, 9, 20, 20, 30, 60, 251}[g() % 10];
        Parametres({{"Seuil_penteV", std::to_string(Tire(g, -2, 30))},
                    {"SeuilEpmax", std::to_string(E)},
                    {"LgMinQuad", std::to_string(Tire(g, -1, 12))}});
        tmtest::Remise_a_zero();
        tmtest::Image_blanche(w, h);
        Mode_trace = static_cast<int>(g() % 2);
        const int pas = Tire(g, 1, 4);  // coarse coordinates make ties
        auto X = [&] { return Tire(g, -2, w / pas + 1) * pas; };
        auto Y = [&] { return Tire(g, -2, h / pas + 1) * pas; };
        const int traits = Tire(g, 0, 12);
        for (int t = 0; t < traits; t++) {
            const int ax = X(), ay = Y(), ep = Tire(g, 1, 12);
            const bool horizontal = g() % 2;
            const int bx = horizontal ? X() : ax + Tire(g, -2, 2), by = horizontal ? ay + Tire(g, -2, 2) : Y();
            const int ox = horizontal ? 0 : ep, oy = horizontal ? ep : 0;
            if (g() % 4 != 0)
                tmtest::Rectangle_noir(Plan1, std::min(ax, bx), std::min(ay, by), std::max(ax, bx) + ox,
                                       std::max(ay, by) + oy);
            // One border forward, the other back, each in one to three pieces.
            for (int bord = 0; bord < 2; bord++) {
                int sx = bord ? bx + ox : ax, sy = bord ? by + oy : ay;
                const int ex = bord ? ax + ox : bx, ey = bord ? ay + oy : by;
                const int morceaux = Tire(g, 1, 3);
                for (int m = 1; m <= morceaux; m++) {
                    const int mx = sx + (ex - sx) * m / morceaux, my = sy + (ey - sy) * m / morceaux;
                    Ajoute_vecteur(sx, sy, mx, my, g() % 8 == 0 ? 1 : 0);
                    sx = mx;
                    sy = my;
                }
            }
        }
        const int parasites = Tire(g, 0, 40);
        for (int p = 0; p < parasites; p++) {
            const int etat = std::vector<int>{0, 0, 0, 1, 250, 7}[g() % 6];
            Ajoute_vecteur(X(), Y(), X(), Y(), etat);
            if (g() % 12 == 0) Dernier(Liste_vecteurs)->length = 0;  // stale length
        }
        for (int y = 1; y < h; y++)
            for (int x = 1; x < w; x++)
                if (g() % 9 == 0) Ecrit_pixel(x, y, g() % 2, Plan1);
        if (g() % 5 == 0) {  // records of an earlier run
            Quad* q = new Quad();
            q->length = 5;
            q->angle1 = 170;
            q->angle2 = 2;
            Liste_quads = q;
            Nb_quads = 1;
        }

        const Etat depart = Sauve();
        const Resultat indexe = Depuis(depart, [] { Construction_quads(); });
        const Resultat litteral = Depuis(depart, [] { Construction_quads_directe(); });
        ASSERT_EQ(indexe, litteral) << "essai " << essai;
        quads_vus += static_cast<int>(litteral.quads.size());
    }
    EXPECT_GT(quads_vus, 400);  // the drawings did pair
}

Quad* Ajoute_quad(std::mt19937& g, int etendue)
{
    Quad* q = new Quad();
    int* c[8] = {&q->x1i, &q->y1i, &q->x1f, &q->y1f, &q->x2i, &q->y2i, &q->x2f, &q->y2f};
    for (int* v : c) *v = Tire(g, -3, etendue);
    if (g() % 3 == 0) {  // sides of one stroke, facing
        q->x2f = q->x1i + Tire(g, -1, 1);
        q->y2f = q->y1i + Tire(g, 2, 6);
        q->x2i = q->x1f + Tire(g, -1, 1);
        q->y2i = q->y1f + Tire(g, 2, 6);
    }
    q->length = g() % 10 == 0 ? 0 : Tire(g, 1, 40);
    q->angle1 = g() % 25 == 0 ? Tire(g, -40, 400) : Tire(g, 0, 179);
    q->angle2 = g() % 3 == 0 ? q->angle1 : Tire(g, 0, 179);
    q->thickness1 = static_cast<uint8_t>(Tire(g, 1, 12));
    q->thickness2 = static_cast<uint8_t>(Tire(g, 1, 12));
    Ajoute_en_queue(Liste_quads, Dernier(Liste_quads), q);
    return q;
}

// Random quadrilaterals end to end or scattered, with ties, separators
// already in the list, odd angles and, now and then, corners so far apart
// that the sums pass the 2^31 - 1 cap. Then the whole chaining and fusion
// loop, each pass compared.
TEST_F(IndexQuads, ChainageCommeBalayageLitteral)
{
    std::mt19937 g(77);
    for (int essai = 0; essai < 400; essai++) {
        tmtest::Remise_a_zero();
        const bool loin = essai % 20 == 19;
        const int etendue = loin ? 40000 : Tire(g, 10, 900);
        const int w = Tire(g, 20, 120), h = Tire(g, 20, 120);
        tmtest::Image_blanche(w, h);
        for (int y = 1; y < h; y++)
            for (int x = 1; x < w; x++)
                if (g() % 4 != 0) Ecrit_pixel(x, y, 1, Plan1);
        const int n = loin ? Tire(g, 1, 8) : Tire(g, 0, 120);
        for (int i = 0; i < n; i++) {
            Quad* q = Ajoute_quad(g, etendue);
            if (g() % 15 == 0) {  // a separator
                Quad* suite = q->suivant;
                *q = Quad{0, 1, 0, 0, 0, 1, 0, 1};
                q->suivant = suite;
            }
        }
        Nb_quads = g() % 30 == 0 ? 0 : n;
        const int seuil = Tire(g, -5, 40);
        Parametres({{"EpsFQ", std::to_string(Tire(g, 0, 20))}, {"SeuilDiffEp", std::to_string(Tire(g, 1, 8))}});

        Etat etat = Sauve();
        Memo_blancs memo;
        for (int passe = 0; passe < 6; passe++) {
            const Resultat indexe = Depuis(etat, [&] { Chainage_quads(seuil); });
            const Resultat litteral = Depuis(etat, [&] { Chainage_quads_direct(seuil); });
            ASSERT_EQ(indexe, litteral) << "essai " << essai << " passe " << passe;
            if (!Fusions_egales(memo)) FAIL() << "essai " << essai << " passe " << passe;
            if (Nb_fusionnes == 0) break;
            etat = Sauve();
        }
    }
}

// Real drawings vectorised up to the construction, then the construction
// and every pass of the chaining by both ways.
TEST_F(IndexQuads, DessinsReels)
{
    for (const char* nom : {"bath_plan.bmp", "relay_logic.bmp"}) {
        tmtest::Remise_a_zero();
        Open(std::string(TM_TEST_DATA) + "/" + nom);
        ASSERT_NE(Plan_courant, nullptr) << nom;
        Pretraitement(Lit_param_entier("Force_morpho"));
        Efface_P2();
        Suivi_contours();
        while (Fusion_chaines() != 0) {
        }
        const int petite = Lit_param_entier("Seuil_petiteCC");
        Nettoyage_CC(petite, Lit_param_entier("Seuil_petitV"));

        const Etat depart = Sauve();
        const Resultat litteral = Depuis(depart, [] { Construction_quads_directe(); });
        const Resultat indexe = Depuis(depart, [] { Construction_quads(); });
        ASSERT_EQ(indexe, litteral) << nom;
        EXPECT_GT(litteral.quads.size(), 100u) << nom;

        const int seuil = Lit_param_entier("Seuil_penteTQ");
        Etat etat = Sauve();
        Memo_blancs memo;
        int passes = 0;
        for (;;) {
            const Resultat chaine_litteral = Depuis(etat, [&] { Chainage_quads_direct(seuil); });
            const Resultat chaine_indexe = Depuis(etat, [&] { Chainage_quads(seuil); });
            ASSERT_EQ(chaine_indexe, chaine_litteral) << nom << " passe " << passes;
            passes++;
            ASSERT_TRUE(Fusions_egales(memo)) << nom << " passe " << passes;
            if (Nb_fusionnes == 0) break;
            etat = Sauve();
        }
        EXPECT_GT(passes, 1) << nom;
        EXPECT_FALSE(memo.reponses.empty()) << nom;
    }
}

}  // namespace
