#include "reco/apparieurs.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "port/installation.h"
#include "port/shell.h"

extern char** environ;

double Lit_nombre(int debut, std::string_view texte)
{
    if (debut < 0 || static_cast<size_t>(debut) >= texte.size()) return 0;
    size_t fin = static_cast<size_t>(debut);
    while (fin < texte.size() && fin - static_cast<size_t>(debut) < 19 &&
           ((texte[fin] >= '0' && texte[fin] <= '9') || texte[fin] == '.'))
        fin++;
    double v = 0;
    // from_chars reads the longest decimal prefix ("0.5.3" gives 0.5) and,
    // unlike strtod, ignores the locale the window may have set.
    if (std::from_chars(texte.data() + debut, texte.data() + fin, v).ec != std::errc()) return 0;
    return v;
}

std::string Chemin_apparieur(const std::string& nom)
{
    const std::string local = Rep_travail + "/simgraph/" + nom;
    if (::access(local.c_str(), F_OK) == 0) return local;
    const std::string rep = Rep_programme();
    return rep.empty() ? local : rep + "/simgraph/" + nom;
}

double Delai_apparieur()
{
    if (const char* e = std::getenv("TRACEMORPH_MATCHER_TIMEOUT")) {
        // Read as in the C locale, whatever the window's locale says.
        const char* fin = e + std::strlen(e);
        double v = 0;
        const auto r = std::from_chars(e, fin, v);
        if (r.ec == std::errc() && r.ptr == fin && v > 0) return v;
    }
    return 60.0;
}

namespace {

// Starts the program directly (no command interpreter, so any path works)
// and waits for it to exit; past the time limit it is killed. A program
// that cannot be started simply leaves no answer behind.
void Lance(const std::string& programme, const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(programme.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, programme.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return;

    const auto limite = std::chrono::steady_clock::now() + std::chrono::duration<double>(Delai_apparieur());
    bool fini = false;
    // A pid file descriptor becomes readable when the process exits: the
    // wait needs neither polling nor a signal handler.
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    for (;;) {
        const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(limite - std::chrono::steady_clock::now());
        if (reste.count() <= 0) break;
        if (fd >= 0) {
            pollfd p{fd, POLLIN, 0};
            const int r = ::poll(&p, 1, static_cast<int>(std::min<long long>(reste.count() + 1, INT_MAX)));
            if (r > 0) {
                fini = true;
                break;
            }
            if (r < 0 && errno != EINTR) break;
        } else {
            // Kernels without pid descriptors: check the child every 10 ms.
            int statut;
            if (::waitpid(pid, &statut, WNOHANG) == pid) return;
            ::usleep(10000);
        }
    }
    if (fd >= 0) ::close(fd);
    if (!fini) {
        ::kill(pid, SIGKILL);
        // Whatever the killed matcher had begun to write is not an answer.
        int statut;
        while (::waitpid(pid, &statut, 0) < 0 && errno == EINTR) {
        }
        std::remove("result.txt");
        return;
    }
    int statut;
    while (::waitpid(pid, &statut, 0) < 0 && errno == EINTR) {
    }
}

double Lit_reponse(const char* fichier)
{
    std::FILE* f = std::fopen(fichier, "rb");
    if (!f) {
        Message_boite("Ouverture impossible", "Erreur");
        return -255;
    }
    char ligne[500] = "";
    if (!std::fgets(ligne, sizeof ligne, f)) ligne[0] = '\0';
    std::fclose(f);
    return Lit_nombre(4, ligne);
}

double Appel_simple(const char* nom)
{
    std::remove("result.txt");
    Lance(Chemin_apparieur(nom), {"G1.gxl", "G2.gxl"});
    return Lit_reponse("result.txt");
}

}  // namespace

double Appel_gsignature() { return Appel_simple("gsignature"); }
double Appel_greedy() { return Appel_simple("greedy"); }
double Appel_auction() { return Appel_simple("auction"); }

double Appel_simgraph()
{
    const std::string programme = Chemin_apparieur("simgraph");
    const std::string proprietes = Chemin_apparieur("properties.xml");
    std::remove("result.txt");
    // A first direction that fails must not let an older answer stand in.
    std::remove("result1.txt");
    Lance(programme, {"G1.gxl", "G2.gxl", proprietes});
    std::rename("result.txt", "result1.txt");
    Lance(programme, {"G2.gxl", "G1.gxl", proprietes});
    const double a = Lit_reponse("result1.txt");
    const double b = Lit_reponse("result.txt");
    if (a > b) {
        std::remove("result.txt");
        std::rename("result1.txt", "result.txt");
        return a;
    }
    std::remove("result1.txt");
    return b;
}
