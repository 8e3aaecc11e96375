// The settings file beside the models (reglages.txt): its text, its reading,
// and the fingerprint of the models it was learnt from. Latin-1 bytes, tab-
// separated fields; docs/calibration.md describes it for the user.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "reco/reglages_modeles.h"

inline constexpr const char* Nom_fichier_reglages = "reglages.txt";
inline constexpr int Version_reglages = 1;

struct Fichier_reglages {
    std::string empreinte;                                   // 16 hexadecimal digits
    std::vector<Reglage_modele> modeles;                     // in byte order of the names
    std::vector<std::pair<std::string, std::string>> memes;  // (name, first name drawing the same)
};

// The fingerprint of the models of `rep`: the name, size and content of
// every NAME.gxl and NAME.bmp in byte order of the names, through FNV-1a on
// 64 bits, as 16 hexadecimal digits. Empty when the folder cannot be read.
std::string Empreinte_modeles(const std::string& rep);

// The file's text: header line, comment lines, one line per model and per
// duplicate, and a closing line with the model count (a file cut short is
// told from a whole one).
std::string Texte_reglages(const Fichier_reglages& f);
// Reads `texte` into `f`; empty when sound, else why not ("format 0, not 1",
// "line 7: ...", "no closing line").
std::string Lit_texte_reglages(const std::string& texte, Fichier_reglages& f);

// The settings file of `rep` against its models.
enum class Etat_reglages { a_jour, absent, abime, perime };
// `lu` receives the file when it is up to date; `raison` why it is not.
Etat_reglages Etat_fichier_reglages(const std::string& rep, Fichier_reglages* lu = nullptr, std::string* raison = nullptr);
