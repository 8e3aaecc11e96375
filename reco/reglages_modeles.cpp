#include "reco/reglages_modeles.h"

#include <map>

#include "reco/fichier_reglages.h"

bool Reglages_ignores = false;

namespace {

bool Charges = false;
std::string Rep_charge;
std::map<std::string, Reglage_modele> Lus;

}  // namespace

int Charge_reglages(const std::string& rep_modeles)
{
    if (Charges && Rep_charge == rep_modeles) return static_cast<int>(Lus.size());
    Charges = true;
    Rep_charge = rep_modeles;
    Lus.clear();
    // A file that is damaged or learnt from other models is not used: the
    // model maker (or the batch, before its first image) makes it again.
    Fichier_reglages f;
    if (Etat_fichier_reglages(rep_modeles, &f) != Etat_reglages::a_jour) return 0;
    for (Reglage_modele& r : f.modeles) {
        const std::string nom = r.nom;
        Lus.emplace(nom, std::move(r));
    }
    return static_cast<int>(Lus.size());
}

const Reglage_modele* Reglage_de(const std::string& nom)
{
    const auto it = Lus.find(nom);
    return it == Lus.end() ? nullptr : &it->second;
}

void Oublie_reglages()
{
    Charges = false;
    Rep_charge.clear();
    Lus.clear();
}
