// Primitive records of the vectorisation and their global lists. Records are
// plain structures in singly linked lists; each list owns its records and new
// ones go at the tail, so a list is in creation order until it is sorted.
#pragma once
#include <cstdint>
#include <algorithm>
#include <utility>
#include <vector>

#include "vecto/reserve.h"

struct Vecteur {
    int32_t xi = 0, yi = 0;   // first end, where the contour tracing entered
    int32_t xf = 0, yf = 0;   // second end
    int32_t length = 0;       // ceil of the Euclidean length; 0 = to discard
    int32_t etat = 0;         // 0 new, 1 processed, 250 no facing partner
    int32_t numero = 0;       // number given by the result writers
    int32_t angle = 0;        // 0..179
    Vecteur* suivant = nullptr;
    TM_RESERVE(Vecteur)
};

struct Quad {
    int32_t x1i = 0, y1i = 0, x1f = 0, y1f = 0;  // side 1
    int32_t x2i = 0, y2i = 0, x2f = 0, y2f = 0;  // side 2 (facing, opposite sense)
    int32_t length = 0;                          // 0 = separator or to discard
    int32_t angle1 = 0, angle2 = 0;
    int32_t numero = 0;
    double score = 0.0;
    uint8_t thickness1 = 0, thickness2 = 0;      // low 8 bits of the thickness
    uint8_t reserve = 0;
    // Breadth-first level of the loop search, then the number of the symbol
    // that took the quadrilateral (0 = free). Wide enough for any symbol count.
    int32_t niveau = 0;
    Quad* suivant = nullptr;
    Quad* precedent = nullptr;
    TM_RESERVE(Quad)
};

struct CC {
    int32_t xi = 0, yi = 0, xf = 0, yf = 0;  // bounding box of the outer contour
    int16_t type = 0;
    CC* suivant = nullptr;
    TM_RESERVE(CC)
};

extern Vecteur* Liste_vecteurs;
extern Quad* Liste_quads;
extern CC* Liste_CC;
extern int32_t Nb_quads;

// Last record of a list, or null for an empty one.
template <class T>
T* Dernier(T* tete)
{
    if (!tete) return nullptr;
    while (tete->suivant) tete = tete->suivant;
    return tete;
}

// Appends `r` after `queue` (or makes it the head); returns the new tail.
template <class T>
T* Ajoute_en_queue(T*& tete, T* queue, T* r)
{
    r->suivant = nullptr;
    if (queue) queue->suivant = r;
    else tete = r;
    return r;
}

// Frees every record of a list without a word; the head becomes null.
template <class T>
void Libere_liste(T*& tete)
{
    while (tete) {
        T* s = tete->suivant;
        delete tete;
        tete = s;
    }
}

// Emptying a list as the Close and Raz commands do: every record freed,
// the text on a new line of the log and the count on the same line; the
// caller sets the head to null afterwards.
void Journal_raz(const char* texte, int nombre);
template <class T>
void Raz_liste(T* tete, const char* texte)
{
    int n = 0;
    while (tete) {
        T* s = tete->suivant;
        delete tete;
        tete = s;
        n++;
    }
    Journal_raz(texte, n);
}
void Raz_vecteurs(Vecteur* tete);
void Raz_quads(Quad* tete);  // also sets Nb_quads to 0
void Raz_CC(CC* tete);

// Frees the records strictly between `debut` and `fin` (fin excluded, null
// for the end of the list) and links debut to fin; returns how many.
template <class T>
int Supprime_entre(T* debut, T* fin)
{
    int n = 0;
    for (T* r = debut->suivant; r && r != fin; n++) {
        T* s = r->suivant;
        delete r;
        r = s;
    }
    debut->suivant = fin;
    return n;
}

// Number of records of a list.
template <class T>
int Compte_liste(const T* tete)
{
    int n = 0;
    for (; tete; tete = tete->suivant) n++;
    return n;
}

// Unlinks and frees every record for which `retire` holds; returns how many.
template <class T, class P>
int Retire_si(T*& tete, P retire)
{
    int n = 0;
    T** lien = &tete;
    while (*lien) {
        T* r = *lien;
        if (retire(*r)) {
            *lien = r->suivant;
            delete r;
            n++;
        } else {
            lien = &r->suivant;
        }
    }
    return n;
}

// Removes every quadrilateral shorter than `seuil`, one less in Nb_quads each.
void Supprime_quads_courts(int seuil);
// Drop records of length 0 and sort by decreasing length, equal lengths
// keeping their order. Tri_quads returns 0 without a word when Nb_quads is 0.
int Tri_quads();
int Tri_vecteurs();
// The records of a list that garde(record) keeps, in the order of the sorts
// by length: stably by decreasing length (the same result as the selection
// sort that repeatedly takes the first record of strictly greatest length).
// The lengths are sorted beside the records: compared through the pointers
// they would be fetched again from records all over memory.
template <class T, class P>
std::vector<T*> Par_longueur(T* tete, P garde)
{
    std::vector<std::pair<int32_t, T*>> v;
    for (T* r = tete; r; r = r->suivant)
        if (garde(*r)) v.emplace_back(r->length, r);
    std::stable_sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<T*> ordre;
    ordre.reserve(v.size());
    for (const auto& e : v) ordre.push_back(e.second);
    return ordre;
}
// Tri_quads when its outcome is known beforehand: `nuls` the quadrilaterals
// of length 0, `ordre` all the others in the sort's order; the same log.
int Tri_quads_selon(const std::vector<Quad*>& ordre, const std::vector<Quad*>& nuls);
// Tri_vecteurs when its outcome is known beforehand: `nuls` the vectors of
// length 0, `ordre` all the others in the sort's order; the same log.
int Tri_vecteurs_selon(const std::vector<Vecteur*>& ordre, const std::vector<Vecteur*>& nuls);
