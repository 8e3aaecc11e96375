// The second method's finder on small drawings made here: the pose of a
// model found at every quarter turn and mirror, a resistor between two wires
// found with its terminals, a plain model refused on a sheet of wires, the
// body crossed by a wire but not by a text, and the choice's boundaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "reco/reglages_modeles.h"
#include "spotting/choix.h"
#include "spotting/nomme.h"
#include "spotting/pose.h"

namespace {

struct Dessin {
    int larg, haut;
    std::vector<uint8_t> px;
    Dessin(int l, int h) : larg(l), haut(h), px(static_cast<size_t>(l) * static_cast<size_t>(h), 0) {}
    void Point(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < larg && y < haut) px[static_cast<size_t>(y) * static_cast<size_t>(larg) + static_cast<size_t>(x)] = 1;
    }
    // A stroke 3 pixels thick, horizontal or vertical, ends included.
    void Trait(int x0, int y0, int x1, int y1)
    {
        for (int y = std::min(y0, y1) - 1; y <= std::max(y0, y1) + 1; y++)
            for (int x = std::min(x0, x1) - 1; x <= std::max(x0, x1) + 1; x++)
                if ((y0 == y1 && y >= y0 - 1 && y <= y0 + 1) || (x0 == x1 && x >= x0 - 1 && x <= x0 + 1)) Point(x, y);
    }
    void Rectangle(int x0, int y0, int x1, int y1)
    {
        Trait(x0, y0, x1, y0), Trait(x0, y1, x1, y1), Trait(x0, y0, x0, y1), Trait(x1, y0, x1, y1);
    }
    bool Encre(int x, int y) const { return px[static_cast<size_t>(y) * static_cast<size_t>(larg) + static_cast<size_t>(x)] != 0; }
    // This drawing pasted at (x, y) of `page` at a pose: mirrored left to
    // right first, then turned clockwise.
    void Colle(Dessin& page, int x0, int y0, int quarts, bool miroir) const
    {
        for (int y = 0; y < haut; y++)
            for (int x = 0; x < larg; x++) {
                if (!Encre(x, y)) continue;
                int u = miroir ? larg - 1 - x : x, v = y, l = larg, h = haut;
                for (int q = 0; q < quarts; q++) {
                    const int nu = h - 1 - v, nv = u;
                    u = nu, v = nv;
                    std::swap(l, h);
                }
                page.Point(x0 + u, y0 + v);
            }
    }
};

// A flag: a pole with a box at its top right and a tick at its foot, alike
// at none of its eight poses.
Dessin Drapeau()
{
    Dessin d(40, 60);
    d.Trait(1, 1, 1, 58);
    d.Rectangle(1, 1, 30, 20);
    d.Trait(1, 58, 12, 58);
    return d;
}

// A resistor standing upright: a box between two leads.
Dessin Resistance()
{
    Dessin d(21, 81);
    d.Trait(10, 0, 10, 20);
    d.Rectangle(1, 20, 19, 60);
    d.Trait(10, 60, 10, 80);
    return d;
}

const Reglages_spotting R{};

Gabarit Gabarit_modele(const Dessin& m, Pose p, int modele = 0)
{
    Gabarit g = Gabarit_de(m.px, m.larg, m.haut, p, R);
    g.modele = modele;
    return g;
}

// The best pose among the eight of `m` over the whole page.
Detection Meilleure(const Encre_page& page, const std::vector<Gabarit>& gs)
{
    std::vector<Detection> ds;
    for (const Gabarit& g : gs) Cherche_partout(page, g, R.plancher, R, ds);
    Detection d;
    for (const Detection& e : ds)
        if (!d.gabarit || e.score > d.score) d = e;
    return d;
}

std::vector<Gabarit> Huit_poses(const Dessin& m)
{
    std::vector<Gabarit> gs;
    for (bool miroir : {false, true})
        for (int q = 0; q < 4; q++) gs.push_back(Gabarit_modele(m, {q, miroir, 1.0}));
    return gs;
}

}  // namespace

