// Chaining and fusion of aligned quadrilaterals.
#pragma once
#include <cstddef>
#include <cstdint>
#include <unordered_map>

// What Blancs_au_dela answered on Plan1 (threshold 4) for the segments
// tested, kept from one fusion pass to the next: a pass tests again the
// joints of every chain the previous pass left as it was. Valid only while
// Plan1 does not change.
struct Memo_blancs {
    struct Cle {
        int32_t x0, y0, x1, y1;
        bool operator==(const Cle&) const = default;
    };
    struct Hache {
        size_t operator()(const Cle& c) const noexcept;
    };
    std::unordered_map<Cle, bool, Hache> reponses;
};

int Chainage_quads(int seuil_pente);
// The same chaining by the literal scan of the whole list at every step
// (Chainage_quads answers the same through an index of the corners).
int Chainage_quads_direct(int seuil_pente);
// Returns the quadrilaterals absorbed (also subtracted from Nb_quads).
// With a memo, the segment tests are looked up there first. Without
// `evenements` the window is not let process its events on the way (another
// thread is working on the vectors meanwhile).
int Fusion_quads(Memo_blancs* memo = nullptr, bool evenements = true);
