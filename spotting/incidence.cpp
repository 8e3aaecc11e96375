#include "spotting/incidence.h"

#include <cstddef>

bool Spotting_recherche_directe = false;
const IncidenceQQ* Incidence_courante = nullptr;

void IncidenceQQ::Construit()
{
    rang.clear();
    arcs.clear();
    auto rang_de = [&](const Quad* q) {
        return rang.emplace(q, static_cast<int32_t>(rang.size())).first->second;
    };
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
        if (a->Q1) arcs[pos[rang[a->Q1]]++] = a;
        if (a->Q2 && a->Q2 != a->Q1) arcs[pos[rang[a->Q2]]++] = a;
    }
}
