#include "spotting/nomme.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "output/ecriture.h"
#include "port/shell.h"
#include "reco/reconnaissance.h"
#include "reco/reglages_modeles.h"
#include "spotting/regions.h"
#include "spotting/symboles.h"

Exigence Exigence_de(const std::string& nom, const Gabarit& g, const Reglages_spotting& r)
{
    Exigence e;
    if (Reglages_ignores) {
        e.seuil = r.plancher;
        return e;
    }
    // A plain model (a supply arrow, a pin) matches bits of many drawings:
    // unless its settings say otherwise, it names only what a wire ends at.
    const bool simple = g.encre_totale < r.encre_simple;
    e.seuil = simple ? r.seuil_simple : g.encre_totale < r.encre_moyen ? r.seuil_moyen : r.seuil;
    e.fil = simple;
    if (const Reglage_modele* m = Reglage_de(nom)) {
        if (m->seuil >= 0) e.seuil = std::min(m->seuil, e.seuil + r.marge_appris);
        e.fil = m->trop_simple && m->contexte != 0;
    }
    return e;
}

bool Admis(const Detection& d, const std::string& nom, const Encre_page& page, const Reglages_spotting& r)
{
    const Exigence e = Exigence_de(nom, *d.gabarit, r);
    if (Ressemblance_posee(d, r) < e.seuil) return false;
    return !(e.fil || e.bords) || Fil_au_bout(page, d, e.fil);
}

int Ecrit_symboles(std::vector<Symbole_ecrit> symboles)
{
    const std::string chemin = Rep_travail + "/tmpsymb.gxl";
    std::stable_sort(symboles.begin(), symboles.end(), [](const Symbole_ecrit& a, const Symbole_ecrit& b) {
        return a.ymin != b.ymin ? a.ymin < b.ymin : a.xmin < b.xmin;
    });
    std::FILE* liste = Ouvre_resultat(chemin);
    if (!liste) return 0;
    std::string s = "\n<symbolist>\n";
    for (const Symbole_ecrit& e : symboles) {
        Boite b;
        b.xmin = e.xmin, b.ymin = e.ymin, b.xmax = e.xmax, b.ymax = e.ymax;
        b.x = (b.xmax + b.xmin) / 2;
        b.y = (b.ymax + b.ymin) / 2;
        Ajoute_debut_symbole(s, b);
        if (!e.nom.empty()) s += Ligne_decision(e.score, e.nom, e.seuil);
        else s += "<symbolname>NONE</symbolname>";
        if (e.pose_connue) {
            char pose[96];
            std::snprintf(pose, sizeof pose, "<pose quarterturns=\"%d\" mirrored=\"%d\" scale=\"%.3f\" />\n", e.pose.quarts,
                          e.pose.miroir ? 1 : 0, e.pose.echelle);
            // The C locale's decimal point, whatever the user's.
            for (char* c = pose; *c; c++)
                if (*c == ',') *c = '.';
            s += pose;
        }
        s += "\n</symbol>\n";
        if (Ajoute_symbole(b) == 1 && !e.nom.empty()) {
            Symbole* dernier = Dernier(Liste_symboles);
            std::strncpy(dernier->nom, e.nom.c_str(), sizeof dernier->nom - 1);
        }
        if (Mode_trace == 1) Trace_boite(b);
    }
    s += "\n</symbolist>\n\n";
    Termine_resultat(liste, chemin, s);
    Ecrit_nombre(1, static_cast<int>(symboles.size()));
    return static_cast<int>(symboles.size());
}
