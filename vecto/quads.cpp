#include "vecto/quads.h"

#include <cmath>
#include <new>

#include "app/core/shell.h"
#include "image/param.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace {

constexpr int32_t Sans_partenaire = 250;

// floor of the distance plus one, kept in 8 bits like the record field.
uint8_t Epaisseur(int xa, int ya, int xb, int yb)
{
    const double dx = static_cast<double>(xa) - xb, dy = static_cast<double>(ya) - yb;
    return static_cast<uint8_t>(static_cast<int>(std::floor(std::sqrt(dx * dx + dy * dy))) + 1);
}

double Distance2(int xa, int ya, int xb, int yb)
{
    const double dx = static_cast<double>(xa) - xb, dy = static_cast<double>(ya) - yb;
    return dx * dx + dy * dy;
}

// Construction state: the list tail for appending and the count k.
struct Chantier {
    Quad* queue = nullptr;
    int k = 0;
    bool memoire_epuisee = false;
};

Quad* Nouveau_quad(Chantier& ch, int x1i, int y1i, int x1f, int y1f, int x2i, int y2i, int x2f, int y2f, int length,
                   int angle1, int angle2)
{
    Quad* q = new (std::nothrow) Quad();
    if (!q) {
        Message_erreur(" - Erreur mem. - ");
        ch.memoire_epuisee = true;
        return nullptr;
    }
    q->x1i = x1i;
    q->y1i = y1i;
    q->x1f = x1f;
    q->y1f = y1f;
    q->x2i = x2i;
    q->y2i = y2i;
    q->x2f = x2f;
    q->y2f = y2f;
    q->length = length;
    q->angle1 = angle1;
    q->angle2 = angle2;
    ch.queue = Ajoute_en_queue(Liste_quads, ch.queue, q);
    ch.k++;
    return q;
}

void Retire_vecteur(Vecteur* v)
{
    Vecteur** lien = &Liste_vecteurs;
    while (*lien && *lien != v) lien = &(*lien)->suivant;
    if (*lien) {
        *lien = v->suivant;
        delete v;
    }
}

// The cut vector keeps its remaining part when that is at least 2 long;
// otherwise it goes as well.
void Garde_reste(Vecteur* coupe, Vecteur* apparie)
{
    coupe->length = Longueur_vecteur(coupe->xi, coupe->yi, coupe->xf, coupe->yf);
    Retire_vecteur(apparie);
    if (coupe->length >= 2) coupe->etat = 1;
    else Retire_vecteur(coupe);
}

// Pairing at R's first end with T (T's second end lies near R's first end).
bool Appariement_debut(Chantier& ch, Vecteur* R, Vecteur* T, double m, int cT)
{
    if (!T || !(m < cT) || Compte_blancs(R->xi, R->yi, T->xf, T->yf, Plan1) > 4) return false;
    int fx, fy, gx, gy;
    if (R->length < T->length) {
        if (!Projection_point(R->xf, R->yf, T->xf, T->yf, T->xi, T->yi, T->length, fx, fy)) return false;
        if (Compte_blancs(fx, fy, R->xf, R->yf, Plan1) > 4) return false;
        Projection_point(R->xi, R->yi, T->xi, T->yi, T->xf, T->yf, T->length, gx, gy);
        Quad* q = Nouveau_quad(ch, R->xi, R->yi, R->xf, R->yf, fx, fy, T->xf, T->yf, R->length, R->angle, T->angle);
        if (!q) return false;
        q->thickness1 = Epaisseur(R->xi, R->yi, gx, gy);
        q->thickness2 = Epaisseur(R->xf, R->yf, fx, fy);
        T->xf = fx;
        T->yf = fy;
        Garde_reste(T, R);
    } else {
        if (!Projection_point(T->xi, T->yi, R->xi, R->yi, R->xf, R->yf, R->length, fx, fy)) return false;
        if (Compte_blancs(fx, fy, T->xi, T->yi, Plan1) > 4) return false;
        Projection_point(T->xf, T->yf, R->xi, R->yi, R->xf, R->yf, R->length, gx, gy);
        Quad* q = Nouveau_quad(ch, T->xi, T->yi, T->xf, T->yf, R->xi, R->yi, fx, fy, T->length, T->angle, R->angle);
        if (!q) return false;
        q->thickness1 = Epaisseur(T->xi, T->yi, fx, fy);
        q->thickness2 = Epaisseur(T->xf, T->yf, gx, gy);
        R->xi = fx;
        R->yi = fy;
        Garde_reste(R, T);
    }
    return true;
}

