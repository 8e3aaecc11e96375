// Shared test helpers: a scratch working directory with its own param.dat,
// a recording front end, and tiny images built in the test.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "port/frontends.h"
#include "image/planes.h"
#include "vecto/records.h"

namespace tmtest {

// The default parameter values shipped in the repository's param.dat.
std::map<std::string, std::string> Parametres_defaut();
// Writes param.dat in `dir` in the shape the parser reads.
void Ecrit_param(const std::filesystem::path& dir, const std::map<std::string, std::string>& valeurs);

// Frees every list silently, releases the planes, resets the window state.
void Remise_a_zero();

// Fixture: fresh temporary Rep_travail holding the default param.dat, the
// recording front end installed, all global state reset before and after.
class Environnement : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Replaces some parameters (others keep their default value).
    void Parametres(const std::map<std::string, std::string>& changes);
    void Sans_parametre(const std::string& cle);  // param.dat without that key
    std::filesystem::path dir;
    FrontendEnregistreur fe;
    std::map<std::string, std::string> params;
};

// Loads a blank image of w x h into Plan1/Plan2/Plan_zoom as Open would
// (globals set, Plan_courant = Plan1).
void Image_blanche(int w, int h);
// Blackens the rectangle [x0, x1] x [y0, y1] (inclusive) of a plane.
void Rectangle_noir(PlanImage& p, int x0, int y0, int x1, int y1);
// Loads an image of (text width + 2) x (rows + 2) whose Plan1 holds the
// text: '#' black, anything else white; the text's first character lands on
// (1, 1).
void Image_depuis_texte(const std::vector<std::string>& lignes);
std::string Plan_en_texte(const PlanImage& p);  // '#'/'.' rows y = 1 .. haut-1, x = 1 .. larg-1

// A vector from (xi, yi) to (xf, yf) with its length and angle, not linked.
Vecteur* Nouveau_vecteur(int xi, int yi, int xf, int yf, int etat = 0);
// Position of record p in a list from 0, or -1.
template <class T>
int Rang(const T* tete, const void* p)
{
    int i = 0;
    for (; tete; tete = tete->suivant, i++)
        if (tete == p) return i;
    return -1;
}

// Bytes of a 1-bit bottom-up BMP: `noir(x, row_from_top)` gives ink.
std::vector<uint8_t> Bmp_1bit(int w, int h, bool blanc_en_premier, const std::vector<std::string>& motif = {});
void Ecrit_fichier(const std::filesystem::path& p, const std::vector<uint8_t>& octets);
std::vector<uint8_t> Lit_fichier(const std::filesystem::path& p);
std::string Lit_texte(const std::filesystem::path& p);

// xmllint accepts the file as well-formed XML.
bool Xml_bien_forme(const std::filesystem::path& p);

// A run of a program (found on PATH when not a path), or of the built
// tracemorph, from directory `courant`: stdin from /dev/null, no display,
// `env` added to the environment, stdout and stderr captured.
struct Execution {
    int statut = -1;  // exit status, or 128 + the signal
    std::string sortie, erreurs;
};
Execution Lance_programme(const std::string& programme, const std::filesystem::path& courant,
                          const std::vector<std::string>& args,
                          const std::vector<std::pair<std::string, std::string>>& env = {});
Execution Lance_tracemorph(const std::filesystem::path& courant, const std::vector<std::string>& args,
                           const std::vector<std::pair<std::string, std::string>>& env = {});

}  // namespace tmtest
