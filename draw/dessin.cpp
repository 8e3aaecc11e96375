#include "draw/dessin.h"

#include <cctype>
#include <charconv>

#include "port/shell.h"
#include "image/planes.h"
#include "output/ecriture.h"
#include "spotting/boucles.h"
#include "vecto/geometrie.h"

void Axe_quad(const Quad& q, Point& e1, Point& e2)
{
    const Axe a = Axe_quad(q);  // the spotting's axis, in points
    e1 = {a.x1, a.y1};
    e2 = {a.x2, a.y2};
}

int Points_symbole(const Symbole& s) { return Max_ent(0, Min_ent(s.nb_points, 20)); }

namespace {

void Segment(Point a, Point b) { Trace_ligne(a.x, a.y, b.x, b.y, 1); }

// One end of an arc as it is drawn: a quadrilateral's axis or a vector.
struct Bout { Point a, b; };
Bout Bout_de(const Quad& q)
{
    Bout r;
    Axe_quad(q, r.a, r.b);
    return r;
}
Bout Bout_de(const Vecteur& v) { return {{v.xi, v.yi}, {v.xf, v.yf}}; }

// The 10 x 10 mark of a relation, origin G; unknown types get none.
void Glyphe(char type, int gx, int gy)
{
    switch (type) {
    case 'T': case 't':
        Segment({gx, gy}, {gx + 10, gy});
        Segment({gx + 5, gy}, {gx + 5, gy + 10});
        break;
    case 'L': case 'l':
        Segment({gx, gy}, {gx, gy + 10});
        Segment({gx, gy + 10}, {gx + 10, gy + 10});
        break;
    case 'X':
        Segment({gx, gy}, {gx, gy + 10});
        Segment({gx - 5, gy + 5}, {gx + 5, gy + 5});
        break;
    case 'P':
        Segment({gx, gy}, {gx, gy + 10});
        Segment({gx + 2, gy}, {gx + 2, gy + 10});
        break;
    case 'S': case '_': case '~':
        Segment({gx, gy}, {gx + 10, gy});
        break;
    default:
        break;
    }
}

// Both ends two pixels thick, the link between their midpoints, the glyph
// at the mean of the four end points.
void Dessin_arc(const Bout& b1, const Bout& b2, char type)
{
    for (const Bout* b : {&b1, &b2}) {
        Segment(b->a, b->b);
        Segment({b->a.x + 1, b->a.y + 1}, {b->b.x + 1, b->b.y + 1});
    }
    const Point m1{(b1.a.x + b1.b.x) / 2, (b1.a.y + b1.b.y) / 2};
    const Point m2{(b2.a.x + b2.b.x) / 2, (b2.a.y + b2.b.y) / 2};
    Segment(m1, m2);
    Glyphe(type, (b1.a.x + b1.b.x + b2.a.x + b2.b.x) / 4, (b1.a.y + b1.b.y + b2.a.y + b2.b.y) / 4);
}

// Trace mode after one arc: shown alone, then Plan2 cleared for the next.
void Montre_arc(Point debut, char type, double score)
{
    Defile_vers(debut.x, debut.y);
    Efface_texte();
    Ecrit_texte(1, std::string(" * Type = ") + type + " - Score = " + Fixe(score, 3) + " ");
    Pause_go();
    Efface_P2();
}

template <class A, class F>
int Dessin_arcs(A* tete, const char* titre, const char* compte, F bouts)
{
    Ecrit_texte(0, titre);
    int n = 0;
    for (A* a = tete; a; a = a->suivant, n++) {
        Bout b1, b2;
        if (!bouts(*a, b1, b2)) continue;
        Dessin_arc(b1, b2, a->type);
        if (Mode_trace == 1) Montre_arc(b1.a, a->type, a->score);
    }
    Ecrit_texte(1, compte);
    Ecrit_nombre(0, n);
    return 1;
}

bool Bouts_QQ(const ArcQQ& a, Bout& b1, Bout& b2)
{
    if (!a.Q1 || !a.Q2) return false;
    b1 = Bout_de(*a.Q1), b2 = Bout_de(*a.Q2);
    return true;
}

void Contour_quad(const Quad& q)
{
    Segment({q.x1i, q.y1i}, {q.x1f, q.y1f});
    Segment({q.x2i, q.y2i}, {q.x1f, q.y1f});
    Segment({q.x2i, q.y2i}, {q.x2f, q.y2f});
    Segment({q.x1i, q.y1i}, {q.x2f, q.y2f});
}

void Quad_vide()
{
    Ecrit_texte(0, " *** ");
    Signal_court();
    Pause_go();
}

// A bound typed by the user: the leading decimal number, 0 when there is none.
double Lit_borne(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) i++;
    if (i < s.size() && s[i] == '+') i++;
    double v = 0;
    const auto r = std::from_chars(s.data() + i, s.data() + s.size(), v, std::chars_format::general);
    return r.ec == std::errc() ? v : 0.0;
}

}  // namespace

