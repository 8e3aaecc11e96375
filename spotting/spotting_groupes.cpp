#include "spotting/spotting_groupes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>

#include "port/shell.h"
#include "image/param.h"
#include "output/ecriture.h"
#include "reco/comparaison_memoire.h"
#include "reco/reconnaissance.h"
#include "spotting/boucles.h"
#include "spotting/decisions_groupes.h"
#include "spotting/graphe_lisse.h"
#include "spotting/groupes.h"
#include "spotting/regions.h"
#include "spotting/symboles.h"
#include "vecto/geometrie.h"

namespace {

// Models tried for a candidate: node counts within this ratio of its own.
constexpr double Rapport_noeuds = 2.0;
// Continuations within this angle, in degrees, are pieces of one stroke.
constexpr int Pente_morceaux = 10;
// Candidates of more strokes are not searched pairwise for aligned pieces.
constexpr size_t Membres_max_reunion = 150;
// Models compared with each candidate by the measure: the nearest by signature
// (one for the candidates of the reading with short wires, which are tried
// without variants: they only part what the other readings join).
constexpr int Modeles_essayes = 2;
constexpr int Modeles_essayes_fils_courts = 1;
// A candidate's longest stroke is also left out when it is this many times
// the next one.
constexpr double Rapport_plus_long = 1.3;
// Smoothed graphs (Graphe_lisse): bends of at most this many degrees joined,
// strokes under this part of the longest left out.
constexpr double Angle_lisse = 15.0;
constexpr double Part_lisse = 0.06;
// A smoothed graph of fewer strokes matches too many models to be compared.
constexpr size_t Noeuds_lisse = 4;
// Two kept symbols may share at most this part of the smaller box.
constexpr double Recouvrement_max = 0.3;
// Weight of the logarithm of a candidate's stroke count in the order of
// choice (not in the threshold).
constexpr double Poids_traits = 0.05;
// A model of at most Noeuds_petit_modele strokes names a candidate only
// this part of the way from Seuil_rejet to 1 above it (0.80 for 0.72).
constexpr size_t Noeuds_petit_modele = 5;
constexpr double Marge_petit_modele = 0.3;
// Models whose graphs come within this of the chosen one's are compared
// with the candidate's ink as drawn (what the graph leaves out: a small
// tick, a bubble); the nearest drawing names the symbol.
constexpr double Marge_dessin = 0.1;
constexpr size_t Dessins_essayes = 3;  // the nearest drawings whose graphs are compared
// A candidate's graph at most this under the threshold still names it when
// its ink matches the model's drawing at least this well (a blurred or
// scaled symbol whose strokes broke up a little).
constexpr double Marge_sauvetage = 0.09;
constexpr double Dessin_sauvetage = 0.60;
// Without models: a symbol has at least this many strokes, and its larger
// side spans this many stroke thicknesses.
constexpr size_t Traits_min = 2;
constexpr double Cote_min = 9.0;
constexpr double Hauteur_texte = 12.0;
// A component may widen a symbol's box when its own box is at most this many
// times the symbol's.
constexpr double Aire_composante = 4.0;

bool Cle_presente(std::string_view cle)
{
    std::ifstream f(Rep_travail + "/param.dat", std::ios::binary);
    if (!f) return false;
    std::stringstream s;
    s << f.rdbuf();
    const std::string texte = "\n" + s.str();
    return texte.find("\n#" + std::string(cle) + "#") != std::string::npos;
}

// The candidate's graph as the matchers read it: its members as nodes with
// their length relative to the longest, the arcs between them as edges.
GrapheG Graphe_candidat(const Candidat& c, const std::unordered_map<const Quad*, std::vector<ArcQQ*>>& arcs_de,
                        bool reunit, double epaisseur = 0)
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
    if (reunit && c.membres.size() <= Membres_max_reunion) {
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
                if (m2 == membre.end() || Angle_arc(a->Q1->angle1, a->Q2->angle1) > Pente_morceaux) continue;
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

// Without models: a group of several strokes, not as small as a letter.
double Forme_symbole(const Candidat& c, double epaisseur)
{
    if (!(c.niveaux & (1u << Groupe_proche)) || c.membres.size() < Traits_min) return 0;
    const int cote = std::max(c.xmax - c.xmin, c.ymax - c.ymin);
    return cote >= Cote_min * epaisseur ? 1.0 : 0.0;
}

// Letters and words: groups no taller than Hauteur_texte thicknesses that
// stand in a row with another of about their height (overlapping rows, a
// gap under their height). Their shape score drops to 0.
void Ecarte_texte(std::vector<Candidat>& cs, double epaisseur)
{
    std::vector<size_t> petits;
    for (size_t i = 0; i < cs.size(); i++)
        if ((cs[i].niveaux & (1u << Groupe_proche)) && cs[i].ymax - cs[i].ymin <= Hauteur_texte * epaisseur) petits.push_back(i);
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

Boite Boite_candidat(const Candidat& c)
{
    Boite b;
    b.xmin = c.xmin, b.ymin = c.ymin, b.xmax = c.xmax, b.ymax = c.ymax;
    b.x = (b.xmax + b.xmin) / 2;
    b.y = (b.ymax + b.ymin) / 2;
    return b;
}

void Trace_candidat(const Candidat& c)
{
    Trace_ligne(c.xmin, c.ymin, c.xmin, c.ymax, 1);
    Trace_ligne(c.xmin, c.ymax, c.xmax, c.ymax, 1);
    Trace_ligne(c.xmin, c.ymin, c.xmax, c.ymin, 1);
    Trace_ligne(c.xmax, c.ymin, c.xmax, c.ymax, 1);
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
// (their box area at most Aire_composante times its own): the parts of the
// symbol that made no quadrilateral (a curve, the teeth of a ground).
void Ajuste_boite(Candidat& c, const std::vector<const CC*>& composantes)
{
    auto aire = [](double x0, double y0, double x1, double y1) { return (x1 - x0 + 1) * (y1 - y0 + 1); };
    const double a = aire(c.xmin, c.ymin, c.xmax, c.ymax);
    int x0 = c.xmin, y0 = c.ymin, x1 = c.xmax, y1 = c.ymax;
    for (const CC* k : composantes) {
        if (k->xf < c.xmin || k->xi > c.xmax || k->yf < c.ymin || k->yi > c.ymax) continue;
        if (aire(k->xi, k->yi, k->xf, k->yf) > Aire_composante * a) continue;
        x0 = std::min(x0, static_cast<int>(k->xi)), y0 = std::min(y0, static_cast<int>(k->yi));
        x1 = std::max(x1, static_cast<int>(k->xf)), y1 = std::max(y1, static_cast<int>(k->yf));
    }
    c.xmin = x0, c.ymin = y0, c.xmax = x1, c.ymax = y1;
}

}  // namespace

int Methode_spotting_choisie = -1;

int Methode_spotting()
{
    if (Methode_spotting_choisie == 0 || Methode_spotting_choisie == 1) return Methode_spotting_choisie;
    static bool signale = false;
    if (!Cle_presente("Methode_spotting")) return 0;
    const int m = Lit_param_entier("Methode_spotting");
    if (m == 0 || m == 1) return m;
    if (m != -255 && !signale) {
        signale = true;
        Message_erreur("Methode_spotting = " + std::to_string(m) + " unknown, spotting by score regions");
    }
    return 0;
}

int Spotting_groupes(int reco)
{
    const std::string chemin_liste = Rep_travail + "/tmpsymb.gxl";
    if (Nb_quads == 0) {
        if (std::FILE* f = Ouvre_resultat(chemin_liste)) Termine_resultat(f, chemin_liste, "\n<symbolist>\n\n</symbolist>\n\n");
        return 0;
    }
    Ecrit_texte(2, " Groups + models ...");
    Supprime_doublons_arcs();
    Propositions p = Propose_candidats(Liste_quads, Liste_arcs_QQ, Liste_CC);
    // Side table of the decisions (decisions_groupes.h), for the drawings:
    // the wires and walls this method leaves out.
    Decisions_groupes.remplies = true;
    for (size_t i = 0; i < p.traits.size(); i++)
        if (p.roles[i] == Trait_fil || p.roles[i] == Trait_mur)
            Decisions_groupes.quads[p.traits[i]] = p.roles[i] == Trait_fil ? Decision_fil : Decision_mur;

    const Modeles_memoire* ms = nullptr;
    if (reco != 0) {
        ms = &Modeles_en_memoire(Rep_travail + "/models", reco);
        if (ms->liste.empty()) ms = nullptr;
    }
    std::unordered_map<const Quad*, std::vector<ArcQQ*>> arcs_de;
    if (ms)
        for (ArcQQ* a = Liste_arcs_QQ; a; a = a->suivant)
            if (a->Q1 && a->Q2) arcs_de[a->Q1].push_back(a), arcs_de[a->Q2].push_back(a);
    const double seuil = ms ? Lit_param("Seuil_rejet") : 0.5;
    // The models smoothed the same way, in the same order (one index names a
    // model in both); a few microseconds per image.
    Modeles_memoire lisses;
    if (ms) {
        lisses = *ms;
        for (Modele_memoire& m : lisses.liste) {
            m.graphe = Graphe_lisse(m.graphe, Angle_lisse, Part_lisse);
            m.signature = Signature_graphe(m.graphe);
        }
    }
    std::set<const Quad*> attaches;
    for (size_t i = 0; i < p.traits.size(); i++)
        if (p.attache[i]) attaches.insert(p.traits[i]);
    std::vector<GrapheG> bruts(ms ? p.candidats.size() : 0);
    for (Candidat& c : p.candidats) {
        if (Mode_trace == 1) Trace_candidat(c);
        if (ms) {
            GrapheG& brut = bruts[static_cast<size_t>(&c - p.candidats.data())];
            brut = Graphe_candidat(c, arcs_de, false);
            Choix_modele choix = Meilleur_modele(brut, *ms, Rapport_noeuds,
                                                 c.fils_courts ? Modeles_essayes_fils_courts : Modeles_essayes, seuil);
            // The variants below only matter for a candidate the raw graph
            // leaves under the threshold.
            // The members of the winning variant, when it left out a piece of
            // wire: the box is theirs.
            std::vector<Quad*> restants;
            auto essaie = [&](const GrapheG& g, const std::vector<Quad*>* membres = nullptr) {
                if ((choix.modele >= 0 && choix.similarite >= seuil) || c.fils_courts) return;
                const Choix_modele autre = Meilleur_modele(g, *ms, Rapport_noeuds, Modeles_essayes, seuil);
                if (autre.modele >= 0 && (choix.modele < 0 || autre.similarite > choix.similarite)) {
                    choix = autre;
                    restants = membres ? *membres : std::vector<Quad*>{};
                }
            };
            const GrapheG reuni = Graphe_candidat(c, arcs_de, true, p.epaisseur);
            if (reuni.noeuds.size() != brut.noeuds.size()) essaie(reuni);
            // Without a stroke much longer than all others (a piece of wire
            // left on it), which would shrink every relative length.
            if (c.membres.size() >= 3) {
                std::vector<int32_t> l;
                for (const Quad* q : c.membres) l.push_back(q->length);
                std::nth_element(l.begin(), l.begin() + 1, l.end(), std::greater<>());
                const int32_t plus_long = std::max(l[0], l[1]), second = std::min(l[0], l[1]);
                if (plus_long > Rapport_plus_long * second) {
                    Candidat sans_long = c;
                    sans_long.membres.clear();
                    for (Quad* q : c.membres)
                        if (q->length != plus_long) sans_long.membres.push_back(q);
                    // Named already, and that stroke touches a wire: named as
                    // well without it, the symbol is taken without it.
                    const auto long_ = std::find_if(c.membres.begin(), c.membres.end(), [&](const Quad* q) { return q->length == plus_long; });
                    if (choix.modele >= 0 && choix.similarite >= seuil && attaches.count(*long_)) {
                        const Choix_modele autre = Meilleur_modele(Graphe_candidat(sans_long, arcs_de, false), *ms, Rapport_noeuds, Modeles_essayes, choix.similarite);
                        if (autre.modele >= 0 && autre.similarite >= choix.similarite) choix = autre, restants = sans_long.membres;
                    } else {
                        essaie(Graphe_candidat(sans_long, arcs_de, false), &sans_long.membres);
                    }
                }
            }
            // Last, the smoothed graph against the smoothed models: curves cut
            // into other pieces at another size, specks of a noisy scan (when
            // smoothing changes the candidate and leaves a few strokes).
            const GrapheG lisse = Graphe_lisse(brut, Angle_lisse, Part_lisse);
            if (!c.fils_courts && (choix.modele < 0 || choix.similarite < seuil) && lisse.noeuds.size() < brut.noeuds.size() &&
                lisse.noeuds.size() >= Noeuds_lisse) {
                const Choix_modele l = Meilleur_modele(lisse, lisses, Rapport_noeuds, Modeles_essayes, seuil);
                if (l.modele >= 0 && (choix.modele < 0 || l.similarite > choix.similarite)) choix = l, restants.clear();
            }
            Boite_membres(c, restants);
            c.modele = choix.modele;
            c.score = choix.similarite;
        } else {
            c.score = Forme_symbole(c, p.epaisseur);
        }
    }

    if (!ms) Ecarte_texte(p.candidats, p.epaisseur);
    const std::vector<const CC*> composantes = Composantes_sans_fil(p);
    for (Candidat& c : p.candidats) Ajuste_boite(c, composantes);
    // The best explanation without overlaps: by decreasing score, a candidate
    // is kept unless it shares much of its box with one kept before. Against
    // models, of two about as similar the one of more strokes comes first
    // (a part of a symbol can match a small model as well as the symbol its own).
    std::vector<size_t> ordre(p.candidats.size());
    std::vector<double> rang(p.candidats.size());
    for (size_t i = 0; i < ordre.size(); i++) {
        ordre[i] = i;
        const Candidat& c = p.candidats[i];
        rang[i] = c.score + (ms ? Poids_traits * std::log(static_cast<double>(std::max<size_t>(1, c.membres.size()))) : 0.0);
    }
    std::stable_sort(ordre.begin(), ordre.end(), [&](size_t a, size_t b) { return rang[a] > rang[b]; });
    std::vector<size_t> gardes;
    std::vector<bool> sauves(p.candidats.size(), false);  // kept by the second pass
    // The likeness of a candidate's ink with every model's drawing, worked
    // out once for the second pass and the naming below.
    std::vector<int> tous(ms ? ms->liste.size() : 0);
    for (size_t k = 0; k < tous.size(); k++) tous[k] = static_cast<int>(k);
    std::map<size_t, std::vector<double>> dessins;
    auto ressemblances = [&](size_t i) -> const std::vector<double>& {
        const auto [it, neuf] = dessins.try_emplace(i);
        const Candidat& c = p.candidats[i];
        if (neuf) it->second = Ressemblance_dessin(Plan1, c.xmin, c.ymin, c.xmax, c.ymax, *ms, tous);
        return it->second;
    };
    // A second pass, where the first left room: candidates a little under
    // the threshold whose drawing vouches for them.
    for (const bool sauvetage : {false, true})
        for (size_t i : ordre) {
            Candidat& c = p.candidats[i];
            if (ms && c.modele < 0) continue;
            const bool sauve = ms && c.score < seuil && c.score >= seuil - Marge_sauvetage &&
                               ms->liste[static_cast<size_t>(c.modele)].graphe.noeuds.size() > Noeuds_petit_modele;
            if (sauvetage ? !sauve : c.score < seuil) continue;
            // A model of a few strokes is matched by parts of many drawings.
            if (!sauvetage && ms && ms->liste[static_cast<size_t>(c.modele)].graphe.noeuds.size() <= Noeuds_petit_modele &&
                c.score < seuil + Marge_petit_modele * (1 - seuil))
                continue;
            const bool libre = std::none_of(gardes.begin(), gardes.end(), [&](size_t g) {
                return Recouvrement(c, p.candidats[g]) > Recouvrement_max;
            });
            if (!libre) continue;
            if (sauvetage) {
                // Named, at its own similarity, when its ink matches the
                // model's drawing.
                if (ressemblances(i)[static_cast<size_t>(c.modele)] < Dessin_sauvetage) continue;
                sauves[i] = true;
            }
            gardes.push_back(i);
        }
    // The name of each symbol kept, where another model's graph is about as
    // near: the drawing decides.
    if (ms)
        for (size_t i : gardes) {
            Candidat& c = p.candidats[i];
            // By decreasing likeness of the drawings, the first model nearer
            // than the chosen one whose graph comes within the margin.
            const std::vector<double>& r = ressemblances(i);
            const double du_choisi = r[static_cast<size_t>(c.modele)];
            if (du_choisi < 0) continue;
            std::vector<int> plus_proches;
            for (int k : tous)
                if (r[static_cast<size_t>(k)] > du_choisi) plus_proches.push_back(k);
            std::stable_sort(plus_proches.begin(), plus_proches.end(),
                             [&](int a, int b) { return r[static_cast<size_t>(a)] > r[static_cast<size_t>(b)]; });
            if (plus_proches.size() > Dessins_essayes) plus_proches.resize(Dessins_essayes);
            for (int k : plus_proches)
                if (!Modeles_proches(bruts[i], *ms, Rapport_noeuds, {k}, c.score - Marge_dessin).empty()) {
                    c.modele = k;
                    break;
                }
        }

    // Top to bottom, then left to right.
    std::sort(gardes.begin(), gardes.end(), [&](size_t a, size_t b) {
        const Candidat &x = p.candidats[a], &y = p.candidats[b];
        return x.ymin != y.ymin ? x.ymin < y.ymin : x.xmin < y.xmin;
    });

    std::FILE* liste = Ouvre_resultat(chemin_liste);
    if (!liste) return 0;
    std::string s = "\n<symbolist>\n";
    int rang_symbole = 0;  // in Liste_symboles, for the drawings of the decisions
    for (size_t i : gardes) {
        const Candidat& c = p.candidats[i];
        const Boite b = Boite_candidat(c);
        Ajoute_debut_symbole(s, b);
        std::string nom;
        if (ms) {
            nom = ms->liste[static_cast<size_t>(c.modele)].nom;
            // A symbol the drawing vouched for is named below the threshold.
            s += Ligne_decision(c.score, nom, sauves[i] ? c.score : seuil);
        } else {
            s += "<symbolname>NONE</symbolname>";
        }
        s += "\n</symbol>\n";
        const bool ajoute = Ajoute_symbole(b) == 1;
        if (ajoute && !nom.empty()) {
            Symbole* dernier = Dernier(Liste_symboles);
            std::strncpy(dernier->nom, nom.c_str(), sizeof dernier->nom - 1);
        }
        // Side table of the decisions (decisions_groupes.h): the strokes of
        // each symbol kept.
        if (ajoute) {
            for (Quad* q : c.membres) Decisions_groupes.quads[q] = rang_symbole;
            rang_symbole++;
        }
        if (Mode_trace == 1) Trace_boite(b);
    }
    s += "\n</symbolist>\n\n";
    Termine_resultat(liste, chemin_liste, s);
    Ecrit_nombre(1, static_cast<int>(gardes.size()));
    return static_cast<int>(gardes.size());
}
