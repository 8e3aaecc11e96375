// Relations of the graph at their thresholds: each threshold taken exactly,
// one below and one above, on horizontal and on oblique strokes (direction
// (4, -3), 36 degrees, whose coordinates are whole along both axes).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "vecto/arcs.h"
#include "graph/graphe.h"
#include "graph/zone.h"
#include "tests/graph/outils_graphe.h"
#include "tests/support/support.h"
#include "vecto/records.h"

using namespace tmtest;
using namespace tmgraphe;

namespace {

using V = std::vector<std::string>;

struct Cas {
    const char* nom;
    std::vector<Quad*> (*quads)();
    std::vector<Vecteur*> (*vects)();
    std::map<std::string, std::string> params;
    V attendu;
};

class SeuilsGraphe : public Environnement {
protected:
    // Each case on a white 300 x 300 image, both graphs built.
    void Verifie(const std::vector<Cas>& cas)
    {
        for (const Cas& c : cas) {
            Remise_a_zero();
            Image_blanche(300, 300);
            Parametres(Parametres_defaut());
            Parametres(c.params);
            Pose(c.quads(), c.vects());
            Construit_graphe_VV();
            Construit_graphe_QQV();
            EXPECT_EQ(Arcs(), c.attendu) << c.nom;
        }
    }
};

std::vector<Quad*> Aucun_quad() { return {}; }
std::vector<Vecteur*> Aucun_vecteur() { return {}; }

// The oblique source: axis from B = (20, 160) to A = (100, 100), length 100,
// long sides 5 pixels off the axis.
Quad* Oblique() { return Trait_decale(20, 160, 100, 100, 3, 4); }

}  // namespace

// "P" needs at least two of the four end projections on the other element;
// ends of an element of length 10 or less are not projected.
TEST_F(SeuilsGraphe, SideBySideNeedsTwoEndProjections)
{
    const std::map<std::string, std::string> p = {{"distZI", "25"}, {"distZI_Vect", "25"}};
    Verifie({
        {"quads, 2 projections", [] { return std::vector<Quad*>{Trait(10, 50, 90, 50, 3), Trait(60, 70, 140, 70, 3)}; },
         Aucun_vecteur, p, {"P q0 q1"}},
        {"quads, 3 projections", [] { return std::vector<Quad*>{Trait(10, 50, 90, 50, 3), Trait(10, 70, 100, 70, 3)}; },
         Aucun_vecteur, p, {"P q0 q1"}},
        {"quads, 1 projection", [] { return std::vector<Quad*>{Trait(10, 50, 90, 50, 3), Trait(85, 70, 95, 70, 3)}; },
         Aucun_vecteur, p, {}},
        {"quad and vector, 2 projections", [] { return std::vector<Quad*>{Trait(10, 50, 90, 50, 3)}; },
         [] { return std::vector<Vecteur*>{Vect(60, 70, 140, 70)}; }, p, {"P q0 v0"}},
        {"quad and vector, 1 projection", [] { return std::vector<Quad*>{Trait(10, 50, 90, 50, 3)}; },
         [] { return std::vector<Vecteur*>{Vect(85, 70, 95, 70)}; }, p, {}},
        {"vectors, 2 projections", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(10, 50, 90, 50), Vect(60, 70, 140, 70)}; }, p, {"P v0 v1"}},
        {"vectors, 1 projection", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(10, 50, 90, 50), Vect(85, 70, 95, 70)}; }, p, {}},
        // 20 pixels across the direction, shifted 50 along it.
        {"oblique quads, 2 projections", [] { return std::vector<Quad*>{Oblique(), Trait_decale(72, 146, 152, 86, 3, 4)}; },
         Aucun_vecteur, p, {"P q0 q1"}},
        {"oblique quads, 1 projection", [] { return std::vector<Quad*>{Oblique(), Trait_decale(108, 119, 116, 113, 3, 4)}; },
         Aucun_vecteur, p, {}},
        {"oblique quad and vector, 2 projections", [] { return std::vector<Quad*>{Oblique()}; },
         [] { return std::vector<Vecteur*>{Vect(72, 146, 152, 86)}; }, p, {"P q0 v0"}},
        {"oblique vectors, 2 projections", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(20, 160, 100, 100), Vect(72, 146, 152, 86)}; }, p, {"P v0 v1"}},
        {"oblique vectors, 1 projection", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(20, 160, 100, 100), Vect(108, 119, 116, 113)}; }, p, {}},
    });
}

