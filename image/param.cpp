#include "image/param.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <string>

#include "app/core/shell.h"

namespace {

// Character reader over the file in text mode: CR LF reads as LF.
struct Lecteur {
    std::FILE* f;
    int lit()
    {
        int c = std::getc(f);
        if (c == '\r') {
            int d = std::getc(f);
            if (d == '\n') return '\n';
            if (d != EOF) std::ungetc(d, f);
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

constexpr int kLongLigne = 50;  // the line reads take at most 49 characters
constexpr int kLongCle = 21;

enum class Erreur { aucune, cle_trop_longue, lecture };

}  // namespace

double Lit_param(std::string_view nom)
{
    const std::string chemin = Rep_travail + "/param.dat";
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (!f) {
        Message_erreur("Ouverture " + chemin + " impossible !");
        return -255;
    }
    Lecteur in{f};
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
            valeur = std::atof(v.substr(0, n).c_str());
            trouve = true;
        } else {
            err = Erreur::lecture;
        }
        break;
    }
    std::fclose(f);
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