// The flag pasted at each of its eight poses, wires running into its pole:
// the pose found is that one, at the pasted place.
TEST(Poses, Pose_tournee_et_retournee)
{
    const Dessin m = Drapeau();
    const std::vector<Gabarit> gs = Huit_poses(m);
    for (bool miroir : {false, true})
        for (int q = 0; q < 4; q++) {
            Dessin page(200, 200), seul(200, 200);
            m.Colle(page, 70, 60, q, miroir);
            m.Colle(seul, 70, 60, q, miroir);
            page.Trait(0, 100, 60, 100);  // a wire running by
            // Where the pasted ink's box begins.
            int x0 = 200, y0 = 200;
            for (int y = 0; y < 200; y++)
                for (int x = 0; x < 200; x++)
                    if (seul.Encre(x, y)) x0 = std::min(x0, x), y0 = std::min(y0, y);
            const Detection d = Meilleure(Encre_de(page.larg, page.haut, page.px, R), gs);
            ASSERT_NE(d.gabarit, nullptr) << q << miroir;
            EXPECT_EQ(d.x, x0) << q << miroir;
            EXPECT_EQ(d.y, y0) << q << miroir;
            EXPECT_GT(d.score, 0.95) << q << miroir;
            // The drawing at the pose found is the one pasted (the flag's
            // eight poses all differ).
            const Gabarit& g = *d.gabarit;
            for (int y = 0; y < g.haut; y++)
                for (int x = 0; x < g.larg; x++)
                    ASSERT_EQ(g.encre[static_cast<size_t>(y) * static_cast<size_t>(g.larg) + static_cast<size_t>(x)] != 0,
                              seul.Encre(x0 + x, y0 + y))
                        << "pose " << q << miroir << " at " << x << "," << y;
        }
}

// A resistor lying across a wire: found with its leads in its box, a wire at
// its pin; the same wire without the resistor gives it no pose.
TEST(Poses, Resistance_entre_deux_fils)
{
    const Dessin m = Resistance();
    const std::vector<Gabarit> gs = Huit_poses(m);
    Dessin page(300, 120);
    page.Trait(0, 60, 100, 60);
    m.Colle(page, 100, 50, 1, false);  // lying: 81 x 21 from (100, 50)
    page.Trait(180, 60, 299, 60);
    const Encre_page encre = Encre_de(page.larg, page.haut, page.px, R);
    const Detection d = Meilleure(encre, gs);
    ASSERT_NE(d.gabarit, nullptr);
    EXPECT_EQ(d.x, 100);
    EXPECT_EQ(d.y, 50);
    EXPECT_EQ(d.xmax(), 180) << "the box holds the terminals";
    EXPECT_EQ(d.ymax(), 70);
    EXPECT_GT(d.score, 0.95);
    EXPECT_FALSE(Fil_au_bout(encre, d)) << "two wires: no pin of its own";
    EXPECT_TRUE(Fil_au_bout(encre, d, false)) << "nothing but wires at its pins";

    Dessin fil(300, 120);
    fil.Trait(0, 60, 299, 60);
    std::vector<Detection> rien;
    for (const Gabarit& g : gs) Cherche_partout(Encre_de(fil.larg, fil.haut, fil.px, R), g, R.plancher, R, rien);
    EXPECT_TRUE(rien.empty());
}

// A plain model (a pin: one short stroke) matches every wire of a sheet of
// wires, and names none: no wire ends at it without going on past it. At the
// free end of a wire it names one.
TEST(Poses, Modele_simple_sur_des_fils)
{
    Dessin pin(3, 21);
    pin.Trait(1, 0, 1, 20);
    const std::vector<Gabarit> gs = Huit_poses(pin);
    Dessin page(200, 200);
    for (int k = 20; k < 200; k += 40) page.Trait(k, 0, k, 199), page.Trait(0, k, 199, k);
    const Encre_page encre = Encre_de(page.larg, page.haut, page.px, R);
    std::vector<Detection> ds;
    for (const Gabarit& g : gs) Cherche_partout(encre, g, R.plancher, R, ds);
    ASSERT_GT(ds.size(), 20u) << "the stroke lies on every wire";
    for (const Detection& d : ds) EXPECT_FALSE(Admis(d, "pin", encre, R)) << d.x << "," << d.y;

    Dessin bout(200, 100);
    bout.Trait(0, 50, 100, 50);  // a wire ending at (100, 50)
    bout.Trait(101, 50, 121, 50);
    const Encre_page e2 = Encre_de(bout.larg, bout.haut, bout.px, R);
    Detection d;
    d.gabarit = &gs[1];  // lying
    d.x = 101, d.y = 49;
    ASSERT_TRUE(Evalue_pose(e2, gs[1], 101, 49, R.plancher, R, d));
    EXPECT_TRUE(Admis(d, "pin", e2, R));
}

// Ink crossing the body lowers the likeness; a text standing inside it, or a
// wire beside it, does not.
TEST(Poses, Corps_traverse)
{
    const Dessin m = Resistance();
    const Gabarit g = Gabarit_modele(m, {});
    struct Cas {
        const char* quoi;
        void (*ajoute)(Dessin&);
        bool baisse;
    };
    const Cas cas[] = {
        {"nothing", [](Dessin&) {}, false},
        {"text inside", [](Dessin& p) { p.Trait(47, 35, 47, 45), p.Trait(52, 35, 52, 45); }, false},
        {"wire beside", [](Dessin& p) { p.Trait(70, 0, 70, 119); }, false},
        {"wire across", [](Dessin& p) { p.Trait(0, 50, 119, 50); }, true},
        {"wire along", [](Dessin& p) { p.Trait(50, 0, 50, 119); }, true},
    };
    for (const Cas& c : cas) {
        Dessin page(120, 120);
        m.Colle(page, 40, 10, 0, false);
        c.ajoute(page);
        Detection d;
        ASSERT_TRUE(Evalue_pose(Encre_de(page.larg, page.haut, page.px, R), g, 40, 10, 0.0, R, d)) << c.quoi;
        if (c.baisse) EXPECT_LT(d.score, 0.98) << c.quoi;
        else EXPECT_GT(d.score, 0.99) << c.quoi;
    }
}

