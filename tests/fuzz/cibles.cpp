#include "tests/fuzz/cibles.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "port/shell.h"
#include "vecto/arcs.h"
#include "graph/construction.h"
#include "graph/zone.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "image/param.h"
#include "image/planes.h"
#include "output/resultats.h"
#include "spotting/spotting.h"
#include "spotting/spotting_groupes.h"
#include "spotting/incidence.h"
#include "spotting/symboles.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

namespace {

// Silent front end that counts the message boxes.
struct Compteur : Frontend {
    int boites = 0;
    void message_box(std::string_view, std::string_view) override { boites++; }
};

// Every key of param.dat, in the shipped file's order, with its shipped value.
struct Cle {
    const char* nom;
    const char* defaut;
};
constexpr Cle kCles[] = {
    {"Format_GXL", "0"},    {"Resolution", "300"},  {"Force_morpho", "2"}, {"Seuil_petiteCC", "5"},
    {"Seuil_petitV", "3"},  {"Seuil_penteTQ", "10"}, {"EpsV", "2"},        {"EpsFV", "3"},
    {"EpsFQ", "3"},         {"Seuil_penteV", "10"}, {"SeuilEpmax", "20"},  {"LgMinQuad", "10"},
    {"SeuilDiffEp", "5"},   {"Seuil_LgQ", "5"},     {"distZI", "10"},      {"distZI_Vect", "10"},
    {"Angle_TP", "10"},     {"Angle_TL", "15"},     {"Seuil_Trou", "5"},   {"Bool_reco", "0"},
    {"Seuil_ScoreQ", "2"},  {"Seuil_rejet", "0.5"},
};
constexpr int kNbCles = sizeof kCles / sizeof kCles[0];

void Ecrit(const std::string& chemin, const std::string& texte) { Ecrit_fuzz(chemin, texte.data(), texte.size()); }

std::string Fichier_param(const std::vector<std::pair<std::string, std::string>>& valeurs)
{
    std::string s = "Thresholds of a fuzz run.\n";
    for (const auto& [cle, valeur] : valeurs) s += "#" + cle + "#\n=" + valeur + "#\n";
    return s + "$\n";
}

// Starts a run: scratch directory as Rep_travail, counting front end, no image.
struct Seance {
    Compteur fe;
    explicit Seance(const std::string& param)
    {
        Rep_travail = Rep_courant = Repertoire_fuzz();
        Ecrit(Rep_travail + "/param.dat", param);
        Installe_frontend(&fe);
        Mode_trace = 0;
        Pause_flag = 0;
    }
    // Whatever the run left: planes released, every list freed.
    ~Seance()
    {
        Ferme_image();
        Vide_listes(false);
        Libere_plan(Plan1);
        Libere_plan(Plan2);
        Libere_plan(Plan_zoom);
        Plan_courant = nullptr;
        Methode_spotting_choisie = -1;
        Mode_trace = 0;
        Pause_flag = 0;
        Resolution = 0;
        Efface_texte();
        Installe_frontend(nullptr);
    }
};

std::string Param_defaut()
{
    std::vector<std::pair<std::string, std::string>> v;
    for (const Cle& c : kCles) v.emplace_back(c.nom, c.defaut);
    return Fichier_param(v);
}

// Reads the input as a stream of bytes, zeros once it is used up.
struct Flux {
    const uint8_t* d;
    size_t n, i = 0;
    uint8_t octet() { return i < n ? d[i++] : 0; }
    bool fini() const { return i >= n; }
};

// A parameter value from one byte: absent, zero, small, decimal, refused
// (a sign), huge, or the shipped one.
bool Valeur_param(uint8_t b, const Cle& c, std::string& v)
{
    static const char* const enormes[] = {"2147483647", "2147483648", "4294967296", "99999999999999999999",
                                          "1073741824", "65535",      "1000000",    "123456789.75"};
    switch (b >> 5) {
    case 0: return false;
    case 1: v = "0"; break;
    case 2: v = std::to_string(b & 31); break;
    case 3: v = std::to_string(b & 7) + "." + std::to_string(b & 31); break;
    case 4: v = "-" + std::to_string(b & 31); break;
    case 5: v = enormes[b & 7]; break;
    default: v = c.defaut; break;
    }
    return true;
}

// The drawing: w x h pixels (ink true), built from blocks or strokes.
struct Dessin {
    int w = 1, h = 1;
    std::vector<bool> encre;
    void noircit(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < w && y < h) encre[static_cast<size_t>(y) * w + x] = true;
    }
};

