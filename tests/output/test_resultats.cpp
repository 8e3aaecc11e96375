// Text result file, GXL graph file (both variants) and the listing, on
// hand-built lists: exact bytes, the shared numbering, arc type rewriting.
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "port/shell.h"
#include "vecto/arcs.h"
#include "output/ecriture.h"
#include "output/resultats.h"
#include "tests/support/support.h"
#include "vecto/records.h"

namespace fs = std::filesystem;
using tmtest::Lit_texte;

namespace {

Vecteur* V(int xi, int yi, int xf, int yf, int angle, int length)
{
    auto* r = new Vecteur;
    r->xi = xi, r->yi = yi, r->xf = xf, r->yf = yf, r->angle = angle, r->length = length;
    Ajoute_en_queue(Liste_vecteurs, Dernier(Liste_vecteurs), r);
    return r;
}

Quad* Q(int base, int angle1, int angle2, int length, uint8_t ep1 = 2, uint8_t ep2 = 3)
{
    auto* r = new Quad;
    r->x1i = base, r->y1i = base + 1, r->x1f = base + 2, r->y1f = base + 3;
    r->x2i = base + 4, r->y2i = base + 5, r->x2f = base + 6, r->y2f = base + 7;
    r->angle1 = angle1, r->angle2 = angle2, r->length = length, r->thickness1 = ep1, r->thickness2 = ep2;
    Ajoute_en_queue(Liste_quads, Dernier(Liste_quads), r);
    Nb_quads++;
    return r;
}

CC* C(int xi, int yi, int xf, int yf)
{
    auto* r = new CC;
    r->xi = xi, r->yi = yi, r->xf = xf, r->yf = yf;
    Ajoute_en_queue(Liste_CC, Dernier(Liste_CC), r);
    return r;
}

template <class A, class E1, class E2>
A* Arc(A*& liste, E1* e1, E2* e2, char type, double score = 0.0)
{
    auto* r = new A;
    if constexpr (requires { r->V1; }) r->V1 = e1, r->V2 = e2;
    else if constexpr (requires { r->Q2; }) r->Q1 = e1, r->Q2 = e2;
    else r->Q1 = e1, r->V2 = e2;
    r->type = type;
    r->score = score;
    Ajoute_en_queue(liste, Dernier(liste), r);
    return r;
}

bool Xml_bien_forme(const fs::path& p)
{
    return std::system(("xmllint --noout '" + p.string() + "' 2>/dev/null").c_str()) == 0;
}

const char* const kEnteteGxl = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n<gxl>\n";

class Resultats : public tmtest::Environnement {
protected:
    bool Texte() { return Ecrit_resultats_texte(dat.string(), Liste_vecteurs, Liste_quads, Liste_CC,
                                                Liste_arcs_QQ, Liste_arcs_VV, Liste_arcs_QV); }
    bool Gxl(int format)
    {
        const bool ok = Ecrit_graphe_gxl(gxl.string(), Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ,
                                         Liste_arcs_VV, Liste_arcs_QV, format);
        if (ok) {
            EXPECT_TRUE(Xml_bien_forme(gxl)) << Lit_texte(gxl);
        }
        return ok;
    }
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        dat = dir / "Rlignaxe.dat";
        gxl = dir / "Rlignaxe.gxl";
    }
    fs::path dat, gxl;
};

TEST_F(Resultats, EmptyListsGiveTheHeadingAndFinWithoutFinalLineFeed)
{
    ASSERT_TRUE(Texte());
    EXPECT_EQ(Lit_texte(dat), " - Resultats Vectorisation - \n - (Image ) - \n -===================-\n\n\nFin");
    Chemin_image = "/some/dir/plan.bmp";
    ASSERT_TRUE(Texte());
    EXPECT_EQ(Lit_texte(dat), " - Resultats Vectorisation - \n - (Image plan.bmp) - \n -===================-\n\n\nFin");
}

