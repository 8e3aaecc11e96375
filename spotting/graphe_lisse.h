// A drawn shape's graph in a form that depends less on how the drawing was
// cut into strokes: the same shape at another size, or a noisy scan of it,
// is cut into a different number of pieces along its curves and gathers
// short specks along its strokes.
#pragma once
#include "tools/matchers/graphe_gxl.h"

// Nodes joined end to end (a continuation 'S' or a corner 'L') at a bend of
// at most `angle` degrees become one node, their lengths added; then the
// nodes shorter than `part` of the longest are left out with their edges.
// Lengths are made relative to the longest node again; between two nodes
// the first edge is kept.
GrapheG Graphe_lisse(const GrapheG& g, double angle, double part);
