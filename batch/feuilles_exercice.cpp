#include "batch/feuilles_exercice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace {

// A small generator of its own: the sheets must not change with the
// standard library's distributions.
struct Hasard {
    uint64_t etat;
    uint64_t suivant()
    {
        uint64_t z = (etat += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int entier(int a, int b) { return a + static_cast<int>(suivant() % static_cast<uint64_t>(b - a + 1)); }
    double reel(double a, double b) { return a + (b - a) * static_cast<double>(suivant() >> 11) * 0x1.0p-53; }
    bool tirage(double p) { return reel(0, 1) < p; }
};

Bitmap Vide(int l, int h)
{
    Bitmap b;
    b.larg = std::max(0, l), b.haut = std::max(0, h);
    b.px.assign(static_cast<size_t>(b.larg) * static_cast<size_t>(b.haut), 0);
    return b;
}

void Pave(Bitmap& b, int x0, int y0, int x1, int y1)
{
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, b.larg - 1), y1 = std::min(y1, b.haut - 1);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) b.at(x, y) = 1;
}

// A stroke `e` pixels thick from (xa, ya) to (xb, yb).
void Trait(Bitmap& b, double xa, double ya, double xb, double yb, int e)
{
    const int n = static_cast<int>(std::ceil(std::max(std::fabs(xb - xa), std::fabs(yb - ya)))) + 1;
    for (int i = 0; i <= n; i++) {
        const int x = static_cast<int>(std::lround(xa + (xb - xa) * i / n)) - e / 2;
        const int y = static_cast<int>(std::lround(ya + (yb - ya) * i / n)) - e / 2;
        Pave(b, x, y, x + e - 1, y + e - 1);
    }
}

// Glyph-like strokes in a unit box (x right, y down): letters and digits
// as schematic labels have them (R12, 10k, C3, VCC).
struct Segment {
    float xa, ya, xb, yb;
};
const std::vector<std::vector<Segment>>& Glyphes()
{
    static const std::vector<std::vector<Segment>> g = {
        {{0.5f, 0, 0.5f, 1}},
        {{0, 0, 0, 1}, {0, 1, 0.8f, 1}},
        {{0, 0, 1, 0}, {0.5f, 0, 0.5f, 1}},
        {{0, 0, 0, 1}, {1, 0, 1, 1}, {0, 0.5f, 1, 0.5f}},
        {{0, 0, 0, 1}, {0, 0, 1, 0}, {0, 0.5f, 0.7f, 0.5f}, {0, 1, 1, 1}},
        {{0, 0, 1, 0}, {1, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 0, 0}},
        {{0, 0, 0.5f, 1}, {0.5f, 1, 1, 0}},
        {{0, 1, 0, 0}, {0, 0, 1, 1}, {1, 1, 1, 0}},
        {{0.2f, 0.2f, 0.6f, 0}, {0.6f, 0, 0.6f, 1}},
        {{0, 0, 1, 0}, {1, 0, 1, 0.5f}, {1, 0.5f, 0, 1}, {0, 1, 1, 1}},
        {{0, 0, 1, 0}, {1, 0, 0.3f, 1}},
        {{0, 0, 0, 1}, {0, 0.6f, 1, 0.2f}, {0.3f, 0.5f, 1, 1}},
        {{1, 0, 0, 0}, {0, 0, 0, 1}, {0, 1, 1, 1}},
        {{0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 1, 0.5f}, {1, 0.5f, 0, 0.5f}, {0.3f, 0.5f, 1, 1}},
    };
    return g;
}

struct Etiquette {
    int hauteur = 0, largeur = 0, glyphes = 0, epaisseur = 1;
};

void Dessine_etiquette(Bitmap& b, Hasard& h, const Etiquette& e, int x, int y)
{
    const double l = 0.6 * e.hauteur, pas = 0.9 * e.hauteur;
    for (int i = 0; i < e.glyphes; i++) {
        const auto& g = Glyphes()[static_cast<size_t>(h.entier(0, static_cast<int>(Glyphes().size()) - 1))];
        const double gx = x + i * pas + e.epaisseur / 2.0, gy = y + e.epaisseur / 2.0;
        const double gl = l - e.epaisseur, gh = e.hauteur - e.epaisseur;
        for (const Segment& s : g) Trait(b, gx + s.xa * gl, gy + s.ya * gh, gx + s.xb * gl, gy + s.yb * gh, e.epaisseur);
    }
}

