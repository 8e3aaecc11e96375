#include "spotting/pose.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>

#include "reco/comparaison_memoire.h"

#include <opencv2/imgproc.hpp>

namespace {

// What a model point costs from its distance to the page's ink.
std::vector<uint8_t> Couts(const cv::Mat& dist, double jeu, const Reglages_spotting& r)
{
    const int larg = dist.cols, haut = dist.rows;
    std::vector<uint8_t> c(static_cast<size_t>(larg) * static_cast<size_t>(haut));
    const double etendue = std::max(0.5, r.tolerance - jeu);
    for (int y = 0; y < haut; y++) {
        const float* d = dist.ptr<float>(y);
        for (int x = 0; x < larg; x++) {
            const double t = std::clamp((d[x] - jeu) / etendue, 0.0, 1.0);
            c[static_cast<size_t>(y) * static_cast<size_t>(larg) + static_cast<size_t>(x)] = static_cast<uint8_t>(std::lround(255 * t));
        }
    }
    return c;
}

// `pts` in the order of spread: each next point the farthest from those
// taken, starting with the one farthest from their centre (an end, a corner).
std::vector<std::pair<int16_t, int16_t>> Etales(const std::vector<std::pair<int16_t, int16_t>>& pts, size_t nombre)
{
    std::vector<std::pair<int16_t, int16_t>> sortie;
    if (pts.empty()) return sortie;
    double cx = 0, cy = 0;
    for (const auto& [x, y] : pts) cx += x, cy += y;
    cx /= static_cast<double>(pts.size()), cy /= static_cast<double>(pts.size());
    std::vector<double> proche(pts.size(), 1e18);
    size_t k = 0;
    double loin_centre = -1;
    for (size_t i = 0; i < pts.size(); i++) {
        const double d = std::hypot(pts[i].first - cx, pts[i].second - cy);
        if (d > loin_centre) loin_centre = d, k = i;
    }
    std::vector<bool> pris(pts.size(), false);
    for (size_t n = 0; n < std::min(nombre, pts.size()); n++) {
        pris[k] = true;
        sortie.push_back(pts[k]);
        size_t suivant = k;
        double dmax = -1;
        for (size_t i = 0; i < pts.size(); i++) {
            if (pris[i]) continue;
            const double dx = pts[i].first - pts[k].first, dy = pts[i].second - pts[k].second;
            proche[i] = std::min(proche[i], dx * dx + dy * dy);
            if (proche[i] > dmax) dmax = proche[i], suivant = i;
        }
        k = suivant;
    }
    return sortie;
}

}  // namespace

namespace {

// Whether the ink at `i` lies on a component standing inside the box
// (x, y, l, h) without reaching its edge, or under half the box's larger
// side: a text or a mark, not a stroke of the drawing crossing it.
inline bool Ilot(const Encre_page& page, size_t i, int x, int y, int l, int h)
{
    const auto k = static_cast<size_t>(page.composante[i]) * 4;
    const int* b = page.boites.data() + k;
    if (2 * std::max(b[2] - b[0] + 1, b[3] - b[1] + 1) < std::max(l, h)) return true;
    return b[0] > x && b[1] > y && b[2] < x + l - 1 && b[3] < y + h - 1;
}

}  // namespace

