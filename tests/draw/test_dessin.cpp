// Drawings on Plan2 and the coloured graph: pixels, log lines and
// step-by-step mode on small hand-made lists.
#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "port/shell.h"
#include "draw/dessin.h"
#include "draw/image_couleur.h"
#include "tests/support/support.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

// Inclusive horizontal or vertical runs of pixels, as written by hand.
Pixels Traits(std::initializer_list<std::array<int, 4>> traits)
{
    Pixels p;
    for (const auto& [x0, y0, x1, y1] : traits)
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++) p.insert({x, y});
    return p;
}

std::string Texte(const Pixels& noirs)
{
    std::string s;
    for (int y = 1; y < Hauteur; y++) {
        for (int x = 1; x < Largeur; x++) s += noirs.count({x, y}) ? '#' : '.';
        s += '\n';
    }
    return s;
}

// A quadrilateral whose axis runs from (x, y0) to (x, y1), 4 pixels thick.
Quad* Quad_vertical(int x, int y0, int y1, double score = 0, Quad* suivant = nullptr)
{
    auto* q = new Quad;
    q->x1i = x - 2, q->y1i = y0, q->x1f = x - 2, q->y1f = y1;
    q->x2i = x + 2, q->y2i = y1, q->x2f = x + 2, q->y2f = y0;
    q->length = y1 - y0, q->score = score, q->suivant = suivant;
    return q;
}

class Dessins : public tmtest::Environnement {
protected:
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        Image_couleur = ImageCouleur{};  // the colour picture outlives images
    }
};

// Both ends two pixels thick, the link between the midpoints and the glyph
// of the type at G = (25, 20), whatever the kinds of the ends; the coloured
// graph draws the same link and glyph in the relation's colour.
TEST_F(Dessins, ArcEndsLinkAndGlyphByType)
{
    const Pixels axes = Traits({{10, 10, 10, 29}, {11, 11, 11, 30}, {40, 10, 40, 29}, {41, 11, 41, 30}});
    const Pixels lien = Traits({{10, 20, 39, 20}});
    const Pixels s = Traits({{25, 20, 34, 20}}), t = Traits({{25, 20, 34, 20}, {30, 20, 30, 29}}),
                 l = Traits({{25, 20, 25, 29}, {25, 30, 34, 30}});
    const struct { char type; Pixels glyphe; uint32_t couleur; } cas[] = {
        {'T', t, Rgb(255, 0, 0)},   {'t', t, Rgb(255, 0, 0)}, {'L', l, Rgb(0, 128, 0)}, {'l', l, Rgb(0, 128, 0)},
        {'X', Traits({{25, 20, 25, 29}, {20, 25, 29, 25}}), Rgb(0, 0, 255)},
        {'P', Traits({{25, 20, 25, 29}, {27, 20, 27, 29}}), Rgb(128, 128, 0)},
        {'S', s, Rgb(255, 0, 255)}, {'_', s, Rgb(255, 0, 255)},  // any other type is drawn as S
        {'?', {}, Noir},  // no glyph on Plan2; hatched in colour (below)
    };
    tmtest::Image_blanche(60, 50);
    Quad *q1 = Quad_vertical(10, 10, 30), *q2 = Quad_vertical(40, 10, 30);
    Vecteur *v1 = tmtest::Nouveau_vecteur(10, 10, 10, 30), *v2 = tmtest::Nouveau_vecteur(40, 10, 40, 30);
    for (const auto& c : cas) {
        Pixels attendu = axes;
        for (const Pixels* p : {&lien, &c.glyphe}) attendu.insert(p->begin(), p->end());
        ArcQQ qq{q1, q2, c.type};
        ArcVV vv{v1, v2, c.type};
        ArcQV qv{q1, v2, c.type};
        for (const auto& dessin : std::vector<std::function<void()>>{
                 [&] { Dessin_arcs_QQ(&qq); }, [&] { Dessin_arcs_VV(&vv); }, [&] { Dessin_arcs_QV(&qv); }}) {
            Efface_P2();
            dessin();
            EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(attendu)) << c.type;
        }
        const Pixels glyphe = c.type != '?' ? c.glyphe : Traits({{25, 20, 34, 20}, {25, 22, 34, 22}, {25, 24, 34, 24},
                                                                 {25, 26, 34, 26}, {25, 28, 34, 28}, {20, 25, 29, 25}});
        std::map<std::pair<int, int>, uint32_t> couleurs, lus;
        for (auto p : axes) couleurs[p] = Noir;
        for (const Pixels* g : {&lien, &glyphe})
            for (auto p : *g) couleurs[p] = c.couleur;
        Graphe_couleur(&qq);
        for (int i = 0; i < 60 * 50; i++)
            if (Lit_couleur(i % 60, i / 60) != Blanc) lus[{i % 60, i / 60}] = Lit_couleur(i % 60, i / 60);
        EXPECT_EQ(lus, couleurs) << c.type;
    }
    delete q1, delete q2, delete v1, delete v2;
}

