// Spotting by groups checked against models: the wires and the grouping on
// small made graphs, the choice of method in param.dat, the models compared
// in memory, and the method through the batch with workers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "port/shell.h"
#include "reco/comparaison_memoire.h"
#include "spotting/graphe_lisse.h"
#include "spotting/groupes.h"
#include "spotting/spotting_groupes.h"
#include "spotting/symboles.h"
#include "tests/spotting/graphe_test.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;
using tmtest::Arc;
using tmtest::Trait;

namespace {

struct Carre {
    Quad* cotes[4];
};

// A closed square outline of side 60 from (x, y), its corners joined by L arcs.
Carre Dessine_carre(int x, int y)
{
    Carre c{};
    c.cotes[0] = Trait(x, y, x + 60, y);
    c.cotes[1] = Trait(x + 60, y, x + 60, y + 60);
    c.cotes[2] = Trait(x + 60, y + 60, x, y + 60);
    c.cotes[3] = Trait(x, y + 60, x, y);
    for (int k = 0; k < 4; k++) Arc(c.cotes[k], c.cotes[(k + 1) % 4], 'L');
    return c;
}

// Two squares at (xa, y) and (xb, y) and a wire from the first's right side
// to the second's left side, touching both.
struct Relies {
    Carre a, b;
    Quad* fil;
};
Relies Carres_relies(int xa, int xb, int y)
{
    const Carre a = Dessine_carre(xa, y), b = Dessine_carre(xb, y);
    Quad* fil = Trait(xa + 60, y + 30, xb, y + 30);
    Arc(fil, a.cotes[1], 'T');
    Arc(fil, b.cotes[3], 'T');
    return {a, b, fil};
}

class Groupes : public tmtest::Environnement {};

// Square A and square B joined by a wire that touches both; symbol C in two
// parts that do not touch: a square outline and an L inside it.
TEST_F(Groupes, Fil_coupe_et_symbole_en_deux_parties_reuni)
{
    tmtest::Image_blanche(600, 600);
    const auto [a, b, fil] = Carres_relies(100, 400, 100);
    const Carre c = Dessine_carre(100, 400);
    Quad* haut[1] = {c.cotes[0]};
    Quad* bas[2] = {Trait(115, 415, 145, 415), Trait(115, 415, 115, 445)};
    Arc(bas[0], bas[1], 'L');

    const Propositions p = Propose_candidats(Liste_quads, Liste_arcs_QQ);
    for (size_t i = 0; i < p.traits.size(); i++)
        EXPECT_EQ(p.roles[i], p.traits[i] == fil ? Trait_fil : Trait_symbole) << "stroke " << i;
    auto contient = [](const Candidat& c, const Quad* q) {
        return std::find(c.membres.begin(), c.membres.end(), q) != c.membres.end();
    };
    bool c_entier = false;
    for (const Candidat& c : p.candidats) {
        EXPECT_FALSE(contient(c, fil)) << "the wire is no part of a symbol";
        EXPECT_FALSE(contient(c, a.cotes[0]) && contient(c, b.cotes[0])) << "wired neighbours stay apart";
        if (c.niveau == Groupe_contact) {
            EXPECT_FALSE(contient(c, haut[0]) && contient(c, bas[0]));
        }
        c_entier = c_entier || ((c.niveaux & (1u << Groupe_proche)) && contient(c, haut[0]) && contient(c, bas[0]) &&
                                c.membres.size() == 6);
    }
    EXPECT_TRUE(c_entier) << "the two halves of C are one candidate";

    // Without models, one box per symbol: A, B and C, top to bottom, left to
    // right. In trace mode the candidates considered (the L inside C alone)
    // and the symbols kept are drawn on Plan2.
    Mode_trace = 1;
    ASSERT_EQ(Spotting_groupes(0), 3);
    Mode_trace = 0;
    EXPECT_EQ(Lit_pixel(98, 130, Plan2), 1);
    EXPECT_EQ(Lit_pixel(113, 430, Plan2), 1);
    EXPECT_EQ(Lit_pixel(300, 300, Plan2), 0);
    const int attendues[3][4] = {{98, 98, 162, 162}, {398, 98, 462, 162}, {98, 398, 162, 462}};
    int k = 0;
    for (const Symbole* s = Liste_symboles; s && k < 3; s = s->suivant, k++) {
        EXPECT_EQ(s->points[0][0], attendues[k][0]);
        EXPECT_EQ(s->points[0][1], attendues[k][1]);
        EXPECT_EQ(s->points[2][0], attendues[k][2]);
        EXPECT_EQ(s->points[2][1], attendues[k][3]);
    }
    const std::string liste = tmtest::Lit_texte(dir / "tmpsymb.gxl");
    EXPECT_NE(liste.find("<boundingbox xi=\"398\" yi=\"98\" xf=\"462\" yf=\"162\" />\n<symbolname>NONE</symbolname>"),
              std::string::npos)
        << liste;
}

// An outline holding a mark, so near another outline that the gap linkage
// chains the two: the outline with its mark is still proposed
// alone, and an outline holding nothing gives no such candidate.
TEST_F(Groupes, Contour_et_son_contenu_seuls)
{
    tmtest::Image_blanche(400, 300);
    const Carre d = Dessine_carre(100, 100);
    Quad* marque = Trait(120, 130, 140, 130);
    // A short bar beside D's side, its ends clear of D's corners.
    Quad* barre = Trait(166, 117, 166, 143);
    const Propositions p = Propose_candidats(Liste_quads, Liste_arcs_QQ);
    std::vector<const Quad*> attendu(d.cotes, d.cotes + 4);
    attendu.push_back(marque);
    std::sort(attendu.begin(), attendu.end());
    bool seul = false, enchaine = false;
    for (const Candidat& c : p.candidats) {
        std::vector<const Quad*> m(c.membres.begin(), c.membres.end());
        std::sort(m.begin(), m.end());
        seul = seul || (m == attendu && (c.niveaux & (1u << Groupe_contenu)));
        enchaine = enchaine || (std::find(m.begin(), m.end(), barre) != m.end() && std::find(m.begin(), m.end(), marque) != m.end());
    }
    EXPECT_TRUE(enchaine) << "the gap linkage chains the outline and the bar";
    EXPECT_TRUE(seul) << "the outline with its mark, alone";
}

// Two squares joined by a wire too short for the wire test of the first
// readings: each square is also a candidate alone.
TEST_F(Groupes, Fil_court_entre_deux_symboles)
{
    tmtest::Image_blanche(400, 300);
    const auto [a, b, fil] = Carres_relies(60, 180, 100);
    const Propositions p = Propose_candidats(Liste_quads, Liste_arcs_QQ);
    for (const Carre* k : {&a, &b}) {
        std::vector<const Quad*> attendu(k->cotes, k->cotes + 4);
        std::sort(attendu.begin(), attendu.end());
        EXPECT_TRUE(std::any_of(p.candidats.begin(), p.candidats.end(), [&](const Candidat& c) {
            std::vector<const Quad*> m(c.membres.begin(), c.membres.end());
            std::sort(m.begin(), m.end());
            return m == attendu;
        })) << "square at x " << k->cotes[0]->x1i;
    }
}

// Broken strokes and outlines: a wire broken by noise into pieces shorter
// than a wire is still a wire between its symbols; a rectangle twice as long
// as wide, a box with a broken corner and the back of a gate are outlines,
// not wires; the leads of a capacitor, in line across its plates, are no
// pieces of one stroke.
TEST_F(Groupes, Traits_en_morceaux)
{
    tmtest::Image_blanche(1000, 1000);
    auto role = [](const Propositions& p, const Quad* q) {
        const auto it = std::find(p.traits.begin(), p.traits.end(), q);
        return it == p.traits.end() ? -1 : p.roles[static_cast<size_t>(it - p.traits.begin())];
    };
    const Carre a = Dessine_carre(100, 100);
    const Carre b = Dessine_carre(500, 100);
    // Three pieces of 70 (a wire is 88 long here), 8 pixels apart.
    Quad* morceaux[3] = {Trait(160, 130, 230, 130), Trait(238, 130, 308, 130), Trait(316, 130, 386, 130)};
    Quad* bout = Trait(394, 130, 500, 130);  // and one of 106 that reaches B
    Arc(morceaux[0], a.cotes[1], 'T');
    Arc(bout, b.cotes[3], 'T');
    // A rectangle of 100 by 220, its corners joined.
    Quad* rect[4] = {Trait(100, 400, 320, 400), Trait(320, 400, 320, 500), Trait(320, 500, 100, 500), Trait(100, 500, 100, 400)};
    for (int k = 0; k < 4; k++) Arc(rect[k], rect[(k + 1) % 4], 'L');
    // A capacitor: leads of 90 on both sides of two plates 12 apart.
    Quad* gauche = Trait(500, 700, 590, 700);
    Quad* plaques[2] = {Trait(590, 670, 590, 730), Trait(602, 670, 602, 730)};
    Quad* droite = Trait(602, 700, 692, 700);
    Arc(gauche, plaques[0], 'T');
    Arc(droite, plaques[1], 'T');

    // A box whose lower left corner noise broke: its sides face each other.
    Quad* boite[4] = {Trait(600, 250, 900, 250), Trait(900, 250, 900, 550), Trait(900, 550, 650, 550), Trait(600, 450, 600, 250)};
    for (int k = 0; k < 3; k++) Arc(boite[k], boite[k + 1], 'L');
    // The back of a gate, its curve broken at the tip, leads of 110 touching
    // it: both its corners turn the same way.
    Quad* dos = Trait(150, 650, 150, 750);
    Quad* porte[4] = {Trait(150, 650, 230, 650), Trait(150, 750, 230, 750), Trait(230, 650, 270, 680), Trait(230, 750, 270, 720)};
    Arc(dos, porte[0], 'L');
    Arc(dos, porte[1], 'L');
    Arc(porte[0], porte[2], 'L');
    Arc(porte[1], porte[3], 'L');
    for (int y : {675, 725}) Arc(Trait(40, y, 150, y), dos, 'T');

    const Propositions p = Propose_candidats(Liste_quads, Liste_arcs_QQ);
    for (const Quad* q : boite) EXPECT_EQ(role(p, q), Trait_symbole) << "a broken outline is no wire";
    EXPECT_EQ(role(p, dos), Trait_symbole);
    for (const Quad* q : {morceaux[0], morceaux[1], morceaux[2], bout}) EXPECT_EQ(role(p, q), Trait_fil);
    for (const Quad* q : rect) EXPECT_EQ(role(p, q), Trait_symbole) << "the outline is no wire";
    for (const Quad* q : plaques) EXPECT_EQ(role(p, q), Trait_symbole);
    auto contient = [](const Candidat& c, const Quad* q) {
        return std::find(c.membres.begin(), c.membres.end(), q) != c.membres.end();
    };
    bool rectangle = false, condensateur = false;
    for (const Candidat& c : p.candidats) {
        EXPECT_FALSE(contient(c, a.cotes[0]) && contient(c, b.cotes[0])) << "wired neighbours stay apart";
        for (const Quad* q : morceaux) EXPECT_FALSE(contient(c, q)) << "a piece of wire is no part of a symbol";
        rectangle = rectangle || (c.niveau == Groupe_contact && c.membres.size() == 4 &&
                                  std::all_of(std::begin(rect), std::end(rect), [&](const Quad* q) { return contient(c, q); }));
        condensateur = condensateur || (contient(c, plaques[0]) && contient(c, plaques[1]) && !contient(c, gauche));
    }
    EXPECT_TRUE(rectangle);
    EXPECT_TRUE(condensateur) << "the plates without the leads taken for wires";
    EXPECT_EQ(role(p, gauche), Trait_fil);
    EXPECT_EQ(role(p, droite), Trait_fil);
}

// A model of a few strokes names a candidate only well above Seuil_rejet:
// a square matching a square model exactly is named, one whose model has a
// side shorter (similarity 0.76, above 0.72) is not.
TEST_F(Groupes, Petit_modele_plus_exigeant)
{
    fs::create_directory_symlink(fs::path(TM_BUILD_DIR) / "simgraph", dir / "simgraph");
    Parametres({{"Seuil_rejet", "0.72"}});
    fs::create_directories(dir / "models");
    for (const auto& [cote, nomme] : {std::pair{"1", true}, std::pair{"0.64", false}}) {
        tmtest::Remise_a_zero();
        Oublie_modeles();
        std::string g = "<gxl><graph id=\"g\">";
        for (int k = 0; k < 4; k++)
            g += "<node id=\"n" + std::to_string(k) + "\"><attr name=\"RelLen\"><string>" + (k == 3 ? cote : "1") +
                 "</string></attr></node>";
        for (int k = 0; k < 4; k++)
            g += "<edge from=\"n" + std::to_string(k) + "\" to=\"n" + std::to_string((k + 1) % 4) +
                 "\"><attr name=\"relA\"><string>90</string></attr><attr name=\"Type\"><string>L</string></attr></edge>";
        std::ofstream(dir / "models" / "carre.gxl") << g + "</graph></gxl>";
        tmtest::Image_blanche(300, 300);
        Dessine_carre(100, 100);
        EXPECT_EQ(Spotting_groupes(11), nomme ? 1 : 0) << "model side " << cote;
    }
    Oublie_modeles();
}

// The models skipped by the bound change no choice: without a floor the
// choice is the first of the best over all models, and a floor changes
// nothing where the best model reaches it and only leaves out what could
// not reach it; on random graphs, under both edit distances.
TEST(Groupes_plancher, Meme_choix_au_dessus_du_plancher)
{
    unsigned graine = 12345;
    auto hasard = [&](unsigned n) {
        graine = graine * 1103515245u + 12345u;
        return (graine >> 8) % n;
    };
    auto graphe = [&](size_t n) {
        GrapheG g;
        for (size_t i = 0; i < n; i++) g.noeuds.push_back({"n" + std::to_string(i), (1 + hasard(100)) / 100.0});
        const char types[] = "LTPXS";
        for (size_t k = 0; k < 2 * n; k++) {
            const int a = static_cast<int>(hasard(static_cast<unsigned>(n))), b = static_cast<int>(hasard(static_cast<unsigned>(n)));
            if (a != b) g.aretes.push_back({a, b, static_cast<double>(hasard(91)), types[hasard(5)]});
        }
        return g;
    };
    for (int mode : {3, 11}) {
        Modeles_memoire ms;
        ms.mode = mode;
        for (int k = 0; k < 12; k++) {
            Modele_memoire m;
            m.nom = "m" + std::to_string(k);
            m.graphe = graphe(3 + hasard(20));
            m.signature = Signature_graphe(m.graphe);
            ms.liste.push_back(std::move(m));
        }
        int atteints = 0, laisses = 0;
        for (int essai = 0; essai < 300; essai++) {
            // Half of the candidates are a model with a few changes.
            GrapheG c = essai % 2 ? graphe(3 + hasard(20)) : ms.liste[hasard(12)].graphe;
            if (essai % 2 == 0)
                for (NoeudG& n : c.noeuds) n.rellen = std::min(1.0, n.rellen + hasard(20) / 100.0);
            const double plancher = 0.3 + hasard(60) / 100.0;
            const Choix_modele tout = Meilleur_modele(c, ms, 0);
            const Choix_modele seuil = Meilleur_modele(c, ms, 0, 0, plancher);
            // Every model measured: the first of the best.
            Choix_modele attendu;
            for (size_t i = 0; i < ms.liste.size(); i++) {
                const double v = Similarite_memoire(c, ms.liste[i], ms);
                if (attendu.modele < 0 || v > attendu.similarite) attendu = {static_cast<int>(i), v};
            }
            EXPECT_EQ(tout.modele, attendu.modele) << "mode " << mode << " case " << essai;
            EXPECT_EQ(tout.similarite, attendu.similarite) << "mode " << mode << " case " << essai;
            if (tout.similarite >= plancher) {
                atteints++;
                EXPECT_EQ(seuil.modele, tout.modele) << "mode " << mode << " case " << essai;
                EXPECT_EQ(seuil.similarite, tout.similarite) << "mode " << mode << " case " << essai;
            } else {
                laisses++;
                EXPECT_LT(seuil.similarite, plancher) << "mode " << mode << " case " << essai;
            }
        }
        EXPECT_GT(atteints, 30) << "mode " << mode;
        EXPECT_GT(laisses, 30) << "mode " << mode;
    }
}

// The method key: absent, 0 and 1 are taken silently; another value is
// reported once per run and gives the region growing.
TEST_F(Groupes, Choix_de_la_methode)
{
    struct Cas {
        const char* valeur;  // null: no key
        int methode;
        size_t messages;
    };
    for (const Cas& c : {Cas{nullptr, 0, 0}, Cas{"0", 0, 0}, Cas{"1", 1, 0}, Cas{"7", 0, 1}}) {
        if (c.valeur) Parametres({{"Methode_spotting", c.valeur}});
        else Sans_parametre("Methode_spotting");
        fe.boites.clear();
        EXPECT_EQ(Methode_spotting(), c.methode) << (c.valeur ? c.valeur : "absent");
        EXPECT_EQ(Methode_spotting(), c.methode);
        EXPECT_EQ(fe.boites.size(), c.messages) << (c.valeur ? c.valeur : "absent");
    }
}

// Models read once: a broken and an empty file are reported by name and left
// out; a graph is its own best model under every measure.
TEST_F(Groupes, Modeles_en_memoire)
{
    const fs::path rep = dir / "modeles";
    fs::create_directories(rep);
    const std::string bon =
        "<gxl><graph id=\"g\">"
        "<node id=\"n0\"><attr name=\"RelLen\"><string>1</string></attr></node>"
        "<node id=\"n1\"><attr name=\"RelLen\"><string>0.5</string></attr></node>"
        "<node id=\"n2\"><attr name=\"RelLen\"><string>0.25</string></attr></node>"
        "<edge from=\"n0\" to=\"n1\"><attr name=\"relA\"><string>90</string></attr><attr name=\"Type\"><string>L</string></attr></edge>"
        "<edge from=\"n1\" to=\"n2\"><attr name=\"relA\"><string>45</string></attr><attr name=\"Type\"><string>T</string></attr></edge>"
        "</graph></gxl>";
    std::ofstream(rep / "a_bon.gxl") << bon;
    std::ofstream(rep / "b_casse.gxl") << "<gxl><graph id=\"g\"><node id=";
    std::ofstream(rep / "c_vide.gxl") << "<gxl><graph id=\"g\"></graph></gxl>";
    for (int mode : {1, 2, 3, 11}) {
        Oublie_modeles();
        fe.boites.clear();
        const Modeles_memoire& ms = Modeles_en_memoire(rep.string(), mode);
        ASSERT_EQ(ms.liste.size(), 1u);
        EXPECT_EQ(ms.liste[0].nom, "a_bon");
        ASSERT_EQ(fe.boites.size(), 2u);
        EXPECT_NE(fe.boites[0].texte.find("b_casse.gxl"), std::string::npos);
        EXPECT_NE(fe.boites[1].texte.find("c_vide.gxl"), std::string::npos);
        Modeles_en_memoire(rep.string(), mode);
        EXPECT_EQ(fe.boites.size(), 2u) << "read once per run";
        const Choix_modele c = Meilleur_modele(ms.liste[0].graphe, ms, 3.0);
        EXPECT_EQ(c.modele, 0);
        EXPECT_NEAR(c.similarite, 1.0, 1e-6) << "mode " << mode;
        GrapheG seul;
        seul.noeuds.push_back({"n0", 1.0});
        EXPECT_EQ(Meilleur_modele(seul, ms, 2.0).modele, -1) << "no model of a comparable size";
    }
    Oublie_modeles();
}

// The in-memory measure gives what the matcher programs write, for each
// matcher (simgraph the larger of both directions, as its caller takes).
TEST_F(Groupes, Mesure_en_memoire_comme_les_programmes)
{
    fs::create_directory_symlink(fs::path(TM_BUILD_DIR) / "simgraph", dir / "simgraph");
    const fs::path rep = dir / "modeles";
    fs::create_directories(rep);
    auto graphe = [](const std::vector<double>& longueurs, const std::vector<std::tuple<int, int, int, char>>& aretes) {
        std::string s = "<gxl><graph id=\"g\">";
        for (size_t i = 0; i < longueurs.size(); i++)
            s += "<node id=\"n" + std::to_string(i) + "\"><attr name=\"RelLen\"><string>" + std::to_string(longueurs[i]) +
                 "</string></attr></node>";
        for (const auto& [a, b, angle, type] : aretes)
            s += "<edge from=\"n" + std::to_string(a) + "\" to=\"n" + std::to_string(b) + "\"><attr name=\"relA\"><string>" +
                 std::to_string(angle) + "</string></attr><attr name=\"Type\"><string>" + type + "</string></attr></edge>";
        return s + "</graph></gxl>";
    };
    std::ofstream(rep / "modele.gxl") << graphe({1, 0.5, 0.5, 0.25, 0.8}, {{0, 1, 90, 'L'}, {1, 2, 0, 'P'}, {2, 3, 45, 'T'}, {3, 4, 90, 'X'}, {0, 4, 30, 'L'}});
    std::ofstream(dir / "candidat.gxl") << graphe({0.9, 1, 0.4, 0.3}, {{0, 1, 80, 'L'}, {1, 2, 10, 'P'}, {2, 3, 45, 'L'}});
    GrapheG candidat;
    ASSERT_EQ(Lit_graphe_gxl((dir / "candidat.gxl").string(), candidat), "");
    auto programme = [&](const std::string& nom, const std::string& g1, const std::string& g2) {
        std::vector<std::string> args = {g1, g2};
        if (nom == "simgraph") args.push_back((dir / "simgraph" / "properties.xml").string());
        const tmtest::Execution e = tmtest::Lance_programme((dir / "simgraph" / nom).string(), dir, args);
        EXPECT_EQ(e.statut, 0) << nom << e.erreurs;
        return std::stod(tmtest::Lit_texte(dir / "result.txt").substr(4));
    };
    const std::string c = (dir / "candidat.gxl").string(), m = (rep / "modele.gxl").string();
    for (const auto& [mode, nom] : {std::pair{1, "simgraph"}, {2, "gsignature"}, {3, "greedy"}, {11, "auction"}}) {
        Oublie_modeles();
        const Modeles_memoire& ms = Modeles_en_memoire(rep.string(), mode);
        ASSERT_EQ(ms.liste.size(), 1u);
        double attendu = programme(nom, c, m);
        if (mode == 1) attendu = std::max(attendu, programme(nom, m, c));
        EXPECT_NEAR(Similarite_memoire(candidat, ms.liste[0], ms), attendu, 2e-6) << nom;
    }
    Oublie_modeles();
}

// Smoothing: a curve cut into pieces becomes one node whatever the number of
// pieces; a sharp corner, parallel strokes and a crossing stay apart; a speck
// goes with its edges; lengths are relative to the longest node again.
TEST(Groupes_lisse, Courbes_reunies_et_points_ecartes)
{
    struct Cas {
        const char* nom;
        std::vector<double> longueurs;
        std::vector<std::tuple<int, int, int, char>> aretes;
        std::vector<double> attendues;                    // node lengths after
        std::vector<std::tuple<int, int, char>> restent;  // edges after
    };
    const Cas cas[] = {
        {"an arc in three pieces, then a bar at a right angle",
         {1, 1, 1, 1.5}, {{0, 1, 12, 'S'}, {1, 2, 15, 'L'}, {2, 3, 90, 'L'}, {0, 3, 88, 'T'}}, {1, 0.5}, {{0, 1, 'L'}}},
        {"the same arc in two pieces gives the same graph",
         {1, 0.5, 0.75}, {{0, 1, 10, 'L'}, {1, 2, 90, 'L'}}, {1, 0.5}, {{0, 1, 'L'}}},
        {"a bend past the limit, parallel sides and a crossing stay apart",
         {1, 1, 1, 1}, {{0, 1, 16, 'L'}, {1, 2, 0, 'P'}, {2, 3, 5, 'X'}}, {1, 1, 1, 1}, {{0, 1, 'L'}, {1, 2, 'P'}, {2, 3, 'X'}}},
        {"a speck on a stroke goes, with its edges",
         {1, 0.05, 0.6}, {{0, 1, 60, 'T'}, {1, 2, 60, 'T'}, {0, 2, 90, 'L'}}, {1, 0.6}, {{0, 1, 'L'}}},
    };
    for (const Cas& c : cas) {
        GrapheG g;
        for (size_t i = 0; i < c.longueurs.size(); i++) g.noeuds.push_back({"n" + std::to_string(i), c.longueurs[i]});
        for (const auto& [a, b, angle, type] : c.aretes) g.aretes.push_back({a, b, static_cast<double>(angle), type});
        const GrapheG h = Graphe_lisse(g, 15, 0.08);
        ASSERT_EQ(h.noeuds.size(), c.attendues.size()) << c.nom;
        for (size_t i = 0; i < h.noeuds.size(); i++) EXPECT_NEAR(h.noeuds[i].rellen, c.attendues[i], 1e-9) << c.nom;
        ASSERT_EQ(h.aretes.size(), c.restent.size()) << c.nom;
        for (size_t i = 0; i < h.aretes.size(); i++) {
            const auto& [a, b, type] = c.restent[i];
            EXPECT_EQ(std::tuple(h.aretes[i].de, h.aretes[i].vers, h.aretes[i].type), std::tuple(a, b, type)) << c.nom;
        }
    }
}

// Both methods through the batch: one worker or two give the same files.
TEST(Groupes_lot, Les_deux_methodes_avec_deux_workers)
{
    const fs::path racine = fs::temp_directory_path() / ("tracemorph-groupes-" + std::to_string(::getpid()));
    fs::remove_all(racine);
    for (const char* methode : {"0", "1"}) {
        std::string resultats[2];
        for (int j = 0; j < 2; j++) {
            const fs::path courant = racine / (std::string(methode) + "-" + std::to_string(j + 1));
            fs::create_directories(courant);
            auto valeurs = tmtest::Parametres_defaut();
            valeurs["Methode_spotting"] = methode;
            tmtest::Ecrit_param(courant, valeurs);
            for (const char* image : {"relay_logic.bmp", "bath_plan.bmp"})
                fs::copy_file(fs::path(TM_SOURCE_DIR) / "tests" / "data" / image, courant / image);
            const tmtest::Execution e = tmtest::Lance_tracemorph(
                courant, {"--batch", "--jobs", j == 0 ? "1" : "2", "relay_logic.bmp", "bath_plan.bmp"},
                {{"TMPDIR", racine.string()}});
            EXPECT_EQ(e.statut, 0) << e.erreurs;
            resultats[j] = tmtest::Lit_texte(courant / "FINAL_RESULTS.GRE");
        }
        EXPECT_EQ(resultats[0], resultats[1]) << "method " << methode;
        EXPECT_NE(resultats[0].find("<symbol>"), std::string::npos) << "method " << methode;
    }
    fs::remove_all(racine);
}

}  // namespace

