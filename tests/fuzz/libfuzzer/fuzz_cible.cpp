// libFuzzer entry: CIBLE names the entry function this program feeds.
#include "tests/fuzz/cibles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille) { return CIBLE(donnees, taille); }
