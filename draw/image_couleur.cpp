#include "draw/image_couleur.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "port/shell.h"
#include "draw/dessin.h"
#include "draw/export_dessin.h"
#include "image/planes.h"
#include "output/ecriture.h"
#include "spotting/decisions_groupes.h"
#include "vecto/geometrie.h"

ImageCouleur Image_couleur;

namespace {

void Pose(int x, int y, uint32_t c)
{
    ImageCouleur& im = Image_couleur;
    if (x < 0 || y < 0 || x >= im.largeur || y >= im.hauteur) return;
    im.pixels[static_cast<size_t>(y) * im.largeur + x] = c;
}

void Ligne(Point a, Point b, uint32_t c) { Ligne_couleur(a.x, a.y, b.x, b.y, c); }

void Ecrit_u16(std::vector<uint8_t>& o, uint32_t v)
{
    o.push_back(static_cast<uint8_t>(v));
    o.push_back(static_cast<uint8_t>(v >> 8));
}
void Ecrit_u32(std::vector<uint8_t>& o, uint32_t v)
{
    Ecrit_u16(o, v & 0xFFFF);
    Ecrit_u16(o, v >> 16);
}

// The glyph of the coloured graph near the centre C of an arc.
void Glyphe_couleur(char type, Point c, uint32_t col)
{
    switch (type) {
    case 'X':
        Ligne({c.x, c.y}, {c.x, c.y + 10}, col);
        Ligne({c.x - 5, c.y + 5}, {c.x + 5, c.y + 5}, col);
        break;
    case 'T': case 't':
        Ligne({c.x, c.y}, {c.x + 10, c.y}, col);
        Ligne({c.x + 5, c.y}, {c.x + 5, c.y + 10}, col);
        break;
    case 'L': case 'l':
        Ligne({c.x, c.y}, {c.x, c.y + 10}, col);
        Ligne({c.x, c.y + 10}, {c.x + 10, c.y + 10}, col);
        break;
    case 'P':
        for (int i = 0; i < 2; i++) Ligne({c.x + 2 * i, c.y}, {c.x + 2 * i, c.y + 10}, col);
        break;
    case 'S': case '_': case '~':
        Ligne({c.x, c.y}, {c.x + 10, c.y}, col);
        break;
    default:
        for (int i = 0; i <= 4; i++) Ligne({c.x, c.y + 2 * i}, {c.x + 10, c.y + 2 * i}, col);
        Ligne({c.x - 5, c.y + 5}, {c.x + 5, c.y + 5}, col);
        break;
    }
}

}  // namespace

void Efface_couleur()
{
    ImageCouleur& im = Image_couleur;
    if (im.largeur != Largeur || im.hauteur != Hauteur) {
        im.largeur = Max_ent(Largeur, 0);
        im.hauteur = Max_ent(Hauteur, 0);
        im.pixels.assign(static_cast<size_t>(im.largeur) * im.hauteur, Blanc);
    }
    for (int y = 1; y < im.hauteur - 1; y++)
        std::fill_n(im.pixels.begin() + static_cast<std::ptrdiff_t>(y) * im.largeur + 1, Max_ent(im.largeur - 2, 0), Blanc);
}

void Ligne_couleur(int x1, int y1, int x2, int y2, uint32_t couleur)
{
    const ImageCouleur& im = Image_couleur;
    Parcours_ligne(x1, y1, x2, y2, 0, 0, im.largeur - 1, im.hauteur - 1,
                   [couleur](int x, int y) { Pose(x, y, couleur); });
}

uint32_t Lit_couleur(int x, int y)
{
    const ImageCouleur& im = Image_couleur;
    if (x < 0 || y < 0 || x >= im.largeur || y >= im.hauteur) return Blanc;
    return im.pixels[static_cast<size_t>(y) * im.largeur + x];
}

