// Growing a symbol region through the quadrilateral graph from one seed,
// over the quadrilaterals whose score reaches the threshold.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "vecto/arcs.h"
#include "vecto/records.h"

constexpr int Taille_region = 400;

// Addresses met by one region, so that "already there?" is not a scan of its
// arrays: open addressing over a fixed table whose cases carry the emptying
// they were written in, so that emptying costs nothing. Room for twice the
// arrays' capacity.
template <class T>
class Adresses_vues {
public:
    bool Contient(const T* p) const
    {
        for (size_t i = Hache(p);; i = (i + 1) & (kCases - 1)) {
            const Case& c = cases_[i];
            if (c.tour != tour_) return false;
            if (c.p == p && !c.retiree) return true;
        }
    }
    // p, absent, is added.
    void Ajoute(const T* p)
    {
        if (2 * (occupees_ + 1) > kCases) Recompose();
        size_t i = Hache(p);
        while (cases_[i].tour == tour_) i = (i + 1) & (kCases - 1);
        cases_[i] = {p, tour_, false};
        occupees_++;
    }
    // p, present, is taken out (its case stays taken until the next
    // recomposition, so that the addresses after it are still found).
    void Retire(const T* p)
    {
        for (size_t i = Hache(p);; i = (i + 1) & (kCases - 1)) {
            Case& c = cases_[i];
            if (c.tour != tour_) return;
            if (c.p == p && !c.retiree) {
                c.retiree = true;
                return;
            }
        }
    }
    void Vide()
    {
        occupees_ = 0;
        if (++tour_ != 0) return;
        for (Case& c : cases_) c = Case{};  // the counter went round
        tour_ = 1;
    }

private:
    static constexpr size_t kCases = 1024;
    static_assert(kCases >= 2 * Taille_region);
    struct Case {
        const T* p = nullptr;
        uint32_t tour = 0;
        bool retiree = false;
    };
    static size_t Hache(const T* p)
    {
        return static_cast<size_t>((reinterpret_cast<uintptr_t>(p) >> 3) * 0x9E3779B97F4A7C15ull >> 54);
    }
    // The addresses still present, without the cases of those taken out.
    void Recompose()
    {
        const T* presentes[kCases];
        size_t n = 0;
        for (const Case& c : cases_)
            if (c.tour == tour_ && !c.retiree) presentes[n++] = c.p;
        Vide();
        for (size_t k = 0; k < n; k++) Ajoute(presentes[k]);
    }
    Case cases_[kCases];
    uint32_t tour_ = 1;
    size_t occupees_ = 0;
};

// Working arrays of one region: the arcs of its sub-graph in the order of
// recording (at most 399 held), its members in the order they joined, and
// the quadrilaterals waiting to be expanded (at most 399 at a time).
struct Region {
    ArcQQ* arcs[Taille_region] = {};
    Quad* membres[Taille_region] = {};
    Quad* file[Taille_region] = {};
    int qcount = 0, mcount = 0, acount = 0;
    Adresses_vues<Quad> membres_vus;  // what membres holds
    Adresses_vues<ArcQQ> arcs_vus;    // what arcs holds
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
// A symbol's opening in the symbol list: "<symbol>", its location, scale
// factor and bounding box, each on its line; the name and "</symbol>" follow.
void Ajoute_debut_symbole(std::string& s, const Boite& b);
