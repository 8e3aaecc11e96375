#include "reco/comparaison_memoire.h"

#include <algorithm>
#include <filesystem>

#include "port/shell.h"
#include "image/chargement.h"
#include "reco/apparieurs.h"
#include "reco/reconnaissance.h"
#include "tools/matchers/edition.h"

namespace fs = std::filesystem;

namespace {

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
    if (m.graphe.noeuds.empty()) return chemin + ": model without any node, skipped";
    if (m.graphe.noeuds.size() > static_cast<size_t>(Noeuds_max_modele))
        return chemin + ": model of " + std::to_string(m.graphe.noeuds.size()) + " nodes, skipped";
    m.signature = Signature_graphe(m.graphe);
    const std::string dessin = chemin.substr(0, chemin.rfind('.')) + ".bmp";
    ImageChargee im;
    if (fs::exists(dessin, ec) && Lit_bmp_dans(dessin, im) == 1) {
        m.dessin = std::move(im.plan1);
        m.dx0 = m.dessin.larg, m.dy0 = m.dessin.haut;
        for (int y = 1; y < m.dessin.haut; y++)
            for (int x = 1; x < m.dessin.larg; x++)
                if (Lit_pixel(x, y, m.dessin))
                    m.dx0 = std::min(m.dx0, x), m.dy0 = std::min(m.dy0, y), m.dx1 = std::max(m.dx1, x),
                    m.dy1 = std::max(m.dy1, y);
        if (m.dx1 < 0) m.dessin = PlanImage{};
    }
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

const Modeles_memoire& Modeles_en_memoire(const std::string& repertoire, int mode)
{
    if (Modeles_charges && Modeles_lus.repertoire == repertoire && Modeles_lus.mode == mode) return Modeles_lus;
    Modeles_lus = Modeles_memoire{};
    Modeles_lus.repertoire = repertoire;
    Modeles_lus.mode = mode;
    Modeles_charges = true;
    std::vector<std::string> avertissements;
    Modeles_lus.proprietes = Lit_proprietes(Chemin_apparieur("properties.xml"), avertissements);
    for (const std::string& a : avertissements) Ecrit_texte(1, "properties.xml: " + a);
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
            Message_erreur(erreur);
            continue;
        }
        Modeles_lus.liste.push_back(std::move(m));
    }
    return Modeles_lus;
}

void Oublie_modeles()
{
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

Choix_modele Meilleur_modele(const GrapheG& candidat, const Modeles_memoire& ms, double rapport, int essais, double plancher)
{
    Choix_modele choix;
    const double n = static_cast<double>(candidat.noeuds.size());
    if (n == 0) return choix;
    std::vector<size_t> retenus;
    for (size_t i = 0; i < ms.liste.size(); i++) {
        const double nm = static_cast<double>(ms.liste[i].graphe.noeuds.size());
        if (rapport > 0 && (nm > rapport * n || nm * rapport < n)) continue;
        retenus.push_back(i);
    }
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
    const bool edition = ms.mode != 1 && ms.mode != 2;
    for (size_t i : retenus) {
        // With an edit distance, a model whose bound stays under the floor,
        // or under the best so far (it could only tie), is left out.
        const double s = !edition ? Similarite_memoire(candidat, ms.liste[i], ms)
                                  : Edition(candidat, ms.liste[i].graphe, ms.proprietes.couts, ms.mode == 3,
                                            std::max(plancher, choix.modele >= 0 ? choix.similarite + 2e-9 : 0.0));
        if (s < 0) continue;
        if (choix.modele < 0 || s > choix.similarite) {
            choix.modele = static_cast<int>(i);
            choix.similarite = s;
        }
    }
    return choix;
}

std::vector<int> Modeles_proches(const GrapheG& candidat, const Modeles_memoire& ms, double rapport, int exclu,
                                 double plancher)
{
    std::vector<int> proches;
    const double n = static_cast<double>(candidat.noeuds.size());
    if (n == 0) return proches;
    const bool edition = ms.mode != 1 && ms.mode != 2;
    for (size_t i = 0; i < ms.liste.size(); i++) {
        if (static_cast<int>(i) == exclu) continue;
        const double nm = static_cast<double>(ms.liste[i].graphe.noeuds.size());
        if (rapport > 0 && (nm > rapport * n || nm * rapport < n)) continue;
        const double s = edition ? Edition(candidat, ms.liste[i].graphe, ms.proprietes.couts, ms.mode == 3, plancher)
                                 : Similarite_memoire(candidat, ms.liste[i], ms);
        if (s >= plancher) proches.push_back(static_cast<int>(i));
    }
    return proches;
}

namespace {

constexpr int Cases_dessin = 40;  // cells a side of the comparison grid

using Grille = std::vector<uint8_t>;

// The cells of a grid over the box holding ink.
Grille Grille_encre(const PlanImage& p, int x0, int y0, int x1, int y1)
{
    Grille g(Cases_dessin * Cases_dessin, 0);
    const double lx = (x1 - x0 + 1) / static_cast<double>(Cases_dessin);
    const double ly = (y1 - y0 + 1) / static_cast<double>(Cases_dessin);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            if (Lit_pixel(x, y, p)) {
                const int i = std::min(Cases_dessin - 1, static_cast<int>((x - x0) / lx));
                const int j = std::min(Cases_dessin - 1, static_cast<int>((y - y0) / ly));
                g[static_cast<size_t>(j * Cases_dessin + i)] = 1;
            }
    return g;
}

// The number of ink cells of `a` with an ink cell of `b` among their
// neighbours; `total` is the number of ink cells of `a`.
double Part_proche(const Grille& a, const Grille& b, int& total)
{
    int proches = 0;
    total = 0;
    for (int j = 0; j < Cases_dessin; j++)
        for (int i = 0; i < Cases_dessin; i++) {
            if (!a[static_cast<size_t>(j * Cases_dessin + i)]) continue;
            total++;
            bool pres = false;
            for (int dj = -1; dj <= 1 && !pres; dj++)
                for (int di = -1; di <= 1 && !pres; di++) {
                    const int u = i + di, v = j + dj;
                    pres = u >= 0 && v >= 0 && u < Cases_dessin && v < Cases_dessin &&
                           b[static_cast<size_t>(v * Cases_dessin + u)];
                }
            proches += pres;
        }
    return proches;
}

}  // namespace

double Ressemblance_dessin(const PlanImage& image, int x0, int y0, int x1, int y1, const Modele_memoire& m)
{
    if (!m.dessin.existe() || x1 < x0 || y1 < y0) return -1;
    const Grille a = Grille_encre(image, x0, y0, x1, y1);
    Grille b = Grille_encre(m.dessin, m.dx0, m.dy0, m.dx1, m.dy1);
    double meilleure = 0;
    for (int t = 0; t < 4; t++) {
        int na = 0, nb = 0;
        const double pa = Part_proche(a, b, na), pb = Part_proche(b, a, nb);
        if (na + nb > 0) meilleure = std::max(meilleure, (pa + pb) / (na + nb));
        // A quarter turn of the model's grid.
        Grille r(b.size());
        for (int j = 0; j < Cases_dessin; j++)
            for (int i = 0; i < Cases_dessin; i++)
                r[static_cast<size_t>((Cases_dessin - 1 - i) * Cases_dessin + j)] = b[static_cast<size_t>(j * Cases_dessin + i)];
        b = std::move(r);
    }
    return meilleure;
}
