// Drawings on Plan2: pixels, log lines and trace-mode stepping on small
// hand-made lists.
#include <algorithm>
#include <functional>
#include <set>
#include <utility>

#include "app/core/shell.h"
#include "draw/dessin.h"
#include "draw/image_couleur.h"
#include "tests/support/support.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

// Inclusive horizontal or vertical runs of pixels, as written by hand.
struct Trait { int x0, y0, x1, y1; };
Pixels Traits(std::initializer_list<Trait> traits)
{
    Pixels p;
    for (const Trait& t : traits)
        for (int y = t.y0; y <= t.y1; y++)
            for (int x = t.x0; x <= t.x1; x++) p.insert({x, y});
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
Quad* Quad_vertical(int x, int y0, int y1, double score = 0)
{
    auto* q = new Quad;
    q->x1i = x - 2, q->y1i = y0, q->x1f = x - 2, q->y1f = y1;
    q->x2i = x + 2, q->y2i = y1, q->x2f = x + 2, q->y2f = y0;
    q->length = y1 - y0;
    q->score = score;
    return q;
}

template <class T>
T* Chaine(std::initializer_list<T*> records)
{
    T* tete = nullptr;
    T* queue = nullptr;
    for (T* r : records) queue = Ajoute_en_queue(tete, queue, r);
    return tete;
}

bool Finit_par(const std::string& s, const std::string& fin)
{
    return s.size() >= fin.size() && s.compare(s.size() - fin.size(), fin.size(), fin) == 0;
}

class Dessins : public tmtest::Environnement {
protected:
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        Image_couleur = ImageCouleur{};  // the colour picture outlives images
    }
};

// Both ends two pixels thick, the link between the midpoints, and the glyph
// of the type at G = (25, 20), whatever the kinds of the two ends.
TEST_F(Dessins, ArcEndsLinkAndGlyphByTypeAndEndKinds)
{
    const Pixels base = Traits({{10, 10, 10, 29}, {11, 11, 11, 30}, {40, 10, 40, 29}, {41, 11, 41, 30}, {10, 20, 39, 20}});
    const struct { char type; Pixels glyphe; } cas[] = {
        {'T', Traits({{25, 20, 34, 20}, {30, 20, 30, 29}})}, {'t', Traits({{25, 20, 34, 20}, {30, 20, 30, 29}})},
        {'L', Traits({{25, 20, 25, 29}, {25, 30, 34, 30}})}, {'l', Traits({{25, 20, 25, 29}, {25, 30, 34, 30}})},
        {'X', Traits({{25, 20, 25, 29}, {20, 25, 29, 25}})}, {'P', Traits({{25, 20, 25, 29}, {27, 20, 27, 29}})},
        {'S', Traits({{25, 20, 34, 20}})}, {'_', Traits({{25, 20, 34, 20}})}, {'~', Traits({{25, 20, 34, 20}})},
        {'?', {}},
    };
    tmtest::Image_blanche(60, 50);
    Quad* q1 = Quad_vertical(10, 10, 30);
    Quad* q2 = Quad_vertical(40, 10, 30);
    Vecteur* v1 = tmtest::Nouveau_vecteur(10, 10, 10, 30);
    Vecteur* v2 = tmtest::Nouveau_vecteur(40, 10, 40, 30);
    for (const auto& c : cas) {
        Pixels attendu = base;
        attendu.insert(c.glyphe.begin(), c.glyphe.end());
        ArcQQ qq{q1, q2, c.type};
        ArcVV vv{v1, v2, c.type};
        ArcQV qv{q1, v2, c.type};
        Dessin_arcs_QQ(&qq);
        EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(attendu)) << "QQ " << c.type;
        Efface_P2();
        Dessin_arcs_VV(&vv);
        EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(attendu)) << "VV " << c.type;
        Efface_P2();
        Dessin_arcs_QV(&qv);
        EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(attendu)) << "QV " << c.type;
    }
    delete q1, delete q2, delete v1, delete v2;
}

