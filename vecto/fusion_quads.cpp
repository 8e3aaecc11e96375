#include "vecto/fusion_quads.h"

#include <cstdint>
#include <limits>
#include <new>
#include <utility>

#include "app/core/shell.h"
#include "image/param.h"
#include "vecto/geometrie.h"
#include "vecto/quads.h"
#include "vecto/records.h"

namespace {

Quad* Nouveau_separateur()
{
    Quad* q = new (std::nothrow) Quad();
    if (!q) {
        Message_erreur(" - Erreur mem. - ");
        return nullptr;
    }
    q->y1i = 1;
    q->y2i = 1;
    q->y2f = 1;
    return q;
}

bool Separateur(const Quad* q) { return q->length == 0; }

uint64_t Distance2(int xa, int ya, int xb, int yb)
{
    const int64_t dx = static_cast<int64_t>(xa) - xb, dy = static_cast<int64_t>(ya) - yb;
    return static_cast<uint64_t>(dx * dx + dy * dy);
}

struct Point {
    int x, y;
};

// Middles of the two ends, halves truncated toward zero.
Point Milieu_A(const Quad* q) { return {(q->x1i + q->x2f) / 2, (q->y1i + q->y2f) / 2}; }
Point Milieu_B(const Quad* q) { return {(q->x1f + q->x2i) / 2, (q->y1f + q->y2i) / 2}; }

enum class Attache { Aucune, Avant, Croise, Derriere };

}  // namespace

int Chainage_quads(int seuil_pente)
{
    if (Nb_quads == 0) return 0;
    Nb_quads -= Retire_si(Liste_quads, [](const Quad& q) { return q.length == 0; });

    Quad* tete = Nouveau_separateur();  // start separator
    if (!tete) return 0;
    Quad* queue = tete;
    int separateurs = 0;
    Progression_init(0, Nb_quads - 1);

    while (Liste_quads) {
        Progression_pas();
        Quad* const T = queue;
        const bool T_separateur = Separateur(T);
        const int moy_T = (T->angle1 + T->angle2) / 2;
        // After a separator every quadrilateral qualifies, so a chain always
        // starts (the cap would only bite on images beyond 23000 pixels).
        uint64_t meilleur = T_separateur ? std::numeric_limits<uint64_t>::max() : 2147483647u;
        Quad *choisi = nullptr, *avant_choisi = nullptr, *avant = nullptr;
        Attache attache = Attache::Aucune;
        for (Quad* Q = Liste_quads; Q; avant = Q, Q = Q->suivant) {
            if (!T_separateur) {
                const int d = Val_abs(moy_T - (Q->angle1 + Q->angle2) / 2);
                if (!(d < seuil_pente || d > 180 - seuil_pente)) continue;
            }
            const uint64_t essais[4] = {
                Distance2(Q->x1f, Q->y1f, T->x1i, T->y1i) + Distance2(Q->x2i, Q->y2i, T->x2f, T->y2f),
                Distance2(Q->x2f, Q->y2f, T->x1i, T->y1i) + Distance2(Q->x1i, Q->y1i, T->x2f, T->y2f),
                Distance2(Q->x1i, Q->y1i, T->x1f, T->y1f) + Distance2(Q->x2f, Q->y2f, T->x2i, T->y2i),
                Distance2(Q->x2i, Q->y2i, T->x1f, T->y1f) + Distance2(Q->x1f, Q->y1f, T->x2i, T->y2i),
            };
            for (int i = 0; i < 4; i++) {
                if (essais[i] < meilleur) {
                    meilleur = essais[i];
                    choisi = Q;
                    avant_choisi = avant;
                    attache = i == 0 ? Attache::Avant : i == 1 ? Attache::Croise : Attache::Derriere;
                }
            }
        }

        bool coupe = !choisi;
        if (choisi && !T_separateur) {
            if (attache == Attache::Derriere) {
                coupe = true;
            } else {
                const Point m = attache == Attache::Avant ? Milieu_B(choisi) : Milieu_A(choisi);
                const Point mT = Milieu_A(T);
                coupe = Compte_blancs(m.x, m.y, mT.x, mT.y, Plan1) > 4;
            }
        }
        if (coupe) {
            Quad* sep = Nouveau_separateur();
            if (!sep) break;
            queue = Ajoute_en_queue(tete, queue, sep);
            separateurs++;
            continue;
        }

        if (avant_choisi) avant_choisi->suivant = choisi->suivant;
        else Liste_quads = choisi->suivant;
        Quad* q = choisi;
        if (attache == Attache::Croise) {
            std::swap(q->x1i, q->x2i);
            std::swap(q->y1i, q->y2i);
            std::swap(q->x1f, q->x2f);
            std::swap(q->y1f, q->y2f);
            std::swap(q->thickness1, q->thickness2);
            std::swap(q->angle1, q->angle2);
        } else if (attache == Attache::Derriere) {
            std::swap(q->x1i, q->x1f);
            std::swap(q->y1i, q->y1f);
            std::swap(q->x2i, q->x2f);
            std::swap(q->y2i, q->y2f);
            std::swap(q->thickness1, q->thickness2);
        }
        queue = Ajoute_en_queue(tete, queue, q);
    }
    // A failed allocation leaves the rest of the old list unchained but kept.
    queue->suivant = Liste_quads;

    Liste_quads = tete->suivant;
    delete tete;
    Nb_quads += separateurs;
    Ecrit_texte(1, " * Tri termine. ");
    return 1;
}

