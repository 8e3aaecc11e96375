#include <string>

#include "app/core/shell.h"
#include "output/ecriture.h"
#include "output/resultats.h"

bool Ecrit_resultats_texte(const std::string& chemin, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv)
{
    std::FILE* f = Ouvre_resultat(chemin);
    if (!f) return false;  // nothing numbered, no arc rewritten
    std::string s;
    s += " - Resultats Vectorisation - \n";
    Ajoute(s, " - (Image %s) - \n", Nom_fichier(Chemin_image).c_str());
    s += " -===================-\n\n";

    // One numbering for the nodes, stored in numero for the arc lines and
    // for every later reader (the GXL file uses the same one).
    int n = 0;
    for (; v; v = v->suivant) {
        if (v->length == 0) continue;
        v->numero = n++;
        Ajoute(s, "\nVecteur %d : %d,%d - %d,%d - %d,%d\n", v->numero, v->xi, v->yi, v->xf, v->yf, v->angle,
               v->length);
    }
    for (; q; q = q->suivant) {
        if (q->length == 0) continue;
        q->numero = n++;
        Ajoute(s, "\nQuadrilatere %d : (%d,%d - %d,%d) - (%d,%d - %d,%d) - %d,%d - %d,%d,%d\n", q->numero, q->x1i,
               q->y1i, q->x1f, q->y1f, q->x2i, q->y2i, q->x2f, q->y2f, q->thickness1, q->thickness2, q->angle1,
               q->angle2, q->length);
    }
    for (; cc; cc = cc->suivant) Ajoute(s, "\nComp. Connexe %d : %d,%d - %d,%d \n", n++, cc->xi, cc->yi, cc->xf, cc->yf);

    // Arcs with a missing end are left out but keep their number.
    int a = 0;
    for (; aqq; aqq = aqq->suivant, a++) {
        if (!aqq->Q1 || !aqq->Q2) continue;
        Ajoute(s, "\nArc %d : Q1=%d,Q2=%d - Type=%c - Angle=%d\n", a, aqq->Q1->numero, aqq->Q2->numero,
               Normalise_type(aqq->type), Angle_arc(aqq->Q1->angle1, aqq->Q2->angle1));
    }
    for (; avv; avv = avv->suivant, a++) {
        if (!avv->V1 || !avv->V2) continue;
        Ajoute(s, "\nArc %d : V1=%d,V2=%d - Type=%c - Angle=%d\n", a, avv->V1->numero, avv->V2->numero,
               Normalise_type(avv->type), Angle_arc(avv->V1->angle, avv->V2->angle));
    }
    for (; aqv; aqv = aqv->suivant, a++) {
        if (!aqv->Q1 || !aqv->V2) continue;
        Ajoute(s, "\nArc %d : Q1=%d,V2=%d - Type=%c - Angle=%d\n", a, aqv->Q1->numero, aqv->V2->numero,
               Normalise_type(aqv->type), Angle_arc(aqv->Q1->angle1, aqv->V2->angle));
    }
    s += "\nFin";
    return Termine_resultat(f, chemin, s);
}
