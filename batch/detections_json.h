// The symbols of a batch as detections in JSON, in the layout the common
// detection evaluation and annotation tools read: "images" (id, file_name,
// width, height), "annotations" (one per symbol: id, image_id, category_id,
// category, bbox [x, y, width, height] in pixels from the top-left corner,
// area, score, iscrowd 0) and "categories" (id, name).
#pragma once
#include <string>
#include <vector>

#include "spotting/lecture_symboles.h"

struct SymbolesImage {
    std::string image;               // the path as given
    bool lu = false;                 // its .xml was read
    std::vector<SymboleLu> symboles;
};

// The symbol lists that the batch left beside the images (IMAGE.xml).
std::vector<SymbolesImage> Lit_symboles_lot(const std::vector<std::string>& images);
// Number of symbols over all images.
long Nombre_symboles(const std::vector<SymbolesImage>& lot);
// Writes the JSON file. A symbol without a confidence rate scores 1; a box
// row y of the lists (from 1 at the top) is row y - 1 here. An image whose
// size cannot be read from its file gets width and height 0. False, after a
// message, when the file could not be written.
bool Ecrit_detections_json(const std::string& chemin, const std::vector<SymbolesImage>& lot);
