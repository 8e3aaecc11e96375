// The outside programs the analysis runs (the image converter, the graph
// matchers): where they are taken from, whether they are this project's
// own, and how they are run.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Where the outside program `relatif` ("cxconvert", "simgraph/auction") is
// taken from: the one installed beside the running program, so that a
// folder someone else prepared cannot put its own executable in its place;
// Rep_travail + "/" + relatif only when TRACEMORPH_LOCAL_PROGRAMS=1 is set
// and it exists there. Empty when the program's directory is unknown.
std::string Chemin_programme(const std::string& relatif);
// The line saying where `relatif` was looked for, for a program that could
// not be started: "simgraph/auction not found: looked for DIR/simgraph/auction
// (WORK/simgraph/auction is used only with TRACEMORPH_LOCAL_PROGRAMS=1)".
std::string Programme_cherche(const std::string& relatif);

// True when the program at `chemin` answers --identify with
// Identite_programme(nom). Asked once per program per run (again when the
// file changed); a program that is not the project's own is named once, in
// an "Info" message, as the outside program used.
// With `nomme` false the answer is only asked for (nothing shown).
bool Programme_du_projet(const std::string& chemin, std::string_view nom, bool nomme = true);

// How a run of an outside program ended.
struct Execution_programme {
    // arrete: Stop was clicked (the program ended, or never started).
    enum Fin { terminee, delai, non_lance, arrete } fin = non_lance;
    int statut = -1;      // exit status, or 128 + the signal that ended it
    std::string sortie;   // standard output, when asked for (at most 64 KiB)
    std::string erreurs;  // standard error (at most its last 64 KiB)
    std::string raison;   // why it could not be started
};
// What becomes of an outside program's standard streams.
enum class Flux_programme {
    erreurs_relayees,  // standard error captured and passed on to this process's
    erreurs_gardees,   // standard error captured only (the caller tells what it meant)
    sortie_capturee,   // a question put to the program: standard output captured too
};
// Runs the program directly (no command interpreter, so any path works) in a
// process group of its own, standard input from /dev/null, its standard error
// captured (and standard output as `flux` says). Past `delai` seconds, or
// when Stop is clicked (the window handles its events while it waits), the
// group is killed; the group is also ended when the program exits, so no
// child it left behind outlives the run.
Execution_programme Execute_programme(const std::string& programme, const std::vector<std::string>& arguments,
                                      double delai, Flux_programme flux = Flux_programme::erreurs_relayees);
// The last non-empty line of a text, without its line break.
std::string Derniere_ligne(std::string_view texte);

// Kills the process group of every outside program running now
// (async-signal-safe: for a handler of SIGINT, SIGTERM or SIGHUP that ends
// this process, whose programs would otherwise outlive it).
void Termine_programmes_en_cours();
