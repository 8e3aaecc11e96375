#include "draw/commandes_couleur.h"

#include <string>

#include "port/shell.h"
#include "draw/dessin.h"
#include "draw/image_couleur.h"
#include "vecto/arcs.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

void Commande_efface_couleur()
{
    Efface_couleur();
    Frontend_courant().show_colour_image(false);
}

void Commande_affiche_couleur() { Frontend_courant().show_colour_image(true); }

void Commande_sauve_couleur()
{
    std::string nom = "img.bmp";
    if (!Saisie(nom, "Quel Nom (.bmp) ?")) return;
    if (!Sauve_couleur(nom)) Message_erreur("Ouverture " + nom + " impossible !");
}

void Commande_quads_couleur()
{
    Quads_couleur(Liste_quads);
    Frontend_courant().show_colour_image(true);
}

void Commande_graphe_couleur()
{
    Graphe_couleur(Liste_arcs_QQ);
    Frontend_courant().show_colour_image(false);
}

void Commande_boites_symboles()
{
    Dessin_symboles(Liste_symboles);
    Symboles_couleur(Liste_symboles);
    Frontend_courant().show_colour_image(true);
}
