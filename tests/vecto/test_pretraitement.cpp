#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "port/shell.h"
#include "image/chargement.h"
#include "image/fils.h"
#include "image/planes.h"
#include "tests/support/support.h"
#include "vecto/pretraitement.h"
#include "vecto/vectorisation.h"

using namespace tmtest;
namespace fs = std::filesystem;

namespace {

// ---- Straightforward per-pixel definitions of the passes ------------------

void Ref_boucle(int limite, const std::function<void()>& calcule)
{
    const int W = Plan1.larg, H = Plan1.haut;
    for (int passe = 0; passe < limite; passe++) {
        calcule();
        bool change = false;
        for (int y = 1; y < H - 1; y++)
            for (int x = 1; x < W - 1; x++)
                if (Lit_pixel(x, y, Plan1) != Lit_pixel(x, y, Plan2)) change = true;
        for (int y = 1; y < H - 1; y++)
            for (int x = 1; x < W - 1; x++) Ecrit_pixel(x, y, Lit_pixel(x, y, Plan2), Plan1);
        if (!change) break;
    }
}

void Ref_lissage()
{
    Ref_boucle(10, [] {
        for (int y = 1; y < Plan1.haut - 1; y++)
            for (int x = 1; x < Plan1.larg - 1; x++) {
                const int n = Lit_pixel(x - 1, y, Plan1) + Lit_pixel(x + 1, y, Plan1) + Lit_pixel(x, y - 1, Plan1) +
                              Lit_pixel(x, y + 1, Plan1);
                const int v = Lit_pixel(x, y, Plan1) ? n >= 2 : n >= 3;
                Ecrit_pixel(x, y, v, Plan2);
            }
    });
}

void Ref_dilatation()
{
    Ref_boucle(3, [] {
        for (int y = 1; y < Plan1.haut - 1; y++)
            for (int x = 1; x < Plan1.larg - 1; x++)
                if (Lit_pixel(x, y, Plan1))
                    for (int dy = -1; dy <= 1; dy++)
                        for (int dx = -1; dx <= 1; dx++) Ecrit_pixel(x + dx, y + dy, 1, Plan2);
    });
}

void Ref_erosion()
{
    Ref_boucle(3, [] {
        for (int y = 1; y < Plan1.haut - 1; y++)
            for (int x = 1; x < Plan1.larg - 1; x++) {
                int v = 1;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) v &= Lit_pixel(x + dx, y + dy, Plan1);
                Ecrit_pixel(x, y, v, Plan2);
            }
    });
}

// Force 3 pixel by pixel: on a noisy picture the lone specks go, then the
// row and column gaps are bridged, each step reading the picture before it;
// then the smoothing.
void Ref_nettoyage()
{
    auto p = [](int x, int y) { return Lit_pixel(x, y, Plan1); };
    auto seul = [&](int x, int y) { return p(x, y) && !p(x - 1, y - 1) && !p(x, y - 1) && !p(x + 1, y - 1) &&
                                           !p(x - 1, y) && !p(x + 1, y) && !p(x - 1, y + 1) && !p(x, y + 1) && !p(x + 1, y + 1); };
    Bruit_page b;
    std::vector<std::pair<int, int>> points, ponts;
    for (int y = 1; y < Plan1.haut - 1; y++)
        for (int x = 1; x < Plan1.larg - 1; x++) {
            b.encre += p(x, y);
            b.trous += !p(x, y) && p(x - 1, y) && p(x + 1, y) && p(x, y - 1) && p(x, y + 1);
            if (seul(x, y)) points.push_back({x, y});
        }
    b.points = static_cast<int64_t>(points.size());
    const int ecart = Ecart_nettoyage(b);
    if (ecart > 0) {
        for (auto [x, y] : points) Ecrit_pixel(x, y, 0, Plan1);
        for (int y = 1; y < Plan1.haut - 1; y++)
            for (int x = 1; x < Plan1.larg - 1; x++)
                for (int i = 1; i <= ecart; i++)
                    for (int j = 1; i + j <= ecart + 1; j++)
                        if ((p(x - i, y) && p(x + j, y)) || (p(x, y - i) && p(x, y + j))) ponts.push_back({x, y});
        for (auto [x, y] : ponts) Ecrit_pixel(x, y, 1, Plan1);
    }
    Ref_lissage();
}

