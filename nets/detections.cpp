#include "nets/detections.h"

#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;

std::string Nom_fichier(const std::string& chemin)
{
    const size_t b = chemin.find_last_of('/');
    return b == std::string::npos ? chemin : chemin.substr(b + 1);
}

std::string Texte_id(const json& v) { return v.is_number_integer() ? std::to_string(v.get<long>()) : v.dump(); }

}  // namespace

Detections Lit_detections_texte(const std::string& texte, const std::string& nom)
{
    Detections d;
    const json j = json::parse(texte, nullptr, false);
    if (j.is_discarded()) {
        d.erreur = nom + ": not JSON";
        return d;
    }
    if (!j.is_object() || !j.contains("images") || !j["images"].is_array() ||
        (j.contains("annotations") && !j["annotations"].is_array())) {
        d.erreur = nom + ": not a detections file (an object with \"images\" and \"annotations\" lists)";
        return d;
    }
    std::map<long, size_t> par_id;
    for (const json& im : j["images"]) {
        if (!im.is_object() || !im.contains("id") || !im["id"].is_number_integer() || !im.contains("file_name") ||
            !im["file_name"].is_string()) {
            d.erreur = nom + ": an image without an integer \"id\" and a \"file_name\"";
            return d;
        }
        DetectionsImage di;
        di.fichier = im["file_name"].get<std::string>();
        if (im.contains("width") && im["width"].is_number()) di.largeur = int(im["width"].get<double>());
        if (im.contains("height") && im["height"].is_number()) di.hauteur = int(im["height"].get<double>());
        if (!par_id.emplace(im["id"].get<long>(), d.images.size()).second) {
            d.erreur = nom + ": image id " + Texte_id(im["id"]) + " given twice";
            return d;
        }
        d.images.push_back(std::move(di));
    }
    std::map<long, std::string> categories;
    if (j.contains("categories") && j["categories"].is_array())
        for (const json& c : j["categories"])
            if (c.is_object() && c.contains("id") && c["id"].is_number_integer() && c.contains("name") &&
                c["name"].is_string())
                categories[c["id"].get<long>()] = c["name"].get<std::string>();

    std::map<long, std::vector<size_t>> ids;  // annotation id -> images holding it
    if (j.contains("annotations"))
        for (const json& a : j["annotations"]) {
            if (!a.is_object() || !a.contains("image_id") || !a["image_id"].is_number_integer()) {
                d.erreur = nom + ": an annotation without an integer \"image_id\"";
                return d;
            }
            const auto im = par_id.find(a["image_id"].get<long>());
            if (im == par_id.end()) {
                d.erreur = nom + ": an annotation of image id " + Texte_id(a["image_id"]) + ", which is not listed";
                return d;
            }
            DetectionsImage& di = d.images[im->second];
            const std::string qui = a.contains("id") ? "annotation " + Texte_id(a["id"]) : "an annotation";
            if (!a.contains("id") || !a["id"].is_number_integer()) {
                di.erreurs.push_back(qui + ": no integer id");
                continue;
            }
            const long id = a["id"].get<long>();
            ids[id].push_back(im->second);
            const json& b = a.contains("bbox") ? a["bbox"] : json();
            if (!b.is_array() || b.size() != 4 || !b[0].is_number() || !b[1].is_number() || !b[2].is_number() ||
                !b[3].is_number()) {
                di.erreurs.push_back(qui + ": no bbox [x, y, width, height]");
                continue;
            }
            const double x = b[0].get<double>(), y = b[1].get<double>(), w = b[2].get<double>(), h = b[3].get<double>();
            if (!(w > 0) || !(h > 0)) {
                di.erreurs.push_back(qui + ": zero or negative size");
                continue;
            }
            if (!(x >= 0) || !(y >= 0) || (di.largeur > 0 && x + w > di.largeur) ||
                (di.hauteur > 0 && y + h > di.hauteur) || x + w > 1e6 || y + h > 1e6) {
                di.erreurs.push_back(qui + ": box outside the image");
                continue;
            }
            BoiteSymbole s;
            s.id = id;
            if (a.contains("category") && a["category"].is_string()) s.nom = a["category"].get<std::string>();
            else if (a.contains("category_id") && a["category_id"].is_number_integer())
                s.nom = categories[a["category_id"].get<long>()];
            s.xi = int(std::floor(x));
            s.yi = int(std::floor(y)) + 1;
            s.xf = std::max(s.xi, int(std::ceil(x + w)) - 1);
            s.yf = std::max(s.yi, int(std::ceil(y + h)));
            di.boites.push_back(std::move(s));
        }
    for (const auto& [id, images] : ids)
        if (images.size() > 1)
            for (size_t k : std::set<size_t>(images.begin(), images.end()))
                d.images[k].erreurs.push_back("annotation id " + std::to_string(id) + " given twice");
    return d;
}

Detections Lit_detections(const std::string& chemin)
{
    std::ifstream f(chemin, std::ios::binary);
    if (!f) {
        Detections d;
        d.erreur = chemin + ": cannot be read";
        return d;
    }
    std::ostringstream s;
    s << f.rdbuf();
    return Lit_detections_texte(s.str(), chemin);
}

const DetectionsImage* Detections_de(const Detections& d, const std::string& image)
{
    for (const DetectionsImage& di : d.images)
        if (di.fichier == image) return &di;
    const std::string nom = Nom_fichier(image);
    for (const DetectionsImage& di : d.images)
        if (Nom_fichier(di.fichier) == nom) return &di;
    return nullptr;
}

std::vector<std::string> Images_non_donnees(const Detections& d, const std::vector<std::string>& images)
{
    std::set<std::string> chemins(images.begin(), images.end()), noms;
    for (const std::string& i : images) noms.insert(Nom_fichier(i));
    std::vector<std::string> r;
    for (const DetectionsImage& di : d.images)
        if (!chemins.count(di.fichier) && !noms.count(Nom_fichier(di.fichier))) r.push_back(di.fichier);
    return r;
}
