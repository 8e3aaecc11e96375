#include "tools/matchers/graphe_gxl.h"

#include "tools/matchers/mesures.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

std::string_view Sans_blancs(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// The value of an <attr>: the text of its first element (<string>, <float>,
// <int>...), or its own text.
std::string_view Valeur(const pugi::xml_node& attr)
{
    for (pugi::xml_node c = attr.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element) return Sans_blancs(c.child_value());
    return Sans_blancs(attr.child_value());
}

bool Nombre(std::string_view s, double& v)
{
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    // Our graphs hold RelLen in [0, 1] and relA in [0, 90]; far larger values
    // would overflow the auction's integer benefits and the signature's bins.
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v) && std::fabs(v) <= Valeur_max_gxl;
}

}  // namespace

std::string Lit_graphe_gxl(const std::string& chemin, GrapheG& g)
{
    g = GrapheG{};
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_file(chemin.c_str());
    if (r.status == pugi::status_file_not_found || r.status == pugi::status_io_error)
        return "cannot read " + chemin;
    if (!r) return chemin + ": not a GXL document (" + r.description() + ")";
    const pugi::xml_node graphe = doc.child("gxl").child("graph");
    if (!graphe) return chemin + ": no <gxl><graph> element";

    GrapheG lu;
    std::map<std::string, int, std::less<>> index;
    for (pugi::xml_node n = graphe.child("node"); n; n = n.next_sibling("node")) {
        NoeudG noeud;
        noeud.id = n.attribute("id").value();
        if (noeud.id.empty()) return chemin + ": a node has no id";
        if (!index.emplace(noeud.id, static_cast<int>(lu.noeuds.size())).second)
            return chemin + ": node id " + noeud.id + " given twice";
        for (pugi::xml_node a = n.child("attr"); a; a = a.next_sibling("attr")) {
            if (std::string_view(a.attribute("name").value()) != "RelLen") continue;
            if (!Nombre(Valeur(a), noeud.rellen)) return chemin + ": node " + noeud.id + ": RelLen is not a number within +-1e6";
        }
        lu.noeuds.push_back(std::move(noeud));
    }
    for (pugi::xml_node e = graphe.child("edge"); e; e = e.next_sibling("edge")) {
        AreteG arete;
        const auto de = index.find(std::string_view(e.attribute("from").value()));
        const auto vers = index.find(std::string_view(e.attribute("to").value()));
        if (de == index.end() || vers == index.end())
            return chemin + ": edge " + e.attribute("id").value() + " joins an unknown node";
        arete.de = de->second;
        arete.vers = vers->second;
        for (pugi::xml_node a = e.child("attr"); a; a = a.next_sibling("attr")) {
            const std::string_view nom = a.attribute("name").value();
            if (nom == "relA") {
                if (!Nombre(Valeur(a), arete.rela))
                    return chemin + ": edge " + e.attribute("id").value() + ": relA is not a number within +-1e6";
            } else if (nom == "Type") {
                const std::string_view v = Valeur(a);
                if (!v.empty()) arete.type = static_cast<char>(std::toupper(static_cast<unsigned char>(v.front())));
            }
        }
        lu.aretes.push_back(arete);
    }
    g = std::move(lu);
    return {};
}

std::string Texte_appariement(const GrapheG& g1, const GrapheG& g2, const std::vector<int>& image)
{
    std::string s;
    for (size_t i = 0; i < g1.noeuds.size(); i++) {
        if (i) s += ' ';
        s += g1.noeuds[i].id;
        s += '>';
        const int j = i < image.size() ? image[i] : -1;
        s += j >= 0 && j < static_cast<int>(g2.noeuds.size()) ? g2.noeuds[static_cast<size_t>(j)].id : "-";
    }
    return s;
}

bool Ecrit_resultat(double similarite, const std::string& appariement)
{
    std::FILE* f = std::fopen("result.txt", "wb");
    if (!f) return false;
    bool ok = std::fprintf(f, "S = %.6f\nM = %s\n", similarite, appariement.c_str()) > 0;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::remove("result.txt");
    return ok;
}

std::vector<char> Types_communs(const GrapheG& g1, const GrapheG& g2)
{
    std::vector<char> t;
    for (const GrapheG* g : {&g1, &g2})
        for (const AreteG& a : g->aretes) t.push_back(a.type);
    std::sort(t.begin(), t.end());
    t.erase(std::unique(t.begin(), t.end()), t.end());
    return t;
}

std::vector<Voisinage> Voisinages(const GrapheG& g, const std::vector<char>& types)
{
    std::vector<Voisinage> v(g.noeuds.size());
    for (Voisinage& x : v) {
        x.nombre.assign(types.size(), 0);
        x.somme.assign(types.size(), 0.0);
    }
    for (const AreteG& a : g.aretes) {
        const size_t t = static_cast<size_t>(std::lower_bound(types.begin(), types.end(), a.type) - types.begin());
        for (int bout : {a.de, a.vers}) {
            Voisinage& x = v[static_cast<size_t>(bout)];
            x.nombre[t]++;
            x.somme[t] += a.rela;
            x.degre++;
        }
    }
    return v;
}

int Main_apparieur(int argc, char** argv, const char* usage, int nb_extra, Mesure mesure)
{
    const char* nom = argc > 0 ? argv[0] : "matcher";
    if (argc == 2 && std::string_view(argv[1]) == "--identify") {
        const std::string_view u(usage);
        std::printf("%s\n", Identite_programme(u.substr(0, u.find(' '))).c_str());
        return 0;
    }
    if (argc < 3 || argc > 3 + nb_extra) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return 2;
    }
    GrapheG g1, g2;
    for (auto [chemin, g] : {std::pair{argv[1], &g1}, std::pair{argv[2], &g2}}) {
        const std::string erreur = Lit_graphe_gxl(chemin, *g);
        if (!erreur.empty()) {
            std::fprintf(stderr, "%s: %s\n", nom, erreur.c_str());
            return 1;
        }
        const std::string trop = Hors_limites(*g);
        if (!trop.empty()) {
            std::fprintf(stderr, "%s: %s: %s\n", nom, chemin, trop.c_str());
            return 3;
        }
    }
    std::vector<std::string> extra(argv + 3, argv + argc);
    std::vector<int> image;
    const double s = mesure(g1, g2, extra, image);
    if (!Ecrit_resultat(s, Texte_appariement(g1, g2, image))) {
        std::fprintf(stderr, "%s: cannot write result.txt\n", nom);
        return 1;
    }
    return 0;
}
