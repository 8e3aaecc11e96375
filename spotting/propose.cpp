#include "spotting/propose.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <unordered_map>

#include "output/ecriture.h"
#include "port/shell.h"
#include "spotting/boucles.h"
#include "reco/comparaison_memoire.h"
#include "spotting/graphe_lisse.h"
#include "spotting/regions.h"
#include "vecto/geometrie.h"

namespace {

// The candidate's graph as the matchers read it: its members as nodes with
// their length relative to the longest, the arcs between them as edges.
GrapheG Graphe_candidat(const Candidat& c, const std::unordered_map<const Quad*, std::vector<ArcQQ*>>& arcs_de,
                        bool reunit, const Reglages_spotting& r, double epaisseur = 0)
{
    // Pieces of one stroke (continuations at the same slope), broken by noise,
    // are one node when `reunit`: their lengths add up.
    std::unordered_map<const Quad*, int> membre;
    for (const Quad* q : c.membres) membre.emplace(q, static_cast<int>(membre.size()));
    std::vector<int> chef(c.membres.size());
    for (size_t i = 0; i < chef.size(); i++) chef[i] = static_cast<int>(i);
    auto racine = [&](int x) {
        while (chef[static_cast<size_t>(x)] != x) x = chef[static_cast<size_t>(x)] = chef[static_cast<size_t>(chef[static_cast<size_t>(x)])];
        return x;
    };
    if (reunit && c.membres.size() <= r.membres_max_reunion) {
        // Boxes too far apart for any two ends to meet within the gap
        // Morceaux_alignes allows (a box's diagonal bounds its axis) are
        // not looked at.
        struct Boite_q {
            int x0, y0, x1, y1;
            double diagonale;
        };
        std::vector<Boite_q> boites;
        for (const Quad* q : c.membres) {
            const int x0 = std::min({q->x1i, q->x2i, q->x1f, q->x2f}), x1 = std::max({q->x1i, q->x2i, q->x1f, q->x2f});
            const int y0 = std::min({q->y1i, q->y2i, q->y1f, q->y2f}), y1 = std::max({q->y1i, q->y2i, q->y1f, q->y2f});
            boites.push_back({x0, y0, x1, y1, std::hypot(x1 - x0, y1 - y0)});
        }
        for (size_t i = 0; i < c.membres.size(); i++)
            for (size_t j = i + 1; j < c.membres.size(); j++) {
                const Boite_q &a = boites[i], &b = boites[j];
                const int dx = std::max({0, b.x0 - a.x1, a.x0 - b.x1}), dy = std::max({0, b.y0 - a.y1, a.y0 - b.y1});
                const double limite = 2 * epaisseur + 0.25 * std::min(a.diagonale, b.diagonale) + 1;
                if (dx > limite || dy > limite) continue;
                if (Morceaux_alignes(c.membres[i], c.membres[j], epaisseur)) {
                    const int r1 = racine(static_cast<int>(i)), r2 = racine(static_cast<int>(j));
                    if (r1 != r2) chef[static_cast<size_t>(std::max(r1, r2))] = std::min(r1, r2);
                }
            }
    }
    if (reunit)
        for (const Quad* q : c.membres) {
            const auto it = arcs_de.find(q);
            if (it == arcs_de.end()) continue;
            for (const ArcQQ* a : it->second) {
                if (a->Q1 != q || a->type != '~') continue;
                const auto m2 = membre.find(a->Q2);
                if (m2 == membre.end() || Angle_arc(a->Q1->angle1, a->Q2->angle1) > r.pente_morceaux) continue;
                const int r1 = racine(membre[q]), r2 = racine(m2->second);
                if (r1 != r2) chef[static_cast<size_t>(std::max(r1, r2))] = std::min(r1, r2);
            }
        }
    std::vector<int> noeud(c.membres.size(), -1);
    std::vector<double> longueur;
    for (size_t i = 0; i < c.membres.size(); i++) {
        const auto r = static_cast<size_t>(racine(static_cast<int>(i)));
        if (noeud[r] < 0) noeud[r] = static_cast<int>(longueur.size()), longueur.push_back(0);
        noeud[i] = noeud[r];
        longueur[static_cast<size_t>(noeud[i])] += c.membres[i]->length;
    }
    GrapheG g;
    const double lmax = longueur.empty() ? 0 : *std::max_element(longueur.begin(), longueur.end());
    for (double l : longueur) {
        NoeudG n;
        n.id = "n" + std::to_string(g.noeuds.size());
        n.rellen = lmax == 0 ? 0.0 : l / lmax;
        g.noeuds.push_back(std::move(n));
    }
    std::set<std::pair<int, int>> vues;
    for (const Quad* q : c.membres) {
        const auto it = arcs_de.find(q);
        if (it == arcs_de.end()) continue;
        for (const ArcQQ* a : it->second) {
            if (a->Q1 != q) continue;  // each arc once, from its first end
            const auto m2 = membre.find(a->Q2);
            if (m2 == membre.end()) continue;
            const int n1 = noeud[static_cast<size_t>(membre[q])], n2 = noeud[static_cast<size_t>(m2->second)];
            if (reunit && (n1 == n2 || !vues.emplace(std::min(n1, n2), std::max(n1, n2)).second)) continue;
            char type = a->type;
            Normalise_type(type);
            if (type >= 'a' && type <= 'z') type = static_cast<char>(type - 'a' + 'A');
            g.aretes.push_back({n1, n2, static_cast<double>(Angle_arc(a->Q1->angle1, a->Q2->angle1)), type});
        }
    }
    return g;
}

// The box of `membres` given to `c` (none: unchanged).
void Boite_membres(Candidat& c, const std::vector<Quad*>& membres)
{
    if (membres.empty()) return;
    c.xmin = c.ymin = 1 << 30, c.xmax = c.ymax = -(1 << 30);
    for (const Quad* q : membres) {
        for (int x : {q->x1i, q->x2i, q->x1f, q->x2f}) c.xmin = std::min(c.xmin, x), c.xmax = std::max(c.xmax, x);
        for (int y : {q->y1i, q->y2i, q->y1f, q->y2f}) c.ymin = std::min(c.ymin, y), c.ymax = std::max(c.ymax, y);
    }
}

void Trace_candidat(const Candidat& c)
{
    Trace_ligne(c.xmin, c.ymin, c.xmin, c.ymax, 1);
    Trace_ligne(c.xmin, c.ymax, c.xmax, c.ymax, 1);
    Trace_ligne(c.xmin, c.ymin, c.xmax, c.ymin, 1);
    Trace_ligne(c.xmax, c.ymin, c.xmax, c.ymax, 1);
}

// Without models: a group of several strokes, not as small as a letter.
double Forme_symbole(const Candidat& c, double epaisseur, const Reglages_spotting& r)
{
    if (!(c.niveaux & (1u << Groupe_proche)) || c.membres.size() < r.traits_min) return 0;
    const int cote = std::max(c.xmax - c.xmin, c.ymax - c.ymin);
    return cote >= r.cote_min * epaisseur ? 1.0 : 0.0;
}

// Letters and words: groups no taller than r.hauteur_texte thicknesses that
// stand in a row with another of about their height (overlapping rows, a
// gap under their height). Their shape score drops to 0.
void Ecarte_texte(std::vector<Candidat>& cs, double epaisseur, const Reglages_spotting& r)
{
    std::vector<size_t> petits;
    for (size_t i = 0; i < cs.size(); i++)
        if ((cs[i].niveaux & (1u << Groupe_proche)) && cs[i].ymax - cs[i].ymin <= r.hauteur_texte * epaisseur) petits.push_back(i);
    std::vector<bool> texte(cs.size(), false);
    for (size_t a = 0; a < petits.size(); a++)
        for (size_t b = a + 1; b < petits.size(); b++) {
            const Candidat &x = cs[petits[a]], &y = cs[petits[b]];
            const double hx = x.ymax - x.ymin + 1.0, hy = y.ymax - y.ymin + 1.0;
            if (std::max(hx, hy) > 1.6 * std::min(hx, hy)) continue;
            const double recouvre = std::min(x.ymax, y.ymax) - std::max(x.ymin, y.ymin) + 1.0;
            const double ecart = std::max(x.xmin, y.xmin) - std::min(x.xmax, y.xmax) - 1.0;
            if (recouvre >= 0.5 * std::min(hx, hy) && ecart <= std::max(hx, hy))
                texte[petits[a]] = texte[petits[b]] = true;
        }
    for (size_t i = 0; i < cs.size(); i++)
        if (texte[i]) cs[i].score = 0;
}

// Connected components that hold no wire or wall, by box.
std::vector<const CC*> Composantes_sans_fil(const Propositions& p)
{
    std::vector<std::pair<int, int>> milieux;
    for (size_t i = 0; i < p.traits.size(); i++) {
        if (p.roles[i] == Trait_symbole) continue;
        const Quad* q = p.traits[i];
        milieux.emplace_back((q->x1i + q->x1f + q->x2i + q->x2f) / 4, (q->y1i + q->y1f + q->y2i + q->y2f) / 4);
    }
    std::vector<const CC*> composantes;
    for (const CC* k = Liste_CC; k; k = k->suivant) {
        const bool fil = std::any_of(milieux.begin(), milieux.end(), [k](const std::pair<int, int>& m) {
            return m.first >= k->xi && m.first <= k->xf && m.second >= k->yi && m.second <= k->yf;
        });
        if (!fil) composantes.push_back(k);
    }
    return composantes;
}

// The ink box of a symbol: its box grown by the connected components it
// meets that hold no wire and are no wider than a few times the symbol
// (their box area at most r.aire_composante times its own): the parts of the
// symbol that made no quadrilateral (a curve, the teeth of a ground).
void Ajuste_boite(Candidat& c, const std::vector<const CC*>& composantes, const Reglages_spotting& r)
{
    auto aire = [](double x0, double y0, double x1, double y1) { return (x1 - x0 + 1) * (y1 - y0 + 1); };
    const double a = aire(c.xmin, c.ymin, c.xmax, c.ymax);
    int x0 = c.xmin, y0 = c.ymin, x1 = c.xmax, y1 = c.ymax;
    for (const CC* k : composantes) {
        if (k->xf < c.xmin || k->xi > c.xmax || k->yf < c.ymin || k->yi > c.ymax) continue;
        if (aire(k->xi, k->yi, k->xf, k->yf) > r.aire_composante * a) continue;
        x0 = std::min(x0, static_cast<int>(k->xi)), y0 = std::min(y0, static_cast<int>(k->yi));
        x1 = std::max(x1, static_cast<int>(k->xf)), y1 = std::max(y1, static_cast<int>(k->yf));
    }
    c.xmin = x0, c.ymin = y0, c.xmax = x1, c.ymax = y1;
}

}  // namespace

