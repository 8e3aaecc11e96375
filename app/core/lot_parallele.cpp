// The batch spread over worker processes. Each worker is this program started
// again with the hidden worker option, on one image, in the current directory
// (so relative image paths mean the same), with a private working directory
// of its slot in place of Rep_travail: the converter's tmp.bmp, the symbol
// list tmpsymb.gxl, the tests directory and the matchers' exchange files are
// then never shared. The results file is written here, in selection order,
// from the .xml copies the workers leave beside the images.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "app/core/lot_ligne_commande.h"
#include "app/core/shell.h"
#include "batch/batch.h"
#include "batch/resultats_lot.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

enum class Etat { attente, en_cours, fini };

struct Travail {
    std::string image;
    size_t origine = 0;  // first entry writing the same files; itself if none
    Etat etat = Etat::attente;
    int statut = 0;      // wait status of the worker
    bool lance = false;  // false when the worker could not be started
};

// The files an entry writes are the image's path plus a suffix: two entries
// write the same files when their directories are the same directory and
// their file names are equal.
std::string Cle_fichiers(const std::string& image)
{
    std::error_code ec;
    const fs::path p(image);
    fs::path dossier = fs::weakly_canonical(fs::absolute(p, ec).parent_path(), ec);
    if (ec) return image;
    return (dossier / p.filename()).string();
}

// The slot's working directory: a copy of param.dat (the thresholds of the
// whole run, whatever happens to the file meanwhile), links to what the
// analysis only reads, and an empty tests directory when there is one.
bool Prepare_repertoire(const fs::path& rep)
{
    std::error_code ec;
    const fs::path depart(Rep_travail);
    if (!fs::create_directory(rep, ec)) return false;
    if (fs::exists(depart / "param.dat", ec)) fs::copy_file(depart / "param.dat", rep / "param.dat", ec);
    if (ec) return false;
    for (const char* nom : {"models", "simgraph", "cxconvert"}) {
        if (fs::exists(depart / nom, ec)) fs::create_symlink(depart / nom, rep / nom, ec);
        if (ec) return false;
    }
    std::error_code absent;  // a missing entry is not an error here
    if (fs::is_directory(depart / "tests", absent)) fs::create_directory(rep / "tests", ec);
    return !ec;
}

bool Lance_ouvrier(const std::string& repertoire, const std::string& image, const fs::path& sortie,
                   const fs::path& erreurs, pid_t& pid)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, sortie.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, erreurs.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char* argv[] = {const_cast<char*>("tracemorph"), const_cast<char*>(kOptionOuvrier),
                    const_cast<char*>(repertoire.c_str()), const_cast<char*>(image.c_str()), nullptr};
    const int r = posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return r == 0;
}

void Relaie(const fs::path& fichier, std::FILE* vers)
{
    std::FILE* f = std::fopen(fichier.c_str(), "rb");
    if (!f) return;
    char tampon[8192];
    size_t n;
    while ((n = std::fread(tampon, 1, sizeof tampon, f)) > 0) std::fwrite(tampon, 1, n, vers);
    std::fclose(f);
    std::fflush(vers);
}

// Why a worker gave no usable result, or empty when it ended normally (its
// status 0 or 1 then says whether the image and its files were fine).
std::string Panne(const Travail& t)
{
    if (!t.lance) return "the worker could not be started";
    if (WIFSIGNALED(t.statut)) return std::string("the worker was killed by signal ") + std::to_string(WTERMSIG(t.statut));
    if (WIFEXITED(t.statut) && WEXITSTATUS(t.statut) <= 1) return "";
    return "the worker ended with status " + std::to_string(WIFEXITED(t.statut) ? WEXITSTATUS(t.statut) : -1);
}

}  // namespace

