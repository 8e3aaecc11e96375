#include "spotting/lecture_symboles.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

std::string Decode_entites(std::string_view s)
{
    static const std::pair<std::string_view, char> entites[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string o;
    for (size_t i = 0; i < s.size(); i++) {
        bool fait = false;
        if (s[i] == '&')
            for (const auto& [e, c] : entites)
                if (s.substr(i, e.size()) == e) {
                    o.push_back(c);
                    i += e.size() - 1;
                    fait = true;
                    break;
                }
        if (!fait) o.push_back(s[i]);
    }
    return o;
}

// The value of attribute `nom` in the element text `e`; 0 when absent.
int Attribut(std::string_view e, std::string_view nom)
{
    const size_t p = e.find(std::string(" ") + std::string(nom) + "=\"");
    if (p == std::string_view::npos) return 0;
    return std::atoi(std::string(e.substr(p + nom.size() + 3, 12)).c_str());
}

}  // namespace

bool Lit_liste_symboles(const std::string& chemin, std::vector<SymboleLu>& symboles)
{
    symboles.clear();
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (!f) return false;
    std::string t;
    char tampon[8192];
    size_t n;
    while ((n = std::fread(tampon, 1, sizeof tampon, f)) > 0) t.append(tampon, n);
    std::fclose(f);
    if (t.find("</symbolist>") == std::string::npos) return false;
    for (size_t p = t.find("<symbol>"); p != std::string::npos; p = t.find("<symbol>", p + 1)) {
        const size_t fin = t.find("</symbol>", p);
        const std::string_view s = std::string_view(t).substr(p, fin == std::string::npos ? std::string::npos : fin - p);
        SymboleLu lu;
        const size_t b = s.find("<boundingbox");
        if (b != std::string_view::npos) {
            const std::string_view e = s.substr(b, s.find('>', b) - b);
            lu.xi = Attribut(e, "xi");
            lu.yi = Attribut(e, "yi");
            lu.xf = Attribut(e, "xf");
            lu.yf = Attribut(e, "yf");
        }
        const size_t a = s.find("<symbolname>");
        if (a != std::string_view::npos) {
            const size_t z = s.find("</symbolname>", a);
            std::string_view nom = s.substr(a + 12, z == std::string_view::npos ? 0 : z - a - 12);
            while (!nom.empty() && (nom.front() == ' ' || nom.front() == '\n')) nom.remove_prefix(1);
            while (!nom.empty() && (nom.back() == ' ' || nom.back() == '\n')) nom.remove_suffix(1);
            lu.nom = Decode_entites(nom);
        }
        const size_t q = s.find("<pose ");
        if (q != std::string_view::npos) {
            const std::string_view e = s.substr(q, s.find('>', q) - q);
            if (e.find(" quarterturns=\"") != std::string_view::npos) {
                lu.quarts = Attribut(e, "quarterturns") & 3;
                lu.miroir = Attribut(e, "mirrored") != 0;
                const size_t k = e.find(" scale=\"");
                if (k != std::string_view::npos) lu.echelle = std::strtod(std::string(e.substr(k + 8, 16)).c_str(), nullptr);
            }
        }
        const size_t c = s.find("<confidencerate>");
        if (c != std::string_view::npos) lu.score = std::strtod(std::string(s.substr(c + 16, 32)).c_str(), nullptr);
        symboles.push_back(std::move(lu));
    }
    return true;
}
