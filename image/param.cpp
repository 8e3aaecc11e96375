#include "image/param.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <charconv>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "port/shell.h"

namespace {

// Character reader over the file's bytes, read at once, in text mode: CR LF
// reads as LF.
struct Lecteur {
    std::string_view octets;
    size_t i = 0;
    int ligne_courante = 1;  // line of the next character, from 1
    int lit()
    {
        if (i >= octets.size()) return EOF;
        int c = static_cast<unsigned char>(octets[i++]);
        if (c == '\r' && i < octets.size() && octets[i] == '\n') {
            i++;
            c = '\n';
        }
        if (c == '\n') ligne_courante++;
        return c;
    }
    // Rest of the line, at most n - 1 characters, the line break included.
    std::string ligne(int n)
    {
        std::string s;
        while (static_cast<int>(s.size()) < n - 1) {
            int c = lit();
            if (c == EOF) break;
            s.push_back(static_cast<char>(c));
            if (c == '\n') break;
        }
        return s;
    }
};

// The whole file, in one read where it fits (the parameters are read by
// name at each step, some tens of times a run). False when it cannot be
// opened; a read error ends the bytes there, as the end of the file would.
bool Lit_fichier(const std::string& chemin, std::string& octets)
{
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    octets.resize(8192);
    size_t n = 0;
    for (;;) {
        if (n == octets.size()) octets.resize(2 * n);
        const ssize_t r = ::read(fd, octets.data() + n, octets.size() - n);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        n += static_cast<size_t>(r);
    }
    ::close(fd);
    octets.resize(n);
    return true;
}

constexpr int kLongLigne = 50;  // the line reads take at most 49 characters
constexpr int kLongCle = 21;

enum class Erreur { aucune, cle_trop_longue, lecture };

// Thresholds that must be positive: a zero leaves the stage nothing to do
// (no zone of influence, no thickness a quadrilateral may have) or makes it
// cut every contour at every pixel (EpsV). The integer ones are truncated by
// their callers, so they need at least 1. Every other key may be 0: it then
// switches its removal or its tolerance off.
const char* Defaut_de_signe(std::string_view nom, double v)
{
    if (nom == "EpsV") return v > 0 ? nullptr : "must be positive";
    for (const char* cle : {"SeuilEpmax", "distZI", "distZI_Vect"})
        if (nom == cle && v < 1) return "must be at least 1";
    return nullptr;
}

int g_defauts = 0;

// "param.dat:LINE: KEY: " (without the line when there is none).
std::string Lieu(std::string_view nom, int ligne)
{
    std::string s = "param.dat";
    if (ligne > 0) s += ":" + std::to_string(ligne);
    return s + ": " + std::string(nom) + ": ";
}

// A value that is read but suspect is reported once for a given content of
// the file, not at each of the tens of lookups of the same key; an edited
// file is reported afresh.
std::set<std::string> g_signales;
std::string g_contenu_signale;

// One message at most per lookup, holding the reasons not yet shown.
void Signale_une_fois(const std::vector<std::string>& raisons)
{
    std::string texte;
    for (const std::string& r : raisons)
        if (g_signales.insert(r).second) texte += (texte.empty() ? "" : "\n") + r;
    if (!texte.empty()) Message_erreur(texte);
}

// The value's text as written: up to its "#" or the end of its line.
std::string Texte_valeur(const std::string& v) { return v.substr(0, v.find_first_of("#\r\n")); }

bool Seulement_chiffres_points(std::string_view t)
{
    for (char c : t)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
    return true;
}

}  // namespace

int Nb_defauts_param() { return g_defauts; }

