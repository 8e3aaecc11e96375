#include "batch/modeles.h"

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <filesystem>
#include <vector>

#include "port/shell.h"
#include "batch/batch.h"
#include "vecto/arcs.h"
#include "image/chargement.h"
#include "image/param.h"
#include "spotting/etat_analyse.h"
#include "image/planes.h"
#include "output/resultats.h"
#include "reco/comparaison_interne.h"
#include "vecto/records.h"

namespace fs = std::filesystem;

namespace {

bool Extension_image(std::string ext)
{
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".bmp" || ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".gif" || ext == ".tif" ||
           ext == ".tiff";
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

    int echecs = 0;
    for (const fs::path& image : images) {
        const std::string nom = image.filename().string();
        const std::string modele = modeles + "/" + image.stem().string() + ".gxl";
        Open(image.string());
        if (!Plan_courant) {
            Ecrit_texte(1, nom + ": not loaded, no model");
            echecs++;
            continue;
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
            std::string ext = image.extension().string();
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
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
    Ecrit_texte(1, std::to_string(images.size() - static_cast<size_t>(echecs)) + " models made, " +
                       std::to_string(echecs) + " failed");
    return echecs == 0 ? 0 : 1;
}
