#include "batch/modeles.h"

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "port/shell.h"
#include "batch/batch.h"
#include "batch/calibration.h"
#include "batch/feuilles_exercice.h"
#include "vecto/arcs.h"
#include "image/chargement.h"
#include "image/param.h"
#include "spotting/etat_analyse.h"
#include "image/planes.h"
#include "output/resultats.h"
#include "reco/comparaison_interne.h"
#include "reco/fichier_reglages.h"
#include "vecto/records.h"

namespace fs = std::filesystem;

namespace {

bool Extension_image(std::string ext)
{
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".bmp" || ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".gif" || ext == ".tif" ||
           ext == ".tiff";
}

// A model drawing is at most this many pixels a side (an A4 page at 300 dpi
// is some 2500: a model that large is a page, not a symbol).
constexpr int Cote_max_modele = 2000;
// Ink over this part of the picture: an all-black drawing (a negative, or a
// scan of nothing).
constexpr double Encre_max_modele = 0.95;

// Bits per pixel of a BMP file, 0 when it is none (or unreadable).
int Bits_bmp(const fs::path& image)
{
    unsigned char t[30] = {};
    std::FILE* f = std::fopen(image.c_str(), "rb");
    if (!f) return 0;
    const size_t n = std::fread(t, 1, sizeof t, f);
    std::fclose(f);
    if (n < sizeof t || t[0] != 'B' || t[1] != 'M') return 0;
    return t[28] | (t[29] << 8);
}

// Why the loaded drawing cannot be a model; empty when it can.
std::string Defaut_dessin(const Bitmap& b)
{
    if (Largeur > Cote_max_modele || Hauteur > Cote_max_modele)
        return std::to_string(Largeur) + " x " + std::to_string(Hauteur) + " px, more than " +
               std::to_string(Cote_max_modele) + " px a side";
    long encre = 0;
    for (uint8_t v : b.px) encre += v;
    if (encre == 0) return "empty (no ink)";
    // Loading whitens the frame of the picture: its first and last rows and columns.
    const double lus = std::max(1.0, static_cast<double>(b.larg - 2) * static_cast<double>(b.haut - 2));
    if (static_cast<double>(encre) >= Encre_max_modele * lus) return "all black";
    return "";
}

// Files of an earlier run for a model now left out would still name symbols.
void Retire_modele(const std::string& modeles, const std::string& stem)
{
    std::error_code ec;
    fs::remove(modeles + "/" + stem + ".gxl", ec);
    fs::remove(modeles + "/" + stem + ".bmp", ec);
}

}  // namespace