void Quad_couleur(const int xs[4], const int ys[4], uint32_t remplissage, uint32_t contour)
{
    const int ymin = std::max(0, *std::min_element(ys, ys + 4));
    const int ymax = std::min(Image_couleur.hauteur - 1, *std::max_element(ys, ys + 4));
    for (int y = ymin; y <= ymax; y++) {
        const double yc = y + 0.5;
        double xc[4];
        int n = 0;
        for (int i = 0; i < 4; i++) {
            const int j = (i + 1) % 4;
            const double ya = ys[i], yb = ys[j];
            // Half-open in y, so a vertex shared by two sides is met once.
            if ((ya <= yc && yc < yb) || (yb <= yc && yc < ya))
                xc[n++] = xs[i] + (yc - ya) * (static_cast<double>(xs[j]) - xs[i]) / (yb - ya);
        }
        for (int i = 1; i < n; i++)  // at most four crossings
            for (int j = i; j > 0 && xc[j] < xc[j - 1]; j--) std::swap(xc[j], xc[j - 1]);
        for (int k = 0; k + 1 < n; k += 2) {
            // Pixels whose centre x + 0.5 lies in [xc[k], xc[k+1]).
            const int x0 = std::max(0, static_cast<int>(std::ceil(xc[k] - 0.5)));
            const int x1 = std::min(Image_couleur.largeur, static_cast<int>(std::ceil(xc[k + 1] - 0.5)));
            for (int x = x0; x < x1; x++) Pose(x, y, remplissage);
        }
    }
    for (int i = 0; i < 4; i++) Ligne_couleur(xs[i], ys[i], xs[(i + 1) % 4], ys[(i + 1) % 4], contour);
}

bool Sauve_couleur(const std::string& chemin)
{
    const ImageCouleur& im = Image_couleur;
    const uint32_t octets_ligne = (static_cast<uint32_t>(im.largeur) * 3 + 3) / 4 * 4;
    const uint32_t taille_pixels = octets_ligne * static_cast<uint32_t>(im.hauteur);
    std::vector<uint8_t> o;
    o.reserve(54 + taille_pixels);
    o.push_back('B');
    o.push_back('M');
    Ecrit_u32(o, 54 + taille_pixels);
    Ecrit_u32(o, 0);   // two reserved words
    Ecrit_u32(o, 54);  // pixel data offset
    Ecrit_u32(o, 40);
    Ecrit_u32(o, static_cast<uint32_t>(im.largeur));
    Ecrit_u32(o, static_cast<uint32_t>(im.hauteur));  // positive: bottom row first
    Ecrit_u16(o, 1);
    Ecrit_u16(o, 24);
    Ecrit_u32(o, 0);  // no compression
    Ecrit_u32(o, taille_pixels);
    Ecrit_u32(o, 0);  // resolution unknown
    Ecrit_u32(o, 0);
    Ecrit_u32(o, 0);  // no colour table
    Ecrit_u32(o, 0);
    for (int y = im.hauteur - 1; y >= 0; y--) {
        const size_t debut = o.size();
        for (int x = 0; x < im.largeur; x++) {
            const uint32_t c = im.pixels[static_cast<size_t>(y) * im.largeur + x];
            o.push_back(static_cast<uint8_t>(c));
            o.push_back(static_cast<uint8_t>(c >> 8));
            o.push_back(static_cast<uint8_t>(c >> 16));
        }
        o.resize(debut + octets_ligne, 0);
    }
    return Ecrit_octets(chemin, std::string_view(reinterpret_cast<const char*>(o.data()), o.size()));
}

uint32_t Couleur_score(double s)
{
    if (s < 0.3) return Blanc;
    if (s < 0.4) return Rgb(255, 255, 0);
    if (s < 0.5) return Rgb(0, 255, 0);
    if (s < 0.6) return Rgb(0, 255, 255);
    if (s < 0.7) return Rgb(0, 0, 255);
    if (s < 0.8) return Rgb(128, 0, 0);
    return Noir;
}

uint32_t Couleur_type(char type)
{
    switch (type) {
    case 'X': return Rgb(0, 0, 255);
    case 'T': case 't': return Rgb(255, 0, 0);
    case 'L': case 'l': return Rgb(0, 128, 0);
    case 'P': return Rgb(128, 128, 0);
    case 'S': case '_': case '~': return Rgb(255, 0, 255);
    default: return Noir;
    }
}

uint32_t Couleur_decision(int decision)
{
    // Strong hues told apart at a glance; neither the wires' blue nor the
    // walls' grey.
    static constexpr uint32_t symboles[] = {Rgb(230, 25, 75),  Rgb(60, 180, 75),  Rgb(245, 130, 48),
                                            Rgb(145, 30, 180), Rgb(240, 50, 230), Rgb(0, 150, 136),
                                            Rgb(170, 110, 40), Rgb(128, 0, 0),    Rgb(250, 150, 190)};
    if (decision == Decision_fil) return Rgb(30, 110, 255);
    if (decision == Decision_mur) return Rgb(70, 70, 70);
    if (decision < 0) return Rgb(230, 190, 0);
    return symboles[static_cast<size_t>(decision) % (sizeof symboles / sizeof symboles[0])];
}

