// The fusion pass over the chained quadrilaterals: runs of aligned ones
// become one.
#include <cstdint>

#include "port/shell.h"
#include "image/param.h"
#include "vecto/avance.h"
#include "vecto/ecarts.h"
#include "vecto/fusion_quads.h"
#include "vecto/fusion_quads_outils.h"
#include "vecto/geometrie.h"
#include "vecto/quads.h"
#include "vecto/records.h"

using fusion_quads::Milieu_A;
using fusion_quads::Milieu_B;
using fusion_quads::Point;
using fusion_quads::Separateur;

size_t Memo_blancs::Hache::operator()(const Cle& c) const noexcept
{
    const uint64_t a = static_cast<uint64_t>(static_cast<uint32_t>(c.x0)) << 32 | static_cast<uint32_t>(c.y0);
    const uint64_t b = static_cast<uint64_t>(static_cast<uint32_t>(c.x1)) << 32 | static_cast<uint32_t>(c.y1);
    uint64_t h = a * 0x9E3779B97F4A7C15ull ^ b;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return static_cast<size_t>(h ^ (h >> 32));
}

int Fusion_quads(Memo_blancs* memo, bool evenements)
{
    if (Nb_quads == 0) return 0;
    auto blancs = [memo](int x0, int y0, int x1, int y1) {
        if (!memo) return Blancs_au_dela(x0, y0, x1, y1, Plan1, 4);
        const auto [it, nouvelle] = memo->reponses.try_emplace(Memo_blancs::Cle{x0, y0, x1, y1}, false);
        if (nouvelle) it->second = Blancs_au_dela(x0, y0, x1, y1, Plan1, 4);
        return it->second;
    };
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
        r += Supprime_entre(B, X->suivant);
    };

    redemarre(Liste_quads);
    Avance<Quad> avance(fusion_quads::Ordre_chaine());
    while (B) {
        avance.Vers(C);
        if (evenements && r % 4 == 0) Traite_evenements();
        if (C && !Separateur(C)) {
            const bool mauvais = retour(K) ||
                                 static_cast<double>(C->x2f - C->x2i) * (K.x - S.x) +
                                         static_cast<double>(C->y2f - C->y2i) * (K.y - S.y) <
                                     0 ||
                                 Val_abs(t1 - t2) >= dE;
            const double ar_avant = ar;
            ar += aire(K);
            const double n2 = norme2(K);
            if (n2 * eps >= ar * ar && !mauvais && !blancs(J.x, J.y, K.x, K.y)) {
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
                if (norme2(K2) * eps >= ar * ar && !mauvais2 && !blancs(J.x, J.y, K2.x, K2.y)) {
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
            if (n2 * eps >= ar * ar && !mauvais && !blancs(J.x, J.y, K.x, K.y)) fusionne(A, K);
            else fusionne(N, J);
            redemarre(C ? C->suivant : nullptr);
        }
    }

    Nb_quads -= r;
    Reconcilie_angles();
    return r;
}