Encre_page Encre_de(int larg, int haut, const std::vector<uint8_t>& encre, const Reglages_spotting& r)
{
    Encre_page p;
    p.larg = larg, p.haut = haut;
    p.encre = encre;
    if (larg <= 0 || haut <= 0) return p;
    // The analysis decides its own threads (a batch runs one worker per
    // processor): the image library runs in the calling thread.
    static const bool seul = (cv::setNumThreads(1), true);
    (void)seul;
    cv::Mat fond(haut, larg, CV_8U);
    for (size_t i = 0; i < encre.size(); i++) fond.data[i] = encre[i] ? 0 : 255;
    cv::Mat dist;
    cv::distanceTransform(fond, dist, cv::DIST_L2, cv::DIST_MASK_PRECISE, CV_32F);
    p.cout = Couts(dist, r.jeu, r);
    p.cout_fin = Couts(dist, 0.0, r);
    p.cout_large = Couts(dist, std::max(r.jeu, r.jeu_large), r);
    // Deep inside a filled area no model's stroke lies: no anchor there.
    cv::Mat plein;
    cv::bitwise_not(fond, plein);
    cv::Mat etiquettes, stats, centres;
    const int n = cv::connectedComponentsWithStats(plein, etiquettes, stats, centres, 8, CV_32S);
    p.composante.assign(reinterpret_cast<const int32_t*>(etiquettes.data),
                        reinterpret_cast<const int32_t*>(etiquettes.data) + static_cast<size_t>(larg) * static_cast<size_t>(haut));
    for (int k = 0; k < n; k++) {
        const int x0 = stats.at<int>(k, cv::CC_STAT_LEFT), y0 = stats.at<int>(k, cv::CC_STAT_TOP);
        p.boites.insert(p.boites.end(), {x0, y0, x0 + stats.at<int>(k, cv::CC_STAT_WIDTH) - 1, y0 + stats.at<int>(k, cv::CC_STAT_HEIGHT) - 1});
    }
    cv::Mat dedans;
    cv::distanceTransform(plein, dedans, cv::DIST_L2, cv::DIST_MASK_3, CV_32F);
    // The cell's pixels from its centre out.
    static const int ordre[9][2] = {{1, 1}, {0, 1}, {2, 1}, {1, 0}, {1, 2}, {0, 0}, {2, 0}, {0, 2}, {2, 2}};
    for (int y0 = 0; y0 < haut; y0 += 3)
        for (int x0 = 0; x0 < larg; x0 += 3)
            for (const auto& [dx, dy] : ordre) {
                const int x = x0 + dx, y = y0 + dy;
                if (x < larg && y < haut && encre[static_cast<size_t>(y) * static_cast<size_t>(larg) + static_cast<size_t>(x)]) {
                    if (dedans.at<float>(y, x) <= r.ancre_dedans_max) p.ancres.push_back(y * larg + x);
                    break;
                }
            }
    return p;
}

Encre_page Encre_de(const PlanImage& plan, const Reglages_spotting& r)
{
    const int larg = std::max(0, plan.larg), haut = std::max(0, plan.haut);
    std::vector<uint8_t> encre(static_cast<size_t>(larg) * static_cast<size_t>(haut), 0);
    for (int y = 1; y < haut; y++) {
        const uint8_t* ligne = Ligne_plan(plan, y);
        uint8_t* e = encre.data() + static_cast<size_t>(y) * static_cast<size_t>(larg);
        for (int x = 1; x < larg; x++) e[x] = static_cast<uint8_t>(((ligne[x >> 3] >> (7 - (x & 7))) & 1) ^ 1);
    }
    return Encre_de(larg, haut, encre, r);
}

