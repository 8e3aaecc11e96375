// Named parameters in Rep_travail + "/param.dat", looked up at every call.
#pragma once
#include <string>
#include <string_view>

// Value of the key, or -255 after a message box ("Ouverture ... impossible !",
// "PB de lecture !" or "Parametre inconnu !", caption "Erreur"); the last two
// go on with a line naming the key, the line and the text read, as in
// "param.dat:86: Seuil_rejet: 'nan' is not a number (digits and '.' only)".
// Refused as well (-255, "PB de lecture !"): a value too large for its
// reader (an integer key past 2147483647), Methode_spotting other than 0
// or 1. A key that is not found is followed by the file's unknown keys that
// look like it ("param.dat:28: unknown key Seuil_petiV (Seuil_petitV?)");
// a file that cannot be read is named with the cause (a directory, a named
// pipe, which is never waited for), once until it can be read again.
// A value that is read but suspect keeps the value and is reported once per
// content of the file: an empty one (0), one with two decimal points (its prefix), a zero
// where the threshold must be positive (EpsV, SeuilEpmax, distZI,
// distZI_Vect), a key given again (the first wins).
double Lit_param(std::string_view nom);
// Lookups so far that failed or read a suspect value (a key given again
// counts only with another value): a run that used one must not end as
// successful.
int Nb_defauts_param();
// Lit_param truncated toward zero (so -255 stays -255).
int Lit_param_entier(std::string_view nom);
// The same lookups without a word and without counting: true when Lit_param
// would give the value silently (the key found, its value not suspect), for
// a stage that reads its thresholds before handing work to another thread.
bool Lit_param_net(std::string_view nom, double& valeur);
bool Lit_param_entier_net(std::string_view nom, int& valeur);
// Empty when `chemin` is missing or a plain file (or a link to one); else
// why it cannot serve as param.dat, as "DIR/param.dat is a directory, not a
// file" (a named pipe would block its reader, a directory reads as nothing).
std::string Param_non_fichier(const std::string& chemin);
