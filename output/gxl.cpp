#include <string>

#include "app/core/shell.h"
#include "output/ecriture.h"
#include "output/resultats.h"

namespace {

// Inline at every call: the name is a literal, its length and copy are then
// settled at compile time.
template <class T>
[[gnu::always_inline]] inline void Attribut(Sortie_resultat& s, const char* nom, const T& valeur)
{
    s << "\n   <attr name=\"" << nom << "\">\n    <string>" << valeur << "</string>\n   </attr>";
}

// The score attribute, three decimals.
[[gnu::always_inline]] inline void Attribut_score(Sortie_resultat& s, double score)
{
    s << "\n   <attr name=\"score\">\n    <string>";
    s.Fixe(score, 3) << "</string>\n   </attr>";
}

void Arete_complete(Sortie_resultat& s, int numero, int de, int vers, int angle, char type, double score)
{
    s << "\n  <edge id=\"edge" << numero << "\" from=\"node" << de << "\" to=\"node" << vers << "\">";
    Attribut(s, "angle", angle);
    Attribut(s, "type", type);
    Attribut_score(s, score);
    s << "\n  </edge>\n";
}

}  // namespace

bool Ecrit_graphe_gxl(const std::string& chemin, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv,
                      int format)
{
    const bool apparieur = format == 1;  // the variant handed to the graph matchers
    std::FILE* f = Ouvre_resultat(chemin);
    if (!f) return false;  // nothing numbered, no arc rewritten
    Sortie_resultat s(f);
    s << "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n<gxl>\n";
    if (apparieur) s << "<graph id=\"graph0\">\n\n";
    else s << " <graph id=\"" << Texte_xml(Nom_fichier(Chemin_image)) << ".gxl\">\n";

    // Same numbering as the text result file; vectors and components are
    // counted even where they are not written, so the matcher variant's
    // first node is n<NV>.
    int n = 0;
    for (; v; v = v->suivant) {
        if (v->length == 0) continue;
        v->numero = n++;
        if (apparieur) continue;
        s << "\n  <node id=\"node" << v->numero << "\">";
        Attribut(s, "forme", "Vecteur");
        Attribut(s, "xi", v->xi);
        Attribut(s, "yi", v->yi);
        Attribut(s, "xf", v->xf);
        Attribut(s, "yf", v->yf);
        Attribut(s, "angle", v->angle);
        Attribut(s, "length", v->length);
        s << "\n  </node>\n";
    }
    int32_t plus_long = 0;
    if (apparieur)
        for (Quad* r = q; r; r = r->suivant)
            if (r->length > plus_long) plus_long = r->length;
    for (; q; q = q->suivant) {
        if (q->length == 0) continue;
        q->numero = n++;
        if (apparieur) {
            s << "<node id=\"n" << q->numero
              << "\">\n<attr name=\"forme\">\n<string>1</string>\n</attr>\n<attr name=\"RelLen\">\n<string>";
            s.Fixe(static_cast<double>(q->length) / static_cast<double>(plus_long), 6) << "</string>\n</attr>\n</node>\n\n";
            continue;
        }
        s << "\n  <node id=\"node" << q->numero << "\">";
        Attribut(s, "forme", "Quad");
        Attribut(s, "x1i", q->x1i);
        Attribut(s, "y1i", q->y1i);
        Attribut(s, "x1f", q->x1f);
        Attribut(s, "y1f", q->y1f);
        Attribut(s, "x2i", q->x2i);
        Attribut(s, "y2i", q->y2i);
        Attribut(s, "x2f", q->x2f);
        Attribut(s, "y2f", q->y2f);
        Attribut(s, "angle1", q->angle1);
        Attribut(s, "angle2", q->angle2);
        Attribut(s, "thickness1", static_cast<int>(q->thickness1));
        Attribut(s, "thickness2", static_cast<int>(q->thickness2));
        Attribut(s, "length", q->length);
        Attribut_score(s, q->score);
        s << "\n  </node>\n";
    }
    for (; cc; cc = cc->suivant, n++) {
        if (apparieur) continue;
        s << "\n  <node id=\"node" << n << "\">";
        Attribut(s, "forme", "CC");
        Attribut(s, "xi", cc->xi);
        Attribut(s, "yi", cc->yi);
        Attribut(s, "xf", cc->xf);
        Attribut(s, "yf", cc->yf);
        s << "\n  </node>\n";
    }

    // Arcs with a missing end are left out but keep their number; only the
    // arcs written get their type rewritten.
    int a = 0;
    for (; aqq; aqq = aqq->suivant, a++) {
        if (!aqq->Q1 || !aqq->Q2) continue;
        const int angle = Angle_arc(aqq->Q1->angle1, aqq->Q2->angle1);
        const char type = Normalise_type(aqq->type);
        if (apparieur) {
            // The matchers know no lower-case relation: "t" goes as "T", "l"
            // as "L", while the arc keeps its own type. (ASCII by hand: the
            // window runs under the user's locale.)
            const char ecrit = type >= 'a' && type <= 'z' ? static_cast<char>(type - 'a' + 'A') : type;
            s << "<edge id=\"edge" << a << "\" from=\"n" << aqq->Q1->numero << "\" to=\"n" << aqq->Q2->numero
              << "\">\n<attr name=\"relA\">\n<string>" << angle << "</string>\n</attr>\n<attr name=\"Type\">\n<string>"
              << ecrit << "</string>\n</attr>\n</edge>\n\n";
        } else {
            Arete_complete(s, a, aqq->Q1->numero, aqq->Q2->numero, angle, type, aqq->score);
        }
    }
    if (!apparieur) {
        for (; avv; avv = avv->suivant, a++) {
            if (!avv->V1 || !avv->V2) continue;
            Arete_complete(s, a, avv->V1->numero, avv->V2->numero, Angle_arc(avv->V1->angle, avv->V2->angle),
                           Normalise_type(avv->type), avv->score);
        }
        for (; aqv; aqv = aqv->suivant, a++) {
            if (!aqv->Q1 || !aqv->V2) continue;
            Arete_complete(s, a, aqv->Q1->numero, aqv->V2->numero, Angle_arc(aqv->Q1->angle1, aqv->V2->angle),
                           Normalise_type(aqv->type), aqv->score);
        }
    }
    s << "\n </graph>\n</gxl>\n";
    return s.Termine(chemin);
}