int Fusion_quads()
{
    if (Nb_quads == 0) return 0;
    const double eps = Lit_param("EpsFQ");
    const int dE = Lit_param_entier("SeuilDiffEp");

    int r = 0;
    Quad *B = nullptr, *A = nullptr, *N = nullptr, *C = nullptr;
    Point S{}, J{}, K{};
    double ar = 0;
    int t1 = 0, t2 = 0;

    auto redemarre = [&](Quad* q) {
        B = A = N = C = q;
        if (!q) return;
        S = J = K = Milieu_B(q);
        ar = 0;
        t1 = q->thickness1;
        t2 = q->thickness2;
    };
    auto aire = [&](Point k) {
        return static_cast<double>(k.x - S.x) * (k.y - J.y) - static_cast<double>(k.y - S.y) * (k.x - J.x);
    };
    auto norme2 = [&](Point k) {
        return static_cast<double>(k.x - S.x) * (k.x - S.x) + static_cast<double>(k.y - S.y) * (k.y - S.y);
    };
    auto retour = [&](Point k) {
        return static_cast<double>(k.x - J.x) * (J.x - S.x) + static_cast<double>(k.y - J.y) * (J.y - S.y) < 0;
    };
    // B takes X's free end and stands for the whole run up to P.
    auto fusionne = [&](Quad* X, Point P) {
        if (X == B) return;
        B->x1i = X->x1i;
        B->y1i = X->y1i;
        B->x2f = X->x2f;
        B->y2f = X->y2f;
        B->thickness1 = X->thickness1;
        B->length = Longueur_vecteur(S.x, S.y, P.x, P.y);
        B->angle1 = Angle_vecteur(B->x1i, B->y1i, B->x1f, B->y1f);
        B->angle2 = Angle_vecteur(B->x2i, B->y2i, B->x2f, B->y2f);
        Quad* fin = X->suivant;
        for (Quad* q = B->suivant; q != fin;) {
            Quad* s = q->suivant;
            delete q;
            r++;
            q = s;
        }
        B->suivant = fin;
    };

    redemarre(Liste_quads);
    while (B) {
        if (r % 4 == 0) Traite_evenements();
        if (C && !Separateur(C)) {
            const bool mauvais = retour(K) ||
                                 static_cast<double>(C->x2f - C->x2i) * (K.x - S.x) +
                                         static_cast<double>(C->y2f - C->y2i) * (K.y - S.y) <
                                     0 ||
                                 Val_abs(t1 - t2) >= dE;
            const double ar_avant = ar;
            ar += aire(K);
            const double n2 = norme2(K);
            if (n2 * eps >= ar * ar && !mauvais && Compte_blancs(J.x, J.y, K.x, K.y, Plan1) <= 4) {
                N = A;
                A = C;
                C = C->suivant;
                J = K;
                t2 = N->thickness1;
                if (!C || Separateur(C)) {
                    K = Milieu_A(A);
                    t1 = A->thickness1;
                } else {
                    // Axis point at the junction of A and C.
                    K = {(A->x1i + A->x2f + C->x1f + C->x2i) / 4, (A->y1i + A->y2f + C->y1f + C->y2i) / 4};
                    t1 = A->thickness2;
                }
            } else if (A == B) {
                if (C != B) {
                    redemarre(C);
                } else {
                    Quad* q = C->suivant;
                    if (q && Separateur(q)) q = q->suivant;
                    redemarre(q);
                }
            } else {
                ar = ar_avant;
                const Point K2 = Milieu_A(A);
                t1 = A->thickness1;
                const bool mauvais2 = retour(K2) || Val_abs(t1 - t2) >= dE;
                ar += aire(K2);
                if (norme2(K2) * eps >= ar * ar && !mauvais2 && Compte_blancs(J.x, J.y, K2.x, K2.y, Plan1) <= 4) {
                    fusionne(A, K2);
                    redemarre(C);
                } else {
                    Quad* suite = A;
                    fusionne(N, J);
                    redemarre(suite);
                }
            }
        } else {
            const bool mauvais = retour(K) || Val_abs(t1 - t2) >= dE;
            ar += aire(K);
            const double n2 = norme2(K);
            if (n2 * eps >= ar * ar && !mauvais && Compte_blancs(J.x, J.y, K.x, K.y, Plan1) <= 4) fusionne(A, K);
            else fusionne(N, J);
            redemarre(C ? C->suivant : nullptr);
        }
    }

    Nb_quads -= r;
    Reconcilie_angles();
    return r;
}