// Planes of w x h with `extra` bytes of padding beyond the last pixel's byte
// (so rows of any length, not only multiples of 4), random bytes everywhere
// (padding and the never-addressable row included), ink density `p`.
void Planes_aleatoires(std::mt19937& rng, int w, int h, int extra, double p, bool blobs)
{
    Image_blanche(w, h);
    const int octets = (w + 7) / 8 + extra;
    for (PlanImage* pl : {&Plan1, &Plan2}) {
        pl->octets = octets;
        pl->pixels.assign(static_cast<size_t>(octets) * h, 0);
        for (auto& o : pl->pixels) o = static_cast<uint8_t>(rng());
    }
    Octets_ligne = octets;
    std::bernoulli_distribution noir(p);
    for (int y = 0; y <= h; y++)
        for (int x = 0; x < w; x++) Ecrit_pixel(x, y, noir(rng) ? 1 : 0, Plan1);
    if (blobs) {
        std::uniform_int_distribution<int> px(0, w), py(0, h), taille(0, 6);
        for (int i = 0; i < (w * h) / 40 + 1; i++) {
            const int x0 = px(rng), y0 = py(rng), tx = taille(rng), ty = taille(rng), v = i % 3 ? 1 : 0;
            for (int y = y0; y <= y0 + ty; y++)
                for (int x = x0; x <= x0 + tx; x++) Ecrit_pixel(x, y, v, Plan1);
        }
    }
}

// The picture at (2, 2) of an image two pixels wider on each side, so that
// none of it lies on the border; Encadre gives the matching Plan_en_texte.
void Place_au_centre(const std::vector<std::string>& lignes)
{
    Image_blanche(static_cast<int>(lignes[0].size()) + 4, static_cast<int>(lignes.size()) + 4);
    for (int r = 0; r < static_cast<int>(lignes.size()); r++)
        for (int x = 0; x < static_cast<int>(lignes[r].size()); x++)
            if (lignes[r][x] == '#') Ecrit_pixel(x + 2, r + 2, 1, Plan1);
}

std::string Encadre(const std::vector<std::string>& lignes)
{
    const std::string blanc(lignes[0].size() + 3, '.');
    std::string s = blanc + "\n";
    for (const auto& l : lignes) s += "." + l + "..\n";
    return s + blanc + "\n" + blanc + "\n";
}

class Pretraitement_test : public Environnement {};

}  // namespace

