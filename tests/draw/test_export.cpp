// The drawings as files: PNG decoded back to its pixels, and
// tracemorph --draw run as a user runs it.
#include <zlib.h>

#include <set>
#include <cstring>

#include "draw/export_dessin.h"
#include "image/planes.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

uint32_t U32(const std::string& s, size_t i)
{
    return uint32_t(uint8_t(s[i])) << 24 | uint32_t(uint8_t(s[i + 1])) << 16 | uint32_t(uint8_t(s[i + 2])) << 8 |
           uint8_t(s[i + 3]);
}

struct Png {
    uint32_t largeur = 0, hauteur = 0;
    int profondeur = 0, type = 0;
    std::vector<std::string> lignes;  // raw samples, filter byte removed
};

// Reads a PNG as this encoder writes it, checking every chunk's CRC and that
// every row is unfiltered.
Png Decode(const std::string& s, size_t idat_attendus = 1)
{
    Png p;
    EXPECT_EQ(s.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string idat;
    std::vector<std::string> types;
    for (size_t i = 8; i + 12 <= s.size();) {
        const uint32_t n = U32(s, i);
        const std::string type = s.substr(i + 4, 4), donnees = s.substr(i + 8, n);
        const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(s.data() + i + 4), n + 4);
        EXPECT_EQ(U32(s, i + 8 + n), crc) << type;
        types.push_back(type);
        if (type == "IHDR") {
            p.largeur = U32(donnees, 0), p.hauteur = U32(donnees, 4);
            p.profondeur = donnees[8], p.type = donnees[9];
        }
        if (type == "IDAT") idat += donnees;
        i += 12 + n;
    }
    std::vector<std::string> attendus{"IHDR"};
    if (p.type == 3) attendus.push_back("PLTE");
    attendus.insert(attendus.end(), idat_attendus, "IDAT");
    attendus.push_back("IEND");
    EXPECT_EQ(types, attendus);
    const size_t octets = (size_t(p.largeur) * (p.type == 2 ? 3 : 1) * p.profondeur + 7) / 8;
    std::string brut((octets + 1) * p.hauteur, '\0');
    uLongf taille = brut.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(brut.data()), &taille, reinterpret_cast<const Bytef*>(idat.data()),
                         idat.size()),
              Z_OK);
    EXPECT_EQ(taille, brut.size());
    for (uint32_t y = 0; y < p.hauteur; y++) {
        EXPECT_EQ(brut[y * (octets + 1)], '\0');
        p.lignes.push_back(brut.substr(y * (octets + 1) + 1, octets));
    }
    return p;
}

class Export : public tmtest::Environnement {};

// Only the symbols recognition named are labelled, with name and score,
// above their box (inside it at the top edge); the label stays in the picture.
TEST_F(Export, NamedSymbolsAreLabelledOverTheGreyDrawing)
{
    PlanImage dessin, fond;
    for (PlanImage* p : {&dessin, &fond}) {
        p->larg = 200, p->haut = 60, p->octets = 28;
        p->pixels.assign(size_t(p->octets) * p->haut, 0xFF);
    }
    Ecrit_pixel(5, 5, 1, fond);
    Ecrit_pixel(6, 5, 1, dessin);
    auto sym = [](const char* nom, double score, int xi, int yi) {
        SymboleLu s;
        s.nom = nom, s.score = score, s.xi = xi, s.yi = yi, s.xf = xi + 40, s.yf = yi + 20;
        return s;
    };
    EXPECT_EQ(Etiquette_symbole(sym("opamp", 0.940478, 0, 0)), "opamp 0.94");
    EXPECT_EQ(Etiquette_symbole(sym("opamp", -1, 0, 0)), "opamp");
    for (const char* sans : {"", "NONE", "Rejet(Inconnu)"}) EXPECT_EQ(Etiquette_symbole(sym(sans, 0.5, 0, 0)), "") << sans;

    // Black pixels in rows [y0, y1) of the picture.
    auto noirs = [](const Png& p, uint32_t y0, uint32_t y1) {
        size_t n = 0;
        for (uint32_t y = y0; y < y1 && y < p.hauteur; y++)
            for (char c : p.lignes[y]) n += c == '\0';
        return n;
    };
    const Png nu = Decode(Png_sur_fond(dessin, fond, {sym("NONE", 1, 100, 30), sym("Rejet(Inconnu)", 0.2, 20, 40)}));
    ASSERT_EQ(nu.hauteur, 60u);
    EXPECT_EQ(nu.lignes[5][5], '\xcd');
    EXPECT_EQ(nu.lignes[5][6], '\0');
    EXPECT_EQ(noirs(nu, 0, 60), 1u);
    const Png nomme = Decode(Png_sur_fond(dessin, fond, {sym("gate_xor", 0.5, 100, 30), sym("diode", 0.9, 20, 2)}));
    EXPECT_GT(noirs(nomme, 30 - 13, 30), 20u);  // above the box at row 30
    EXPECT_GT(noirs(nomme, 4, 15), 10u);        // inside the box touching the top
}