Gabarit Gabarit_de(const std::vector<uint8_t>& dessin, int larg, int haut, const Pose& pose, const Reglages_spotting& r)
{
    Gabarit g;
    g.pose = pose;
    if (larg <= 0 || haut <= 0 || dessin.size() != static_cast<size_t>(larg) * static_cast<size_t>(haut)) return g;
    cv::Mat m(haut, larg, CV_8U);
    for (size_t i = 0; i < dessin.size(); i++) m.data[i] = dessin[i] ? 255 : 0;
    if (pose.miroir) cv::flip(m, m, 1);
    switch (pose.quarts & 3) {
    case 1: cv::rotate(m, m, cv::ROTATE_90_CLOCKWISE); break;
    case 2: cv::rotate(m, m, cv::ROTATE_180); break;
    case 3: cv::rotate(m, m, cv::ROTATE_90_COUNTERCLOCKWISE); break;
    default: break;
    }
    if (std::abs(pose.echelle - 1.0) > 1e-6) {
        const int l = std::max(1, static_cast<int>(std::lround(m.cols * pose.echelle)));
        const int h = std::max(1, static_cast<int>(std::lround(m.rows * pose.echelle)));
        cv::Mat e;
        cv::resize(m, e, cv::Size(l, h), 0, 0, cv::INTER_LINEAR);
        // Thin strokes made smaller stay ink.
        cv::threshold(e, m, 80, 255, cv::THRESH_BINARY);
    }
    // Cropped to its ink.
    int x0 = m.cols, y0 = m.rows, x1 = -1, y1 = -1;
    for (int y = 0; y < m.rows; y++)
        for (int x = 0; x < m.cols; x++)
            if (m.at<uint8_t>(y, x)) x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    if (x1 < 0) return g;
    g.larg = x1 - x0 + 1, g.haut = y1 - y0 + 1;
    const cv::Mat c = m(cv::Rect(x0, y0, g.larg, g.haut)).clone();
    g.encre.assign(static_cast<size_t>(g.larg) * static_cast<size_t>(g.haut), 0);
    std::vector<std::pair<int16_t, int16_t>> tous;
    for (int y = 0; y < g.haut; y++)
        for (int x = 0; x < g.larg; x++)
            if (c.at<uint8_t>(y, x)) {
                g.encre[static_cast<size_t>(y) * static_cast<size_t>(g.larg) + static_cast<size_t>(x)] = 1;
                tous.emplace_back(static_cast<int16_t>(x), static_cast<int16_t>(y));
            }
    g.encre_totale = static_cast<int>(tous.size());
    int bord = 0;
    for (const auto& [x, y] : tous) {
        auto vide = [&](int u, int v) { return u < 0 || v < 0 || u >= g.larg || v >= g.haut || !c.at<uint8_t>(v, u); };
        if (vide(x - 1, y) || vide(x + 1, y) || vide(x, y - 1) || vide(x, y + 1)) bord++;
    }
    g.epaisseur = std::max(1.0, 2.0 * g.encre_totale / std::max(1, bord));
    g.encre_damier = std::max(1, g.encre_totale / 2);
    cv::Mat fond;
    cv::bitwise_not(c, fond);
    cv::Mat dist;
    cv::distanceTransform(fond, dist, cv::DIST_L2, cv::DIST_MASK_PRECISE, CV_32F);
    g.loin.assign(g.encre.size(), 0);
    for (int y = 0; y < g.haut; y++)
        for (int x = 0; x < g.larg; x++)
            if (dist.at<float>(y, x) > r.corps) g.loin[static_cast<size_t>(y) * static_cast<size_t>(g.larg) + static_cast<size_t>(x)] = 1;

    // One point a cell, the cells grown until few enough are inked.
    std::vector<std::pair<int16_t, int16_t>> choisis = tous;
    for (int cote = 2; static_cast<int>(choisis.size()) > r.points_max; cote++) {
        std::unordered_map<int, std::pair<int16_t, int16_t>> cellules;
        std::unordered_map<int, int> ecart;
        for (const auto& [x, y] : tous) {
            const int cle = (y / cote) * 65536 + x / cote;
            const int dx = x % cote - cote / 2, dy = y % cote - cote / 2;
            const int e = dx * dx + dy * dy;
            const auto it = ecart.find(cle);
            if (it == ecart.end() || e < it->second) ecart[cle] = e, cellules[cle] = {x, y};
        }
        choisis.clear();
        for (const auto& [cle, p] : cellules) choisis.push_back(p);
        std::sort(choisis.begin(), choisis.end(), [](const auto& a, const auto& b) { return a.second != b.second ? a.second < b.second : a.first < b.first; });
    }
    g.points = Etales(choisis, choisis.size());
    std::vector<std::pair<int16_t, int16_t>> corps;
    for (int y = 0; y < g.haut; y++)
        for (int x = 0; x < g.larg; x++)
            if (g.loin[static_cast<size_t>(y) * static_cast<size_t>(g.larg) + static_cast<size_t>(x)])
                corps.emplace_back(static_cast<int16_t>(x), static_cast<int16_t>(y));
    g.loin_total = static_cast<int>(corps.size());
    // A sample is enough: only a share is estimated from them.
    if (corps.size() > 4000) {
        std::vector<std::pair<int16_t, int16_t>> c;
        const size_t pas = corps.size() / 2000;
        for (size_t i = 0; i < corps.size(); i += pas) c.push_back(corps[i]);
        corps.swap(c);
    }
    g.negatifs = Etales(corps, 24);
    return g;
}

