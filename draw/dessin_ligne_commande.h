// The headless drawing run: tracemorph --draw WHAT IMAGE OUT.
#pragma once
#include <string>
#include <string_view>

// The usage line of --draw.
extern const char* const Usage_dessin;

// WHAT is one of the drawings (vectors, quads, ccs, axes, graph, symbols,
// colored-quads, colored-graph).
bool Dessin_connu(std::string_view quoi);
// Their names, comma-separated, for a usage message.
std::string Noms_dessins();
// The output format, told by the extension (in any case).
enum class FormatDessin { png, svg, inconnu };
FormatDessin Format_dessin(std::string_view sortie);

// Analyses IMAGE as far as WHAT needs, draws it over the drawing and writes
// OUT as PNG or SVG, with the current front end. Returns the exit status:
// 0 written, 1 image not loaded or file not written, 2 WHAT or OUT's
// extension unknown (nothing done).
int Dessine_ligne_commande(const std::string& quoi, const std::string& image, const std::string& sortie);