// The choice's boundaries: the learnt threshold is reached at equality; a
// pose is dropped for more than part_partagee of shared ink (not at it) and
// for a box lying in a kept one by more than recouvrement_fort of the SMALLER
// box; a part of a larger pose gives way from rapport_plus_grand.
TEST(Poses, Bornes_du_choix)
{
    EXPECT_DOUBLE_EQ(Recouvrement_boites(0, 0, 9, 9, 0, 0, 99, 99), 1.0) << "on the smaller box";
    EXPECT_DOUBLE_EQ(Recouvrement_boites(0, 0, 9, 9, 5, 0, 14, 9), 0.5);
    EXPECT_DOUBLE_EQ(Recouvrement_boites(0, 0, 9, 9, 10, 0, 19, 9), 0.0);

    // A large drawing of two strokes (its box's top right is empty) and a
    // small one: by the share of the SMALLER box in the larger one.
    Dessin grand(100, 100), petit(10, 10);
    grand.Trait(1, 1, 1, 98), grand.Trait(1, 98, 98, 98);
    petit.Rectangle(1, 1, 8, 8);
    const Gabarit gg = Gabarit_modele(grand, {}, 0), gp = Gabarit_modele(petit, {}, 1);
    auto pose = [](const Gabarit& g, int x, int y, double s) {
        Detection d;
        d.gabarit = &g, d.modele = g.modele, d.x = x, d.y = y, d.score = s;
        return d;
    };
    const std::vector<bool> oui(2, true);
    struct Cas {
        int x;
        size_t gardes;
    };
    for (const Cas& c : {Cas{40, 1}, Cas{92, 1}, Cas{94, 2}, Cas{120, 2}}) {
        const std::vector<Detection> ds = {pose(gg, 0, 0, 0.95), pose(gp, c.x, 10, 0.9)};
        EXPECT_EQ(Choisit_poses(ds, oui, 300, 200, R).size(), c.gardes) << "small box at x " << c.x;
    }

    // The threshold at equality names; just under it does not.
    Reglages_ignores = false;
    Dessin page(140, 140);
    grand.Colle(page, 10, 10, 0, false);
    const Encre_page e = Encre_de(page.larg, page.haut, page.px, R);
    const double seuil = Exigence_de("grand", gg, R).seuil;
    Detection d = pose(gg, 10, 10, seuil);
    EXPECT_TRUE(Admis(d, "grand", e, R));
    d.score = seuil - 1e-6;
    EXPECT_FALSE(Admis(d, "grand", e, R));
    // The calibration's practice sheets: every pose from the floor.
    Reglages_ignores = true;
    d.score = R.plancher;
    EXPECT_TRUE(Admis(d, "grand", e, R));
    Reglages_ignores = false;
}

// A pose lying on a larger one's ink gives way to it: the part of a symbol
// that a smaller model draws as well.
TEST(Poses, Partie_de_plus_grand)
{
    Dessin grand(60, 60), coin(30, 30);
    grand.Rectangle(1, 1, 58, 58);
    coin.Trait(1, 1, 28, 1), coin.Trait(1, 1, 1, 28);
    const Gabarit gg = Gabarit_modele(grand, {}, 0), gc = Gabarit_modele(coin, {}, 1);
    ASSERT_GE(gg.encre_totale, R.rapport_plus_grand * gc.encre_totale);
    std::vector<Detection> ds(2);
    ds[0].gabarit = &gg, ds[0].x = 10, ds[0].y = 10, ds[0].score = 0.9;
    ds[1].gabarit = &gc, ds[1].x = 10, ds[1].y = 10, ds[1].score = 1.0;
    const std::vector<bool> oui(2, true);
    EXPECT_TRUE(Partie_de_plus_grand(ds, oui, 1, R));
    EXPECT_FALSE(Partie_de_plus_grand(ds, oui, 0, R));
    ds[0].score = 1.0 - R.marge_plus_grand - 0.01;  // much less like: the part stays
    EXPECT_FALSE(Partie_de_plus_grand(ds, oui, 1, R));
    ds[0].score = 0.9;
    ds[1].x = 40;  // beside it: not on its ink
    EXPECT_FALSE(Partie_de_plus_grand(ds, oui, 1, R));
}
