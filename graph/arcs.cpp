#include "graph/arcs.h"

ArcQQ* Liste_arcs_QQ = nullptr;
ArcVV* Liste_arcs_VV = nullptr;
ArcQV* Liste_arcs_QV = nullptr;