int Dessin_CC(CC* tete)
{
    Efface_P2();
    Efface_texte();
    Ecrit_texte(1, " Dessin des C.C.  ...");
    int n = 0;
    for (CC* c = tete; c; c = c->suivant, n++) {
        Segment({c->xi, c->yi}, {c->xi, c->yf});
        Segment({c->xf, c->yf}, {c->xi, c->yf});
        Segment({c->xf, c->yf}, {c->xf, c->yi});
        Segment({c->xi, c->yi}, {c->xf, c->yi});
    }
    Ecrit_texte(1, "* Nb comp. connexes : ");
    Ecrit_nombre(0, n);
    return 1;
}

int Dessin_vecteurs(Vecteur* tete)
{
    Efface_texte();
    Ecrit_texte(1, " Dessin des vecteurs ...");
    Point dernier;  // start of the last segment drawn
    int n = 0;
    for (Vecteur* v = tete; v; v = v->suivant, n++) {
        if (v->length != 0) {
            Segment({v->xi, v->yi}, {v->xf, v->yf});
            dernier = {v->xi, v->yi};
        } else if (Mode_trace == 1) {
            Ecrit_texte(1, " *** ");
            Signal_court();
        }
        if (Mode_trace == 1) {
            Defile_vers(dernier.x, dernier.y);
            Pause_go();
        }
    }
    Ecrit_texte(1, "* Nb de vecteurs : ");
    Ecrit_nombre(0, n);
    return 1;
}

int Dessin_quads(Quad* tete)
{
    if (Nb_quads == 0) return 0;
    Efface_texte();
    Ecrit_texte(0, " Dessin des quadr. ...");
    Progression_init(0, Nb_quads);
    int n = 0;
    for (Quad* q = tete; q; q = q->suivant, n++) {
        Progression_pas();
        if (q->length != 0) {
            Contour_quad(*q);
            if (Mode_trace == 1) {
                Efface_texte();
                Ecrit_texte(1, " * score = " + Scientifique(q->score) + " ");
                Ecrit_texte(1, " * a1 = " + std::to_string(q->angle1) + " _ a2 = " + std::to_string(q->angle2) + "  ");
                Defile_vers(q->x1i, q->y1i);
                Pause_go();
            }
        } else if (Mode_trace == 1) {
            Quad_vide();
        }
    }
    Ecrit_texte(1, "* Nb de Quadrilateres : ");
    Ecrit_nombre(0, n);
    return 1;
}

int Dessin_quads_bornes(Quad* tete)
{
    if (Nb_quads == 0) return 0;
    Efface_texte();
    Ecrit_texte(0, " Borne des scores :");
    std::string reponse;
    // Cancel on either bound cancels the drawing.
    if (!Saisie(reponse, "Borne inf ?")) return 0;
    const double inf = Lit_borne(reponse);
    Ecrit_texte(1, " * Inf = " + Scientifique(inf) + " ");
    reponse.clear();
    if (!Saisie(reponse, "Borne sup ?")) return 0;
    const double sup = Lit_borne(reponse);
    Ecrit_texte(1, " * Sup = " + Scientifique(sup) + " ");
    int n = 0;
    for (Quad* q = tete; q; q = q->suivant) {
        if (q->length == 0) {
            if (Mode_trace == 1) Quad_vide();
        } else if (inf <= q->score && q->score <= sup) {
            Contour_quad(*q);
            n++;
        }
    }
    Ecrit_texte(1, "* Nb de Quadrilateres : ");
    Ecrit_nombre(0, n);
    return 1;
}

