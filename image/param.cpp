#include "image/param.h"

#include <fcntl.h>
#include <sys/stat.h>
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
    // Rest of the line, at most n - 1 characters (no limit when n is 0), the
    // line break included.
    std::string ligne(int n)
    {
        std::string s;
        while (n == 0 || static_cast<int>(s.size()) < n - 1) {
            int c = lit();
            if (c == EOF) break;
            s.push_back(static_cast<char>(c));
            if (c == '\n') break;
        }
        return s;
    }
};

// What stands at the path when it is no plain file, in a few words; empty
// for a plain file.
std::string Genre_non_fichier(const struct stat& st)
{
    if (S_ISREG(st.st_mode)) return {};
    if (S_ISDIR(st.st_mode)) return "a directory";
    if (S_ISFIFO(st.st_mode)) return "a named pipe (FIFO)";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "a device";
    if (S_ISSOCK(st.st_mode)) return "a socket";
    return "not a regular file";
}

// The whole file, in one read where it fits (the parameters are read by
// name at each step, some tens of times a run). False, with the cause in
// `raison`, when it cannot be opened or is no plain file: a pipe is opened
// without waiting for a writer and never read, a directory or a device is
// not taken for an empty file. A read error ends the bytes there, as the end
// of the file would.
bool Lit_fichier(const std::string& chemin, std::string& octets, std::string& raison)
{
    const int fd = ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        raison = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        raison = ::fstat(fd, &st) != 0 ? std::strerror(errno) : Genre_non_fichier(st) + ", not a file: refused";
        ::close(fd);
        return false;
    }
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

enum class Erreur { aucune, cle_trop_longue, lecture, refus };

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
// The last failure to read the file, said once until a read succeeds.
std::string g_echec_signale;

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

// Every key the program reads: a key of the file that is none of them is
// most likely a misspelling of the one a lookup then misses.
constexpr std::string_view kCles[] = {
    "Format_GXL", "Resolution", "Force_morpho", "Seuil_petiteCC", "Seuil_petitV", "Seuil_penteTQ",
    "EpsV",       "EpsFV",      "EpsFQ",        "Seuil_penteV",   "SeuilEpmax",   "LgMinQuad",
    "SeuilDiffEp", "Seuil_LgQ", "distZI",       "distZI_Vect",    "Angle_TP",     "Angle_TL",
    "Seuil_Trou", "Bool_reco",  "Seuil_ScoreQ", "Seuil_rejet",    "Methode_spotting"};

