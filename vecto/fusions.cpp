#include "vecto/fusions.h"

#include <exception>
#include <string>
#include <system_error>
#include <thread>

#include "port/shell.h"
#include "image/fils.h"
#include "image/param.h"
#include "vecto/fusion_quads.h"
#include "vecto/fusion_vecteurs.h"
#include "vecto/records.h"

namespace {

// Below this many vectors (an A4 page at 300 dpi has some 10,000 after the
// construction of quadrilaterals) the second thread does not pay for itself.
constexpr int Seuil_fils = 2000;

void Fusions_quads(int pente, bool evenements)
{
    Memo_blancs memo;  // Plan1 stays as it is until the end
    do {
        Chainage_quads(pente);
    } while (Fusion_quads(&memo, evenements) != 0);
}

}  // namespace

bool Fusions_quads_vecteurs(const std::function<void()>& ensuite)
{
    const int pente = Lit_param_entier("Seuil_penteTQ");
    // The second thread needs the vectors' thresholds read beforehand, which
    // is the same only when their lookups say nothing; the quadrilaterals'
    // loop must not show a message box (it would let the window run
    // commands while the vectors change) nor stop at a step.
    int pente_v = 0, diff_ep = 0;
    double eps = 0;
    const bool grand = Fils_analyse > 0 || Compte_liste(Liste_vecteurs) >= Seuil_fils;  // forced: any size
    const bool seconde = Mode_trace == 0 && Fils_permis() >= 2 && grand &&
                         Lit_param_entier_net("Seuil_penteTQ", pente_v) && Lit_param_net("EpsFQ", eps) &&
                         Lit_param_entier_net("SeuilDiffEp", diff_ep);
    if (seconde) {
        std::string journal;
        journal.reserve(256);
        std::exception_ptr echec;
        std::thread aide;
        try {
            aide = Fil_aide([&] {
                try {
                    Fusions_vecteurs_differees(pente_v, eps, journal);
                    if (ensuite) ensuite();
                } catch (...) {
                    echec = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: both on this one, below.
        }
        if (aide.joinable()) {
            try {
                Fusions_quads(pente, false);
            } catch (...) {
                aide.join();
                throw;
            }
            aide.join();
            if (echec) std::rethrow_exception(echec);
            Montre_journal_differe(journal);
            return true;
        }
    }
    Fusions_quads(pente, true);
    const int pente_vecteurs = Lit_param_entier("Seuil_penteTQ");
    do {
        Chainage_vecteurs(pente_vecteurs);
    } while (Fusion_vecteurs() != 0);
    return false;
}
