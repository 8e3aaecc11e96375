#include <string>

#include "port/shell.h"
#include "output/ecriture.h"
#include "output/contenus.h"
#include "output/resultats.h"

namespace {

// Inline at every call: the name is a literal, its length and copy are then
// settled at compile time.
template <class T>
[[gnu::always_inline]] inline void Attribut(Sortie_resultat::Curseur& c, const char* nom, const T& valeur)
{
    c << "\n   <attr name=\"" << nom << "\">\n    <string>" << valeur << "</string>\n   </attr>";
}

// The score attribute, three decimals, then `fin`.
[[gnu::always_inline]] inline void Attribut_score(Sortie_resultat& s, Sortie_resultat::Curseur& c, double score,
                                                  const char* fin)
{
    c << "\n   <attr name=\"score\">\n    <string>";
    s.Pose(c);
    s.Fixe(score, 3) << "</string>\n   </attr>" << fin;
}

void Arete_complete(Sortie_resultat& s, int numero, int de, int vers, int angle, char type, double score)
{
    // Numbers and names: well under one piece.
    Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
    c << "\n  <edge id=\"edge" << numero << "\" from=\"node" << de << "\" to=\"node" << vers << "\">";
    Attribut(c, "angle", angle);
    Attribut(c, "type", type);
    Attribut_score(s, c, score, "\n  </edge>\n");
}

}  // namespace

void Contenu_graphe_gxl(Sortie_resultat& s, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv, int format,
                        bool numerote, const std::atomic<bool>* arcs_prets)
{
    const bool apparieur = format == 1;  // the variant handed to the graph matchers
    s << "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n<gxl>\n";
    if (apparieur) s << "<graph id=\"graph0\">\n\n";
    else s << " <graph id=\"" << Texte_xml(Nom_fichier(Chemin_image)) << ".gxl\">\n";

    // Same numbering as the text result file; vectors and components are
    // counted even where they are not written, so the matcher variant's
    // first node is n<NV>.
    int n = 0;
    for (; v; v = v->suivant) {
        if (v->length == 0) continue;
        if (numerote) v->numero = n;
        n++;
        if (apparieur) continue;
        Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
        c << "\n  <node id=\"node" << v->numero << "\">";
        Attribut(c, "forme", "Vecteur");
        Attribut(c, "xi", v->xi);
        Attribut(c, "yi", v->yi);
        Attribut(c, "xf", v->xf);
        Attribut(c, "yf", v->yf);
        Attribut(c, "angle", v->angle);
        Attribut(c, "length", v->length);
        c << "\n  </node>\n";
        s.Pose(c);
    }
    int32_t plus_long = 0;
    if (apparieur)
        for (Quad* r = q; r; r = r->suivant)
            if (r->length > plus_long) plus_long = r->length;
    for (; q; q = q->suivant) {
        if (q->length == 0) continue;
        if (numerote) q->numero = n;
        n++;
        if (apparieur) {
            s << "<node id=\"n" << q->numero
              << "\">\n<attr name=\"forme\">\n<string>1</string>\n</attr>\n<attr name=\"RelLen\">\n<string>";
            s.Fixe(static_cast<double>(q->length) / static_cast<double>(plus_long), 6) << "</string>\n</attr>\n</node>\n\n";
            continue;
        }
        Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
        c << "\n  <node id=\"node" << q->numero << "\">";
        Attribut(c, "forme", "Quad");
        Attribut(c, "x1i", q->x1i);
        Attribut(c, "y1i", q->y1i);
        Attribut(c, "x1f", q->x1f);
        Attribut(c, "y1f", q->y1f);
        Attribut(c, "x2i", q->x2i);
        Attribut(c, "y2i", q->y2i);
        Attribut(c, "x2f", q->x2f);
        Attribut(c, "y2f", q->y2f);
        Attribut(c, "angle1", q->angle1);
        Attribut(c, "angle2", q->angle2);
        Attribut(c, "thickness1", static_cast<int>(q->thickness1));
        Attribut(c, "thickness2", static_cast<int>(q->thickness2));
        Attribut(c, "length", q->length);
        Attribut_score(s, c, q->score, "\n  </node>\n");
    }
    for (; cc; cc = cc->suivant, n++) {
        if (apparieur) continue;
        Sortie_resultat::Curseur c = s.Place(Sortie_resultat::kPiece);
        c << "\n  <node id=\"node" << n << "\">";
        Attribut(c, "forme", "CC");
        Attribut(c, "xi", cc->xi);
        Attribut(c, "yi", cc->yi);
        Attribut(c, "xf", cc->xf);
        Attribut(c, "yf", cc->yf);
        c << "\n  </node>\n";
        s.Pose(c);
    }

    // Arcs with a missing end are left out but keep their number; only the
    // arcs written get their type rewritten.
    if (arcs_prets) arcs_prets->wait(false);
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
}

bool Ecrit_graphe_gxl(const std::string& chemin, Vecteur* v, Quad* q, CC* cc, ArcQQ* aqq, ArcVV* avv, ArcQV* aqv,
                      int format)
{
    std::FILE* f = Ouvre_resultat(chemin);
    if (!f) return false;  // nothing numbered, no arc rewritten
    Sortie_resultat s(f);
    Contenu_graphe_gxl(s, v, q, cc, aqq, avv, aqv, format, true);
    return s.Termine(chemin);
}
