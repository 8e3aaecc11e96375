#include "reco/reconnaissance.h"

// Placeholder until recognition lands.
int Reconnaissance(const std::string&, const std::string&, int) { return 1; }
void Caractres1Click() {}
void Gsignature1Click() {}
void Greedy1Click() {}
void Auction1Click() {}
