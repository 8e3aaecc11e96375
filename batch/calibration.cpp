#include "batch/calibration.h"

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "batch/batch.h"
#include "image/param.h"
#include "image/planes.h"
#include "output/ecriture.h"
#include "port/shell.h"
#include "reco/comparaison_interne.h"
#include "reco/comparaison_memoire.h"
#include "reco/fichier_reglages.h"
#include "reco/reglages_modeles.h"
#include "spotting/etat_analyse.h"
#include "spotting/lecture_symboles.h"
#include "spotting/spotting_groupes.h"

namespace fs = std::filesystem;

namespace {

// Precision aimed at on the practice sheets.
constexpr double Precision_visee = 0.95;
// A model of at most this many strokes (graph nodes) is plain: when no
// likeness gives it the precision aimed at, it does not name alone.
constexpr size_t Traits_modele_simple = 5;
// A detection and a drawn symbol are one when their boxes overlap this much.
constexpr double Recouvrement_juste = 0.5;

// While the practice sheets are analysed: their log lines and progress are
// not the user's; messages still reach the user's front end.
// The models' own folder is named in them, not the link of the directory
// where the sheets are analysed.
class Frontend_muet : public Frontend {
public:
    explicit Frontend_muet(Frontend& suite) : suite_(suite) {}
    void message_box(std::string_view texte, std::string_view titre) override
    {
        std::string t(texte);
        if (!lien.empty())
            for (size_t p = t.find(lien); p != std::string::npos; p = t.find(lien, p + vrai.size()))
                t.replace(p, lien.size(), vrai);
        suite_.message_box(t, titre);
    }
    void wait_pause() override {}
    std::string lien, vrai;

private:
    Frontend& suite_;
};

// Puts `cle` = `valeur` in the param.dat text, replacing its value or adding
// the key before the closing dollar sign.
std::string Pose_cle(std::string texte, const std::string& cle, const std::string& valeur)
{
    const std::string marque = "#" + cle + "#";
    size_t p = ("\n" + texte).find("\n" + marque);
    if (p != std::string::npos) {
        const size_t egal = texte.find('=', p + marque.size());
        const size_t fin = egal == std::string::npos ? std::string::npos : texte.find('#', egal);
        if (fin != std::string::npos) return texte.substr(0, egal + 1) + valeur + texte.substr(fin);
    }
    const size_t dollar = texte.rfind('$');
    const std::string ligne = marque + "\n=" + valeur + "#\n";
    return dollar == std::string::npos ? texte + ligne + "$\n" : texte.substr(0, dollar) + ligne + texte.substr(dollar);
}

bool Ecrit_texte_fichier(const std::string& chemin, const std::string& t)
{
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f) return false;
    const bool ecrit = std::fwrite(t.data(), 1, t.size(), f) == t.size();
    return std::fclose(f) == 0 && ecrit;
}

double Iou(const Verite& v, const SymboleLu& s)
{
    // The list writes rows from 1.
    const int sx0 = std::min(s.xi, s.xf), sx1 = std::max(s.xi, s.xf);
    const int sy0 = std::min(s.yi, s.yf) - 1, sy1 = std::max(s.yi, s.yf) - 1;
    const double ix = std::min(v.x1, sx1) - std::max(v.x0, sx0) + 1.0, iy = std::min(v.y1, sy1) - std::max(v.y0, sy0) + 1.0;
    if (ix <= 0 || iy <= 0) return 0;
    const double a = (v.x1 - v.x0 + 1.0) * (v.y1 - v.y0 + 1.0), b = (sx1 - sx0 + 1.0) * (sy1 - sy0 + 1.0);
    return ix * iy / (a + b - ix * iy);
}

struct Detection {
    double score = 0;
    bool juste = false;
};

// The lowest likeness from which the detections are right often enough:
// -1 when none is.
double Seuil_precis(std::vector<Detection> d)
{
    std::stable_sort(d.begin(), d.end(), [](const Detection& a, const Detection& b) { return a.score > b.score; });
    double seuil = -1;
    int justes = 0;
    for (size_t i = 0; i < d.size(); i++) {
        justes += d[i].juste;
        // Only where the next one scores lower: equal likenesses go together.
        if (i + 1 < d.size() && d[i + 1].score == d[i].score) continue;
        if (d[i].juste && justes >= Precision_visee * static_cast<double>(i + 1)) seuil = d[i].score;
    }
    return seuil;
}

