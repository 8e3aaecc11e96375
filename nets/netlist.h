// The netlist of a schematic: which symbols the wires join, read from the
// ink (Plan1) and the thick strokes of the analysis (Liste_quads, Liste_CC),
// with the symbols' boxes given from outside (a detections file, or the
// spotting's own list).
#pragma once
#include <string>
#include <vector>

// A symbol's box in plane coordinates (x the column, y the row from 1 at the
// top), inclusive.
struct BoiteSymbole {
    long id = 0;
    std::string nom;
    int xi = 0, yi = 0, xf = 0, yf = 0;
};

struct PointNet {
    int x = 0, y = 0;  // plane coordinates
};

// One place where a net's wire meets a symbol.
struct BorneNet {
    long symbole = 0;  // the box's id
    PointNet p;
};

struct TraitNet {
    PointNet a, b;  // a wire's axis, plane coordinates
};

struct Net {
    long id = 0;
    std::vector<long> symboles;  // ids, increasing, once each
    std::vector<BorneNet> bornes;
    std::vector<TraitNet> traits;
};

struct Netlist {
    std::vector<BoiteSymbole> boites;
    std::vector<std::vector<PointNet>> bornes_symbole;  // per box, its terminals
    std::vector<Net> nets;                               // those meeting at least one symbol
};

// The nets of the current image (Plan1, Liste_quads, Liste_CC after the
// vectorisation and the graph) for the boxes given. Symbol strokes are the
// ones inside a box; text is the strokes of glyph-sized components; two wires
// join at a T, a corner, a junction dot, an end lying on the other, or when
// one carries on the other; wires crossing without a dot stay apart. A wire
// entering a box is one of its terminals; two symbols whose pins run into
// each other share a net. An image without wires gives no nets.
// Notes: the time grows with the number of strokes and their contacts, each
// stroke compared only with those in its neighbourhood (a grid of cells).
Netlist Calcule_netlist(const std::vector<BoiteSymbole>& boites);

// The pairs of symbol ids that share a net, each (a < b) once, sorted.
std::vector<std::pair<long, long>> Paires_netlist(const Netlist& n);
