// Small quadrilateral graphs built in the tests of symbol spotting.
#pragma once
#include "vecto/arcs.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace tmtest {

// A stroke of half-thickness 2 whose axis runs from (x0, y0) to (x1, y1),
// appended to Liste_quads (Nb_quads counted). Its length and angles are
// those of the axis unless `longueur` / `angle` are given (>= 0).
inline Quad* Trait(int x0, int y0, int x1, int y1, double score = 0.0, int longueur = -1, int angle = -1)
{
    auto* q = new Quad;
    const int nx = y0 == y1 ? 0 : 2, ny = y0 == y1 ? 2 : 0;
    q->x1i = x0 + nx, q->y1i = y0 + ny, q->x1f = x1 + nx, q->y1f = y1 + ny;
    q->x2i = x1 - nx, q->y2i = y1 - ny, q->x2f = x0 - nx, q->y2f = y0 - ny;
    q->length = longueur >= 0 ? longueur : Longueur_vecteur(x0, y0, x1, y1);
    q->angle1 = q->angle2 = angle >= 0 ? angle : Angle_vecteur(x0, y0, x1, y1);
    q->score = score;
    Ajoute_en_queue(Liste_quads, Dernier(Liste_quads), q);
    Nb_quads++;
    return q;
}

inline ArcQQ* Arc(Quad* q1, Quad* q2, char type, double score = 0.0)
{
    auto* a = new ArcQQ;
    a->Q1 = q1, a->Q2 = q2, a->type = type, a->score = score;
    Ajoute_en_queue(Liste_arcs_QQ, Dernier(Liste_arcs_QQ), a);
    return a;
}

}  // namespace tmtest
