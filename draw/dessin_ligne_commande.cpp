#include "draw/dessin_ligne_commande.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "port/frontends.h"
#include "port/shell.h"
#include "draw/dessin.h"
#include "draw/dessin_nets.h"
#include "nets/ecriture_nets.h"
#include "draw/export_dessin.h"
#include "draw/image_couleur.h"
#include "vecto/arcs.h"
#include "graph/construction.h"
#include "image/chargement.h"
#include "image/param.h"
#include "spotting/etat_analyse.h"
#include "image/planes.h"
#include "output/ecriture.h"
#include "spotting/spotting.h"
#include "spotting/symboles.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

const char* const Usage_dessin =
    "Usage: tracemorph --draw vectors|quads|ccs|axes|graph|symbols|colored-quads|colored-graph|nets IMAGE OUT.png|OUT.svg\n";

namespace {

struct Choix {
    std::string_view nom;
    Dessin quoi;
    int etapes;  // 1 vectorisation, 2 and the graph, 3 and symbol spotting
};
constexpr Choix Choix_dessins[] = {
    {"vectors", Dessin::vecteurs, 1},        {"quads", Dessin::quads, 1},
    {"ccs", Dessin::cc, 1},                  {"axes", Dessin::axes, 1},
    {"graph", Dessin::graphe, 2},            {"symbols", Dessin::symboles, 3},
    {"colored-quads", Dessin::quads_couleur, 3}, {"colored-graph", Dessin::graphe_couleur, 3},
};

// The drawing itself, as the menu command draws it.
void Dessine(Dessin quoi)
{
    Efface_P2();  // the picture shows this drawing only
    switch (quoi) {
    case Dessin::vecteurs: Dessin_vecteurs(Liste_vecteurs); break;
    case Dessin::quads: Dessin_quads(Liste_quads); break;
    case Dessin::cc: Dessin_CC(Liste_CC); break;
    case Dessin::axes: Dessin_axes(Liste_quads); break;
    case Dessin::graphe: Dessin_graphe_complet(); break;
    case Dessin::symboles: Dessin_symboles(Liste_symboles); break;
    case Dessin::quads_couleur:
        // Without quadrilaterals nothing is drawn, but the picture still
        // takes the image's size.
        if (Nb_quads == 0) Efface_couleur();
        Quads_couleur(Liste_quads);
        break;
    case Dessin::graphe_couleur: Graphe_couleur(Liste_arcs_QQ); break;
    }
}

int Dessine_fichier(const Choix& choix, const std::string& image, const std::string& sortie)
{
    Open(image);
    if (!Plan_courant) return 1;  // Open has said why
    Efface_texte();
    Commande_vectorisation();
    if (choix.etapes >= 2) Commande_graphe();
    if (choix.etapes >= 3) LiaisonsB1Click();
    Dessine(choix.quoi);
    // The names and scores recognition gave, from the spotting's list.
    std::vector<SymboleLu> symboles;
    if (choix.quoi == Dessin::symboles) Lit_liste_symboles(Rep_travail + "/tmpsymb.gxl", symboles);
    bool ecrit = false;
    // The PNG pictures are written as they are encoded: a large sheet costs
    // no copy of the whole picture.
    if (Format_dessin(sortie) == FormatDessin::svg) {
        const std::string octets =
            Svg_dessin(choix.quoi, Plan1, "Tracemorph " + std::string(choix.nom) + ": " + Nom_fichier(image), symboles);
        ecrit = !octets.empty() && Ecrit_octets(sortie, octets);
    } else if (choix.quoi == Dessin::quads_couleur || choix.quoi == Dessin::graphe_couleur) {
        ecrit = Ecrit_png_couleur_sur(sortie, Plan1);
    } else {
        ecrit = Ecrit_png_sur_fond(sortie, Plan2, Plan1, symboles);
    }
    if (!ecrit) {
        Message_erreur("Ouverture " + sortie + " impossible !\n" + sortie + ": " + Cause_echec_resultat());
        return 1;
    }
    Ecrit_texte(1, "Dessin enregistré : " + sortie);
    return Nb_defauts_param() == 0 ? 0 : 1;  // drawn with a threshold that could not be read
}

}  // namespace

bool Dessin_connu(std::string_view quoi)
{
    if (quoi == "nets") return true;
    for (const Choix& c : Choix_dessins)
        if (c.nom == quoi) return true;
    return false;
}

std::string Noms_dessins()
{
    std::string o;
    for (const Choix& c : Choix_dessins) o += (o.empty() ? "" : ", ") + std::string(c.nom);
    return o + ", nets";
}

FormatDessin Format_dessin(std::string_view sortie)
{
    const size_t point = sortie.find_last_of("./");
    if (point == std::string_view::npos || sortie[point] != '.') return FormatDessin::inconnu;
    std::string ext(sortie.substr(point));
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (ext == ".png") return FormatDessin::png;
    if (ext == ".svg") return FormatDessin::svg;
    return FormatDessin::inconnu;
}

namespace {

// The nets over the drawing: the symbols from the detections file when one
// is given, else from the spotting.
int Dessine_nets(const std::string& image, const std::string& sortie)
{
    Open(image);
    if (!Plan_courant) return 1;
    Efface_texte();
    Commande_vectorisation();
    Commande_graphe();
    if (Reglages_nets.symboles.empty()) LiaisonsB1Click();
    std::vector<BoiteSymbole> boites;
    std::string erreur;
    if (!Boites_image(image, Rep_travail + "/tmpsymb.gxl", boites, erreur)) {
        Message_erreur("Netlist " + image + " : " + erreur);
        return 1;
    }
    if (!Ecrit_dessin_nets(Calcule_netlist(boites), Plan1, sortie)) {
        Message_erreur("Ouverture " + sortie + " impossible !");
        return 1;
    }
    Ecrit_texte(1, "Dessin enregistré : " + sortie);
    return Nb_defauts_param() == 0 ? 0 : 1;
}

}  // namespace

int Dessine_ligne_commande(const std::string& quoi, const std::string& image, const std::string& sortie)
{
    if (quoi == "nets" && Format_dessin(sortie) != FormatDessin::inconnu) return Dessine_nets(image, sortie);
    const Choix* choix = nullptr;
    for (const Choix& c : Choix_dessins)
        if (c.nom == quoi) choix = &c;
    if (!choix || Format_dessin(sortie) == FormatDessin::inconnu) {
        std::fputs(Usage_dessin, stderr);
        return 2;
    }
    return Dessine_fichier(*choix, image, sortie);
}
