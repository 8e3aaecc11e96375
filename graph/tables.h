// The primitives as the graph builders read them, in list order, and the
// quadrilateral graph's tables made ahead, beside the vector graph.
#pragma once
#include <vector>

#include "graph/zone.h"
#include "vecto/records.h"

// The vectors of Liste_vecteurs: records, elements and candidate segments.
struct Tables_vecteurs {
    std::vector<Vecteur*> vects;
    std::vector<Element> ev;
    std::vector<Segment> sv;
};
void Tables_vecteurs_de(Tables_vecteurs& t);

// What the graph command would first do to the vectors (the sort by length,
// the tables, the vector graph's index), worked out beside the
// quadrilaterals' fusion once the vectors' is over, when the graph command
// follows at once: the list is only read, and sorted by the command itself.
struct Preparation_vecteurs {
    bool prete = false;
    Vecteur* tete = nullptr;       // Liste_vecteurs when it was prepared
    std::vector<Vecteur*> nuls;    // the vectors of length 0, which the sort drops
    Tables_vecteurs tv;            // the others in the sort's order
    int dist_vv = 0;               // the half-width the index was made for
    Index_segments index_vv;
};
// Prepares from Liste_vecteurs as it is; `dist_vv` is the vector graph's
// zone half-width. Left not ready when memory runs out.
void Prepare_vecteurs(Preparation_vecteurs& p, int dist_vv);

// The quadrilaterals the quadrilateral graph will read and its two indexes
// (quadrilaterals and vectors) for a zone half-width `dist`.
struct Tables_qqv {
    int dist = 0;
    std::vector<Quad*> quads;
    // Made ahead by Prepare_qqv: the list it read, the threshold, and the
    // records the filter (`courts`) and then the sort (`nuls`) drop.
    Quad* tete = nullptr;
    int seuil = 0;
    std::vector<Quad*> courts, nuls;
    std::vector<Element> eq;
    std::vector<Segment> sq;  // handed over to index_q
    Index_segments index_q, index_v;
};
// The quadrilaterals of Liste_quads in the order Supprime_quads_courts(seuil)
// (when seuil is not 0) and Tri_quads leave them, the list itself unchanged:
// only reads the records, so it can run beside the vector graph.
void Prepare_qqv(Tables_qqv& t, const Tables_vecteurs& tv, int seuil, int dist);
// Supprime_quads_courts(seuil) (when seuil is not 0) then, when quadrilaterals
// are left, Tri_quads, by what Prepare_qqv found; false, the list untouched,
// when that was not made from the list as it is with this threshold, or
// when the filter would leave none.
bool Filtre_et_tri_prepares(const Tables_qqv& t, int seuil);
// The quadrilaterals' tables of Liste_quads as it is, the indexes for `dist`.
void Tables_qqv_de(Tables_qqv& t, const Tables_vecteurs& tv, int dist);

// The builders on tables already made; `pret` is used when it holds the
// quadrilaterals of Liste_quads in list order for the same half-width.
// `index`, when given, was made from tv.sv for the half-width `dist_index`.
int Construit_graphe_VV(const Tables_vecteurs& tv, Index_segments* index = nullptr, int dist_index = 0);
int Construit_graphe_QQV(const Tables_vecteurs& tv, Tables_qqv* pret);
