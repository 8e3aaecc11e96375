// A model's drawing laid on the page at a pose (position, scale, quarter
// turn, mirror) and checked against the page's ink in one direction: the
// model's ink missing from the page lowers the likeness, the page's ink
// beside the model (a wire running in, a text) does not, unless it crosses
// the model's body.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "image/planes.h"
#include "spotting/reglages_spotting.h"

// The page's ink and what a model point costs at each pixel: 0 on the ink
// and within `jeu` of it, rising to 255 at `tolerance` and beyond.
struct Encre_page {
    int larg = 0, haut = 0;        // pixel (x, y) at y * larg + x; the plane's rows, 1 the topmost
    std::vector<uint8_t> encre;    // 1 ink
    std::vector<uint8_t> cout;
    std::vector<uint8_t> cout_fin;    // the same without play, to set a pose to the pixel
    std::vector<uint8_t> cout_large;  // the same with a wider play, for a first look at rough positions
    std::vector<int32_t> composante;  // each ink pixel's connected component (8-neighbours), 0 on paper
    std::vector<int32_t> boites;      // each component's box: x0, y0, x1, y1
    std::vector<int32_t> ancres;   // one ink pixel per inked cell of 3 x 3, the nearest its centre, in reading order
};
Encre_page Encre_de(const PlanImage& p, const Reglages_spotting& r);
// The same from bytes (1 ink), `larg` a row, for drawings made in memory.
Encre_page Encre_de(int larg, int haut, const std::vector<uint8_t>& encre, const Reglages_spotting& r);

// The drawing as stored is mirrored first (left to right) when `miroir`,
// then turned `quarts` quarter turns clockwise, then scaled.
struct Pose {
    int quarts = 0;
    bool miroir = false;
    double echelle = 1.0;
};

struct Gabarit {
    int modele = -1;
    Pose pose;
    int larg = 0, haut = 0;
    std::vector<uint8_t> encre;  // larg x haut, 1 ink
    std::vector<uint8_t> loin;   // 1 where the page's ink would cross the body (far from the ink)
    std::vector<std::pair<int16_t, int16_t>> points;  // ink points compared, spread ones first
    std::vector<std::pair<int16_t, int16_t>> negatifs;  // a few points of the body away from the ink, spread
    int loin_total = 0;          // pixels of the body away from the ink
    double epaisseur = 1;        // its strokes' thickness (twice its ink over its ink's edge)
    int encre_totale = 0;        // ink pixels
    int encre_damier = 0;        // of them on the checkerboard of the anchors
};
// The drawing `dessin` (larg x haut bytes, 1 ink) at `pose`; empty (larg 0)
// when nothing of it is left at that scale.
Gabarit Gabarit_de(const std::vector<uint8_t>& dessin, int larg, int haut, const Pose& pose, const Reglages_spotting& r);

struct Detection {
    int modele = -1;
    const Gabarit* gabarit = nullptr;
    int x = 0, y = 0;        // top-left corner of the model's box on the page
    double trouve = 0;       // share of the model's ink found on the page (0..1, by cost)
    double etranger = 0;     // the page's ink crossing the body, relative to the model's ink
    double score = 0;        // the likeness: found ink less crossing ink, in [0, 1]
    int xmax() const { return x + gabarit->larg - 1; }
    int ymax() const { return y + gabarit->haut - 1; }
};

// The likeness of `d` less poids_echelle per doubling or halving of the
// model's size: of two poses about as like, the one at the drawing's size.
double Ressemblance_posee(const Detection& d, const Reglages_spotting& r);

// The likeness of `g` at (x, y); false (d unchanged) when it falls below
// `plancher` (or the box leaves the page).
bool Evalue_pose(const Encre_page& page, const Gabarit& g, int x, int y, double plancher, const Reglages_spotting& r,
                 Detection& d);
// Every pose of `g` on the page at or above `plancher`, anchored on the
// page's ink, one per neighbourhood (the best, adjusted by a pixel).
void Cherche_partout(const Encre_page& page, const Gabarit& g, double plancher, const Reglages_spotting& r,
                     std::vector<Detection>& sortie);
// The best pose among `gabarits` whose box centre lies within `rayon` of
// (cx, cy); false when none reaches `plancher`.
bool Cherche_autour(const Encre_page& page, const std::vector<const Gabarit*>& gabarits, int cx, int cy, int rayon,
                    double plancher, const Reglages_spotting& r, Detection& meilleure);
// Whether ink on the page carries on out of the box of `d` from exactly one
// of the model's terminals (its ink on the box's edge, a thin run going on
// straight inward): a wire ending at its pin, not one passing through; and
// no other ink crosses the box's edges (two pixels out). Without
// `fil_exige`, only the latter: the model stands free or wired at its pins.
bool Fil_au_bout(const Encre_page& page, const Detection& d, bool fil_exige = true);

struct Modeles_memoire;
// The drawing of the model `modele` of `ms` at `pose`, made once per reading
// of the models and kept (scales rounded to a twentieth).
const Gabarit& Gabarit_memoire(const Modeles_memoire& ms, int modele, Pose pose, const Reglages_spotting& r);
// Forgets the drawings made.
void Oublie_gabarits();
