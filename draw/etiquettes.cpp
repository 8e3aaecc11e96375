// Drawings as PNG over a light grey copy of the drawing, with the names
// recognition gave to the symbols written beside their boxes in a small
// built-in font.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "draw/export_dessin.h"

namespace {

// 3 x 5 glyphs, rows from the top, '#' ink; a character without a glyph is
// drawn as '?'. Capitals fill the five rows, small letters the lower four
// (with a stroke above for the tall ones), so that a name reads with the
// case the SVG drawing and the symbol list give it.
struct Glyphe {
    char c;
    const char* rangees[5];
};
constexpr Glyphe kGlyphes[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}}, {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "##.", "..#", "##."}},
    {'6', {".##", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "##."}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}}, {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}}, {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}}, {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}}, {'J', {"..#", "..#", "..#", "#.#", ".#."}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}}, {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#.#", "###", "###", "#.#", "#.#"}}, {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}}, {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'Q', {".#.", "#.#", "#.#", "##.", ".##"}}, {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}}, {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}}, {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#.#", "#.#", "###", "###", "#.#"}}, {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}}, {'Z', {"###", "..#", ".#.", "#..", "###"}},
    {'a', {"...", ".##", "#.#", "#.#", ".##"}}, {'b', {"#..", "##.", "#.#", "#.#", "##."}},
    {'c', {"...", ".##", "#..", "#..", ".##"}}, {'d', {"..#", ".##", "#.#", "#.#", ".##"}},
    {'e', {"...", ".#.", "###", "#..", ".##"}}, {'f', {"..#", ".#.", "###", ".#.", ".#."}},
    {'g', {"...", ".##", "#.#", ".##", "##."}}, {'h', {"#..", "##.", "#.#", "#.#", "#.#"}},
    {'i', {".#.", "...", "##.", ".#.", "###"}}, {'j', {"..#", "...", "..#", "#.#", ".#."}},
    {'k', {"#..", "#.#", "##.", "##.", "#.#"}}, {'l', {"##.", ".#.", ".#.", ".#.", "###"}},
    {'m', {"...", "##.", "###", "#.#", "#.#"}}, {'n', {"...", "##.", "#.#", "#.#", "#.#"}},
    {'o', {"...", ".#.", "#.#", "#.#", ".#."}}, {'p', {"...", "##.", "#.#", "##.", "#.."}},
    {'q', {"...", ".##", "#.#", ".##", "..#"}}, {'r', {"...", "#.#", "##.", "#..", "#.."}},
    {'s', {"...", ".##", "#..", "..#", "##."}}, {'t', {".#.", "###", ".#.", ".#.", "..#"}},
    {'u', {"...", "#.#", "#.#", "#.#", ".##"}}, {'v', {"...", "#.#", "#.#", "#.#", ".#."}},
    {'w', {"...", "#.#", "#.#", "###", "#.#"}}, {'x', {"...", "#.#", ".#.", ".#.", "#.#"}},
    {'y', {"...", "#.#", "#.#", ".##", "##."}}, {'z', {"...", "###", ".#.", "#..", "###"}},
    {'.', {"...", "...", "...", "...", ".#."}}, {'_', {"...", "...", "...", "...", "###"}},
    {'-', {"...", "...", "###", "...", "..."}}, {'(', {"..#", ".#.", ".#.", ".#.", "..#"}},
    {')', {"#..", ".#.", ".#.", ".#.", "#.."}}, {' ', {"...", "...", "...", "...", "..."}},
    {'?', {"##.", "..#", ".#.", "...", ".#."}},
};

const Glyphe& Glyphe_de(char c)
{
    for (const Glyphe& g : kGlyphes)
        if (g.c == c) return g;
    return kGlyphes[sizeof kGlyphes / sizeof kGlyphes[0] - 1];
}

constexpr int kEchelle = 2;  // pixels per glyph dot in the --draw pictures
constexpr int kHauteurTexte = 5 * kEchelle;

}  // namespace

