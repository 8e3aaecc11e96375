// Calls of the outside graph matchers. Each compares ./G1.gxl with ./G2.gxl
// and leaves its answer in ./result.txt (first line "S = " and the
// similarity, second line the node mapping).
#pragma once
#include <string>
#include <string_view>

// The number at index `debut` of `texte`: the longest run of digits and '.'
// there, at most 19 characters, read as a decimal; an empty run gives 0.
double Lit_nombre(int debut, std::string_view texte);

// Each returns the similarity, or -255 when the matcher gave no answer: it
// could not be started, ran past the time limit (then it is stopped with
// every process it started), exited with a status other than 0, or left no
// result.txt. That is shown as "Ouverture impossible" with, on the next
// line, the matcher, Modele_compare and why; it counts in
// Pannes_apparieurs. simgraph runs both ways and gives the larger value
// (a first direction out of time skips the second); its result.txt is then
// the answer of that direction.
double Appel_simgraph();
double Appel_gsignature();
double Appel_greedy();
double Appel_auction();

// The model file named in the messages of the calls; empty names none.
extern std::string Modele_compare;
// Calls that gave no answer, and whether the last one ran out of time.
extern int Pannes_apparieurs;
extern bool Delai_apparieur_depasse;

// Where a matcher program or its settings file is taken from:
// Chemin_programme("simgraph/" + nom) (beside the running program first).
std::string Chemin_apparieur(const std::string& nom);
// Seconds a matcher may run: TRACEMORPH_MATCHER_TIMEOUT when it holds a
// positive number, else 60.
double Delai_apparieur();
