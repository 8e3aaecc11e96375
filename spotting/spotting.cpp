#include "spotting/spotting.h"

// Placeholder until the spotting stage lands.
void LiaisonsB1Click() {}
int Extraction_symboles(double, int) { return 0; }
int Copie_symboles(const std::string&) { return 1; }
void Symboles1Click() {}
void ReconnaitreClick() {}
