#include "draw/commandes_couleur.h"

#include <string>
#include <vector>

#include "port/shell.h"
#include "draw/dessin.h"
#include "draw/export_dessin.h"
#include "image/planes.h"
#include "spotting/lecture_symboles.h"
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
    // The names and scores as the spotting's list gives them, when it is
    // the list of these symbols.
    std::vector<SymboleLu> lus;
    std::vector<std::string> etiquettes;
    int n = 0;
    for (Symbole* s = Liste_symboles; s; s = s->suivant) n++;
    if (Lit_liste_symboles(Rep_travail + "/tmpsymb.gxl", lus) && lus.size() == static_cast<size_t>(n))
        for (const SymboleLu& s : lus) etiquettes.push_back(Etiquette_complete(s));
    Symboles_sur_dessin(Liste_symboles, Plan1, etiquettes);
    Frontend_courant().show_colour_image(true);
}
