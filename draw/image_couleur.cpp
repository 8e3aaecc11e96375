#include "draw/image_couleur.h"

// Placeholder until the colour picture lands.
ImageCouleur Image_couleur;
void Efface_couleur() {}
void Ligne_couleur(int, int, int, int, uint32_t) {}
void Quad_couleur(const int*, const int*, uint32_t) {}
bool Sauve_couleur(const std::string&) { return false; }
void Quads_couleur(Quad*) {}
void Graphe_couleur(ArcQQ*) {}
void Symboles_couleur(Symbole*) {}
