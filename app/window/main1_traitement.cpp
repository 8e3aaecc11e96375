// "&Processing" and the analysis buttons: each runs as a long command, with
// the commands that would free its data greyed meanwhile.
#include "app/window/main1.h"
#include "batch/batch.h"
#include "graph/construction.h"
#include "reco/reconnaissance.h"
#include "spotting/spotting.h"
#include "vecto/vectorisation.h"

void TMain1::AxeMedian1Click()
{
    Commande_repeinte(Commande_axe_median);
}

void TMain1::Pretraitement1Click()
{
    Commande_repeinte(Commande_pretraitement);
}

void TMain1::Contours1Click()
{
    Commande_repeinte(Commande_contours);
}

void TMain1::NettoyageCC1Click()
{
    Commande_repeinte(Commande_nettoyage_CC);
}

void TMain1::Caractres1Click() { Commande_longue(::Caractres1Click); }
void TMain1::Auction1Click() { Commande_longue(::Auction1Click); }
void TMain1::Gsignature1Click() { Commande_longue(::Gsignature1Click); }
void TMain1::Greedy1Click() { Commande_longue(::Greedy1Click); }

void TMain1::vectorisation1Click()
{
    Commande_repeinte([] { Commande_vectorisation(); });
}

void TMain1::Texte1Click()
{
    Commande_repeinte([] { Commande_graphe(); });
}

void TMain1::LiaisonsB1Click()
{
    Commande_repeinte(::LiaisonsB1Click);
}

void TMain1::CyclesB1Click()
{
    Commande_longue(::CyclesB1Click);
    Plan2_1Click();
}
