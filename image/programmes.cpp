#include "image/programmes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>

#include "port/installation.h"
#include "port/shell.h"
#include "port/identite.h"

extern char** environ;

namespace {

bool Existe(const std::string& chemin) { return ::access(chemin.c_str(), F_OK) == 0; }

bool Programmes_locaux()
{
    const char* e = std::getenv("TRACEMORPH_LOCAL_PROGRAMS");
    return e && std::strcmp(e, "1") == 0;
}

constexpr size_t kCapture = 64 * 1024;

// The process groups of the outside programs running now, for a handler of
// SIGINT, SIGTERM or SIGHUP that ends this process: a program left running
// would be re-parented to init with the whole group it started.
std::atomic<pid_t> g_groupes[16];
static_assert(std::atomic<pid_t>::is_always_lock_free);

std::atomic<pid_t>* Note_groupe(pid_t groupe)
{
    for (std::atomic<pid_t>& g : g_groupes) {
        pid_t libre = 0;
        if (g.compare_exchange_strong(libre, groupe)) return &g;
    }
    return nullptr;
}

// The three signals that end a run, blocked while a program is started and
// its group noted, so that no handler runs between the two.
sigset_t Signaux_de_fin()
{
    sigset_t s;
    sigemptyset(&s);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&s, sig);
    return s;
}

// Appends what the pipe holds now; false at its end (or on an error).
bool Lit_tube(int fd, std::string& texte, bool garde_la_fin)
{
    char tampon[4096];
    const ssize_t n = ::read(fd, tampon, sizeof tampon);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;
    texte.append(tampon, static_cast<size_t>(n));
    if (texte.size() > kCapture) {
        if (garde_la_fin) texte.erase(0, texte.size() - kCapture);
        else texte.resize(kCapture);
    }
    return true;
}

}  // namespace

std::string Chemin_programme(const std::string& relatif)
{
    const std::string local = Rep_travail + "/" + relatif;
    if (Programmes_locaux() && Existe(local)) return local;
    const std::string rep = Rep_programme();
    return rep.empty() ? std::string() : rep + "/" + relatif;
}

std::string Programme_cherche(const std::string& relatif)
{
    const std::string local = Rep_travail + "/" + relatif;
    const std::string rep = Rep_programme();
    std::string s = relatif + " not found: looked for " + (rep.empty() ? "it beside the program" : rep + "/" + relatif);
    if (Programmes_locaux()) return s + " and " + local;
    if (Existe(local)) s += " (" + local + " is used only with TRACEMORPH_LOCAL_PROGRAMS=1)";
    return s;
}

std::string Derniere_ligne(std::string_view texte)
{
    while (!texte.empty() && (texte.back() == '\n' || texte.back() == '\r')) texte.remove_suffix(1);
    const size_t p = texte.find_last_of('\n');
    return std::string(p == std::string_view::npos ? texte : texte.substr(p + 1));
}

