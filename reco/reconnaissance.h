// Recognition: comparison of test graphs with model graphs through the
// outside matchers, and the decision.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Compares every GXL file of `tests` with every GXL file of `modeles` using
// the matcher of `mode` (1 simgraph, 2 gsignature, 3 greedy, other auction)
// and writes NAME.res beside each test graph: the decision line, then the
// mapping line of the best model. Both directories are taken in byte order
// of their names. A model directory without any graph gives "D=?" in the log
// and no result file. Returns 1; 0 when a directory cannot be opened; -255
// when the answer of the best model cannot be read again.
// When the matcher program is this project's own, the comparison runs in
// this process (comparaison_interne.h) with the same decisions, and the
// exchange files are not written; models that cannot be compared are named
// once and left out ("D=?" when none is left), and a test graph that cannot
// be compared is named and gets "Inconnu". Otherwise the program runs once
// per model; a model whose matcher ran out of time is not compared again
// until Debut_reconnaissance_image.
// Matcher faults (no answer, an unreadable test graph) count in
// Pannes_apparieurs (apparieurs.h).
// `fin`: "Done." ends the log; spotting, which compares one candidate at a
// time, leaves it out so that the log does not say done mid-run.
int Reconnaissance(const std::string& modeles, const std::string& tests, int mode, bool fin = true);
// "&Processing" > "&Recognition" > SimGraph1, Gsignature, Greedy, Auction:
// an Info box, then Reconnaissance on Rep_travail's models and tests.
void Caractres1Click();
void Gsignature1Click();
void Greedy1Click();
void Auction1Click();

// A name longer than three characters ending in g, x, l in either case.
bool Nom_gxl(std::string_view nom);
// The GXL names of a directory (directories left out), sorted by bytes.
// A name that is no regular file (a pipe, a device) is left out and named
// once per run. False when it cannot be listed.
bool Liste_gxl(const std::string& repertoire, std::vector<std::string>& noms);
// "<symbolname>NAME</symbolname><confidencerate>%f</confidencerate>\n":
// NAME is the model's file name cut at its first '.', or "Rejet(" + the
// full name + ")" when `meilleur` is below `seuil`, as ASCII XML text, which
// reads the same in UTF-8 and in Latin-1 (the symbol list is copied into both).
std::string Ligne_decision(double meilleur, const std::string& nom, double seuil);
// A new image: every model is compared again.
void Debut_reconnaissance_image();

// A broken model's message, said once per run (a batch's workers leave it to
// the batch, which checks the models before starting them).
void Signale_modele(const std::string& texte);
extern bool Signale_modeles;
void Oublie_modeles_signales();
// Reads every model of the directory and names, once, those that will be
// left out.
void Verifie_modeles(const std::string& dossier);
// The models' directory as the user named it: a batch worker's link to it
// is followed.
std::string Dossier_modeles(const std::string& repertoire);
