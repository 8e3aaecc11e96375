// The colour window's commands as the menus call them. The window shows the
// picture through Frontend_courant().show_colour_image(modal).
#pragma once

// "Erase": the picture to the image's size, white inside, refreshed.
void Commande_efface_couleur();
// "Display": shows the colour window modally.
void Commande_affiche_couleur();
// "Save in file": asks "Quel Nom (.bmp) ?" proposing "img.bmp" and saves the
// picture under the answer, relative to the current directory; Cancel
// saves nothing. A file that cannot be written is reported.
void Commande_sauve_couleur();
// "Colored Quad.": the quadrilaterals by score, then the window, modally.
void Commande_quads_couleur();
// "Graph with colors (quad)": the graph of Liste_arcs_QQ; not shown.
void Commande_graphe_couleur();
// "Bounding boxes": the symbols on Plan2, their outlines in the colour
// picture, then the window, modally.
void Commande_boites_symboles();
