#include "vecto/vectorisation.h"

#include "app/core/shell.h"

void Commande_vectorisation()
{
    Ecrit_texte(1, "Vecto. Ok.");
    Signal_fin();
}
