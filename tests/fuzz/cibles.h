// Entry functions of the fuzz targets. The libFuzzer programs call them on
// generated inputs; the ordinary test suite replays the saved inputs through
// the same functions. Each runs in a scratch working directory of its own,
// with the silent front end, and leaves no image and no list behind.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A violated invariant is a finding: abort so the fuzzer keeps the input and
// the replay test fails on it.
#define EXIGE(c)                                                                           \
    do {                                                                                   \
        if (!(c)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #c); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

// The bytes as an image file read by the 1-bit reader (the converter is never
// run), then the preprocessing and the plane commands on what was loaded.
int Cible_chargement(const uint8_t* donnees, size_t taille);
// The bytes as param.dat, and lookups of present, absent and odd keys.
int Cible_param(const uint8_t* donnees, size_t taille);
// The bytes decoded into a small drawing and a value for every threshold,
// then the command-line analysis with symbol spotting and both writers (the
// graph and the spotting only below 3000 primitives, so that no input costs
// more than a few seconds).
int Cible_analyse(const uint8_t* donnees, size_t taille);
// The bytes as two GXL texts joined by a NUL, read by the graph matchers'
// reader, then every matcher on the pair and on each graph with itself.
int Cible_gxl(const uint8_t* donnees, size_t taille);

// Shared by the targets: the process's scratch directory (under $TMPDIR when
// set, removed at exit) and a file written whole, both checked.
const std::string& Repertoire_fuzz();
void Ecrit_fuzz(const std::string& chemin, const void* donnees, size_t taille);