// Row y of the PNG is plane row y, bit 0 black; base64 pads to 4 characters.
TEST_F(Export, PngRowsAreThePlane)
{
    tmtest::Image_depuis_texte({"#.........", "..#.......", ".........#", "##########"});
    const Png p = Decode(Png_plan(Plan1));
    ASSERT_EQ(p.lignes.size(), 6u);
    EXPECT_EQ(p.largeur * 100 + p.profondeur * 10 + p.type, 1210u);
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 12; x++)
            EXPECT_EQ(((uint8_t(p.lignes[y][x / 8]) >> (7 - x % 8)) & 1) ^ 1, Lit_pixel(x, y, Plan1)) << x << "," << y;
    EXPECT_EQ(Base64("foob\xff"), "Zm9vYv8=");
    EXPECT_EQ(Base64("fooba"), "Zm9vYmE=");
}

// Every drawing to PNG (a 1-bit picture or an RGB one of the image's size)
// and to SVG (well-formed, with its hideable drawing layer); usage errors,
// a missing image and an unwritable file.
TEST_F(Export, DrawCommandEndToEnd)
{
    // A file name that XML must escape, in every drawing's title.
    const std::string image = (dir / "p&1.bmp").string();
    fs::copy_file(TM_TEST_DATA "/bath_plan.bmp", image);
    const auto Lance = [&](const std::vector<std::string>& args) { return tmtest::Lance_tracemorph(dir, args); };
    const struct { const char* quoi; int type; const char* element; } dessins[] = {
        {"vectors", 0, "<line"}, {"quads", 0, "<polygon"}, {"ccs", 0, "<polygon"}, {"axes", 0, "<line"},
        {"graph", 0, "<line"},   {"symbols", 0, "id=\"labels\""}, {"colored-quads", 2, "<polygon"},
        {"colored-graph", 2, "<line"},
    };
    for (const auto& d : dessins) {
        const std::string png = (dir / (std::string(d.quoi) + ".png")).string();
        const std::string svg = (dir / (std::string(d.quoi) + ".SVG")).string();
        for (const std::string& f : {png, svg}) {
            const tmtest::Execution r = Lance({"--draw", d.quoi, image, f});
            ASSERT_EQ(r.statut, 0) << d.quoi << r.erreurs;
            EXPECT_NE(r.sortie.find("Vecto. Ok."), std::string::npos) << d.quoi;
        }
        const Png p = Decode(tmtest::Lit_texte(png));
        EXPECT_EQ(std::vector<uint32_t>({p.largeur, p.hauteur, uint32_t(p.type), uint32_t(p.profondeur)}),
                  std::vector<uint32_t>({1032, 1272, uint32_t(d.type), 8}));
        if (d.type == 0) {
            // What the step found in black over the drawing in light grey.
            size_t noirs = 0, gris = 0;
            for (const std::string& l : p.lignes)
                for (char c : l) noirs += c == '\0', gris += c == '\xcd';
            EXPECT_GT(noirs, 0u) << d.quoi;
            EXPECT_GT(gris, 0u) << d.quoi;
        }
        EXPECT_TRUE(tmtest::Xml_bien_forme(svg)) << d.quoi;
        const std::string texte = tmtest::Lit_texte(svg);
        const std::string titre = "<title>Tracemorph " + std::string(d.quoi) + ": p&amp;1.bmp</title>";
        for (const std::string motif : {"<g id=\"drawing\"", "href=\"data:image/png;base64,iVBORw0KGgo", d.element, titre.c_str()})
            EXPECT_NE(texte.find(motif), std::string::npos) << d.quoi << " " << motif;
    }

    const std::vector<std::vector<std::string>> mauvais = {
        {"--draw"}, {"--draw", "circles", image, "x.png"}, {"--draw", "quads", image},
        {"--draw", "quads", image, "x.png", "y"}, {"--draw", "quads", image, "x.jpg"}};
    for (const auto& args : mauvais) {
        const tmtest::Execution r = Lance(args);
        EXPECT_TRUE(r.statut == 2 && r.erreurs.rfind("tracemorph: --draw: ", 0) == 0) << r.statut << r.erreurs;
    }
    EXPECT_FALSE(fs::exists(dir / "x.jpg"));
    EXPECT_EQ(Lance({"--draw", "quads", (dir / "absent.bmp").string(), "x.png"}).statut, 1);
    EXPECT_FALSE(fs::exists(dir / "x.png"));
    const tmtest::Execution r = Lance({"--draw", "quads", image, "absent/x.png"});
    EXPECT_TRUE(r.statut == 1 && r.erreurs.find("Ouverture absent/x.png impossible !") != std::string::npos) << r.erreurs;
}

