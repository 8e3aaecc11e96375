#include "reco/comparaison_memoire.h"

#include <algorithm>
#include <bit>
#include <filesystem>

#include "port/shell.h"
#include "image/chargement.h"
#include "reco/apparieurs.h"
#include "reco/comparaison_interne.h"
#include "reco/reconnaissance.h"
#include "tools/matchers/edition.h"

namespace fs = std::filesystem;

namespace {

using Grille = std::vector<uint8_t>;
Grille Grille_encre(const PlanImage& p, int x0, int y0, int x1, int y1);
using Bits = std::vector<uint64_t>;
std::vector<Bits> Tours_et_elargies(Grille g);
Grille Elargie(const Grille& g);

Modeles_memoire Modeles_lus;
bool Modeles_charges = false;

// The reasons a model file is left out, or empty when it is usable.
std::string Lit_modele(const std::string& chemin, Modele_memoire& m)
{
    std::error_code ec;
    const auto taille = fs::file_size(chemin, ec);
    if (!ec && taille > static_cast<std::uintmax_t>(Octets_max_modele)) return chemin + ": model too large, skipped";
    std::string erreur = Lit_graphe_gxl(chemin, m.graphe);
    if (!erreur.empty()) return erreur + ", model skipped";
    if (m.graphe.noeuds.size() > static_cast<size_t>(Noeuds_max_modele))
        return chemin + ": model of " + std::to_string(m.graphe.noeuds.size()) + " nodes, skipped";
    if (!m.graphe.noeuds.empty()) m.signature = Signature_graphe(m.graphe);
    const std::string dessin = chemin.substr(0, chemin.rfind('.')) + ".bmp";
    ImageChargee im;
    if (Lit_bmp_dans(dessin, im) == 1) {  // none, or not a BMP: no drawing
        const PlanImage& d = im.plan1;
        int x0 = d.larg, y0 = d.haut, x1 = -1, y1 = -1;
        for (int y = 1; y < d.haut; y++)
            for (int x = 1; x < d.larg; x++)
                if (Lit_pixel(x, y, d)) x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        if (x1 >= 0) {
            m.grilles = Tours_et_elargies(Grille_encre(d, x0, y0, x1, y1));
            m.dessin_larg = x1 - x0 + 1, m.dessin_haut = y1 - y0 + 1;
            m.dessin.assign(static_cast<size_t>(m.dessin_larg) * static_cast<size_t>(m.dessin_haut), 0);
            for (int y = y0; y <= y1; y++)
                for (int x = x0; x <= x1; x++)
                    m.dessin[static_cast<size_t>(y - y0) * static_cast<size_t>(m.dessin_larg) + static_cast<size_t>(x - x0)] =
                        static_cast<uint8_t>(Lit_pixel(x, y, d));
        }
    }
    // A drawing too plain to give a graph (a supply arrow) is still compared
    // by its ink.
    if (m.graphe.noeuds.empty() && m.dessin.empty()) return chemin + ": model without any node, skipped";
    return {};
}

// An upper bound of the similarity an assignment of `m` can give: every
// substitution's cost is shared between its two nodes, so each node pays at
// least half its cheapest substitution or else its deletion (insertion);
// and the larger graph loses at least its surplus of nodes, whole.
double Borne_edition(const Matrice& m, int n1, int n2)
{
    double reference = 0, minimum = 0;
    std::vector<double> surcout1, surcout2;  // deletion beyond that least share
    for (int i = 0; i < n1; i++) {
        const double d = m(i, n2 + i);
        double b = d;
        for (int j = 0; j < n2; j++) b = std::min(b, m(i, j) / 2);
        reference += d, minimum += b;
        surcout1.push_back(d - b);
    }
    for (int j = 0; j < n2; j++) {
        const double d = m(n1 + j, j);
        double b = d;
        for (int i = 0; i < n1; i++) b = std::min(b, m(i, j) / 2);
        reference += d, minimum += b;
        surcout2.push_back(d - b);
    }
    std::vector<double>& surplus = n1 > n2 ? surcout1 : surcout2;
    const auto k = static_cast<size_t>(std::abs(n1 - n2));
    std::partial_sort(surplus.begin(), surplus.begin() + static_cast<std::ptrdiff_t>(k), surplus.end());
    for (size_t i = 0; i < k; i++) minimum += surplus[i];
    if (reference <= 0) return 1.0;
    return std::clamp(1.0 - minimum / reference, 0.0, 1.0);
}

double Edition(const GrapheG& g1, const GrapheG& g2, const CoutsEdition& k, bool glouton, double plancher = -1)
{
    const int n1 = static_cast<int>(g1.noeuds.size()), n2 = static_cast<int>(g2.noeuds.size());
    const Matrice m = Matrice_edition(g1, g2, k);
    // Cannot reach the floor: the assignment is not worth running.
    if (plancher > 0 && Borne_edition(m, n1, n2) + 1e-9 < plancher) return -1;
    // The optimum the auction finds, reached by the Hungarian method, which
    // takes a fraction of its time on these matrices.
    const std::vector<int> colonnes = glouton ? Affectation_gloutonne(m, n1) : Affectation_hongroise(m);
    return Similarite_edition(m, n1, n2, Image_noeuds(colonnes, n1, n2));
}

}  // namespace