TEST_F(Resultats, TextFileNumbersNodesOnceAndArcsWithGaps)
{
    Chemin_image = "/d/plan.bmp";
    Vecteur* v0 = V(1, 2, 3, 4, 10, 5);
    Vecteur* vide = V(9, 9, 9, 9, 0, 0);
    vide->numero = 77;
    Vecteur* v1 = V(5, 6, 7, 8, 100, 7);
    Quad* q0 = Q(10, 170, 172, 30, 200, 3);
    Quad* q1 = Q(20, 10, 12, 20, 1, 2);
    C(0, 0, 9, 9);
    ArcQQ* coupe = Arc(Liste_arcs_QQ, q0, static_cast<Quad*>(nullptr), '_');
    ArcQQ* suite = Arc(Liste_arcs_QQ, q0, q1, '~');
    Arc(Liste_arcs_VV, v0, v1, 'X');
    ArcQV* coin = Arc(Liste_arcs_QV, q0, v1, 'l');
    ASSERT_TRUE(Texte());
    EXPECT_EQ(Lit_texte(dat),
              " - Resultats Vectorisation - \n - (Image plan.bmp) - \n -===================-\n\n"
              "\nVecteur 0 : 1,2 - 3,4 - 10,5\n"
              "\nVecteur 1 : 5,6 - 7,8 - 100,7\n"
              "\nQuadrilatere 2 : (10,11 - 12,13) - (14,15 - 16,17) - 200,3 - 170,172,30\n"
              "\nQuadrilatere 3 : (20,21 - 22,23) - (24,25 - 26,27) - 1,2 - 10,12,20\n"
              "\nComp. Connexe 4 : 0,0 - 9,9 \n"
              "\nArc 1 : Q1=2,Q2=3 - Type=S - Angle=20\n"
              "\nArc 2 : V1=0,V2=1 - Type=X - Angle=90\n"
              "\nArc 3 : Q1=2,V2=1 - Type=l - Angle=70\n"
              "\nFin");
    EXPECT_EQ(v0->numero, 0);
    EXPECT_EQ(vide->numero, 77);
    EXPECT_EQ(v1->numero, 1);
    EXPECT_EQ(q0->numero, 2);
    EXPECT_EQ(q1->numero, 3);
    EXPECT_EQ(suite->type, 'S');
    EXPECT_EQ(coupe->type, '_');  // not written, so not rewritten
    EXPECT_EQ(coin->type, 'l');
}

TEST_F(Resultats, ArcAngleIsFoldedIntoZeroToNinety)
{
    struct Cas { int a1, a2, attendu; };
    for (Cas c : {Cas{170, 10, 20}, Cas{10, 170, 20}, Cas{0, 90, 90}, Cas{90, 0, 90}, Cas{0, 179, 1},
                  Cas{45, 45, 0}, Cas{91, 0, 89}, Cas{0, 89, 89}}) {
        tmtest::Remise_a_zero();
        Quad* q1 = Q(1, c.a1, 0, 10);
        Quad* q2 = Q(1, c.a2, 0, 10);
        Vecteur* v1 = V(1, 1, 2, 2, c.a1, 3);
        Vecteur* v2 = V(1, 1, 2, 2, c.a2, 3);
        Arc(Liste_arcs_QQ, q1, q2, 'X');
        Arc(Liste_arcs_VV, v1, v2, 'X');
        Arc(Liste_arcs_QV, q1, v2, 'X');
        ASSERT_TRUE(Texte());
        const std::string t = Lit_texte(dat);
        const std::string a = "Angle=" + std::to_string(c.attendu) + "\n";
        EXPECT_NE(t.find("\nArc 0 : Q1=2,Q2=3 - Type=X - " + a), std::string::npos) << c.a1 << " " << c.a2 << t;
        EXPECT_NE(t.find("\nArc 1 : V1=0,V2=1 - Type=X - " + a), std::string::npos) << c.a1 << " " << c.a2 << t;
        EXPECT_NE(t.find("\nArc 2 : Q1=2,V2=1 - Type=X - " + a), std::string::npos) << c.a1 << " " << c.a2 << t;
    }
}

TEST_F(Resultats, EmptyGraphInBothVariants)
{
    Chemin_image = "/d/plan.bmp";
    ASSERT_TRUE(Gxl(0));
    EXPECT_EQ(Lit_texte(gxl), std::string(kEnteteGxl) + " <graph id=\"plan.bmp.gxl\">\n\n </graph>\n</gxl>\n");
    ASSERT_TRUE(Gxl(1));
    EXPECT_EQ(Lit_texte(gxl), std::string(kEnteteGxl) + "<graph id=\"graph0\">\n\n\n </graph>\n</gxl>\n");
    // Selector values other than 1 all give the full variant.
    for (int format : {-255, 2}) {
        ASSERT_TRUE(Gxl(format));
        EXPECT_EQ(Lit_texte(gxl), std::string(kEnteteGxl) + " <graph id=\"plan.bmp.gxl\">\n\n </graph>\n</gxl>\n");
    }
}

