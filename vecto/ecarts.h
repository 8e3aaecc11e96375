// Gap tests: whether white pixels interrupt the digital line between two
// points. They answer as soon as the count settles the question: the tests
// only ask whether a few white pixels cut a line, which is known long
// before the end of a long one.
#pragma once
#include "image/planes.h"

// Compte_blancs(x0, y0, x1, y1, plan) > seuil.
bool Blancs_au_dela(int x0, int y0, int x1, int y1, const PlanImage& plan, int seuil);
// Compte_blancs(x0, y0, x1, y1, plan) < seuil.
bool Blancs_sous(int x0, int y0, int x1, int y1, const PlanImage& plan, int seuil);