// Encoded row by row, a picture whose compressed data spans several chunks
// decodes to the same rows as the picture encoded at once.
TEST(ExportLignes, PicturesEncodedRowByRowDecodeToTheSameRows)
{
    const int w = 1500, h = 400;
    std::string lignes(static_cast<size_t>(w) * 3 * h, '\0');
    uint32_t x = 12345;
    for (char& c : lignes) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);  // noise: barely compressed
    std::string flux;
    ASSERT_TRUE(Encode_png_lignes(
        w, h, 8, 2, [&](int y, char* o) { std::memcpy(o, lignes.data() + static_cast<size_t>(y) * w * 3, w * 3); },
        [&](std::string_view t) { return flux.append(t), true; }));
    const Png a = Decode(Encode_png(w, h, 8, 2, lignes)), b = Decode(flux, 2);
    ASSERT_EQ(b.lignes.size(), size_t(h));
    EXPECT_TRUE(a.lignes == b.lignes);
    EXPECT_EQ(b.largeur, uint32_t(w));
    // A sink that fails ends the encoding.
    int appels = 0;
    EXPECT_FALSE(Encode_png_lignes(w, h, 8, 2, [&](int, char* o) { std::memset(o, 0, w * 3); },
                                   [&](std::string_view) { return ++appels < 2; }));
}

}  // namespace

// Labels keep the case of the name, as the SVG drawing does: a small letter
// is not its capital.
TEST_F(Export, LabelsKeepTheirCase)
{
    const auto masque = [](const std::string& texte) {
        std::string m(40 * 7, '.');
        Ecrit_etiquette(m, 40, 7, 1, 1, texte, '.', '#', 1);
        return m;
    };
    for (const char* paire : {"aA", "gG", "eE", "nN", "tT"})
        EXPECT_NE(masque(std::string(1, paire[0])), masque(std::string(1, paire[1]))) << paire;
    // Small letters without a stem leave the top row of their cell empty.
    EXPECT_EQ(masque("aceo").substr(40, 40), std::string(40, '.'));
    EXPECT_NE(masque("ACEO").substr(40, 40), std::string(40, '.'));
}

// The report's pictures: reduced, a stroke one pixel wide stays whole
// (a cell is ink when any of its pixels is) and each symbol keeps its box
// and label; at full size the drawing's own size.
TEST_F(Export, ReportPicturesKeepThinStrokes)
{
    PlanImage dessin;
    dessin.larg = 1000, dessin.haut = 300, dessin.octets = 128;
    dessin.pixels.assign(size_t(dessin.octets) * dessin.haut, 0xFF);
    for (int y = 1; y < 300; y++) Ecrit_pixel(503, y, 1, dessin);
    SymboleLu s;
    s.nom = "lamp", s.score = 0.9, s.xi = 600, s.yi = 150, s.xf = 700, s.yf = 250;
    const Png petite = Decode(Png_symboles(dessin, {s}, 100));
    ASSERT_EQ(std::vector<uint32_t>({petite.largeur, petite.hauteur, uint32_t(petite.type)}),
              std::vector<uint32_t>({100, 30, 3}));
    for (uint32_t y = 1; y < 30; y++) EXPECT_EQ(petite.lignes[y][50], '\1') << y;
    std::multiset<char> valeurs;
    for (const std::string& l : petite.lignes) valeurs.insert(l.begin(), l.end());
    EXPECT_GT(valeurs.count('\2'), 30u);  // the box
    EXPECT_GT(valeurs.count('\3'), 10u);  // its label
    const Png grande = Decode(Png_symboles(dessin, {s}, 0));
    EXPECT_EQ(std::vector<uint32_t>({grande.largeur, grande.hauteur}), std::vector<uint32_t>({1000, 300}));
    EXPECT_EQ(grande.lignes[10][503], '\1');
    EXPECT_EQ(grande.lignes[200][600], '\2');
    EXPECT_EQ(Etiquette_complete(s), "lamp 0.90");
    s.nom.clear(), s.score = -1;
    EXPECT_EQ(Etiquette_complete(s), "?");
}