namespace {

// The share of the model's ink found at (x, y) by the costs `couts`, or -1
// as soon as it cannot reach `plancher` (its first points_tri points may
// fall marge_tri lower).
double Trouve(const Encre_page& page, const std::vector<uint8_t>& couts, const Gabarit& g, int x, int y, double plancher,
              const Reglages_spotting& r, bool large = false)
{
    if (g.larg == 0 || x < 0 || y < 0 || x + g.larg > page.larg || y + g.haut > page.haut) return -1;
    const size_t n = g.points.size();
    const size_t tri = std::min(n, static_cast<size_t>(large ? r.points_tri_large : r.points_tri));
    const double marge = large ? r.marge_tri_large : r.marge_tri;
    const long budget = static_cast<long>((1 - plancher) * 255.0 * static_cast<double>(n));
    const long budget_tri = std::min(budget, static_cast<long>((1 - plancher + marge) * 255.0 * static_cast<double>(tri)));
    const uint8_t* cout = couts.data() + static_cast<size_t>(y) * static_cast<size_t>(page.larg) + static_cast<size_t>(x);
    const auto L = static_cast<size_t>(page.larg);
    long somme = 0;
    size_t i = 0;
    for (; i < tri; i++) {
        const auto& [px, py] = g.points[i];
        somme += cout[static_cast<size_t>(py) * L + static_cast<size_t>(px)];
        if (somme > budget_tri) return -1;
    }
    for (; i < n; i++) {
        const auto& [px, py] = g.points[i];
        somme += cout[static_cast<size_t>(py) * L + static_cast<size_t>(px)];
        if (somme > budget) return -1;
    }
    return 1.0 - static_cast<double>(somme) / (255.0 * static_cast<double>(n));
}

}  // namespace

double Ressemblance_posee(const Detection& d, const Reglages_spotting& r)
{
    return d.score - r.poids_echelle * std::abs(std::log2(d.gabarit->pose.echelle));
}

bool Evalue_pose(const Encre_page& page, const Gabarit& g, int x, int y, double plancher, const Reglages_spotting& r,
                 Detection& d)
{
    const double trouve = Trouve(page, page.cout, g, x, y, plancher, r);
    if (trouve < 0) return false;
    const auto L = static_cast<size_t>(page.larg);
    // The page's ink crossing the model's body, counted on the anchors'
    // checkerboard as the model's ink is.
    int croise = 0;
    for (int yy = 0; yy < g.haut; yy++) {
        const uint8_t* e = page.encre.data() + static_cast<size_t>(y + yy) * L + static_cast<size_t>(x);
        const uint8_t* l = g.loin.data() + static_cast<size_t>(yy) * static_cast<size_t>(g.larg);
        const size_t i0 = static_cast<size_t>(y + yy) * L + static_cast<size_t>(x);
        for (int xx = ((x + y + yy) & 1); xx < g.larg; xx += 2)
            if (e[xx] & l[xx]) croise += Ilot(page, i0 + static_cast<size_t>(xx), x, y, g.larg, g.haut) ? 0 : 1;
    }
    // Counted on half the pixels, as the model's ink is: leads carried
    // into a large symbol's box weigh little beside its ink.
    const double etranger = static_cast<double>(croise) / g.encre_damier;
    const double score = std::clamp(trouve - r.poids_etranger * etranger, 0.0, 1.0);
    if (score < plancher) return false;
    d.modele = g.modele, d.gabarit = &g, d.x = x, d.y = y;
    d.trouve = trouve, d.etranger = etranger, d.score = score;
    return true;
}

namespace {

// A pin's end: ink along the box's edge for at most this many pixels; a
// wire: ink on out of the box for at least this many.
constexpr int Bout_max = 8;
constexpr int Fil_min = 6;
// Pixels of other ink crossing the edges of a plain model that are let be
// (specks).
constexpr int Ailleurs_max = 2;

// The position within `rayon` of (x, y) where the model's ink lies closest
// to the page's (no play), then checked as a pose; false below `plancher`.
bool Affine(const Encre_page& page, const Gabarit& g, int x, int y, int rayon, double plancher, const Reglages_spotting& r,
            Detection& d)
{
    double meilleur = -1;
    int bx = x, by = y;
    for (int dy = -rayon; dy <= rayon; dy++)
        for (int dx = -rayon; dx <= rayon; dx++) {
            const double t = Trouve(page, page.cout_fin, g, x + dx, y + dy, meilleur > 0 ? meilleur + 1e-9 : 0.0, r);
            if (t > meilleur) meilleur = t, bx = x + dx, by = y + dy;
        }
    return Evalue_pose(page, g, bx, by, plancher, r, d);
}

}  // namespace

