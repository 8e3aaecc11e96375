// Stage timings of the analysis on real drawings, and the whole command-line
// run against potrace on the same file.
//   bench_pipeline [--repeat N] [--stages] [IMAGE.bmp...]
// Without an image: the corpus's A4 sheet at 300 dpi and the A0 sheet made
// from it by tiling 4 x 4 (bench/feuille_a0.py, in the working directory).
// Stages are timed in process CPU time (steady on a shared machine), the
// median of N runs (default 5). The whole run is started 9 times for each
// program: median wall time, median user+system time, the ratio of both
// against potrace, and the peak resident memory. Spawns the tracemorph beside
// the benchmark; needs param.dat in the source tree and potrace on the PATH
// for the ratio.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "port/shell.h"
#include "vecto/arcs.h"
#include "graph/construction.h"
#include "spotting/incidence.h"
#include "spotting/spotting.h"
#include "spotting/symboles.h"
#include "image/chargement.h"
#include "spotting/etat_analyse.h"
#include "image/param.h"
#include "image/planes.h"
#include "output/resultats.h"
#include "vecto/axe_median.h"
#include "vecto/contours.h"
#include "vecto/fusion_quads.h"
#include "vecto/fusion_vecteurs.h"
#include "vecto/pretraitement.h"
#include "vecto/quads.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {

double Cpu_ms()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// CPU time of the process (every thread) and wall time of f, in ms.
std::pair<double, double> Chrono(const std::function<void()>& f)
{
    const double c0 = Cpu_ms();
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const double mur = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    return {Cpu_ms() - c0, mur};
}

double Mediane(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Execution {
    double mur = 0, cpu = 0;  // wall and user+system milliseconds
    long max_kb = 0;          // peak resident memory
};

// Runs a program, returns its wall and CPU milliseconds and peak memory.
bool Lance(const std::vector<std::string>& args, Execution& ex)
{
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) return false;
    int statut;
    struct rusage ru {};
    wait4(pid, &statut, 0, &ru);
    ex.mur = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    ex.cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
             static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
    ex.max_kb = ru.ru_maxrss;
    posix_spawn_file_actions_destroy(&fa);
    return WIFEXITED(statut) && WEXITSTATUS(statut) == 0;
}

// param.dat of the working directory with Seuil_ScoreQ set to `valeur`
// (empty: the repository's value).
void Seuil_spotting(const std::string& valeur)
{
    std::ifstream in(fs::path(TM_SOURCE_DIR) / "param.dat", std::ios::binary);
    std::stringstream tout;
    tout << in.rdbuf();
    std::string texte = tout.str();
    const std::string cle = "#Seuil_ScoreQ#\n=";
    const size_t p = texte.find(cle);
    if (!valeur.empty() && p != std::string::npos) {
        const size_t debut = p + cle.size();
        texte.replace(debut, texte.find('#', debut) - debut, valeur);
    }
    std::ofstream("param.dat", std::ios::binary) << texte;
}

// The spotting command from the same graph and the same quadrilateral order
// each time, with the index and with the literal scans.
void Mesure_spotting()
{
    std::vector<Quad*> ordre;
    for (Quad* q = Liste_quads; q; q = q->suivant) ordre.push_back(q);
    auto une_fois = [&](const std::string& seuil, bool direct) {
        Seuil_spotting(seuil);
        Liste_quads = nullptr;
        Quad* queue = nullptr;
        for (Quad* q : ordre) queue = Ajoute_en_queue(Liste_quads, queue, q);
        Libere_liste(Liste_symboles);
        Spotting_recherche_directe = direct;
        // Processor time too: the sub-graph files make the wall time wait on
        // the disk, and on a shared machine on the other processes.
        timespec c0, c1;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
        const auto t0 = std::chrono::steady_clock::now();
        LiaisonsB1Click();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
        Spotting_recherche_directe = false;
        return std::pair{ms, (c1.tv_sec - c0.tv_sec) * 1e3 + (c1.tv_nsec - c0.tv_nsec) * 1e-6};
    };
    // The first run turns '~' and '_' into 'S' in the arcs it writes, which
    // the later runs score as such.
    for (const char* seuil : {"", "0.5", "2"}) {
        const auto [ti, pi] = une_fois(seuil, false);
        const int symboles = Compte_liste(Liste_symboles);
        const auto [td, pd] = une_fois(seuil, true);
        std::printf("   %-28s %9.1f ms  (processor %.1f ms), literal scans %.1f ms (%.1f ms), %d symbols\n",
                    (std::string("spotting, threshold ") + (*seuil ? seuil : "param.dat")).c_str(), ti, pi, td, pd,
                    symboles);
    }
    Seuil_spotting("");
}

