#include "vecto/fusion_vecteurs.h"

#include <cstdint>
#include <limits>
#include <new>

#include "app/core/shell.h"
#include "image/param.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace {

// Separators lie outside the image (x = -50); their second end is the point
// from which the next chain is searched.
Vecteur* Nouveau_separateur(int yi, int yf)
{
    Vecteur* v = new (std::nothrow) Vecteur();
    if (!v) {
        Message_erreur(" - Erreur mem. - ");
        return nullptr;
    }
    v->xi = -50;
    v->yi = yi;
    v->xf = -50;
    v->yf = yf;
    return v;
}

uint64_t Distance2(int xa, int ya, int xb, int yb)
{
    const int64_t dx = static_cast<int64_t>(xa) - xb, dy = static_cast<int64_t>(ya) - yb;
    return static_cast<uint64_t>(dx * dx + dy * dy);
}

bool Pentes_proches(int a, int b, int seuil)
{
    const int d = Val_abs(a - b);
    return d < seuil || d > 180 - seuil;
}

// Area swept by the chain S..J..K: the straightness measure of a run.
double Aire(int xs, int ys, int xj, int yj, int xk, int yk)
{
    return static_cast<double>(xk - xs) * (yk - yj) - static_cast<double>(yk - ys) * (xk - xj);
}

}  // namespace

int Chainage_vecteurs(int seuil_pente)
{
    if (!Liste_vecteurs) return 0;
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) v->numero = 0;
    Retire_si(Liste_vecteurs, [](const Vecteur& v) { return v.length == 0; });

    Vecteur* tete = Nouveau_separateur(-50, -100);  // start separator
    if (!tete) return 0;
    Vecteur* queue = tete;

    while (Liste_vecteurs) {
        Vecteur* const T = queue;
        const bool T_separateur = T->length == 0;
        // After a separator every vector qualifies whatever its distance, so a
        // new chain always starts (the cap would only matter on images more
        // than 32000 pixels across, where it would stall the pass).
        uint64_t meilleur = T_separateur ? std::numeric_limits<uint64_t>::max() : 2147483647u;
        Vecteur* choisi = nullptr;
        Vecteur* avant_choisi = nullptr;
        bool inverse = false;
        Vecteur* avant = nullptr;
        for (Vecteur* d = Liste_vecteurs; d; avant = d, d = d->suivant) {
            if (!T_separateur && !Pentes_proches(T->angle, d->angle, seuil_pente)) continue;
            const uint64_t d1 = Distance2(d->xf, d->yf, T->xf, T->yf);
            if (d1 < meilleur) {
                meilleur = d1;
                choisi = d;
                avant_choisi = avant;
                inverse = true;
            }
            const uint64_t d2 = Distance2(d->xi, d->yi, T->xf, T->yf);
            if (d2 < meilleur) {
                meilleur = d2;
                choisi = d;
                avant_choisi = avant;
                inverse = false;
            }
        }

        Vecteur* sep = nullptr;
        if (choisi) {
            const int ex = inverse ? choisi->xf : choisi->xi;
            const int ey = inverse ? choisi->yf : choisi->yi;
            if (!T_separateur && (Compte_blancs(ex, ey, T->xf, T->yf, Plan1) > 4 || meilleur > 400)) {
                sep = Nouveau_separateur(-100, -50);  // cut
                if (!sep) break;
                queue = Ajoute_en_queue(tete, queue, sep);
                continue;
            }
            if (avant_choisi) avant_choisi->suivant = choisi->suivant;
            else Liste_vecteurs = choisi->suivant;
            if (inverse) {
                std::swap(choisi->xi, choisi->xf);
                std::swap(choisi->yi, choisi->yf);
            }
            queue = Ajoute_en_queue(tete, queue, choisi);
        } else {
            sep = Nouveau_separateur(-49, -50);  // end: no compatible angle left
            if (!sep) break;
            queue = Ajoute_en_queue(tete, queue, sep);
        }
    }
    // A failed allocation leaves the rest of the old list unchained but kept.
    queue->suivant = Liste_vecteurs;

    Liste_vecteurs = tete->suivant;
    delete tete;
    Ecrit_texte(1, " * Tri Vecteur termine. ");
    return 1;
}

int Fusion_vecteurs()
{
    const double eps = Lit_param("EpsFQ");
    if (!Liste_vecteurs) return 0;

    int retires = 0;
    Vecteur *B = Liste_vecteurs, *A = B, *C = B;
    int xs = B->xi, ys = B->yi, xj = xs, yj = ys, xk = B->xf, yk = B->yf;
    double ar = 0;
    bool fin_liste = false;

    auto redemarre = [&](Vecteur* q) {
        B = A = C = q;
        if (!q) return;
        xs = xj = q->xi;
        ys = yj = q->yi;
        xk = q->xf;
        yk = q->yf;
        ar = 0;
    };

    while (B) {
        const bool retour = static_cast<double>(xk - xj) * (xj - xs) + static_cast<double>(yk - yj) * (yj - ys) < 0;
        ar += Aire(xs, ys, xj, yj, xk, yk);
        const double n = static_cast<double>(xk - xs) * (xk - xs) + static_cast<double>(yk - ys) * (yk - ys);
        if (n * eps >= ar * ar && !fin_liste && !retour) {
            A = C;
            C = C->suivant;
            xj = xk;
            yj = yk;
            if (C) {
                xk = C->xf;
                yk = C->yf;
            } else {
                fin_liste = true;
            }
            continue;
        }
        if (B->length != 0 && A != B && A->length != 0) {
            B->xf = A->xf;
            B->yf = A->yf;
            B->length = Longueur_vecteur(xs, ys, xj, yj);
            B->angle = Angle_vecteur(B->xi, B->yi, B->xf, B->yf);
            for (Vecteur* v = B->suivant; v != C;) {
                Vecteur* s = v->suivant;
                delete v;
                retires++;
                v = s;
            }
            B->suivant = C;
            if (fin_liste) break;
            redemarre(C);
        } else {
            if (fin_liste) break;
            redemarre(B->suivant);
        }
    }

    Retire_si(Liste_vecteurs, [](const Vecteur& v) { return v.length < 3; });
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) v->etat = 1;
    return retires;
}
