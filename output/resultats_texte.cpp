#include <string>

#include "port/shell.h"
#include "output/ecriture.h"
#include "output/contenus.h"
#include "output/resultats.h"

void Contenu_resultats_texte(Sortie_resultat& s, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv,
                              bool numerote)
{
    s << " - Resultats Vectorisation - \n";
    s << " - (Image " << Nom_fichier(Chemin_image).c_str() << ") - \n";
    s << " -===================-\n\n";

    // One numbering for the nodes, stored in numero for the arc lines and
    // for every later reader (the GXL file uses the same one).
    // The records are met here for the first time since they were made, out
    // of address order: the next one is fetched while this one is written.
    int n = 0;
    for (; v; v = v->suivant) {
        __builtin_prefetch(v->suivant);
        if (v->length == 0) continue;
        if (numerote) v->numero = n;
        n++;
        Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);  // one line of numbers
        c << "\nVecteur " << v->numero << " : " << v->xi << ',' << v->yi << " - " << v->xf << ',' << v->yf << " - "
          << v->angle << ',' << v->length << '\n';
        s.Pose(c);
    }
    for (; q; q = q->suivant) {
        __builtin_prefetch(q->suivant);
        if (q->length == 0) continue;
        if (numerote) q->numero = n;
        n++;
        Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
        c << "\nQuadrilatere " << q->numero << " : (" << q->x1i << ',' << q->y1i << " - " << q->x1f << ',' << q->y1f
          << ") - (" << q->x2i << ',' << q->y2i << " - " << q->x2f << ',' << q->y2f << ") - "
          << static_cast<int>(q->thickness1) << ',' << static_cast<int>(q->thickness2) << " - " << q->angle1 << ','
          << q->angle2 << ',' << q->length << '\n';
        s.Pose(c);
    }
    for (; cc; cc = cc->suivant) {
        __builtin_prefetch(cc->suivant);
        Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
        c << "\nComp. Connexe " << n++ << " : " << cc->xi << ',' << cc->yi << " - " << cc->xf << ',' << cc->yf << " \n";
        s.Pose(c);
    }

    // Arcs with a missing end are left out but keep their number.
    int a = 0;
    for (; aqq; aqq = aqq->suivant, a++) {
        __builtin_prefetch(aqq->suivant);
        if (!aqq->Q1 || !aqq->Q2) continue;
        Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
        c << "\nArc " << a << " : Q1=" << aqq->Q1->numero << ",Q2=" << aqq->Q2->numero
          << " - Type=" << Normalise_type(aqq->type) << " - Angle=" << Angle_arc(aqq->Q1->angle1, aqq->Q2->angle1)
          << '\n';
        s.Pose(c);
    }
    for (; avv; avv = avv->suivant, a++) {
        __builtin_prefetch(avv->suivant);
        if (!avv->V1 || !avv->V2) continue;
        Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
        c << "\nArc " << a << " : V1=" << avv->V1->numero << ",V2=" << avv->V2->numero
          << " - Type=" << Normalise_type(avv->type) << " - Angle=" << Angle_arc(avv->V1->angle, avv->V2->angle) << '\n';
        s.Pose(c);
    }
    for (; aqv; aqv = aqv->suivant, a++) {
        __builtin_prefetch(aqv->suivant);
        if (!aqv->Q1 || !aqv->V2) continue;
        Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
        c << "\nArc " << a << " : Q1=" << aqv->Q1->numero << ",V2=" << aqv->V2->numero
          << " - Type=" << Normalise_type(aqv->type) << " - Angle=" << Angle_arc(aqv->Q1->angle1, aqv->V2->angle)
          << '\n';
        s.Pose(c);
    }
    s << "\nFin";
}

bool Ecrit_resultats_texte(const std::string& chemin, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv)
{
    std::FILE* f = Ouvre_resultat(chemin);
    if (!f) return false;  // nothing numbered, no arc rewritten
    Sortie_resultat s(f);
    Contenu_resultats_texte(s, v, q, cc, aqq, avv, aqv, true);
    return s.Termine(chemin);
}