bool Programme_du_projet(const std::string& chemin, std::string_view nom, bool nomme)
{
    struct stat st {};
    if (::stat(chemin.c_str(), &st) != 0) return false;
    // The file's identity: a program replaced in the meantime is asked again.
    using Cle = std::tuple<std::string, dev_t, ino_t, off_t, long long>;
    struct Reponse {
        bool notre = false, nomme = false;
    };
    static std::map<Cle, Reponse> connus;
    const Cle cle{chemin, st.st_dev, st.st_ino, st.st_size,
                  static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
    auto it = connus.find(cle);
    if (it == connus.end()) {
        // Our programs answer at once; another one is given a few seconds.
        const Execution_programme r = Execute_programme(chemin, {"--identify"}, 5.0, Flux_programme::sortie_capturee);
        // Stopped before it answered: nothing is known yet.
        if (r.fin == Execution_programme::arrete) return false;
        const bool notre = r.fin == Execution_programme::terminee && r.statut == 0 &&
                           r.sortie.substr(0, r.sortie.find('\n')) == Identite_programme(nom);
        // One that could not be started is never named.
        it = connus.emplace(cle, Reponse{notre, r.fin == Execution_programme::non_lance}).first;
    }
    if (nomme && !it->second.notre && !it->second.nomme) {
        it->second.nomme = true;
        Message_boite("Outside program used for " + std::string(nom) + ": " + chemin + " (not tracemorph's own)", "Info");
    }
    return it->second.notre;
}

Execution_programme Execute_programme(const std::string& programme, const std::vector<std::string>& arguments,
                                      double delai, Flux_programme flux)
{
    const bool sortie = flux == Flux_programme::sortie_capturee;
    Execution_programme r;
    // Stop clicked: nothing more is started.
    if (Arret_demande()) {
        r.fin = Execution_programme::arrete;
        r.raison = "stopped";
        return r;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(programme.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int err[2] = {-1, -1}, out[2] = {-1, -1};
    if (::pipe2(err, O_CLOEXEC) != 0 || (sortie && ::pipe2(out, O_CLOEXEC) != 0)) {
        for (int fd : {err[0], err[1], out[0], out[1]})
            if (fd >= 0) ::close(fd);
        r.raison = std::strerror(errno);
        return r;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (sortie) posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawnattr_t attributs;
    posix_spawnattr_init(&attributs);
    posix_spawnattr_setpgroup(&attributs, 0);
    const sigset_t fin = Signaux_de_fin();
    sigset_t masque;
    ::pthread_sigmask(SIG_BLOCK, &fin, &masque);
    // The program starts with the signal mask this thread had.
    posix_spawnattr_setsigmask(&attributs, &masque);
    posix_spawnattr_setflags(&attributs, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int e = posix_spawn(&pid, programme.c_str(), &actions, &attributs, argv.data(), environ);
    std::atomic<pid_t>* note = e == 0 ? Note_groupe(pid) : nullptr;
    ::pthread_sigmask(SIG_SETMASK, &masque, nullptr);
    posix_spawnattr_destroy(&attributs);
    posix_spawn_file_actions_destroy(&actions);
    ::close(err[1]);
    if (sortie) ::close(out[1]);
    if (e != 0) {
        ::close(err[0]);
        if (sortie) ::close(out[0]);
        r.raison = std::strerror(e);
        return r;
    }

    const pid_t groupe = pid;
    const auto limite = std::chrono::steady_clock::now() + std::chrono::duration<double>(delai);
    // A pid file descriptor becomes readable when the process exits: the
    // wait needs neither polling nor a signal handler.
    const int pfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    bool fini = false, arrete = false, err_ouvert = true, out_ouvert = sortie;
    int statut = 0;
    for (;;) {
        const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(limite - std::chrono::steady_clock::now());
        if (reste.count() <= 0) break;
        pollfd p[3];
        nfds_t n = 0;
        const int i_pid = pfd >= 0 ? static_cast<int>(n) : -1;
        if (pfd >= 0) p[n++] = {pfd, POLLIN, 0};
        const int i_err = err_ouvert ? static_cast<int>(n) : -1;
        if (err_ouvert) p[n++] = {err[0], POLLIN, 0};
        const int i_out = out_ouvert ? static_cast<int>(n) : -1;
        if (out_ouvert) p[n++] = {out[0], POLLIN, 0};
        // Kernels without pid descriptors: the child is checked every 10 ms.
        // The window handles its events (Stop among them) every 20 ms.
        const long long attente = std::min<long long>(reste.count() + 1, pfd >= 0 ? 20 : 10);
        const int k = ::poll(p, n, static_cast<int>(attente));
        if (k < 0 && errno != EINTR) break;
        if (k > 0) {
            if (i_err >= 0 && p[i_err].revents) err_ouvert = Lit_tube(err[0], r.erreurs, true);
            if (i_out >= 0 && p[i_out].revents) out_ouvert = Lit_tube(out[0], r.sortie, false);
            if (i_pid >= 0 && p[i_pid].revents) {
                fini = true;
                break;
            }
        }
        if (pfd < 0 && ::waitpid(pid, &statut, WNOHANG) == pid) {
            fini = true;
            pid = -1;  // already reaped
            break;
        }
        if (Arret_demande()) {
            arrete = true;
            break;
        }
    }
    if (pfd >= 0) ::close(pfd);
    // The group keeps the leader's id while the leader is not reaped: ending
    // the group first reaches every child it started, whatever happened.
    ::kill(-groupe, SIGKILL);
    if (pid > 0) {
        while (::waitpid(pid, &statut, 0) < 0 && errno == EINTR) {
        }
    }
    if (note) note->store(0);
    // What the killed children had written is still in the pipes.
    for (auto [fd, texte, ouvert, fin] : {std::tuple{err[0], &r.erreurs, err_ouvert, true},
                                          std::tuple{out[0], &r.sortie, out_ouvert, false}}) {
        if (fd < 0) continue;
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        while (ouvert) {
            const ssize_t avant = static_cast<ssize_t>(texte->size());
            ouvert = Lit_tube(fd, *texte, fin) && static_cast<ssize_t>(texte->size()) != avant;
        }
        ::close(fd);
    }
    if (flux == Flux_programme::erreurs_relayees && !r.erreurs.empty()) {
        const ssize_t ecrit = ::write(STDERR_FILENO, r.erreurs.data(), r.erreurs.size());
        (void)ecrit;
    }
    r.fin = fini ? Execution_programme::terminee : arrete ? Execution_programme::arrete : Execution_programme::delai;
    r.statut = WIFEXITED(statut) ? WEXITSTATUS(statut) : WIFSIGNALED(statut) ? 128 + WTERMSIG(statut) : -1;
    return r;
}

void Termine_programmes_en_cours()
{
    for (std::atomic<pid_t>& g : g_groupes)
        if (const pid_t groupe = g.load(); groupe > 0) ::kill(-groupe, SIGKILL);
}
