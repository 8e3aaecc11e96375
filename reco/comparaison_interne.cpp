#include "reco/comparaison_interne.h"

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <tuple>

#include "port/shell.h"
#include "image/programmes.h"
#include "output/ecriture.h"
#include "reco/apparieurs.h"
#include "reco/reconnaissance.h"
#include "tools/matchers/mesures.h"

namespace {

Apparieur Apparieur_mode(int mode)
{
    switch (mode) {
    case 1: return Apparieur::simgraph;
    case 2: return Apparieur::gsignature;
    case 3: return Apparieur::greedy;
    default: return Apparieur::auction;
    }
}

// What tells a file changed: device, inode, size and modification time.
using Empreinte = std::tuple<dev_t, ino_t, off_t, long long>;
bool Empreinte_fichier(const std::string& chemin, Empreinte& e)
{
    struct stat st {};
    if (::stat(chemin.c_str(), &st) != 0) return false;
    e = {st.st_dev, st.st_ino, st.st_size, static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
    return true;
}

const Proprietes& Reglages(Apparieur a)
{
    struct Lu {
        Empreinte empreinte{};
        Proprietes p;
    };
    static std::map<std::string, Lu> lus;
    static const Proprietes defaut;
    if (a == Apparieur::gsignature) return defaut;
    const std::string programme = Chemin_apparieur(Nom_apparieur(a));
    const std::string chemin = a == Apparieur::simgraph ? Chemin_apparieur("properties.xml")
                                                        : programme.substr(0, programme.rfind('/') + 1) + "properties.xml";
    Empreinte e{};  // all zero when there is no such file
    const bool present = Empreinte_fichier(chemin, e);
    auto [it, nouveau] = lus.try_emplace(chemin);
    Lu& lu = it->second;
    if (!nouveau && lu.empreinte == e) return lu.p;
    lu.empreinte = e;
    lu.p = Proprietes{};
    // Without a properties file beside them auction and greedy take their
    // built-in costs silently; simgraph warns about the file it was given.
    if (!present && a != Apparieur::simgraph) return lu.p;
    std::vector<std::string> avertissements;
    lu.p = Lit_proprietes(chemin, avertissements);
    for (const std::string& m : avertissements) Message_erreur(std::string(Nom_apparieur(a)) + ": " + m);
    return lu.p;
}

struct ModeleCache {
    Empreinte empreinte{};
    bool valide = false;
    ModeleLu modele;
};

// The similarity as it comes back through result.txt: written with six
// decimals, read from the fifth character of "S = ...".
double Relue(double s) { return Lit_nombre(4, "S = " + Fixe(s, 6)); }

std::string Ligne_appariement(const GrapheG& g1, const GrapheG& g2, const std::vector<int>& image)
{
    std::string m = "M = " + Texte_appariement(g1, g2, image) + "\n";
    if (m.size() > 799) m.resize(799);
    return m;
}

}  // namespace

const Proprietes& Reglages_interne(int mode) { return Reglages(Apparieur_mode(mode)); }

bool Apparieur_interne(int mode)
{
    const char* nom = Nom_apparieur(Apparieur_mode(mode));
    return Programme_du_projet(Chemin_apparieur(nom), nom);
}

std::string Apparieur_dehors_laisse(int mode)
{
    const char* nom = Nom_apparieur(Apparieur_mode(mode));
    const std::string chemin = Chemin_apparieur(nom);
    if (::access(chemin.c_str(), X_OK) != 0 || Programme_du_projet(chemin, nom, false)) return {};
    return chemin;
}

std::vector<const ModeleLu*> Modeles_comparables(const std::string& dossier, const std::vector<std::string>& noms)
{
    const std::string repertoire = Dossier_modeles(dossier);
    static std::map<std::string, ModeleCache> cache;
    std::vector<const ModeleLu*> r;
    for (const std::string& nom : noms) {
        const std::string chemin = repertoire + "/" + nom;
        Empreinte e{};
        if (!Empreinte_fichier(chemin, e)) e = {};
        auto [it, nouveau] = cache.try_emplace(chemin);
        ModeleCache& c = it->second;
        if (nouveau || c.empreinte != e) {
            c.empreinte = e;
            c.modele.nom = nom;
            std::string erreur = Lit_graphe_gxl(chemin, c.modele.graphe);
            if (erreur.empty()) erreur = Hors_limites(c.modele.graphe);
            c.valide = erreur.empty();
            if (!c.valide) {
                c.modele.graphe = GrapheG{};
                Signale_modele("Model " + chemin + " left out: " + erreur);
            }
        }
        if (c.valide) r.push_back(&c.modele);
    }
    return r;
}

double Compare_interne(int mode, const Proprietes& p, const GrapheG& test, const GrapheG& modele, std::string& appariement)
{
    const Apparieur a = Apparieur_mode(mode);
    std::vector<int> image;
    const double aller = Relue(Mesure_apparieur(a, test, modele, p, image));
    if (a != Apparieur::simgraph) {
        appariement = Ligne_appariement(test, modele, image);
        return aller;
    }
    std::vector<int> image_retour;
    const double retour = Relue(Mesure_apparieur(a, modele, test, p, image_retour));
    if (aller > retour) {
        appariement = Ligne_appariement(test, modele, image);
        return aller;
    }
    appariement = Ligne_appariement(modele, test, image_retour);
    return retour;
}

std::string Modele_hors_limites(const std::string& chemin)
{
    GrapheG g;
    const std::string erreur = Lit_graphe_gxl(chemin, g);
    return erreur.empty() ? Hors_limites(g) : erreur;
}
