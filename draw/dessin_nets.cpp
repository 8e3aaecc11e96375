#include "draw/dessin_nets.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "draw/dessin_ligne_commande.h"
#include "draw/export_dessin.h"
#include "nets/ecriture_nets.h"
#include "spotting/etat_analyse.h"

namespace {

struct Rvb {
    uint8_t r, g, b;
};

// Well-separated hues one after another (golden angle), dark enough to
// stand out on white.
Rvb Couleur_net(long id)
{
    const double h = std::fmod(double(id) * 137.508, 360.0) / 60.0;
    const double s = 0.85, v = id % 2 ? 0.85 : 0.65;
    const double c = v * s, x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1)), m = v - c;
    double r = 0, g = 0, b = 0;
    switch (int(h)) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
    }
    return {uint8_t((r + m) * 255), uint8_t((g + m) * 255), uint8_t((b + m) * 255)};
}

// The first net of each symbol, by id.
std::map<long, long> Premier_net(const Netlist& n)
{
    std::map<long, long> p;
    for (const Net& net : n.nets)
        for (long s : net.symboles) p.emplace(s, net.id);
    return p;
}

std::string Hex(Rvb c)
{
    char b[8];
    std::snprintf(b, sizeof b, "#%02x%02x%02x", c.r, c.g, c.b);
    return b;
}

}  // namespace

std::string Png_nets(const Netlist& n, const PlanImage& fond)
{
    const int w = std::max(1, fond.larg), h = std::max(1, fond.haut);
    std::string px(size_t(w) * size_t(h) * 3, char(255));
    auto pose = [&](int x, int y, Rvb c) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        char* p = &px[(size_t(y) * size_t(w) + size_t(x)) * 3];
        p[0] = char(c.r);
        p[1] = char(c.g);
        p[2] = char(c.b);
    };
    for (int y = 1; y < fond.haut; y++)
        for (int x = 1; x < fond.larg; x++)
            if (Lit_pixel(x, y, fond)) pose(x, y, {190, 190, 190});
    auto disque = [&](int cx, int cy, int r, Rvb c) {
        for (int dy = -r; dy <= r; dy++)
            for (int dx = -r; dx <= r; dx++) pose(cx + dx, cy + dy, c);
    };
    auto ligne = [&](PointNet a, PointNet b, int r, Rvb c) {
        const int pas = std::max({1, std::abs(b.x - a.x), std::abs(b.y - a.y)});
        for (int k = 0; k <= pas; k++)
            disque(a.x + (b.x - a.x) * k / pas, a.y + (b.y - a.y) * k / pas, r, c);
    };
    const std::map<long, long> premier = Premier_net(n);
    for (const BoiteSymbole& b : n.boites) {
        const auto it = premier.find(b.id);
        const Rvb c = it == premier.end() ? Rvb{110, 110, 110} : Couleur_net(it->second);
        for (int e = 0; e < 2; e++) {
            ligne({b.xi - 2 - e, b.yi - 2 - e}, {b.xf + 2 + e, b.yi - 2 - e}, 0, c);
            ligne({b.xi - 2 - e, b.yf + 2 + e}, {b.xf + 2 + e, b.yf + 2 + e}, 0, c);
            ligne({b.xi - 2 - e, b.yi - 2 - e}, {b.xi - 2 - e, b.yf + 2 + e}, 0, c);
            ligne({b.xf + 2 + e, b.yi - 2 - e}, {b.xf + 2 + e, b.yf + 2 + e}, 0, c);
        }
    }
    for (const Net& net : n.nets) {
        const Rvb c = Couleur_net(net.id);
        for (const TraitNet& t : net.traits) ligne(t.a, t.b, 2, c);
        for (const BorneNet& b : net.bornes) disque(b.p.x, b.p.y, 4, c);
    }
    return Encode_png(w, h, 8, 2, px);
}

std::string Svg_nets(const Netlist& n, const PlanImage& fond, const std::string& titre)
{
    const std::string w = std::to_string(fond.larg), h = std::to_string(fond.haut);
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + w + "\" height=\"" + h +
                    "\" viewBox=\"0 0 " + w + " " + h + "\">\n<title>";
    for (char c : titre) s += c == '<' ? std::string("&lt;") : c == '&' ? std::string("&amp;") : std::string(1, c);
    s += "</title>\n<g id=\"drawing\" opacity=\"0.3\"><image x=\"0\" y=\"0\" width=\"" + w + "\" height=\"" + h +
         "\" style=\"image-rendering:pixelated\" preserveAspectRatio=\"none\" href=\"data:image/png;base64," +
         Base64(Png_plan(fond)) + "\"/></g>\n";
    const std::map<long, long> premier = Premier_net(n);
    s += "<g id=\"symbols\" fill=\"none\" stroke-width=\"2\">\n";
    for (const BoiteSymbole& b : n.boites) {
        const auto it = premier.find(b.id);
        s += "<rect x=\"" + std::to_string(b.xi - 2) + "\" y=\"" + std::to_string(b.yi - 2) + "\" width=\"" +
             std::to_string(b.xf - b.xi + 4) + "\" height=\"" + std::to_string(b.yf - b.yi + 4) + "\" stroke=\"" +
             (it == premier.end() ? std::string("#6e6e6e") : Hex(Couleur_net(it->second))) + "\"><title>" +
             std::to_string(b.id) + "</title></rect>\n";
    }
    s += "</g>\n";
    for (const Net& net : n.nets) {
        const std::string c = Hex(Couleur_net(net.id));
        s += "<g id=\"net" + std::to_string(net.id) + "\" stroke=\"" + c + "\" fill=\"" + c + "\" stroke-width=\"4\">\n";
        for (const TraitNet& t : net.traits)
            s += "<line x1=\"" + std::to_string(t.a.x) + "\" y1=\"" + std::to_string(t.a.y) + "\" x2=\"" +
                 std::to_string(t.b.x) + "\" y2=\"" + std::to_string(t.b.y) + "\"/>\n";
        for (const BorneNet& b : net.bornes)
            s += "<rect x=\"" + std::to_string(b.p.x - 4) + "\" y=\"" + std::to_string(b.p.y - 4) +
                 "\" width=\"9\" height=\"9\" stroke=\"none\"/>\n";
        s += "</g>\n";
    }
    return s + "</svg>\n";
}

bool Ecrit_dessin_nets(const Netlist& n, const PlanImage& fond, const std::string& sortie)
{
    const std::string octets = Format_dessin(sortie) == FormatDessin::svg ? Svg_nets(n, fond, sortie) : Png_nets(n, fond);
    return !octets.empty() && Ecrit_octets(sortie, octets);
}

bool Dessine_nets_image(const std::string& image, const std::string& sortie)
{
    Netlist n;
    if (!Lit_netlist_json(image + ".nets.json", n)) return false;
    Open(image);
    const bool ok = Plan_courant && Ecrit_dessin_nets(n, Plan1, sortie);
    Ferme_image();
    return ok;
}