namespace {

// The lookup of Lit_param; with `net` given it is silent (nothing shown,
// nothing counted) and *net tells whether Lit_param would have been silent
// too: the key found, its value not suspect.
double Lecture_param(std::string_view nom, bool* net)
{
    const std::string chemin = Rep_travail + "/param.dat";
    std::string octets;
    if (!Lit_fichier(chemin, octets)) {
        if (net) return *net = false, -255;
        g_defauts++;
        Message_erreur("Ouverture " + chemin + " impossible !");
        return -255;
    }
    if (!net && octets != g_contenu_signale) {
        g_signales.clear();
        g_contenu_signale = octets;
    }
    Lecteur in{octets};
    bool trouve = false;
    Erreur err = Erreur::aucune;
    double valeur = 0;
    std::string texte, detail;
    int ligne_valeur = 0;
    bool suspect = false;  // counted once per lookup, whatever the reasons
    std::vector<std::string> raisons;
    for (;;) {
        const int c = in.lit();
        if (c == EOF || c == '$') break;
        if (c != '#') continue;
        err = Erreur::aucune;
        const int ligne_cle = in.ligne_courante;
        const std::string reste = in.ligne(kLongLigne);
        std::string cle;
        size_t i = 0;
        for (; i < reste.size() && reste[i] != '#'; i++) {
            if (i == kLongCle) {
                err = Erreur::cle_trop_longue;
                break;
            }
            cle.push_back(reste[i]);
        }
        if (err == Erreur::cle_trop_longue || cle != nom) continue;
        int d;
        do d = in.lit();
        while (d != '=' && d != EOF);
        if (d == EOF) {
            if (trouve) break;
            err = Erreur::lecture;
            detail = Lieu(nom, ligne_cle) + "no '=' value follows the key";
            break;
        }
        const int ligne = in.ligne_courante;
        const std::string v = in.ligne(kLongLigne);
        if (trouve) {
            // The first entry wins; a second one is most likely the one
            // the user meant to change.
            raisons.push_back(Lieu(nom, ligne) + "given again (first at line " + std::to_string(ligne_valeur) +
                              ", whose value '" + texte + "' is used)");
            suspect = Texte_valeur(v) != texte;
            break;
        }
        size_t n = 0;
        while (n < v.size() && (std::isdigit(static_cast<unsigned char>(v[n])) || v[n] == '.')) n++;
        texte = Texte_valeur(v);
        ligne_valeur = ligne;
        if (n < v.size() && v[n] == '#') {
            // The longest decimal prefix ("1.2.3" is 1.2, "" is 0), whatever
            // decimal separator the user's locale has.
            valeur = 0;
            std::from_chars(v.data(), v.data() + n, valeur);
            trouve = true;
        } else {
            err = Erreur::lecture;
            detail = Lieu(nom, ligne) + "'" + texte + "' " +
                     (Seulement_chiffres_points(texte) ? "has no closing '#'" : "is not a number (digits and '.' only)");
            break;
        }
    }
    if (trouve) {
        if (texte.empty()) {
            raisons.push_back(Lieu(nom, ligne_valeur) + "empty value, read as 0");
            suspect = true;
        } else if (std::count(texte.begin(), texte.end(), '.') > 1) {
            raisons.push_back(Lieu(nom, ligne_valeur) + "'" + texte + "' is not a number, read as " +
                              std::string(texte, 0, texte.find('.', texte.find('.') + 1)));
            suspect = true;
        }
        if (const char* signe = Defaut_de_signe(nom, valeur)) {
            raisons.push_back(Lieu(nom, ligne_valeur) + "'" + texte + "' " + signe);
            suspect = true;
        }
        if (net) return *net = raisons.empty() && !suspect, valeur;
        Signale_une_fois(raisons);
        if (suspect) g_defauts++;
        return valeur;
    }
    if (net) return *net = false, -255;
    g_defauts++;
    if (err == Erreur::lecture)
        Message_erreur("PB de lecture !\n" + detail);
    else
        Message_erreur("Parametre inconnu !\n" + Lieu(nom, 0) + "no such key");
    return -255;
}

int Entier_param(double v)
{
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(v);
}

}  // namespace

double Lit_param(std::string_view nom) { return Lecture_param(nom, nullptr); }

bool Lit_param_net(std::string_view nom, double& valeur)
{
    bool net = false;
    valeur = Lecture_param(nom, &net);
    return net;
}

bool Lit_param_entier_net(std::string_view nom, int& valeur)
{
    double v = 0;
    const bool net = Lit_param_net(nom, v);
    valeur = Entier_param(v);
    return net;
}

int Lit_param_entier(std::string_view nom)
{
    return Entier_param(Lit_param(nom));
}
