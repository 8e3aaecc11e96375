#include "spotting/decisions_groupes.h"

DecisionsGroupes Decisions_groupes;

void Raz_decisions_groupes()
{
    Decisions_groupes.remplies = false;
    Decisions_groupes.quads.clear();
}
