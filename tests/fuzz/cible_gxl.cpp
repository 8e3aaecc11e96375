// Fuzz target of the graph matchers: two GXL texts read by the matchers'
// reader, then every measure on the pair and on each graph with itself.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/fuzz/cibles.h"
#include "tools/matchers/edition.h"
#include "tools/matchers/inclusion.h"
#include "tools/matchers/signature.h"

namespace {

// Larger graphs are read but not measured: one input must stay fast.
constexpr size_t Max_noeuds = 60;
// The reader refuses values beyond Valeur_max_gxl (they overflowed the
// auction's integer benefits and made NaN costs); everything it accepts is
// measured.
constexpr double Max_valeur = Valeur_max_gxl;

// Reads one text through a file; true when the reader took it. A refusal
// must come with a reason and leave the graph empty.
bool Lit(const std::string& nom, const uint8_t* d, size_t n, GrapheG& g)
{
    // The reader takes a file name.
    const std::string chemin = Repertoire_fuzz() + "/" + nom;
    Ecrit_fuzz(chemin, d, n);
    const std::string erreur = Lit_graphe_gxl(chemin, g);
    if (!erreur.empty()) {
        EXIGE(g.noeuds.empty() && g.aretes.empty());
        return false;
    }
    for (const AreteG& a : g.aretes) {
        EXIGE(a.de >= 0 && a.de < static_cast<int>(g.noeuds.size()));
        EXIGE(a.vers >= 0 && a.vers < static_cast<int>(g.noeuds.size()));
        EXIGE(std::isfinite(a.rela));
    }
    for (const NoeudG& x : g.noeuds) EXIGE(!x.id.empty() && std::isfinite(x.rellen));
    return true;
}

bool Mesurable(const GrapheG& g)
{
    if (g.noeuds.size() > Max_noeuds) return false;
    for (const NoeudG& x : g.noeuds)
        if (std::fabs(x.rellen) > Max_valeur) return false;
    for (const AreteG& a : g.aretes)
        if (std::fabs(a.rela) > Max_valeur) return false;
    return true;
}

// A node image: one entry per node of g1, -1 or a node of g2, no node of g2
// taken twice.
void Image_valide(const std::vector<int>& image, size_t n1, size_t n2)
{
    EXIGE(image.size() == n1);
    std::vector<char> prise(n2, 0);
    for (int j : image) {
        if (j == -1) continue;
        EXIGE(j >= 0 && static_cast<size_t>(j) < n2);
        EXIGE(!prise[static_cast<size_t>(j)]);
        prise[static_cast<size_t>(j)] = 1;
    }
}

void Similarite_valide(double s)
{
    EXIGE(!std::isnan(s));
    EXIGE(s >= 0.0 && s <= 1.0);
}

struct Resultats {
    double auction, greedy, signature, inclusion;
};

// The four measures as the programs compute them, with the built-in settings.
Resultats Mesure_tout(const GrapheG& g1, const GrapheG& g2)
{
    const int n1 = static_cast<int>(g1.noeuds.size()), n2 = static_cast<int>(g2.noeuds.size());
    const CoutsEdition couts;
    const Matrice m = Matrice_edition(g1, g2, couts);
    for (double c : m.c) EXIGE(!std::isnan(c) && c >= 0);
    Resultats r{};

    const std::vector<int> optimale = Affectation_auction(m);
    EXIGE(optimale.size() == static_cast<size_t>(n1 + n2));
    std::vector<int> image = Image_noeuds(optimale, n1, n2);
    Image_valide(image, g1.noeuds.size(), g2.noeuds.size());
    r.auction = Similarite_edition(m, n1, n2, image);

    image = Image_noeuds(Affectation_gloutonne(m, n1), n1, n2);
    Image_valide(image, g1.noeuds.size(), g2.noeuds.size());
    r.greedy = Similarite_edition(m, n1, n2, image);

    image = Appariement_par_rang(g1, g2);
    Image_valide(image, g1.noeuds.size(), g2.noeuds.size());
    r.signature = Similarite_signatures(Signature_graphe(g1), Signature_graphe(g2));

    r.inclusion = Similarite_inclusion(g1, g2, Proprietes{}, image);
    Image_valide(image, g1.noeuds.size(), g2.noeuds.size());

    for (double s : {r.auction, r.greedy, r.signature, r.inclusion}) Similarite_valide(s);
    // The auction is optimal to within half a resolution per row; greedy
    // walks the same matrix, so it may not do better. Compared as
    // similarities: the slack is that rounding over the reference cost.
    double reference = 0;
    for (int i = 0; i < n1; i++) reference += m(i, n2 + i);
    for (int j = 0; j < n2; j++) reference += m(n1 + j, j);
    const double jeu = reference > 0 ? (n1 + n2) * Resolution_auction / reference : 0.0;
    EXIGE(r.greedy <= r.auction + jeu + 1e-12);
    return r;
}

}  // namespace

int Cible_gxl(const uint8_t* donnees, size_t taille)
{
    // The two texts are separated by the first NUL; without one the text is
    // compared with itself only.
    const uint8_t* fin = donnees + taille;
    const uint8_t* nul = std::find(donnees, fin, uint8_t{0});
    GrapheG g1, g2;
    const bool lu1 = Lit("g1.gxl", donnees, static_cast<size_t>(nul - donnees), g1);
    const bool lu2 = nul != fin && Lit("g2.gxl", nul + 1, static_cast<size_t>(fin - nul - 1), g2);

    for (const auto& [lu, g] : {std::pair{lu1, &g1}, std::pair{lu2, &g2}}) {
        if (!lu || !Mesurable(*g)) continue;
        const Resultats r = Mesure_tout(*g, *g);
        // A graph is found whole in itself by every matcher; the auction's
        // rounding allows its slack.
        EXIGE(std::fabs(r.auction - 1.0) < 1e-6);
        EXIGE(std::fabs(r.greedy - 1.0) < 1e-6);
        EXIGE(r.signature == 1.0);
        EXIGE(std::fabs(r.inclusion - 1.0) < 1e-9);
    }
    if (lu1 && lu2 && Mesurable(g1) && Mesurable(g2)) {
        Mesure_tout(g1, g2);
        Mesure_tout(g2, g1);
    }
    return 0;
}
