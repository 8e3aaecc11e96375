// Recognition: comparison of test graphs with model graphs through the
// outside matchers, and the decision.
#pragma once
#include <string>

// Compares every GXL file of `tests` with every GXL file of `modeles` using
// the matcher of `mode` (1 simgraph, 2 gsignature, 3 greedy, other auction)
// and writes NAME.res beside each test graph. Returns 1; 0 when a directory
// cannot be opened; -255 when an answer file cannot be read.
int Reconnaissance(const std::string& modeles, const std::string& tests, int mode);
// "&Processing" > "&Recognition" > SimGraph1, Gsignature, Greedy, Auction.
void Caractres1Click();
void Gsignature1Click();
void Greedy1Click();
void Auction1Click();
