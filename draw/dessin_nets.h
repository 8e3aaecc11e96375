// The picture of a netlist: each net's wires in its own colour over a faint
// copy of the drawing, its terminals as squares, the symbols boxed in the
// colour of their first net (grey when on none).
#pragma once
#include <string>

#include "image/planes.h"
#include "nets/netlist.h"

// PNG bytes (8-bit RGB, the plane's size in plane coordinates); empty when
// the compression failed.
std::string Png_nets(const Netlist& n, const PlanImage& fond);
// The same as an SVG document: the drawing as an embedded picture, one group
// per net (its id in the group's id) and one for the symbols.
std::string Svg_nets(const Netlist& n, const PlanImage& fond, const std::string& titre);
// Writes OUT as PNG or SVG by its extension. False when it could not be
// written (nothing reported); for the batch report and --draw nets.
bool Ecrit_dessin_nets(const Netlist& n, const PlanImage& fond, const std::string& sortie);
// The picture of an image's netlist after its batch: IMAGE.nets.json read
// back over the image, loaded for the time of the drawing (the image closed
// again: call it between the analyses, not during one). False, with nothing
// written, when either cannot be read or OUT not written.
bool Dessine_nets_image(const std::string& image, const std::string& sortie);
