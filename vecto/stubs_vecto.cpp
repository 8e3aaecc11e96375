// Placeholders until each stage lands; each stage's own file replaces its part.
#include "vecto/axe_median.h"
#include "vecto/contours.h"
#include "vecto/fusion_quads.h"
#include "vecto/fusion_vecteurs.h"
#include "vecto/pretraitement.h"
#include "vecto/quads.h"

#include "app/core/shell.h"
#include "vecto/vectorisation.h"
