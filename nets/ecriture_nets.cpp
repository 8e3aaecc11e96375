#include "nets/ecriture_nets.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "image/planes.h"
#include "nets/detections.h"
#include "output/ecriture.h"
#include "port/shell.h"
#include "spotting/lecture_symboles.h"

ReglagesNets Reglages_nets;

namespace {

// Read once per process: every image of a batch takes its boxes from it.
const Detections& Detections_courantes()
{
    static std::map<std::string, Detections> lues;
    auto it = lues.find(Reglages_nets.symboles);
    if (it == lues.end()) it = lues.emplace(Reglages_nets.symboles, Lit_detections(Reglages_nets.symboles)).first;
    return it->second;
}

std::string Point(const PointNet& p) { return std::to_string(p.x) + ", " + std::to_string(p.y - 1); }

}  // namespace

bool Boites_image(const std::string& chemin, const std::string& liste, std::vector<BoiteSymbole>& boites,
                  std::string& erreur)
{
    boites.clear();
    if (Reglages_nets.symboles.empty()) {
        std::vector<SymboleLu> lus;
        if (!Lit_liste_symboles(liste, lus)) {
            erreur = "no symbol list " + liste;
            return false;
        }
        long id = 0;
        for (const SymboleLu& s : lus) boites.push_back({++id, s.nom, s.xi, s.yi, s.xf, s.yf});
        return true;
    }
    const Detections& d = Detections_courantes();
    if (!d.erreur.empty()) {
        erreur = d.erreur;
        return false;
    }
    const DetectionsImage* di = Detections_de(d, chemin);
    if (!di) {
        erreur = Reglages_nets.symboles + ": no entry for " + chemin;
        return false;
    }
    erreur.clear();
    for (const std::string& e : di->erreurs) erreur += (erreur.empty() ? "" : "; ") + e;
    // The loaded image's size holds even where the file gave none.
    for (const BoiteSymbole& b : di->boites)
        if (Plan1.existe() && (b.xf >= Largeur || b.yf > Hauteur))
            erreur += (erreur.empty() ? "" : "; ") + std::string("annotation ") + std::to_string(b.id) +
                      ": box outside the image";
    if (!erreur.empty()) {
        erreur = Reglages_nets.symboles + ", " + di->fichier + ": " + erreur;
        return false;
    }
    boites = di->boites;
    return true;
}

std::string Json_netlist(const Netlist& n, const std::string& image)
{
    std::string o = "{\"image\": " + Chaine_json(image) + ",\n\"symbols\": [";
    for (size_t k = 0; k < n.boites.size(); k++) {
        const BoiteSymbole& b = n.boites[k];
        o += std::string(k ? "," : "") + "\n  {\"id\": " + std::to_string(b.id) + ", \"name\": " + Chaine_json(b.nom) +
             ", \"bbox\": [" + std::to_string(b.xi) + ", " + std::to_string(b.yi - 1) + ", " +
             std::to_string(b.xf - b.xi + 1) + ", " + std::to_string(b.yf - b.yi + 1) + "], \"terminals\": [";
        const std::vector<PointNet>& t = n.bornes_symbole[k];
        for (size_t i = 0; i < t.size(); i++) o += std::string(i ? ", " : "") + "[" + Point(t[i]) + "]";
        o += "]}";
    }
    o += "\n],\n\"nets\": [";
    for (size_t k = 0; k < n.nets.size(); k++) {
        const Net& net = n.nets[k];
        o += std::string(k ? "," : "") + "\n  {\"id\": " + std::to_string(net.id) + ", \"symbols\": [";
        for (size_t i = 0; i < net.symboles.size(); i++) o += (i ? ", " : "") + std::to_string(net.symboles[i]);
        o += "],\n   \"terminals\": [";
        for (size_t i = 0; i < net.bornes.size(); i++)
            o += std::string(i ? ", " : "") + "[" + std::to_string(net.bornes[i].symbole) + ", " +
                 Point(net.bornes[i].p) + "]";
        o += "],\n   \"wires\": [";
        for (size_t i = 0; i < net.traits.size(); i++)
            o += std::string(i ? ", " : "") + "[" + Point(net.traits[i].a) + ", " + Point(net.traits[i].b) + "]";
        o += "]}";
    }
    return o + "\n]\n}\n";
}