uint32_t Couleur_quad(const Quad* q)
{
    if (!Decisions_groupes.remplies) return Couleur_score(q->score);
    const auto it = Decisions_groupes.quads.find(q);
    return it == Decisions_groupes.quads.end() ? Couleur_decision(Decision_reste) : Couleur_decision(it->second);
}

std::string Nom_decision(const Quad* q)
{
    const auto it = Decisions_groupes.quads.find(q);
    if (it == Decisions_groupes.quads.end()) return "other stroke";
    if (it->second == Decision_fil) return "wire";
    if (it->second == Decision_mur) return "wall";
    return "symbol " + std::to_string(it->second + 1);
}

// `texte` in the built-in font, black on a white band, its top-left corner
// at (x, y) of the picture.
void Texte_couleur(int x, int y, const std::string& texte, int echelle)
{
    const int l = static_cast<int>(texte.size()) * 4 * echelle + 2 * echelle, h = 5 * echelle + 2;
    std::string masque(static_cast<size_t>(l) * h, '\0');
    Ecrit_etiquette(masque, l, h, echelle, 1, texte, '\1', '\2', echelle);
    for (int py = 0; py < h; py++)
        for (int px = 0; px < l; px++)
            if (const char m = masque[static_cast<size_t>(py) * l + px]) Pose(x - echelle + px, y - 1 + py, m == 2 ? Noir : Blanc);
}

void Symboles_sur_dessin(Symbole* tete, const PlanImage& fond, const std::vector<std::string>& etiquettes)
{
    Efface_couleur();
    constexpr uint32_t gris = Rgb(150, 150, 150);
    for (int y = 1; y < fond.haut; y++)
        for (int x = 1; x < fond.larg; x++)
            if (Lit_pixel(x, y, fond)) Pose(x, y, gris);
    Symboles_couleur(tete);
    // Boxes and names that stay readable when a large sheet is shown whole,
    // reduced to the screen.
    const int echelle = std::max(2, std::max(fond.larg, fond.haut) / 500);
    int k = 0;
    for (Symbole* s = tete; s; s = s->suivant, k++) {
        const int np = Points_symbole(*s);
        if (np == 0) continue;
        const auto p = [s](int i) { return Point{s->points[i][0], s->points[i][1]}; };
        int xmin = p(0).x, ymin = p(0).y;
        for (int i = 1; i < np; i++) xmin = std::min(xmin, p(i).x), ymin = std::min(ymin, p(i).y);
        for (int e = 1; e < echelle / 2; e++)
            for (int i = 0; i < np; i++) {
                const Point a = p(i), b = p((i + 1) % np);
                Ligne({a.x - e, a.y - e}, {b.x - e, b.y - e}, Rouge);
                Ligne({a.x + e, a.y + e}, {b.x + e, b.y + e}, Rouge);
            }
        const std::string texte = static_cast<size_t>(k) < etiquettes.size() ? etiquettes[static_cast<size_t>(k)]
                                                                              : std::string(s->nom, strnlen(s->nom, sizeof s->nom));
        if (texte.empty()) continue;
        const int haut = 5 * echelle + 2;
        const int y = ymin - haut - echelle >= 1 ? ymin - haut - echelle : ymin + echelle + 2;
        Texte_couleur(std::max(xmin, echelle), y, texte, echelle);
    }
}

