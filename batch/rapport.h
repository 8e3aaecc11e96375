// The batch report: a folder a person opens in a browser to check a batch
// by eye. DIR/index.html shows each image as a thumbnail with the symbols
// found drawn over it (the full picture on a click), the counts per symbol
// name per image and in total (the take-off made from plans) and links to
// each image's files; DIR/counts.csv holds the same counts. Plain HTML and
// PNG, read without any script or server.
#pragma once
#include <string>
#include <vector>

#include "batch/detections_json.h"

// Counts of the symbols by name: `noms` in byte order, par_image[i][k] the
// symbols of image i named noms[k], total[k] over all images. Every symbol
// counts under the name its list gives (NONE without recognition,
// Rejet(model) for a rejection), as FINAL_RESULTS.GRE holds them.
struct ComptesLot {
    std::vector<std::string> noms;
    std::vector<std::vector<long>> par_image;
    std::vector<long> total;
};
ComptesLot Compte_symboles(const std::vector<SymbolesImage>& lot);

// counts.csv: a header "image,path,NAME...,total", one row per image, in the
// order given, and the row "total"; UTF-8, fields quoted where needed.
std::string Csv_comptes(const std::vector<SymbolesImage>& lot, const ComptesLot& comptes);

// Text as HTML element content or attribute value, in UTF-8 (bytes that are
// not UTF-8 taken as Latin-1), & < > " ' escaped.
std::string Texte_html(const std::string& texte);
// A path as the href of a link: bytes outside the unreserved URL characters
// and '/' percent-encoded (then safe in an attribute too).
std::string Lien_html(const std::string& chemin);

// Writes the report into `rep` (made when missing): index.html, counts.csv
// and pictures/NNNN.png, pictures/NNNN-small.png for image NNNN (from 1);
// nothing else in `rep` is touched. Each image is read again for its
// pictures; one that cannot be read gets a line saying why instead.
// False, after a message naming the folder and the cause, when the report
// could not be written.
bool Ecrit_rapport_lot(const std::string& rep, const std::vector<SymbolesImage>& lot);