// The likeness of best precision among the right detections (the lowest on
// a tie); -1 when none is right.
double Seuil_meilleur(std::vector<Detection> d)
{
    std::stable_sort(d.begin(), d.end(), [](const Detection& a, const Detection& b) { return a.score > b.score; });
    double seuil = -1, meilleure = -1;
    int justes = 0;
    for (size_t i = 0; i < d.size(); i++) {
        justes += d[i].juste;
        if (i + 1 < d.size() && d[i + 1].score == d[i].score) continue;
        const double p = justes / static_cast<double>(i + 1);
        if (d[i].juste && p >= meilleure) meilleure = p, seuil = d[i].score;
    }
    return seuil;
}

struct Modele_lu {
    std::string nom;
    Bitmap encre;
    std::string forme;
    int bornes = 0;
};

}  // namespace

std::string Forme_canonique(const Bitmap& encre)
{
    std::string meilleure;
    for (int p = 0; p < 8; p++) {
        const Bitmap b = Pose_dessin(encre, Pose{p / 2, p % 2 == 1, 1.0});
        std::string s = std::to_string(b.larg) + "x" + std::to_string(b.haut) + ":";
        s.append(b.px.begin(), b.px.end());
        if (p == 0 || s < meilleure) meilleure = std::move(s);
    }
    return meilleure;
}