void Nomme_par_graphe(Propositions& p, const Modeles_memoire& ms, double seuil, const Reglages_spotting& r,
                      std::vector<GrapheG>& bruts)
{
    std::unordered_map<const Quad*, std::vector<ArcQQ*>> arcs_de;
    for (ArcQQ* a = Liste_arcs_QQ; a; a = a->suivant)
        if (a->Q1 && a->Q2) arcs_de[a->Q1].push_back(a), arcs_de[a->Q2].push_back(a);
    // The models smoothed the same way, in the same order (one index names a
    // model in both); a few microseconds per image.
    Modeles_memoire lisses = ms;
    for (Modele_memoire& m : lisses.liste) {
        m.graphe = Graphe_lisse(m.graphe, r.angle_lisse, r.part_lisse);
        m.signature = Signature_graphe(m.graphe);
    }
    std::set<const Quad*> attaches;
    for (size_t i = 0; i < p.traits.size(); i++)
        if (p.attache[i]) attaches.insert(p.traits[i]);
    bruts.assign(p.candidats.size(), GrapheG{});
    for (Candidat& c : p.candidats) {
        if (Mode_trace == 1) Trace_candidat(c);
        {
            GrapheG& brut = bruts[static_cast<size_t>(&c - p.candidats.data())];
            brut = Graphe_candidat(c, arcs_de, false, r);
            Choix_modele choix = Meilleur_modele(brut, ms, r.rapport_noeuds,
                                                 c.fils_courts ? r.modeles_essayes_fils_courts : r.modeles_essayes, seuil);
            // The variants below only matter for a candidate the raw graph
            // leaves under the threshold.
            // The members of the winning variant, when it left out a piece of
            // wire: the box is theirs.
            std::vector<Quad*> restants;
            auto essaie = [&](const GrapheG& g, const std::vector<Quad*>* membres = nullptr) {
                if ((choix.modele >= 0 && choix.similarite >= seuil) || c.fils_courts) return;
                const Choix_modele autre = Meilleur_modele(g, ms, r.rapport_noeuds, r.modeles_essayes, seuil);
                if (autre.modele >= 0 && (choix.modele < 0 || autre.similarite > choix.similarite)) {
                    choix = autre;
                    restants = membres ? *membres : std::vector<Quad*>{};
                }
            };
            const GrapheG reuni = Graphe_candidat(c, arcs_de, true, r, p.epaisseur);
            if (reuni.noeuds.size() != brut.noeuds.size()) essaie(reuni);
            // Without a stroke much longer than all others (a piece of wire
            // left on it), which would shrink every relative length.
            if (c.membres.size() >= 3) {
                std::vector<int32_t> l;
                for (const Quad* q : c.membres) l.push_back(q->length);
                std::nth_element(l.begin(), l.begin() + 1, l.end(), std::greater<>());
                const int32_t plus_long = std::max(l[0], l[1]), second = std::min(l[0], l[1]);
                if (plus_long > r.rapport_plus_long * second) {
                    Candidat sans_long = c;
                    sans_long.membres.clear();
                    for (Quad* q : c.membres)
                        if (q->length != plus_long) sans_long.membres.push_back(q);
                    // Named already, and that stroke touches a wire: named as
                    // well without it, the symbol is taken without it.
                    const auto long_ = std::find_if(c.membres.begin(), c.membres.end(), [&](const Quad* q) { return q->length == plus_long; });
                    if (choix.modele >= 0 && choix.similarite >= seuil && attaches.count(*long_)) {
                        const Choix_modele autre = Meilleur_modele(Graphe_candidat(sans_long, arcs_de, false, r), ms, r.rapport_noeuds, r.modeles_essayes, choix.similarite);
                        if (autre.modele >= 0 && autre.similarite >= choix.similarite) choix = autre, restants = sans_long.membres;
                    } else {
                        essaie(Graphe_candidat(sans_long, arcs_de, false, r), &sans_long.membres);
                    }
                }
            }
            // Last, the smoothed graph against the smoothed models: curves cut
            // into other pieces at another size, specks of a noisy scan (when
            // smoothing changes the candidate and leaves a few strokes).
            const GrapheG lisse = Graphe_lisse(brut, r.angle_lisse, r.part_lisse);
            if (!c.fils_courts && (choix.modele < 0 || choix.similarite < seuil) && lisse.noeuds.size() < brut.noeuds.size() &&
                lisse.noeuds.size() >= r.noeuds_lisse) {
                const Choix_modele l = Meilleur_modele(lisse, lisses, r.rapport_noeuds, r.modeles_essayes, seuil);
                if (l.modele >= 0 && (choix.modele < 0 || l.similarite > choix.similarite)) choix = l, restants.clear();
            }
            Boite_membres(c, restants);
            c.modele = choix.modele;
            c.score = choix.similarite;
        }
    }
}

