// Helpers shared by the two graph builders: the zone of influence of a
// source, the candidate search (literal scan or spatial index, same result),
// full lines, distances and the step-by-step display.
#pragma once
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "vecto/records.h"

// Zone of influence: the rectangle around a source's axis prolonged by `dist`
// at both ends, corners C1..C4 in x[0..3], y[0..3], sides C1C2 C2C3 C3C4 C4C1.
struct Zone {
    int x[4] = {0, 0, 0, 0};
    int y[4] = {0, 0, 0, 0};
};

// Axis ends A and B (integers), half-width `dist`. Offsets are rounded up
// (towards plus infinity). Coinciding ends give the square of half-width
// `dist` around the point (direction taken as horizontal).
Zone Zone_influence(int xA, int yA, int xB, int yB, int dist);

// Candidate test of an element whose axis (or segment) runs from A to B: A
// inside the zone, or B inside, or A-B crossing one of the four sides.
int Dans_zone(const Zone& z, int xA, int yA, int xB, int yB);

// Segment of an element as the candidate test sees it (A first).
struct Segment {
    int xA = 0, yA = 0, xB = 0, yB = 0;
};

// Finds, among elements premier..n-1 of a list, those that pass Dans_zone, in
// list order. The index only narrows the elements examined: the exact test
// decides, so the result is the literal scan's. Elements are the segments
// given to Index_construit, numbered by their list position.
// An element with its segment, where a sweep reads both.
struct Segment_numerote {
    int i = 0;
    Segment s;
};

// Scratch of a query: elements already gathered.
struct Marques {
    std::vector<uint32_t> marque;
    uint32_t tour = 0;
    std::vector<Segment_numerote> tampon;
};

struct Index_segments {
    std::vector<Segment> seg;
    bool actif = false;       // false: every query is a literal scan
    int cote = 32;            // cell side in pixels
    int x0 = 0, y0 = 0, nx = 0, ny = 0;
    std::vector<int> debut;   // cell c holds elem[debut[c] .. debut[c+1])
    std::vector<Segment_numerote> elem;  // with the segment: a cell is read in one sweep
    std::vector<int> grands;  // elements spanning too many cells, always examined
    // Elements by the slope of the rays from the far point of Point_dans_quad
    // through their ends: bucket b holds pente_elem[pente_debut[b] ..
    // pente_debut[b+1]). Ends on one ray share a bucket.
    struct Bout {
        int i = 0, x = 0, y = 0;
    };
    int pente_bits = 12;
    std::vector<int> pente_debut;
    std::vector<Bout> pente_elem;
    std::vector<int> hors_pentes;  // an end not up and right of the far point
    Marques propres;          // scratch of the queries without one of their own
};

void Index_construit(Index_segments& ix, std::vector<Segment> segments, int dist);
void Index_candidats(Index_segments& ix, const Zone& z, int premier, std::vector<int>& sortie);
// The same with a scratch of the caller's, so that several threads can query
// one index.
void Index_candidats(const Index_segments& ix, Marques& m, const Zone& z, int premier, std::vector<int>& sortie);

// When true the builders use the literal scan of every later element instead
// of the spatial index (both give the same candidates; kept for tests).
extern bool Graphe_recherche_directe;

// Full line of an element through its axis ends A and B, clipped to the
// image rows (steep) or columns: `existe` is false when A and B coincide.
struct Droite {
    bool existe = false;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
Droite Droite_pleine(int xA, int yA, int xB, int yB, int direction);

// Two directions 0..179 are parallel under tolerance a.
inline bool Paralleles(int d1, int d2, int a)
{
    const int dm = d1 > d2 ? d1 - d2 : d2 - d1;
    return dm < a || dm > 180 - a;
}

// floor of the Euclidean distance.
int Distance_plancher(int x1, int y1, int x2, int y2);

// Step-by-step display: Plan2 shown with (x, y) 150 pixels in from the
// top-left corner, never below 1, then the pause.
void Montre_et_attend(int x, int y);
void Trace_zone(const Zone& z);

// An element as the relation tests see it: axis ends A and B (for a vector A
// is (xf, yf) and B is (xi, yi)), the midpoint of A and B (truncated), the
// direction, the length field and its full line (worked out once).
struct Element {
    int xA = 0, yA = 0, xB = 0, yB = 0;
    int xm = 0, ym = 0;
    int dir = 0, len = 0;
    Droite ligne;
};
Element Element_quad(const Quad& q);
Element Element_vecteur(const Vecteur& v);

struct Seuils {
    int angle_tp = 0, angle_tl = 0, seuil_trou = 0;
};

// A relation found between the source (0) and a candidate (1): its type ('?'
// for none) and which of the two is the first end of the arc.
struct Relation {
    char type = '?';
    int premier = 0, second = 1;
};

// The relation of two elements that do not touch, the second one a vector:
// continuation and side by side when parallel, junction or corner across a
// gap otherwise. `valeur` receives the projection count when it was made.
Relation Proximite_element_vecteur(const Element& s, const Element& v, const Seuils& p, int& valeur);

// End projections that fall on the other element: s's ends on z's axis when
// s is longer than 10, z's ends on s's axis when z is longer than 10.
int Projections_croisees(const Element& s, const Element& z);
// Junction ("t") or corner ("l") across a gap of two non-parallel elements,
// source s first; the gap paths run to (xs, ys) on s and (xz, yz) on z.
Relation Relation_a_distance(const Element& s, const Element& z, int xs, int ys, int xz, int yz, const Seuils& p);

// Fills the candidate table (places 1 to 149) from the candidates in list
// order. When place 149 has just been filled the end beep sounds and filling
// starts again at place 1; returns the number of places filled since.
int Remplit_table(const std::vector<int>& candidats, std::vector<int>& table);
// The same without the beeps, whose number is returned in `bips`.
int Remplit_table_muette(const std::vector<int>& candidats, std::vector<int>& table, int& bips);

// Step-by-step log lines: a relation (" -%c*%d*%d " for a contact, " . %c*%d*%d "
// for a proximity relation), the proximity outcome of a candidate at table
// place `place` (" ?? " parallel, " ? " otherwise when there is none), and
// the "-Type" line.
void Ecrit_relation(const char* format, char type, int premier, int second);
void Ecrit_proximite(const Relation& r, int place, bool paralleles);
void Ecrit_type(int valeur);
// An arc that could not be allocated: reported, the construction goes on.
void Erreur_arc();

// A new arc of type `type` and score 0 whose ends `extremites` sets,
// appended to `liste` after `queue`; null after the report when it cannot be
// allocated.
template <class Arc, class F>
Arc* Nouvel_arc(Arc*& liste, Arc*& queue, char type, F&& extremites)
{
    Arc* a = new (std::nothrow) Arc;
    if (!a) {
        Erreur_arc();
        return nullptr;
    }
    extremites(*a);
    a->type = type;
    a->score = 0.0;
    queue = Ajoute_en_queue(liste, queue, a);
    return a;
}
