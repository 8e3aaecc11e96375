// The netlist of an image as files beside it: IMAGE.nets.json and
// IMAGE.nets.gxl, and where the symbols' boxes come from.
#pragma once
#include <string>
#include <vector>

#include "nets/netlist.h"

// What the command line asked: the netlist written beside each image, and
// the detections file whose boxes stand for the symbols (empty: the
// spotting's own symbols).
struct ReglagesNets {
    bool actif = false;
    std::string symboles;
};
extern ReglagesNets Reglages_nets;

// The boxes of the image `chemin` (a path as given): from Reglages_nets'
// detections file when there is one, else from the symbol list `liste`
// (tmpsymb.gxl or an IMAGE.xml), ids counting from 1 in its order. False,
// with the reason in `erreur` (the detections file is not usable, the image
// has no entry in it, one of its boxes is wrong or lies outside the loaded
// image), when there are none to use.
bool Boites_image(const std::string& chemin, const std::string& liste, std::vector<BoiteSymbole>& boites,
                  std::string& erreur);

// The JSON document of a netlist, coordinates from 0 at the top-left.
std::string Json_netlist(const Netlist& n, const std::string& image);
// The GXL graph: symbols and nets as nodes, each terminal an edge between
// its symbol and its net.
std::string Gxl_netlist(const Netlist& n, const std::string& image);

// Reads back a document Json_netlist wrote (IMAGE.nets.json). False when the
// file cannot be read or is not one.
bool Lit_netlist_json(const std::string& chemin, Netlist& n);

// The netlist of the current image into chemin + ".nets.json" and
// ".nets.gxl". False, after a message naming the cause, when the boxes
// could not be had or a file not written; nothing is written then.
bool Ecrit_netlist_image(const std::string& chemin, const std::string& liste);
