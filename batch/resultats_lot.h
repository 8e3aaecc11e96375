// The batch results file FINAL_RESULTS.GRE: one imageresult element per
// image, holding that image's symbol list, in the order of the selection.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

// Name of an image in the results file: the file name without its directory
// and without its extension ("C:/data/plan12.bmp" gives "plan12"). Only the
// last extension goes, whatever its length ("scan.tiff" gives "scan"); a name
// without a dot, or whose only dot leads it (".bmp"), is kept whole.
std::string Nom_image_lot(std::string_view chemin);

// The participant element's content: TRACEMORPH_PARTICIPANT, or "anonymous"
// when it is not set.
std::string Participant_lot();

// Creates the results file and writes the two header pieces. Null after
// "Ouverture impossible de resultfinal!" when it cannot be created. The file
// is written under a temporary name and takes its name only when closed
// complete (Ferme_resultat): until then the previous results stay.
std::FILE* Ouvre_resultats_lot(const std::string& chemin);
// Appends the entry of one image: its name, the symbol list copied verbatim
// from chemin_image + ".xml", the closing. When that copy cannot be read,
// "Ouverture tmp impossible" is shown (with a line naming it and the cause) and the entry holds no symbol list;
// so it does, after a message, when the list does not end with its closing
// tag (a broken-off spotting run) or is not well-formed XML. Returns true
// when the list was copied.
bool Ecrit_entree_lot(std::FILE* f, const std::string& chemin_image);
// As above without looking for the copy: the entry of an image whose
// analysis broke off (no symbol list).
void Ecrit_entree_sans_symboles(std::FILE* f, const std::string& chemin_image);
// A symbol list that Ecrit_entree_lot would copy: readable, complete and
// well-formed.
bool Liste_lisible(const std::string& chemin);
// Writes the closing and closes the file. False, after "Ecriture %s
// impossible !", when a byte could not be written. Counts in
// Resultats_lot_places the results files put in place.
extern int Resultats_lot_places;
bool Ferme_resultats_lot(std::FILE* f, const std::string& chemin);
// Closes the file of a batch that did not end: the previous results file, if
// any, stays as it was.
void Abandonne_resultats_lot(std::FILE* f);
