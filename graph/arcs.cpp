#include "graph/arcs.h"

ArcQQ* Liste_arcs_QQ = nullptr;
ArcVV* Liste_arcs_VV = nullptr;
ArcQV* Liste_arcs_QV = nullptr;

void Vide_graphe()
{
    Libere_liste(Liste_arcs_QQ);
    Libere_liste(Liste_arcs_VV);
    Libere_liste(Liste_arcs_QV);
}
