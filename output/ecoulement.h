// Writeback of a large result file started while the rest is formatted.
#pragma once
#include <cstdint>

// Replacing a file by renaming over it makes the file system send the new
// file's pages to the disk there and then (some 100 ms for the graph file of
// an A0 sheet). A helper thread starts that writeback, piece by piece, while
// the writer formats what follows, so the rename finds little left to send.
// Only where the file's blocks could not be reserved ahead (see
// Sortie_resultat): with them reserved, the rename sends nothing.
// A hint only: no byte and no error of the file depends on it.
class Ecoulement;

// Null (nothing to do) when no second thread is allowed or to be had.
Ecoulement* Ecoulement_demarre(int fd);
// The first `octets` bytes of the file have been written: their writeback
// may start.
void Ecoulement_jusqua(Ecoulement* e, int64_t octets);
// Ends the thread; what it has not started is left to the rename. Null is
// allowed.
void Ecoulement_termine(Ecoulement* e);