// Component boxes and symbol outlines, each segment without its end pixel:
// two corners of a box stay white; a symbol needs its closing segment.
TEST_F(Dessins, BoxesAndSymbolOutlines)
{
    tmtest::Image_blanche(10, 8);
    CC cc;
    cc.xi = 2, cc.yi = 2, cc.xf = 6, cc.yf = 5;
    Dessin_CC(&cc);
    EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(Traits({{2, 2, 5, 2}, {2, 3, 2, 4}, {6, 3, 6, 5}, {3, 5, 6, 5}})));

    Efface_P2();
    Symbole s, autre, vide;
    s.genre = 100, s.nb_points = 4;
    const int pts[4][2] = {{2, 2}, {6, 2}, {6, 5}, {2, 5}};
    for (int i = 0; i < 4; i++) s.points[i][0] = pts[i][0], s.points[i][1] = pts[i][1];
    autre = s;
    autre.genre = 7, autre.points[0][0] = 1;  // not a closed outline: not drawn
    vide.genre = 100;                         // no point: nothing to close
    s.suivant = &autre, autre.suivant = &vide;
    Dessin_symboles(&s);
    EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(Traits({{2, 2, 5, 2}, {6, 2, 6, 4}, {3, 5, 6, 5}, {2, 2, 2, 4}})));
    EXPECT_EQ(Texte_log(), " Dessin des Symboles...\n* Nb de symboles :  3 ");
}

// Titles on the same line or a new one, counts of every record walked (a
// zero-length record and an arc with a missing end included), which
// drawings clear the log first; and nothing at all with Nb_quads at 0.
TEST_F(Dessins, LogLinesCountsAndNoQuadrilateralCount)
{
    tmtest::Image_blanche(60, 50);
    CC c1, c2;
    c1.suivant = &c2;
    Vecteur* v = tmtest::Nouveau_vecteur(5, 5, 9, 5);
    v->suivant = tmtest::Nouveau_vecteur(7, 7, 7, 7);
    Quad* q = Quad_vertical(10, 10, 30, 0, new Quad);
    ArcQQ a2{q, nullptr, 'T'};
    ArcQQ a1{q, q, 'L', 0, &a2};
    ArcVV vv{v, v, 'S'};
    ArcQV qv{q, v, 'P'};
    const struct { std::function<int()> dessin; std::string log; } cas[] = {
        {[&] { return Dessin_CC(&c1); }, "\n Dessin des C.C.  ...\n* Nb comp. connexes :  2 "},
        {[&] { return Dessin_vecteurs(v); }, "\n Dessin des vecteurs ...\n* Nb de vecteurs :  2 "},
        {[&] { return Dessin_quads(q); }, " Dessin des quadr. ...\n* Nb de Quadrilateres :  2 "},
        {[&] { return Dessin_axes(q); }, " Dessin du squelette ...\n* Nb de traits :  2 "},
        {[&] { return Dessin_arcs_QQ(&a1); }, " Dessin des arcs ...\n* Nb d'arcs QQ :  2 "},
        {[&] { return Dessin_arcs_VV(&vv); }, "avant Dessin des arcs V ...\n* Nb d'arcs VV :  1 "},
        {[&] { return Dessin_arcs_QV(&qv); }, "avant Dessin des arcs QV ...\n* Nb d'arcs QV :  1 "},
        {[&] { Graphe_couleur(&a1); return 1; }, " Dessin des arcs ...\n* Nb d'arcs :  2 "},
    };
    Nb_quads = 2;
    for (const auto& c : cas) {
        Efface_texte();
        Ecrit_texte(0, "avant");
        EXPECT_EQ(c.dessin(), 1);
        EXPECT_EQ(Texte_log(), c.log);
    }

    Efface_P2();
    Image_couleur = ImageCouleur{};
    Nb_quads = 0;
    Efface_texte();
    Ecrit_texte(0, "avant");
    EXPECT_EQ(Dessin_quads(q) + Dessin_quads_bornes(q) + Dessin_axes(q), 0);
    Quads_couleur(q);
    EXPECT_EQ(Texte_log(), "avant");
    EXPECT_TRUE(fe.invites.empty());
    EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte({}));
    EXPECT_EQ(Image_couleur.largeur, 0);  // not even erased
    Libere_liste(v);
    Libere_liste(q);
}

