#include "batch/rapport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "batch/resultats_lot.h"
#include "draw/dessin_nets.h"
#include "draw/export_dessin.h"
#include "image/chargement.h"
#include "output/ecriture.h"
#include "port/shell.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLargeurVignette = 240;  // a page of a few thousand stays light
constexpr int kLargeurMax = 3000;      // the full picture of an A0 sheet stays openable

// A link or picture of one image beside its thumbnail.
struct PieceRapport {
    std::string titre;    // the link's text
    std::string fichier;  // path relative to the report's folder
};

std::string Csv_champ(const std::string& texte)
{
    std::string utf8;
    for (size_t i = 0; i < texte.size();) Encode_utf8(utf8, Caractere_suivant(texte, i));
    if (utf8.find_first_of(",\"\r\n") == std::string::npos && (utf8.empty() || (utf8.front() != ' ' && utf8.back() != ' ')))
        return utf8;
    std::string o = "\"";
    for (char c : utf8) {
        if (c == '"') o += '"';
        o += c;
    }
    return o + "\"";
}

// The path from the report's folder to `chemin`, for a link that still
// works when both are moved together.
std::string Relatif(const std::string& chemin, const fs::path& rep_absolu)
{
    std::error_code ec;
    const fs::path absolu = fs::absolute(chemin, ec).lexically_normal();
    if (ec) return chemin;
    const fs::path rel = absolu.lexically_relative(rep_absolu);
    return rel.empty() ? absolu.string() : rel.string();
}

std::string Numero(size_t i)
{
    char b[24];
    std::snprintf(b, sizeof b, "%04zu", i + 1);
    return b;
}

bool Existe(const std::string& chemin)
{
    std::error_code ec;
    return fs::is_regular_file(chemin, ec);
}

// Further pictures or files of one image, shown as links under its
// thumbnail: the picture of its nets and the netlist itself, when the batch
// read them (IMAGE.nets.json beside the image).
std::vector<PieceRapport> Pieces_supplementaires(const SymbolesImage& image, const std::string& rep,
                                                 const std::string& prefixe,
                                                 const fs::path& rep_absolu)
{
    std::vector<PieceRapport> pieces;
    if (!Existe(image.image + ".nets.json")) return pieces;
    const std::string dessin = prefixe + "-nets.png";
    if (Dessine_nets_image(image.image, rep + "/" + dessin)) pieces.push_back({"nets", dessin});
    pieces.push_back({"nets.json", Relatif(image.image + ".nets.json", rep_absolu)});
    return pieces;
}

}  // namespace

ComptesLot Compte_symboles(const std::vector<SymbolesImage>& lot)
{
    std::map<std::string, size_t> rang;
    for (const SymbolesImage& im : lot)
        for (const SymboleLu& s : im.symboles) rang.emplace(s.nom, 0);
    ComptesLot c;
    for (auto& [nom, k] : rang) {
        k = c.noms.size();
        c.noms.push_back(nom);
    }
    c.total.assign(c.noms.size(), 0);
    for (const SymbolesImage& im : lot) {
        std::vector<long> ligne(c.noms.size(), 0);
        for (const SymboleLu& s : im.symboles) {
            const size_t k = rang[s.nom];
            ligne[k]++;
            c.total[k]++;
        }
        c.par_image.push_back(std::move(ligne));
    }
    return c;
}

std::string Csv_comptes(const std::vector<SymbolesImage>& lot, const ComptesLot& comptes)
{
    std::string o = "image,path";
    for (const std::string& nom : comptes.noms) o += "," + Csv_champ(nom);
    o += ",total\n";
    long tout = 0;
    for (size_t i = 0; i < lot.size(); i++) {
        o += Csv_champ(Nom_image_lot(lot[i].image)) + "," + Csv_champ(lot[i].image);
        long n = 0;
        for (long v : comptes.par_image[i]) {
            o += "," + std::to_string(v);
            n += v;
        }
        o += "," + std::to_string(n) + "\n";
        tout += n;
    }
    o += "total,";
    for (long v : comptes.total) o += "," + std::to_string(v);
    o += "," + std::to_string(tout) + "\n";
    return o;
}

