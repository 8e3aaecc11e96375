#include <charconv>
#include <cstdio>
#include <cstring>
#include <set>

#include "draw/dessin.h"
#include "draw/export_dessin.h"
#include "draw/image_couleur.h"
#include "vecto/arcs.h"
#include "output/ecriture.h"
#include "spotting/decisions_groupes.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

namespace {

// Pixel (x, y) covers [x, x+1) x [y, y+1): strokes run through the centres.
std::string C(int v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v + 0.5, std::chars_format::fixed, 1);
    return std::string(buf, r.ptr);
}

std::string Hex(uint32_t c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06x", static_cast<unsigned>(c & 0xFFFFFF));
    return buf;
}

struct Svg {
    std::string s;
    const char* ouvert = "";  // the element Fin closes
    void Ligne(Point a, Point b, const std::string& attributs = {})
    {
        ouvert = "line";
        s += "<line x1=\"" + C(a.x) + "\" y1=\"" + C(a.y) + "\" x2=\"" + C(b.x) + "\" y2=\"" + C(b.y) + "\"" + attributs;
    }
    void Polygone(const Point* p, int n, const std::string& attributs = {})
    {
        ouvert = "polygon";
        s += "<polygon points=\"";
        for (int i = 0; i < n; i++) s += (i ? " " : "") + C(p[i].x) + "," + C(p[i].y);
        s += "\"" + attributs;
    }
    // Ends the element, with a tooltip when there is one.
    void Fin(const std::string& titre = {})
    {
        if (titre.empty()) s += "/>\n";
        else s += "><title>" + Texte_xml(titre) + "</title></" + ouvert + ">\n";
    }
    void Groupe(const char* id, const std::string& attributs) { s += std::string("<g id=\"") + id + "\" " + attributs + ">\n"; }
    void Fin_groupe() { s += "</g>\n"; }
};

void Bout(Svg& g, const Quad& q)
{
    Point a, b;
    Axe_quad(q, a, b);
    g.Ligne(a, b);
    g.Fin();
}

void Bout(Svg& g, const Vecteur& v)
{
    g.Ligne({v.xi, v.yi}, {v.xf, v.yf});
    g.Fin();
}

Point Milieu(const Quad& q)
{
    Point a, b;
    Axe_quad(q, a, b);
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}
Point Milieu(const Vecteur& v) { return {(v.xi + v.xf) / 2, (v.yi + v.yf) / 2}; }

// The ends of the arcs (each primitive once), then the links in the colour
// of their relation.
template <class A, class E1, class E2>
void Arcs(Svg& g, A* tete, E1 bout1, E2 bout2, std::set<const void*>& vus, std::string& liens)
{
    for (A* a = tete; a; a = a->suivant) {
        const auto* p1 = bout1(*a);
        const auto* p2 = bout2(*a);
        if (!p1 || !p2) continue;
        if (vus.insert(p1).second) Bout(g, *p1);
        if (vus.insert(p2).second) Bout(g, *p2);
        Svg l;
        l.Ligne(Milieu(*p1), Milieu(*p2), " stroke=\"" + Hex(Couleur_type(a->type)) + "\"");
        l.Fin(std::string(1, a->type) + " " + Fixe(a->score, 3));
        liens += l.s;
    }
}

void Graphe(Svg& g, bool tous)
{
    std::set<const void*> vus;
    std::string liens;
    g.Groupe("primitives", "fill=\"none\" stroke=\"#000000\" stroke-width=\"2\"");
    Arcs(g, Liste_arcs_QQ, [](const ArcQQ& a) { return a.Q1; }, [](const ArcQQ& a) { return a.Q2; }, vus, liens);
    if (tous) {
        Arcs(g, Liste_arcs_VV, [](const ArcVV& a) { return a.V1; }, [](const ArcVV& a) { return a.V2; }, vus, liens);
        Arcs(g, Liste_arcs_QV, [](const ArcQV& a) { return a.Q1; }, [](const ArcQV& a) { return a.V2; }, vus, liens);
    }
    g.Fin_groupe();
    g.Groupe("arcs", "fill=\"none\" stroke-width=\"1\"");
    g.s += liens;
    g.Fin_groupe();
}

