#include "reco/fichier_reglages.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "output/ecriture.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* Titre = "Tracemorph model settings";

void Fnv(uint64_t& h, const void* donnees, size_t n)
{
    const auto* o = static_cast<const unsigned char*>(donnees);
    for (size_t i = 0; i < n; i++) h = (h ^ o[i]) * 0x100000001b3ULL;
}

std::vector<std::string> Champs(const std::string& ligne)
{
    std::vector<std::string> c;
    size_t debut = 0;
    for (;;) {
        const size_t tab = ligne.find('\t', debut);
        c.push_back(ligne.substr(debut, tab == std::string::npos ? std::string::npos : tab - debut));
        if (tab == std::string::npos) return c;
        debut = tab + 1;
    }
}

// Six decimals, whatever the locale: the likeness as the symbol list writes it.
std::string Decimal(double v)
{
    char t[64];
    const auto r = std::to_chars(t, t + sizeof t, v, std::chars_format::fixed, 6);
    return std::string(t, r.ptr);
}

bool Entier(const std::string& s, int& v)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

}  // namespace

std::string Empreinte_modeles(const std::string& rep)
{
    std::vector<std::string> noms;
    std::error_code ec;
    for (fs::directory_iterator it(rep, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string nom = it->path().filename().string();
        const std::string ext = it->path().extension().string();
        if ((ext == ".gxl" || ext == ".bmp") && !it->is_directory()) noms.push_back(nom);
    }
    if (ec) return "";
    std::sort(noms.begin(), noms.end());
    uint64_t h = 0xcbf29ce484222325ULL;
    std::string contenu;
    for (const std::string& nom : noms) {
        if (!Lit_fichier_entier(rep + "/" + nom, contenu)) return "";
        const uint64_t taille = contenu.size();
        Fnv(h, nom.data(), nom.size() + 1);  // with its terminating zero: "ab"+"c" is not "a"+"bc"
        Fnv(h, &taille, sizeof taille);
        Fnv(h, contenu.data(), contenu.size());
    }
    char t[17];
    std::snprintf(t, sizeof t, "%016llx", static_cast<unsigned long long>(h));
    return t;
}

std::string Texte_reglages(const Fichier_reglages& f)
{
    std::string t = std::string(Titre) + "\tformat " + std::to_string(Version_reglages) + "\tfingerprint " + f.empreinte +
                    "\tmodels " + std::to_string(f.modeles.size()) + "\n";
    t += "# Learnt by tracemorph from practice sheets drawn from the models of this folder; made again\n"
         "# when the models change. Fields are separated by tabs.\n"
         "# model NAME THRESHOLD PLAIN CONTEXT [CONFUSED...]\n"
         "#   THRESHOLD: likeness from which the model's detections were right (- when not learnt)\n"
         "#   PLAIN: 1 when too plain to name a candidate alone; CONTEXT it then needs: 0 nothing,\n"
         "#   1 a wire's free end, 2 a wire ending at its pin\n"
         "#   CONFUSED: models it was taken for, or that were taken for it\n"
         "# same NAME FIRST: NAME draws the same symbol as FIRST, which names it\n";
    for (const Reglage_modele& r : f.modeles) {
        t += "model\t" + r.nom + "\t" + (r.seuil < 0 ? std::string("-") : Decimal(r.seuil)) + "\t" +
             (r.trop_simple ? "1" : "0") + "\t" + std::to_string(r.contexte);
        for (const std::string& c : r.confondus) t += "\t" + c;
        t += "\n";
    }
    for (const auto& [nom, premier] : f.memes) t += "same\t" + nom + "\t" + premier + "\n";
    t += "end\t" + std::to_string(f.modeles.size()) + "\n";
    return t;
}

std::string Lit_texte_reglages(const std::string& texte, Fichier_reglages& f)
{
    f = Fichier_reglages{};
    size_t debut = 0, numero = 0;
    bool fin = false;
    int annonces = -1;
    while (debut < texte.size()) {
        size_t nl = texte.find('\n', debut);
        if (nl == std::string::npos) return "no closing line";
        const std::string ligne = texte.substr(debut, nl - debut);
        debut = nl + 1;
        numero++;
        const std::string ici = "line " + std::to_string(numero) + ": ";
        if (fin) return ici + "text after the closing line";
        const std::vector<std::string> c = Champs(ligne);
        if (numero == 1) {
            if (c.size() != 4 || c[0] != Titre || c[1].rfind("format ", 0) != 0 || c[2].rfind("fingerprint ", 0) != 0 ||
                c[3].rfind("models ", 0) != 0)
                return "not a settings file";
            int version = 0;
            if (!Entier(c[1].substr(7), version)) return "not a settings file";
            if (version != Version_reglages)
                return "format " + std::to_string(version) + ", not " + std::to_string(Version_reglages);
            f.empreinte = c[2].substr(12);
            if (f.empreinte.size() != 16 ||
                f.empreinte.find_first_not_of("0123456789abcdef") != std::string::npos)
                return ici + "fingerprint '" + f.empreinte + "'";
            if (!Entier(c[3].substr(7), annonces) || annonces < 0) return ici + "model count";
            continue;
        }
        if (!ligne.empty() && ligne[0] == '#') continue;
        if (c[0] == "model" && c.size() >= 5) {
            Reglage_modele r;
            r.nom = c[1];
            if (c[2] != "-") {
                const auto res = std::from_chars(c[2].data(), c[2].data() + c[2].size(), r.seuil);
                if (res.ec != std::errc() || res.ptr != c[2].data() + c[2].size() || !(r.seuil >= 0 && r.seuil <= 1))
                    return ici + "threshold '" + c[2] + "'";
            }
            if (c[3] != "0" && c[3] != "1") return ici + "plain '" + c[3] + "'";
            r.trop_simple = c[3] == "1";
            if (!Entier(c[4], r.contexte) || r.contexte < 0 || r.contexte > 2) return ici + "context '" + c[4] + "'";
            r.confondus.assign(c.begin() + 5, c.end());
            if (r.nom.empty() || (!f.modeles.empty() && !(f.modeles.back().nom < r.nom))) return ici + "model name out of order";
            f.modeles.push_back(std::move(r));
        } else if (c[0] == "same" && c.size() == 3 && !c[1].empty() && !c[2].empty()) {
            f.memes.emplace_back(c[1], c[2]);
        } else if (c[0] == "end" && c.size() == 2) {
            int n = -1;
            if (!Entier(c[1], n) || n != static_cast<int>(f.modeles.size()) || n != annonces)
                return ici + "closing count " + c[1] + " for " + std::to_string(f.modeles.size()) + " models";
            fin = true;
        } else {
            return ici + "unknown line";
        }
    }
    if (numero == 0) return "empty file";
    if (!fin) return "no closing line";
    return "";
}

Etat_reglages Etat_fichier_reglages(const std::string& rep, Fichier_reglages* lu, std::string* raison)
{
    std::string texte;
    auto dit = [&](const std::string& r) {
        if (raison) *raison = r;
    };
    if (!Lit_fichier_entier(rep + "/" + Nom_fichier_reglages, texte)) {
        dit("none");
        return Etat_reglages::absent;
    }
    Fichier_reglages f;
    if (const std::string erreur = Lit_texte_reglages(texte, f); !erreur.empty()) {
        dit(erreur);
        return Etat_reglages::abime;
    }
    if (f.empreinte != Empreinte_modeles(rep)) {
        dit("learnt from other models");
        return Etat_reglages::perime;
    }
    if (lu) *lu = std::move(f);
    dit("");
    return Etat_reglages::a_jour;
}