// The drawings beside the model graphs: read with the models, compared with
// ink turned and scaled; the one with the small tick tells itself apart.
TEST_F(Groupes, Dessins_des_modeles)
{
    const fs::path rep = dir / "modeles_dessins";
    fs::create_directories(rep);
    const std::string graphe =
        "<gxl><graph id=\"g\">"
        "<node id=\"n0\"><attr name=\"RelLen\"><string>1</string></attr></node>"
        "<node id=\"n1\"><attr name=\"RelLen\"><string>0.5</string></attr></node>"
        "<edge from=\"n0\" to=\"n1\"><attr name=\"relA\"><string>90</string></attr><attr name=\"Type\"><string>L</string></attr></edge>"
        "</graph></gxl>";
    // An L with, or without, a tick at its top right.
    std::vector<std::string> sans(22, std::string(22, '.')), avec;
    for (int i = 1; i <= 20; i++) sans[static_cast<size_t>(i)][1] = sans[static_cast<size_t>(i)][2] = '#', sans[20][static_cast<size_t>(i)] = sans[19][static_cast<size_t>(i)] = '#';
    avec = sans;
    for (int i = 14; i <= 20; i++) avec[1][static_cast<size_t>(i)] = avec[2][static_cast<size_t>(i)] = '#';
    for (const char* nom : {"a_tic", "b_sans", "c_nu"}) std::ofstream(rep / (std::string(nom) + ".gxl")) << graphe;
    tmtest::Ecrit_fichier(rep / "a_tic.bmp", tmtest::Bmp_1bit(22, 22, true, avec));
    tmtest::Ecrit_fichier(rep / "b_sans.bmp", tmtest::Bmp_1bit(22, 22, false, sans));
    Oublie_modeles();
    const Modeles_memoire& ms = Modeles_en_memoire(rep.string(), 11);
    ASSERT_EQ(ms.liste.size(), 3u);
    // Each model drawing, a quarter turn and twice the size, on a page.
    for (size_t k : {size_t{0}, size_t{1}}) {
        const std::vector<std::string>& motif = k == 0 ? avec : sans;
        PlanImage page;
        Cree_plan_blanc(page, 120, 120);
        for (int y = 0; y < 22; y++)
            for (int x = 0; x < 22; x++)
                if (motif[static_cast<size_t>(y)][static_cast<size_t>(x)] == '#')
                    for (int d = 0; d < 4; d++) Ecrit_pixel(30 + 2 * y + d % 2, 80 - 2 * x + d / 2, 1, page);
        const int x0 = 30 + 2, x1 = 30 + 2 * 20 + 1, y0 = 80 - 2 * 20, y1 = 80 - 2 + 1;
        const std::vector<double> r = Ressemblance_dessin(page, x0, y0, x1, y1, ms, {static_cast<int>(k), static_cast<int>(1 - k), 2});
        EXPECT_GT(r[0], 0.97) << ms.liste[k].nom;
        EXPECT_LT(r[1], r[0] - 0.02) << ms.liste[k].nom;
        EXPECT_EQ(r[2], -1) << "a model without a drawing";
        Libere_plan(page);
    }
    // The other models whose graphs come as near.
    EXPECT_EQ(Modeles_proches(ms.liste[0].graphe, ms, 2.0, {1, 2}, 0.99), (std::vector<int>{1, 2}));
    GrapheG seul;
    seul.noeuds.push_back(ms.liste[0].graphe.noeuds[0]);
    EXPECT_TRUE(Modeles_proches(seul, ms, 1.5, {1, 2}, 0).empty()) << "node counts beyond the ratio";
    Oublie_modeles();
}

