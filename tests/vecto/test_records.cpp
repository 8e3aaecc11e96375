// Primitive lists: removal and sorting by length, list clearing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <random>
#include <vector>

#include "port/shell.h"
#include "tests/support/support.h"
#include "vecto/arcs.h"
#include "vecto/records.h"

using namespace tmtest;

namespace {
Vecteur* Vect(int length, int numero)
{
    auto* v = new Vecteur;
    v->length = length;
    v->numero = numero;
    return v;
}
void Pose_vecteurs(const std::vector<int>& longueurs)
{
    Vecteur* queue = nullptr;
    int n = 0;
    for (int l : longueurs) queue = Ajoute_en_queue(Liste_vecteurs, queue, Vect(l, n++));
}
std::vector<std::pair<int, int>> Contenu()
{
    std::vector<std::pair<int, int>> r;
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) r.emplace_back(v->length, v->numero);
    return r;
}
// The selection sort that the ordering must match.
std::vector<std::pair<int, int>> Tri_selection(std::vector<std::pair<int, int>> src)
{
    std::vector<std::pair<int, int>> sans_zero, r;
    for (auto p : src)
        if (p.first != 0) sans_zero.push_back(p);
    while (!sans_zero.empty()) {
        size_t meilleur = 0;
        int best = 0;
        for (size_t i = 0; i < sans_zero.size(); i++)
            if (sans_zero[i].first > best) best = sans_zero[i].first, meilleur = i;
        r.push_back(sans_zero[meilleur]);
        sans_zero.erase(sans_zero.begin() + static_cast<long>(meilleur));
    }
    return r;
}
}  // namespace

class Listes : public Environnement {};

TEST_F(Listes, SortingMatchesTheSelectionSortOnRandomLists)
{
    std::mt19937 rng(7);
    for (int essai = 0; essai < 50; essai++) {
        std::vector<int> l(rng() % 40);
        for (int& x : l) x = static_cast<int>(rng() % 6);  // many ties and zeros
        Pose_vecteurs(l);
        const auto attendu = Tri_selection(Contenu());
        Tri_vecteurs();
        EXPECT_EQ(Contenu(), attendu);
        Remise_a_zero();
    }
}

TEST_F(Listes, VectorSortLogsEvenForAnEmptyList)
{
    EXPECT_EQ(Tri_vecteurs(), 1);
    EXPECT_EQ(Texte_log(), "\n - Tri Vecteur (selon lg).\n - Tri termine");
    Pose_vecteurs({0, 0, 0});
    Tri_vecteurs();
    EXPECT_EQ(Liste_vecteurs, nullptr);
}

TEST_F(Listes, QuadSortNeedsACount)
{
    Liste_quads = new Quad;
    Liste_quads->length = 3;
    Liste_quads->suivant = new Quad;  // a separator
    Liste_quads->suivant->suivant = new Quad;
    Liste_quads->suivant->suivant->length = 9;
    EXPECT_EQ(Tri_quads(), 0);  // Nb_quads is 0: nothing happens
    EXPECT_EQ(Texte_log(), "");
    EXPECT_EQ(Compte_liste(Liste_quads), 3);
    Nb_quads = 3;
    EXPECT_EQ(Tri_quads(), 1);
    EXPECT_EQ(Texte_log(), "\n - Tri Quads (selon lg).\n - Tri termine");
    EXPECT_EQ(Nb_quads, 2);
    EXPECT_EQ(Liste_quads->length, 9);
    EXPECT_EQ(Liste_quads->suivant->length, 3);
}

TEST_F(Listes, ShortQuadsAreRemovedBelowTheThreshold)
{
    Quad* queue = nullptr;
    for (int l : {4, 5, 2, 7}) {
        auto* q = new Quad;
        q->length = l;
        queue = Ajoute_en_queue(Liste_quads, queue, q);
    }
    Nb_quads = 4;
    Supprime_quads_courts(5);
    EXPECT_EQ(Nb_quads, 2);
    EXPECT_EQ(Liste_quads->length, 5);
    EXPECT_EQ(Liste_quads->suivant->length, 7);
    Supprime_quads_courts(-255);  // a missing parameter removes nothing
    EXPECT_EQ(Nb_quads, 2);
}

TEST_F(Listes, ClearingCountsAndResetsTheQuadCount)
{
    Quad* queue = nullptr;
    for (int i = 0; i < 3; i++) queue = Ajoute_en_queue(Liste_quads, queue, new Quad);
    Nb_quads = 3;
    Raz_quads(Liste_quads);
    Liste_quads = nullptr;
    EXPECT_EQ(Texte_log(), "\n Raz quadr. :  3 ");
    EXPECT_EQ(Nb_quads, 0);
    Raz_vecteurs(nullptr);
    EXPECT_EQ(Texte_log(), "\n Raz quadr. :  3 \n Raz vecteurs :  0 ");
}

TEST_F(Listes, NewRecordsStartClean)
{
    Quad q;
    EXPECT_EQ(q.score, 0.0);
    EXPECT_EQ(q.suivant, nullptr);
    EXPECT_EQ(q.precedent, nullptr);
    ArcQQ a;
    EXPECT_EQ(a.score, 0.0);
    q.thickness1 = static_cast<uint8_t>(256 + 9);  // low 8 bits kept
    EXPECT_EQ(q.thickness1, 9);
}

// Records come from per-type pools: across several blocks, with frees in
// random order and reuse, no two live records may share bytes, each stays
// aligned for its type, a reused record starts clean, and the nothrow form
// goes through the same pool.
TEST(Reserves, LiveRecordsNeverOverlapThroughFreeAndReuse)
{
    std::mt19937 rng(3);
    std::vector<Quad*> vivants;
    for (int tour = 0; tour < 6; tour++) {
        for (int i = 0; i < 3000; i++) {
            Quad* q = (i % 2) ? new Quad : new (std::nothrow) Quad();
            ASSERT_NE(q, nullptr);
            ASSERT_EQ(reinterpret_cast<uintptr_t>(q) % alignof(Quad), 0u);
            EXPECT_EQ(q->length, 0);
            EXPECT_EQ(q->suivant, nullptr);
            q->x1i = static_cast<int32_t>(vivants.size());
            q->score = -1.5;
            q->length = 77;
            vivants.push_back(q);
        }
        std::shuffle(vivants.begin(), vivants.end(), rng);
        for (size_t i = 0; i < vivants.size() / 2; i++) delete vivants[i];
        vivants.erase(vivants.begin(), vivants.begin() + static_cast<long>(vivants.size() / 2));
        std::vector<Quad*> tries(vivants);
        std::sort(tries.begin(), tries.end(), [](Quad* a, Quad* b) { return std::less<Quad*>()(a, b); });
        for (size_t i = 1; i < tries.size(); i++)
            ASSERT_GE(reinterpret_cast<uintptr_t>(tries[i]) - reinterpret_cast<uintptr_t>(tries[i - 1]), sizeof(Quad));
        for (Quad* q : vivants) {
            ASSERT_EQ(q->length, 77);
            ASSERT_EQ(q->score, -1.5);
            q->x1i = 0;
        }
    }
    for (Quad* q : vivants) delete q;
    delete static_cast<Quad*>(nullptr);
}