void Quads(Svg& g, bool couleur)
{
    g.Groupe("quads", couleur ? "stroke=\"#000000\" stroke-width=\"1\" fill-opacity=\"0.75\""
                              : "fill=\"none\" stroke=\"#000000\" stroke-width=\"1\"");
    for (Quad* q = Liste_quads; q && Nb_quads != 0; q = q->suivant) {
        if (q->length == 0) continue;
        const Point p[4] = {{q->x1i, q->y1i}, {q->x1f, q->y1f}, {q->x2i, q->y2i}, {q->x2f, q->y2f}};
        g.Polygone(p, 4, couleur ? " fill=\"" + Hex(Couleur_quad(q)) + "\"" : "");
        g.Fin(couleur && Decisions_groupes.remplies ? Nom_decision(q) : "score " + Fixe(q->score, 3));
    }
    g.Fin_groupe();
    if (!couleur || !Decisions_groupes.remplies) return;
    // The key of method 1's colours.
    g.Groupe("legend", "font-family=\"sans-serif\" font-size=\"12\"");
    g.s += "<rect x=\"2\" y=\"2\" width=\"190\" height=\"82\" fill=\"#ffffff\" stroke=\"#000000\"/>\n";
    const std::pair<const char*, int> lignes[] = {
        {"wire", Decision_fil}, {"wall", Decision_mur}, {"symbol (a colour each)", 0}, {"other stroke", Decision_reste}};
    int y = 8;
    for (const auto& [texte, decision] : lignes) {
        g.s += "<rect x=\"8\" y=\"" + std::to_string(y) + "\" width=\"14\" height=\"12\" stroke=\"#000000\" fill=\"" +
               Hex(Couleur_decision(decision)) + "\"/><text x=\"30\" y=\"" + std::to_string(y + 11) + "\">" + texte +
               "</text>\n";
        y += 18;
    }
    g.Fin_groupe();
}

}  // namespace

std::string Svg_dessin(Dessin quoi, const PlanImage& fond, std::string_view titre, const std::vector<SymboleLu>& symboles)
{
    const std::string w = std::to_string(fond.larg), h = std::to_string(fond.haut);
    Svg g;
    g.s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + w + "\" height=\"" + h +
          "\" viewBox=\"0 0 " + w + " " + h + "\">\n<title>" + Texte_xml(titre) + "</title>\n";
    g.Groupe("drawing", "opacity=\"0.3\"");
    g.s += "<image x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h +
           "\" style=\"image-rendering:pixelated\" preserveAspectRatio=\"none\" href=\"data:image/png;base64," +
           Base64(Png_plan(fond)) + "\"/>\n";
    g.Fin_groupe();
    switch (quoi) {
    case Dessin::vecteurs:
        g.Groupe("vectors", "stroke=\"#000000\" stroke-width=\"1\"");
        for (Vecteur* v = Liste_vecteurs; v; v = v->suivant)
            if (v->length != 0) Bout(g, *v);
        g.Fin_groupe();
        break;
    case Dessin::quads: Quads(g, false); break;
    case Dessin::quads_couleur: Quads(g, true); break;
    case Dessin::cc:
        g.Groupe("components", "fill=\"none\" stroke=\"#000000\" stroke-width=\"1\"");
        for (CC* c = Liste_CC; c; c = c->suivant) {
            const Point p[4] = {{c->xi, c->yi}, {c->xi, c->yf}, {c->xf, c->yf}, {c->xf, c->yi}};
            g.Polygone(p, 4);
            g.Fin();
        }
        g.Fin_groupe();
        break;
    case Dessin::axes:
        g.Groupe("axes", "stroke=\"#000000\" stroke-width=\"1\"");
        for (Quad* q = Liste_quads; q && Nb_quads != 0; q = q->suivant)
            if (q->length != 0) Bout(g, *q);
        g.Fin_groupe();
        break;
    case Dessin::graphe: Graphe(g, true); break;
    case Dessin::graphe_couleur: Graphe(g, false); break;
    case Dessin::symboles:
        g.Groupe("symbols", "fill=\"none\" stroke=\"" + Hex(Rouge) + "\" stroke-width=\"2\"");
        for (Symbole* s = Liste_symboles; s; s = s->suivant) {
            const int n = Points_symbole(*s);
            if (s->genre != 100 || n == 0) continue;
            Point p[20];
            for (int i = 0; i < n; i++) p[i] = {s->points[i][0], s->points[i][1]};
            g.Polygone(p, n);
            g.Fin(s->nom[0] ? std::string(s->nom, strnlen(s->nom, sizeof s->nom)) : std::string());
        }
        g.Fin_groupe();
        g.Groupe("labels", "fill=\"none\" stroke=\"" + Hex(Rouge) + "\" stroke-width=\"1\" font-family=\"sans-serif\" font-size=\"12\"");
        for (const SymboleLu& s : symboles) {
            const std::string texte = Etiquette_symbole(s);
            if (texte.empty()) continue;
            const Point p[4] = {{s.xi, s.yi}, {s.xi, s.yf}, {s.xf, s.yf}, {s.xf, s.yi}};
            g.Polygone(p, 4);
            g.Fin(texte);
            g.s += "<text x=\"" + C(s.xi) + "\" y=\"" + C(s.yi - 4) + "\" fill=\"" + Hex(Rouge) + "\" stroke=\"none\">" +
                   Texte_xml(texte) + "</text>\n";
        }
        g.Fin_groupe();
        break;
    }
    g.s += "</svg>\n";
    return g.s;
}
