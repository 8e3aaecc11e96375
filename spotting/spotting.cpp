#include "spotting/spotting.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "port/shell.h"
#include "vecto/arcs.h"
#include "image/param.h"
#include "output/ecriture.h"
#include "reco/reconnaissance.h"
#include "spotting/boucles.h"
#include "spotting/decisions_groupes.h"
#include "spotting/incidence.h"
#include "spotting/regions.h"
#include "spotting/scores.h"
#include "spotting/spotting_groupes.h"
#include "spotting/symboles.h"
#include "vecto/records.h"

namespace fs = std::filesystem;

namespace {

// Deletes every file of the directory, leaving its subdirectories alone.
void Vide_repertoire(const std::string& chemin)
{
    std::error_code ec;
    for (fs::directory_iterator it(chemin, ec), fin; !ec && it != fin; it.increment(ec)) {
        std::error_code e;
        if (!it->is_directory(e)) fs::remove(it->path(), e);
    }
}

// tests/ssg.gxl created empty and reopened for appending; the directory is
// made when missing. Null after "Creation impossible de ssg.gxl".
std::FILE* Ouvre_sous_graphe(const std::string& repertoire, const std::string& chemin)
{
    // The directory is there for every symbol but the first: it is made
    // only when the file cannot be created without it.
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f) {
        std::error_code ec;
        fs::create_directories(repertoire, ec);
        f = std::fopen(chemin.c_str(), "wb");
    }
    if (f) {
        std::fclose(f);
        f = std::fopen(chemin.c_str(), "ab");
    }
    if (!f) Message_erreur("Creation impossible de ssg.gxl");
    return f;
}

// The region's sub-graph in the matcher's reduced GXL: members as nodes
// numbered by their index in the region, recorded arcs as edges numbered by
// their place in the recording.
std::string Sous_graphe(Region& r, int32_t lmax)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n<gxl>\n<graph id=\"graph0\">\n";
    s.reserve(s.size() + 120 * static_cast<size_t>(r.mcount) + 140 * static_cast<size_t>(r.acount) + 32);
    for (int j = 0; j < r.mcount; j++) {
        // Members all of length 0 have no relative length: 0 rather than NaN.
        const double rel = lmax == 0 ? 0.0 : static_cast<double>(r.membres[j]->length) / static_cast<double>(lmax);
        s += "<node id=\"n";
        Ajoute_entier(s, j);
        s += "\">\n<attr name=\"forme\">\n<string>1</string>\n</attr>\n<attr name=\"RelLen\">\n<string>";
        s += Fixe(rel, 6);
        s += "</string>\n</attr>\n</node>\n\n";
    }
    for (int k = 0; k < r.acount; k++) {
        ArcQQ* a = r.arcs[k];
        if (!a->Q1 || !a->Q2) continue;
        const char type = Normalise_type(a->type);
        // ASCII by hand: the window runs under the user's locale.
        const char ecrit = type >= 'a' && type <= 'z' ? static_cast<char>(type - 'a' + 'A') : type;
        s += "<edge id=\"edge";
        Ajoute_entier(s, k);
        s += "\" from=\"n";
        Ajoute_entier(s, a->Q1->numero);
        s += "\" to=\"n";
        Ajoute_entier(s, a->Q2->numero);
        s += "\">\n<attr name=\"relA\">\n<string>";
        Ajoute_entier(s, Angle_arc(a->Q1->angle1, a->Q2->angle1));
        s += "</string>\n</attr>\n<attr name=\"Type\">\n<string>";
        s += ecrit;
        s += "</string>\n</attr>\n</edge>\n\n";
    }
    s += "</graph>\n</gxl>\n";
    return s;
}

// The first line of the recognition result, its line break included,
// whatever its length (a long model name must not lose its closing tag);
// false when the file cannot be opened.
bool Lit_resultat_reco(const std::string& chemin, std::string& ligne)
{
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (!f) return false;
    ligne.clear();
    int c;
    while ((c = std::fgetc(f)) != EOF) {
        ligne += static_cast<char>(c);
        if (c == '\n') break;
    }
    std::fclose(f);
    return true;
}