void Trait_epais(Dessin& d, int x0, int y0, int x1, int y1, int ep)
{
    const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int i = 0; i <= n; i++) {
        const int x = n ? x0 + (x1 - x0) * i / n : x0, y = n ? y0 + (y1 - y0) * i / n : y0;
        for (int dy = 0; dy < ep; dy++)
            for (int dx = 0; dx < ep; dx++) d.noircit(x + dx - ep / 2, y + dy - ep / 2);
    }
}

// Bytes of a classic 1-bit BMP holding the drawing (y = 0 the top row).
std::vector<uint8_t> Bmp(const Dessin& d, bool blanc_en_premier)
{
    const uint32_t octets = ((static_cast<uint32_t>(d.w) + 31) / 32) * 4;
    std::vector<uint8_t> b(62 + octets * static_cast<size_t>(d.h), 0);
    auto u32 = [&](size_t o, uint32_t v) {
        for (int k = 0; k < 4; k++) b[o + k] = static_cast<uint8_t>(v >> (8 * k));
    };
    b[0] = 'B', b[1] = 'M';
    u32(2, static_cast<uint32_t>(b.size()));
    u32(10, 62);
    u32(14, 40);
    u32(18, static_cast<uint32_t>(d.w));
    u32(22, static_cast<uint32_t>(d.h));
    b[26] = 1, b[28] = 1;
    u32(34, octets * static_cast<uint32_t>(d.h));
    u32(38, 11811), u32(42, 11811);
    const size_t blanc = blanc_en_premier ? 54 : 58;
    b[blanc] = b[blanc + 1] = b[blanc + 2] = 255;
    for (int y = 0; y < d.h; y++) {
        uint8_t* l = b.data() + 62 + static_cast<size_t>(d.h - 1 - y) * octets;
        for (int x = 0; x < d.w; x++) {
            // Ink is the bit of the black entry.
            const bool bit = d.encre[static_cast<size_t>(y) * d.w + x] == blanc_en_premier;
            if (bit) l[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
        }
    }
    return b;
}

std::string Contenu(const std::string& chemin)
{
    std::string s;
    if (std::FILE* f = std::fopen(chemin.c_str(), "rb")) {
        char tampon[4096];
        size_t n;
        while ((n = std::fread(tampon, 1, sizeof tampon, f)) > 0) s.append(tampon, n);
        std::fclose(f);
    }
    return s;
}

constexpr int kPrimitivesMax = 3000;

// The command-line run with symbol spotting before the writers, now and
// then step by step (the silent front end returns from pauses at once).
// Returns the result files: text, graph, symbol list.
std::vector<std::string> Analyse(const std::string& image, bool pas_a_pas)
{
    const std::string dat = Rep_travail + "/Rlignaxe.dat", gxl = Rep_travail + "/Rlignaxe.gxl";
    const std::string symboles = Rep_travail + "/tmpsymb.gxl";
    for (const std::string& f : {dat, gxl, symboles}) std::remove(f.c_str());
    Open(image);
    EXIGE(Plan_courant == &Plan1);
    Efface_texte();
    Mode_trace = pas_a_pas ? 1 : 0;
    Commande_vectorisation();
    // Degenerate thresholds can cut a small drawing into ten thousand
    // primitives, whose graph takes a minute to build; that cost belongs to
    // the benchmarks, and the target's time to exploring. The files are
    // still written.
    int primitives = Nb_quads;
    for (const Vecteur* v = Liste_vecteurs; v && primitives <= kPrimitivesMax; v = v->suivant) primitives++;
    if (primitives <= kPrimitivesMax) {
        Commande_graphe();
        LiaisonsB1Click();
    }
    Mode_trace = 0;
    EXIGE(Ecrit_resultats_texte(dat, Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV,
                                Liste_arcs_QV));
    const int format = Lit_param_entier("Format_GXL");
    EXIGE(Ecrit_graphe_gxl(gxl, Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV, Liste_arcs_QV,
                           format));
    return {Contenu(dat), Contenu(gxl), Contenu(symboles)};
}

}  // namespace

