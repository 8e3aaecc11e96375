// The batch spread over worker processes. A worker is this program started
// again with the hidden worker option, in the current directory (so relative
// image paths mean the same), with a private working directory of its slot
// in place of Rep_travail: the converter's tmp.bmp, the symbol list
// tmpsymb.gxl, the tests directory and the matchers' exchange files are then
// never shared. A worker lives for many images (starting one costs more
// than analysing a page); it takes one image at a time through its stdin and
// answers through a pipe, so an idle slot always gets the next image. The
// results file is written here, in selection order, from the .xml copies the
// workers leave beside the images.
#include <fcntl.h>
#include <linux/close_range.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "batch/lot_parallele.h"
#include "batch/calibration.h"
#include "nets/ecriture_nets.h"
#include "port/shell.h"
#include "batch/batch.h"
#include "batch/interruption.h"
#include "batch/resultats_lot.h"
#include "graph/sources.h"
#include "image/chargement.h"
#include "image/param.h"
#include "reco/reconnaissance.h"
#include "spotting/etat_analyse.h"

extern char** environ;

namespace fs = std::filesystem;

// ---- Worker side ------------------------------------------------------------

namespace {

// False, with errno set, when the file cannot be opened (a full $TMPDIR).
bool Redirige(int fd, const std::string& fichier)
{
    const int f = ::open(fichier.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (f < 0) return false;
    const bool ok = ::dup2(f, fd) == fd;
    const int erreur = errno;
    ::close(f);
    errno = erreur;
    return ok;
}

// The next NUL-ended text of the requests; false at their end.
bool Lit_texte(int fd, std::string& tampon, std::string& texte)
{
    for (;;) {
        const auto nul = tampon.find('\0');
        if (nul != std::string::npos) {
            texte.assign(tampon, 0, nul);
            tampon.erase(0, nul + 1);
            return true;
        }
        char bloc[4096];
        const ssize_t n = ::read(fd, bloc, sizeof bloc);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        tampon.append(bloc, static_cast<size_t>(n));
    }
}

// One image: opened from the start directory `depart`, analysed in
// Rep_travail (the matchers exchange their files in the current directory),
// its files written from `depart` again.
int Analyse_image_ouvrier(const std::string& depart, const std::string& image)
{
    const int defauts = Nb_defauts_param();
    const bool chargee = Ouvre_image_lot(image);
    if (::chdir(Rep_travail.c_str()) != 0) return 3;
    Complete_analysis(4);
    if (::chdir(depart.c_str()) != 0) return 3;
    const bool ecrits = Ecrit_fichiers_image(image);
    Ferme_image();
    const int code = chargee && ecrits && Nb_defauts_param() == defauts ? 0 : 1;
    if (code != 0) Marque_echec_image(image);
    return code;
}

}  // namespace

int Ouvrier_lot(const std::string& repertoire, FrontendConsole& console)
{
    const std::string depart = Rep_travail;
    Rep_travail = repertoire;
    Protege_ecritures_ouvrier();
    // The programs this worker starts (converter, matchers) get /dev/null as
    // their input and neither pipe: one left running after its worker died
    // would otherwise keep the batch waiting for an answer. What the batch's
    // own caller let it inherit is not passed on either.
    ::close_range(4, ~0U, CLOSE_RANGE_CLOEXEC);
    const int demandes = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 4);
    const int nul = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (demandes < 0 || nul < 0 || ::dup2(nul, STDIN_FILENO) != STDIN_FILENO ||
        ::fcntl(3, F_SETFD, FD_CLOEXEC) != 0)
        return 3;
    ::close(nul);
    // The other workers keep the other cores busy.
    Graphe_fils = 1;
    // The batch named the broken models once, before starting the workers.
    Signale_modeles = false;
    std::string tampon, journal, messages, image;
    while (Lit_texte(demandes, tampon, journal) && Lit_texte(demandes, tampon, messages) &&
           Lit_texte(demandes, tampon, image)) {
        std::fflush(stdout);
        std::fflush(stderr);
        int code;
        std::string reponse;
        if (Redirige(STDOUT_FILENO, journal) && Redirige(STDERR_FILENO, messages)) {
            code = Analyse_image_ouvrier(depart, image);
            console.flush();
            std::fflush(stderr);
            reponse = std::to_string(code) + "\n";
        } else {
            // Not analysed: its messages would land in the previous image's
            // log, or nowhere. The batch reports why.
            code = 4;
            reponse = "4 " + std::to_string(errno) + "\n";
            Redirige(STDOUT_FILENO, "/dev/null");
            Redirige(STDERR_FILENO, "/dev/null");
        }
        if (::write(3, reponse.data(), reponse.size()) != static_cast<ssize_t>(reponse.size())) return 3;
        if (code == 3) return 3;
    }
    return 0;
}

