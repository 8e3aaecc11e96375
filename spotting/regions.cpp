#include "spotting/regions.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "output/ecriture.h"
#include "port/shell.h"
#include "spotting/incidence.h"
#include "spotting/symboles.h"
#include "vecto/geometrie.h"

namespace {

bool Membre(const Quad* o, const Region& r) { return r.membres_vus.Contient(o); }

void Enregistre_arc(ArcQQ* B, Region& r)
{
    if (r.acount >= Taille_region - 1) {
        r.acount--;
        // The last arc recorded gives way (it may be B itself).
        r.arcs_vus.Retire(r.arcs[r.acount]);
        Signal_fin();
        Signal_fin();
        Signal_fin();
    }
    if (r.arcs_vus.Contient(B)) return;
    r.arcs[r.acount++] = B;
    r.arcs_vus.Ajoute(B);
}

template <class Arcs>
int Croissance(Region& r, double seuil, const Arcs& arcs_de);

// o reached from the expanded quadrilateral through B. An arc is kept only
// when its far end belongs to the region, so that no edge of the sub-graph
// leaves it (a full queue turns o away).
template <class Arcs>
void Offre(ArcQQ* B, Quad* o, Region& r, double seuil, const Arcs& arcs_de)
{
    const int entre = Enfile_unique(o, r);
    if (entre == 1 || Membre(o, r)) Enregistre_arc(B, r);
    // The recursion takes whatever stands at the front of the queue.
    if (entre == 1) Croissance(r, seuil, arcs_de);
}

template <class Arcs>
int Croissance(Region& r, double seuil, const Arcs& arcs_de)
{
    Quad* q = Defile(r.file, r.qcount);
    if (!q) return 0;
    for (ArcQQ* B : arcs_de(q)) {
        if (B->Q1 == q && B->Q2 && B->Q2->score >= seuil) Offre(B, B->Q2, r, seuil, arcs_de);
        if (B->Q2 == q && B->Q1 && B->Q1->score >= seuil) Offre(B, B->Q1, r, seuil, arcs_de);
    }
    return 1;
}

}  // namespace

void Vide_region(Region& r)
{
    std::fill(std::begin(r.arcs), std::end(r.arcs), nullptr);
    std::fill(std::begin(r.membres), std::end(r.membres), nullptr);
    std::fill(std::begin(r.file), std::end(r.file), nullptr);
    r.qcount = r.mcount = r.acount = 0;
    r.membres_vus.Vide();
    r.arcs_vus.Vide();
}

int Enfile_unique(Quad* o, Region& r)
{
    if (Membre(o, r)) return 0;
    if (r.qcount >= Taille_region - 1 || r.mcount == Taille_region) return 0;
    r.file[r.qcount++] = o;
    r.membres[r.mcount++] = o;
    r.membres_vus.Ajoute(o);
    return 1;
}

Quad* Defile(Quad* file[], int& qcount)
{
    if (qcount <= 0) return nullptr;
    Quad* q = file[0];
    for (int i = 1; i < qcount; i++) file[i - 1] = file[i];
    qcount--;
    file[qcount] = nullptr;
    return q;
}

int Croissance_region_direct(Region& r, double seuil)
{
    return Croissance(r, seuil, [](const Quad*) { return ArcsQQ_en_liste{}; });
}

int Croissance_region(Region& r, double seuil)
{
    if (Spotting_recherche_directe || !Incidence_courante) return Croissance_region_direct(r, seuil);
    const IncidenceQQ* index = Incidence_courante;
    return Croissance(r, seuil, [index](const Quad* q) { return index->Arcs_de(q); });
}

Boite Boite_region(const Region& r, int k)
{
    Boite b;
    for (int j = 0; j < r.mcount; j++) {
        Quad* q = r.membres[j];
        q->niveau = k;
        q->numero = j;
        b.lmax = Max_ent(b.lmax, q->length);
        for (int x : {q->x1i, q->x2i, q->x1f, q->x2f}) {
            b.xmin = Min_ent(b.xmin, x);
            b.xmax = Max_ent(b.xmax, x);
        }
        for (int y : {q->y1i, q->y2i, q->y1f, q->y2f}) {
            b.ymin = Min_ent(b.ymin, y);
            b.ymax = Max_ent(b.ymax, y);
        }
    }
    b.x = (b.xmax + b.xmin) / 2;
    b.y = (b.ymax + b.ymin) / 2;
    return b;
}

int Ajoute_symbole(const Boite& b)
{
    auto* s = new (std::nothrow) Symbole;
    if (!s) {
        Message_erreur("- Erreur mem. -");
        return 0;
    }
    s->genre = 100;
    s->nb_points = 4;
    s->taille = Min_ent(b.xmax - b.xmin, b.ymax - b.ymin);
    const int points[4][2] = {{b.xmin, b.ymin}, {b.xmax, b.ymin}, {b.xmax, b.ymax}, {b.xmin, b.ymax}};
    for (int i = 0; i < 4; i++) {
        s->points[i][0] = points[i][0];
        s->points[i][1] = points[i][1];
    }
    Ajoute_en_queue(Liste_symboles, Dernier(Liste_symboles), s);
    return 1;
}

void Trace_boite(const Boite& b)
{
    const int cotes[4][4] = {{b.xmin, b.ymin, b.xmin, b.ymax},   // left
                             {b.xmin, b.ymax, b.xmax, b.ymax},   // bottom
                             {b.xmin, b.ymin, b.xmax, b.ymin},   // top
                             {b.xmax, b.ymin, b.xmax, b.ymax}};  // right
    for (const auto& c : cotes) Trace_ligne(c[0], c[1], c[2], c[3], 1);
    Boite_couleur(b.xmin, b.ymin, b.xmax, b.ymax);
}

void Ajoute_debut_symbole(std::string& s, const Boite& b)
{
    s += "\n<symbol>\n<location x=\"";
    Ajoute_entier(s, b.x);
    s += "\" y=\"";
    Ajoute_entier(s, b.y);
    s += "\" />\n<scalefactor>1</scalefactor>\n<boundingbox xi=\"";
    Ajoute_entier(s, b.xmin);
    s += "\" yi=\"";
    Ajoute_entier(s, b.ymin);
    s += "\" xf=\"";
    Ajoute_entier(s, b.xmax);
    s += "\" yf=\"";
    Ajoute_entier(s, b.ymax);
    s += "\" />\n";
}
