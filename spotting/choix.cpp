#include "spotting/choix.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "image/planes.h"

std::vector<size_t> Choisit_par_graphe(Propositions& p, const Modeles_memoire* ms, double seuil,
                                       const std::vector<GrapheG>& bruts, const Reglages_spotting& r,
                                       std::vector<bool>& sauves)
{
    // The best explanation without overlaps: by decreasing score, a candidate
    // is kept unless it shares much of its box with one kept before. Against
    // models, of two about as similar the one of more strokes comes first
    // (a part of a symbol can match a small model as well as the symbol its own).
    std::vector<size_t> ordre(p.candidats.size());
    std::vector<double> rang(p.candidats.size());
    for (size_t i = 0; i < ordre.size(); i++) {
        ordre[i] = i;
        const Candidat& c = p.candidats[i];
        rang[i] = c.score + (ms ? r.poids_traits * std::log(static_cast<double>(std::max<size_t>(1, c.membres.size()))) : 0.0);
    }
    std::stable_sort(ordre.begin(), ordre.end(), [&](size_t a, size_t b) { return rang[a] > rang[b]; });
    std::vector<size_t> gardes;
    sauves.assign(p.candidats.size(), false);  // kept by the second pass
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
            const bool sauve = ms && c.score < seuil && c.score >= seuil - r.marge_sauvetage &&
                               ms->liste[static_cast<size_t>(c.modele)].graphe.noeuds.size() > r.noeuds_petit_modele;
            if (sauvetage ? !sauve : c.score < seuil) continue;
            // A model of a few strokes is matched by parts of many drawings.
            if (!sauvetage && ms && ms->liste[static_cast<size_t>(c.modele)].graphe.noeuds.size() <= r.noeuds_petit_modele &&
                c.score < seuil + r.marge_petit_modele * (1 - seuil))
                continue;
            const bool libre = std::none_of(gardes.begin(), gardes.end(), [&](size_t g) {
                return Recouvrement(c, p.candidats[g]) > r.recouvrement_max;
            });
            if (!libre) continue;
            if (sauvetage) {
                // Named, at its own similarity, when its ink matches the
                // model's drawing.
                if (ressemblances(i)[static_cast<size_t>(c.modele)] < r.dessin_sauvetage) continue;
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
            const std::vector<double>& rd = ressemblances(i);
            const double du_choisi = rd[static_cast<size_t>(c.modele)];
            if (du_choisi < 0) continue;
            std::vector<int> plus_proches;
            for (int k : tous)
                if (rd[static_cast<size_t>(k)] > du_choisi) plus_proches.push_back(k);
            std::stable_sort(plus_proches.begin(), plus_proches.end(),
                             [&](int a, int b) { return rd[static_cast<size_t>(a)] > rd[static_cast<size_t>(b)]; });
            if (plus_proches.size() > r.dessins_essayes) plus_proches.resize(r.dessins_essayes);
            for (int k : plus_proches)
                if (!Modeles_proches(bruts[i], *ms, r.rapport_noeuds, {k}, c.score - r.marge_dessin).empty()) {
                    c.modele = k;
                    break;
                }
        }
    return gardes;
}

double Recouvrement_boites(int ax0, int ay0, int ax1, int ay1, int bx0, int by0, int bx1, int by1)
{
    const double ix = std::min(ax1, bx1) - std::max(ax0, bx0) + 1.0;
    const double iy = std::min(ay1, by1) - std::max(ay0, by0) + 1.0;
    if (ix <= 0 || iy <= 0) return 0;
    const double sa = (ax1 - ax0 + 1.0) * (ay1 - ay0 + 1.0), sb = (bx1 - bx0 + 1.0) * (by1 - by0 + 1.0);
    return ix * iy / std::min(sa, sb);
}

bool Partie_de_plus_grand(const std::vector<Detection>& ds, const std::vector<bool>& admis, size_t i, const Reglages_spotting& r)
{
    const Detection& d = ds[i];
    for (size_t j = 0; j < ds.size(); j++) {
        const Detection& e = ds[j];
        if (j == i || !admis[j] || e.gabarit->encre_totale < r.rapport_plus_grand * d.gabarit->encre_totale ||
            e.score < d.score - r.marge_plus_grand)
            continue;
        if (d.x > e.xmax() || e.x > d.xmax() || d.y > e.ymax() || e.y > d.ymax()) continue;
        // The share of d's points on e's ink (widened by a pixel).
        size_t sur = 0;
        const Gabarit& g = *e.gabarit;
        for (const auto& [px, py] : d.gabarit->points) {
            const int x = d.x + px - e.x, y = d.y + py - e.y;
            bool encre = false;
            for (int dy = -1; dy <= 1 && !encre; dy++)
                for (int dx = -1; dx <= 1 && !encre; dx++) {
                    const int X = x + dx, Y = y + dy;
                    encre = X >= 0 && Y >= 0 && X < g.larg && Y < g.haut && g.encre[static_cast<size_t>(Y) * static_cast<size_t>(g.larg) + static_cast<size_t>(X)];
                }
            sur += encre ? 1 : 0;
        }
        if (static_cast<double>(sur) >= r.part_plus_grand * static_cast<double>(d.gabarit->points.size())) return true;
    }
    return false;
}

std::vector<size_t> Choisit_poses(const std::vector<Detection>& ds, const std::vector<bool>& admis, int larg, int haut,
                                  const Reglages_spotting& r)
{
    std::vector<size_t> ordre;
    std::vector<double> rang(ds.size());
    for (size_t i = 0; i < ds.size(); i++) {
        rang[i] = Ressemblance_posee(ds[i], r) + r.poids_taille * std::log2(std::max(1, ds[i].gabarit->encre_totale));
        if (admis[i] && !Partie_de_plus_grand(ds, admis, i, r)) ordre.push_back(i);
    }
    std::stable_sort(ordre.begin(), ordre.end(), [&](size_t a, size_t b) { return rang[a] > rang[b]; });
    // The ink the poses kept explain, each model's ink widened by a pixel.
    std::vector<uint8_t> pris(static_cast<size_t>(std::max(0, larg)) * static_cast<size_t>(std::max(0, haut)), 0);
    auto a_pris = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < larg && y < haut && pris[static_cast<size_t>(y) * static_cast<size_t>(larg) + static_cast<size_t>(x)];
    };
    std::vector<size_t> gardes;
    for (size_t i : ordre) {
        const Detection& d = ds[i];
        const Gabarit& g = *d.gabarit;
        size_t partage = 0;
        for (const auto& [px, py] : g.points) partage += a_pris(d.x + px, d.y + py) ? 1 : 0;
        if (static_cast<double>(partage) > r.part_partagee * static_cast<double>(g.points.size())) continue;
        const bool dedans = std::any_of(gardes.begin(), gardes.end(), [&](size_t k) {
            const Detection& e = ds[k];
            return Recouvrement_boites(d.x, d.y, d.xmax(), d.ymax(), e.x, e.y, e.xmax(), e.ymax()) > r.recouvrement_fort;
        });
        if (dedans) continue;
        gardes.push_back(i);
        for (int y = 0; y < g.haut; y++)
            for (int x = 0; x < g.larg; x++) {
                if (!g.encre[static_cast<size_t>(y) * static_cast<size_t>(g.larg) + static_cast<size_t>(x)]) continue;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        const int X = d.x + x + dx, Y = d.y + y + dy;
                        if (X >= 0 && Y >= 0 && X < larg && Y < haut) pris[static_cast<size_t>(Y) * static_cast<size_t>(larg) + static_cast<size_t>(X)] = 1;
                    }
            }
    }
    return gardes;
}