void Note_sans_modeles(Propositions& p, const Reglages_spotting& r)
{
    for (Candidat& c : p.candidats) {
        if (Mode_trace == 1) Trace_candidat(c);
        c.score = Forme_symbole(c, p.epaisseur, r);
    }
    Ecarte_texte(p.candidats, p.epaisseur, r);
}

void Boites_encre(Propositions& p, const Reglages_spotting& r)
{
    const std::vector<const CC*> composantes = Composantes_sans_fil(p);
    for (Candidat& c : p.candidats) Ajuste_boite(c, composantes, r);
}

std::vector<Detection> Poses_proposees(const Encre_page& page, const Propositions& p, const Modeles_memoire& ms,
                                       double seuil, const Reglages_spotting& r)
{
    std::vector<Detection> ds;
    const int nb = static_cast<int>(ms.liste.size());
    for (int k = 0; k < nb; k++) {
        if (ms.liste[static_cast<size_t>(k)].dessin.empty()) continue;
        for (const double echelle : r.echelles_partout) {
            // A symmetric drawing looks the same at several poses: searched once.
            std::vector<const Gabarit*> vus;
            for (const bool miroir : {false, true})
                for (int quarts = 0; quarts < 4; quarts++) {
                    const Gabarit& g = Gabarit_memoire(ms, k, {quarts, miroir, echelle}, r);
                    if (g.larg == 0) continue;
                    const bool deja = std::any_of(vus.begin(), vus.end(), [&](const Gabarit* v) {
                        return v->larg == g.larg && v->haut == g.haut && v->encre == g.encre;
                    });
                    if (deja) continue;
                    vus.push_back(&g);
                    Cherche_partout(page, g, r.plancher, r, ds);
                }
        }
    }
    // Coarse to fine in scale: a pose found at the scales searched over the
    // page but short of the threshold is sought again at every scale of the
    // range around it (a symbol drawn smaller or larger).
    const size_t partout = ds.size();
    for (size_t i = 0; i < partout; i++) {
        const Detection a = ds[i];
        if (a.score >= r.seuil) continue;
        std::vector<const Gabarit*> gabarits;
        for (double s = r.echelle_min; s <= r.echelle_max + 1e-9; s += r.pas_echelle) {
            const Gabarit& g = Gabarit_memoire(ms, a.modele, {a.gabarit->pose.quarts, a.gabarit->pose.miroir, s}, r);
            if (g.larg > 0 && &g != a.gabarit && std::find(gabarits.begin(), gabarits.end(), &g) == gabarits.end()) gabarits.push_back(&g);
        }
        Detection d;
        const int rayon = std::clamp(std::max(a.gabarit->larg, a.gabarit->haut) / 6, 4, 24);
        if (Cherche_autour(page, gabarits, (a.x + a.xmax()) / 2, (a.y + a.ymax()) / 2, rayon, std::max(r.plancher, a.score + 1e-9), r, d))
            ds.push_back(d);
    }
    std::vector<int> tous(ms.liste.size());
    for (size_t k = 0; k < tous.size(); k++) tous[k] = static_cast<int>(k);
    for (const Candidat& c : p.candidats) {
        if (c.modele < 0 || c.score < seuil - r.marge_candidat) continue;
        const int l = c.xmax - c.xmin + 1, h = c.ymax - c.ymin + 1;
        // Its graph's model, and the models whose drawings are nearest its ink.
        std::vector<int> modeles = {c.modele};
        if (r.dessins_candidat > 0) {
            const std::vector<double> rd = Ressemblance_dessin(Plan1, c.xmin, c.ymin, c.xmax, c.ymax, ms, tous);
            std::vector<int> ordre = tous;
            std::stable_sort(ordre.begin(), ordre.end(), [&](int a, int b) { return rd[static_cast<size_t>(a)] > rd[static_cast<size_t>(b)]; });
            for (size_t k = 0; k < ordre.size() && k < static_cast<size_t>(r.dessins_candidat); k++)
                if (rd[static_cast<size_t>(ordre[k])] >= 0 && ordre[k] != c.modele) modeles.push_back(ordre[k]);
        }
        for (const int m : modeles) {
            if (ms.liste[static_cast<size_t>(m)].dessin.empty()) continue;
            std::vector<const Gabarit*> gabarits;
            for (const bool miroir : {false, true})
                for (int quarts = 0; quarts < 4; quarts++) {
                    const Gabarit& base = Gabarit_memoire(ms, m, {quarts, miroir, 1.0}, r);
                    if (base.larg == 0) continue;
                    // The scales the box gives, from its larger side ratio, and
                    // every step of the range (a box may hold only a part).
                    const double e = std::max(l / static_cast<double>(base.larg), h / static_cast<double>(base.haut));
                    std::vector<double> echelles = {e};
                    for (double s = r.echelle_min; s <= r.echelle_max + 1e-9; s += r.pas_echelle) echelles.push_back(s);
                    for (const double s0 : echelles) {
                        const double s = std::clamp(s0, r.echelle_min, r.echelle_max);
                        const Gabarit& g = Gabarit_memoire(ms, m, {quarts, miroir, s}, r);
                        if (g.larg > 0 && std::find(gabarits.begin(), gabarits.end(), &g) == gabarits.end()) gabarits.push_back(&g);
                    }
                }
            Detection d;
            const int rayon = std::clamp(std::max(l, h) / 8, 4, 16);
            if (Cherche_autour(page, gabarits, (c.xmin + c.xmax) / 2, (c.ymin + c.ymax) / 2, rayon, r.plancher, r, d)) ds.push_back(d);
        }
    }
    return ds;
}