bool Fabrique_reglages(const std::string& rep_modeles, const std::vector<std::pair<std::string, std::string>>& memes,
                       Bilan_calibration* bilan)
{
    const auto debut = std::chrono::steady_clock::now();
    Bilan_calibration b;
    std::error_code ec;
    const std::string rep = fs::absolute(rep_modeles, ec).lexically_normal().string();
    std::vector<std::string> noms;
    for (fs::directory_iterator it(rep, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (it->path().extension() == ".gxl" && !it->is_directory()) noms.push_back(it->path().stem().string());
    std::sort(noms.begin(), noms.end());
    const std::string chemin_reglages = rep + "/" + Nom_fichier_reglages;
    const std::string empreinte = Empreinte_modeles(rep);
    if (ec || empreinte.empty()) {
        Message_erreur("Settings: unable to read the model directory " + rep_modeles);
        return false;
    }
    std::string param;
    if (!Lit_fichier_entier(Rep_travail + "/param.dat", param)) {
        Message_erreur("Settings: no param.dat in " + Rep_travail + ", no settings made");
        return false;
    }
    int reco = 0;
    if (!Lit_param_entier_net("Bool_reco", reco) || reco <= 0) reco = 11;

    // What the user's own work holds, given back at the end: the sheets and
    // drawings are opened as images are, and are not traced step by step.
    const std::string rep_courant = Rep_courant, chemin_image = Chemin_image;
    const int mode_trace = Mode_trace;
    Mode_trace = 0;
    // The drawings; one of each canonical form goes on the sheets.
    Frontend& avant = Frontend_courant();
    Frontend_muet muet(avant);
    Installe_frontend(&muet);
    std::vector<Modele_lu> lus;
    std::map<std::string, std::string> premier_de_forme;  // canonical form -> first name
    std::map<std::string, std::string> meme_que;           // name -> first name drawing the same
    for (const auto& [nom, premier] : memes) meme_que[nom] = premier;
    std::vector<Dessin_modele> dessins;
    for (const std::string& nom : noms) {
        const std::string bmp = rep + "/" + nom + ".bmp";
        if (nom.find_first_of("\t\n\r") != std::string::npos || !fs::exists(bmp, ec)) continue;
        // A model recognition leaves out names nothing: not worth drawing.
        if (!Modele_hors_limites(rep + "/" + nom + ".gxl").empty()) continue;
        Open(bmp);
        if (!Plan_courant) continue;
        Modele_lu m;
        m.nom = nom;
        m.encre = Rogne_encre(Bitmap_de_plan(Plan1));
        if (m.encre.larg == 0) continue;
        m.forme = Forme_canonique(m.encre);
        m.bornes = static_cast<int>(Bornes(m.encre).size());
        const auto [it, neuf] = premier_de_forme.emplace(m.forme, nom);
        if (!neuf) meme_que[nom] = it->second;
        else dessins.push_back({nom, m.encre});
        lus.push_back(std::move(m));
    }
    Ferme_image();
    const std::vector<Feuille> feuilles = Feuilles_exercice(dessins);

    // The sheets analysed in a directory of their own, the models linked.
    const char* tmp = std::getenv("TMPDIR");
    std::string temporaire = std::string(tmp && *tmp ? tmp : "/tmp") + "/tracemorph-settings-XXXXXX";
    const bool cree = ::mkdtemp(temporaire.data()) != nullptr;
    bool bon = cree;
    if (bon) {
        fs::create_directory_symlink(rep, temporaire + "/models", ec);
        muet.lien = temporaire + "/models", muet.vrai = rep_modeles;
        param = Pose_cle(Pose_cle(param, "Bool_reco", std::to_string(reco)), "Methode_spotting", "1");
        bon = !ec && Ecrit_texte_fichier(temporaire + "/param.dat", param);
    }
    std::map<std::string, std::vector<Detection>> detections;  // by the name given
    std::map<std::pair<std::string, std::string>, int> confusions;
    std::map<std::string, size_t> noeuds;
    if (bon) {
        const std::string rep_avant = Rep_travail;
        const int methode_avant = Methode_spotting_choisie;
        Rep_travail = temporaire;
        Methode_spotting_choisie = 1;
        Reglages_ignores = true;
        Oublie_modeles();
        auto forme_de = [&](const std::string& nom) {
            const auto it = meme_que.find(nom);
            return it == meme_que.end() ? nom : it->second;
        };
        for (size_t k = 0; k < feuilles.size(); k++) {
            const Feuille& f = feuilles[k];
            const std::string image = temporaire + "/sheet" + std::to_string(k) + ".bmp";
            const std::string liste = temporaire + "/tmpsymb.gxl";
            std::remove(liste.c_str());
            if (!Ecrit_bmp(f.image, image)) continue;
            Open(image);
            if (!Plan_courant) continue;
            Complete_analysis(4);
            std::vector<SymboleLu> lus_feuille;
            Lit_liste_symboles(liste, lus_feuille);
            Ferme_image();
            std::remove(image.c_str());
            b.feuilles++;
            b.symboles += static_cast<int>(f.verites.size());
            // Best likeness first, each drawn symbol matched once.
            std::vector<size_t> ordre;
            for (size_t i = 0; i < lus_feuille.size(); i++) {
                const std::string& n = lus_feuille[i].nom;
                if (!n.empty() && n != "NONE" && n.rfind("Rejet(", 0) != 0) ordre.push_back(i);
            }
            std::stable_sort(ordre.begin(), ordre.end(),
                             [&](size_t a, size_t c) { return lus_feuille[a].score > lus_feuille[c].score; });
            std::vector<bool> pris(f.verites.size(), false);
            for (size_t i : ordre) {
                const SymboleLu& s = lus_feuille[i];
                size_t meilleure = f.verites.size();
                double iou = Recouvrement_juste;
                for (size_t v = 0; v < f.verites.size(); v++) {
                    if (pris[v]) continue;
                    const double r = Iou(f.verites[v], s);
                    if (r >= iou) iou = r, meilleure = v;
                }
                Detection d;
                d.score = s.score;
                if (meilleure < f.verites.size()) {
                    pris[meilleure] = true;
                    const std::string& vrai = f.verites[meilleure].nom;
                    d.juste = forme_de(s.nom) == forme_de(vrai);
                    if (!d.juste) confusions[{s.nom, vrai}]++;
                }
                b.detections++;
                b.justes += d.juste;
                detections[s.nom].push_back(d);
            }
        }
        const Modeles_memoire& ms = Modeles_en_memoire(Rep_travail + "/models", reco);
        for (const Modele_memoire& m : ms.liste) noeuds[m.nom] = m.graphe.noeuds.size();
        Oublie_modeles();
        Oublie_reglages();
        Reglages_ignores = false;
        Methode_spotting_choisie = methode_avant;
        Rep_travail = rep_avant;
    }
    if (cree) fs::remove_all(temporaire, ec);
    Installe_frontend(&avant);
    Rep_courant = rep_courant, Chemin_image = chemin_image;
    Mode_trace = mode_trace;
    if (!bon) {
        Message_erreur("Settings: unable to prepare the practice sheets in " + temporaire);
        return false;
    }

    Fichier_reglages fichier;
    fichier.empreinte = empreinte;
    std::map<std::string, std::set<std::string>> confondus;
    for (const auto& [paire, n] : confusions) {
        confondus[paire.first].insert(paire.second);
        confondus[paire.second].insert(paire.first);
    }
    for (const Modele_lu& m : lus) {
        Reglage_modele r;
        r.nom = m.nom;
        const auto it = detections.find(m.nom);
        if (it != detections.end() && !it->second.empty()) {
            r.seuil = Seuil_precis(it->second);
            const auto n = noeuds.find(m.nom);
            const bool simple = n != noeuds.end() && n->second <= Traits_modele_simple;
            if (r.seuil < 0 && simple) {
                // Wrong at any likeness: it names only with the context of
                // its terminals (none: it does not name).
                r.trop_simple = true;
                r.seuil = Seuil_meilleur(it->second);
                r.contexte = m.bornes == 0 ? 0 : m.bornes == 1 ? 1 : 2;
            } else if (r.seuil < 0) {
                // Not plain: above the best of its wrong detections.
                double faux = 0;
                for (const Detection& d : it->second)
                    if (!d.juste) faux = std::max(faux, d.score);
                r.seuil = std::min(1.0, faux + 1e-6);
            }
        }
        if (const auto c = confondus.find(m.nom); c != confondus.end()) r.confondus.assign(c->second.begin(), c->second.end());
        b.appris += r.seuil >= 0;
        b.trop_simples += r.trop_simple;
        fichier.modeles.push_back(std::move(r));
    }
    for (const Modele_lu& m : lus)
        if (const auto it = meme_que.find(m.nom); it != meme_que.end()) fichier.memes.emplace_back(m.nom, it->second);
    // The duplicates the model maker left out have no file here: they are
    // known from its list, or from the settings file being replaced.
    std::vector<std::pair<std::string, std::string>> absents = memes;
    if (memes.empty()) {
        std::string ancien;
        Lit_fichier_entier(chemin_reglages, ancien);
        for (size_t p = 0; (p = ancien.find("\nsame\t", p)) != std::string::npos;) {
            const size_t tab = ancien.find('\t', p + 6), fin = ancien.find('\n', p + 1);
            p++;
            if (tab == std::string::npos || fin == std::string::npos || tab > fin) continue;
            absents.emplace_back(ancien.substr(p + 5, tab - p - 5), ancien.substr(tab + 1, fin - tab - 1));
        }
    }
    for (const auto& [nom, premier] : absents)
        if (!std::binary_search(noms.begin(), noms.end(), nom) && std::binary_search(noms.begin(), noms.end(), premier) &&
            nom.find_first_of("\t\n\r") == std::string::npos)
            fichier.memes.emplace_back(nom, premier);
    std::sort(fichier.memes.begin(), fichier.memes.end());
    fichier.memes.erase(std::unique(fichier.memes.begin(), fichier.memes.end()), fichier.memes.end());
    b.modeles = static_cast<int>(fichier.modeles.size());
    std::FILE* f = Ouvre_resultat(chemin_reglages);
    if (!f || !Termine_resultat(f, chemin_reglages, Texte_reglages(fichier))) return false;
    b.secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    Ecrit_texte(1, "Settings of " + std::to_string(b.modeles) + " models (" + std::to_string(b.appris) + " learnt, " +
                       std::to_string(b.trop_simples) + " too plain to name alone) from " + std::to_string(b.feuilles) +
                       " practice sheets of " + std::to_string(b.symboles) + " symbols -> " + rep_modeles + "/" +
                       Nom_fichier_reglages);
    if (bilan) *bilan = b;
    Oublie_reglages();
    return true;
}

void Verifie_reglages(const std::string& rep_modeles)
{
    static std::set<std::string> vus;
    int reco = 0;
    if (!Lit_param_entier_net("Bool_reco", reco) || reco == 0 || Methode_spotting() != 1) return;
    if (!vus.insert(rep_modeles).second) return;
    std::error_code ec;
    bool modeles = false;
    for (fs::directory_iterator it(rep_modeles, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (it->path().extension() == ".gxl") modeles = true;
    if (!modeles) return;
    std::string raison;
    switch (Etat_fichier_reglages(rep_modeles, nullptr, &raison)) {
    case Etat_reglages::a_jour: return;
    case Etat_reglages::absent:
        Ecrit_texte(1, rep_modeles + ": no settings learnt from these models yet; making them (once)");
        break;
    default:
        Message_boite(rep_modeles + "/" + Nom_fichier_reglages + ": " + raison + "; made again from the models",
                      "Warning");
    }
    Fabrique_reglages(rep_modeles);
}