std::string Gxl_netlist(const Netlist& n, const std::string& image)
{
    std::string o = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<gxl>\n <graph id=\"" + Texte_xml(image) +
                    "\" edgeids=\"true\" edgemode=\"undirected\">\n";
    auto attr = [](const char* nom, const std::string& type, const std::string& valeur) {
        return "  <attr name=\"" + std::string(nom) + "\"><" + type + ">" + valeur + "</" + type + "></attr>\n";
    };
    for (const BoiteSymbole& b : n.boites) {
        o += " <node id=\"s" + std::to_string(b.id) + "\">\n" + attr("kind", "string", "symbol") +
             attr("name", "string", Texte_xml(b.nom)) + attr("x", "int", std::to_string(b.xi)) +
             attr("y", "int", std::to_string(b.yi - 1)) + attr("width", "int", std::to_string(b.xf - b.xi + 1)) +
             attr("height", "int", std::to_string(b.yf - b.yi + 1)) + " </node>\n";
    }
    for (const Net& net : n.nets)
        o += " <node id=\"n" + std::to_string(net.id) + "\">\n" + attr("kind", "string", "net") +
             attr("wires", "int", std::to_string(net.traits.size())) + " </node>\n";
    long e = 0;
    for (const Net& net : n.nets)
        for (const BorneNet& b : net.bornes)
            o += " <edge id=\"e" + std::to_string(++e) + "\" from=\"s" + std::to_string(b.symbole) + "\" to=\"n" +
                 std::to_string(net.id) + "\">\n" + attr("x", "int", std::to_string(b.p.x)) +
                 attr("y", "int", std::to_string(b.p.y - 1)) + " </edge>\n";
    return o + " </graph>\n</gxl>\n";
}

bool Ecrit_netlist_image(const std::string& chemin, const std::string& liste)
{
    std::vector<BoiteSymbole> boites;
    std::string erreur;
    if (!Boites_image(chemin, liste, boites, erreur)) {
        Message_erreur("Netlist " + chemin + " : " + erreur);
        return false;
    }
    const Netlist n = Calcule_netlist(boites);
    bool ok = true;
    for (const auto& [suffixe, contenu] : {std::pair<const char*, std::string>{".nets.json", Json_netlist(n, chemin)},
                                           {".nets.gxl", Gxl_netlist(n, chemin)}}) {
        const std::string f = chemin + suffixe;
        std::FILE* s = Ouvre_resultat(f);
        ok = s && Termine_resultat(s, f, contenu) && ok;
    }
    return ok;
}

bool Lit_netlist_json(const std::string& chemin, Netlist& n)
{
    using json = nlohmann::json;
    n = {};
    std::ifstream f(chemin, std::ios::binary);
    if (!f) return false;
    std::ostringstream s;
    s << f.rdbuf();
    const json j = json::parse(s.str(), nullptr, false);
    if (j.is_discarded() || !j.is_object() || !j.contains("symbols") || !j["symbols"].is_array() ||
        !j.contains("nets") || !j["nets"].is_array())
        return false;
    auto entiers = [](const json& v, size_t nombre, std::vector<long>& o) {
        o.clear();
        if (!v.is_array() || v.size() != nombre) return false;
        for (const json& e : v) {
            if (!e.is_number_integer()) return false;
            o.push_back(e.get<long>());
        }
        return true;
    };
    std::vector<long> v;
    for (const json& sj : j["symbols"]) {
        if (!sj.is_object() || !sj.contains("id") || !sj.contains("bbox") || !entiers(sj["bbox"], 4, v) ||
            !sj["id"].is_number_integer())
            return false;
        BoiteSymbole b;
        b.id = sj["id"].get<long>();
        if (sj.contains("name") && sj["name"].is_string()) b.nom = sj["name"].get<std::string>();
        b.xi = int(v[0]);
        b.yi = int(v[1]) + 1;
        b.xf = int(v[0] + v[2] - 1);
        b.yf = int(v[1] + v[3]);
        std::vector<PointNet> bornes;
        if (sj.contains("terminals") && sj["terminals"].is_array())
            for (const json& t : sj["terminals"])
                if (entiers(t, 2, v)) bornes.push_back({int(v[0]), int(v[1]) + 1});
        n.boites.push_back(std::move(b));
        n.bornes_symbole.push_back(std::move(bornes));
    }
    for (const json& nj : j["nets"]) {
        if (!nj.is_object()) return false;
        Net net;
        if (nj.contains("id") && nj["id"].is_number_integer()) net.id = nj["id"].get<long>();
        if (nj.contains("symbols") && nj["symbols"].is_array())
            for (const json& e : nj["symbols"])
                if (e.is_number_integer()) net.symboles.push_back(e.get<long>());
        if (nj.contains("terminals") && nj["terminals"].is_array())
            for (const json& t : nj["terminals"])
                if (entiers(t, 3, v)) net.bornes.push_back({v[0], {int(v[1]), int(v[2]) + 1}});
        if (nj.contains("wires") && nj["wires"].is_array())
            for (const json& t : nj["wires"])
                if (entiers(t, 4, v)) net.traits.push_back({{int(v[0]), int(v[1]) + 1}, {int(v[2]), int(v[3]) + 1}});
        n.nets.push_back(std::move(net));
    }
    return true;
}