// The outlines of components, quadrilaterals, axes and symbols, each segment
// without its end pixel; a symbol's box needs its closing segment.
TEST_F(Dessins, OutlinesOfEachPrimitive)
{
    tmtest::Image_blanche(10, 8);
    CC cc;
    cc.xi = 2, cc.yi = 2, cc.xf = 6, cc.yf = 5;
    Dessin_CC(&cc);
    // The corners (2,5) and (6,2) end two segments each and start none.
    EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(Traits({{2, 2, 5, 2}, {2, 3, 2, 4}, {6, 3, 6, 5}, {3, 5, 6, 5}})));

    Efface_P2();
    Symbole s, autre;
    s.genre = 100, s.nb_points = 4;
    const int pts[4][2] = {{2, 2}, {6, 2}, {6, 5}, {2, 5}};
    for (int i = 0; i < 4; i++) s.points[i][0] = pts[i][0], s.points[i][1] = pts[i][1];
    autre = s;
    autre.genre = 7;  // not a closed outline: not drawn
    autre.points[0][0] = 1;
    Symbole vide;
    vide.genre = 100;  // no point at all: nothing to close
    s.suivant = &autre;
    autre.suivant = &vide;
    Dessin_symboles(&s);
    EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(Traits({{2, 2, 5, 2}, {6, 2, 6, 4}, {3, 5, 6, 5}, {2, 3, 2, 4}, {2, 2, 2, 2}})));
    EXPECT_TRUE(Finit_par(Texte_log(), "* Nb de symboles :  3 "));
    s.suivant = autre.suivant = nullptr;

    Efface_P2();
    Quad* q = Quad_vertical(4, 1, 6);
    Nb_quads = 1;
    Dessin_quads(q);
    // (x1i,y1i)-(x1f,y1f), (x2i,y2i)-(x1f,y1f), (x2i,y2i)-(x2f,y2f), (x1i,y1i)-(x2f,y2f).
    EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(Traits({{2, 1, 2, 5}, {3, 6, 6, 6}, {6, 2, 6, 6}, {2, 1, 5, 1}})));
    Efface_P2();
    Dessin_axes(q);
    EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte(Traits({{4, 1, 4, 5}})));
    delete q;
}

// Titles on the same line or a new one, counts of every record walked (a
// zero-length record and an arc with a missing end included), and which
// drawings clear the log first.
TEST_F(Dessins, LogLinesAndCounts)
{
    tmtest::Image_blanche(60, 50);
    CC c1, c2;
    c1.suivant = &c2;
    Vecteur* v = Chaine({tmtest::Nouveau_vecteur(5, 5, 9, 5), tmtest::Nouveau_vecteur(7, 7, 7, 7)});
    Quad* q = Chaine({Quad_vertical(10, 10, 30), new Quad});
    Nb_quads = 2;
    ArcQQ a2{q, nullptr, 'T'};
    ArcQQ a1{q, q, 'L', 0, &a2};
    ArcVV vv{v, v, 'S'};
    ArcQV qv{q, v, 'P'};
    Symbole s1, s2;
    s1.suivant = &s2;
    const struct { const char* nom; std::function<void()> dessin; std::string log; } cas[] = {
        {"CC", [&] { Dessin_CC(&c1); }, "\n Dessin des C.C.  ...\n* Nb comp. connexes :  2 "},
        {"vecteurs", [&] { Dessin_vecteurs(v); }, "\n Dessin des vecteurs ...\n* Nb de vecteurs :  2 "},
        {"quads", [&] { Dessin_quads(q); }, " Dessin des quadr. ...\n* Nb de Quadrilateres :  2 "},
        {"axes", [&] { Dessin_axes(q); }, " Dessin du squelette ...\n* Nb de traits :  2 "},
        {"arcs QQ", [&] { Dessin_arcs_QQ(&a1); }, " Dessin des arcs ...\n* Nb d'arcs QQ :  2 "},
        {"arcs VV", [&] { Dessin_arcs_VV(&vv); }, "avant Dessin des arcs V ...\n* Nb d'arcs VV :  1 "},
        {"arcs QV", [&] { Dessin_arcs_QV(&qv); }, "avant Dessin des arcs QV ...\n* Nb d'arcs QV :  1 "},
        {"symboles", [&] { Dessin_symboles(&s1); }, " Dessin des Symboles...\n* Nb de symboles :  2 "},
        {"graphe couleur", [&] { Graphe_couleur(&a1); }, " Dessin des arcs ...\n* Nb d'arcs :  2 "},
        {"symboles couleur", [&] { Symboles_couleur(&s1); }, " Dessin des Symboles...\n* Nb de symboles :  2 "},
    };
    for (const auto& c : cas) {
        Efface_texte();
        Ecrit_texte(0, "avant");
        c.dessin();
        EXPECT_EQ(Texte_log(), c.log) << c.nom;
    }
    s1.suivant = nullptr;
    Libere_liste(v);
    Libere_liste(q);
}

