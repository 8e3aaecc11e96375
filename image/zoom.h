// The reduced picture shown while the display is zoomed.
#pragma once
#include "image/planes.h"

// Rebuilds Plan_zoom from `source`, keeping one pixel in f in each direction
// (no averaging). The picture lands in the top-left corner of an otherwise
// black plane of the full image size; later changes of the source do not
// follow it. The first call after a load makes Plan_zoom's buffer. Nothing
// happens when no image is loaded or f < 1.
void Construit_zoom(const PlanImage& source, int f);