int Lot_parallele(const std::vector<std::string>& images, int jobs)
{
    const size_t n = images.size();
    std::vector<Travail> travaux(n);
    std::map<std::string, size_t> premiers;
    for (size_t i = 0; i < n; i++) {
        travaux[i].image = images[i];
        travaux[i].origine = premiers.emplace(Cle_fichiers(images[i]), i).first->second;
    }

    const char* tmp = std::getenv("TMPDIR");
    std::string modele = std::string(tmp && *tmp ? tmp : "/tmp") + "/tracemorph-batch-XXXXXX";
    if (!::mkdtemp(modele.data())) {
        std::fprintf(stderr, "tracemorph: cannot create a directory for the workers (%s): running in this process\n",
                     std::strerror(errno));
        return OuvrirLot1Click();
    }
    const fs::path racine(modele);
    const size_t nb_slots = std::min(static_cast<size_t>(jobs), premiers.size());
    std::vector<std::string> slots;
    for (size_t k = 0; k < nb_slots; k++) {
        const fs::path rep = racine / ("w" + std::to_string(k));
        if (!Prepare_repertoire(rep)) break;
        slots.push_back(rep.string());
    }
    const auto journal = [&](size_t i, const char* genre) { return racine / (std::to_string(i) + genre); };

    int statut = 1;
    const std::string chemin_resultats = Rep_travail + "/FINAL_RESULTS.GRE";
    if (slots.empty()) {
        std::fprintf(stderr, "tracemorph: cannot prepare the workers' directories: running in this process\n");
        statut = OuvrirLot1Click();
    } else if (std::FILE* f = Ouvre_resultats_lot(chemin_resultats)) {
        bool tout_bon = true;
        std::vector<size_t> libres;
        for (size_t k = slots.size(); k-- > 0;) libres.push_back(k);
        std::map<pid_t, std::pair<size_t, size_t>> en_cours;  // pid -> (entry, slot)
        size_t suivant = 0, a_ecrire = 0;
        while (a_ecrire < n) {
            while (!libres.empty() && suivant < n) {
                Travail& t = travaux[suivant];
                if (t.origine == suivant) {
                    // An .xml left by an earlier run must never stand for this one.
                    std::remove((t.image + ".xml").c_str());
                    const size_t k = libres.back();
                    pid_t pid = -1;
                    t.lance = Lance_ouvrier(slots[k], t.image, journal(suivant, ".out"), journal(suivant, ".err"), pid);
                    if (t.lance) {
                        libres.pop_back();
                        en_cours[pid] = {suivant, k};
                        t.etat = Etat::en_cours;
                    } else {
                        t.etat = Etat::fini;
                    }
                }
                suivant++;
            }
            // Entries go out in selection order as soon as their turn comes.
            while (a_ecrire < n && travaux[travaux[a_ecrire].origine].etat == Etat::fini) {
                const Travail& t = travaux[travaux[a_ecrire].origine];
                const std::string& image = travaux[a_ecrire].image;
                Relaie(journal(t.origine, ".out"), stdout);
                Relaie(journal(t.origine, ".err"), stderr);
                const std::string panne = Panne(t);
                if (panne.empty()) {
                    const bool symboles = Ecrit_entree_lot(f, image);
                    tout_bon = tout_bon && symboles && WEXITSTATUS(t.statut) == 0;
                } else {
                    std::fprintf(stderr, "tracemorph: %s: %s; its entry has no symbols\n", image.c_str(), panne.c_str());
                    Ecrit_entree_sans_symboles(f, image);
                    tout_bon = false;
                }
                a_ecrire++;
                Fin_image_lot(static_cast<int>(a_ecrire), static_cast<int>(n), image);
            }
            if (en_cours.empty()) continue;
            int st = 0;
            const pid_t pid = ::waitpid(-1, &st, 0);
            if (pid < 0) {
                if (errno == EINTR) continue;
                break;  // no child left to wait for: cannot happen while en_cours is not empty
            }
            const auto it = en_cours.find(pid);
            if (it == en_cours.end()) continue;
            Travail& t = travaux[it->second.first];
            t.statut = st;
            t.etat = Etat::fini;
            libres.push_back(it->second.second);
            en_cours.erase(it);
        }
        statut = Ferme_resultats_lot(f, chemin_resultats) && tout_bon && a_ecrire == n ? 0 : 1;
        Efface_texte();
        Ecrit_texte(1, "Batch done.");
    }
    std::error_code ec;
    fs::remove_all(racine, ec);
    return statut;
}
