// The pictures of the batch report: a drawing with the symbols found on it,
// at its own size or reduced to a thumbnail.
#include <algorithm>
#include <cstdio>

#include "draw/export_dessin.h"

namespace {

// Palette indices of the picture.
constexpr char kBlanc = 0, kEncre = 1, kBoite = 2, kTexte = 3;
const std::string_view kPalette("\xff\xff\xff" "\x60\x60\x60" "\xdc\x14\x14" "\x00\x00\x00", 12);

}  // namespace

std::string Etiquette_complete(const SymboleLu& s)
{
    std::string nom = s.nom.empty() ? "?" : s.nom;
    if (s.score < 0) return nom;
    char score[32];
    std::snprintf(score, sizeof score, " %.2f", s.score);
    for (char* p = score; *p; p++)
        if (*p == ',') *p = '.';
    return nom + score;
}

std::string Png_symboles(const PlanImage& dessin, const std::vector<SymboleLu>& symboles, int largeur_max)
{
    const int larg = std::max(dessin.larg, 1), haut = std::max(dessin.haut, 1);
    const int f = largeur_max > 0 && larg > largeur_max ? (larg + largeur_max - 1) / largeur_max : 1;
    const int w = (larg + f - 1) / f, h = (haut + f - 1) / f;
    std::string px(static_cast<size_t>(w) * static_cast<size_t>(h), kBlanc);
    // The planes keep white as 1 bits: a byte of eight white pixels is
    // skipped whole. Row y of the plane is row y of the picture.
    for (int y = 1; y < dessin.haut; y++) {
        const uint8_t* ligne = dessin.pixels.data() + static_cast<size_t>(dessin.haut - y) * dessin.octets;
        char* sortie = px.data() + static_cast<size_t>(y / f) * w;
        for (int o = 0; o < dessin.octets && o * 8 < dessin.larg; o++) {
            if (ligne[o] == 0xFF) continue;
            for (int b = 0; b < 8; b++) {
                const int x = o * 8 + b;
                if (x >= 1 && x < dessin.larg && !((ligne[o] >> (7 - b)) & 1)) sortie[x / f] = kEncre;
            }
        }
    }
    const int trait = f == 1 ? 2 : 1, echelle = f == 1 ? 2 : 1;
    auto met = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[static_cast<size_t>(y) * w + x] = kBoite;
    };
    for (const SymboleLu& s : symboles) {
        const int x0 = s.xi / f, y0 = s.yi / f, x1 = s.xf / f, y1 = s.yf / f;
        for (int t = 0; t < trait; t++) {
            for (int x = x0 - t; x <= x1 + t; x++) met(x, y0 - t), met(x, y1 + t);
            for (int y = y0 - t; y <= y1 + t; y++) met(x0 - t, y), met(x1 + t, y);
        }
    }
    // Labels last, so that a box never crosses a name.
    for (const SymboleLu& s : symboles) {
        const int x0 = s.xi / f, y0 = s.yi / f;
        const int haut_texte = Hauteur_etiquette(echelle);
        // Above the box, or inside it when the box touches the top.
        const int y = y0 - haut_texte - trait - 1 >= 1 ? y0 - haut_texte - trait - 1 : y0 + trait + 1;
        Ecrit_etiquette(px, w, h, std::max(x0, echelle), y, Etiquette_complete(s), kBlanc, kTexte, echelle);
    }
    return Encode_png(w, h, 8, 3, px, kPalette);
}