// Sets the current index for the region growing and clears it on every exit.
struct IndexActif {
    IncidenceQQ index;
    IndexActif()
    {
        if (Spotting_recherche_directe) return;
        index.Construit();
        Incidence_courante = &index;
    }
    ~IndexActif() { Incidence_courante = nullptr; }
};

int Au_dessus(double seuil)
{
    int n = 0;
    for (const Quad* q = Liste_quads; q; q = q->suivant) n += q->score >= seuil;
    return n;
}

// With `sous_graphes` false the sub-graph file is not written: the threshold
// search's attempts, whose last sub-graph the final extraction rewrites
// anyway (it repeats the best attempt's regions). The arcs still take their
// written type, as writing them would have given them.
int Extraction(double seuil, int reco, bool sous_graphes)
{
    const std::string chemin_liste = Rep_travail + "/tmpsymb.gxl";
    if (Nb_quads == 0) {
        if (std::FILE* f = Ouvre_resultat(chemin_liste)) Termine_resultat(f, chemin_liste, "\n<symbolist>\n\n</symbolist>\n\n");
        return 0;
    }
    Ecrit_texte(2, " Sub-graph + BB ...");
    Supprime_doublons_arcs();
    const std::string rep_tests = Rep_travail + "/tests";
    const std::string chemin_ssg = rep_tests + "/ssg.gxl";
    const std::string chemin_res = chemin_ssg + ".res";
    if (reco != 0) {
        Vide_repertoire(rep_tests);
        Debut_reconnaissance_image();
    }
    std::FILE* liste = Ouvre_resultat(chemin_liste);
    if (!liste) return 0;
    std::string s = "\n<symbolist>\n";

    IndexActif index;
    Region region;
    int compte = 0;
    // Recognition makes each candidate long: the bar counts the quadrilaterals
    // above the threshold, a region's own ones passed over as they come, and
    // Stop ends the list at the next candidate.
    const int au_dessus = reco != 0 ? Au_dessus(seuil) : 0;
    if (au_dessus > 0) Progression_init(0, au_dessus);
    for (Quad* Q = Liste_quads; Q; Q = Q->suivant) {
        if (au_dessus > 0 && Q->score >= seuil) Progression_pas();
        if (!(Q->score >= seuil) || Q->niveau != 0) continue;
        if (reco != 0 && Arret_apres(compte)) break;
        Vide_region(region);
        Enfile_unique(Q, region);
        while (Croissance_region(region, seuil) != 0) {}
        compte++;
        const Boite b = Boite_region(region, compte);
        if (!sous_graphes) {
            for (int k = 0; k < region.acount; k++)
                if (region.arcs[k]->Q1 && region.arcs[k]->Q2) Normalise_type(region.arcs[k]->type);
        }
        std::FILE* ssg = sous_graphes ? Ouvre_sous_graphe(rep_tests, chemin_ssg) : nullptr;
        Ajoute_debut_symbole(s, b);
        const bool ecrit = ssg && Termine_resultat(ssg, chemin_ssg, Sous_graphe(region, b.lmax));
        if (reco != 0 && ecrit) {
            // A result left by the previous symbol must not pass for this one's.
            std::error_code ec;
            fs::remove(chemin_res, ec);
            Reconnaissance(Rep_travail + "/models", rep_tests, reco, false);
            std::string ligne;
            if (!Lit_resultat_reco(chemin_res, ligne)) {
                Message_erreur("Ouverture ssg.gxl.res impossible");
                Termine_resultat(liste, chemin_liste, s);
                return -255;
            }
            s += ligne;
        } else {
            s += "<symbolname>NONE</symbolname>";
        }
        s += "\n</symbol>\n";
        Ajoute_symbole(b);
        if (Mode_trace == 1) Trace_boite(b);
    }
    s += "\n</symbolist>\n\n";
    Termine_resultat(liste, chemin_liste, s);
    Ecrit_nombre(1, compte);
    return compte;
}

}  // namespace