// A candidate a little under the threshold is named when its ink matches its
// model's drawing, at its own similarity; without the drawing, or further
// under the threshold, it is left out. The threshold is set from the
// similarity the candidate gets, so that the test holds whatever the measure.
TEST_F(Groupes, Dessin_au_secours_sous_le_seuil)
{
    fs::create_directory_symlink(fs::path(TM_BUILD_DIR) / "simgraph", dir / "simgraph");
    fs::create_directories(dir / "models");
    // A square crossed by its two middle lines: six strokes.
    std::string g = "<gxl><graph id=\"g\">";
    for (int k = 0; k < 6; k++)
        g += "<node id=\"n" + std::to_string(k) + "\"><attr name=\"RelLen\"><string>" + (k == 5 ? "0.6" : "1") +
             "</string></attr></node>";
    auto arete = [&](int a, int b, const char* type) {
        g += "<edge from=\"n" + std::to_string(a) + "\" to=\"n" + std::to_string(b) +
             "\"><attr name=\"relA\"><string>90</string></attr><attr name=\"Type\"><string>" + type + "</string></attr></edge>";
    };
    for (int k = 0; k < 4; k++) arete(k, (k + 1) % 4, "L");
    arete(4, 1, "T"), arete(4, 3, "T"), arete(5, 0, "T"), arete(5, 2, "T"), arete(4, 5, "X");
    std::ofstream(dir / "models" / "grille.gxl") << g + "</graph></gxl>";
    // Its ink, on the page from (100, 100) and as the model's drawing.
    std::vector<std::string> dessin(66, std::string(66, '.'));
    for (int a = 0; a < 66; a++)
        for (int e = 0; e < 5; e++)
            for (int b : {e, 28 + e, 60 + e})
                dessin[static_cast<size_t>(b)][static_cast<size_t>(a)] = dessin[static_cast<size_t>(a)][static_cast<size_t>(b)] = '#';
    const fs::path bmp = dir / "models" / "grille.bmp";
    auto analyse = [&](const std::string& seuil, bool avec_dessin) {
        tmtest::Remise_a_zero();
        Oublie_modeles();
        Parametres({{"Seuil_rejet", seuil}});
        if (avec_dessin) tmtest::Ecrit_fichier(bmp, tmtest::Bmp_1bit(66, 66, false, dessin));
        else fs::remove(bmp);
        tmtest::Image_blanche(300, 300);
        const Carre c = Dessine_carre(100, 100);
        Quad* h = Trait(100, 130, 160, 130);
        Quad* v = Trait(130, 100, 130, 160);
        Arc(h, c.cotes[1], 'T'), Arc(h, c.cotes[3], 'T'), Arc(v, c.cotes[0], 'T'), Arc(v, c.cotes[2], 'T'), Arc(h, v, 'X');
        for (int y = 0; y < 66; y++)
            for (int x = 0; x < 66; x++)
                if (dessin[static_cast<size_t>(y)][static_cast<size_t>(x)] == '#') Ecrit_pixel(98 + x, 98 + y, 1, Plan1);
        const int n = Spotting_groupes(11);
        const std::string liste = tmtest::Lit_texte(dir / "tmpsymb.gxl");
        const size_t p = liste.find("<confidencerate>");
        return std::tuple{n, p == std::string::npos ? -1.0 : std::stod(liste.substr(p + 16)),
                          liste.find("<symbolname>grille</symbolname>") != std::string::npos};
    };
    const auto [n0, s, nomme0] = analyse("0.2", true);
    ASSERT_EQ(n0, 1);
    ASSERT_TRUE(nomme0);
    ASSERT_GT(s, 0.3);
    char juste_au_dessus[32], loin_au_dessus[32];
    std::snprintf(juste_au_dessus, sizeof juste_au_dessus, "%.6f", s + 0.05);
    std::snprintf(loin_au_dessus, sizeof loin_au_dessus, "%.6f", s + 0.15);
    const auto [n1, s1, nomme1] = analyse(juste_au_dessus, true);
    EXPECT_EQ(n1, 1) << "rescued by its drawing, threshold " << juste_au_dessus;
    EXPECT_TRUE(nomme1);
    EXPECT_NEAR(s1, s, 1e-6) << "written at its own similarity";
    EXPECT_EQ(std::get<0>(analyse(juste_au_dessus, false)), 0) << "no drawing to vouch for it";
    // With its drawing the model's pose is checked on the page's ink, which
    // names it however far its graph lies under the threshold.
    EXPECT_EQ(std::get<0>(analyse(loin_au_dessus, true)), 1) << "found at its pose";
    EXPECT_EQ(std::get<0>(analyse(loin_au_dessus, false)), 0) << "too far under the threshold";
    Oublie_modeles();
}
