#include "spotting/symboles.h"

Symbole* Liste_symboles = nullptr;