// Both bounds are included; empty, cancelled or unreadable answers read as 0.
TEST_F(Dessins, QuadrilateralsBetweenScoreBounds)
{
    const double scores[] = {0.0, 0.2, 0.5, 0.51, 0.19};
    const struct { std::vector<std::pair<bool, std::string>> reponses; std::string dessines, log; } cas[] = {
        {{{true, "0.2"}, {true, "0.5"}}, "12", " * Inf = 2.000000e-01 \n * Sup = 5.000000e-01 \n* Nb de Quadrilateres :  2 "},
        {{{true, ""}, {true, ""}}, "0", " * Inf = 0.000000e+00 \n * Sup = 0.000000e+00 \n* Nb de Quadrilateres :  1 "},
        // Cancel on the first bound draws nothing and asks no second one.
        {{{false, ""}, {true, "1"}}, "", ""},
        {{{true, "0.2"}, {false, "0.5"}}, "", " * Inf = 2.000000e-01 "},
        {{{true, " +0.19x"}, {true, "abc"}}, "", " * Inf = 1.900000e-01 \n * Sup = 0.000000e+00 \n* Nb de Quadrilateres :  0 "},
        {{{true, "1e-1"}, {true, "0.51"}}, "1234", " * Inf = 1.000000e-01 \n * Sup = 5.100000e-01 \n* Nb de Quadrilateres :  4 "},
    };
    tmtest::Image_blanche(80, 40);
    Quad* q = nullptr;
    for (int i = 4; i >= 0; i--) q = Quad_vertical(10 + 12 * i, 10, 30, scores[i], q);
    Nb_quads = 5;
    for (const auto& c : cas) {
        Efface_P2();
        fe.invites.clear();
        fe.reponses.assign(c.reponses.begin(), c.reponses.end());
        Dessin_quads_bornes(q);
        const bool annule = !c.reponses[0].first;
        const std::vector<std::string> invites = annule ? std::vector<std::string>{"Borne inf ?"}
                                                        : std::vector<std::string>{"Borne inf ?", "Borne sup ?"};
        EXPECT_EQ(fe.invites, invites);
        EXPECT_EQ(Texte_log(), " Borne des scores :" + (c.log.empty() ? "" : "\n" + c.log));
        for (int i = 0; i < 5; i++)
            EXPECT_EQ(Lit_pixel(8 + 12 * i, 10, Plan2), c.dessines.find(char('0' + i)) != std::string::npos) << c.log << i;
    }
    Libere_liste(q);
}

// Remembers Plan2 and the log at every pause.
struct Instantanes : FrontendEnregistreur {
    std::vector<std::string> plans, logs;
    void wait_pause() override
    {
        plans.push_back(tmtest::Plan_en_texte(Plan2));
        logs.push_back(Texte_log());
        FrontendEnregistreur::wait_pause();
    }
};

// Step-by-step mode: each arc is shown alone (Plan2 cleared after every
// pause, also by the coloured graph, which does not draw on it), with its
// type and score, scrolled to the start of the first end's axis.
TEST_F(Dessins, StepByStepArcsShownAlone)
{
    tmtest::Image_blanche(260, 260);
    Quad* q = Quad_vertical(10, 10, 30, 0, Quad_vertical(40, 10, 30, 0, Quad_vertical(170, 200, 220, 0, Quad_vertical(190, 200, 220))));
    ArcQQ a2{q->suivant->suivant, q->suivant->suivant->suivant, 'L', 2.0 / 3};
    ArcQQ a1{q, q->suivant, 'T', 0.5, &a2};
    ArcQQ b1{q, q->suivant, 'T'};
    std::string seul[2];
    for (ArcQQ* b : {&b1, &a2}) {
        Dessin_arcs_QQ(b);
        seul[b == &a2] = tmtest::Plan_en_texte(Plan2);
    }
    Efface_P2();
    const std::string blanc = tmtest::Plan_en_texte(Plan2);
    for (bool couleur : {false, true}) {
        Instantanes inst;
        Installe_frontend(&inst);
        Mode_trace = 1;
        Ecrit_pixel(250, 250, 1, Plan2);
        const std::string marque = tmtest::Plan_en_texte(Plan2);
        if (couleur) Graphe_couleur(&a1);
        else Dessin_arcs_QQ(&a1);
        Mode_trace = 0;
        EXPECT_EQ(inst.plans, (std::vector<std::string>{couleur ? marque : seul[0], couleur ? blanc : seul[1]}));
        EXPECT_EQ(tmtest::Plan_en_texte(Plan2), blanc);
        EXPECT_EQ(inst.logs, (std::vector<std::string>{"\n * Type = T - Score = 0.500 ", "\n * Type = L - Score = 0.667 "}));
        EXPECT_EQ(inst.affiche_p2, (std::vector<std::pair<int, int>>{{1, 1}, {20, 50}}));
        Installe_frontend(&fe);
    }
    Libere_liste(q);
}

}  // namespace