// With Nb_quads at 0 the three quadrilateral drawings do nothing at all,
// even over a list that is not empty, and the colour one leaves the picture.
TEST_F(Dessins, NoQuadrilateralCountDrawsNothing)
{
    tmtest::Image_blanche(60, 50);
    Quad* q = Quad_vertical(10, 10, 30);
    Nb_quads = 0;
    Ecrit_texte(0, "avant");
    EXPECT_EQ(Dessin_quads(q), 0);
    EXPECT_EQ(Dessin_quads_bornes(q), 0);
    EXPECT_EQ(Dessin_axes(q), 0);
    Quads_couleur(q);
    EXPECT_EQ(Texte_log(), "avant");
    EXPECT_TRUE(fe.invites.empty());
    EXPECT_EQ(tmtest::Plan_en_texte(Plan2), Texte({}));
    EXPECT_EQ(Image_couleur.largeur, 0);  // never erased
    delete q;
}

// Both bounds are included; empty, cancelled or unreadable answers read as 0.
TEST_F(Dessins, QuadrilateralsBetweenScoreBounds)
{
    const double scores[] = {0.0, 0.2, 0.5, 0.51, 0.19};
    const struct {
        std::vector<std::pair<bool, std::string>> reponses;
        std::vector<int> dessines;
        std::string log;
    } cas[] = {
        {{{true, "0.2"}, {true, "0.5"}}, {1, 2},
         " Borne des scores :\n * Inf = 2.000000e-01 \n * Sup = 5.000000e-01 \n* Nb de Quadrilateres :  2 "},
        {{{true, ""}, {true, ""}}, {0},
         " Borne des scores :\n * Inf = 0.000000e+00 \n * Sup = 0.000000e+00 \n* Nb de Quadrilateres :  1 "},
        {{{false, ""}, {false, ""}}, {0},
         " Borne des scores :\n * Inf = 0.000000e+00 \n * Sup = 0.000000e+00 \n* Nb de Quadrilateres :  1 "},
        {{{true, " +0.19x"}, {true, "abc"}}, {},
         " Borne des scores :\n * Inf = 1.900000e-01 \n * Sup = 0.000000e+00 \n* Nb de Quadrilateres :  0 "},
        {{{true, "1e-1"}, {true, "0.51"}}, {1, 2, 3, 4},
         " Borne des scores :\n * Inf = 1.000000e-01 \n * Sup = 5.100000e-01 \n* Nb de Quadrilateres :  4 "},
    };
    tmtest::Image_blanche(80, 40);
    Quad* q = nullptr;
    Quad* queue = nullptr;
    for (int i = 0; i < 5; i++) queue = Ajoute_en_queue(q, queue, Quad_vertical(10 + 12 * i, 10, 30, scores[i]));
    Nb_quads = 5;
    for (const auto& c : cas) {
        Efface_P2();
        fe.invites.clear();
        fe.reponses.assign(c.reponses.begin(), c.reponses.end());
        EXPECT_EQ(Dessin_quads_bornes(q), 1);
        EXPECT_EQ(fe.invites, (std::vector<std::string>{"Borne inf ?", "Borne sup ?"}));
        EXPECT_EQ(Texte_log(), c.log);
        for (int i = 0; i < 5; i++) {
            const bool attendu = std::find(c.dessines.begin(), c.dessines.end(), i) != c.dessines.end();
            EXPECT_EQ(Lit_pixel(8 + 12 * i, 10, Plan2), attendu ? 1 : 0) << c.log << " quad " << i;
        }
    }
    Libere_liste(q);
}

