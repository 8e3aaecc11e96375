// "&Primitives" and "&Symbols": the drawings on Plan2 and in the colour
// window. In step-by-step mode they pause on each record, so they run as
// long commands.
#include "app/window/fimgc.h"
#include "app/window/main1.h"
#include "draw/commandes_couleur.h"
#include "draw/dessin.h"
#include "vecto/arcs.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

void TMain1::Vecteurs2Click()
{
    Commande_repeinte([] { Dessin_vecteurs(Liste_vecteurs); });
}

void TMain1::Quadrilatres2Click()
{
    Commande_repeinte([] { Dessin_quads(Liste_quads); });
}

void TMain1::CompConnexes2Click()
{
    Commande_repeinte([] { Dessin_CC(Liste_CC); });
}

void TMain1::Squelette1Click()
{
    Commande_repeinte([] { Dessin_axes(Liste_quads); });
}

void TMain1::Graphe1Click()
{
    Commande_repeinte(Dessin_graphe_complet);
}

void TMain1::GrapheCouleur1Click()
{
    // Drawn into the colour picture only; "Display" shows it.
    Commande_repeinte(Commande_graphe_couleur);
}

void TMain1::Grapheslectif1Click()
{
    Commande_repeinte([] { Dessin_arcs_selectif(Liste_arcs_QQ); });
}

void TMain1::Quadslctifs1Click()
{
    Commande_repeinte([] { Dessin_quads_bornes(Liste_quads); });
}

void TMain1::Caractres2Click()
{
    // The symbols over the whole sheet, reduced to the screen.
    FImgC().Ajuste_ecran(true);
    Commande_repeinte(Commande_boites_symboles);
    FImgC().Ajuste_ecran(false);
}

void TMain1::QuadsCouleur1Click()
{
    Commande_longue(Commande_quads_couleur);
}
