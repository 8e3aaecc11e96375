#include "spotting/scores.h"

#include <algorithm>
#include <vector>

#include "port/shell.h"
#include "image/planes.h"
#include "output/ecriture.h"
#include "spotting/incidence.h"
#include "vecto/geometrie.h"

namespace {

template <class Arc>
int Raz_scores(Arc* tete)
{
    for (; tete; tete = tete->suivant) tete->score = 0.0;
    return 1;
}

double Poids_type(char type)
{
    switch (type) {
    case 'P': return 1.0;
    case 'T': case 'X': case '_': case 't': case '~': return 0.5;
    default: return 0.25;
    }
}

double Terme_longueur(int32_t L)
{
    if (L < 20) return L * 0.015;
    if (L < 200) return 1.0;
    return 50.0 / L;
}

double Poids_degre(int n)
{
    if (n == 0) return 0.0;
    if (n >= 2 && n <= 4) return 1.0;
    return 0.25;
}

// The accumulated arc scores in q->score and their number n become the
// quadrilateral's score.
double Termine_score(Quad* q, int n)
{
    const double m = n == 0 ? 0.0 : q->score / n;
    q->score = ((2.0 * m + Poids_degre(n)) + Terme_longueur(q->length)) / 4.0;
    return q->score;
}

// A quadrilateral of length 0 is a separator: shown and skipped.
bool Sans_longueur(const Quad* q)
{
    if (q->length != 0) return false;
    if (Mode_trace == 1) {
        Ecrit_texte(0, " *** ");
        Signal_court();
        Pause_go();
    }
    return true;
}

template <class Arcs_de>
int Score_quads_par(Quad* quads, Arcs_de arcs_de)
{
    if (Nb_quads == 0) return 0;
    Ecrit_texte(1, " Scoring des quadr. ...");
    for (Quad* q = quads; q; q = q->suivant) q->score = 0.0;
    double max = 0.0;
    for (Quad* q = quads; q; q = q->suivant) {
        int n = 0;
        if (!Sans_longueur(q)) {
            arcs_de(q, [&](const ArcQQ* a) {
                if (a->Q1 == q) {
                    q->score += a->score;
                    n++;
                }
                if (a->Q2 == q) {
                    q->score += a->score;
                    n++;
                }
            });
        }
        if (Termine_score(q, n) > max) max = q->score;
    }
    Ecrit_texte(1, " * Max score Q = " + Scientifique(max) + " ");
    return 1;
}

}  // namespace

int Raz_scores_arcs(ArcVV* tete) { return Raz_scores(tete); }
int Raz_scores_arcs(ArcQV* tete) { return Raz_scores(tete); }

int Score_arcs(ArcQQ* tete)
{
    Efface_texte();
    Efface_P2();
    Ecrit_texte(0, " Scoring des arcs ...");
    double max = 0.0;
    int n = 0;
    for (ArcQQ* a = tete; a; a = a->suivant) {
        n++;
        if (!a->Q1 || !a->Q2) continue;
        const double w = Poids_type(a->type);
        const int d = Val_abs(a->Q1->angle1 - a->Q2->angle1);
        const double an = Val_abs(90 - d) / 90.0;
        const double L1 = a->Q1->length, L2 = a->Q2->length;
        // Two quadrilaterals of length 0 have no ratio: 0 rather than NaN,
        // which would reach the graph file as "nan".
        const double plus_long = std::max(L1, L2);
        const double r = plus_long == 0.0 ? 0.0 : std::min(L1, L2) / plus_long;
        a->score = (w + an + r) / 3.0;
        if (a->score > max) max = a->score;
    }
    Ecrit_texte(1, " * Max score A = " + Scientifique(max) + " ");
    Ecrit_texte(1, "* Nb d'arcs : ");
    Ecrit_nombre(0, n);
    return 1;
}

int Score_quads_direct(Quad* quads, ArcQQ* arcs)
{
    return Score_quads_par(quads, [arcs](const Quad*, auto&& visite) {
        for (const ArcQQ* a = arcs; a; a = a->suivant) visite(a);
    });
}

int Score_quads(Quad* quads, ArcQQ* arcs)
{
    if (Spotting_recherche_directe || quads != Liste_quads || arcs != Liste_arcs_QQ)
        return Score_quads_direct(quads, arcs);
    IncidenceQQ index;
    index.Construit();
    // Only the arcs touching q can name it as an end, met in list order.
    return Score_quads_par(quads, [&index](const Quad* q, auto&& visite) {
        for (const ArcQQ* a : index.Arcs_de(q)) visite(a);
    });
}

int Tri_quads_score_direct(Quad*& tete)
{
    if (Nb_quads == 0) return 0;
    Ecrit_texte(1, " - Tri Quads (selon score).");
    Quad* resultat = nullptr;
    Quad* queue = nullptr;
    while (tete) {
        // ">=" keeps the last of equal highest scores. A score below 0 (or
        // NaN) never qualifies; when only such records are left, the last one
        // is taken so that the sort always ends.
        Quad* pris = nullptr;
        Quad* avant_pris = nullptr;
        Quad* dernier = nullptr;
        Quad* avant_dernier = nullptr;
        double meilleur = 0.0;
        for (Quad *q = tete, *avant = nullptr; q; avant = q, q = q->suivant) {
            if (q->score >= meilleur) {
                meilleur = q->score;
                pris = q;
                avant_pris = avant;
            }
            dernier = q;
            avant_dernier = avant;
        }
        if (!pris) {
            pris = dernier;
            avant_pris = avant_dernier;
        }
        if (avant_pris) avant_pris->suivant = pris->suivant;
        else tete = pris->suivant;
        queue = Ajoute_en_queue(resultat, queue, pris);
    }
    tete = resultat;
    Ecrit_texte(1, " - Tri termine");
    return 1;
}

int Tri_quads_score(Quad*& tete)
{
    if (Spotting_recherche_directe) return Tri_quads_score_direct(tete);
    if (Nb_quads == 0) return 0;
    Ecrit_texte(1, " - Tri Quads (selon score).");
    // The selection sort's order: by decreasing score, ties in reverse list
    // order, then the records that never qualify (score below 0 or NaN) in
    // reverse list order.
    std::vector<Quad*> v;
    for (Quad* q = tete; q; q = q->suivant) v.push_back(q);
    std::reverse(v.begin(), v.end());
    auto cle = [](const Quad* q) { return q->score >= 0.0 ? q->score : -1.0; };
    std::stable_sort(v.begin(), v.end(), [&](const Quad* a, const Quad* b) { return cle(a) > cle(b); });
    tete = nullptr;
    Quad* queue = nullptr;
    for (Quad* q : v) queue = Ajoute_en_queue(tete, queue, q);
    Ecrit_texte(1, " - Tri termine");
    return 1;
}