size_t Distance(std::string_view a, std::string_view b)
{
    std::vector<size_t> d(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++) d[j] = j;
    for (size_t i = 1; i <= a.size(); i++) {
        size_t diagonale = d[0];
        d[0] = i;
        for (size_t j = 1; j <= b.size(); j++) {
            const size_t haut = d[j];
            d[j] = std::min({d[j] + 1, d[j - 1] + 1, diagonale + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonale = haut;
        }
    }
    return d[b.size()];
}

// For a key the program reads, the key entries of the file that no lookup
// reads and that are close to `nom` (a letter or two apart, or written in
// another case), as
// "param.dat:28: unknown key Seuil_petiV (Seuil_petitV?)".
std::string Cles_voisines(std::string_view octets, std::string_view nom)
{
    std::string texte;
    if (std::find(std::begin(kCles), std::end(kCles), nom) == std::end(kCles)) return texte;
    Lecteur in{octets};
    for (;;) {
        const int c = in.lit();
        if (c == EOF || c == '$') break;
        if (c != '#') continue;
        const int ligne = in.ligne_courante;
        const std::string reste = in.ligne(kLongLigne);
        const std::string cle = reste.substr(0, std::min(reste.find_first_of("#\r\n"), size_t(kLongCle)));
        if (cle.empty() || cle == nom || std::find(std::begin(kCles), std::end(kCles), cle) != std::end(kCles)) continue;
        std::string bas(cle), bas_nom(nom);
        for (char& x : bas) x = static_cast<char>(std::tolower(static_cast<unsigned char>(x)));
        for (char& x : bas_nom) x = static_cast<char>(std::tolower(static_cast<unsigned char>(x)));
        if (bas != bas_nom && Distance(cle, nom) > std::max<size_t>(1, nom.size() / 5)) continue;
        texte += "\nparam.dat:" + std::to_string(ligne) + ": unknown key " + cle + " (" + std::string(nom) + "?)";
    }
    return texte;
}

// A value's text for a message: a long one is cut, with its length.
std::string Cite(const std::string& texte)
{
    if (texte.size() <= 40) return "'" + texte + "'";
    return "'" + texte.substr(0, 20) + "...' (" + std::to_string(texte.size()) + " characters)";
}

// The lookup of Lit_param; with `net` given it is silent (nothing shown,
// nothing counted) and *net tells whether Lit_param would have been silent
// too: the key found, its value not suspect. `entier`: the caller takes the
// integer part, which must then fit an int.
double Lecture_param(std::string_view nom, bool* net, bool entier)
{
    const std::string chemin = Rep_travail + "/param.dat";
    std::string octets, raison;
    if (!Lit_fichier(chemin, octets, raison)) {
        if (net) return *net = false, -255;
        g_defauts++;
        // The same failure at each of the tens of lookups of a run is said once.
        const std::string message = "Ouverture " + chemin + " impossible !\n" + chemin + ": " + raison;
        if (message != g_echec_signale) Message_erreur(message);
        g_echec_signale = message;
        return -255;
    }
    g_echec_signale.clear();
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
        // The whole value line: a long value is measured, not cut.
        const std::string v = in.ligne(0);
        if (trouve) {
            // The first entry wins; a second one is most likely the one
            // the user meant to change.
            raisons.push_back(Lieu(nom, ligne) + "given again (first at line " + std::to_string(ligne_valeur) +
                              ", whose value " + Cite(texte) + " is used)");
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
            const auto r = std::from_chars(v.data(), v.data() + n, valeur);
            // A number too large for its reader is refused, never capped.
            // (Past a double's range only when the whole part has a digit
            // other than 0: a value too small to be told from 0 reads as 0.)
            const bool hors = r.ec == std::errc::result_out_of_range &&
                              v.find_first_of("123456789") < std::min(n, v.find('.'));
            const char* refus = nullptr;
            if (entier && (hors || valeur >= static_cast<double>(INT_MAX) + 1))
                refus = "is too large (at most 2147483647)";
            else if (hors)
                refus = "is too large";
            else if (nom == "Methode_spotting" && valeur != 0 && valeur != 1)
                refus = "must be 0 or 1";
            if (refus) {
                // Refused like a value that cannot be read, but said once per
                // content of the file, as a suspect value is.
                err = Erreur::refus;
                detail = Lieu(nom, ligne) + Cite(texte) + " " + refus;
                break;
            }
            trouve = true;
        } else {
            err = Erreur::lecture;
            detail = Lieu(nom, ligne) + Cite(texte) + " " +
                     (Seulement_chiffres_points(texte) ? "has no closing '#'" : "is not a number (digits and '.' only)");
            break;
        }
    }
    if (trouve) {
        if (texte.empty()) {
            raisons.push_back(Lieu(nom, ligne_valeur) + "empty value, read as 0");
            suspect = true;
        } else if (std::count(texte.begin(), texte.end(), '.') > 1) {
            raisons.push_back(Lieu(nom, ligne_valeur) + Cite(texte) + " is not a number, read as " +
                              std::string(texte, 0, texte.find('.', texte.find('.') + 1)));
            suspect = true;
        }
        if (const char* signe = Defaut_de_signe(nom, valeur)) {
            raisons.push_back(Lieu(nom, ligne_valeur) + Cite(texte) + " " + signe);
            suspect = true;
        }
        if (net) return *net = raisons.empty() && !suspect, valeur;
        Signale_une_fois(raisons);
        if (suspect) g_defauts++;
        return valeur;
    }
    if (net) return *net = false, -255;
    g_defauts++;
    if (err == Erreur::refus) {
        if (g_signales.insert(detail).second) Message_erreur("PB de lecture !\n" + detail);
    } else if (err == Erreur::lecture) {
        Message_erreur("PB de lecture !\n" + detail);
    } else {
        const std::string voisines = Cles_voisines(octets, nom);
        Message_erreur("Parametre inconnu !\n" + Lieu(nom, 0) + "no such key" + voisines);
    }
    return -255;
}

// Values past INT_MAX were refused by the lookup; -255 stays -255.
int Entier_param(double v) { return static_cast<int>(std::max(v, static_cast<double>(INT_MIN))); }

}  // namespace

double Lit_param(std::string_view nom) { return Lecture_param(nom, nullptr, false); }

bool Lit_param_net(std::string_view nom, double& valeur)
{
    bool net = false;
    valeur = Lecture_param(nom, &net, false);
    return net;
}

bool Lit_param_entier_net(std::string_view nom, int& valeur)
{
    bool net = false;
    valeur = Entier_param(Lecture_param(nom, &net, true));
    return net;
}

int Lit_param_entier(std::string_view nom) { return Entier_param(Lecture_param(nom, nullptr, true)); }

std::string Param_non_fichier(const std::string& chemin)
{
    struct stat st {};
    if (::stat(chemin.c_str(), &st) != 0) return {};
    const std::string genre = Genre_non_fichier(st);
    return genre.empty() ? genre : chemin + " is " + genre + ", not a file";
}
