// Arcs of Liste_arcs_QQ met at each quadrilateral, in list order, so that a
// walk over one quadrilateral's arcs visits exactly the arcs, and in the
// order, that a scan of the whole list testing Q1 and Q2 would.
#pragma once
#include <cstdint>
#include <cstddef>
#include <vector>

#include "vecto/arcs.h"
#include "vecto/records.h"

// True: every spotting step scans the whole arc list as written (the
// reference the index is compared with in tests and benchmarks).
extern bool Spotting_recherche_directe;

// Rank of each quadrilateral met, by address: open addressing in one array,
// without a node to allocate per entry. Ranks are given 0, 1, 2... in the
// order of first insertion.
class Rangs {
public:
    void clear(size_t prevus);
    size_t size() const { return n_; }
    // The rank of q, or -1 when q was never inserted.
    int32_t cherche(const Quad* q) const
    {
        if (cases_.empty()) return -1;
        for (size_t i = Hache(q);; i = (i + 1) & masque_) {
            const Case& c = cases_[i];
            if (c.q == q) return c.rang;
            if (!c.q) return -1;
        }
    }
    // The rank of q, inserted with the next rank when new (q not null).
    int32_t insere(const Quad* q);

private:
    struct Case {
        const Quad* q = nullptr;
        int32_t rang = 0;
    };
    size_t Hache(const Quad* q) const
    {
        return static_cast<size_t>((reinterpret_cast<uintptr_t>(q) >> 3) * 0x9E3779B97F4A7C15ull >> decalage_);
    }
    void Agrandit();
    std::vector<Case> cases_;
    size_t masque_ = 0;
    int decalage_ = 64;
    size_t n_ = 0;
};

struct IncidenceQQ {
    Rangs rang;                                     // every quadrilateral of Liste_quads and every arc end
    std::vector<int32_t> debut;                     // arcs of rank r: arcs[debut[r] .. debut[r + 1] - 1]
    std::vector<ArcQQ*> arcs;
    int32_t nb_liste = 0;                           // ranks below this: quadrilaterals of Liste_quads

    // The quadrilaterals whose niveau or precedent the loop searches through
    // this index have set since the last complete clearing, so that the next
    // search clears only those. Without `marques_suivies` (a new index, or a
    // search made by the literal scan in between) the next search clears
    // every quadrilateral of Liste_quads.
    mutable std::vector<Quad*> marques;
    mutable bool marques_suivies = false;
    bool Dans_liste(const Quad* q) const
    {
        const int32_t r = rang.cherche(q);
        return r >= 0 && r < nb_liste;
    }

    // Built from Liste_quads and Liste_arcs_QQ as they stand; an arc whose
    // two ends are the same quadrilateral is listed once for it.
    void Construit();
    // The arcs met at q; empty for a quadrilateral that no arc touches.
    struct Plage {
        ArcQQ* const* b;
        ArcQQ* const* e;
        ArcQQ* const* begin() const { return b; }
        ArcQQ* const* end() const { return e; }
    };
    Plage Arcs_de(const Quad* q) const
    {
        const int32_t r = rang.cherche(q);
        if (r < 0) return {nullptr, nullptr};
        return {arcs.data() + debut[r], arcs.data() + debut[r + 1]};
    }
};

// The whole of Liste_arcs_QQ as a range, for the literal scans.
struct ArcsQQ_en_liste {
    struct It {
        ArcQQ* a;
        ArcQQ* operator*() const { return a; }
        It& operator++()
        {
            a = a->suivant;
            return *this;
        }
        bool operator!=(const It& o) const { return a != o.a; }
    };
    It begin() const { return {Liste_arcs_QQ}; }
    It end() const { return {nullptr}; }
};

// The index of the current spotting step, or null outside the steps that
// build it (loop search, region extraction): valid only while the arc list
// stays as it was when the step built it.
extern const IncidenceQQ* Incidence_courante;
