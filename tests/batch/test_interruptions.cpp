// A run ended by SIGINT, SIGTERM or SIGHUP while an outside program works:
// the program's whole group ends with it, and no temporary file nor worker
// directory stays. The outside program is a script that starts a child of
// its own and hangs; it notes both ids when it starts.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/batch/resultats_attendus.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;
using tmtest::Ecrit_chaine;
using tmtest::Lit_texte;

namespace {

using Horloge = std::chrono::steady_clock;

// Generous bounds: only a run that never gets there fails (sanitizers are slow).
constexpr auto kAttente = std::chrono::seconds(60);

// True once `condition` holds, polled every 10 ms up to kAttente.
template <class F>
bool Attend(F condition)
{
    const auto fin = Horloge::now() + kAttente;
    while (!condition()) {
        if (Horloge::now() > fin) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Gone, or a zombie nobody reaps yet: in either case no longer running.
bool Fini(pid_t pid)
{
    if (::kill(pid, 0) != 0) return true;
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string s;
    std::getline(f, s);
    const auto p = s.rfind(')');
    return p == std::string::npos || (p + 2 < s.size() && (s[p + 2] == 'Z' || s[p + 2] == 'X'));
}

class Interruptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::mt19937_64 rng(std::random_device{}());
        racine = fs::temp_directory_path() / ("tracemorph-sig-" + std::to_string(::getpid()) + "-" + std::to_string(rng()));
        courant = racine / "courant";
        tmp = racine / "tmp";
        fs::create_directories(courant / "img");
        fs::create_directories(courant / "simgraph");
        fs::create_directories(courant / "models");
        fs::create_directories(tmp);
        auto p = tmtest::Parametres_defaut();
        p["Bool_reco"] = "11";
        p["Seuil_ScoreQ"] = "0.35";
        p["distZI"] = "55";
        tmtest::Ecrit_param(courant, p);
        fs::copy_file(fs::path(TM_TEST_DATA) / "models" / "resistor.gxl", courant / "models" / "resistor.gxl");
        fs::copy_file(fs::path(TM_TEST_DATA) / "bath_plan.bmp", courant / "img" / "a.bmp");
        fs::copy_file(fs::path(TM_TEST_DATA) / "drawing.gif", courant / "img" / "b.gif");
        // Not this project's own, so it is started; hangs with a child.
        const std::string script = "#!/bin/sh\n[ \"$1\" = --identify ] && exit 1\nsleep 1000 &\necho \"$$ $!\" > \"" +
                                   (racine / "marque.tmp").string() + "\"\nmv \"" + (racine / "marque.tmp").string() +
                                   "\" \"" + (racine / "marque").string() + "\"\nwait\n";
        for (const fs::path& prog : {courant / "simgraph" / "auction", courant / "cxconvert"}) {
            Ecrit_chaine(prog, script);
            fs::permissions(prog, fs::perms::owner_all);
        }
    }
    void TearDown() override
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        for (pid_t p : marques_)
            if (p > 0) ::kill(p, SIGKILL);
        fs::remove_all(racine);
    }

    void Demarre(const std::vector<std::string>& args)
    {
        const std::string prog = TM_BUILD_DIR "/tracemorph";
        pid_ = ::fork();
        if (pid_ == 0) {
            if (::chdir(courant.c_str()) != 0) ::_exit(126);
            ::setenv("TRACEMORPH_LOCAL_PROGRAMS", "1", 1);
            ::setenv("TMPDIR", tmp.c_str(), 1);
            const int nul = ::open("/dev/null", O_RDWR);
            ::dup2(nul, 0);
            ::dup2(nul, 1);
            ::dup2(nul, 2);
            // As from a shell: the three signals at their default action.
            for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::signal(sig, SIG_DFL);
            std::vector<char*> argv{const_cast<char*>(prog.c_str())};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(prog.c_str(), argv.data());
            ::_exit(127);
        }
    }
    // The ids the hanging program noted, once it runs.
    bool Programme_lance()
    {
        if (!Attend([&] { return fs::exists(racine / "marque"); })) return false;
        std::istringstream s(Lit_texte(racine / "marque"));
        pid_t a = 0, b = 0;
        s >> a >> b;
        marques_ = {a, b};
        return a > 0 && b > 0;
    }
    // The wait status of the run, or -1 when it does not end.
    int Fin_du_lancement()
    {
        int st = -1;
        if (!Attend([&] { return ::waitpid(pid_, &st, WNOHANG) == pid_; })) return -1;
        pid_ = -1;
        return st;
    }
    std::vector<std::string> Temporaires()
    {
        std::vector<std::string> t;
        for (const auto& e : fs::recursive_directory_iterator(racine))
            if (e.path().filename().string()[0] == '.' && e.path().extension() == ".tmp") t.push_back(e.path().string());
        for (const auto& e : fs::directory_iterator(tmp)) t.push_back(e.path().string());
        return t;
    }

    fs::path racine, courant, tmp;
    pid_t pid_ = -1;
    std::vector<pid_t> marques_;
};

TEST_F(Interruptions, SignalsEndTheOutsideProgramsGroupAndLeaveNoTemporaryFile)
{
    struct Mode {
        const char* nom;
        std::vector<std::string> args;
    };
    const Mode modes[] = {
        {"batch, in this process", {"-q", "--batch", "img/a.bmp"}},
        {"batch, two workers", {"-q", "--batch", "--jobs", "2", "img/a.bmp", "img/b.gif"}},
        {"one image", {"-q", "img/b.gif"}},
        {"drawing", {"-q", "--draw", "vectors", "img/b.gif", "b.png"}},
    };
    for (const Mode& m : modes) {
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
            SCOPED_TRACE(std::string(m.nom) + ", signal " + std::to_string(sig));
            fs::remove(racine / "marque");
            Demarre(m.args);
            ASSERT_TRUE(Programme_lance());
            ::kill(pid_, sig);
            const int st = Fin_du_lancement();
            ASSERT_NE(st, -1);
            EXPECT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == sig) << st;
            for (pid_t p : marques_) EXPECT_TRUE(Attend([p] { return Fini(p); })) << "process " << p << " still runs";
            EXPECT_EQ(Temporaires(), std::vector<std::string>{});
        }
    }
}

}  // namespace
