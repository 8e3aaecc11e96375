// Recognition inside the program: candidate graphs built in memory and
// compared with model graphs read once per run, with the measure of the
// matcher that Bool_reco names (1 simgraph, 2 gsignature, 3 greedy, any
// other auction).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/planes.h"
#include "tools/matchers/graphe_gxl.h"
#include "tools/matchers/inclusion.h"
#include "tools/matchers/signature.h"

struct Modele_memoire {
    std::string nom;   // file name without its extension
    GrapheG graphe;
    Signature signature;
    // The ink of the model's drawing (nom.bmp beside the GXL) on the grid of
    // Ressemblance_dessin at the four quarter turns, then the same widened by
    // a cell, a bit a cell; empty without a drawing.
    std::vector<std::vector<uint64_t>> grilles;
    // The same drawing cropped to its ink, a byte a pixel (1 ink), rows
    // from the top; 0 x 0 without a drawing.
    int dessin_larg = 0, dessin_haut = 0;
    std::vector<uint8_t> dessin;
};

struct Modeles_memoire {
    std::string repertoire;
    int mode = 0;
    std::vector<Modele_memoire> liste;
    Proprietes proprietes;  // simgraph weights and the edit costs
    unsigned lecture = 0;   // which reading of the models this is, counted over the run
};

// A model file of more nodes or bytes than these is skipped as huge.
constexpr int Noeuds_max_modele = 2000;
constexpr long Octets_max_modele = 8L << 20;

// The models of `repertoire` (its GXL files in byte order), read on the first
// call and kept for the run; read again only for another directory or mode.
// A file that cannot be read, holds no node (unless a drawing is beside it:
// that model is then compared by its drawing only) or is huge is reported
// once, with its name, and left out. Settings from Chemin_apparieur("properties.xml").
const Modeles_memoire& Modeles_en_memoire(const std::string& repertoire, int mode);
// Forgets the models read (the next call reads them again).
void Oublie_modeles();

// Similarity of a candidate graph with one model, in [0, 1], by the measure
// of `mode`; simgraph takes the larger of both directions, as its caller
// outside the program does.
double Similarite_memoire(const GrapheG& candidat, const Modele_memoire& m, const Modeles_memoire& ms);

// The best model for a candidate: its index (-1 when no model can be
// compared) and similarity. Models whose node count is beyond `rapport`
// times the candidate's, or below it divided by `rapport`, are not tried
// (0: all are). With `essais` above 0, the measure is run only on that many
// models, those whose graph signatures are nearest the candidate's, and only
// on those whose signature similarity reaches Signature_min. On equal
// similarity the model listed first stays. With an edit distance (Bool_reco
// other than 1 and 2), models that cannot reach `plancher` are not compared:
// when none can, no model is chosen (the same choice whenever one reaches it).
constexpr double Signature_min = 0.7;
struct Choix_modele {
    int modele = -1;
    double similarite = 0;
};
Choix_modele Meilleur_modele(const GrapheG& candidat, const Modeles_memoire& ms, double rapport, int essais = 0,
                             double plancher = 0);

// Those of the models `essais` (indices) whose node counts are within
// `rapport` of the candidate's (as for Meilleur_modele) and whose
// similarity with `candidat` reaches `plancher`, by the models' measure.
std::vector<int> Modeles_proches(const GrapheG& candidat, const Modeles_memoire& ms, double rapport,
                                 const std::vector<int>& essais, double plancher);

// Likeness in [0, 1] of the ink of `image` inside the box (x0, y0)-(x1, y1)
// with the drawing of each model of `modeles` stretched over that box, at
// the best of the four quarter turns: the share of ink of each near ink of
// the other, on a grid of cells. -1 for a model without a drawing.
std::vector<double> Ressemblance_dessin(const PlanImage& image, int x0, int y0, int x1, int y1,
                                        const Modeles_memoire& ms, const std::vector<int>& modeles);