// Pairing at R's second end with O (O's first end lies near R's second end);
// the caller has checked that O exists, is near enough and joins R in black.
bool Appariement_fin(Chantier& ch, Vecteur* R, Vecteur* O)
{
    int fx, fy, gx, gy;
    if (R->length < O->length) {
        if (!Projection_point(R->xi, R->yi, O->xf, O->yf, O->xi, O->yi, O->length, fx, fy)) return false;
        if (Compte_blancs(R->xi, R->yi, fx, fy, Plan1) > 4) return false;
        Projection_point(R->xf, R->yf, O->xi, O->yi, O->xf, O->yf, O->length, gx, gy);
        Quad* q = Nouveau_quad(ch, R->xi, R->yi, R->xf, R->yf, O->xi, O->yi, fx, fy, R->length, R->angle, O->angle);
        if (!q) return false;
        q->thickness1 = Epaisseur(R->xi, R->yi, fx, fy);
        q->thickness2 = Epaisseur(R->xf, R->yf, gx, gy);
        O->xi = fx;
        O->yi = fy;
        Garde_reste(O, R);
    } else {
        if (!Projection_point(O->xf, O->yf, R->xi, R->yi, R->xf, R->yf, R->length, fx, fy)) return false;
        if (Compte_blancs(fx, fy, O->xf, O->yf, Plan1) > 4) return false;
        Projection_point(O->xi, O->yi, R->xi, R->yi, R->xf, R->yf, R->length, gx, gy);
        Quad* q = Nouveau_quad(ch, O->xi, O->yi, O->xf, O->yf, fx, fy, R->xf, R->yf, O->length, O->angle, R->angle);
        if (!q) return false;
        q->thickness1 = Epaisseur(O->xi, O->yi, gx, gy);
        q->thickness2 = Epaisseur(O->xf, O->yf, fx, fy);
        R->xf = fx;
        R->yf = fy;
        Garde_reste(R, O);
    }
    return true;
}

// Full pairing of R with T facing it along its whole length. Returns false
// when neither foot falls within its segment.
bool Appariement_complet(Chantier& ch, Vecteur* R, Vecteur* T)
{
    int f1x, f1y, f2x, f2y, in1, in2;
    const bool T_court = T->length < R->length;
    if (T_court) {
        in2 = Projection_point(T->xf, T->yf, R->xi, R->yi, R->xf, R->yf, R->length, f2x, f2y);
        in1 = Projection_point(T->xi, T->yi, R->xf, R->yf, R->xi, R->yi, R->length, f1x, f1y);
    } else {
        in1 = Projection_point(R->xi, R->yi, T->xf, T->yf, T->xi, T->yi, T->length, f1x, f1y);
        in2 = Projection_point(R->xf, R->yf, T->xi, T->yi, T->xf, T->yf, T->length, f2x, f2y);
    }
    if (!in1 && !in2) return false;
    Quad* q = Nouveau_quad(ch, R->xi, R->yi, R->xf, R->yf, T->xi, T->yi, T->xf, T->yf, Max_ent(R->length, T->length),
                           R->angle, T->angle);
    if (!q) return true;
    const Vecteur* S = T_court ? T : R;
    q->thickness1 = Epaisseur(S->xi, S->yi, f1x, f1y);
    q->thickness2 = Epaisseur(S->xf, S->yf, f2x, f2y);
    Retire_vecteur(R);
    Retire_vecteur(T);
    return true;
}

}  // namespace

