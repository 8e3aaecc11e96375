#include "draw/raz.h"

#include "app/core/shell.h"

namespace {
template <class T>
void Libere(T* tete, const char* texte)
{
    int n = 0;
    while (tete) {
        T* s = tete->suivant;
        delete tete;
        tete = s;
        n++;
    }
    Ecrit_texte(1, texte);
    Ecrit_nombre(0, n);
}
}  // namespace

void Raz_vecteurs(Vecteur* tete) { Libere(tete, " Raz vecteurs : "); }
void Raz_quads(Quad* tete)
{
    Libere(tete, " Raz quadr. : ");
    Nb_quads = 0;
}
void Raz_CC(CC* tete) { Libere(tete, " Raz C.C. : "); }
void Raz_symboles(Symbole* tete) { Libere(tete, " Raz Symboles : "); }
void Raz_arcs_QQ(ArcQQ* tete) { Libere(tete, " Raz Arcs QQ : "); }
void Raz_arcs_VV(ArcVV* tete) { Libere(tete, " Raz Arcs VV : "); }
void Raz_arcs_QV(ArcQV* tete) { Libere(tete, " Raz Arcs QV : "); }

void Raz_graphe()
{
    Raz_arcs_QQ(Liste_arcs_QQ);
    Liste_arcs_QQ = nullptr;
    Raz_arcs_VV(Liste_arcs_VV);
    Liste_arcs_VV = nullptr;
    Raz_arcs_QV(Liste_arcs_QV);
    Liste_arcs_QV = nullptr;
}
