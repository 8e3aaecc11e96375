// Symbol candidates found by spotting.
#pragma once
#include <cstdint>

struct Symbole {
    int32_t genre = 0;        // 100 = closed polygon
    int32_t nb_points = 0;
    double taille = 0.0;
    char nom[20] = {};
    int32_t points[20][2] = {};
    Symbole* suivant = nullptr;
};

extern Symbole* Liste_symboles;

// The symbol list emptied with its log line; the caller sets the head to null.
void Raz_symboles(Symbole* tete);
