#include "spotting/symboles.h"

#include "vecto/records.h"

Symbole* Liste_symboles = nullptr;

void Raz_symboles(Symbole* tete) { Raz_liste(tete, " Raz Symboles : "); }