// Scratch working directory of the process, made once, removed at exit;
// under $TMPDIR when set (a memory file system keeps the runs fast).
const std::string& Repertoire_fuzz()
{
    static char Rep_fuzz[4096];
    static const std::string rep = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::snprintf(Rep_fuzz, sizeof Rep_fuzz, "%s/tracemorph-fuzz-XXXXXX", tmp && *tmp ? tmp : "/tmp");
        EXIGE(::mkdtemp(Rep_fuzz) != nullptr);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(Rep_fuzz, ec);
        });
        return std::string(Rep_fuzz);
    }();
    return rep;
}

void Ecrit_fuzz(const std::string& chemin, const void* d, size_t n)
{
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    EXIGE(f != nullptr);
    if (n) EXIGE(std::fwrite(d, 1, n, f) == n);
    EXIGE(std::fclose(f) == 0);
}

int Cible_chargement(const uint8_t* donnees, size_t taille)
{
    Seance s(Param_defaut());
    const std::string chemin = Rep_travail + "/entree.bmp";
    Ecrit_fuzz(chemin, donnees, taille);
    const int r = Lit_bmp(chemin);
    EXIGE(r == 0 || r == 1 || r == 2);
    if (r != 1) return 0;
    // The planes agree with the globals and hold every row they claim.
    // Plan_zoom has the headers only, until a reduced picture is built.
    EXIGE(!Plan_zoom.existe() && Plan_zoom.larg == 0 && Plan_zoom.info.largeur == Plan1.info.largeur);
    for (const PlanImage* p : {&Plan1, &Plan2}) {
        EXIGE(p->larg == Largeur && p->haut == Hauteur && p->octets == Octets_ligne);
        EXIGE(p->pixels.size() >= static_cast<size_t>(Hauteur) * static_cast<size_t>(Octets_ligne));
    }
    EXIGE(Largeur > 0 && Hauteur > 0 && int64_t(Octets_ligne) * 8 >= Largeur);
    // The frame is white: top row and last column.
    for (int x = 0; x <= std::min(Largeur, 4096); x++) EXIGE(Lit_pixel(x, 1, Plan1) == 0);
    for (int y = 0; y <= std::min(Hauteur, 4096); y++) EXIGE(Lit_pixel(Largeur - 1, y, Plan1) == 0);
    Plan_courant = &Plan1;
    Etat_affichage = 1;
    Information();
    // The word-wide passes on odd widths and paddings.
    Commande_pretraitement();
    Copie_P2_P1();
    EXIGE(Sauve_P2(Rep_travail + "/p2.bmp"));
    return 0;
}

