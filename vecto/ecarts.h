// The gap test of the fusions and the quadrilateral pairing: whether white
// pixels interrupt the digital line between two points.
#pragma once
#include "image/planes.h"

// Compte_blancs(x0, y0, x1, y1, plan) > seuil, answered as soon as the count
// passes the threshold: the tests only ask whether a few white pixels cut a
// line, which is known long before the end of a long one.
bool Blancs_au_dela(int x0, int y0, int x1, int y1, const PlanImage& plan, int seuil);