TEST_F(Resultats, FullVariantExactBytes)
{
    Chemin_image = "/d/plan.bmp";
    Vecteur* v = V(1, 2, 3, 4, 10, 5);
    Quad* q = Q(10, 100, 101, 30, 4, 5);
    C(0, 0, 9, 8);
    Arc(Liste_arcs_QQ, q, static_cast<Quad*>(nullptr), 'X');
    ArcQV* a = Arc(Liste_arcs_QV, q, v, '~', 0.5);
    ASSERT_TRUE(Gxl(0));
    EXPECT_EQ(Lit_texte(gxl), std::string(kEnteteGxl) + R"( <graph id="plan.bmp.gxl">

  <node id="node0">
   <attr name="forme">
    <string>Vecteur</string>
   </attr>
   <attr name="xi">
    <string>1</string>
   </attr>
   <attr name="yi">
    <string>2</string>
   </attr>
   <attr name="xf">
    <string>3</string>
   </attr>
   <attr name="yf">
    <string>4</string>
   </attr>
   <attr name="angle">
    <string>10</string>
   </attr>
   <attr name="length">
    <string>5</string>
   </attr>
  </node>

  <node id="node1">
   <attr name="forme">
    <string>Quad</string>
   </attr>
   <attr name="x1i">
    <string>10</string>
   </attr>
   <attr name="y1i">
    <string>11</string>
   </attr>
   <attr name="x1f">
    <string>12</string>
   </attr>
   <attr name="y1f">
    <string>13</string>
   </attr>
   <attr name="x2i">
    <string>14</string>
   </attr>
   <attr name="y2i">
    <string>15</string>
   </attr>
   <attr name="x2f">
    <string>16</string>
   </attr>
   <attr name="y2f">
    <string>17</string>
   </attr>
   <attr name="angle1">
    <string>100</string>
   </attr>
   <attr name="angle2">
    <string>101</string>
   </attr>
   <attr name="thickness1">
    <string>4</string>
   </attr>
   <attr name="thickness2">
    <string>5</string>
   </attr>
   <attr name="length">
    <string>30</string>
   </attr>
   <attr name="score">
    <string>0.000</string>
   </attr>
  </node>

  <node id="node2">
   <attr name="forme">
    <string>CC</string>
   </attr>
   <attr name="xi">
    <string>0</string>
   </attr>
   <attr name="yi">
    <string>0</string>
   </attr>
   <attr name="xf">
    <string>9</string>
   </attr>
   <attr name="yf">
    <string>8</string>
   </attr>
  </node>

  <edge id="edge1" from="node1" to="node0">
   <attr name="angle">
    <string>90</string>
   </attr>
   <attr name="type">
    <string>S</string>
   </attr>
   <attr name="score">
    <string>0.500</string>
   </attr>
  </edge>

 </graph>
</gxl>
)");
    EXPECT_EQ(a->type, 'S');
}

TEST_F(Resultats, MatcherVariantWritesQuadsAndQuadArcsOnly)
{
    V(1, 1, 5, 5, 45, 6);
    V(1, 1, 5, 1, 0, 4);
    Quad* zero = Q(1, 0, 0, 0);
    zero->numero = 55;
    Quad* q40 = Q(1, 30, 30, 40);
    Quad* q10 = Q(1, 100, 100, 10);
    C(0, 0, 9, 9);
    ArcQQ* coin = Arc(Liste_arcs_QQ, q40, q10, 'l');
    Arc(Liste_arcs_QQ, q10, static_cast<Quad*>(nullptr), 'X');
    ArcQQ* suite = Arc(Liste_arcs_QQ, q10, q40, '~');
    ArcVV* vv = Arc(Liste_arcs_VV, Liste_vecteurs, Liste_vecteurs->suivant, '_');
    ArcQV* qv = Arc(Liste_arcs_QV, q40, Liste_vecteurs, '~');
    ASSERT_TRUE(Gxl(1));
    EXPECT_EQ(Lit_texte(gxl), std::string(kEnteteGxl) + R"(<graph id="graph0">

<node id="n2">
<attr name="forme">
<string>1</string>
</attr>
<attr name="RelLen">
<string>1.000000</string>
</attr>
</node>

<node id="n3">
<attr name="forme">
<string>1</string>
</attr>
<attr name="RelLen">
<string>0.250000</string>
</attr>
</node>

<edge id="edge0" from="n2" to="n3">
<attr name="relA">
<string>70</string>
</attr>
<attr name="Type">
<string>L</string>
</attr>
</edge>

<edge id="edge2" from="n3" to="n2">
<attr name="relA">
<string>70</string>
</attr>
<attr name="Type">
<string>S</string>
</attr>
</edge>


 </graph>
</gxl>
)");
    EXPECT_EQ(coin->type, 'l');   // upper case only in the file
    EXPECT_EQ(suite->type, 'S');  // written, so rewritten
    EXPECT_EQ(vv->type, '_');     // not written in this variant
    EXPECT_EQ(qv->type, '~');
    EXPECT_EQ(zero->numero, 55);
    EXPECT_EQ(q40->numero, 2);
    EXPECT_EQ(Liste_vecteurs->suivant->numero, 1);

    // Every quadrilateral of length 0: no node, no division by the zero maximum.
    tmtest::Remise_a_zero();
    Q(1, 0, 0, 0);
    ASSERT_TRUE(Gxl(1));
    EXPECT_EQ(Lit_texte(gxl), std::string(kEnteteGxl) + "<graph id=\"graph0\">\n\n\n </graph>\n</gxl>\n");
}