// Word-parallel passes against the per-pixel definitions, byte for byte on
// both planes, on odd sizes, tiny images and random padding.
TEST_F(Pretraitement_test, PassesIdentiquesALaDefinitionPixelParPixel)
{
    struct Taille { int w, h, extra; };
    const std::vector<Taille> tailles = {{1, 1, 0}, {2, 4, 1}, {3, 3, 0}, {3, 3, 3}, {4, 2, 0},  {13, 7, 0},
                                         {13, 7, 2}, {8, 9, 0}, {17, 5, 0}, {31, 12, 1}, {32, 6, 0}, {33, 8, 5},
                                         {63, 9, 0}, {64, 9, 0}, {65, 10, 3}, {127, 6, 1}, {129, 21, 0}, {200, 37, 4}};
    struct Passe { const char* nom; void (*rapide)(); void (*ref)(); };
    const std::vector<Passe> passes = {
        {"Lissage", Lissage, Ref_lissage},
        {"Dilatation", Dilatation, Ref_dilatation},
        {"Erosion", Erosion, Ref_erosion},
        {"Pretraitement 2", [] { Pretraitement(2); }, [] { Ref_lissage(); Ref_dilatation(); Ref_erosion(); }},
        {"Pretraitement 3", [] { Pretraitement(3); }, Ref_nettoyage},
    };
    std::mt19937 rng(12345);
    std::set<int> ecarts;  // the adaptive cleaning's three cases all met
    for (const auto& t : tailles)
        for (const auto& passe : passes)
            for (double p : {0.005, 0.1, 0.5, 0.85})
                for (bool blobs : {false, true}) {
                    Planes_aleatoires(rng, t.w, t.h, t.extra, p, blobs);
                    if (passe.ref == Ref_nettoyage) ecarts.insert(Ecart_nettoyage(Mesure_bruit()));
                    const auto p1 = Plan1.pixels, p2 = Plan2.pixels;
                    passe.rapide();
                    const auto r1 = Plan1.pixels, r2 = Plan2.pixels;
                    Plan1.pixels = p1;
                    Plan2.pixels = p2;
                    passe.ref();
                    SCOPED_TRACE(std::string(passe.nom) + " " + std::to_string(t.w) + "x" + std::to_string(t.h) +
                                 "+" + std::to_string(t.extra) + " p=" + std::to_string(p) + (blobs ? " blobs" : ""));
                    ASSERT_EQ(r1, Plan1.pixels);
                    ASSERT_EQ(r2, Plan2.pixels);
                }    EXPECT_EQ((std::set<int>{0, 1, 2}), ecarts);
}

TEST_F(Pretraitement_test, LissageCasTypes)
{
    struct Cas { const char* nom; std::vector<std::string> avant, apres; };
    const std::vector<Cas> cas = {
        {"isolated pixel", {".....", "..#..", "....."}, {".....", ".....", "....."}},
        {"filled hole", {"#####", "##.##", "#####"}, {"#####", "#####", "#####"}},
        // Ends lost at every pass: length 3 is gone after two passes.
        {"line of 3", {".......", "..###..", "......."}, {".......", ".......", "......."}},
        {"line of 9", {"...........", ".#########.", "..........."}, {"...........", "...........", "..........."}},
        {"stable block", {"......", ".####.", ".####.", "......"}, {"......", ".####.", ".####.", "......"}},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        Place_au_centre(c.avant);
        Lissage();
        EXPECT_EQ(Encadre(c.apres), Plan_en_texte(Plan1));
        // Plan2 ends holding the same interior as Plan1.
        for (int y = 1; y < Plan1.haut - 1; y++)
            for (int x = 1; x < Plan1.larg - 1; x++) EXPECT_EQ(Lit_pixel(x, y, Plan1), Lit_pixel(x, y, Plan2));
    }
}

// Two 3-pixel-thick strokes: a closing joins a 6-column gap, not a 7-column one.
TEST_F(Pretraitement_test, FermetureJointLesTrousDeSixColonnes)
{
    for (int trou : {6, 7}) {
        SCOPED_TRACE(trou);
        Image_blanche(70, 20);
        Rectangle_noir(Plan1, 5, 8, 20, 10);
        Rectangle_noir(Plan1, 21 + trou, 8, 50, 10);
        Pretraitement(2);
        int blancs = 0;
        for (int x = 21; x < 21 + trou; x++) blancs += 1 - Lit_pixel(x, 9, Plan1);
        EXPECT_EQ(trou == 6 ? 0 : trou, blancs);
        // The strokes themselves come back to their 3 rows.
        EXPECT_EQ(0, Lit_pixel(12, 7, Plan1));
        EXPECT_EQ(0, Lit_pixel(12, 11, Plan1));
        EXPECT_EQ(1, Lit_pixel(5, 8, Plan1));
    }
    // Force 1: smoothing only, the gap stays.
    Image_blanche(70, 20);
    Rectangle_noir(Plan1, 5, 8, 20, 10);
    Rectangle_noir(Plan1, 27, 8, 50, 10);
    Pretraitement(1);
    EXPECT_EQ(0, Lit_pixel(23, 9, Plan1));
}