// ---- Parent side ------------------------------------------------------------

namespace {

enum class Etat { attente, en_cours, fini };

struct Travail {
    std::string image;
    size_t origine = 0;  // first entry writing the same files; itself if none
    Etat etat = Etat::attente;
    int code = 0;          // the worker's answer
    std::string panne;     // why the worker gave no answer; empty when it did
    struct stat liste_avant {};  // the image's .xml before it was sent, if any
    bool liste_existait = false;
};

// The list at `chemin` is the one noted before: its analysis did not
// replace it (a new one is a new file, renamed into place).
bool Meme_liste(const std::string& chemin, const struct stat& avant)
{
    struct stat st;
    return ::stat(chemin.c_str(), &st) == 0 && st.st_ino == avant.st_ino && st.st_dev == avant.st_dev &&
           st.st_mtim.tv_sec == avant.st_mtim.tv_sec && st.st_mtim.tv_nsec == avant.st_mtim.tv_nsec;
}

struct Ouvrier {
    std::string repertoire;
    pid_t pid = -1;
    int demandes = -1;      // write end of the worker's stdin
    int reponses = -1;      // read end of its descriptor 3
    long travail = -1;      // entry being analysed, -1 when idle
    std::string recu;
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

bool Demarre(Ouvrier& o)
{
    int demandes[2], reponses[2];
    if (::pipe2(demandes, O_CLOEXEC) != 0) return false;
    if (::pipe2(reponses, O_CLOEXEC) != 0) {
        ::close(demandes[0]);
        ::close(demandes[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, demandes[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, reponses[1], 3);
    // This process ignores SIGPIPE while it runs the batch; the worker must not.
    posix_spawnattr_t attributs;
    posix_spawnattr_init(&attributs);
    sigset_t defaut;
    sigemptyset(&defaut);
    sigaddset(&defaut, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributs, &defaut);
    posix_spawnattr_setflags(&attributs, POSIX_SPAWN_SETSIGDEF);
    // The worker writes the netlists as this process would.
    std::vector<char*> argv = {const_cast<char*>("tracemorph"), const_cast<char*>(kOptionOuvrier),
                               const_cast<char*>(o.repertoire.c_str())};
    if (Reglages_nets.actif) argv.push_back(const_cast<char*>("--netlist"));
    if (!Reglages_nets.symboles.empty()) {
        argv.push_back(const_cast<char*>("--symbols"));
        argv.push_back(const_cast<char*>(Reglages_nets.symboles.c_str()));
    }
    argv.push_back(nullptr);
    const int r = posix_spawn(&o.pid, "/proc/self/exe", &actions, &attributs, argv.data(), environ);
    posix_spawnattr_destroy(&attributs);
    posix_spawn_file_actions_destroy(&actions);
    ::close(demandes[0]);
    ::close(reponses[1]);
    if (r != 0) {
        ::close(demandes[1]);
        ::close(reponses[0]);
        o.pid = -1;
        return false;
    }
    o.demandes = demandes[1];
    o.reponses = reponses[0];
    o.recu.clear();
    return true;
}

// Closes the pipes and waits for the worker; its wait status.
int Arrete(Ouvrier& o)
{
    if (o.demandes >= 0) ::close(o.demandes);
    if (o.reponses >= 0) ::close(o.reponses);
    o.demandes = o.reponses = -1;
    int st = 0;
    while (o.pid > 0 && ::waitpid(o.pid, &st, 0) < 0 && errno == EINTR) {
    }
    o.pid = -1;
    return st;
}

bool Envoie(int fd, const std::string& texte)
{
    size_t fait = 0;
    while (fait < texte.size()) {
        const ssize_t n = ::write(fd, texte.data() + fait, texte.size() - fait);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        fait += static_cast<size_t>(n);
    }
    return true;
}

std::string Cause(int statut_attente)
{
    if (WIFSIGNALED(statut_attente)) return "the worker was killed by signal " + std::to_string(WTERMSIG(statut_attente));
    return "the worker ended with status " + std::to_string(WIFEXITED(statut_attente) ? WEXITSTATUS(statut_attente) : -1);
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

// The signal that interrupted the batch, 0 while none did.
volatile sig_atomic_t g_interruption = 0;
// Whether the workers' logs go to standard output (not in a quiet run).
bool g_journal_relaye = true;
void Note_interruption(int sig) { g_interruption = sig; }

class Lot {
public:
    Lot(const std::vector<std::string>& images, const fs::path& racine) : racine_(racine)
    {
        std::map<std::string, size_t> premiers;
        for (size_t i = 0; i < images.size(); i++) {
            Travail t;
            t.image = images[i];
            t.origine = premiers.emplace(Cle_fichiers(images[i]), i).first->second;
            travaux_.push_back(std::move(t));
        }
        distincts_ = premiers.size();
    }
    size_t distincts() const { return distincts_; }
    size_t total() const { return travaux_.size(); }
    // Images whose files are all written (an image given twice counts twice).
    size_t faites() const
    {
        size_t n = 0;
        for (const Travail& t : travaux_) {
            const Travail& o = travaux_[t.origine];
            if (o.etat == Etat::fini && o.panne.empty() && o.code == 0) n++;
        }
        return n;
    }
    void ajoute_ouvrier(const std::string& repertoire)
    {
        ouvriers_.emplace_back();
        ouvriers_.back().repertoire = repertoire;
    }
    bool sans_ouvrier() const { return ouvriers_.empty(); }

    // Runs every image; the entries go to `f` in selection order as soon as
    // their turn comes. False when an image failed.
    bool execute(std::FILE* f)
    {
        bool tout_bon = true;
        while (ecrits_ < travaux_.size() && !g_interruption) {
            distribue();
            while (ecrits_ < travaux_.size() && travaux_[travaux_[ecrits_].origine].etat == Etat::fini)
                tout_bon = ecrit_entree(f) && tout_bon;
            if (ecrits_ < travaux_.size() && !attend()) break;
        }
        // Interrupted: the answers already sent still count the images done.
        if (g_interruption) attend(0);
        for (Ouvrier& o : ouvriers_) {
            if (g_interruption && o.pid > 0) ::kill(o.pid, SIGTERM);
            Arrete(o);
        }
        return tout_bon && ecrits_ == travaux_.size();
    }

private:
    fs::path journal(size_t i, const char* genre) const { return racine_ / (std::to_string(i) + genre); }

    void distribue()
    {
        for (Ouvrier& o : ouvriers_) {
            while (o.travail < 0 && suivant_ < travaux_.size()) {
                const size_t i = suivant_++;
                Travail& t = travaux_[i];
                if (t.origine != i) continue;
                // An .xml left by an earlier run must never stand for this
                // one; it stays until replaced, and is recognised after.
                t.liste_existait = ::stat((t.image + ".xml").c_str(), &t.liste_avant) == 0;
                if (o.pid < 0 && !Demarre(o)) {
                    t.etat = Etat::fini;
                    t.panne = "the worker could not be started";
                    continue;
                }
                const std::string demande = journal(i, ".out").string() + '\0' + journal(i, ".err").string() + '\0' +
                                            t.image + '\0';
                bool envoye = Envoie(o.demandes, demande);
                if (!envoye) {  // a worker that ended while idle is replaced once
                    Arrete(o);
                    envoye = Demarre(o) && Envoie(o.demandes, demande);
                }
                if (!envoye) {
                    t.etat = Etat::fini;
                    t.panne = o.pid < 0 ? "the worker could not be started" : Cause(Arrete(o));
                    continue;
                }
                t.etat = Etat::en_cours;
                o.travail = static_cast<long>(i);
            }
        }
    }

    // Waits for an answer or the end of a worker, at most `delai` ms (-1:
    // no limit). False when no worker is busy.
    bool attend(int delai = -1)
    {
        std::vector<pollfd> fds;
        std::vector<Ouvrier*> qui;
        for (Ouvrier& o : ouvriers_) {
            if (o.travail < 0) continue;
            fds.push_back({o.reponses, POLLIN, 0});
            qui.push_back(&o);
        }
        if (fds.empty()) return false;
        if (::poll(fds.data(), fds.size(), delai) < 0) return errno == EINTR;
        for (size_t k = 0; k < fds.size(); k++) {
            if (fds[k].revents == 0) continue;
            Ouvrier& o = *qui[k];
            Travail& t = travaux_[static_cast<size_t>(o.travail)];
            char tampon[64];
            const ssize_t n = ::read(o.reponses, tampon, sizeof tampon);
            if (n < 0 && errno == EINTR) continue;
            if (n > 0) o.recu.append(tampon, static_cast<size_t>(n));
            const auto fin = o.recu.find('\n');
            if (fin != std::string::npos) {
                const std::string ligne = o.recu.substr(0, fin);
                t.code = std::atoi(ligne.c_str());
                o.recu.erase(0, fin + 1);
                if (t.code == 4) {
                    const auto espace = ligne.find(' ');
                    const int erreur = espace == std::string::npos ? 0 : std::atoi(ligne.c_str() + espace + 1);
                    t.panne = "the worker could not open its log in " + racine_.string() + " (" +
                              std::strerror(erreur) + "); the image was not analysed";
                } else if (t.code > 1) {
                    t.panne = "the worker could not work in its directory";
                }
            } else if (n > 0) {
                continue;  // the rest of the answer is still to come
            } else {
                t.panne = Cause(Arrete(o));  // died during the image; a new one takes the next
            }
            t.etat = Etat::fini;
            o.travail = -1;
            if (!t.panne.empty() && o.pid > 0) Arrete(o);
        }
        return true;
    }

    bool ecrit_entree(std::FILE* f)
    {
        const Travail& t = travaux_[travaux_[ecrits_].origine];
        const std::string& image = travaux_[ecrits_].image;
        if (g_journal_relaye) Relaie(journal(t.origine, ".out"), stdout);
        Relaie(journal(t.origine, ".err"), stderr);
        bool bon;
        Frontend_courant().batch_image_begin(image);  // its messages name it
        const bool ancienne = t.liste_existait && Meme_liste(image + ".xml", t.liste_avant);
        if (t.panne.empty() && !ancienne) {
            const bool symboles = Ecrit_entree_lot(f, image);
            bon = symboles && t.code == 0;
        } else if (t.panne.empty()) {
            Ecrit_entree_sans_symboles(f, image);
            bon = false;
        } else {
            std::fprintf(stderr, "tracemorph: %s: %s; its entry has no symbols\n", image.c_str(), t.panne.c_str());
            Ecrit_entree_sans_symboles(f, image);
            bon = false;
        }
        if (!bon) {
            Echecs_lot++;
            if (!t.panne.empty()) Marque_echec_image(image);
        }
        ecrits_++;
        Fin_image_lot(static_cast<int>(ecrits_), static_cast<int>(travaux_.size()), image);
        return bon;
    }

    fs::path racine_;
    std::vector<Travail> travaux_;
    std::vector<Ouvrier> ouvriers_;
    size_t distincts_ = 0, suivant_ = 0, ecrits_ = 0;
};

}  // namespace

int Lot_parallele(const std::vector<std::string>& images, int jobs, bool journal)
{
    g_journal_relaye = journal;
    // The workers read the settings; they are made here, once, first.
    Verifie_reglages(Rep_travail + "/models");
    const char* tmp = std::getenv("TMPDIR");
    // The process's id in the name: a later batch recognises the directory
    // of one that was killed outright.
    std::string modele =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/tracemorph-batch-" + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(modele.data())) {
        std::fprintf(stderr, "tracemorph: cannot create a directory for the workers (%s): running in this process\n",
                     std::strerror(errno));
        return OuvrirLot1Click();
    }
    const fs::path racine(modele);
    Echecs_lot = 0;
    int reco = 0;
    if (Lit_param_entier_net("Bool_reco", reco) && reco != 0) Verifie_modeles(Rep_travail + "/models");
    Lot lot(images, racine);
    const size_t nb = std::min(static_cast<size_t>(jobs), lot.distincts());
    for (size_t k = 0; k < nb; k++) {
        const fs::path rep = racine / ("w" + std::to_string(k));
        if (!Prepare_repertoire(rep)) break;
        lot.ajoute_ouvrier(rep.string());
    }

    int statut = 1;
    const std::string chemin_resultats = Rep_travail + "/FINAL_RESULTS.GRE";
    if (lot.sans_ouvrier()) {
        std::fprintf(stderr, "tracemorph: cannot prepare the workers' directories: running in this process\n");
        statut = OuvrirLot1Click();
    } else if (std::FILE* f = Ouvre_resultats_lot(chemin_resultats)) {
        // A worker that dies makes writing to it fail with EPIPE instead.
        struct sigaction ignore {}, note {}, avant[4] {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &avant[0]);
        // Interrupted, the batch stops its workers and removes their
        // directories before ending by the same signal.
        note.sa_handler = Note_interruption;
        const int signaux[3] = {SIGINT, SIGTERM, SIGHUP};
        for (int k = 0; k < 3; k++) {
            ::sigaction(signaux[k], nullptr, &avant[k + 1]);
            // A signal the caller ignores (a background job's SIGINT) stays ignored.
            if (avant[k + 1].sa_handler != SIG_IGN) ::sigaction(signaux[k], &note, nullptr);
        }
        const bool tout_bon = lot.execute(f);
        ::sigaction(SIGPIPE, &avant[0], nullptr);
        for (int k = 0; k < 3; k++) ::sigaction(signaux[k], &avant[k + 1], nullptr);
        if (g_interruption) {
            Abandonne_resultats_lot(f);  // the previous results file stays
            Message_interruption(static_cast<int>(lot.faites()), static_cast<int>(lot.total()));
        } else {
            statut = Ferme_resultats_lot(f, chemin_resultats) && tout_bon ? 0 : 1;
            Efface_texte();
            Ecrit_texte(1, "Batch done.");
        }
    }
    std::error_code ec;
    fs::remove_all(racine, ec);
    if (g_interruption) ::raise(g_interruption);
    return statut;
}