// Median of 9 whole runs of a program on the image; false when one failed.
bool Execution_mediane(const std::vector<std::string>& args, Execution& m)
{
    std::vector<double> mur, cpu;
    long kb = 0;
    for (int i = 0; i < 9; i++) {
        Execution ex;
        if (!Lance(args, ex)) return false;
        mur.push_back(ex.mur);
        cpu.push_back(ex.cpu);
        kb = std::max(kb, ex.max_kb);
    }
    m.mur = Mediane(mur);
    m.cpu = Mediane(cpu);
    m.max_kb = kb;
    return true;
}

struct Runs {
    Execution tm, tm1, pt;
    bool ok_tm = false, ok_tm1 = false, ok_pt = false;
};

// The whole runs of both programs on an image. Done for every image before
// the benchmark itself loads any: a child's peak memory counts the memory of
// the process it was started from, which must still be small.
Runs Executions(const std::string& image, const std::string& programme)
{
    Runs r;
    r.ok_tm = Execution_mediane({programme, image}, r.tm);
    // The same on one thread: the processor time the analysis itself needs.
    const char* avant = std::getenv("TRACEMORPH_THREADS");
    const std::string fils = avant ? avant : "";
    setenv("TRACEMORPH_THREADS", "1", 1);
    r.ok_tm1 = Execution_mediane({programme, image}, r.tm1);
    if (avant) setenv("TRACEMORPH_THREADS", fils.c_str(), 1);
    else unsetenv("TRACEMORPH_THREADS");
    r.ok_pt = Execution_mediane({"potrace", "-b", "svg", "-o", "/dev/null", image}, r.pt);
    return r;
}

bool Etapes_seules = false;  // --stages: the stage timings only

