#include "app/cli/lot_ligne_commande.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/cli/options.h"
#include "batch/batch.h"
#include "batch/detections_json.h"
#include "batch/lot_parallele.h"
#include "batch/rapport.h"
#include "batch/restes.h"
#include "image/param.h"
#include "batch/resultats_lot.h"
#include "nets/detections.h"
#include "nets/ecriture_nets.h"
#include "port/frontends.h"
#include "port/shell.h"

namespace {

// Writes FINAL_RESULTS.GRE from the images' .xml files; `echecs` counts the
// images without one. `signale` says so on stderr for each.
int Rassemble(const std::vector<std::string>& images, int& echecs, bool signale,
              const std::set<std::string>* comptees = nullptr)
{
    echecs = 0;
    const std::string chemin = Rep_travail + "/FINAL_RESULTS.GRE";
    std::FILE* f = Ouvre_resultats_lot(chemin);
    if (!f) return 1;
    bool tout_bon = true;
    for (const std::string& image : images) {
        const std::string copie = image + ".xml";
        Frontend_courant().batch_image_begin(image);  // its messages name it
        bool bon;
        if (std::FILE* x = std::fopen(copie.c_str(), "rb")) {
            std::fclose(x);
            bon = Ecrit_entree_lot(f, image);
        } else {
            if (signale)
                std::fprintf(stderr, "tracemorph: cannot read %s (%s): the entry of %s has no symbols\n", copie.c_str(),
                             std::strerror(errno), image.c_str());
            Ecrit_entree_sans_symboles(f, image);
            bon = false;
        }
        if (!bon && (!comptees || comptees->count(image))) echecs++;
        tout_bon = bon && tout_bon;
    }
    Frontend_courant().batch_image_begin({});
    return Ferme_resultats_lot(f, chemin) && tout_bon ? 0 : 1;
}

bool Plus_recent(const struct stat& a, const struct stat& b)
{
    return a.st_mtim.tv_sec > b.st_mtim.tv_sec ||
           (a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec > b.st_mtim.tv_nsec);
}

// The image's three files (and its netlist when asked) exist and are newer
// than the image and param.dat, and its symbol list can be gathered (an
// image that failed had its list dated back).
bool A_jour(const std::string& image, const struct stat* param, bool nets)
{
    struct stat si;
    if (::stat(image.c_str(), &si) != 0) return false;
    for (const char* suffixe : {".dat", ".gxl", ".xml", ".nets.json"}) {
        if (!nets && std::strcmp(suffixe, ".nets.json") == 0) continue;
        struct stat sf;
        if (::stat((image + suffixe).c_str(), &sf) != 0 || !S_ISREG(sf.st_mode)) return false;
        if (!Plus_recent(sf, si) || (param && !Plus_recent(sf, *param))) return false;
    }
    return Liste_lisible(image + ".xml");
}

}  // namespace

int Main_ouvrier(int argc, char** argv)
{
    if (argc < 3) return 2;
    for (int i = 3; i < argc; i++) {
        if (std::strcmp(argv[i], "--netlist") == 0) Reglages_nets.actif = true;
        else if (std::strcmp(argv[i], "--symbols") == 0 && i + 1 < argc) Reglages_nets.symboles = argv[++i];
        else return 2;
    }
    FrontendLot console({});
    Installe_frontend(&console);
    const int statut = Ouvrier_lot(argv[2], console);
    console.flush();
    Installe_frontend(nullptr);
    return statut;
}