TEST_F(Resultats, TextAndFullGraphShareTheNumbering)
{
    V(1, 1, 5, 5, 45, 6);
    V(1, 1, 1, 1, 0, 0);
    V(1, 1, 5, 1, 0, 4);
    Quad* q0 = Q(1, 30, 30, 40);
    Quad* q1 = Q(1, 100, 100, 10);
    C(0, 0, 9, 9);
    Arc(Liste_arcs_QQ, q0, q1, 'T');
    Arc(Liste_arcs_VV, Liste_vecteurs, Liste_vecteurs->suivant->suivant, 'S');
    Arc(Liste_arcs_QV, q1, Liste_vecteurs, 't');
    ASSERT_TRUE(Texte());
    ASSERT_TRUE(Gxl(0));
    const std::string t = Lit_texte(dat), g = Lit_texte(gxl);
    for (const char* s : {"Vecteur 0 ", "Vecteur 1 ", "Quadrilatere 2 ", "Quadrilatere 3 ", "Comp. Connexe 4 ",
                          "Arc 0 : Q1=2,Q2=3", "Arc 1 : V1=0,V2=1", "Arc 2 : Q1=3,V2=0"})
        EXPECT_NE(t.find(s), std::string::npos) << s;
    for (const char* s : {"node id=\"node4\"", "edge id=\"edge0\" from=\"node2\" to=\"node3\"",
                          "edge id=\"edge1\" from=\"node0\" to=\"node1\"", "edge id=\"edge2\" from=\"node3\" to=\"node0\""})
        EXPECT_NE(g.find(s), std::string::npos) << s;
    EXPECT_EQ(g.find("node5"), std::string::npos);
}

TEST_F(Resultats, WritingTwiceGivesTheSameBytes)
{
    Quad* q0 = Q(1, 30, 30, 40);
    Quad* q1 = Q(1, 100, 100, 10);
    Vecteur* v = V(1, 1, 5, 5, 45, 6);
    Arc(Liste_arcs_QQ, q0, q1, '~');
    Arc(Liste_arcs_QV, q1, v, '_');
    for (int format : {-1, 0, 1}) {
        ASSERT_TRUE(Texte());
        ASSERT_TRUE(Gxl(format));
        const std::string t = Lit_texte(dat), g = Lit_texte(gxl);
        ASSERT_TRUE(Texte());
        ASSERT_TRUE(Gxl(format));
        EXPECT_EQ(Lit_texte(dat), t);
        EXPECT_EQ(Lit_texte(gxl), g);
    }
    EXPECT_EQ(Liste_arcs_QQ->type, 'S');
    EXPECT_EQ(Liste_arcs_QV->type, 'S');
}

