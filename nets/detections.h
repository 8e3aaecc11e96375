// Symbol boxes given from outside: a detections file in the COCO layout that
// --json writes (and labelling tools read and write), images matched by file
// name.
#pragma once
#include <string>
#include <vector>

#include "nets/netlist.h"

struct DetectionsImage {
    std::string fichier;                // file_name as written
    int largeur = 0, hauteur = 0;       // 0 when not given
    std::vector<BoiteSymbole> boites;   // plane coordinates (row + 1)
    std::vector<std::string> erreurs;   // what makes its boxes unusable, one line each
};

struct Detections {
    std::string erreur;  // why the file as a whole cannot be used; empty when read
    std::vector<DetectionsImage> images;
};

// Reads the file. Its faults are named: a file that cannot be read or is not
// JSON, or not the layout, in `erreur`; an annotation whose box has a zero or
// negative size, lies outside its image, or whose id is given twice, in its
// image's `erreurs` (both images for an id given in two). A box [x, y, w, h]
// from the top-left becomes the plane's inclusive box from column x, row
// y + 1. An annotation's name is its "category", else its category's name.
Detections Lit_detections(const std::string& chemin);
// Reads from the text itself (`nom` names it in the messages).
Detections Lit_detections_texte(const std::string& texte, const std::string& nom);

// The entry of an image given as `image` (a path as the user gave it): the
// one whose file_name is that path, else the one with the same file name
// after the last '/'. Null when none.
const DetectionsImage* Detections_de(const Detections& d, const std::string& image);
// The entries that name none of `images`.
std::vector<std::string> Images_non_donnees(const Detections& d, const std::vector<std::string>& images);