// The wanted type is the upper case of the answer's first character; '_'
// and '~' count as 'S'. Every arc is counted.
TEST_F(Dessins, SelectiveArcsByType)
{
    const char types[] = {'T', 't', 'S', '_', '~', 'X', 'L'};
    const struct { std::pair<bool, std::string> reponse; std::string dessines; } cas[] = {
        {{true, "t"}, "Tt"}, {{true, "Tx"}, "Tt"}, {{true, "s"}, "S_~"}, {{true, "x"}, "X"},
        {{true, ""}, ""},    {{false, ""}, ""},    {{true, "_"}, ""},
    };
    tmtest::Image_blanche(200, 40);
    std::vector<Quad*> quads;
    ArcQQ* arcs = nullptr;
    ArcQQ* queue = nullptr;
    for (int i = 0; i < 7; i++) {
        quads.push_back(Quad_vertical(5 + 25 * i, 5, 25));
        quads.push_back(Quad_vertical(15 + 25 * i, 5, 25));
        queue = Ajoute_en_queue(arcs, queue, new ArcQQ{quads[2 * i], quads[2 * i + 1], types[i]});
    }
    for (const auto& c : cas) {
        Efface_P2();
        fe.reponses = {c.reponse};
        Dessin_arcs_selectif(arcs);
        EXPECT_TRUE(Finit_par(Texte_log(), "* Nb d'arcs :  7 "));
        for (int i = 0; i < 7; i++)
            EXPECT_EQ(Lit_pixel(5 + 25 * i, 6, Plan2), c.dessines.find(types[i]) != std::string::npos ? 1 : 0)
                << c.reponse.second << " arc " << types[i];
    }
    EXPECT_EQ(fe.invites.front(), "Quel Type (P,T,X,L,S) ?");
    Libere_liste(arcs);
    for (Quad* q : quads) delete q;
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
// pause, also by the colour graph), with its type and score, scrolled to the
// start of the first end's axis.
TEST_F(Dessins, StepByStepArcsShownAlone)
{
    tmtest::Image_blanche(260, 260);
    Quad* q = Chaine({Quad_vertical(10, 10, 30), Quad_vertical(40, 10, 30), Quad_vertical(170, 200, 220),
                      Quad_vertical(190, 200, 220)});
    ArcQQ a2{q->suivant->suivant, q->suivant->suivant->suivant, 'L', 2.0 / 3};
    ArcQQ a1{q, q->suivant, 'T', 0.5, &a2};
    // Each arc drawn on its own, outside trace mode.
    std::string seul[2];
    ArcQQ b1 = a1, b2 = a2;
    b1.suivant = nullptr;
    Dessin_arcs_QQ(&b1);
    seul[0] = tmtest::Plan_en_texte(Plan2);
    Dessin_arcs_QQ(&b2);
    seul[1] = tmtest::Plan_en_texte(Plan2);
    Efface_P2();
    const std::string blanc = tmtest::Plan_en_texte(Plan2);

    for (bool couleur : {false, true}) {
        Instantanes inst;
        Installe_frontend(&inst);
        Mode_trace = 1;
        Efface_P2();
        Ecrit_pixel(250, 250, 1, Plan2);
        const std::string marque = tmtest::Plan_en_texte(Plan2);
        if (couleur) Graphe_couleur(&a1);
        else Dessin_arcs_QQ(&a1);
        Mode_trace = 0;
        ASSERT_EQ(inst.plans.size(), 2u);
        // The colour graph draws into the colour picture: Plan2 is only cleared.
        EXPECT_EQ(inst.plans[0], couleur ? marque : seul[0]) << couleur;
        EXPECT_EQ(inst.plans[1], couleur ? blanc : seul[1]) << couleur;
        EXPECT_EQ(tmtest::Plan_en_texte(Plan2), blanc) << couleur;
        EXPECT_EQ(inst.logs, (std::vector<std::string>{"\n * Type = T - Score = 0.500 ", "\n * Type = L - Score = 0.667 "}));
        EXPECT_EQ(inst.affiche_p2, (std::vector<std::pair<int, int>>{{1, 1}, {20, 50}}));
        Installe_frontend(&fe);
    }
    Libere_liste(q);
}

// Step-by-step vectors and quadrilaterals: a pause after each record, a
// zero-length record marked with " *** " and a short beep, the display
// scrolled to the last segment drawn.
TEST_F(Dessins, StepByStepVectorsAndQuadrilaterals)
{
    tmtest::Image_blanche(400, 400);
    Mode_trace = 1;
    Instantanes inst;
    Installe_frontend(&inst);
    Vecteur* v = Chaine({tmtest::Nouveau_vecteur(200, 300, 210, 300), tmtest::Nouveau_vecteur(7, 7, 7, 7),
                         tmtest::Nouveau_vecteur(20, 30, 25, 30)});
    Dessin_vecteurs(v);
    EXPECT_EQ(inst.affiche_p2, (std::vector<std::pair<int, int>>{{50, 150}, {50, 150}, {1, 1}}));
    EXPECT_EQ(inst.bips_courts, 1);
    EXPECT_EQ(inst.logs[1], "\n Dessin des vecteurs ...\n *** ");

    inst.logs.clear();
    Quad* q = Chaine({Quad_vertical(170, 200, 220, 0.125), new Quad});
    q->angle1 = 90, q->angle2 = 91;
    Nb_quads = 2;
    Dessin_quads(q);
    EXPECT_EQ(inst.logs, (std::vector<std::string>{"\n * score = 1.250000e-01 \n * a1 = 90 _ a2 = 91  ",
                                                   "\n * score = 1.250000e-01 \n * a1 = 90 _ a2 = 91   *** "}));
    EXPECT_EQ(inst.affiche_p2.back(), (std::pair<int, int>{18, 50}));
    EXPECT_EQ(inst.bips_courts, 2);
    Mode_trace = 0;
    Installe_frontend(&fe);
    Libere_liste(v);
    Libere_liste(q);
}

}  // namespace