TEST_F(Resultats, ImageNamesWithMarkupCharactersKeepTheGraphWellFormed)
{
    struct Cas { const char* chemin; const char* id; };
    for (Cas c : {Cas{"/d/a&b<c>\"d'e.bmp", "a&amp;b&lt;c&gt;&quot;d&apos;e.bmp.gxl"},
                  Cas{"/d/plan\xE9.bmp", "plan\xC3\xA9.bmp.gxl"},          // Latin-1 name
                  Cas{"/d/plan\xC3\xA9.bmp", "plan\xC3\xA9.bmp.gxl"},      // UTF-8 name
                  Cas{"/d/a\x01" "b\tc\x7f.bmp", "a\xEF\xBF\xBD" "b&#9;c\x7f.bmp.gxl"},
                  Cas{"/d/]]>&#38;.bmp", "]]&gt;&amp;#38;.bmp.gxl"},
                  Cas{"/d/\xF0\x9F\x98\x80\xED\xA0\x80.bmp", "\xF0\x9F\x98\x80\xC3\xAD\xC2\xA0\xC2\x80.bmp.gxl"}}) {
        Chemin_image = c.chemin;
        ASSERT_TRUE(Gxl(0)) << c.chemin;
        EXPECT_NE(Lit_texte(gxl).find(std::string(" <graph id=\"") + c.id + "\">\n"), std::string::npos)
            << c.chemin << "\n" << Lit_texte(gxl);
        // The text file holds the name as it is.
        ASSERT_TRUE(Texte());
        EXPECT_NE(Lit_texte(dat).find(" - (Image " + Nom_fichier(c.chemin) + ") - \n"), std::string::npos);
    }
}

// The symbol lists are ASCII and the batch results Latin-1: the same names
// in either encoding, and the characters those files cannot hold.
TEST(TexteXml, AsciiAndLatin1Forms)
{
    struct Cas { const char* texte; const char* ascii; const char* latin1; };
    for (Cas c : {Cas{"a&b<c>\"'", "a&amp;b&lt;c&gt;\"'", "a&amp;b&lt;c&gt;\"'"},
                  Cas{"caf\xE9", "caf&#233;", "caf\xE9"},                       // Latin-1 byte
                  Cas{"caf\xC3\xA9", "caf&#233;", "caf\xE9"},                   // UTF-8
                  Cas{"\xE2\x82\xAC 5", "&#8364; 5", "? 5"},                    // beyond Latin-1
                  Cas{"a\tb\nc\rd\x01" "e\x7f", "a?b?c?d?e?", "a\tb\nc\rd?e\x7f"}}) {
        EXPECT_EQ(Texte_xml(c.texte, Forme_xml::ascii), c.ascii) << c.texte;
        EXPECT_EQ(Texte_xml(c.texte, Forme_xml::latin1), c.latin1) << c.texte;
    }
}

TEST_F(Resultats, ListingCountsEachKindFromZero)
{
    Chemin_image = "/d/plan.bmp";
    Vecteur* v = V(1, 2, 3, 4, 10, 5);
    v->numero = 9;
    V(0, 0, 0, 0, 0, 0);
    V(5, 6, 7, 8, 100, 7);
    Q(0, 0, 0, 0);
    Q(10, 0, 0, 12);
    C(0, 1, 2, 3);
    const std::string chemin = (dir / "v.laf").string();
    ASSERT_TRUE(Ecrit_liste_vecto(chemin, Liste_vecteurs, Liste_quads, Liste_CC));
    EXPECT_EQ(Lit_texte(chemin), " - Resultats Vectorisation : " + chemin +
                                     " - \n - (Image plan.bmp) - \n -===================-\n\n"
                                     "\nVecteur 0 : 1,2 - 3,4\n"
                                     "\nVecteur 1 : 5,6 - 7,8\n"
                                     "\nQuadrilatere 0 : (10,11 - 12,13) * (14,15 - 16,17) \n"
                                     "\nComp. Connexe 0 : 0,1 - 2,3 \n");
    EXPECT_EQ(v->numero, 9);
}

TEST_F(Resultats, FileThatCannotBeCreatedIsReportedAndChangesNothing)
{
    Quad* q0 = Q(1, 30, 30, 40);
    Quad* q1 = Q(1, 100, 100, 10);
    q0->numero = 41;
    ArcQQ* a = Arc(Liste_arcs_QQ, q0, q1, '~');
    const std::string chemin = (dir / "absent" / "Rlignaxe.out").string();
    EXPECT_FALSE(Ecrit_resultats_texte(chemin, Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV,
                                       Liste_arcs_QV));
    EXPECT_FALSE(Ecrit_graphe_gxl(chemin, Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV,
                                  Liste_arcs_QV, 0));
    EXPECT_FALSE(Ecrit_liste_vecto(chemin, Liste_vecteurs, Liste_quads, Liste_CC));
    ASSERT_EQ(fe.boites.size(), 3u);
    for (const auto& b : fe.boites) {
        EXPECT_EQ(b.texte, "Ouverture " + chemin + " impossible !\n" + chemin + ": No such file or directory");
        EXPECT_EQ(b.titre, "Erreur");
    }
    EXPECT_FALSE(fs::exists(chemin));
    EXPECT_EQ(q0->numero, 41);
    EXPECT_EQ(a->type, '~');

    // A file that opens but cannot take the bytes is not reported as written.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    fe.boites.clear();
    EXPECT_FALSE(Ecrit_resultats_texte("/dev/full", Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ,
                                       Liste_arcs_VV, Liste_arcs_QV));
    ASSERT_EQ(fe.boites.size(), 1u);
    EXPECT_EQ(fe.boites[0].texte, "Ecriture /dev/full impossible !\n/dev/full: No space left on device");
}

