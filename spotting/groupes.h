// Symbol candidates of a wired drawing: the connecting strokes (walls, wires)
// are told from the symbol strokes through the quadrilateral graph and left
// out, and what remains is grouped at three levels, so that the parts of one
// symbol can come together while neighbours joined by a wire stay apart.
#pragma once
#include <vector>

#include "vecto/arcs.h"
#include "vecto/records.h"

// Grouping levels: strokes in contact; then groups whose gap is small beside
// their own size; then a wider gap.
// Besides, the symbol strokes inside one connected component free of wires,
// and an outline with the groups inside its box (for the models to choose:
// without models, the groups of the levels above are kept).
enum Niveau_groupe { Groupe_contact = 0, Groupe_proche = 1, Groupe_large = 2, Groupe_composante = 3, Groupe_contenu = 4 };

struct Candidat {
    std::vector<Quad*> membres;  // in the order of Liste_quads
    int xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    int niveau = Groupe_contact;  // the lowest level that gave these members
    unsigned niveaux = 0;         // bit k: level k gave them
    bool fils_courts = false;     // given only by the reading with short wires
    double score = 0;  // similarity with the best model, or the shape score
    int modele = -1;   // index of that model, -1 for none
};

// What the strokes were taken for.
enum Role_trait { Trait_symbole = 0, Trait_fil = 1, Trait_mur = 2 };

struct Propositions {
    std::vector<Candidat> candidats;  // every level, each set of members once
    std::vector<Quad*> traits;        // the quadrilaterals of length > 0
    std::vector<int> roles;           // Role_trait of each of `traits`
    double epaisseur = 0;             // the typical stroke thickness
    std::vector<bool> attache;        // a symbol stroke touching a wire (a terminal)
};

// Candidates of the quadrilaterals `quads` and their arcs `arcs`.
//  - A wall is a stroke much thicker than the typical one.
//  - A wire is a long stroke touched only at its ends (crossings aside) that
//    lies on no closed loop of such strokes: symbol outlines are loops of
//    strokes touched at their ends, the wires between them are paths.
//  - Groups of the rest: by contact, then by gap relative to the groups'
//    sizes (two steps).
//  - Each connected component of `composantes` that holds no wire or wall
//    gives the symbol strokes inside its box.
//  - Again with every long stroke touched only at its ends taken for a wire,
//    and once more (contact groups and outlines only) with shorter such
//    strokes as wires.
Propositions Propose_candidats(Quad* quads, ArcQQ* arcs, const CC* composantes = nullptr);

// Box helpers shared with the choice of candidates.
double Recouvrement(const Candidat& a, const Candidat& b);  // intersection / smaller area

// Whether a and b are pieces of one straight stroke: about the same slope,
// one's end near the other's start (within twice `epaisseur` plus a quarter
// of the shorter piece), and in line.
bool Morceaux_alignes(const Quad* a, const Quad* b, double epaisseur);
