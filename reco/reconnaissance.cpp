#include "reco/reconnaissance.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string_view>
#include <vector>

#include "port/shell.h"
#include "image/param.h"
#include "output/ecriture.h"
#include "reco/apparieurs.h"
#include "reco/comparaison_interne.h"
#include "tools/matchers/mesures.h"

namespace fs = std::filesystem;

namespace {

// The models whose matcher ran out of time on the current image: not
// compared again until the next image.
std::set<std::string> Modeles_sans_reponse;

}  // namespace

bool Nom_gxl(std::string_view nom)
{
    if (nom.size() <= 3) return false;
    auto egal = [](char c, char minuscule) { return c == minuscule || c == minuscule - 'a' + 'A'; };
    const size_t n = nom.size();
    return egal(nom[n - 3], 'g') && egal(nom[n - 2], 'x') && egal(nom[n - 1], 'l');
}

bool Signale_modeles = true;

namespace {
std::set<std::string> Modeles_signales;
}

void Signale_modele(const std::string& texte)
{
    if (Signale_modeles && Modeles_signales.insert(texte).second) Message_erreur(texte);
}

void Oublie_modeles_signales() { Modeles_signales.clear(); }

void Verifie_modeles(const std::string& dossier)
{
    const std::string repertoire = Dossier_modeles(dossier);
    std::vector<std::string> noms;
    if (!Liste_gxl(repertoire, noms)) return;
    for (const std::string& nom : noms)
        if (const std::string erreur = Modele_hors_limites(repertoire + "/" + nom); !erreur.empty())
            Signale_modele("Model " + repertoire + "/" + nom + " left out: " + erreur);
}

std::string Dossier_modeles(const std::string& repertoire)
{
    // A batch worker's directory links to the user's: named by it.
    std::error_code ec;
    if (!fs::is_symlink(repertoire, ec)) return repertoire;
    const fs::path cible = fs::read_symlink(repertoire, ec);
    return ec || cible.is_relative() ? repertoire : cible.string();
}

bool Liste_gxl(const std::string& repertoire, std::vector<std::string>& noms)
{
    noms.clear();
    std::error_code ec;
    fs::directory_iterator it(repertoire, ec);
    if (ec) return false;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return false;
        std::string nom = it->path().filename().string();
        // A directory is no graph, whatever its name.
        if (!Nom_gxl(nom) || it->is_directory(ec)) continue;
        // Nor is a pipe or a device, which would block or never end its reader.
        if (!it->is_regular_file(ec)) {
            Signale_modele(it->path().string() + " left out: not a regular file (a pipe, a device, a broken link)");
            continue;
        }
        noms.push_back(std::move(nom));
    }
    // Byte order, so that ties between models resolve the same way on every
    // file system.
    std::sort(noms.begin(), noms.end());
    return true;
}

std::string Ligne_decision(double meilleur, const std::string& nom, double seuil)
{
    const std::string confiance = Fixe(meilleur, 6);
    const std::string symbole = meilleur >= seuil ? Texte_xml(nom.substr(0, nom.find('.')), Forme_xml::ascii) : "Rejet(" + Texte_xml(nom, Forme_xml::ascii) + ")";
    return "<symbolname>" + symbole + "</symbolname><confidencerate>" + confiance + "</confidencerate>\n";
}

void Debut_reconnaissance_image() { Modeles_sans_reponse.clear(); }

namespace {

// Copies a graph to an exchange file; when that fails the exchange file is
// removed, so the matcher fails instead of comparing the previous graph.
void Copie_echange(const std::string& source, const char* echange)
{
    std::error_code ec;
    fs::copy_file(source, echange, fs::copy_options::overwrite_existing, ec);
    if (ec) std::remove(echange);
}

double Appel(int mode)
{
    switch (mode) {
    case 1: return Appel_simgraph();
    case 2: return Appel_gsignature();
    case 3: return Appel_greedy();
    default: return Appel_auction();
    }
}

// The mapping line of result.txt: its second line with its line break, cut
// at 799 characters, or "M = ?" when there is none. False when the file
// cannot be opened.
bool Lit_appariement(std::string& appariement)
{
    std::FILE* f = std::fopen("result.txt", "rb");
    if (!f) return false;
    auto ligne = [f](std::string& s) {
        s.clear();
        int c;
        while ((c = std::fgetc(f)) != EOF) {
            s += static_cast<char>(c);
            if (c == '\n') break;
        }
        return !s.empty();
    };
    std::string premiere, seconde;
    ligne(premiere);
    if (ligne(seconde)) appariement = seconde.substr(0, 799);
    else appariement = "M = ?";
    std::fclose(f);
    return true;
}

// The best model of one test graph by the outside matcher programs, through
// the exchange files in the current directory.
void Compare_dehors(const std::string& modeles, const std::vector<std::string>& noms_modeles, int mode,
                    double& meilleur, std::string& meilleur_nom, std::string& appariement, bool& illisible)
{
    for (const std::string& modele : noms_modeles) {
        const std::string chemin = modeles + "/" + modele;
        if (Modeles_sans_reponse.count(chemin)) continue;
        Copie_echange(chemin, "G2.gxl");
        Modele_compare = modele;
        const double v = Appel(mode);
        Modele_compare.clear();
        if (Delai_apparieur_depasse) Modeles_sans_reponse.insert(chemin);
        // Strictly greater: on equal similarity the model listed first stays.
        if (v > meilleur) {
            meilleur = v;
            meilleur_nom = modele;
            if (!Lit_appariement(appariement)) {
                illisible = true;
                return;
            }
        }
    }
}

}  // namespace