int Cible_param(const uint8_t* donnees, size_t taille)
{
    Seance s(std::string(reinterpret_cast<const char*>(donnees), taille));
    std::vector<std::string> noms;
    for (const Cle& c : kCles) noms.emplace_back(c.nom);
    for (const char* n : {"Absente", "", "Format_GXL ", "format_gxl", "Cle_de_21_caracteres_", "Cle_de_22_caracteres__",
                          "#", "=", "$"})
        noms.emplace_back(n);
    for (const std::string& nom : noms) {
        const int avant = s.fe.boites, defauts = Nb_defauts_param();
        const double v = Lit_param(nom);
        // A value is made of digits and points: -255 only when nothing was
        // read, and then after exactly one message; a value read may be
        // reported as suspect, once for this file.
        EXIGE(v == -255 || v >= 0);
        EXIGE(v == -255 ? s.fe.boites == avant + 1 : s.fe.boites <= avant + 1);
        const int nouveaux = Nb_defauts_param() - defauts;
        EXIGE(nouveaux <= 1 && (v != -255 || nouveaux == 1));
        const int deja = s.fe.boites;
        const int e = Lit_param_entier(nom);
        EXIGE(e == -255 || e >= 0);
        // A value refused (too large for an integer, a method other than 0
        // or 1) is said once for this file: perhaps already by Lit_param.
        EXIGE(e == -255 ? s.fe.boites <= deja + 1 && (s.fe.boites == deja + 1 || v == -255 || v > 2147483647.0)
                        : s.fe.boites == deja);
    }
    return 0;
}

int Cible_analyse(const uint8_t* donnees, size_t taille)
{
    Flux f{donnees, taille};
    const uint8_t options = f.octet();
    Dessin d;
    const int w0 = f.octet(), w1 = f.octet(), h0 = f.octet(), h1 = f.octet();
    d.w = 1 + (w0 | (w1 & 1) << 8) % 300;
    d.h = 1 + (h0 | (h1 & 1) << 8) % 300;
    d.encre.assign(static_cast<size_t>(d.w) * d.h, false);
    std::vector<std::pair<std::string, std::string>> valeurs;
    for (int k = 0; k < kNbCles; k++) {
        std::string v;
        if (Valeur_param(f.octet(), kCles[k], v)) valeurs.emplace_back(kCles[k].nom, v);
    }
    if (options & 0x10) {
        // Strokes: ends scaled to the drawing, a thickness, sometimes a box.
        for (int n = 0; n < 64 && !f.fini(); n++) {
            const int x0 = f.octet() * d.w / 256, y0 = f.octet() * d.h / 256;
            const int x1 = f.octet() * d.w / 256, y1 = f.octet() * d.h / 256;
            const uint8_t t = f.octet();
            if (t & 0x80) {
                for (int y = std::min(y0, y1); y <= std::max(y0, y1); y++)
                    for (int x = std::min(x0, x1); x <= std::max(x0, x1); x++) d.noircit(x, y);
            } else {
                Trait_epais(d, x0, y0, x1, y1, 1 + (t & 15));
            }
        }
    } else {
        // Blocks of 1, 2, 4 or 8 pixels, one bit each, row by row.
        const int c = 1 << ((options >> 6) & 3);
        const int nx = (d.w + c - 1) / c, ny = (d.h + c - 1) / c;
        for (int i = 0; i < nx * ny && !f.fini(); i += 8) {
            const uint8_t b = f.octet();
            for (int j = 0; j < 8 && i + j < nx * ny; j++) {
                if (!(b >> (7 - j) & 1)) continue;
                const int bx = (i + j) % nx * c, by = (i + j) / nx * c;
                for (int y = by; y < by + c; y++)
                    for (int x = bx; x < bx + c; x++) d.noircit(x, y);
            }
        }
    }

    Seance s(Fichier_param(valeurs));
    const std::string image = Rep_travail + "/dessin.bmp";
    const auto bmp = Bmp(d, options & 0x20);
    Ecrit_fuzz(image, bmp.data(), bmp.size());
    // Bit 2 runs the spotting by groups checked against the models (none
    // here: the symbol-like groups are kept) instead of the region growing.
    Methode_spotting_choisie = options & 0x04 ? 1 : 0;
    const bool trace = (options & 3) == 0;
    const std::vector<std::string> indexe = Analyse(image, trace);
    if (options & 0x08) {
        // The indexes of the graph and of the spotting must give what the
        // literal scans give: the same run that way writes the same files.
        Graphe_recherche_directe = Spotting_recherche_directe = true;
        const std::vector<std::string> litteral = Analyse(image, trace);
        Graphe_recherche_directe = Spotting_recherche_directe = false;
        EXIGE(litteral == indexe);
    }
    return 0;
}