// "~" needs the two axes less than 15 pixels apart across their direction
// and fewer than Seuil_Trou white pixels on the path between the nearest
// ends. The gap of 4 white pixels is taken against Seuil_Trou 3, 4 and 5.
TEST_F(SeuilsGraphe, ContinuationDistanceAndGap)
{
    const std::map<std::string, std::string> large = {{"distZI", "25"}, {"distZI_Vect", "25"}, {"Seuil_Trou", "100"}};
    auto trou = [](const char* s) { return std::map<std::string, std::string>{{"distZI", "25"}, {"Seuil_Trou", s}}; };
    Verifie({
        {"14 across", [] { return std::vector<Quad*>{Trait(10, 50, 60, 50, 3), Trait(63, 64, 100, 64, 3)}; },
         Aucun_vecteur, large, {"~ q0 q1"}},
        {"15 across", [] { return std::vector<Quad*>{Trait(10, 50, 60, 50, 3), Trait(63, 65, 100, 65, 3)}; },
         Aucun_vecteur, large, {}},
        {"16 across", [] { return std::vector<Quad*>{Trait(10, 50, 60, 50, 3), Trait(63, 66, 100, 66, 3)}; },
         Aucun_vecteur, large, {}},
        {"oblique, 14 across", [] { return std::vector<Quad*>{Oblique(), Trait_decale(113, 108, 193, 48, 3, 4)}; },
         Aucun_vecteur, large, {"~ q0 q1"}},
        {"oblique, 15 across", [] { return std::vector<Quad*>{Oblique(), Trait_decale(113, 109, 193, 49, 3, 4)}; },
         Aucun_vecteur, large, {}},
        {"oblique, 16 across", [] { return std::vector<Quad*>{Oblique(), Trait_decale(114, 110, 194, 50, 3, 4)}; },
         Aucun_vecteur, large, {}},
        {"quad and vector, 14 across", [] { return std::vector<Quad*>{Trait(10, 50, 60, 50, 3)}; },
         [] { return std::vector<Vecteur*>{Vect(63, 64, 100, 64)}; }, large, {"~ q0 v0"}},
        {"quad and vector, 15 across", [] { return std::vector<Quad*>{Trait(10, 50, 60, 50, 3)}; },
         [] { return std::vector<Vecteur*>{Vect(63, 65, 100, 65)}; }, large, {}},
        {"oblique vectors, 14 across", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(20, 160, 100, 100), Vect(113, 108, 193, 48)}; }, large, {"~ v0 v1"}},
        {"oblique vectors, 15 across", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(20, 160, 100, 100), Vect(113, 109, 193, 49)}; }, large, {}},
        {"gap 4, threshold 5", [] { return std::vector<Quad*>{Trait(10, 50, 60, 50, 3), Trait(64, 50, 100, 50, 3)}; },
         Aucun_vecteur, trou("5"), {"~ q0 q1"}},
        {"gap 4, threshold 4", [] { return std::vector<Quad*>{Trait(10, 50, 60, 50, 3), Trait(64, 50, 100, 50, 3)}; },
         Aucun_vecteur, trou("4"), {}},
        {"gap 4, threshold 3", [] { return std::vector<Quad*>{Trait(10, 50, 60, 50, 3), Trait(64, 50, 100, 50, 3)}; },
         Aucun_vecteur, trou("3"), {}},
        {"oblique gap 4, threshold 5", [] { return std::vector<Quad*>{Oblique(), Trait_decale(104, 97, 184, 37, 3, 4)}; },
         Aucun_vecteur, trou("5"), {"~ q0 q1"}},
        {"oblique gap 4, threshold 4", [] { return std::vector<Quad*>{Oblique(), Trait_decale(104, 97, 184, 37, 3, 4)}; },
         Aucun_vecteur, trou("4"), {}},
        {"oblique vectors, gap 4, threshold 5", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(20, 160, 100, 100), Vect(104, 97, 184, 37)}; }, trou("5"), {"~ v0 v1"}},
        {"oblique vectors, gap 4, threshold 4", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(20, 160, 100, 100), Vect(104, 97, 184, 37)}; }, trou("4"), {}},
    });
}

