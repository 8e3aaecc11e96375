// What the chaining and the fusion pass of quadrilaterals both read of a
// record: separators and the middles of the two ends.
#pragma once
#include <vector>

#include "vecto/records.h"

namespace fusion_quads {

struct Point {
    int x, y;
};

// The chaining's separators are quadrilaterals of length 0.
inline bool Separateur(const Quad* q) { return q->length == 0; }

// Middles of the two ends, halves truncated toward zero.
inline Point Milieu_A(const Quad* q) { return {(q->x1i + q->x2f) / 2, (q->y1i + q->y2f) / 2}; }
inline Point Milieu_B(const Quad* q) { return {(q->x1f + q->x2i) / 2, (q->y1f + q->y2i) / 2}; }

// The chained list's records in list order, as the last chaining made
// them: the fusion pass and the next chaining walk the list in that order
// (vecto/avance.h).
std::vector<Quad*>& Ordre_chaine();

}  // namespace fusion_quads