// Specks and edge jitter over the rows [y0, y1] of `b`: a pixel on an
// edge of the ink changes with a probability of 0.15, and specks of one to
// three pixels come to about 2 per cent of the ink.
void Bruite(Bitmap& b, Hasard& h, int y0, int y1)
{
    y0 = std::max(y0, 1), y1 = std::min(y1, b.haut - 2);
    if (y1 < y0) return;
    const Bitmap avant = b;
    long encre = 0;
    for (int y = y0; y <= y1; y++)
        for (int x = 1; x < b.larg - 1; x++) {
            const uint8_t v = avant.at(x, y);
            encre += v;
            const bool bord = avant.at(x - 1, y) != v || avant.at(x + 1, y) != v || avant.at(x, y - 1) != v ||
                              avant.at(x, y + 1) != v;
            if (bord && h.tirage(0.15)) b.at(x, y) = static_cast<uint8_t>(v ^ 1);
        }
    const long taches = encre / 250;
    for (long i = 0; i < taches; i++) {
        const int c = h.entier(1, 2), x = h.entier(1, std::max(1, b.larg - 4)), y = h.entier(y0, y1);
        Pave(b, x, y, x + c - 1, std::min(y + c - 1, y1));
    }
}

struct Exemplaire {
    size_t modele = 0;
    Pose pose;
    Bitmap dessin;
    std::vector<Borne> bornes;
    bool etiquette = false;
    Etiquette lab;
    int cote_etiquette = -1;  // 0..3 a side without terminals, 4 the top right corner
    int marge[4] = {0, 0, 0, 0};  // top, right, bottom, left
    int x = 0, y = 0;             // where the drawing's top left lands
};

// A channel end: where a terminal's wire meets a line between cells.
struct Bout {
    int ligne, position;
};

}  // namespace

Bitmap Bitmap_de_plan(const PlanImage& p)
{
    Bitmap b = Vide(p.larg, p.haut);
    for (int y = 1; y < p.haut; y++)
        for (int x = 1; x < p.larg; x++) b.at(x, y - 1) = static_cast<uint8_t>(Lit_pixel(x, y, p));
    return b;
}

Bitmap Rogne_encre(const Bitmap& b)
{
    int x0 = b.larg, y0 = b.haut, x1 = -1, y1 = -1;
    for (int y = 0; y < b.haut; y++)
        for (int x = 0; x < b.larg; x++)
            if (b.at(x, y)) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    if (x1 < 0) return Vide(0, 0);
    Bitmap r = Vide(x1 - x0 + 1, y1 - y0 + 1);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) r.at(x - x0, y - y0) = b.at(x, y);
    return r;
}

Bitmap Pose_dessin(const Bitmap& encre, const Pose& pose)
{
    const int l = std::max(1, static_cast<int>(std::lround(encre.larg * pose.echelle)));
    const int h = std::max(1, static_cast<int>(std::lround(encre.haut * pose.echelle)));
    Bitmap s = Vide(l, h);
    for (int y = 0; y < h; y++) {
        const int sy = std::min(encre.haut - 1, static_cast<int>((y + 0.5) * encre.haut / h));
        for (int x = 0; x < l; x++) {
            const int sx = std::min(encre.larg - 1, static_cast<int>((x + 0.5) * encre.larg / l));
            s.at(pose.miroir ? l - 1 - x : x, y) = encre.at(sx, sy);
        }
    }
    for (int q = 0; q < (pose.quarts % 4 + 4) % 4; q++) {
        // Clockwise: the left column becomes the top row.
        Bitmap t = Vide(s.haut, s.larg);
        for (int y = 0; y < s.haut; y++)
            for (int x = 0; x < s.larg; x++) t.at(s.haut - 1 - y, x) = s.at(x, y);
        s = std::move(t);
    }
    return Rogne_encre(s);
}

int Epaisseur_traits(const Bitmap& b)
{
    std::vector<int> runs;
    for (int y = 0; y < b.haut; y++)
        for (int x = 0, n = 0; x <= b.larg; x++) {
            if (x < b.larg && b.at(x, y)) n++;
            else if (n) runs.push_back(n), n = 0;
        }
    for (int x = 0; x < b.larg; x++)
        for (int y = 0, n = 0; y <= b.haut; y++) {
            if (y < b.haut && b.at(x, y)) n++;
            else if (n) runs.push_back(n), n = 0;
        }
    if (runs.empty()) return 1;
    std::nth_element(runs.begin(), runs.begin() + static_cast<long>(runs.size() / 2), runs.end());
    return std::max(1, runs[runs.size() / 2]);
}

