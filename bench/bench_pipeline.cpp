// Stage timings of the analysis on real drawings, and the whole command-line
// run against potrace on the same file.
//   bench_pipeline [--repeat N] IMAGE.bmp...
// Run from the build directory (it spawns ./tracemorph); needs param.dat in
// the source tree and potrace on the PATH for the ratio.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/shell.h"
#include "graph/arcs.h"
#include "graph/construction.h"
#include "spotting/incidence.h"
#include "spotting/spotting.h"
#include "spotting/symboles.h"
#include "image/chargement.h"
#include "image/param.h"
#include "image/planes.h"
#include "vecto/axe_median.h"
#include "vecto/contours.h"
#include "vecto/fusion_quads.h"
#include "vecto/fusion_vecteurs.h"
#include "vecto/pretraitement.h"
#include "vecto/quads.h"
#include "vecto/records.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {

double Chrono(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Runs a program, returns wall milliseconds and its peak resident memory (kB).
bool Lance(const std::vector<std::string>& args, double& ms, long& max_kb)
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
    ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    max_kb = ru.ru_maxrss;
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
        const double ms = Chrono([] { LiaisonsB1Click(); });
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

void Mesure(const std::string& image, const std::string& programme)
{
    std::printf("\n== %s\n", image.c_str());
    double t = Chrono([&] { Open(image); });
    if (!Plan_courant) {
        std::printf("   cannot load\n");
        return;
    }
    std::printf("   %-28s %9.1f ms  (%d x %d)\n", "load", t, Largeur, Hauteur);
    double total = 0;
    auto etape = [&](const char* nom, const std::function<void()>& f) {
        const double ms = Chrono(f);
        total += ms;
        std::printf("   %-28s %9.1f ms\n", nom, ms);
    };
    // The vectorisation command's sequence, stage by stage.
    etape("preprocessing", [] { Pretraitement(Lit_param_entier("Force_morpho")); });
    etape("clear Plan2", [] { Efface_P2(); });
    etape("contour following", [] { Suivi_contours(); });
    const int v0 = Compte_liste(Liste_vecteurs);
    etape("chain fusion", [] { while (Fusion_chaines() != 0) {} });
    etape("CC cleaning", [] {
        const int s = Lit_param_entier("Seuil_petiteCC");
        Nettoyage_CC(s, Lit_param_entier("Seuil_petitV"));
    });
    etape("quadrilateral construction", [] { Construction_quads(); });
    etape("quadrilateral fusion", [] {
        const int s = Lit_param_entier("Seuil_penteTQ");
        do Chainage_quads(s);
        while (Fusion_quads() != 0);
    });
    etape("vector fusion", [] {
        const int s = Lit_param_entier("Seuil_penteTQ");
        do Chainage_vecteurs(s);
        while (Fusion_vecteurs() != 0);
    });
    std::printf("   %-28s %9.1f ms  contour vectors %d -> vectors %d, Nb_quads %d (separators included), CCs %d\n", "= vectorisation", total,
                v0, Compte_liste(Liste_vecteurs), Nb_quads, Compte_liste(Liste_CC));
    t = Chrono([] { Commande_graphe(); });
    std::printf("   %-28s %9.1f ms  arcs QQ %d, VV %d, QV %d\n", "graph construction", t, Compte_liste(Liste_arcs_QQ),
                Compte_liste(Liste_arcs_VV), Compte_liste(Liste_arcs_QV));
    Mesure_spotting();
    t = Chrono([] { Axe_median(); });
    std::printf("   %-28s %9.1f ms\n", "median axis (own command)", t);
    Ferme_image();

    double ms_tm = 0, ms_pt = 0;
    long kb_tm = 0, kb_pt = 0;
    const bool ok = Lance({programme, image}, ms_tm, kb_tm);
    std::printf("   %-28s %9.1f ms  peak %ld MB%s\n", "tracemorph IMAGE", ms_tm, kb_tm / 1024, ok ? "" : "  (FAILED)");
    if (Lance({"potrace", "-b", "svg", "-o", "/dev/null", image}, ms_pt, kb_pt))
        std::printf("   %-28s %9.1f ms  peak %ld MB   ratio tracemorph/potrace %.2f\n", "potrace", ms_pt, kb_pt / 1024,
                    ms_tm / ms_pt);
    else
        std::printf("   potrace not available\n");
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> images;
    for (int i = 1; i < argc; i++) images.emplace_back(argv[i]);
    if (images.empty()) {
        std::fprintf(stderr, "usage: bench_pipeline IMAGE.bmp...\n");
        return 2;
    }
    const fs::path programme = fs::absolute(fs::path(argv[0]).parent_path() / "tracemorph");
    const fs::path travail = fs::temp_directory_path() / ("tracemorph-bench-" + std::to_string(getpid()));
    fs::create_directories(travail);
    fs::copy_file(fs::path(TM_SOURCE_DIR) / "param.dat", travail / "param.dat", fs::copy_options::overwrite_existing);
    for (auto& im : images) im = fs::absolute(im).string();
    fs::current_path(travail);
    Capture_repertoires();
    for (const auto& im : images) Mesure(im, programme.string());
    fs::current_path("/");
    fs::remove_all(travail);
    return 0;
}
