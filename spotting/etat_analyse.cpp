#include "spotting/etat_analyse.h"

#include "vecto/arcs.h"
#include "image/chargement.h"
#include "image/planes.h"
#include "port/shell.h"
#include "spotting/decisions_groupes.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

namespace {

// What opening does before the planes are filled: the previous image closed,
// Plan 1 the plane shown.
void Prepare_ouverture(const std::string& chemin)
{
    if (Plan_courant) Ferme_image();
    Frontend_courant().set_plane_label("Plan 1");
    Plan_courant = &Plan1;
    Niveau_zoom = 0;
    Chemin_image = chemin;
}

// The loaded image is shown under its name.
void Montre_image_ouverte(const std::string& chemin)
{
    Frontend& fe = Frontend_courant();
    fe.set_caption("Tracemorph : " + Nom_fichier(chemin));
    Etat_affichage = 1;
    fe.repaint();
}

const char* Texte_echec(int r) { return r == 3 ? "Space are forbidden in image path !" : "Error in Image file !"; }

}  // namespace

int Open(const std::string& chemin)
{
    Prepare_ouverture(chemin);
    const int r = Charge_Img(chemin);
    if (r == 1) {
        Montre_image_ouverte(chemin);
    } else {
        Message_boite(Texte_echec(r), "Error");
        Frontend_courant().load_failed(chemin, Cause_echec_chargement());
        Etat_affichage = 3;
        Plan_courant = nullptr;
    }
    return 1;
}

int Ouvre_image(const std::string& chemin)
{
    ImageChargee im;
    const int r = Charge_Img_dans(chemin, im);
    if (r != 1) {
        Message_boite(std::string(Texte_echec(r)) + "\n" + chemin + ": " + im.cause, "Error");
        return 0;
    }
    Prepare_ouverture(chemin);
    Installe_image(im);
    Montre_image_ouverte(chemin);
    return 1;
}

void Vide_listes(bool journal)
{
    Raz_decisions_groupes();  // it points into the quadrilaterals freed here
    if (!journal) {
        Libere_liste(Liste_vecteurs);
        Libere_liste(Liste_quads);
        Libere_liste(Liste_CC);
        Vide_graphe();
        Libere_liste(Liste_symboles);
        Nb_quads = 0;
        return;
    }
    // Lists this program never fills still get their line, with 0.
    auto zero = [](const char* texte) { Journal_raz(texte, 0); };
    Raz_vecteurs(Liste_vecteurs);
    Liste_vecteurs = nullptr;
    Raz_quads(Liste_quads);
    Liste_quads = nullptr;
    zero(" Raz quadr. : ");
    zero(" Raz vecteurs : ");
    Raz_CC(Liste_CC);
    Liste_CC = nullptr;
    zero(" Raz Caracteres : ");
    zero(" Raz C.C. : ");
    zero(" Raz courbes : ");
    Raz_graphe();
    Raz_symboles(Liste_symboles);
    Liste_symboles = nullptr;
}

void Ferme_image()
{
    Frontend& fe = Frontend_courant();
    if (Plan_courant && Etat_affichage != 3) {
        Libere_plan(Plan_zoom);
        Libere_plan(Plan1);
        Libere_plan(Plan2);
        fe.reset_scrollbars();
        Efface_texte();
        Vide_listes(true);
        Etat_affichage = 3;
        fe.set_caption("Tracemorph");
    }
    Plan_courant = nullptr;
    fe.repaint();
}