std::vector<Borne> Bornes(const Bitmap& b)
{
    std::vector<Borne> bornes;
    if (b.larg == 0) return bornes;
    const int e = Epaisseur_traits(b);
    // At most this wide along the side: a capacitor's plate, drawn thicker,
    // ends on the side as a pin does.
    const int large = e + 1;
    const int profond = std::max(3, 2 * e);  // carried on inward this far
    // And white beside it, this far along the side and inward: a pin sticks
    // out of the symbol, where the end of a ground's bar has the next bar
    // close by.
    const int autour = 3 * e;
    for (int cote = 0; cote < 4; cote++) {
        const int n = cote % 2 == 0 ? b.larg : b.haut;
        // Pixel at `t` along the side and `d` inward (white outside).
        auto encre = [&](int t, int d) {
            if (t < 0 || t >= n) return false;
            switch (cote) {
            case 0: return d < b.haut && b.at(t, d);
            case 1: return d < b.larg && b.at(b.larg - 1 - d, t);
            case 2: return d < b.haut && b.at(t, b.haut - 1 - d);
            default: return d < b.larg && b.at(d, t);
            }
        };
        for (int t = 0; t < n;) {
            if (!encre(t, 0)) {
                t++;
                continue;
            }
            int f = t;
            while (f + 1 < n && encre(f + 1, 0)) f++;
            const int milieu = (t + f) / 2;
            bool porte = f - t + 1 <= large;
            for (int d = 1; porte && d < profond; d++) porte = encre(milieu, d);
            for (int d = 0; porte && d < autour; d++)
                for (int k = 1; porte && k <= autour; k++) porte = !encre(t - k, d) && !encre(f + k, d);
            if (porte) bornes.push_back({cote, t, f});
            t = f + 1;
        }
    }
    return bornes;
}

