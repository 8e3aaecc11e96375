#include "spotting/spotting_groupes.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "image/param.h"
#include "output/ecriture.h"
#include "port/shell.h"
#include "reco/comparaison_memoire.h"
#include "reco/reglages_modeles.h"
#include "spotting/boucles.h"
#include "spotting/choix.h"
#include "spotting/decisions_groupes.h"
#include "spotting/groupes.h"
#include "spotting/nomme.h"
#include "spotting/pose.h"
#include "spotting/propose.h"
#include "spotting/symboles.h"

namespace {

bool Cle_presente(std::string_view cle)
{
    std::ifstream f(Rep_travail + "/param.dat", std::ios::binary);
    if (!f) return false;
    std::stringstream s;
    s << f.rdbuf();
    const std::string texte = "\n" + s.str();
    return texte.find("\n#" + std::string(cle) + "#") != std::string::npos;
}

}  // namespace

const Reglages_spotting& Reglages_defaut()
{
    static const Reglages_spotting r;
    return r;
}

int Methode_spotting_choisie = -1;

int Methode_spotting()
{
    if (Methode_spotting_choisie == 0 || Methode_spotting_choisie == 1) return Methode_spotting_choisie;
    static bool signale = false;
    if (!Cle_presente("Methode_spotting")) return 0;
    const int m = Lit_param_entier("Methode_spotting");
    if (m == 0 || m == 1) return m;
    if (m != -255 && !signale) {
        signale = true;
        Message_erreur("Methode_spotting = " + std::to_string(m) + " unknown, spotting by score regions");
    }
    return 0;
}
namespace {

// Side table of the decisions (decisions_groupes.h): the strokes of each
// symbol kept, those whose middle lies in its box, in the order of
// Liste_symboles.
void Marque_traits_symboles()
{
    int k = 0;
    for (const Symbole* s = Liste_symboles; s; s = s->suivant, k++) {
        if (s->nb_points <= 0) continue;
        int x0 = s->points[0][0], x1 = x0, y0 = s->points[0][1], y1 = y0;
        for (int i = 1; i < s->nb_points && i < 20; i++) {
            x0 = std::min(x0, s->points[i][0]), x1 = std::max(x1, s->points[i][0]);
            y0 = std::min(y0, s->points[i][1]), y1 = std::max(y1, s->points[i][1]);
        }
        for (const Quad* q = Liste_quads; q; q = q->suivant) {
            if (q->length == 0) continue;
            const int64_t mx = (int64_t{q->x1i} + q->x1f + q->x2i + q->x2f) / 4;
            const int64_t my = (int64_t{q->y1i} + q->y1f + q->y2i + q->y2f) / 4;
            if (mx >= x0 && mx <= x1 && my >= y0 && my <= y1) Decisions_groupes.quads[q] = k;
        }
    }
}

}  // namespace

int Spotting_groupes(int reco)
{
    const std::string chemin_liste = Rep_travail + "/tmpsymb.gxl";
    if (Nb_quads == 0) {
        if (std::FILE* f = Ouvre_resultat(chemin_liste)) Termine_resultat(f, chemin_liste, "\n<symbolist>\n\n</symbolist>\n\n");
        return 0;
    }
    Ecrit_texte(2, " Groups + models ...");
    Supprime_doublons_arcs();
    const Reglages_spotting& r = Reglages_defaut();
    // Propose: groups of symbol strokes.
    Propositions p = Propose_candidats(Liste_quads, Liste_arcs_QQ, Liste_CC);
    // Side table of the decisions (decisions_groupes.h), for the drawings:
    // the wires and walls this method leaves out.
    Decisions_groupes.remplies = true;
    for (size_t i = 0; i < p.traits.size(); i++)
        if (p.roles[i] == Trait_fil || p.roles[i] == Trait_mur)
            Decisions_groupes.quads[p.traits[i]] = p.roles[i] == Trait_fil ? Decision_fil : Decision_mur;

    const Modeles_memoire* ms = nullptr;
    if (reco != 0) {
        ms = &Modeles_en_memoire(Rep_travail + "/models", reco);
        if (ms->liste.empty()) ms = nullptr;
    }
    if (ms) {
        // The settings learnt for these models, read once per run.
        static std::string reglages_lus;
        if (reglages_lus != ms->repertoire) Charge_reglages(ms->repertoire), reglages_lus = ms->repertoire;
    }
    const double seuil = ms ? Lit_param("Seuil_rejet") : 0.5;
    std::vector<GrapheG> bruts;
    if (ms) Nomme_par_graphe(p, *ms, seuil, r, bruts);
    else Note_sans_modeles(p, r);

    std::vector<Symbole_ecrit> sortie;
    const bool dessins = ms && std::any_of(ms->liste.begin(), ms->liste.end(), [](const Modele_memoire& m) { return !m.dessin.empty(); });
    if (dessins) {
        // Find each model's pose and check it against the page's ink, then
        // choose and name.
        const Encre_page page = Encre_de(Plan1, r);
        const std::vector<Detection> ds = Poses_proposees(page, p, *ms, seuil, r);
        std::vector<bool> admis(ds.size());
        for (size_t i = 0; i < ds.size(); i++) admis[i] = Admis(ds[i], ms->liste[static_cast<size_t>(ds[i].modele)].nom, page, r);
        for (const size_t i : Choisit_poses(ds, admis, page.larg, page.haut, r)) {
            const Detection& d = ds[i];
            Symbole_ecrit e;
            e.xmin = d.x, e.ymin = d.y, e.xmax = d.xmax(), e.ymax = d.ymax();
            e.nom = ms->liste[static_cast<size_t>(d.modele)].nom;
            e.score = d.score;
            e.pose_connue = true;
            e.pose = d.gabarit->pose;
            sortie.push_back(e);
        }
    } else {
        // Models without drawings (or none): the groups named by their graphs
        // (or by their shape) choose among themselves.
        Boites_encre(p, r);
        std::vector<bool> sauves;
        for (const size_t i : Choisit_par_graphe(p, ms, seuil, bruts, r, sauves)) {
            const Candidat& c = p.candidats[i];
            Symbole_ecrit e;
            e.xmin = c.xmin, e.ymin = c.ymin, e.xmax = c.xmax, e.ymax = c.ymax;
            if (ms) {
                e.nom = ms->liste[static_cast<size_t>(c.modele)].nom;
                e.score = c.score;
                // A symbol the drawing vouched for is named below the threshold.
                e.seuil = sauves[i] ? c.score : seuil;
            }
            sortie.push_back(e);
        }
    }
    const int ecrits = Ecrit_symboles(sortie);
    Marque_traits_symboles();
    return ecrits;
}
