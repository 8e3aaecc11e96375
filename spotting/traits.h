// The strokes of a wired drawing as the grouping reads them: each
// quadrilateral's axis and thickness, the contacts between strokes, the
// pieces of one straight stroke broken by noise, and which strokes are
// wires (connecting strokes) rather than parts of symbols.
#pragma once
#include <algorithm>
#include <vector>

#include "vecto/records.h"

namespace traits {

// A wire is at least this many typical thicknesses long.
constexpr double Longueur_fil = 22.0;
// Short wires, for a reading apart, from this many thicknesses.
constexpr double Longueur_fil_court = 10.0;

struct Geo {
    double ax = 0, ay = 0, bx = 0, by = 0;  // axis
    double l = 0, ep = 1;
};

// The axis (the longer pairing of the sides' ends, no drawing order
// assumed) and the thickness of a quadrilateral.
Geo Geometrie(const Quad* q);

// Closest points of the axes of a and b: returns the distance, with the
// parameters s along a and t along b in [0, 1].
double Plus_proches(const Geo& a, const Geo& b, double& s, double& t);

struct Contact {
    int autre = 0;
    double t = 0;  // where along this stroke, 0..1
    char type = '?';
};

struct Union_find {
    std::vector<int> p;
    explicit Union_find(size_t n) : p(n) { for (size_t i = 0; i < n; i++) p[i] = static_cast<int>(i); }
    int Racine(int x)
    {
        while (p[static_cast<size_t>(x)] != x) x = p[static_cast<size_t>(x)] = p[static_cast<size_t>(p[static_cast<size_t>(x)])];
        return x;
    }
    void Unit(int a, int b)
    {
        a = Racine(a), b = Racine(b);
        if (a != b) p[static_cast<size_t>(std::max(a, b))] = std::min(a, b);
    }
};

// Whether contact c lies within `marge` of an end of g.
inline bool Au_bout(const Contact& c, const Geo& g, double marge) { return std::min(c.t, 1 - c.t) * g.l <= marge; }
// How near an end of g a contact must lie to be at that end.
inline double Marge(const Geo& g) { return std::max(1.5 * g.ep + 3, 0.12 * g.l); }

// Whether b carries a on in line: about the same slope, b's near end beyond
// a's end by a gap short beside them (twice the thickness `ep` and a quarter
// of the longer piece), and b's axis on a's line (side by side strokes, as
// the double lines of a wall, overlap along it and are not pieces).
bool Prolonge(const Geo& a, const Geo& b, double ep);

// Chains of pieces of one straight stroke: each stroke's chain number. Two
// strokes in contact are pieces when one carries the other on in line and
// nothing else of some length meets the gap between them (the plates of a
// capacitor part its two leads). Walls (Trait_mur in `roles`) are no pieces.
std::vector<int> Chaines(const std::vector<Geo>& geo, const std::vector<std::vector<Contact>>& contacts,
                         const std::vector<int>& roles, double ep);

// Wires among `geo` (thickness `ep` typical): long strokes touched only at
// their ends (crossings aside); then also those touched along them only by
// the ends of other long strokes (wires branching off a bus) or by tiny
// pieces (a junction dot). A stroke is no wire where it lies on an outline:
// its two ends joined again by a short way round near it (a triangle's
// side), or a side of about its length facing it and joined to it at a
// corner (a box whose other corner noise broke), or both its ends turning
// the same way into sides of about equal length (a gate's back). Marks the
// wires Trait_fil in `roles`; returns the long strokes touched only at their
// ends (outlines included). Long: at least `longueur` thicknesses and 20 pixels.
std::vector<bool> Fils(const std::vector<Geo>& geo, const std::vector<std::vector<Contact>>& contacts,
                       std::vector<int>& roles, double ep, double longueur = Longueur_fil);

}  // namespace traits