std::vector<Feuille> Feuilles_exercice(const std::vector<Dessin_modele>& modeles, const Options_feuilles& o)
{
    std::vector<Feuille> feuilles;
    Hasard h{o.graine};
    // Wires as thick as the models' strokes.
    std::vector<int> epaisseurs;
    for (const Dessin_modele& m : modeles)
        if (m.encre.larg > 0) epaisseurs.push_back(Epaisseur_traits(m.encre));
    if (epaisseurs.empty()) return feuilles;
    std::sort(epaisseurs.begin(), epaisseurs.end());
    const int fil = epaisseurs[epaisseurs.size() / 2];
    // About 160 drawings in all: every model at least twice, at most six
    // times; a large one (an integrated circuit, whose many pins cost the
    // spotting most) once, not enlarged.
    const int par_defaut = std::clamp(160 / static_cast<int>(std::max<size_t>(1, epaisseurs.size())), 2, 6);
    std::vector<Exemplaire> ex;
    for (size_t m = 0; m < modeles.size(); m++) {
        const Bitmap& d = modeles[m].encre;
        if (d.larg == 0) continue;
        const bool grand = std::max(d.larg, d.haut) > 400;
        const int n = o.exemplaires > 0 ? o.exemplaires : grand ? 1 : par_defaut;
        const int premiere = h.entier(0, 7);
        for (int k = 0; k < n; k++) {
            Exemplaire e;
            e.modele = m;
            const int p = (premiere + 3 * k) % 8;  // odd steps: every pose within eight drawings
            e.pose.quarts = p / 2;
            e.pose.miroir = p % 2 == 1;
            e.pose.echelle = grand ? h.reel(0.7, 1.0) : h.reel(0.7, 1.4);
            ex.push_back(std::move(e));
        }
    }
    // Neighbours differ from one run of the sheet to the next model order.
    for (size_t i = ex.size(); i > 1; i--) std::swap(ex[i - 1], ex[static_cast<size_t>(h.entier(0, static_cast<int>(i) - 1))]);
    for (Exemplaire& e : ex) {
        e.dessin = Pose_dessin(modeles[e.modele].encre, e.pose);
        e.bornes = Bornes(e.dessin);
        bool occupe[4] = {false, false, false, false};
        for (const Borne& b : e.bornes) occupe[b.cote] = true;
        for (int& m : e.marge) m = h.entier(10, 36);
        e.etiquette = h.tirage(0.9);
        if (e.etiquette) {
            e.lab.hauteur = h.entier(12, 26);
            e.lab.glyphes = h.entier(2, 5);
            e.lab.epaisseur = std::max(1, static_cast<int>(std::lround(e.lab.hauteur / 9.0)));
            e.lab.largeur = static_cast<int>(std::ceil((e.lab.glyphes - 1) * 0.9 * e.lab.hauteur + 0.6 * e.lab.hauteur));
            const int debut = h.entier(0, 3);
            e.cote_etiquette = 4;
            for (int k = 0; k < 4; k++)
                if (!occupe[(debut + k) % 4]) {
                    e.cote_etiquette = (debut + k) % 4;
                    break;
                }
            const int ecart = h.entier(4, 10);
            const int besoin_l = e.lab.largeur + 2 * ecart, besoin_h = e.lab.hauteur + 2 * ecart;
            switch (e.cote_etiquette) {
            case 0: case 2: e.marge[e.cote_etiquette] = std::max(e.marge[e.cote_etiquette], besoin_h); break;
            case 1: case 3: e.marge[e.cote_etiquette] = std::max(e.marge[e.cote_etiquette], besoin_l); break;
            default: e.marge[0] = std::max(e.marge[0], besoin_h), e.marge[1] = std::max(e.marge[1], besoin_l);
            }
        }
        // Terminals on a side need room for their wire to leave.
        for (const Borne& b : e.bornes) e.marge[b.cote] = std::max(e.marge[b.cote], 3 * fil + 4);
    }

    // Rows of cells, left to right; a row's top and bottom lines and the
    // lines between its cells carry the wires. Sheets of rows, top to bottom.
    const int bord = 8;
    size_t i = 0;
    bool rang_bruite = false;
    while (i < ex.size()) {
        Feuille f;
        struct Rang {
            size_t debut, fin;
            int y, hauteur;
            std::vector<int> separations;  // x of the lines before, between and after its cells
        };
        std::vector<Rang> rangs;
        int y = bord, largeur = 0;
        while (i < ex.size()) {
            Rang r{i, i, y, 0, {bord}};
            int x = bord;
            while (i < ex.size()) {
                const Exemplaire& e = ex[i];
                const int l = e.marge[3] + e.dessin.larg + e.marge[1], hc = e.marge[0] + e.dessin.haut + e.marge[2];
                if (i > r.debut && x + l + bord > o.largeur_max) break;
                x += l;
                r.separations.push_back(x);
                r.hauteur = std::max(r.hauteur, hc);
                i++;
            }
            r.fin = i;
            if (!rangs.empty() && y + r.hauteur + bord > o.hauteur_max) {
                i = r.debut;  // on the next sheet
                break;
            }
            largeur = std::max(largeur, x + bord);
            y += r.hauteur;
            rangs.push_back(std::move(r));
        }
        f.image = Vide(largeur, y + bord);
        std::vector<Bout> horizontaux, verticaux;  // line: y (resp. x); position along it
        for (const Rang& r : rangs) {
            for (size_t k = r.debut; k < r.fin; k++) {
                Exemplaire& e = ex[k];
                const int cx0 = r.separations[k - r.debut], cx1 = r.separations[k - r.debut + 1];
                e.x = cx0 + e.marge[3];
                e.y = r.y + (r.hauteur - e.marge[0] - e.dessin.haut - e.marge[2]) / 2 + e.marge[0];
                for (int yy = 0; yy < e.dessin.haut; yy++)
                    for (int xx = 0; xx < e.dessin.larg; xx++)
                        if (e.dessin.at(xx, yy)) f.image.at(e.x + xx, e.y + yy) = 1;
                Verite v;
                v.nom = modeles[e.modele].nom;
                v.x0 = e.x, v.y0 = e.y, v.x1 = e.x + e.dessin.larg - 1, v.y1 = e.y + e.dessin.haut - 1;
                v.pose = e.pose;
                f.verites.push_back(v);
                // Each terminal's wire leaves straight out to the cell's line.
                for (const Borne& b : e.bornes) {
                    const int d = fil / 2;
                    switch (b.cote) {
                    case 0:
                        Pave(f.image, e.x + b.debut, r.y - d, e.x + b.fin, e.y - 1);
                        horizontaux.push_back({r.y, e.x + (b.debut + b.fin) / 2});
                        break;
                    case 2:
                        Pave(f.image, e.x + b.debut, v.y1 + 1, e.x + b.fin, r.y + r.hauteur - d + fil - 1);
                        horizontaux.push_back({r.y + r.hauteur, e.x + (b.debut + b.fin) / 2});
                        break;
                    case 1:
                        Pave(f.image, v.x1 + 1, e.y + b.debut, cx1 - d + fil - 1, e.y + b.fin);
                        verticaux.push_back({cx1, e.y + (b.debut + b.fin) / 2});
                        break;
                    default:
                        Pave(f.image, cx0 - d, e.y + b.debut, e.x - 1, e.y + b.fin);
                        verticaux.push_back({cx0, e.y + (b.debut + b.fin) / 2});
                    }
                }
                if (e.etiquette) {
                    const int ecart = (e.cote_etiquette % 2 == 0 ? e.marge[e.cote_etiquette] - e.lab.hauteur
                                                                 : e.marge[std::min(e.cote_etiquette, 3)] - e.lab.largeur) / 2;
                    const int g = std::max(3, std::min(ecart, 10));
                    int lx = 0, ly = 0;
                    switch (e.cote_etiquette) {
                    case 0: lx = e.x + (e.dessin.larg - e.lab.largeur) / 2, ly = e.y - g - e.lab.hauteur; break;
                    case 2: lx = e.x + (e.dessin.larg - e.lab.largeur) / 2, ly = v.y1 + 1 + g; break;
                    case 1: lx = v.x1 + 1 + g, ly = e.y + (e.dessin.haut - e.lab.hauteur) / 2; break;
                    case 3: lx = e.x - g - e.lab.largeur, ly = e.y + (e.dessin.haut - e.lab.hauteur) / 2; break;
                    default: lx = v.x1 + 1 + g, ly = e.y - g - e.lab.hauteur;
                    }
                    // Centred on a side, a label wider than the symbol keeps
                    // clear of the cell's lines.
                    lx = std::clamp(lx, cx0 + fil + 1, std::max(cx0 + fil + 1, cx1 - fil - 1 - e.lab.largeur));
                    Dessine_etiquette(f.image, h, e.lab, lx, ly);
                }
            }
        }
        // On each line, neighbouring wire ends joined most of the time: the
        // symbols wired to one another, a few ends left free.
        auto relie = [&](std::vector<Bout>& bouts, bool horizontal) {
            std::sort(bouts.begin(), bouts.end(), [](const Bout& a, const Bout& b) {
                return a.ligne != b.ligne ? a.ligne < b.ligne : a.position < b.position;
            });
            for (size_t k = 0; k + 1 < bouts.size(); k++) {
                const Bout &a = bouts[k], &b = bouts[k + 1];
                if (a.ligne != b.ligne || !h.tirage(0.7)) continue;
                const int d = fil / 2;
                if (horizontal) Pave(f.image, a.position - d, a.ligne - d, b.position - d + fil - 1, a.ligne - d + fil - 1);
                else Pave(f.image, a.ligne - d, a.position - d, a.ligne - d + fil - 1, b.position - d + fil - 1);
            }
        };
        relie(horizontaux, true);
        relie(verticaux, false);
        if (o.bruit)
            for (const Rang& r : rangs) {
                if (rang_bruite) Bruite(f.image, h, r.y, r.y + r.hauteur - 1);
                rang_bruite = !rang_bruite;
            }
        feuilles.push_back(std::move(f));
    }
    return feuilles;
}