const Modeles_memoire& Modeles_en_memoire(const std::string& dossier, int mode)
{
    const std::string repertoire = Dossier_modeles(dossier);
    if (Modeles_charges && Modeles_lus.repertoire == repertoire && Modeles_lus.mode == mode) return Modeles_lus;
    static unsigned lectures = 0;
    Modeles_lus = Modeles_memoire{};
    Modeles_lus.lecture = ++lectures;
    Modeles_lus.repertoire = repertoire;
    Modeles_lus.mode = mode;
    Modeles_charges = true;
    std::vector<std::string> avertissements;
    Modeles_lus.proprietes = Lit_proprietes(Chemin_apparieur("properties.xml"), avertissements);
    for (const std::string& a : avertissements) Ecrit_texte(1, "properties.xml: " + a);
    // Said once per run: the outside matcher the user installed is not the
    // one that names these symbols.
    if (const std::string dehors = Apparieur_dehors_laisse(mode); !dehors.empty())
        Message_boite("Methode_spotting 1 compares the models in-process; the outside matcher " + dehors +
                          " is used by Methode_spotting 0 only",
                      "Info");
    std::vector<std::string> noms;
    if (!Liste_gxl(repertoire, noms)) {
        Message_erreur("Unable to open model directory " + repertoire);
        return Modeles_lus;
    }
    for (const std::string& nom : noms) {
        Modele_memoire m;
        m.nom = nom.substr(0, nom.find('.'));
        const std::string erreur = Lit_modele(repertoire + "/" + nom, m);
        if (!erreur.empty()) {
            Signale_modele(erreur);
            continue;
        }
        Modeles_lus.liste.push_back(std::move(m));
    }
    return Modeles_lus;
}

void Oublie_modeles()
{
    Oublie_modeles_signales();
    Modeles_lus = Modeles_memoire{};
    Modeles_charges = false;
}

double Similarite_memoire(const GrapheG& candidat, const Modele_memoire& m, const Modeles_memoire& ms)
{
    std::vector<int> image;
    switch (ms.mode) {
    case 1:
        return std::max(Similarite_inclusion(candidat, m.graphe, ms.proprietes, image),
                        Similarite_inclusion(m.graphe, candidat, ms.proprietes, image));
    case 2: return Similarite_signatures(Signature_graphe(candidat), m.signature);
    case 3: return Edition(candidat, m.graphe, ms.proprietes.couts, true);
    default: return Edition(candidat, m.graphe, ms.proprietes.couts, false);
    }
}

