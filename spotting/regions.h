// Growing a symbol region through the quadrilateral graph from one seed,
// over the quadrilaterals whose score reaches the threshold.
#pragma once
#include "graph/arcs.h"
#include "vecto/records.h"

constexpr int Taille_region = 400;

// Working arrays of one region: the arcs of its sub-graph in the order of
// recording (at most 399 held), its members in the order they joined, and
// the quadrilaterals waiting to be expanded (at most 399 at a time).
struct Region {
    ArcQQ* arcs[Taille_region] = {};
    Quad* membres[Taille_region] = {};
    Quad* file[Taille_region] = {};
    int qcount = 0, mcount = 0, acount = 0;
};

// Empties the three arrays.
void Vide_region(Region& r);
// o joins the region (member and queued): 1; 0 when it is a member already
// or when the queue holds 399 or the members 400.
int Enfile_unique(Quad* o, Region& r);
// The first queued quadrilateral, taken out of the queue; null when empty.
Quad* Defile(Quad* file[Taille_region], int& qcount);
// Expands one queued quadrilateral q: every arc between q and a
// quadrilateral o of score >= seuil, in arc-list order, offers o to the
// region; the arc is recorded when o is a member afterwards, and the growth
// goes on at once from the front of the queue when o has just joined. Past
// 399 recorded arcs the last is replaced, with three end beeps. Returns 0
// when the queue was empty, else 1.
int Croissance_region(Region& r, double seuil);
int Croissance_region_direct(Region& r, double seuil);  // scans the whole arc list per expansion

// Bounding box of a region's members, its centre and its longest member.
struct Boite {
    int xmin = 30000, ymin = 30000, xmax = 0, ymax = 0;
    int x = 0, y = 0;  // the symbol's location
    int32_t lmax = 0;
};
// Box of the members; every member takes the symbol number k in niveau and
// its index in the region in numero.
Boite Boite_region(const Region& r, int k);
// Appends the closed outline of the box to Liste_symboles ("- Erreur mem. -"
// and nothing appended when there is no memory left). Returns 1 when added.
int Ajoute_symbole(const Boite& b);
// The box on Plan2 and in the colour picture: left, bottom, top, right side.
void Trace_boite(const Boite& b);
