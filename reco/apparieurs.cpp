#include "reco/apparieurs.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "port/shell.h"
#include "image/programmes.h"

double Lit_nombre(int debut, std::string_view texte)
{
    if (debut < 0 || static_cast<size_t>(debut) >= texte.size()) return 0;
    size_t fin = static_cast<size_t>(debut);
    while (fin < texte.size() && fin - static_cast<size_t>(debut) < 19 &&
           ((texte[fin] >= '0' && texte[fin] <= '9') || texte[fin] == '.'))
        fin++;
    double v = 0;
    // from_chars reads the longest decimal prefix ("0.5.3" gives 0.5) and,
    // unlike strtod, ignores the locale the window may have set.
    if (std::from_chars(texte.data() + debut, texte.data() + fin, v).ec != std::errc()) return 0;
    return v;
}

std::string Modele_compare;
int Pannes_apparieurs = 0;
bool Delai_apparieur_depasse = false;

std::string Chemin_apparieur(const std::string& nom) { return Chemin_programme("simgraph/" + nom); }

double Delai_apparieur()
{
    if (const char* e = std::getenv("TRACEMORPH_MATCHER_TIMEOUT")) {
        // Read as in the C locale, whatever the window's locale says.
        const char* fin = e + std::strlen(e);
        double v = 0;
        const auto r = std::from_chars(e, fin, v);
        if (r.ec == std::errc() && r.ptr == fin && v > 0) return v;
    }
    return 60.0;
}

namespace {

Execution_programme Lance(const std::string& programme, const std::vector<std::string>& arguments)
{
    // Its messages are quoted once: passed on when it answered, else their
    // last line in the failure's message.
    Execution_programme r = Execute_programme(programme, arguments, Delai_apparieur(), Flux_programme::erreurs_gardees);
    if (r.fin == Execution_programme::terminee && r.statut == 0 && !r.erreurs.empty())
        std::fwrite(r.erreurs.data(), 1, r.erreurs.size(), stderr);
    // Whatever a matcher stopped or failed had begun to write is not an answer.
    if (r.fin != Execution_programme::terminee || r.statut != 0) std::remove("result.txt");
    Delai_apparieur_depasse = r.fin == Execution_programme::delai;
    return r;
}

// Why a call gave no answer, for the line under "Ouverture impossible".
std::string Panne(const std::string& programme, const Execution_programme& r)
{
    std::string s = "matcher " + programme;
    if (!Modele_compare.empty()) s += ", model " + Modele_compare;
    switch (r.fin) {
    case Execution_programme::non_lance:
        if (::access(programme.c_str(), F_OK) != 0) {
            // Where it was looked for, as "simgraph/NAME".
            const size_t p = programme.rfind("simgraph/");
            return s + ": " + Programme_cherche(p == std::string::npos ? programme : programme.substr(p));
        }
        return s + ": could not be started (" + r.raison + ")";
    case Execution_programme::arrete: return s + ": stopped";
    case Execution_programme::delai:
    {
        char t[32];
        const auto fin = std::to_chars(t, t + sizeof t, Delai_apparieur()).ptr;
        return s + ": no answer within " + std::string(t, fin) + " s (TRACEMORPH_MATCHER_TIMEOUT), stopped" +
               (Modele_compare.empty() ? "" : "; the model is not compared again on this image");
    }
    case Execution_programme::terminee: break;
    }
    if (r.statut != 0) {
        const std::string ligne = Derniere_ligne(r.erreurs);
        return s + ": exited with status " + std::to_string(r.statut) + (ligne.empty() ? "" : ": " + ligne);
    }
    return s + ": exited without writing result.txt";
}

// The similarity written after the four characters of the answer's first
// line: digits with at most one '.', nothing but spaces after, within 0..1.
// False for anything else (a similarity of 7.5 would outrank every true one).
bool Similarite_valide(std::string_view ligne, double& v)
{
    while (!ligne.empty() && (ligne.back() == '\n' || ligne.back() == '\r' || ligne.back() == ' ' || ligne.back() == '\t'))
        ligne.remove_suffix(1);
    if (ligne.size() <= 4) return false;
    const std::string_view nombre = ligne.substr(4);
    if (nombre.find_first_not_of("0123456789.") != std::string_view::npos ||
        nombre.find_first_of("0123456789") == std::string_view::npos ||
        std::count(nombre.begin(), nombre.end(), '.') > 1)
        return false;
    v = -1;
    const auto r = std::from_chars(nombre.data(), nombre.data() + nombre.size(), v);
    return r.ec == std::errc() && r.ptr == nombre.data() + nombre.size() && v >= 0 && v <= 1;
}

double Lit_reponse(const char* fichier, const std::string& programme, const Execution_programme& r)
{
    // Stopped by the user: no answer was expected.
    if (r.fin == Execution_programme::arrete) return -255;
    std::FILE* f = std::fopen(fichier, "rb");
    if (!f) {
        Pannes_apparieurs++;
        Message_boite("Ouverture impossible\n" + Panne(programme, r), "Erreur");
        return -255;
    }
    char ligne[500] = "";
    if (!std::fgets(ligne, sizeof ligne, f)) ligne[0] = '\0';
    std::fclose(f);
    double v = 0;
    if (!Similarite_valide(ligne, v)) {
        Pannes_apparieurs++;
        std::string lu(ligne);
        while (!lu.empty() && (lu.back() == '\n' || lu.back() == '\r')) lu.pop_back();
        if (lu.size() > 60) lu = lu.substr(0, 60) + "...";
        for (char& c : lu)
            if (static_cast<unsigned char>(c) < 32) c = '?';
        Message_erreur("matcher " + programme + (Modele_compare.empty() ? "" : ", model " + Modele_compare) +
                       ": the answer '" + lu + "' in " + fichier + " is no similarity between 0 and 1");
        return -255;
    }
    return v;
}

double Appel_simple(const char* nom)
{
    std::remove("result.txt");
    const std::string programme = Chemin_apparieur(nom);
    const Execution_programme r = Lance(programme, {"G1.gxl", "G2.gxl"});
    return Lit_reponse("result.txt", programme, r);
}

}  // namespace

double Appel_gsignature() { return Appel_simple("gsignature"); }
double Appel_greedy() { return Appel_simple("greedy"); }
double Appel_auction() { return Appel_simple("auction"); }

double Appel_simgraph()
{
    const std::string programme = Chemin_apparieur("simgraph");
    const std::string proprietes = Chemin_apparieur("properties.xml");
    std::remove("result.txt");
    // A first direction that fails must not let an older answer stand in.
    std::remove("result1.txt");
    const Execution_programme aller = Lance(programme, {"G1.gxl", "G2.gxl", proprietes});
    std::rename("result.txt", "result1.txt");
    if (aller.fin == Execution_programme::delai) {
        // The other direction would only wait as long again.
        std::remove("result1.txt");
        return Lit_reponse("result1.txt", programme, aller);
    }
    const Execution_programme retour = Lance(programme, {"G2.gxl", "G1.gxl", proprietes});
    const double a = Lit_reponse("result1.txt", programme, aller);
    const double b = Lit_reponse("result.txt", programme, retour);
    if (a > b) {
        std::remove("result.txt");
        std::rename("result1.txt", "result.txt");
        return a;
    }
    std::remove("result1.txt");
    return b;
}
