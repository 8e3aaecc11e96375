#include "draw/dessin_ligne_commande.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "port/frontends.h"
#include "port/shell.h"
#include "draw/dessin.h"
#include "draw/export_dessin.h"
#include "draw/image_couleur.h"
#include "vecto/arcs.h"
#include "graph/construction.h"
#include "image/chargement.h"
#include "image/param.h"
#include "spotting/etat_analyse.h"
#include "image/planes.h"
#include "spotting/spotting.h"
#include "spotting/symboles.h"
#include "vecto/records.h"
#include "vecto/vectorisation.h"

const char* const Usage_dessin =
    "Usage: tracemorph --draw vectors|quads|ccs|axes|graph|symbols|colored-quads|colored-graph IMAGE OUT.png|OUT.svg\n";

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

bool Finit_par_svg(std::string_view s)
{
    if (s.size() < 4) return false;
    std::string fin(s.substr(s.size() - 4));
    for (char& c : fin) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return fin == ".svg";
}

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
    std::string octets;
    if (Finit_par_svg(sortie)) octets = Svg_dessin(choix.quoi, Plan1, "Tracemorph " + std::string(choix.nom) + ": " + Nom_fichier(image));
    else if (choix.quoi == Dessin::quads_couleur || choix.quoi == Dessin::graphe_couleur) octets = Png_couleur_sur(Plan1);
    else octets = Png_plan(Plan2);
    if (octets.empty() || !Ecrit_octets(sortie, octets)) {
        Message_erreur("Ouverture " + sortie + " impossible !");
        return 1;
    }
    Ecrit_texte(1, "Dessin enregistré : " + sortie);
    return Nb_defauts_param() == 0 ? 0 : 1;  // drawn with a threshold that could not be read
}

}  // namespace

int Main_dessin(int argc, char** argv)
{
    const Choix* choix = nullptr;
    if (argc == 5)
        for (const Choix& c : Choix_dessins)
            if (c.nom == argv[2]) choix = &c;
    if (!choix) {
        std::fputs(Usage_dessin, stderr);
        return 2;
    }
    FrontendConsole console;
    Installe_frontend(&console);
    Capture_repertoires();
    const int statut = Dessine_fichier(*choix, argv[3], argv[4]);
    console.flush();
    Installe_frontend(nullptr);
    return statut;
}