int Dessin_axes(Quad* tete)
{
    if (Nb_quads == 0) return 0;
    Efface_texte();
    Ecrit_texte(0, " Dessin du squelette ...");
    Progression_init(0, Nb_quads);
    int n = 0;
    for (Quad* q = tete; q; q = q->suivant, n++) {
        Progression_pas();
        if (q->length != 0) {
            Point e1, e2;
            Axe_quad(*q, e1, e2);
            Segment(e1, e2);
        } else if (Mode_trace == 1) {
            Quad_vide();
        }
    }
    Ecrit_texte(1, "* Nb de traits : ");
    Ecrit_nombre(0, n);
    return 1;
}

int Dessin_arcs_QQ(ArcQQ* tete)
{
    Efface_texte();
    Efface_P2();
    return Dessin_arcs(tete, " Dessin des arcs ...", "* Nb d'arcs QQ : ", Bouts_QQ);
}

int Dessin_arcs_VV(ArcVV* tete)
{
    return Dessin_arcs(tete, " Dessin des arcs V ...", "* Nb d'arcs VV : ", [](const ArcVV& a, Bout& b1, Bout& b2) {
        if (!a.V1 || !a.V2) return false;
        b1 = Bout_de(*a.V1), b2 = Bout_de(*a.V2);
        return true;
    });
}

int Dessin_arcs_QV(ArcQV* tete)
{
    return Dessin_arcs(tete, " Dessin des arcs QV ...", "* Nb d'arcs QV : ", [](const ArcQV& a, Bout& b1, Bout& b2) {
        if (!a.Q1 || !a.V2) return false;
        b1 = Bout_de(*a.Q1), b2 = Bout_de(*a.V2);
        return true;
    });
}

void Dessin_graphe_complet()
{
    Dessin_arcs_QQ(Liste_arcs_QQ);
    Dessin_arcs_VV(Liste_arcs_VV);
    Dessin_arcs_QV(Liste_arcs_QV);
    Signal_fin();
}

int Dessin_arcs_selectif(ArcQQ* tete)
{
    Efface_texte();
    Ecrit_texte(0, " Dessin selectif des arcs ...");
    std::string reponse;
    if (!Saisie(reponse, "Quel Type (P,T,X,L,S) ?")) return 0;
    const char voulu = static_cast<char>(std::toupper(static_cast<unsigned char>(reponse.empty() ? '\0' : reponse[0])));
    int n = 0;
    for (ArcQQ* a = tete; a; a = a->suivant, n++) {
        const char effectif = (a->type == '_' || a->type == '~') ? 'S' : a->type;
        Bout b1, b2;
        if (voulu == '\0' || std::toupper(static_cast<unsigned char>(effectif)) != voulu || !Bouts_QQ(*a, b1, b2))
            continue;
        Dessin_arc(b1, b2, a->type);
        if (Mode_trace == 1) {
            Defile_vers(b1.a.x, b1.a.y);
            Efface_texte();
            Ecrit_texte(1, std::string(" * Type = ") + a->type + " ");
            Pause_go();
            Efface_P2();
        }
    }
    Ecrit_texte(1, "* Nb d'arcs : ");
    Ecrit_nombre(0, n);
    return 1;
}

int Dessin_symboles(Symbole* tete)
{
    Efface_texte();
    Ecrit_texte(0, " Dessin des Symboles...");
    int n = 0;
    for (Symbole* s = tete; s; s = s->suivant, n++) {
        if (s->genre != 100) continue;
        const int np = Points_symbole(*s);
        if (np == 0) continue;  // no point 0 to close the outline on
        const auto p = [s](int i) { return Point{s->points[i][0], s->points[i][1]}; };
        for (int i = 0; i <= np - 2; i++) Segment(p(i), p(i + 1));
        Segment(p(0), p(np - 1));
    }
    Ecrit_texte(1, "* Nb de symboles : ");
    Ecrit_nombre(0, n);
    return 1;
}