namespace {

// A model of more than `rapport` times the candidate's nodes, or of fewer
// than its nodes over `rapport`, is not compared (rapport 0: any model).
bool Tailles_comparables(double n, const Modele_memoire& m, double rapport)
{
    const double nm = static_cast<double>(m.graphe.noeuds.size());
    if (nm == 0) return false;  // a model known by its drawing only
    return !(rapport > 0 && (nm > rapport * n || nm * rapport < n));
}

// The measure of the mode; an edit distance stops early, negative, once it
// cannot reach `plancher`.
double Mesure_bornee(const GrapheG& candidat, const Modele_memoire& m, const Modeles_memoire& ms, double plancher)
{
    const bool edition = ms.mode != 1 && ms.mode != 2;
    return edition ? Edition(candidat, m.graphe, ms.proprietes.couts, ms.mode == 3, plancher)
                   : Similarite_memoire(candidat, m, ms);
}

}  // namespace

Choix_modele Meilleur_modele(const GrapheG& candidat, const Modeles_memoire& ms, double rapport, int essais, double plancher)
{
    Choix_modele choix;
    const double n = static_cast<double>(candidat.noeuds.size());
    if (n == 0) return choix;
    std::vector<size_t> retenus;
    for (size_t i = 0; i < ms.liste.size(); i++)
        if (Tailles_comparables(n, ms.liste[i], rapport)) retenus.push_back(i);
    // The signatures, compared at almost no cost, choose which models the
    // measure is run on.
    if (essais > 0 && retenus.size() > static_cast<size_t>(essais) && ms.mode != 2) {
        const Signature sc = Signature_graphe(candidat);
        std::vector<std::pair<double, size_t>> proches;
        for (size_t i : retenus) proches.emplace_back(-Similarite_signatures(sc, ms.liste[i].signature), i);
        std::stable_sort(proches.begin(), proches.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        proches.resize(static_cast<size_t>(essais));
        retenus.clear();
        for (const auto& pr : proches)
            if (-pr.first >= Signature_min) retenus.push_back(pr.second);
        std::sort(retenus.begin(), retenus.end());
    }
    for (size_t i : retenus) {
        // With an edit distance, a model whose bound stays under the floor,
        // or under the best so far (it could only tie), is left out.
        const double s = Mesure_bornee(candidat, ms.liste[i], ms,
                                       std::max(plancher, choix.modele >= 0 ? choix.similarite + 2e-9 : 0.0));
        if (s < 0) continue;
        if (choix.modele < 0 || s > choix.similarite) {
            choix.modele = static_cast<int>(i);
            choix.similarite = s;
        }
    }
    return choix;
}

std::vector<int> Modeles_proches(const GrapheG& candidat, const Modeles_memoire& ms, double rapport,
                                 const std::vector<int>& essais, double plancher)
{
    std::vector<int> proches;
    const double n = static_cast<double>(candidat.noeuds.size());
    if (n == 0) return proches;
    for (const int e : essais) {
        const Modele_memoire& m = ms.liste[static_cast<size_t>(e)];
        if (Tailles_comparables(n, m, rapport) && Mesure_bornee(candidat, m, ms, plancher) >= plancher)
            proches.push_back(e);
    }
    return proches;
}

namespace {

constexpr int Cases_dessin = 40;  // cells a side of the comparison grid

// The cells of a grid over the box holding ink.
Grille Grille_encre(const PlanImage& p, int x0, int y0, int x1, int y1)
{
    Grille g(Cases_dessin * Cases_dessin, 0);
    const double lx = (x1 - x0 + 1) / static_cast<double>(Cases_dessin);
    const double ly = (y1 - y0 + 1) / static_cast<double>(Cases_dessin);
    // Only the addressable pixels; a byte all white is passed at once.
    const int xa = std::max(x0, 1), xb = std::min(x1, p.larg - 1);
    const int ya = std::max(y0, 1), yb = std::min(y1, p.haut - 1);
    for (int y = ya; y <= yb; y++) {
        const uint8_t* ligne = Ligne_plan(p, y);
        const int j = std::min(Cases_dessin - 1, static_cast<int>((y - y0) / ly));
        for (int x = xa; x <= xb; x++) {
            if ((x & 7) == 0 && x + 7 <= xb && ligne[x >> 3] == 0xFF) {
                x += 7;
                continue;
            }
            if ((ligne[x >> 3] >> (7 - (x & 7))) & 1) continue;
            const int i = std::min(Cases_dessin - 1, static_cast<int>((x - x0) / lx));
            g[static_cast<size_t>(j * Cases_dessin + i)] = 1;
        }
    }
    return g;
}

// The grid with every cell next to an ink cell inked.
Grille Elargie(const Grille& g)
{
    Grille e(g.size(), 0);
    for (int j = 0; j < Cases_dessin; j++)
        for (int i = 0; i < Cases_dessin; i++) {
            if (!g[static_cast<size_t>(j * Cases_dessin + i)]) continue;
            for (int v = std::max(0, j - 1); v <= std::min(Cases_dessin - 1, j + 1); v++)
                for (int u = std::max(0, i - 1); u <= std::min(Cases_dessin - 1, i + 1); u++)
                    e[static_cast<size_t>(v * Cases_dessin + u)] = 1;
        }
    return e;
}

Bits En_bits(const Grille& g)
{
    Bits b((g.size() + 63) / 64, 0);
    for (size_t k = 0; k < g.size(); k++)
        if (g[k]) b[k / 64] |= uint64_t{1} << (k % 64);
    return b;
}

std::vector<Bits> Tours_et_elargies(Grille g)
{
    std::vector<Grille> r;
    for (int t = 0; t < 4; t++) {
        Grille tourne(g.size());
        for (int j = 0; j < Cases_dessin; j++)
            for (int i = 0; i < Cases_dessin; i++)
                tourne[static_cast<size_t>((Cases_dessin - 1 - i) * Cases_dessin + j)] = g[static_cast<size_t>(j * Cases_dessin + i)];
        r.push_back(std::move(g));
        g = std::move(tourne);
    }
    for (int t = 0; t < 4; t++) r.push_back(Elargie(r[static_cast<size_t>(t)]));
    std::vector<Bits> b;
    for (const Grille& g : r) b.push_back(En_bits(g));
    return b;
}

// The ink cells of `a` that `b_elargie` covers.
int Couvertes(const Bits& a, const Bits& b_elargie)
{
    int n = 0;
    for (size_t k = 0; k < a.size(); k++) n += std::popcount(a[k] & b_elargie[k]);
    return n;
}

int Cellules(const Bits& a)
{
    int n = 0;
    for (const uint64_t m : a) n += std::popcount(m);
    return n;
}

}  // namespace

std::vector<double> Ressemblance_dessin(const PlanImage& image, int x0, int y0, int x1, int y1,
                                        const Modeles_memoire& ms, const std::vector<int>& modeles)
{
    std::vector<double> r(modeles.size(), -1.0);
    if (x1 < x0 || y1 < y0) return r;
    const Grille encre = Grille_encre(image, x0, y0, x1, y1);
    const Bits a = En_bits(encre), a_elargie = En_bits(Elargie(encre));
    const int na = Cellules(a);
    for (size_t k = 0; k < modeles.size(); k++) {
        const std::vector<Bits>& g = ms.liste[static_cast<size_t>(modeles[k])].grilles;
        if (g.size() != 8) continue;
        const int nb = Cellules(g[0]);
        if (na + nb == 0) continue;
        double meilleure = 0;
        for (size_t t = 0; t < 4; t++)
            meilleure = std::max(meilleure, static_cast<double>(Couvertes(a, g[4 + t]) + Couvertes(g[t], a_elargie)) / (na + nb));
        r[k] = meilleure;
    }
    return r;
}
