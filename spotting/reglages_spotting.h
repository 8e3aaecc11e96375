// The hand-set values of the spotting by groups and poses, in one record: the
// steps read them from here, and the settings learnt per model (the model
// folder's settings file, reco/reglages_modeles.h) take over where they exist.
#pragma once
#include <cstddef>
#include <vector>

struct Reglages_spotting {
    // --- Proposals by the graph (groups of symbol strokes named by their graph)
    double rapport_noeuds = 2.0;      // models tried: node counts within this ratio
    int pente_morceaux = 10;          // continuations within this angle are pieces of one stroke
    size_t membres_max_reunion = 150; // beyond, no pairwise search for aligned pieces
    int modeles_essayes = 2;          // models compared by the measure (nearest signatures)
    int modeles_essayes_fils_courts = 1;
    double rapport_plus_long = 1.3;   // a longest stroke this many times the next is also left out
    double angle_lisse = 15.0;        // smoothed graphs: bends joined up to this angle,
    double part_lisse = 0.06;         // strokes under this part of the longest left out
    size_t noeuds_lisse = 4;          // fewer strokes: too plain to compare smoothed
    double marge_sauvetage = 0.09;    // a graph this much under the threshold is still checked,
    double dessin_sauvetage = 0.60;   // and named when its ink matches the drawing this well
    size_t noeuds_petit_modele = 5;   // a model of at most this many strokes names a candidate
    double marge_petit_modele = 0.3;  // only this part of the way from the threshold to 1 above it
    double marge_dessin = 0.1;        // models whose graphs come this near are told by their drawing,
    size_t dessins_essayes = 3;       // the nearest drawings compared

    // --- Without models
    size_t traits_min = 2;            // strokes of a symbol
    double cote_min = 9.0;            // its larger side, in stroke thicknesses
    double hauteur_texte = 12.0;      // letters: groups no taller than this many thicknesses
    double aire_composante = 4.0;     // a component widens a box up to this many times its area
    double recouvrement_max = 0.3;    // kept boxes share at most this part of the smaller one
    double poids_traits = 0.05;       // order of choice: weight of log(strokes)

    // --- Pose and check (the model's drawing against the page's ink)
    double jeu = 1.0;                 // distance (px) from the page's ink still counted as on it
    double tolerance = 3.5;           // distance from which a model point counts as missing
    double ancre_dedans_max = 4.0;    // no search anchored deeper than this inside the ink
    double jeu_large = 2.5;           // the play of the first look, at positions off by up to 2 px
    double corps = 3.0;               // page ink farther than this from the model's ink crosses its body
    double poids_etranger = 0.5;      // weight of that ink, relative to the model's, in the likeness
    double part_noire_max = 0.5;      // a body more crossed than this (a filled area) is no pose
    int points_max = 160;             // model points compared, spread over its ink
    int points_tri = 16;              // the first ones, tried before the others
    double marge_tri = 0.15;          // their mean may fall this far below the floor
    int points_tri_large = 8;         // the same at the first look, with the wider play
    double marge_tri_large = 0.0;
    double plancher = 0.6;            // likeness below which a pose is not reported at all
    double seuil = 0.78;              // default likeness from which a model names a candidate
    double seuil_simple = 0.90;       // the same for a plain model (few ink pixels, no learnt threshold)
    int encre_simple = 300;           // a model of fewer ink pixels is plain: it needs a wire at a pin
    int encre_moyen = 600;            // of fewer, it names a symbol from seuil_moyen
    double seuil_moyen = 0.86;
    // A learnt threshold rises at most this far above the one its size gives:
    // a few practice sheets can set it on one unlucky wrong detection.
    double marge_appris = 0.10;
    double echelle_min = 0.7, echelle_max = 1.4;  // scales a candidate's box may give
    double marge_candidat = 0.25;     // a group's graph this much under the threshold gets its pose sought,
    int dessins_candidat = 2;         // for its graph's model and the models of this many nearest drawings
    double poids_echelle = 0.1;       // likeness lost per doubling or halving of a model's size
    double pas_echelle = 0.1;         // the steps of scale tried for a candidate
    std::vector<double> echelles_partout = {1.0};  // scales searched over the whole page

    // --- Choice
    double part_partagee = 0.4;       // a pose whose ink is this much another's kept pose's is dropped
    double recouvrement_fort = 0.7;   // or whose box lies this much in another's (smaller box)
    double rapport_plus_grand = 1.5;  // a pose lying on the ink of a model this many times larger,
    double part_plus_grand = 0.7;     // by this share of its points,
    double marge_plus_grand = 0.2;    // and at most this more like, is part of that symbol
    double poids_taille = 0.02;       // order of choice: weight of log2(ink pixels of the model)
};

// The values every run starts from.
const Reglages_spotting& Reglages_defaut();
