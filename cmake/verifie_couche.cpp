// Linked with one layer of the analysis core taken whole and only the layers
// below it: the link fails when that layer calls into a layer above it.
int main() { return 0; }