void Legende_decisions()
{
    struct Ligne_legende {
        const char* texte;
        int decision;
    };
    static constexpr Ligne_legende lignes[] = {
        {"wire", Decision_fil}, {"wall", Decision_mur}, {"symbol (a colour each)", 0}, {"other stroke", Decision_reste}};
    const int echelle = std::max(2, std::max(Image_couleur.largeur, Image_couleur.hauteur) / 500);
    const int pas = 8 * echelle, marge = 3 * echelle;
    const int hauteur = marge * 2 + static_cast<int>(std::size(lignes)) * pas;
    const int largeur = marge * 3 + pas + 22 * 4 * echelle;
    // Label pixels first into a mask of one byte each, then into the picture.
    std::string masque(static_cast<size_t>(largeur) * hauteur, '\0');
    for (size_t k = 0; k < std::size(lignes); k++)
        Ecrit_etiquette(masque, largeur, hauteur, marge * 2 + pas, marge + static_cast<int>(k) * pas + echelle,
                        lignes[k].texte, '\0', '\1', echelle);
    for (int y = 0; y < hauteur; y++)
        for (int x = 0; x < largeur; x++) {
            const bool bord = x == 0 || y == 0 || x == largeur - 1 || y == hauteur - 1;
            Pose(x + 1, y + 1, bord || masque[static_cast<size_t>(y) * largeur + x] ? Noir : Blanc);
        }
    for (size_t k = 0; k < std::size(lignes); k++) {
        const int y0 = 1 + marge + static_cast<int>(k) * pas;
        for (int y = y0; y < y0 + pas - 4; y++)
            for (int x = 1 + marge; x < 1 + marge + pas - 2; x++) {
                const bool bord = y == y0 || y == y0 + pas - 5 || x == 1 + marge || x == marge + pas - 2;
                Pose(x, y, bord ? Noir : Couleur_decision(lignes[k].decision));
            }
    }
}

void Quads_couleur(Quad* tete)
{
    if (Nb_quads == 0) return;
    Efface_couleur();
    const bool decisions = Decisions_groupes.remplies;
    for (Quad* q = tete; q; q = q->suivant) {
        if (q->length == 0) continue;
        const int xs[4] = {q->x1i, q->x1f, q->x2i, q->x2f};
        const int ys[4] = {q->y1i, q->y1f, q->y2i, q->y2f};
        const uint32_t c = Couleur_quad(q);
        Quad_couleur(xs, ys, c, decisions ? c : Noir);
        if (!decisions) continue;
        // A thin stroke's quadrilateral is a pixel or two wide: its axis,
        // three pixels wide, shows its colour.
        Point a, b;
        Axe_quad(*q, a, b);
        for (int d = -1; d <= 1; d++) {
            Ligne({a.x + d, a.y}, {b.x + d, b.y}, c);
            Ligne({a.x, a.y + d}, {b.x, b.y + d}, c);
        }
    }
    // Method 1's colours say what it decided: the picture carries their key.
    if (decisions) Legende_decisions();
}

void Graphe_couleur(ArcQQ* tete)
{
    Efface_texte();
    Efface_couleur();
    Ecrit_texte(0, " Dessin des arcs ...");
    int n = 0;
    for (ArcQQ* a = tete; a; a = a->suivant, n++) {
        if (!a->Q1 || !a->Q2) continue;
        Point a1, b1, a2, b2;
        Axe_quad(*a->Q1, a1, b1);
        Axe_quad(*a->Q2, a2, b2);
        for (auto [a_, b_] : {std::pair{a1, b1}, std::pair{a2, b2}}) {
            Ligne(a_, b_, Noir);
            Ligne({a_.x + 1, a_.y + 1}, {b_.x + 1, b_.y + 1}, Noir);
        }
        const Point m1{(a1.x + b1.x) / 2, (a1.y + b1.y) / 2};
        const Point m2{(a2.x + b2.x) / 2, (a2.y + b2.y) / 2};
        const Point c{(a1.x + b1.x + a2.x + b2.x) / 4, (a1.y + b1.y + a2.y + b2.y) / 4};
        const uint32_t col = Couleur_type(a->type);
        Ligne(m1, m2, col);
        Glyphe_couleur(a->type, c, col);
        if (Mode_trace == 1) {
            Defile_vers(a1.x, a1.y);
            Efface_texte();
            Ecrit_texte(1, std::string(" * Type = ") + a->type + " - Score = " + Fixe(a->score, 3) + " ");
            Frontend_courant().show_colour_image(false);
            Pause_go();
            Efface_P2();
        }
    }
    Ecrit_texte(1, "* Nb d'arcs : ");
    Ecrit_nombre(0, n);
}

void Symboles_couleur(Symbole* tete)
{
    Efface_texte();
    Ecrit_texte(0, " Dessin des Symboles...");
    int n = 0;
    for (Symbole* s = tete; s; s = s->suivant, n++) {
        const int np = Points_symbole(*s);
        if (np == 0) continue;
        const auto p = [s](int i) { return Point{s->points[i][0], s->points[i][1]}; };
        for (int i = 0; i <= np - 2; i++) Ligne(p(i), p(i + 1), Rouge);
        Ligne(p(0), p(np - 1), Rouge);
    }
    Ecrit_texte(1, "* Nb de symboles : ");
    Ecrit_nombre(0, n);
}
