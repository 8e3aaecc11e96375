#include "app/cli/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "draw/dessin_ligne_commande.h"

namespace {

constexpr int kJobsMax = 256;

std::string Cite(std::string_view s) { return "'" + std::string(s) + "'"; }

bool Lit_jobs(const std::string& texte, int& jobs)
{
    if (texte.empty() || texte.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    const long n = std::strtol(texte.c_str(), nullptr, 10);
    if (errno != 0 || n < 1 || n > kJobsMax) return false;
    jobs = static_cast<int>(n);
    return true;
}

const char* Nom_forme(Forme f)
{
    switch (f) {
    case Forme::lot: return "--batch";
    case Forme::rassemblement: return "--gather";
    case Forme::dessin: return "--draw";
    case Forme::modeles: return "--make-models";
    default: return "";
    }
}

// Operand count and contents of the form; empty when right.
std::string Verifie_operandes(const Options& o)
{
    const size_t n = o.operandes.size();
    switch (o.forme) {
    case Forme::image:
        if (n == 0) return "no image given";
        if (n > 1) return "one image at a time, got " + Cite(o.operandes[1]) + " too (--batch analyses several)";
        return "";
    case Forme::dessin: {
        if (n != 3) return "--draw: expected WHAT IMAGE OUT, got " + std::to_string(n) + " argument" + (n == 1 ? "" : "s");
        if (!Dessin_connu(o.operandes[0]))
            return "--draw: unknown drawing " + Cite(o.operandes[0]) + " (" + Noms_dessins() + ")";
        if (Format_dessin(o.operandes[2]) == FormatDessin::inconnu)
            return "--draw: OUT must end in .png or .svg, got " + Cite(o.operandes[2]);
        return "";
    }
    case Forme::modeles:
        if (n != 2) return "--make-models: expected SYMBOL_DIR MODEL_DIR, got " + std::to_string(n) + " argument" +
                           (n == 1 ? "" : "s");
        return "";
    default: return "";
    }
}

}  // namespace

std::string Lit_options(int argc, char** argv, Options& o)
{
    bool options_finies = false, aide = false, version = false;
    bool vu_jobs = false, vu_json = false, vu_rapport = false;
    Forme forme = Forme::fenetre;
    auto prend_forme = [&](Forme f) -> std::string {
        if (forme != Forme::fenetre && forme != f)
            return std::string(Nom_forme(forme)) + " and " + Nom_forme(f) + " cannot be combined";
        forme = f;
        return "";
    };
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        if (options_finies || a.size() < 2 || a[0] != '-') {
            o.operandes.push_back(a);
            continue;
        }
        if (a == "--") {
            options_finies = true;
            continue;
        }
        // "--opt VALUE" or "--opt=VALUE"; false when the value is missing.
        std::string valeur;
        auto prend_valeur = [&](const std::string& nom) {
            if (a.size() > nom.size() && a.compare(0, nom.size() + 1, nom + "=") == 0) {
                valeur = a.substr(nom.size() + 1);
                return true;
            }
            if (i + 1 >= argc) return false;
            valeur = argv[++i];
            return true;
        };
        auto est = [&](const char* nom) { return a == nom || a.rfind(std::string(nom) + "=", 0) == 0; };
        std::string erreur;
        if (a == "-q" || a == "--quiet") o.silencieux = true;
        else if (a == "-h" || a == "--help") aide = true;
        else if (a == "--version") version = true;
        else if (a == "--batch") erreur = prend_forme(Forme::lot);
        else if (a == "--gather") erreur = prend_forme(Forme::rassemblement);
        else if (a == "--draw") erreur = prend_forme(Forme::dessin);
        else if (a == "--make-models") erreur = prend_forme(Forme::modeles);
        else if (a == "--resume") o.reprise = true;
        else if (est("--jobs")) {
            vu_jobs = true;
            if (!prend_valeur("--jobs")) erreur = "--jobs: missing value (a whole number from 1 to 256)";
            else if (!Lit_jobs(valeur, o.jobs))
                erreur = "--jobs: expected a whole number from 1 to " + std::to_string(kJobsMax) + ", got " + Cite(valeur);
        } else if (est("--json")) {
            vu_json = true;
            if (!prend_valeur("--json") || valeur.empty() || (valeur.size() > 1 && valeur[0] == '-'))
                erreur = "--json: missing value (the file to write)";
            else o.json = valeur;
        } else if (a == "--netlist") {
            o.netlist = true;
        } else if (est("--symbols")) {
            if (!prend_valeur("--symbols") || valeur.empty() || (valeur.size() > 1 && valeur[0] == '-'))
                erreur = "--symbols: missing value (the detections file to read)";
            else o.symboles = valeur;
        } else if (est("--report")) {
            vu_rapport = true;
            if (!prend_valeur("--report") || valeur.empty() || (valeur.size() > 1 && valeur[0] == '-'))
                erreur = "--report: missing value (the folder to write the report into)";
            else o.rapport = valeur;
        } else {
            erreur = "unknown option " + Cite(a);
        }
        if (!erreur.empty()) return erreur;
    }
    if (aide || version) {
        o.forme = aide ? Forme::aide : Forme::version;
        return "";
    }
    if (forme == Forme::fenetre && (!o.operandes.empty() || argc > 1)) forme = Forme::image;
    o.forme = forme;
    if (vu_jobs && forme != Forme::lot) return "--jobs is only for --batch";
    if (o.reprise && forme != Forme::lot) return "--resume is only for --batch";
    if (vu_json && forme != Forme::lot && forme != Forme::rassemblement) return "--json is only for --batch and --gather";
    if (o.netlist && forme != Forme::lot && forme != Forme::image) return "--netlist is only for --batch and the one-image run";
    if (!o.symboles.empty() && !o.netlist && !(forme == Forme::dessin && !o.operandes.empty() && o.operandes[0] == "nets"))
        return "--symbols is only for --netlist and --draw nets";
    if (vu_rapport && forme != Forme::lot && forme != Forme::rassemblement)
        return "--report is only for --batch and --gather";
    return Verifie_operandes(o);
}

