#include <string>

#include "port/shell.h"
#include "output/ecriture.h"
#include "output/resultats.h"

bool Ecrit_liste_vecto(const std::string& chemin, Vecteur* v, Quad* q, CC* cc)
{
    std::FILE* f = Cree_resultat(chemin);
    if (!f) return false;
    std::string s;
    Ajoute(s, " - Resultats Vectorisation : %s - \n", chemin.c_str());
    Ajoute(s, " - (Image %s) - \n", Nom_fichier(Chemin_image).c_str());
    s += " -===================-\n\n";
    // Each kind counted from 0 on its own; numero is left alone.
    int n = 0;
    for (; v; v = v->suivant)
        if (v->length != 0) Ajoute(s, "\nVecteur %d : %d,%d - %d,%d\n", n++, v->xi, v->yi, v->xf, v->yf);
    n = 0;
    for (; q; q = q->suivant)
        if (q->length != 0)
            Ajoute(s, "\nQuadrilatere %d : (%d,%d - %d,%d) * (%d,%d - %d,%d) \n", n++, q->x1i, q->y1i, q->x1f, q->y1f,
                   q->x2i, q->y2i, q->x2f, q->y2f);
    n = 0;
    for (; cc; cc = cc->suivant) Ajoute(s, "\nComp. Connexe %d : %d,%d - %d,%d \n", n++, cc->xi, cc->yi, cc->xf, cc->yf);
    return Termine_resultat(f, chemin, s);
}
