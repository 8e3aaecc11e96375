// Builders of quadrilaterals and vectors for the graph tests, and the arcs
// listed by the list positions of their ends.
#pragma once
#include <string>
#include <vector>

#include "vecto/arcs.h"
#include "tests/support/support.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace tmgraphe {

// A quadrilateral given by its four sides' ends: side 1 (i -> f), side 2
// (i -> f). Angles and length from the sides.
inline Quad* Quad_cotes(int x1i, int y1i, int x1f, int y1f, int x2i, int y2i, int x2f, int y2f)
{
    auto* q = new Quad;
    q->x1i = x1i, q->y1i = y1i, q->x1f = x1f, q->y1f = y1f;
    q->x2i = x2i, q->y2i = y2i, q->x2f = x2f, q->y2f = y2f;
    q->angle1 = Angle_vecteur(x1i, y1i, x1f, y1f);
    q->angle2 = Angle_vecteur(x2i, y2i, x2f, y2f);
    q->length = Max_ent(Longueur_vecteur(x1i, y1i, x1f, y1f), Longueur_vecteur(x2i, y2i, x2f, y2f));
    return q;
}

// A straight stroke from axis end B = (x0, y0) to axis end A = (x1, y1), its
// long sides offset by (nx, ny) on either side of the axis.
inline Quad* Trait_decale(int x0, int y0, int x1, int y1, int nx, int ny)
{
    return Quad_cotes(x0 + nx, y0 + ny, x1 + nx, y1 + ny, x1 - nx, y1 - ny, x0 - nx, y0 - ny);
}

// The same, horizontal or vertical, half-thickness h.
inline Quad* Trait(int x0, int y0, int x1, int y1, int h)
{
    return y0 == y1 ? Trait_decale(x0, y0, x1, y1, 0, -h) : Trait_decale(x0, y0, x1, y1, h, 0);
}

inline Vecteur* Vect(int xi, int yi, int xf, int yf) { return tmtest::Nouveau_vecteur(xi, yi, xf, yf); }

inline void Pose(const std::vector<Quad*>& qs, const std::vector<Vecteur*>& vs = {})
{
    Quad* fq = nullptr;
    for (Quad* q : qs) fq = Ajoute_en_queue(Liste_quads, fq, q);
    Nb_quads = static_cast<int>(qs.size());
    Vecteur* fv = nullptr;
    for (Vecteur* v : vs) fv = Ajoute_en_queue(Liste_vecteurs, fv, v);
}

// Arcs as "type first second" with list positions of the ends (q for a
// quadrilateral, v for a vector), QQ then QV then VV, each in list order.
inline std::vector<std::string> Arcs()
{
    using tmtest::Rang;
    std::vector<std::string> r;
    auto nom = [](char k, int i) { return std::string(1, k) + std::to_string(i); };
    for (ArcQQ* a = Liste_arcs_QQ; a; a = a->suivant)
        r.push_back(std::string(1, a->type) + " " + nom('q', Rang(Liste_quads, a->Q1)) + " " +
                    nom('q', Rang(Liste_quads, a->Q2)));
    for (ArcQV* a = Liste_arcs_QV; a; a = a->suivant)
        r.push_back(std::string(1, a->type) + " " + nom('q', Rang(Liste_quads, a->Q1)) + " " +
                    nom('v', Rang(Liste_vecteurs, a->V2)));
    for (ArcVV* a = Liste_arcs_VV; a; a = a->suivant)
        r.push_back(std::string(1, a->type) + " " + nom('v', Rang(Liste_vecteurs, a->V1)) + " " +
                    nom('v', Rang(Liste_vecteurs, a->V2)));
    return r;
}

}  // namespace tmgraphe