std::string Texte_html(const std::string& texte)
{
    std::string o;
    for (size_t i = 0; i < texte.size();) {
        const char32_t c = Caractere_suivant(texte, i);
        switch (c) {
        case '&': o += "&amp;"; break;
        case '<': o += "&lt;"; break;
        case '>': o += "&gt;"; break;
        case '"': o += "&quot;"; break;
        case '\'': o += "&#39;"; break;
        default:
            if (c < 0x20 && c != '\t') o += '?';
            else Encode_utf8(o, c);
        }
    }
    return o;
}

std::string Lien_html(const std::string& chemin)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string o;
    for (unsigned char c : chemin) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~' || c == '/') {
            o += static_cast<char>(c);
        } else {
            o += '%';
            o += hex[c >> 4];
            o += hex[c & 15];
        }
    }
    // ':' encoded too: a first segment holding one would read as a scheme.
    return o;
}

bool Ecrit_rapport_lot(const std::string& rep, const std::vector<SymbolesImage>& lot)
{
    std::error_code ec;
    fs::create_directories(fs::path(rep) / "pictures", ec);
    if (ec || !fs::is_directory(fs::path(rep) / "pictures")) {
        Message_erreur("Ecriture du rapport impossible : " + rep + " (" +
                       (ec ? ec.message() : std::string("not a folder")) + ")");
        return false;
    }
    const ComptesLot comptes = Compte_symboles(lot);
    const fs::path rep_absolu = fs::absolute(rep, ec).lexically_normal();
    auto ecrit = [&](const std::string& nom, std::string_view octets) {
        const std::string chemin = rep + "/" + nom;
        if (Ecrit_octets(chemin, octets)) return true;
        Message_erreur("Ecriture du rapport impossible : " + chemin + " (" + std::strerror(errno) + ")");
        return false;
    };
    if (!ecrit("counts.csv", Csv_comptes(lot, comptes))) return false;

    long nb_symboles = 0, illisibles = 0;
    for (long v : comptes.total) nb_symboles += v;
    std::string images;
    for (size_t i = 0; i < lot.size(); i++) {
        const SymbolesImage& im = lot[i];
        const std::string n = Numero(i), nom = Texte_html(Nom_image_lot(im.image));
        images += "<figure class=\"planche\" id=\"image-" + n + "\">";
        ImageChargee chargee;
        if (Charge_Img_dans(im.image, chargee) == 1) {
            const std::string grande = "pictures/" + n + ".png", petite = "pictures/" + n + "-small.png";
            const std::string png = Png_symboles(chargee.plan1, im.symboles, kLargeurVignette);
            const std::string grand_png = Png_symboles(chargee.plan1, im.symboles, kLargeurMax);
            if (png.size() < 24 || grand_png.empty()) {
                Message_erreur("Ecriture du rapport impossible : " + rep + " (pictures of " + im.image + " not made)");
                return false;
            }
            if (!ecrit(grande, grand_png) || !ecrit(petite, png)) return false;
            // The thumbnail's size, from its header: the page keeps its
            // layout while the pictures load.
            const auto mot = [&](size_t k) {
                return static_cast<unsigned>(static_cast<unsigned char>(png[k]) << 24 |
                                             static_cast<unsigned char>(png[k + 1]) << 16 |
                                             static_cast<unsigned char>(png[k + 2]) << 8 |
                                             static_cast<unsigned char>(png[k + 3]));
            };
            images += "<a href=\"" + grande + "\"><img src=\"" + petite + "\" width=\"" + std::to_string(mot(16)) +
                      "\" height=\"" + std::to_string(mot(20)) + "\" loading=\"lazy\" alt=\"" + nom + "\"></a>";
        } else {
            illisibles++;
            images += "<p class=\"echec\">Not read again for the report: " + Texte_html(chargee.cause) + "</p>";
        }
        images += "<figcaption><b>" + nom + "</b> " + std::to_string(im.symboles.size()) + " symbol" +
                  (im.symboles.size() == 1 ? "" : "s");
        if (!im.lu) images += " <span class=\"echec\">(no symbol list)</span>";
        std::string liste;
        for (size_t k = 0; k < comptes.noms.size(); k++)
            if (comptes.par_image[i][k] > 0)
                liste += (liste.empty() ? "" : ", ") + std::to_string(comptes.par_image[i][k]) + " " +
                         Texte_html(comptes.noms[k]);
        if (!liste.empty()) images += "<br>" + liste;
        std::vector<PieceRapport> pieces = {{"image", Relatif(im.image, rep_absolu)}};
        for (const char* suffixe : {".dat", ".gxl", ".xml"})
            if (Existe(im.image + suffixe)) pieces.push_back({suffixe + 1, Relatif(im.image + suffixe, rep_absolu)});
        for (PieceRapport& p : Pieces_supplementaires(im, rep, "pictures/" + n, rep_absolu)) pieces.push_back(std::move(p));
        images += "<br>";
        for (size_t k = 0; k < pieces.size(); k++)
            images += (k ? " &middot; " : "") + std::string("<a href=\"") + Lien_html(pieces[k].fichier) + "\">" +
                      Texte_html(pieces[k].titre) + "</a>";
        images += "</figcaption></figure>\n";
    }

    std::string o =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>Tracemorph batch report</title>\n<style>\n"
        "body{font-family:sans-serif;margin:1em 2em;color:#222;background:#fff}\n"
        "table{border-collapse:collapse;margin:.5em 0 1.5em}\n"
        "th,td{border:1px solid #bbb;padding:2px 8px;text-align:right}\n"
        "th[scope=row],thead th:first-child{text-align:left}\n"
        "thead th{background:#eee}\ntfoot th,tfoot td{font-weight:bold;background:#f6f6f6}\n"
        ".planches{display:flex;flex-wrap:wrap;gap:14px}\n"
        // A browser lays out and paints only the cards and the table in
        // view: a page of thousands of images opens at once.
        ".planche{content-visibility:auto;contain-intrinsic-size:auto 244px auto 250px;"
        "margin:0;padding:6px;border:1px solid #ccc;width:244px;font-size:13px;overflow-wrap:anywhere}\n"
        ".planche img{display:block;border:1px solid #eee;max-width:100%;height:auto}\n"
        ".tableau{content-visibility:auto;overflow-x:auto}\n.echec{color:#b00}\n</style>\n</head>\n<body>\n<h1>Tracemorph batch report</h1>\n<p>";
    o += std::to_string(lot.size()) + (lot.size() == 1 ? " image, " : " images, ") + std::to_string(nb_symboles) +
         " symbols";
    if (illisibles) o += ", " + std::to_string(illisibles) + " not read again";
    o += ". Click a picture for its full size. The counts are also in <a href=\"counts.csv\">counts.csv</a>.</p>\n";

    o += "<h2>Symbols in total</h2>\n<table id=\"totals\">\n<thead><tr><th>symbol</th><th>count</th><th>images</th>"
         "</tr></thead>\n<tbody>\n";
    for (size_t k = 0; k < comptes.noms.size(); k++) {
        long nb_images = 0;
        for (const auto& ligne : comptes.par_image) nb_images += ligne[k] > 0;
        o += "<tr><th scope=\"row\">" + Texte_html(comptes.noms[k]) + "</th><td>" + std::to_string(comptes.total[k]) +
             "</td><td>" + std::to_string(nb_images) + "</td></tr>\n";
    }
    o += "</tbody>\n<tfoot><tr><th scope=\"row\">total</th><td>" + std::to_string(nb_symboles) + "</td><td>" +
         std::to_string(lot.size()) + "</td></tr></tfoot>\n</table>\n";

    o += "<h2>Images</h2>\n<div class=\"planches\">\n" + images + "</div>\n";

    o += "<h2>Counts per image</h2>\n<div class=\"tableau\" style=\"contain-intrinsic-size:auto " +
         std::to_string(24 * (lot.size() + 2)) + "px\">\n<table id=\"counts\">\n<thead><tr><th>image</th>";
    for (const std::string& nom : comptes.noms) o += "<th>" + Texte_html(nom) + "</th>";
    o += "<th>total</th></tr></thead>\n<tbody>\n";
    for (size_t i = 0; i < lot.size(); i++) {
        o += "<tr><th scope=\"row\"><a href=\"#image-" + Numero(i) + "\">" + Texte_html(Nom_image_lot(lot[i].image)) +
             "</a></th>";
        long n = 0;
        for (long v : comptes.par_image[i]) {
            o += "<td>" + std::to_string(v) + "</td>";
            n += v;
        }
        o += "<td>" + std::to_string(n) + "</td></tr>\n";
    }
    o += "</tbody>\n<tfoot><tr><th scope=\"row\">total</th>";
    for (long v : comptes.total) o += "<td>" + std::to_string(v) + "</td>";
    o += "<td>" + std::to_string(nb_symboles) + "</td></tr></tfoot>\n</table>\n</div>\n</body>\n</html>\n";
    return ecrit("index.html", o);
}