// The last column and the bottom row are read as neighbours but never
// changed; column 0 and the bottom buffer row are not even addressable.
TEST_F(Pretraitement_test, BordDePlan1JamaisModifie)
{
    for (int force : {0, 2}) {
        SCOPED_TRACE(force);
        Image_blanche(23, 11);
        for (auto& o : Plan1.pixels) o = 0;  // all black, padding included
        Ecrit_pixel(22, 5, 0, Plan1);         // white notches in the border
        Ecrit_pixel(9, 10, 0, Plan1);
        Ecrit_pixel(22, 1, 0, Plan1);
        Rectangle_noir(Plan2, 1, 1, 22, 10);
        auto bord = [] {
            std::string s;
            for (int y = 1; y < Plan1.haut; y++) s += Lit_pixel(Plan1.larg - 1, y, Plan1) ? '#' : '.';
            for (int x = 1; x < Plan1.larg; x++) s += Lit_pixel(x, Plan1.haut - 1, Plan1) ? '#' : '.';
            for (int y = 1; y <= Plan1.haut; y++) s += (Ligne_plan(Plan1, y)[0] & 0x80) ? 'w' : 'b';  // column 0
            for (int i = 0; i < Plan1.octets; i++) s += std::to_string(Plan1.pixels[i]);             // bottom buffer row
            return s;
        };
        const std::string avant = bord();
        Pretraitement(force);
        EXPECT_EQ(avant, bord());
        EXPECT_EQ(force ? 0 : 1, Lit_pixel(1, 5, Plan1));  // erosion sees the white column 0
    }
}

TEST_F(Pretraitement_test, CommandeLitForceMorpho)
{
    // Without an image: only the end beep.
    Commande_pretraitement();
    EXPECT_EQ(1, fe.bips_fin);
    EXPECT_TRUE(fe.boites.empty());

    Parametres({{"Force_morpho", "1.9"}});  // truncated to 1: no closing
    Image_blanche(70, 20);
    Rectangle_noir(Plan1, 5, 8, 20, 10);
    Rectangle_noir(Plan1, 27, 8, 50, 10);
    Commande_pretraitement();
    EXPECT_EQ(0, Lit_pixel(23, 9, Plan1));
    EXPECT_EQ("", Texte_log());
    Parametres({{"Force_morpho", "2"}});
    Commande_pretraitement();
    EXPECT_EQ(1, Lit_pixel(23, 9, Plan1));
    EXPECT_EQ(3, fe.bips_fin);
}

// Force 3 on a corpus page: clean, its result files are force 1's byte for
// byte; with the noise of a scanner (pixels flipped along the stroke edges,
// pinholes in the strokes, specks on the paper) it is cleaned, and much less
// of the clean page's ink is missing than after smoothing alone.
TEST_F(Pretraitement_test, NettoyageAdaptatifSurUnePageDuCorpus)
{
    const fs::path page = fs::path(TM_TEST_DATA) / "page_1.bmp";
    fs::copy_file(page, dir / "page_1.bmp");
    std::string resultats[2];
    for (int i = 0; i < 2; i++) {
        Parametres({{"Force_morpho", i ? "3" : "1"}});
        const Execution r = Lance_tracemorph(dir, {"-q", "page_1.bmp"});
        ASSERT_EQ(0, r.statut) << r.erreurs;
        resultats[i] = Lit_texte(dir / "Rlignaxe.dat") + Lit_texte(dir / "Rlignaxe.gxl");
    }
    EXPECT_GT(resultats[0].size(), 1000u);
    EXPECT_EQ(resultats[0], resultats[1]);

    ASSERT_EQ(1, Charge_Img(page.string()));
    EXPECT_EQ(0, Ecart_nettoyage(Mesure_bruit()));
    Pretraitement(1);
    const PlanImage lisse = Plan1;
    ASSERT_EQ(1, Charge_Img(page.string()));
    const PlanImage propre = Plan1;
    std::mt19937 rng(2026);
    std::uniform_real_distribution<double> u(0, 1);
    for (int y = 1; y < Plan1.haut; y++)
        for (int x = 1; x < Plan1.larg; x++) {
            const int v = Lit_pixel(x, y, propre), n4 = Lit_pixel(x - 1, y, propre) + Lit_pixel(x + 1, y, propre) +
                                                        Lit_pixel(x, y - 1, propre) + Lit_pixel(x, y + 1, propre);
            if (u(rng) < ((v && n4 == 4) ? 0.01 : (v || n4) ? 0.15 : 0.0008)) Ecrit_pixel(x, y, 1 - v, Plan1);
        }
    const PlanImage bruitee = Plan1;
    EXPECT_EQ(1, Ecart_nettoyage(Mesure_bruit()));
    int manque[2] = {0, 0};
    for (int i = 0; i < 2; i++) {
        Plan1 = bruitee;
        Pretraitement(i ? 3 : 1);
        for (int y = 1; y < Plan1.haut; y++)
            for (int x = 1; x < Plan1.larg; x++) manque[i] += Lit_pixel(x, y, lisse) && !Lit_pixel(x, y, Plan1);
    }
    EXPECT_LT(manque[1] * 3, manque[0] * 2) << manque[1] << " ink pixels missing after cleaning, " << manque[0] << " after smoothing";
}

