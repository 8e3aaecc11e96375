#include "image/param.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <charconv>
#include <cstring>
#include <string>

#include "port/shell.h"

namespace {

// Character reader over the file's bytes, read at once, in text mode: CR LF
// reads as LF.
struct Lecteur {
    std::string_view octets;
    size_t i = 0;
    int lit()
    {
        if (i >= octets.size()) return EOF;
        const int c = static_cast<unsigned char>(octets[i++]);
        if (c == '\r' && i < octets.size() && octets[i] == '\n') {
            i++;
            return '\n';
        }
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

}  // namespace

double Lit_param(std::string_view nom)
{
    const std::string chemin = Rep_travail + "/param.dat";
    std::string octets;
    if (!Lit_fichier(chemin, octets)) {
        Message_erreur("Ouverture " + chemin + " impossible !");
        return -255;
    }
    Lecteur in{octets};
    bool trouve = false;
    Erreur err = Erreur::aucune;
    double valeur = 0;
    for (;;) {
        const int c = in.lit();
        if (c == EOF || c == '$') break;
        if (c != '#') continue;
        err = Erreur::aucune;
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
            err = Erreur::lecture;
            break;
        }
        const std::string v = in.ligne(kLongLigne);
        size_t n = 0;
        while (n < v.size() && (std::isdigit(static_cast<unsigned char>(v[n])) || v[n] == '.')) n++;
        if (n < v.size() && v[n] == '#') {
            // The longest decimal prefix ("1.2.3" is 1.2, "" is 0), whatever
            // decimal separator the user's locale has.
            valeur = 0;
            std::from_chars(v.data(), v.data() + n, valeur);
            trouve = true;
        } else {
            err = Erreur::lecture;
        }
        break;
    }
    if (trouve) return valeur;
    Message_erreur(err == Erreur::lecture ? "PB de lecture !" : "Parametre inconnu !");
    return -255;
}

int Lit_param_entier(std::string_view nom)
{
    const double v = Lit_param(nom);
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(v);
}