void Ecrit_etiquette(std::string& octets, int w, int h, int x, int y, const std::string& texte, char fond, char encre,
                     int echelle)
{
    auto met = [&](int px, int py, char v) {
        if (px >= 0 && py >= 0 && px < w && py < h) octets[static_cast<size_t>(py) * w + px] = v;
    };
    const int avance = 4 * echelle;  // glyph and space
    const int largeur = static_cast<int>(texte.size()) * avance + echelle;
    for (int py = y - 1; py <= y + 5 * echelle; py++)
        for (int px = x - echelle; px < x + largeur; px++) met(px, py, fond);
    for (size_t k = 0; k < texte.size(); k++) {
        const Glyphe& g = Glyphe_de(texte[k]);
        for (int r = 0; r < 5; r++)
            for (int c = 0; c < 3; c++)
                if (g.rangees[r][c] == '#')
                    for (int dy = 0; dy < echelle; dy++)
                        for (int dx = 0; dx < echelle; dx++)
                            met(x + static_cast<int>(k) * avance + c * echelle + dx, y + r * echelle + dy, encre);
    }
}

std::string Etiquette_symbole(const SymboleLu& s)
{
    if (s.nom.empty() || s.nom == "NONE" || s.nom.rfind("Rejet", 0) == 0) return {};
    if (s.score < 0) return s.nom;
    char score[32];
    std::snprintf(score, sizeof score, " %.2f", s.score);
    for (char* p = score; *p; p++)
        if (*p == ',') *p = '.';
    return s.nom + score;
}

namespace {

// Rows [y0, y0 + n) of the picture of Png_sur_fond, labels included (a
// label across the band's edge is drawn in both bands, each its part).
void Bande_sur_fond(const PlanImage& dessin, const PlanImage& fond, const std::vector<SymboleLu>& symboles, int y0,
                    int n, std::string& gris)
{
    const int w = dessin.larg;
    gris.assign(static_cast<size_t>(w) * static_cast<size_t>(n), '\xff');
    for (int y = y0; y < y0 + n; y++)
        for (int x = 0; x < w; x++) {
            char& g = gris[static_cast<size_t>(y - y0) * w + x];
            if (Lit_pixel(x, y, dessin)) g = '\0';
            else if (Lit_pixel(x, y, fond)) g = static_cast<char>(205);
        }
    for (const SymboleLu& s : symboles) {
        // Above the box, or inside it when the box touches the top.
        const int y = s.yi - kHauteurTexte - 3 >= 1 ? s.yi - kHauteurTexte - 3 : s.yi + 2;
        if (y + kHauteurTexte < y0 - 1 || y - 1 >= y0 + n) continue;
        const std::string texte = Etiquette_symbole(s);
        if (texte.empty()) continue;
        Ecrit_etiquette(gris, w, n, s.xi, y - y0, texte, '\xff', '\0', kEchelle);
    }
}

constexpr int kBande = 256;  // rows drawn at a time

bool Encode_sur_fond(const PlanImage& dessin, const PlanImage& fond, const std::vector<SymboleLu>& symboles,
                     const std::function<bool(std::string_view)>& sortie)
{
    const int w = dessin.larg, h = dessin.haut;
    std::string bande;
    int debut = -1;
    return Encode_png_lignes(
        w, h, 8, 0,
        [&](int y, char* l) {
            if (debut < 0 || y >= debut + kBande) {
                debut = y;
                Bande_sur_fond(dessin, fond, symboles, y, std::min(kBande, h - y), bande);
            }
            std::memcpy(l, bande.data() + static_cast<size_t>(y - debut) * w, static_cast<size_t>(w));
        },
        sortie);
}

}  // namespace

std::string Png_sur_fond(const PlanImage& dessin, const PlanImage& fond, const std::vector<SymboleLu>& symboles)
{
    std::string o;
    const bool ok = Encode_sur_fond(dessin, fond, symboles, [&](std::string_view t) { return o.append(t), true; });
    return ok ? o : std::string();
}

bool Ecrit_png_sur_fond(const std::string& chemin, const PlanImage& dessin, const PlanImage& fond,
                        const std::vector<SymboleLu>& symboles)
{
    return Ecrit_png(chemin, [&](const std::function<bool(std::string_view)>& sortie) {
        return Encode_sur_fond(dessin, fond, symboles, sortie);
    });
}