// The preprocessing by strips of rows on 2 and 4 threads leaves both planes
// as one thread does, at every force: pictures of fewer rows than threads,
// odd heights, words cut at the row's end, and noise (specks, pinholes,
// gaps) lying across the strips' boundaries.
TEST_F(Pretraitement_test, BandesIdentiquesAUnFil)
{
    struct Taille { int w, h, extra; };
    const std::vector<Taille> tailles = {{9, 3, 0},   {40, 4, 1},  {70, 5, 0},  {65, 6, 2},
                                         {130, 7, 0}, {77, 33, 3}, {200, 61, 0}, {129, 100, 1}};
    std::mt19937 rng(4242);
    std::set<int> ecarts;
    for (const auto& t : tailles)
        for (int motif = 0; motif < 3; motif++)
            for (int force : {1, 2, 3}) {
                // 0: dense blobs; 1: sparse strokes with scanner noise all
                // over; 2: a clean picture with a noisy band over the middle
                // rows, where the strips meet.
                Planes_aleatoires(rng, t.w, t.h, t.extra, motif == 0 ? 0.3 : 0.0, motif == 0);
                std::bernoulli_distribution bruit(motif == 1 ? 0.04 : 0.2);
                for (int y = 1; y < t.h - 1; y++) {
                    if (motif == 2 && std::abs(y - t.h / 2) > 2) continue;
                    if (motif > 0 && y % 5 == 2) Rectangle_noir(Plan1, 2, y, t.w - 3, y);
                    for (int x = 1; x < t.w - 1; x++)
                        if (motif > 0 && bruit(rng)) Ecrit_pixel(x, y, 1 - Lit_pixel(x, y, Plan1), Plan1);
                }
                if (force == 3) ecarts.insert(Ecart_nettoyage(Mesure_bruit()));
                const auto p1 = Plan1.pixels, p2 = Plan2.pixels;
                std::vector<uint8_t> un_fil[2];
                for (int fils : {1, 2, 4}) {
                    SCOPED_TRACE(std::to_string(t.w) + "x" + std::to_string(t.h) + " motif " + std::to_string(motif) +
                                 " force " + std::to_string(force) + " threads " + std::to_string(fils));
                    Plan1.pixels = p1;
                    Plan2.pixels = p2;
                    Fils_analyse = fils;
                    Pretraitement(force);
                    Fils_analyse = 0;
                    if (fils == 1) {
                        un_fil[0] = Plan1.pixels;
                        un_fil[1] = Plan2.pixels;
                        continue;
                    }
                    ASSERT_EQ(un_fil[0], Plan1.pixels);
                    ASSERT_EQ(un_fil[1], Plan2.pixels);
                }
            }
    EXPECT_EQ((std::set<int>{0, 1, 2}), ecarts);
}