void Ecrit_usage(std::FILE* f)
{
    std::fputs("Usage: tracemorph [-q] [IMAGE]\n"
               "       tracemorph [-q] --batch [--jobs N] [--resume] [--json FILE] [--report DIR] IMAGE...\n"
               "       tracemorph [-q] --gather [--json FILE] [--report DIR] IMAGE...\n"
               "       tracemorph [-q] --draw WHAT IMAGE OUT.png|OUT.svg\n"
               "       tracemorph [-q] --make-models SYMBOL_DIR MODEL_DIR\n"
               "       tracemorph --help | --version\n",
               f);
}

void Ecrit_aide(std::FILE* f)
{
    Ecrit_usage(f);
    std::fputs(
        "\n"
        "Without IMAGE, opens the desktop window.\n"
        "With IMAGE, analyses the drawing without any window: vectorisation and graph\n"
        "construction with the thresholds of ./param.dat, then writes ./Rlignaxe.dat\n"
        "(text results) and ./Rlignaxe.gxl (GXL graph; Format_GXL = 1 gives the\n"
        "matcher variant). Exit status 0 when both files were written for a loaded image.\n"
        "\n"
        "--batch runs the complete analysis (vectorisation, graph, symbol spotting) on\n"
        "each IMAGE in turn and writes IMAGE.dat, IMAGE.gxl and IMAGE.xml (its symbols)\n"
        "beside it, then gathers the symbols of all images, in the order given, into\n"
        "./FINAL_RESULTS.GRE. Exit status 0 when every image loaded and all its files\n"
        "were written, 1 when one failed (the other images are still done). The\n"
        "participant written in the results is $TRACEMORPH_PARTICIPANT (\"anonymous\"\n"
        "when unset).\n"
        "  --jobs N     analyses N images (1 to 256) at a time in worker processes, with\n"
        "               the same results\n"
        "  --resume     does not analyse again an image whose .dat, .gxl and .xml are\n"
        "               newer than the image and ./param.dat; its entry comes from its .xml\n"
        "  --json FILE  also writes the symbols of every image as detections in JSON\n"
        "               (images with their size, one annotation per symbol with its\n"
        "               bbox [x, y, width, height] from the top-left, category, score)\n"
        "  --netlist    also writes IMAGE.nets.json and IMAGE.nets.gxl: the nets the\n"
        "               wires make between the symbols (the one-image run too)\n"
        "  --symbols FILE  with --netlist or --draw nets: the symbols' boxes from\n"
        "               FILE, detections in the layout --json writes (images matched\n"
        "               by file name), instead of the spotting's; the nets name them\n"
        "               by their ids\n"
        "  --report DIR writes DIR/index.html, a page to check the batch by eye in a\n"
        "               browser (each image with its symbols drawn over it, the counts\n"
        "               per symbol name per image and in total, links to its files),\n"
        "               DIR/counts.csv (the same counts) and DIR/pictures/\n"
        "--gather writes ./FINAL_RESULTS.GRE from the IMAGE.xml files that batch runs\n"
        "left beside the images, as the batch over all of them would have (--json and\n"
        "--report too).\n"
        "--draw WHAT (vectors, quads, ccs, axes, graph, symbols, colored-quads,\n"
        "colored-graph, nets) draws what a step found over the drawing into OUT, a PNG\n"
        "or an SVG file by its extension.\n"
        "--make-models writes the matcher graph of every image of SYMBOL_DIR as\n"
        "MODEL_DIR/NAME.gxl.\n"
        "\n"
        "  -q, --quiet  no log on standard output (messages still go to standard error)\n"
        "  --           ends the options (an image named -x.bmp)\n"
        "  --help       this text\n"
        "  --version    the program's version\n"
        "\n"
        "Every run ends with a summary line on standard error. Exit status 2 for a\n"
        "usage error (nothing is written then).\n",
        f);
}