void Mesure(const std::string& image, const Runs& runs, int repetitions)
{
    std::printf("\n== %s\n", image.c_str());
    std::vector<std::string> noms;
    std::vector<std::vector<double>> temps, murs;
    std::string bilan_vecto, bilan_graphe;
    int larg = 0, haut = 0;
    for (int rep = 0; rep < repetitions; rep++) {
        size_t i = 0;
        auto etape = [&](const char* nom, const std::function<void()>& f) {
            const auto [cpu, mur] = Chrono(f);
            if (i == noms.size()) {
                noms.emplace_back(nom);
                temps.emplace_back();
                murs.emplace_back();
            }
            murs[i].push_back(mur);
            temps[i++].push_back(cpu);
        };
        etape("load", [&] { Open(image); });
        if (!Plan_courant) {
            std::printf("   cannot load\n");
            return;
        }
        larg = Largeur;
        haut = Hauteur;
        int v0 = 0;
        // The vectorisation command's sequence, stage by stage.
        etape("preprocessing", [] { Pretraitement(Lit_param_entier("Force_morpho")); });
        etape("clear Plan2", [] { Efface_P2(); });
        etape("contour following", [&] { Suivi_contours(); v0 = Compte_liste(Liste_vecteurs); });
        etape("chain fusion", [] { while (Fusion_chaines() != 0) {} });
        etape("CC cleaning", [] {
            const int s = Lit_param_entier("Seuil_petiteCC");
            Nettoyage_CC(s, Lit_param_entier("Seuil_petitV"));
        });
        etape("quadrilateral construction", [] { Construction_quads(); });
        etape("quadrilateral fusion", [] {
            const int s = Lit_param_entier("Seuil_penteTQ");
            Memo_blancs memo;
            do Chainage_quads(s);
            while (Fusion_quads(&memo) != 0);
        });
        etape("vector fusion", [] {
            const int s = Lit_param_entier("Seuil_penteTQ");
            do Chainage_vecteurs(s);
            while (Fusion_vecteurs() != 0);
        });
        char t[200];
        std::snprintf(t, sizeof t, "contour vectors %d -> vectors %d, Nb_quads %d (separators included), CCs %d", v0,
                      Compte_liste(Liste_vecteurs), Nb_quads, Compte_liste(Liste_CC));
        bilan_vecto = t;
        etape("graph construction", [] { Commande_graphe(); });
        std::snprintf(t, sizeof t, "arcs QQ %d, VV %d, QV %d", Compte_liste(Liste_arcs_QQ), Compte_liste(Liste_arcs_VV),
                      Compte_liste(Liste_arcs_QV));
        bilan_graphe = t;
        etape("result files", [] {
            Ecrit_resultats_et_graphe(Rep_travail + "/Rlignaxe.dat", Rep_travail + "/Rlignaxe.gxl", Liste_vecteurs,
                                      Liste_quads, Liste_CC, Liste_arcs_QQ, Liste_arcs_VV, Liste_arcs_QV,
                                      Lit_param_entier("Format_GXL"));
        });
        etape("median axis (own command)", [] { Axe_median(); });
        Ferme_image();
        // The vectorisation command as the program runs it: the vector
        // fusion beside the quadrilateral fusion on large drawings.
        Open(image);
        etape("vectorisation command", [] { Commande_vectorisation(); });
        Ferme_image();
    }
    std::printf("   CPU ms of every thread (wall ms), median of %d runs; image %d x %d\n", repetitions, larg, haut);
    double vecto = 0;
    for (size_t i = 0; i < noms.size(); i++) {
        const double ms = Mediane(temps[i]);
        const std::string& n = noms[i];
        std::printf("   %-28s %9.1f ms (%5.1f)", n.c_str(), ms, Mediane(murs[i]));
        if (n == "graph construction") std::printf("  %s", bilan_graphe.c_str());
        std::printf("\n");
        if (n != "load" && n != "graph construction" && n != "result files" && n != "median axis (own command)" &&
            n != "vectorisation command")
            vecto += ms;
        if (n == "vector fusion")
            std::printf("   %-28s %9.1f ms         %s\n", "= vectorisation", vecto, bilan_vecto.c_str());
    }

    if (Etapes_seules) return;
    // The spotting command on a fresh graph of the image.
    Open(image);
    Commande_vectorisation();
    Commande_graphe();
    Mesure_spotting();
    Ferme_image();

    const Execution& tm = runs.tm;
    const Execution& pt = runs.pt;
    const bool ok = runs.ok_tm;
    std::printf("   whole runs, median of 9:\n");
    std::printf("   %-28s %9.1f ms wall %9.1f ms user+sys  peak %.1f MB%s\n", "tracemorph IMAGE", tm.mur, tm.cpu,
                static_cast<double>(tm.max_kb) / 1024, ok ? "" : "  (FAILED)");
    const Execution& tm1 = runs.tm1;
    std::printf("   %-28s %9.1f ms wall %9.1f ms user+sys  peak %.1f MB%s\n", "  on one thread", tm1.mur, tm1.cpu,
                static_cast<double>(tm1.max_kb) / 1024, runs.ok_tm1 ? "" : "  (FAILED)");
    if (runs.ok_pt) {
        std::printf("   %-28s %9.1f ms wall %9.1f ms user+sys  peak %.1f MB\n", "potrace -b svg", pt.mur, pt.cpu,
                    static_cast<double>(pt.max_kb) / 1024);
        std::printf("   %-28s %9.2f    wall %9.2f    user+sys  peak %.2f\n", "ratio tracemorph/potrace", tm.mur / pt.mur,
                    tm.cpu / pt.cpu, static_cast<double>(tm.max_kb) / static_cast<double>(pt.max_kb));
        std::printf("   %-28s %9.2f    wall %9.2f    user+sys\n", "  on one thread", tm1.mur / pt.mur, tm1.cpu / pt.cpu);
    } else {
        std::printf("   potrace not available\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> images;
    int repetitions = 5;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) repetitions = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--stages") == 0) Etapes_seules = true;
        else images.emplace_back(argv[i]);
    }
    const fs::path programme = fs::absolute(fs::path(argv[0]).parent_path() / "tracemorph");
    const fs::path travail = fs::temp_directory_path() / ("tracemorph-bench-" + std::to_string(getpid()));
    fs::create_directories(travail);
    if (images.empty()) {
        // The corpus's A4 sheet at 300 dpi and the A0 sheet tiled from it
        // (made here, not stored).
        const fs::path a4 = fs::path(TM_SOURCE_DIR) / ".." / "shared" / "corpus" / "big" / "a4_300dpi_sheet.bmp";
        const fs::path a0 = travail / "a0_300dpi_sheet.bmp";
        Execution ex;
        if (!fs::exists(a4) ||
            !Lance({"python3", (fs::path(TM_SOURCE_DIR) / "bench" / "feuille_a0.py").string(), "--a4", a4.string(),
                    a0.string()},
                   ex)) {
            std::fprintf(stderr, "usage: bench_pipeline [--repeat N] [--stages] [IMAGE.bmp...]\n"
                                 "(without an image: the A4 sheet of ../shared/corpus/big and the A0 sheet tiled from it)\n");
            fs::remove_all(travail);
            return 2;
        }
        images = {fs::canonical(a4).string(), a0.string()};
    }
    fs::copy_file(fs::path(TM_SOURCE_DIR) / "param.dat", travail / "param.dat", fs::copy_options::overwrite_existing);
    for (auto& im : images) im = fs::absolute(im).string();
    fs::current_path(travail);
    Capture_repertoires();
    std::vector<Runs> runs;
    for (const auto& im : images) runs.push_back(Etapes_seules ? Runs{} : Executions(im, programme.string()));
    for (size_t i = 0; i < images.size(); i++) Mesure(images[i], runs[i], repetitions);
    fs::current_path("/");
    fs::remove_all(travail);
    return 0;
}