int Main_lot_ligne_commande(const Options& o)
{
    const bool lot = o.forme == Forme::lot;
    const std::vector<std::string>& images = o.operandes;
    // Resumed, only the images whose files are missing or stale are analysed.
    std::vector<std::string> a_faire = images;
    size_t repris = 0;
    if (lot && o.reprise) {
        struct stat sp;
        const bool param = ::stat((Rep_travail + "/param.dat").c_str(), &sp) == 0;
        a_faire.clear();
        for (const std::string& image : images)
            if (!A_jour(image, param ? &sp : nullptr, o.netlist)) a_faire.push_back(image);
        repris = images.size() - a_faire.size();
    }

    // A detections file that cannot serve is said once here; each image's
    // netlist then fails with it, the rest of the batch is done.
    if (lot && o.netlist && !o.symboles.empty()) {
        const Detections d = Lit_detections(o.symboles);
        if (!d.erreur.empty()) std::fprintf(stderr, "tracemorph: %s: no netlist written\n", d.erreur.c_str());
        for (const std::string& nom : Images_non_donnees(d, images))
            std::fprintf(stderr, "tracemorph: %s names %s, which is not given\n", o.symboles.c_str(), nom.c_str());
    }
    // Recognition on without models would name nothing: refused at once.
    int reco = 0;
    std::error_code ec;
    if (lot && Lit_param_entier_net("Bool_reco", reco) && reco != 0 &&
        !std::filesystem::is_directory(Rep_travail + "/models", ec)) {
        std::fprintf(stderr,
                     "tracemorph: Bool_reco is %d but %s/models is no directory of models (tracemorph --make-models "
                     "SYMBOL_DIR models makes one; Bool_reco 0 switches recognition off)\n",
                     reco, Rep_travail.c_str());
        return 1;
    }
    if (lot) {
        // What earlier batches killed outright left behind.
        std::vector<std::string> fichiers{Rep_travail + "/FINAL_RESULTS.GRE"};
        for (const std::string& image : images)
            for (const char* suffixe : {".dat", ".gxl", ".xml", ".nets.json", ".nets.gxl"}) fichiers.push_back(image + suffixe);
        std::vector<std::string> restes = Supprime_restes(fichiers);
        const char* tmp = std::getenv("TMPDIR");
        for (std::string& r : Supprime_repertoires_ouvriers(tmp && *tmp ? tmp : "/tmp")) restes.push_back(std::move(r));
        Signale_restes(restes);
    }
    FrontendLot console(lot ? a_faire : std::vector<std::string>{});
    console.set_quiet(o.silencieux);
    Installe_frontend(&console);
    int statut = 0, echecs = 0;
    const int places = Resultats_lot_places;
    if (!lot) {
        statut = Rassemble(images, echecs, true);
    } else {
        if (!a_faire.empty() || !o.reprise)
            statut = o.jobs > 1 && !a_faire.empty() ? Lot_parallele(a_faire, o.jobs, !o.silencieux) : OuvrirLot1Click();
        echecs = Echecs_lot;
        // The results file holds every image, in the order given: the ones
        // not analysed again come from their .xml, as a gathering does.
        if (o.reprise && repris > 0) {
            // Its count of failures adds those of the images taken as they
            // were, so that the summary agrees with the results file.
            std::set<std::string> reprises(images.begin(), images.end());
            for (const std::string& image : a_faire) reprises.erase(image);
            int manquants = 0;
            statut = std::max(statut, Rassemble(images, manquants, false, &reprises));
            echecs += manquants;
        }
    }
    const std::vector<SymbolesImage> symboles = Lit_symboles_lot(images);
    bool json = true;
    if (!o.json.empty()) json = Ecrit_detections_json(o.json, symboles);
    bool rapport = true;
    if (!o.rapport.empty()) rapport = Ecrit_rapport_lot(o.rapport, symboles);
    console.flush();
    Installe_frontend(nullptr);

    std::string bilan = std::to_string(images.size()) + (images.size() == 1 ? " image (" : " images (") +
                        std::to_string(echecs) + " failed";
    if (lot && o.reprise) bilan += ", " + std::to_string(repris) + " up to date";
    // Only a file written is named.
    bilan += "), " + std::to_string(Nombre_symboles(symboles)) + " symbols" +
             (Resultats_lot_places > places ? " -> FINAL_RESULTS.GRE" : " (FINAL_RESULTS.GRE not written)");
    if (!o.json.empty()) bilan += json ? ", " + o.json : " (" + o.json + " not written)";
    if (!o.rapport.empty()) bilan += rapport ? ", " + o.rapport + "/index.html" : " (report " + o.rapport + " not written)";
    std::fprintf(stderr, "%s\n", bilan.c_str());
    return json && rapport ? statut : 1;
}