void Cherche_partout(const Encre_page& page, const Gabarit& g, double plancher, const Reglages_spotting& r,
                     std::vector<Detection>& sortie)
{
    if (g.points.empty() || g.larg > page.larg || g.haut > page.haut) return;
    const int ax = g.points[0].first, ay = g.points[0].second;
    // A first look at the positions the anchors give (off by up to two
    // pixels), with the wider play.
    std::vector<Detection> touches;
    const double n_neg = static_cast<double>(std::max<size_t>(1, g.negatifs.size()));
    for (const int32_t a : page.ancres) {
        const int x = a % page.larg - ax, y = a / page.larg - ay;
        const double t = Trouve(page, page.cout_large, g, x, y, plancher, r, true);
        if (t < 0) continue;
        // The body crossed by ink, estimated from a few of its points: a
        // filled area or a hatching matches every drawing's ink.
        int noirs = 0;
        for (const auto& [px, py] : g.negatifs) {
            const size_t i = static_cast<size_t>(y + py) * static_cast<size_t>(page.larg) + static_cast<size_t>(x + px);
            noirs += page.encre[i] && !Ilot(page, i, x, y, g.larg, g.haut) ? 1 : 0;
        }
        const double estime = noirs / n_neg * 0.5 * g.loin_total / g.encre_damier;
        if (noirs > r.part_noire_max * n_neg || t - r.poids_etranger * estime < plancher - 0.1) continue;
        Detection d;
        d.modele = g.modele, d.gabarit = &g, d.x = x, d.y = y, d.score = t;
        touches.push_back(d);
    }
    if (touches.empty()) return;
    // The best of each neighbourhood.
    std::stable_sort(touches.begin(), touches.end(), [](const Detection& a, const Detection& b) { return a.score > b.score; });
    const int rayon = std::max(2, std::min(g.larg, g.haut) / 4);
    std::unordered_map<long, std::vector<size_t>> cases;
    std::vector<Detection> gardes;
    for (const Detection& d : touches) {
        const long cx = d.x / rayon, cy = d.y / rayon;
        bool pres = false;
        for (long i = cx - 1; i <= cx + 1 && !pres; i++)
            for (long j = cy - 1; j <= cy + 1 && !pres; j++) {
                const auto it = cases.find(j * 1000003L + i);
                if (it == cases.end()) continue;
                for (size_t k : it->second)
                    if (std::abs(gardes[k].x - d.x) <= rayon && std::abs(gardes[k].y - d.y) <= rayon) pres = true;
            }
        if (pres) continue;
        cases[cy * 1000003L + cx].push_back(gardes.size());
        gardes.push_back(d);
    }
    // Then the exact position within two pixels of each.
    for (const Detection& a : gardes) {
        Detection d;
        if (Affine(page, g, a.x, a.y, 2, plancher, r, d)) sortie.push_back(d);
    }
}

bool Cherche_autour(const Encre_page& page, const std::vector<const Gabarit*>& gabarits, int cx, int cy, int rayon,
                    double plancher, const Reglages_spotting& r, Detection& meilleure)
{
    bool trouve = false;
    for (const Gabarit* g : gabarits) {
        if (!g || g->points.empty()) continue;
        const int x0 = cx - g->larg / 2, y0 = cy - g->haut / 2;
        for (int y = y0 - rayon; y <= y0 + rayon; y += 2)
            for (int x = x0 - rayon; x <= x0 + rayon; x += 2) {
                Detection d;
                if (Evalue_pose(page, *g, x, y, trouve ? std::max(plancher, meilleure.score + 1e-9) : plancher, r, d)) {
                    meilleure = d;
                    trouve = true;
                }
            }
    }
    if (trouve) {
        Detection d;
        if (Affine(page, *meilleure.gabarit, meilleure.x, meilleure.y, 1, plancher, r, d)) meilleure = d;
    }
    return trouve;
}