int Fabrique_modeles(const std::string& symboles, const std::string& modeles)
{
    std::vector<fs::path> images;
    std::error_code ec;
    for (fs::directory_iterator it(symboles, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (!it->is_directory() && Extension_image(it->path().extension().string())) images.push_back(it->path());
    if (ec) {
        Message_erreur("Unable to open symbol directory " + symboles);
        return 1;
    }
    if (images.empty()) {
        Message_erreur("No image in " + symboles);
        return 1;
    }
    fs::create_directories(modeles, ec);
    if (ec || !fs::is_directory(modeles)) {
        Message_erreur("Unable to create model directory " + modeles);
        return 1;
    }
    std::sort(images.begin(), images.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });

    int echecs = 0, ecartes = 0, doubles = 0;
    std::map<std::string, std::string> formes;  // canonical drawing -> first model drawing it
    std::vector<std::pair<std::string, std::string>> memes;
    for (const fs::path& image : images) {
        const std::string nom = image.filename().string();
        const std::string stem = image.stem().string();
        const std::string modele = modeles + "/" + stem + ".gxl";
        std::string ext = image.extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        auto ecarte = [&](const std::string& raison) {
            Message_boite(nom + ": " + raison + "; left out of the models", "Warning");
            Retire_modele(modeles, stem);
            ecartes++;
        };
        if (const int bits = Bits_bmp(image); ext == ".bmp" && bits > 1) {
            ecarte("not 1-bit (" + std::to_string(bits) + " bits per pixel)");
            continue;
        }
        Open(image.string());
        if (!Plan_courant) {
            Ecrit_texte(1, nom + ": not loaded, no model");
            echecs++;
            continue;
        }
        {
            const Bitmap dessin = Bitmap_de_plan(Plan1);
            if (const std::string defaut = Defaut_dessin(dessin); !defaut.empty()) {
                ecarte(defaut);
                continue;
            }
            // Two bitmaps of one drawing (at another quarter turn or mirrored)
            // are one model, named by the first.
            const auto [it, neuf] = formes.emplace(Forme_canonique(Rogne_encre(dessin)), stem);
            if (!neuf) {
                Ecrit_texte(1, stem + ": same drawing as " + it->second);
                memes.emplace_back(stem, it->second);
                Retire_modele(modeles, stem);
                doubles++;
                continue;
            }
        }
        const int defauts = Nb_defauts_param();
        Complete_analysis(2);
        if (!Ecrit_graphe_gxl(modele, Liste_vecteurs, Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV,
                              Liste_arcs_QV, 1)) {
            Ecrit_texte(1, nom + ": model not written");
            echecs++;
            continue;
        }
        int noeuds = 0;
        for (Quad* q = Liste_quads; q; q = q->suivant) noeuds += q->length != 0;
        Ecrit_texte(1, nom + " -> " + modele + " (" + std::to_string(noeuds) + " nodes)");
        // The drawing beside its graph: spotting compares candidates with it
        // where the graphs of two models are about as near.
        {
            std::error_code ec_copie;
            if (ext == ".bmp")
                fs::copy_file(image, modeles + "/" + image.stem().string() + ".bmp", fs::copy_options::overwrite_existing,
                              ec_copie);
        }
        if (const std::string trop = Modele_hors_limites(modele); !trop.empty())
            Message_boite(modele + ": " + trop + "; recognition will leave this model out", "Warning");
        if (Nb_defauts_param() != defauts) {
            // Written, but with a threshold that could not be read: not a model to trust.
            Ecrit_texte(1, nom + ": made with a param.dat value that could not be read");
            echecs++;
        }
    }
    Ferme_image();
    const size_t faits = images.size() - static_cast<size_t>(echecs + ecartes + doubles);
    std::string bilan = std::to_string(faits) + " models made, " + std::to_string(echecs) + " failed";
    if (ecartes) bilan += ", " + std::to_string(ecartes) + " left out";
    if (doubles) bilan += ", " + std::to_string(doubles) + " named by an earlier drawing";
    Ecrit_texte(1, bilan);
    // What the models' own practice sheets teach, unless the settings beside
    // them were learnt from these very models.
    if (faits > 0) {
        std::string raison;
        Fichier_reglages lu;
        Etat_reglages etat = Etat_fichier_reglages(modeles, &lu, &raison);
        const std::string fichier = modeles + "/" + Nom_fichier_reglages;
        // A duplicate drawing added or gone leaves the models as they were,
        // not the file's record of the duplicates.
        std::sort(memes.begin(), memes.end());
        if (etat == Etat_reglages::a_jour && lu.memes != memes) {
            etat = Etat_reglages::perime;
            raison = "other duplicate drawings";
        }
        if (etat == Etat_reglages::a_jour) {
            Ecrit_texte(1, "Settings learnt from these models already in " + fichier);
        } else {
            if (etat == Etat_reglages::abime) Message_boite(fichier + ": " + raison + "; made again", "Warning");
            if (etat == Etat_reglages::perime) Ecrit_texte(1, fichier + ": " + raison + "; made again");
            if (!Fabrique_reglages(modeles, memes)) echecs++;
        }
    }
    return echecs == 0 && ecartes == 0 ? 0 : 1;
}
