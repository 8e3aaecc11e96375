#include "batch/interruption.h"

#include <unistd.h>

#include <cstring>

#include "image/programmes.h"
#include "output/ecriture.h"

namespace {

constexpr int kSignaux[3] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t g_faites = 0;
volatile sig_atomic_t g_total = 0;

// Decimal text of n >= 0 at the end of `fin`; returns its start.
char* Decimal(int n, char* fin)
{
    char* p = fin;
    do *--p = static_cast<char>('0' + n % 10);
    while ((n /= 10) > 0);
    return p;
}

void Ecrit(const char* texte, size_t n)
{
    while (n > 0) {
        const ssize_t r = ::write(STDERR_FILENO, texte, n);
        if (r <= 0) return;
        texte += r;
        n -= static_cast<size_t>(r);
    }
}
void Ecrit(const char* texte) { Ecrit(texte, std::strlen(texte)); }

void Termine_par(int sig)
{
    Termine_programmes_en_cours();
    Supprime_resultats_en_cours();
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void Interrompt_lot(int sig)
{
    Termine_programmes_en_cours();
    Supprime_resultats_en_cours();
    Message_interruption(g_faites, g_total);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

}  // namespace

void Message_interruption(int faites, int total)
{
    char a[16], b[16];
    char* fa = Decimal(faites < 0 ? 0 : faites, a + sizeof a);
    char* fb = Decimal(total < 0 ? 0 : total, b + sizeof b);
    Ecrit("tracemorph: batch interrupted after ");
    Ecrit(fa, static_cast<size_t>(a + sizeof a - fa));
    Ecrit(" of ");
    Ecrit(fb, static_cast<size_t>(b + sizeof b - fb));
    Ecrit(" images; FINAL_RESULTS.GRE is left as it was. The files of the images done are complete: "
          "tracemorph --gather with those images rebuilds it from them.\n");
}

Garde_interruption::Garde_interruption(int total)
{
    g_faites = 0;
    g_total = total;
    struct sigaction note {};
    note.sa_handler = Interrompt_lot;
    sigemptyset(&note.sa_mask);
    for (int k = 0; k < 3; k++) {
        ::sigaction(kSignaux[k], nullptr, &avant_[k]);
        if (avant_[k].sa_handler != SIG_IGN) ::sigaction(kSignaux[k], &note, nullptr);
    }
}

Garde_interruption::~Garde_interruption()
{
    for (int k = 0; k < 3; k++) ::sigaction(kSignaux[k], &avant_[k], nullptr);
}

void Garde_interruption::Note_images_faites(int faites) { g_faites = faites; }

void Protege_ecritures_ouvrier() { Protege_ecritures(); }

void Protege_ecritures()
{
    struct sigaction fin {}, avant {};
    fin.sa_handler = Termine_par;
    sigemptyset(&fin.sa_mask);
    for (int sig : kSignaux) {
        ::sigaction(sig, nullptr, &avant);
        if (avant.sa_handler != SIG_IGN) ::sigaction(sig, &fin, nullptr);
    }
}
