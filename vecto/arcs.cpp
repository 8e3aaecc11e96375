#include "vecto/arcs.h"

ArcQQ* Liste_arcs_QQ = nullptr;
ArcVV* Liste_arcs_VV = nullptr;
ArcQV* Liste_arcs_QV = nullptr;

void Vide_graphe()
{
    Libere_liste(Liste_arcs_QQ);
    Libere_liste(Liste_arcs_VV);
    Libere_liste(Liste_arcs_QV);
}

void Raz_arcs_QQ(ArcQQ* tete) { Raz_liste(tete, " Raz Arcs QQ : "); }
void Raz_arcs_VV(ArcVV* tete) { Raz_liste(tete, " Raz Arcs VV : "); }
void Raz_arcs_QV(ArcQV* tete) { Raz_liste(tete, " Raz Arcs QV : "); }

void Raz_graphe()
{
    Raz_arcs_QQ(Liste_arcs_QQ);
    Liste_arcs_QQ = nullptr;
    Raz_arcs_VV(Liste_arcs_VV);
    Liste_arcs_VV = nullptr;
    Raz_arcs_QV(Liste_arcs_QV);
    Liste_arcs_QV = nullptr;
}
