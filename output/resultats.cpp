#include "output/resultats.h"

bool Ecrit_resultats_texte(const std::string&, Vecteur*, Quad*, CC*, ArcQQ*, ArcVV*, ArcQV*) { return false; }
bool Ecrit_graphe_gxl(const std::string&, Vecteur*, Quad*, CC*, ArcQQ*, ArcVV*, ArcQV*, int) { return false; }
bool Ecrit_liste_vecto(const std::string&, Vecteur*, Quad*, CC*) { return false; }
