// The command line read once, before anything is touched: which form, its
// options and its operands, or the reason it is refused.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

enum class Forme { fenetre, image, lot, rassemblement, dessin, modeles, aide, version };

struct Options {
    Forme forme = Forme::fenetre;
    bool silencieux = false;  // -q: no log on stdout
    bool reprise = false;     // --resume: images with up-to-date files are not analysed again
    int jobs = 1;
    std::string json;                // --json FILE, empty when not asked
    bool netlist = false;            // --netlist: IMAGE.nets.json and .nets.gxl beside each image
    std::string symboles;            // --symbols DETECTIONS.json: the symbols' boxes, not the spotting's
    std::string rapport;             // --report DIR, empty when not asked
    std::vector<std::string> operandes;
};

// Reads argv[1..argc-1]. Returns an empty text when the line is a valid
// form, else the one-line reason ("unknown option '--bogus'").
// Options and operands may come in any order; "--" ends the options.
std::string Lit_options(int argc, char** argv, Options& o);

// The Usage block, listing every form.
void Ecrit_usage(std::FILE* f);
// The whole --help text (the Usage block first).
void Ecrit_aide(std::FILE* f);
