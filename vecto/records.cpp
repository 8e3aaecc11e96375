#include "vecto/records.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "port/shell.h"

Vecteur* Liste_vecteurs = nullptr;
Quad* Liste_quads = nullptr;
CC* Liste_CC = nullptr;
int32_t Nb_quads = 0;

namespace {

// The list relinked in the order `ordre` gives.
template <class T>
void Relie(T*& tete, const std::vector<T*>& ordre)
{
    tete = nullptr;
    T* queue = nullptr;
    for (T* r : ordre) queue = Ajoute_en_queue(tete, queue, r);
}

// The list relinked in a sort's order known beforehand, its records of
// length 0 (`nuls`) freed.
template <class T>
void Relie_sans(T*& tete, const std::vector<T*>& ordre, const std::vector<T*>& nuls)
{
    for (T* r : nuls) delete r;
    Relie(tete, ordre);
}

template <class T>
void Trie_par_longueur(T*& tete)
{
    Relie(tete, Par_longueur(tete, [](const T&) { return true; }));
}

}  // namespace

void Supprime_quads_courts(int seuil)
{
    Nb_quads -= Retire_si(Liste_quads, [seuil](const Quad& q) { return q.length < seuil; });
}

int Tri_quads()
{
    if (Nb_quads == 0) return 0;
    Ecrit_texte(1, " - Tri Quads (selon lg).");
    Nb_quads -= Retire_si(Liste_quads, [](const Quad& q) { return q.length == 0; });
    Trie_par_longueur(Liste_quads);
    Ecrit_texte(1, " - Tri termine");
    return 1;
}

int Tri_vecteurs()
{
    Ecrit_texte(1, " - Tri Vecteur (selon lg).");
    Retire_si(Liste_vecteurs, [](const Vecteur& v) { return v.length == 0; });
    Trie_par_longueur(Liste_vecteurs);
    Ecrit_texte(1, " - Tri termine");
    return 1;
}

int Tri_quads_selon(const std::vector<Quad*>& ordre, const std::vector<Quad*>& nuls)
{
    if (Nb_quads == 0) return 0;
    Ecrit_texte(1, " - Tri Quads (selon lg).");
    Relie_sans(Liste_quads, ordre, nuls);
    Nb_quads -= static_cast<int32_t>(nuls.size());
    Ecrit_texte(1, " - Tri termine");
    return 1;
}

int Tri_vecteurs_selon(const std::vector<Vecteur*>& ordre, const std::vector<Vecteur*>& nuls)
{
    Ecrit_texte(1, " - Tri Vecteur (selon lg).");
    Relie_sans(Liste_vecteurs, ordre, nuls);
    Ecrit_texte(1, " - Tri termine");
    return 1;
}

void Journal_raz(const char* texte, int nombre)
{
    Ecrit_texte(1, texte);
    Ecrit_nombre(0, nombre);
}

void Raz_vecteurs(Vecteur* tete) { Raz_liste(tete, " Raz vecteurs : "); }
void Raz_quads(Quad* tete)
{
    Raz_liste(tete, " Raz quadr. : ");
    Nb_quads = 0;
}
void Raz_CC(CC* tete) { Raz_liste(tete, " Raz C.C. : "); }
