#include "spotting/incidence.h"

#include <cstddef>

bool Spotting_recherche_directe = false;
const IncidenceQQ* Incidence_courante = nullptr;

void Rangs::clear(size_t prevus)
{
    size_t taille = 16;
    while (taille < 2 * prevus) taille *= 2;
    cases_.assign(taille, Case{});
    masque_ = taille - 1;
    decalage_ = 64;
    for (size_t t = taille; t > 1; t /= 2) decalage_--;
    n_ = 0;
}

void Rangs::Agrandit()
{
    std::vector<Case> anciennes;
    anciennes.swap(cases_);
    const size_t n = n_;
    clear(anciennes.size());  // twice the room
    for (const Case& c : anciennes) {
        if (!c.q) continue;
        size_t i = Hache(c.q);
        while (cases_[i].q) i = (i + 1) & masque_;
        cases_[i] = c;
    }
    n_ = n;
}

int32_t Rangs::insere(const Quad* q)
{
    if (2 * (n_ + 1) > cases_.size()) Agrandit();
    size_t i = Hache(q);
    for (; cases_[i].q; i = (i + 1) & masque_)
        if (cases_[i].q == q) return cases_[i].rang;
    cases_[i] = {q, static_cast<int32_t>(n_)};
    return static_cast<int32_t>(n_++);
}

void IncidenceQQ::Construit()
{
    arcs.clear();
    int nb = 0;
    for (const Quad* q = Liste_quads; q; q = q->suivant) nb++;
    rang.clear(static_cast<size_t>(nb) + 64);
    auto rang_de = [&](const Quad* q) { return rang.insere(q); };
    for (const Quad* q = Liste_quads; q; q = q->suivant) rang_de(q);
    nb_liste = static_cast<int32_t>(rang.size());
    marques.clear();
    marques_suivies = false;
    std::vector<int32_t> compte;
    for (const ArcQQ* a = Liste_arcs_QQ; a; a = a->suivant) {
        for (const Quad* q : {a->Q1, a->Q2 == a->Q1 ? nullptr : a->Q2}) {
            if (!q) continue;
            const int32_t r = rang_de(q);
            if (compte.size() <= static_cast<std::size_t>(r)) compte.resize(r + 1, 0);
            compte[r]++;
        }
    }
    compte.resize(rang.size(), 0);
    debut.assign(rang.size() + 1, 0);
    for (std::size_t r = 0; r < compte.size(); r++) debut[r + 1] = debut[r] + compte[r];
    arcs.resize(debut.back());
    std::vector<int32_t> pos(debut.begin(), debut.end() - 1);
    for (ArcQQ* a = Liste_arcs_QQ; a; a = a->suivant) {
        if (a->Q1) arcs[pos[rang.cherche(a->Q1)]++] = a;
        if (a->Q2 && a->Q2 != a->Q1) arcs[pos[rang.cherche(a->Q2)]++] = a;
    }
}
