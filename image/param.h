// Named parameters in Rep_travail + "/param.dat", looked up at every call.
#pragma once
#include <string_view>

// Value of the key, or -255 after a message box ("Ouverture ... impossible !",
// "PB de lecture !" or "Parametre inconnu !", caption "Erreur").
double Lit_param(std::string_view nom);
// Lit_param truncated toward zero (so -255 stays -255).
int Lit_param_entier(std::string_view nom);