bool Fil_au_bout(const Encre_page& page, const Detection& d, bool fil_exige)
{
    const Gabarit& g = *d.gabarit;
    auto encre_page = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < page.larg && y < page.haut &&
               page.encre[static_cast<size_t>(y) * static_cast<size_t>(page.larg) + static_cast<size_t>(x)];
    };
    auto encre = [&](int x, int y) { return g.encre[static_cast<size_t>(y) * static_cast<size_t>(g.larg) + static_cast<size_t>(x)] != 0; };
    // Along each edge, the runs of ink no longer than a pin is thick; from
    // the middle of each, ink straight on out of the box. Any other ink
    // crossing the edges (a wire going on past it, the ink it is part of)
    // says the model lies on something else.
    struct Bord {
        int x0, y0, dx, dy, n, ox, oy;  // first pixel, step along, length, outward
    };
    const Bord bords[] = {{0, 0, 0, 1, g.haut, -1, 0}, {g.larg - 1, 0, 0, 1, g.haut, 1, 0},
                          {0, 0, 1, 0, g.larg, 0, -1}, {0, g.haut - 1, 1, 0, g.larg, 0, 1}};
    int fils = 0;
    int ailleurs = 0;
    for (const Bord& b : bords) {
        std::vector<bool> permis(static_cast<size_t>(b.n), false);
        for (int i = 0; i < b.n;) {
            if (!encre(b.x0 + i * b.dx, b.y0 + i * b.dy)) {
                i++;
                continue;
            }
            int j = i;
            while (j < b.n && encre(b.x0 + j * b.dx, b.y0 + j * b.dy)) j++;
            // A lead: the same thin run for a few pixels inward (not the
            // corner of a filled shape, which widens).
            auto largeur = [&](int k, int c) {
                const int x = b.x0 + c * b.dx - k * b.ox, y = b.y0 + c * b.dy - k * b.oy;
                if (x < 0 || y < 0 || x >= g.larg || y >= g.haut || !encre(x, y)) return 0;
                int n = 1;
                for (int e = 1; c - e >= 0 && encre(x - e * b.dx, y - e * b.dy); e++) n++;
                for (int e = 1; c + e < b.n && encre(x + e * b.dx, y + e * b.dy); e++) n++;
                return n;
            };
            bool droit = j - i <= Bout_max;
            for (int k = 1; k <= Fil_min && droit; k++) {
                const int l = largeur(k, (i + j - 1) / 2);
                droit = l > 0 && std::abs(l - (j - i)) <= 1;
            }
            if (droit) {
                const int m = (i + j - 1) / 2;
                const int x = d.x + b.x0 + m * b.dx, y = d.y + b.y0 + m * b.dy;
                bool celui = true;
                for (int k = 1; k <= Fil_min && celui; k++) celui = encre_page(x + k * b.ox, y + k * b.oy);
                if (celui) {
                    fils++;
                    for (int k = std::max(0, i - 3); k < std::min(b.n, j + 3); k++) permis[static_cast<size_t>(k)] = true;
                }
            }
            i = j;
        }
        for (int i = 0; i < b.n; i++)
            if (!permis[static_cast<size_t>(i)] && encre_page(d.x + b.x0 + i * b.dx + 2 * b.ox, d.y + b.y0 + i * b.dy + 2 * b.oy)) ailleurs++;
    }
    // One wire: a wire going on through both ends is no pin of its own.
    return (fils == 1 || !fil_exige) && ailleurs <= Ailleurs_max;
}

namespace {

std::unordered_map<long long, std::unique_ptr<Gabarit>> Gabarits;
unsigned Gabarits_de = 0;  // the reading of the models they were made from

}  // namespace

const Gabarit& Gabarit_memoire(const Modeles_memoire& ms, int modele, Pose pose, const Reglages_spotting& r)
{
    if (Gabarits_de != ms.lecture) Gabarits.clear(), Gabarits_de = ms.lecture;
    const Modele_memoire& m = ms.liste[static_cast<size_t>(modele)];
    const long long vingtiemes = std::lround(pose.echelle * 20);
    pose.echelle = static_cast<double>(vingtiemes) / 20.0;
    const long long cle = ((static_cast<long long>(modele) * 4 + (pose.quarts & 3)) * 2 + (pose.miroir ? 1 : 0)) * 1000 + vingtiemes;
    std::unique_ptr<Gabarit>& g = Gabarits[cle];
    if (!g) {
        g = std::make_unique<Gabarit>(Gabarit_de(m.dessin, m.dessin_larg, m.dessin_haut, pose, r));
        g->modele = modele;
    }
    return *g;
}

void Oublie_gabarits()
{
    Gabarits.clear();
    Gabarits_de = 0;
}
