// "&Primitives" and "&Symbols": the drawings on Plan2 and in the colour
// window. In step-by-step mode they pause on each record, so they run as
// long commands.
#include "app/window/main1.h"
#include "draw/commandes_couleur.h"
#include "draw/dessin.h"
#include "graph/arcs.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

void TMain1::Vecteurs2Click()
{
    Commande_longue([] { Dessin_vecteurs(Liste_vecteurs); });
    Repeint();
}

void TMain1::Quadrilatres2Click()
{
    Commande_longue([] { Dessin_quads(Liste_quads); });
    Repeint();
}

void TMain1::CompConnexes2Click()
{
    Commande_longue([] { Dessin_CC(Liste_CC); });
    Repeint();
}

void TMain1::Squelette1Click()
{
    Commande_longue([] { Dessin_axes(Liste_quads); });
    Repeint();
}

void TMain1::Graphe1Click()
{
    Commande_longue(Dessin_graphe_complet);
    Repeint();
}

void TMain1::GrapheCouleur1Click()
{
    // Drawn into the colour picture only; "Display" shows it.
    Commande_longue(Commande_graphe_couleur);
    Repeint();
}

void TMain1::Grapheslectif1Click()
{
    Commande_longue([] { Dessin_arcs_selectif(Liste_arcs_QQ); });
    Repeint();
}

void TMain1::Quadslctifs1Click()
{
    Commande_longue([] { Dessin_quads_bornes(Liste_quads); });
    Repeint();
}

void TMain1::Caractres2Click()
{
    Commande_longue(Commande_boites_symboles);
    Repeint();
}

void TMain1::QuadsCouleur1Click()
{
    Commande_longue(Commande_quads_couleur);
}
