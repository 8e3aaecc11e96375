#include "app/cli/lot_ligne_commande.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "port/frontends.h"
#include "port/shell.h"
#include "batch/batch.h"
#include "batch/lot_parallele.h"
#include "batch/resultats_lot.h"

namespace {

int Usage()
{
    std::fputs("Usage: tracemorph --batch [--jobs N] IMAGE...\n"
               "       tracemorph --gather IMAGE...\n"
               "       tracemorph [IMAGE]\n"
               "Try 'tracemorph --help' for more information.\n",
               stderr);
    return 2;
}

// "--jobs N" or "--jobs=N" with N a whole number from 1 up; false otherwise.
bool Lit_jobs(const char* texte, int& jobs)
{
    if (!texte || !*texte) return false;
    errno = 0;
    char* fin = nullptr;
    const long n = std::strtol(texte, &fin, 10);
    if (errno != 0 || *fin != '\0' || n < 1 || n > 1024) return false;
    jobs = static_cast<int>(n);
    return true;
}

// Options first, then the images; "--" ends the options so that an image
// whose name starts with "-" can be given. False on a usage error.
bool Lit_arguments(int argc, char** argv, bool avec_jobs, int& jobs, std::vector<std::string>& images)
{
    int i = 2;
    for (; i < argc; i++) {
        const char* a = argv[i];
        if (std::strcmp(a, "--") == 0) {
            i++;
            break;
        }
        if (a[0] != '-' || a[1] == '\0') break;
        if (avec_jobs && std::strcmp(a, "--jobs") == 0) {
            if (!Lit_jobs(i + 1 < argc ? argv[i + 1] : nullptr, jobs)) return false;
            i++;
        } else if (avec_jobs && std::strncmp(a, "--jobs=", 7) == 0) {
            if (!Lit_jobs(a + 7, jobs)) return false;
        } else {
            return false;
        }
    }
    for (; i < argc; i++) images.emplace_back(argv[i]);
    return true;
}

int Rassemble(const std::vector<std::string>& images)
{
    const std::string chemin = Rep_travail + "/FINAL_RESULTS.GRE";
    std::FILE* f = Ouvre_resultats_lot(chemin);
    if (!f) return 1;
    bool tout_bon = true;
    for (const std::string& image : images) {
        const std::string copie = image + ".xml";
        if (std::FILE* x = std::fopen(copie.c_str(), "rb")) {
            std::fclose(x);
            tout_bon = Ecrit_entree_lot(f, image) && tout_bon;
        } else {
            std::fprintf(stderr, "tracemorph: cannot read %s (%s): the entry of %s has no symbols\n", copie.c_str(),
                         std::strerror(errno), image.c_str());
            Ecrit_entree_sans_symboles(f, image);
            tout_bon = false;
        }
    }
    return Ferme_resultats_lot(f, chemin) && tout_bon ? 0 : 1;
}

}  // namespace

int Main_lot_ligne_commande(int argc, char** argv)
{
    const std::string option = argv[1];
    int jobs = 1;
    std::vector<std::string> images;
    if (option == kOptionOuvrier) {
        if (argc != 3) return Usage();
    } else if (!Lit_arguments(argc, argv, option == "--batch", jobs, images)) {
        return Usage();
    }
    FrontendLot console(option == "--batch" ? images : std::vector<std::string>{});
    Installe_frontend(&console);
    Capture_repertoires();
    int statut;
    if (option == kOptionOuvrier) {
        statut = Ouvrier_lot(argv[2], console);
    } else if (option == "--gather") {
        statut = Rassemble(images);
    } else if (jobs > 1 && !images.empty()) {
        statut = Lot_parallele(images, jobs);
    } else {
        statut = OuvrirLot1Click();
    }
    console.flush();
    Installe_frontend(nullptr);
    return statut;
}