bool Ecrit_bmp(const Bitmap& b, const std::string& chemin)
{
    const int octets = ((b.larg + 31) / 32) * 4;
    const uint32_t taille = 62u + static_cast<uint32_t>(octets) * static_cast<uint32_t>(b.haut);
    std::vector<uint8_t> d(taille, 0);
    auto u16 = [&](size_t p, uint32_t v) { d[p] = v & 0xFF, d[p + 1] = (v >> 8) & 0xFF; };
    auto u32 = [&](size_t p, uint32_t v) { u16(p, v & 0xFFFF), u16(p + 2, v >> 16); };
    d[0] = 'B', d[1] = 'M';
    u32(2, taille);
    u32(10, 62);
    u32(14, 40);
    u32(18, static_cast<uint32_t>(b.larg));
    u32(22, static_cast<uint32_t>(b.haut));
    u16(26, 1);
    u16(28, 1);
    u32(34, taille - 62);
    u32(38, 11811), u32(42, 11811);
    d[58] = d[59] = d[60] = 255;  // entry 0 black, entry 1 white
    for (int y = 0; y < b.haut; y++) {
        uint8_t* l = d.data() + 62 + static_cast<size_t>(b.haut - 1 - y) * static_cast<size_t>(octets);
        for (int x = 0; x < b.larg; x++)
            if (!b.at(x, y)) l[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
        for (int x = b.larg; x < octets * 8; x++) l[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
    }
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f) return false;
    const bool ecrit = std::fwrite(d.data(), 1, d.size(), f) == d.size();
    return std::fclose(f) == 0 && ecrit;
}