// The files go out through a fixed buffer: lists far larger than it, with
// numbers of every width falling across its boundaries, must give the bytes
// of the line-by-line printf format.
TEST_F(Resultats, FilesLargerThanTheWriteBufferKeepEveryByte)
{
    Chemin_image = "/d/grand.bmp";
    std::mt19937 rng(7);
    const int extremes[] = {0, -1, 7, 2147483647, -2147483647 - 1, -40000, 123456789, 9, 10, 99, 100, 999, 1000,
                            9999, 10000, -9, -10, -9999, -10000};
    constexpr unsigned kExtremes = sizeof extremes / sizeof extremes[0];
    auto valeur = [&](int k) {
        return k % 5 == 0 ? extremes[rng() % kExtremes] : static_cast<int>(rng() % 200000) - 1000;
    };
    std::string texte = " - Resultats Vectorisation - \n - (Image grand.bmp) - \n -===================-\n\n";
    std::string graphe = std::string(kEnteteGxl) + " <graph id=\"grand.bmp.gxl\">\n";
    char ligne[400];
    Vecteur* queue = nullptr;
    for (int k = 0, n = 0; texte.size() < 2 * Sortie_resultat::kTaille + 5000; k++) {
        const int xi = valeur(k), yi = valeur(k + 1), xf = valeur(k + 2), yf = valeur(k + 3);
        const int angle = static_cast<int>(rng() % 180), length = 1 + valeur(k) % 90000;
        if (length == 0) continue;
        auto* r = new Vecteur;
        r->xi = xi, r->yi = yi, r->xf = xf, r->yf = yf, r->angle = angle, r->length = length;
        queue = Ajoute_en_queue(Liste_vecteurs, queue, r);
        std::snprintf(ligne, sizeof ligne, "\nVecteur %d : %d,%d - %d,%d - %d,%d\n", n, xi, yi, xf, yf, angle, length);
        texte += ligne;
        std::snprintf(ligne, sizeof ligne, "\n  <node id=\"node%d\">", n++);
        graphe += ligne;
        const std::pair<const char*, std::string> attributs[] = {
            {"forme", "Vecteur"}, {"xi", std::to_string(xi)}, {"yi", std::to_string(yi)}, {"xf", std::to_string(xf)},
            {"yf", std::to_string(yf)}, {"angle", std::to_string(angle)}, {"length", std::to_string(length)}};
        for (const auto& [nom, v] : attributs)
            graphe += std::string("\n   <attr name=\"") + nom + "\">\n    <string>" + v + "</string>\n   </attr>";
        graphe += "\n  </node>\n";
    }
    texte += "\nFin";
    graphe += "\n </graph>\n</gxl>\n";
    ASSERT_TRUE(Texte());
    EXPECT_TRUE(Lit_texte(dat) == texte);
    ASSERT_TRUE(Gxl(0));
    EXPECT_TRUE(Lit_texte(gxl) == graphe);
}

// Decimals go straight into the file's buffer; they must be the text of Fixe
// for every magnitude, also beyond the six decimals of the file formats.
TEST_F(Resultats, DecimalsWrittenInPlaceAreTheTextOfFixe)
{
    const double valeurs[] = {0.0, -0.0, 0.0005, 0.0015, 0.9995, 1.0 / 3.0, -123.4567, 2.5e-7, 1e300, -1.7e308,
                              4503599627370497.0, 0.125};
    const int decimales[] = {0, 3, 6, 9};
    std::string attendu;
    std::FILE* f = std::fopen(dat.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    {
        Sortie_resultat s(f);
        for (double v : valeurs)
            for (int d : decimales) {
                s.Fixe(v, d) << '|';
                attendu += Fixe(v, d) + '|';
            }
        EXPECT_TRUE(s.Termine(dat.string()));
    }
    EXPECT_EQ(Lit_texte(dat), attendu);
}

}  // namespace