// Two strokes side by side whose directions differ by 3 degrees: parallel
// only under a tolerance above 3, and "P" needs both tolerances.
TEST_F(SeuilsGraphe, ParallelMeansStrictlyWithinTheTolerance)
{
    auto tol = [](const char* tl, const char* tp) {
        return std::map<std::string, std::string>{{"distZI", "25"}, {"Angle_TL", tl}, {"Angle_TP", tp}};
    };
    // Directions 0 and 3, 36 and 39 for the oblique pair.
    auto droits = [] { return std::vector<Quad*>{Trait(10, 50, 90, 50, 3), Quad_cotes(10, 72, 90, 67, 90, 73, 10, 78)}; };
    auto obliques = [] { return std::vector<Quad*>{Oblique(), Trait_decale(32, 176, 112, 110, 3, 4)}; };
    Verifie({
        {"Angle_TL 4", droits, Aucun_vecteur, tol("4", "30"), {"P q0 q1"}},
        {"Angle_TL 3", droits, Aucun_vecteur, tol("3", "30"), {}},
        {"Angle_TL 2", droits, Aucun_vecteur, tol("2", "30"), {}},
        {"Angle_TP 4", droits, Aucun_vecteur, tol("30", "4"), {"P q0 q1"}},
        {"Angle_TP 3", droits, Aucun_vecteur, tol("30", "3"), {}},
        {"Angle_TP 2", droits, Aucun_vecteur, tol("30", "2"), {}},
        {"oblique, Angle_TL 4", obliques, Aucun_vecteur, tol("4", "30"), {"P q0 q1"}},
        {"oblique, Angle_TL 3", obliques, Aucun_vecteur, tol("3", "30"), {}},
        {"oblique, Angle_TP 4", obliques, Aucun_vecteur, tol("30", "4"), {"P q0 q1"}},
        {"oblique, Angle_TP 3", obliques, Aucun_vecteur, tol("30", "3"), {}},
    });
    // The premise: the directions really differ by 3.
    Quad* a = Trait(10, 50, 90, 50, 3);
    Quad* b = Quad_cotes(10, 72, 90, 67, 90, 73, 10, 78);
    Quad* c = Oblique();
    Quad* d = Trait_decale(32, 176, 112, 110, 3, 4);
    EXPECT_EQ((b->angle1 + b->angle2) / 2 - (a->angle1 + a->angle2) / 2, 3);
    EXPECT_EQ((d->angle1 + d->angle2) / 2 - (c->angle1 + c->angle2) / 2, 3);
    for (Quad* q : {a, b, c, d}) delete q;
}

// The zone of influence reaches distZI (distZI_Vect) across the source's
// axis: a candidate ending on its side is taken, one a step further is not.
// Seuil_Trou is high so that any candidate gets a "t".
TEST_F(SeuilsGraphe, ZoneReachesItsHalfWidth)
{
    auto p = [] { return std::map<std::string, std::string>{{"distZI", "10"}, {"distZI_Vect", "10"}, {"Seuil_Trou", "1000"}}; };
    Verifie({
        {"vectors, 9 across", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(10, 50, 90, 50), Vect(50, 59, 50, 79)}; }, p(), {"t v0 v1"}},
        {"vectors, 10 across", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(10, 50, 90, 50), Vect(50, 60, 50, 80)}; }, p(), {"t v0 v1"}},
        {"vectors, 11 across", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(10, 50, 90, 50), Vect(50, 61, 50, 81)}; }, p(), {}},
        {"quads, 10 across", [] { return std::vector<Quad*>{Trait(10, 50, 90, 50, 3), Trait(50, 80, 50, 60, 3)}; },
         Aucun_vecteur, p(), {"t q0 q1"}},
        {"quads, 11 across", [] { return std::vector<Quad*>{Trait(10, 50, 90, 50, 3), Trait(50, 81, 50, 61, 3)}; },
         Aucun_vecteur, p(), {}},
        // Steps of 5 pixels along the normal (-3, -4) of the oblique axis.
        {"oblique vectors, 5 across", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(20, 160, 100, 100), Vect(57, 126, 45, 110)}; }, p(), {"t v0 v1"}},
        {"oblique vectors, 10 across", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(20, 160, 100, 100), Vect(54, 122, 42, 106)}; }, p(), {"t v0 v1"}},
        {"oblique vectors, 15 across", Aucun_quad,
         [] { return std::vector<Vecteur*>{Vect(20, 160, 100, 100), Vect(51, 118, 39, 102)}; }, p(), {}},
    });
}
