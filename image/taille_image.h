// The size of a picture read from its file's header, without loading it.
#pragma once
#include <string>

// Width and height in pixels of a BMP, PNG, GIF, JPEG or TIFF file.
// False when the file cannot be read or is none of these.
bool Taille_fichier_image(const std::string& chemin, int& largeur, int& hauteur);
