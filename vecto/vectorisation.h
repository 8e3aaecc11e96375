// The vectorisation command and the single-stage processing commands.
#pragma once

#include <functional>

// The "Vectorisation" button: preprocessing, contours, chain fusion, cleaning,
// quadrilateral construction and fusion, vector fusion; then "Vecto. Ok."
// and the end beep. Does nothing but the last two without an image.
// `ensuite` is handed to Fusions_quads_vecteurs.
void Commande_vectorisation(const std::function<void()>& ensuite = {});
// "Preprocessing", "Contours vect. + CC", "CC cleaning", "&Median axis".
void Commande_pretraitement();
void Commande_contours();
void Commande_nettoyage_CC();
void Commande_axe_median();
