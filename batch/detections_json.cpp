#include "batch/detections_json.h"

#include <cstdio>
#include <map>

#include "image/taille_image.h"
#include "output/ecriture.h"
#include "port/shell.h"

namespace {

std::string Nombre(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    // The C locale's decimal point, whatever the user's.
    for (char* p = buf; *p; p++)
        if (*p == ',') *p = '.';
    return buf;
}

}  // namespace

std::vector<SymbolesImage> Lit_symboles_lot(const std::vector<std::string>& images)
{
    std::vector<SymbolesImage> lot;
    for (const std::string& image : images) {
        SymbolesImage s;
        s.image = image;
        s.lu = Lit_liste_symboles(image + ".xml", s.symboles);
        lot.push_back(std::move(s));
    }
    return lot;
}

long Nombre_symboles(const std::vector<SymbolesImage>& lot)
{
    long n = 0;
    for (const SymbolesImage& s : lot) n += static_cast<long>(s.symboles.size());
    return n;
}

bool Ecrit_detections_json(const std::string& chemin, const std::vector<SymbolesImage>& lot)
{
    std::map<std::string, int> categories;
    std::vector<const std::string*> ordre;
    for (const SymbolesImage& s : lot)
        for (const SymboleLu& sym : s.symboles)
            if (categories.emplace(sym.nom, static_cast<int>(categories.size()) + 1).second)
                ordre.push_back(&categories.find(sym.nom)->first);

    std::string o = "{\n\"images\": [";
    for (size_t i = 0; i < lot.size(); i++) {
        int l = 0, h = 0;
        if (!Taille_fichier_image(lot[i].image, l, h)) l = h = 0;
        o += std::string(i ? "," : "") + "\n  {\"id\": " + std::to_string(i + 1) + ", \"file_name\": " +
             Chaine_json(lot[i].image) + ", \"width\": " + std::to_string(l) + ", \"height\": " + std::to_string(h) + "}";
    }
    o += "\n],\n\"annotations\": [";
    long id = 0;
    for (size_t i = 0; i < lot.size(); i++)
        for (const SymboleLu& s : lot[i].symboles) {
            const long w = long(s.xf) - s.xi + 1, h = long(s.yf) - s.yi + 1;
            o += id ? "," : "";
            o += "\n  {\"id\": " + std::to_string(++id) + ", \"image_id\": " +
                 std::to_string(i + 1) + ", \"category_id\": " + std::to_string(categories[s.nom]) +
                 ", \"category\": " + Chaine_json(s.nom) + ", \"bbox\": [" + std::to_string(s.xi) + ", " +
                 std::to_string(s.yi - 1) + ", " + std::to_string(w) + ", " + std::to_string(h) +
                 "], \"area\": " + std::to_string(w * h) + ", \"score\": " + Nombre(s.score < 0 ? 1.0 : s.score) +
                 ", \"iscrowd\": 0";
            // The model's pose, where the spotting found one.
            if (s.quarts >= 0)
                o += ", \"quarter_turns\": " + std::to_string(s.quarts) + ", \"mirrored\": " + (s.miroir ? "true" : "false") +
                     ", \"scale\": " + Nombre(s.echelle);
            o += "}";
        }
    o += "\n],\n\"categories\": [";
    for (size_t k = 0; k < ordre.size(); k++)
        o += std::string(k ? "," : "") + "\n  {\"id\": " + std::to_string(k + 1) + ", \"name\": " + Chaine_json(*ordre[k]) + "}";
    o += "\n]\n}\n";

    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    bool ok = f && std::fwrite(o.data(), 1, o.size(), f) == o.size();
    if (f) ok = std::fclose(f) == 0 && ok;
    if (!ok) Message_erreur("Ecriture " + chemin + " impossible !");
    return ok;
}