int Extraction_symboles(double seuil, int reco) { return Extraction(seuil, reco, true); }

void LiaisonsB1Click()
{
    int reco = Lit_param_entier("Bool_reco");
    // A missing parameter must not start the matchers (and empty tests/).
    if (reco == -255) reco = 0;
    Raz_decisions_groupes();  // what an earlier run decided no longer holds
    if (Methode_spotting() == 1) {
        const int n = Spotting_groupes(reco);
        Ecrit_texte(1, "Nb = " + std::to_string(n));
        Signal_fin();
        return;
    }
    Raz_scores_arcs(Liste_arcs_VV);
    Raz_scores_arcs(Liste_arcs_QV);
    Score_arcs(Liste_arcs_QQ);
    Score_quads(Liste_quads, Liste_arcs_QQ);
    Tri_quads_score(Liste_quads);
    Recherche_boucles();
    const double s = Lit_param("Seuil_ScoreQ");
    double seuil = s;
    if (s > 1.0) {
        // Nine attempts, 0.2 to 1.0 by accumulated steps of 0.1, without
        // recognition; the first threshold giving the most symbols wins.
        const bool sous_graphes = Spotting_recherche_directe;
        double t = 0.2;
        int meilleur = Extraction(t, 0, sous_graphes);
        seuil = t;
        Raz_symboles(Liste_symboles);
        Liste_symboles = nullptr;
        do {
            t = t + 0.1;
            const int n = Extraction(t, 0, sous_graphes);
            if (n > meilleur) {
                meilleur = n;
                seuil = t;
            }
            Raz_symboles(Liste_symboles);
            Liste_symboles = nullptr;
        } while (!(t > 0.9));
    }
    const int n = Extraction_symboles(seuil, reco);
    Ecrit_texte(1, "Nb = " + std::to_string(n) + " - Seuil = " + Scientifique(seuil));
    Signal_fin();
}

int Copie_symboles(const std::string& destination)
{
    return Copie_resultat(Rep_travail + "/tmpsymb.gxl", destination) ? 1 : 0;
}

void Symboles1Click()
{
    std::string nom = "Result.spt";
    if (!Saisie(nom, "Nom du fichier ?")) return;
    const std::string chemin = Rep_travail + "/tests" + "/" + nom;
    if (Copie_symboles(chemin) == 1) Message_boite(chemin, " - Symbols have been saved in - ");
    else Message_erreur("Ouverture " + chemin + " impossible !");
}

void ReconnaitreClick()
{
    std::string nom = "cc";
    if (!Saisie(nom, " Nom du fichier ? ")) return;
    const std::string chemin = Rep_courant + "/" + nom + ".dat";
    std::FILE* f = Ouvre_resultat(chemin);
    if (!f) return;
    // The date as dd/mm/yyyy hh:mm:ss, local time.
    char date[64] = "";
    const std::time_t maintenant = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&maintenant, &local)) std::strftime(date, sizeof date, "%d/%m/%Y %H:%M:%S", &local);
    std::string entete = "Cr\xE9\xE9 le ";  // Latin-1 in the file
    entete += date;
    entete += " \nFichier " + chemin + ".\n\n";
    std::fwrite(entete.data(), 1, entete.size(), f);
    int n = 0;
    for (const CC* c = Liste_CC; c; c = c->suivant) {
        std::string ligne;
        Ajoute(ligne, "CC %d : (%d,%d),(%d,%d)\n", ++n, c->xi, c->yi, c->xf, c->yf);
        Ecrit_ligne(ligne, f);
    }
    Ecrit_ligne("--------------------------------------------", f);
    std::string total;
    Ajoute(total, "Nb CC = %d \n", n);
    Ecrit_ligne(total, f);
    if (Termine_resultat(f, chemin, "")) Ecrit_texte(2, "CC sauvés");
}