int Reconnaissance(const std::string& dossier_modeles, const std::string& tests, int mode, bool fin)
{
    Ecrit_texte(2, "Reco(Ulvane)...");
    const std::string modeles = Dossier_modeles(dossier_modeles);
    const double seuil = Lit_param("Seuil_rejet");
    std::vector<std::string> noms_modeles, noms_tests;
    if (!Liste_gxl(modeles, noms_modeles)) {
        // No symbol can be named: the image fails.
        Pannes_apparieurs++;
        Message_boite("Unable to open model directory", "Error");
        return 0;
    }
    if (!Liste_gxl(tests, noms_tests)) {
        Message_boite("Unable to open test directory", "Error");
        return 0;
    }
    // Our own matcher is not started: its measure runs here, on model
    // graphs read once per run.
    const bool interne = !noms_tests.empty() && Apparieur_interne(mode);
    std::vector<const ModeleLu*> lus;
    const Proprietes* reglages = nullptr;
    if (interne) {
        lus = Modeles_comparables(modeles, noms_modeles);
        reglages = &Reglages_interne(mode);
    }
    for (const std::string& test : noms_tests) {
        // Stop ends the run between two test graphs, the first always compared.
        if (&test != noms_tests.data() && Arret_apres(static_cast<int>(&test - noms_tests.data()))) break;
        double meilleur = 0;
        std::string meilleur_nom = "Inconnu", appariement;
        if (interne) {
            GrapheG g;
            std::string erreur = Lit_graphe_gxl(tests + "/" + test, g);
            const bool lu = erreur.empty();
            if (lu) erreur = Hors_limites(g);
            if (!erreur.empty()) {
                Message_erreur("Test graph " + test + " not compared: " + erreur);
                // A graph too large to compare is the drawing's; one that
                // cannot be read is a fault.
                if (!lu) Pannes_apparieurs++;
            } else {
                for (const ModeleLu* m : lus) {
                    std::string a;
                    const double v = Compare_interne(mode, *reglages, g, m->graphe, a);
                    if (v > meilleur) {
                        meilleur = v;
                        meilleur_nom = m->nom;
                        appariement = std::move(a);
                    }
                }
            }
        } else {
            Copie_echange(tests + "/" + test, "G1.gxl");
            bool illisible = false;
            Compare_dehors(modeles, noms_modeles, mode, meilleur, meilleur_nom, appariement, illisible);
            if (illisible) {
                Message_boite("Ouverture Result.txt impossible", "Erreur");
                return -255;
            }
        }
        // No model compared: there is nothing to decide.
        if (interne ? lus.empty() : noms_modeles.empty()) {
            Ecrit_texte(1, "D=?");
            continue;
        }
        const std::string res = tests + "/" + test + ".res";
        std::FILE* f = std::fopen(res.c_str(), "wb");
        if (!f) {
            Message_erreur("Ouverture impossible de " + test + ".res");
            continue;
        }
        const std::string contenu = Ligne_decision(meilleur, meilleur_nom, seuil) + appariement;
        std::fwrite(contenu.data(), 1, contenu.size(), f);
        std::fclose(f);
    }
    if (fin) Ecrit_texte(1, "Done.");
    return 1;
}

namespace {

void Commande_reconnaissance(int mode)
{
    Message_boite("Comparaison between GXL in /Tests and /Models", "Info");
    Reconnaissance(Rep_travail + "/models", Rep_travail + "/tests", mode);
}

}  // namespace

void Caractres1Click() { Commande_reconnaissance(1); }
void Gsignature1Click() { Commande_reconnaissance(2); }
void Greedy1Click() { Commande_reconnaissance(3); }
void Auction1Click() { Commande_reconnaissance(11); }