void Reconcilie_angles()
{
    for (Quad* q = Liste_quads; q; q = q->suivant) {
        if (Val_abs(q->angle1 - q->angle2) <= 90) continue;
        if (q->angle1 > 90) q->angle1 = 180 - q->angle1;
        else q->angle2 = 180 - q->angle2;
    }
}

int Construction_quads()
{
    const int s = Lit_param_entier("Seuil_penteV");
    const int E = Lit_param_entier("SeuilEpmax");
    const int Lmin = Lit_param_entier("LgMinQuad");

    Chantier ch;
    ch.k = Nb_quads;
    ch.queue = Dernier(Liste_quads);

    for (;;) {
        if (ch.k % 6 == 0) Traite_evenements();

        // Reference: the first of the longest eligible vectors. A vector with
        // no partner (250) never comes back, whatever SeuilEpmax says, or the
        // iterations would not end.
        Vecteur* R = nullptr;
        for (Vecteur* v = Liste_vecteurs; v; v = v->suivant)
            if (v->length > Lmin && v->etat < E && v->etat != Sans_partenaire && (!R || v->length > R->length)) R = v;
        if (!R) break;

        const int dx = R->xf - R->xi, dy = R->yf - R->yi;
        Vecteur *T = nullptr, *O = nullptr;
        double dT = 2147483647.0, dO = 2147483647.0;
        for (Vecteur* F = Liste_vecteurs; F; F = F->suivant) {
            const int da = Val_abs(F->angle - R->angle);
            if (!(da < s || da > 180 - s)) continue;
            if (static_cast<double>(F->xf - F->xi) * dx + static_cast<double>(F->yf - F->yi) * dy >= 0) continue;
            const bool cote = static_cast<double>(dy) * (F->xf - R->xi) - static_cast<double>(dx) * (F->yf - R->yi) >= 0 ||
                              static_cast<double>(dy) * (F->xi - R->xi) - static_cast<double>(dx) * (F->yi - R->yi) >= 0;
            if (!cote) continue;
            const double d2 = Distance2(F->xf, F->yf, R->xi, R->yi);
            if (d2 < dT) {
                dT = d2;
                T = F;
            }
            const double d1 = Distance2(F->xi, F->yi, R->xf, R->yf);
            if (d1 < dO) {
                dO = d1;
                O = F;
            }
        }
        const double m = std::sqrt(dT), l = std::sqrt(dO);
        const int cT = Min_ent(E, 2 * (T ? Max_ent(R->length, T->length) : R->length));
        const int cO = Min_ent(E, 2 * (O ? Max_ent(R->length, O->length) : R->length));
        // A partner with a length of 0 gives an infinite ratio: never a full pairing.
        double rho = 0;
        if (T && Max_ent(R->length, T->length) > 2)
            rho = static_cast<double>(Max_ent(R->length, T->length)) / static_cast<double>(Min_ent(R->length, T->length));

        if (T && T == O && cT > m && cO > l && rho < 1.25 && Compte_blancs(R->xi, R->yi, T->xf, T->yf, Plan1) <= 4 &&
            Compte_blancs(R->xf, R->yf, T->xi, T->yi, Plan1) <= 4) {
            if (!Appariement_complet(ch, R, T)) R->etat = Sans_partenaire;
            if (ch.memoire_epuisee) break;
            continue;
        }

        if (m < l) {
            if (Appariement_debut(ch, R, T, m, cT)) continue;
            if (ch.memoire_epuisee) break;
            R->etat = Sans_partenaire;
        }
        R->etat = 1;
        if (!O || !(l < cO) || Compte_blancs(R->xf, R->yf, O->xi, O->yi, Plan1) > 4) {
            R->etat = Sans_partenaire;
            if (Mode_trace == 1) Ecrit_texte(1, "Pas trouve...");
            continue;
        }
        if (!Appariement_fin(ch, R, O)) {
            if (ch.memoire_epuisee) break;
            R->etat = Sans_partenaire;
        }
    }

    Nb_quads = ch.k;
    Reconcilie_angles();
    Retire_si(Liste_vecteurs, [](const Vecteur& v) { return v.length < 3; });
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) v->etat = 1;
    return 1;
}
