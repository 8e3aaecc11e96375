// The batch report as a person reads it: the page opened in a real browser
// (headless Chromium's screenshot shows the thumbnails with their boxes),
// its counts and counts.csv equal to FINAL_RESULTS.GRE, names that would
// break the page escaped, and a report folder shared with other files.
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "batch/rapport.h"
#include "tests/batch/resultats_attendus.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;
using tmtest::Execution;
using tmtest::Lit_texte;

namespace {

class Rapport : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::mt19937_64 rng(std::random_device{}());
        racine = fs::temp_directory_path() / ("tracemorph-rapport-" + std::to_string(::getpid()) + "-" + std::to_string(rng()));
        fs::create_directories(racine / "img");
        tmtest::Ecrit_param(racine, tmtest::Parametres_defaut());
    }
    void TearDown() override { fs::remove_all(racine); }
    std::string Image(const std::string& donnee, const std::string& nom)
    {
        fs::copy_file(fs::path(TM_TEST_DATA) / donnee, racine / "img" / nom);
        return "img/" + nom;
    }
    fs::path racine;
};

// Symbol counts per image name from FINAL_RESULTS.GRE, in its order.
std::vector<std::map<std::string, long>> Comptes_gre(const fs::path& gre)
{
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_file(gre.c_str()));
    std::vector<std::map<std::string, long>> o;
    for (const pugi::xpath_node& im : doc.select_nodes("//imageresult")) {
        std::map<std::string, long> c;
        for (const pugi::xpath_node& n : im.node().select_nodes(".//symbolname")) c[n.node().text().get()]++;
        o.push_back(c);
    }
    return o;
}

// The rows of a CSV file without quoted fields holding commas.
std::vector<std::vector<std::string>> Lignes_csv(const std::string& texte)
{
    std::vector<std::vector<std::string>> o;
    size_t debut = 0;
    while (debut < texte.size()) {
        const size_t fin = texte.find('\n', debut);
        std::vector<std::string> champs;
        std::string champ;
        bool cite = false;
        for (size_t i = debut; i < fin; i++) {
            const char c = texte[i];
            if (c == '"') cite = !cite;
            else if (c == ',' && !cite) champs.push_back(champ), champ.clear();
            else champ += c;
        }
        champs.push_back(champ);
        o.push_back(champs);
        debut = fin + 1;
    }
    return o;
}

// RGB(A) pixels of an 8-bit PNG (the browser's screenshot), filters undone.
bool Decode_png(const std::string& png, int& w, int& h, int& canaux, std::vector<uint8_t>& px)
{
    if (png.size() < 33 || png.compare(1, 3, "PNG") != 0) return false;
    auto u32 = [&](size_t k) {
        return static_cast<uint32_t>(static_cast<uint8_t>(png[k])) << 24 | static_cast<uint8_t>(png[k + 1]) << 16 |
               static_cast<uint8_t>(png[k + 2]) << 8 | static_cast<uint8_t>(png[k + 3]);
    };
    w = static_cast<int>(u32(16));
    h = static_cast<int>(u32(20));
    if (png[24] != 8 || (png[25] != 2 && png[25] != 6)) return false;
    canaux = png[25] == 6 ? 4 : 3;
    std::string idat;
    for (size_t k = 8; k + 8 <= png.size();) {
        const uint32_t n = u32(k);
        if (png.compare(k + 4, 4, "IDAT") == 0) idat.append(png, k + 8, n);
        k += 12 + n;
    }
    const size_t ligne = static_cast<size_t>(w) * canaux;
    std::vector<uint8_t> brut((ligne + 1) * h);
    uLongf taille = brut.size();
    if (uncompress(brut.data(), &taille, reinterpret_cast<const Bytef*>(idat.data()), idat.size()) != Z_OK) return false;
    px.assign(ligne * h, 0);
    for (int y = 0; y < h; y++) {
        const uint8_t filtre = brut[y * (ligne + 1)];
        const uint8_t* s = &brut[y * (ligne + 1) + 1];
        uint8_t* d = &px[y * ligne];
        const uint8_t* haut = y ? &px[(y - 1) * ligne] : nullptr;
        for (size_t i = 0; i < ligne; i++) {
            const int a = i >= static_cast<size_t>(canaux) ? d[i - canaux] : 0, b = haut ? haut[i] : 0,
                      c = haut && i >= static_cast<size_t>(canaux) ? haut[i - canaux] : 0;
            int p = 0;
            switch (filtre) {
            case 1: p = a; break;
            case 2: p = b; break;
            case 3: p = (a + b) / 2; break;
            case 4: {
                const int e = a + b - c, pa = std::abs(e - a), pb = std::abs(e - b), pc = std::abs(e - c);
                p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                break;
            }
            default: break;
            }
            d[i] = static_cast<uint8_t>(s[i] + p);
        }
    }
    return true;
}

}  // namespace

// A batch with a report: the counts of the page's two tables and of
// counts.csv are FINAL_RESULTS.GRE's, the names are escaped, each image has
// its two pictures and its links, and a file already in the folder stays.
TEST_F(Rapport, ComptesDuLotEtNomsEchappes)
{
    const std::vector<std::string> images = {Image("bath_plan.bmp", "plan & <coupe> \xc3\xa9t\xc3\xa9.bmp"),
                                             Image("relay_logic.bmp", "relay.bmp")};
    fs::create_directories(racine / "rapport");
    tmtest::Ecrit_chaine(racine / "rapport" / "notes.txt", "mine");
    std::vector<std::string> args = {"-q", "--batch", "--report", "rapport"};
    args.insert(args.end(), images.begin(), images.end());
    const Execution r = tmtest::Lance_tracemorph(racine, args);
    ASSERT_EQ(r.statut, 0) << r.erreurs;
    EXPECT_NE(r.erreurs.find(", rapport/index.html\n"), std::string::npos) << r.erreurs;
    EXPECT_EQ(Lit_texte(racine / "rapport" / "notes.txt"), "mine");

    const auto gre = Comptes_gre(racine / "FINAL_RESULTS.GRE");
    ASSERT_EQ(gre.size(), 2u);
    std::map<std::string, long> total;
    for (const auto& c : gre)
        for (const auto& [nom, n] : c) total[nom] += n;
    ASSERT_FALSE(total.empty()) << "the sample drawings give symbols";

    // counts.csv: header, one row per image, the total.
    const auto csv = Lignes_csv(Lit_texte(racine / "rapport" / "counts.csv"));
    ASSERT_EQ(csv.size(), 4u);
    ASSERT_EQ(csv[0].size(), total.size() + 3);
    EXPECT_EQ(csv[1][0], "plan & <coupe> \xc3\xa9t\xc3\xa9");
    EXPECT_EQ(csv[3][0], "total");
    for (size_t k = 2; k + 1 < csv[0].size(); k++) {
        const std::string& nom = csv[0][k];
        for (size_t i = 0; i < 2; i++) {
            const auto it = gre[i].find(nom);
            EXPECT_EQ(std::stol(csv[i + 1][k]), it == gre[i].end() ? 0 : it->second) << nom;
        }
        EXPECT_EQ(std::stol(csv[3][k]), total[nom]) << nom;
    }

    // The page: the totals table row by row, the image names escaped, each
    // image's thumbnail, full picture and files.
    const std::string html = Lit_texte(racine / "rapport" / "index.html");
    const size_t debut = html.find("<table id=\"totals\">"), fin = html.find("</table>", debut);
    ASSERT_NE(debut, std::string::npos);
    const std::string totaux = html.substr(debut, fin - debut);
    const std::regex ligne("<tr><th scope=\"row\">([^<]*)</th><td>([0-9]+)</td>");
    std::map<std::string, long> vus;
    for (auto it = std::sregex_iterator(totaux.begin(), totaux.end(), ligne); it != std::sregex_iterator(); ++it)
        if ((*it)[1] != "total") vus[(*it)[1]] = std::stol((*it)[2]);
    EXPECT_EQ(vus, total);
    EXPECT_NE(html.find("<b>plan &amp; &lt;coupe&gt; \xc3\xa9t\xc3\xa9</b>"), std::string::npos);
    EXPECT_EQ(html.find("<coupe>"), std::string::npos);
    EXPECT_NE(html.find("href=\"../img/plan%20%26%20%3Ccoupe%3E%20%C3%A9t%C3%A9.bmp.xml\""), std::string::npos);
    for (const char* f : {"pictures/0001.png", "pictures/0001-small.png", "pictures/0002.png", "pictures/0002-small.png"}) {
        EXPECT_TRUE(fs::is_regular_file(racine / "rapport" / f)) << f;
        EXPECT_NE(html.find(f), std::string::npos) << f;
    }
}

// The page in headless Chromium: the screenshot shows the thumbnails, ink
// and the red boxes of the symbols, not a blank or broken page.
TEST_F(Rapport, VuDansChromium)
{
    const char* chromium = "/usr/bin/chromium";
    if (::access(chromium, X_OK) != 0) GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
    const Execution lot =
        tmtest::Lance_tracemorph(racine, {"-q", "--batch", "--report", "rapport", Image("bath_plan.bmp", "bath.bmp")});
    ASSERT_EQ(lot.statut, 0) << lot.erreurs;
    const fs::path capture = racine / "capture.png", profil = racine / "profil";
    const Execution r = tmtest::Lance_programme(
        "timeout", racine,
        {"60", chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync", "--hide-scrollbars",
         "--user-data-dir=" + profil.string(), "--window-size=900,700", "--screenshot=" + capture.string(),
         "file://" + (racine / "rapport" / "index.html").string()},
        {{"HOME", racine.string()}});
    ASSERT_TRUE(fs::is_regular_file(capture)) << r.statut << "\n" << r.erreurs;
    int w = 0, h = 0, canaux = 0;
    std::vector<uint8_t> px;
    ASSERT_TRUE(Decode_png(Lit_texte(capture), w, h, canaux, px));
    ASSERT_EQ(w, 900);
    long sombres = 0, rouges = 0;
    for (size_t k = 0; k + 2 < px.size(); k += static_cast<size_t>(canaux)) {
        const int R = px[k], G = px[k + 1], B = px[k + 2];
        if (R < 128 && G < 128 && B < 128) sombres++;
        if (R > 180 && G < 80 && B < 80) rouges++;
    }
    EXPECT_GT(sombres, 500) << "text and ink on the page";
    EXPECT_GT(rouges, 50) << "the symbols' boxes on the thumbnail";
}

// A report folder that cannot be made is named, and the run fails.
TEST_F(Rapport, DossierImpossible)
{
    tmtest::Ecrit_chaine(racine / "fichier", "x");
    const Execution r =
        tmtest::Lance_tracemorph(racine, {"-q", "--batch", "--report", "fichier/rapport", Image("tiny_13x7.bmp", "t.bmp")});
    EXPECT_EQ(r.statut, 1);
    EXPECT_NE(r.erreurs.find("fichier/rapport"), std::string::npos) << r.erreurs;
    EXPECT_NE(r.erreurs.find("(report fichier/rapport not written)"), std::string::npos) << r.erreurs;
    EXPECT_TRUE(fs::is_regular_file(racine / "FINAL_RESULTS.GRE"));
}

// Escaping of names and links, and the counts of an image without a list.
TEST(RapportTextes, EchappementsEtComptes)
{
    EXPECT_EQ(Texte_html("a&b<c>\"d'"), "a&amp;b&lt;c&gt;&quot;d&#39;");
    EXPECT_EQ(Texte_html("caf\xe9"), "caf\xc3\xa9");  // Latin-1 byte taken as such
    EXPECT_EQ(Lien_html("dir/a b&c.bmp"), "dir/a%20b%26c.bmp");
    EXPECT_EQ(Lien_html("c:x.bmp"), "c%3Ax.bmp");
    EXPECT_EQ(Lien_html("/abs/x:y.bmp"), "/abs/x%3Ay.bmp");
    std::vector<SymbolesImage> lot(2);
    lot[0].image = "a, \"b\".bmp";
    lot[0].symboles = {{"lamp", 0.9}, {"NONE"}, {"lamp", 0.8}};
    lot[1].image = "c.bmp";
    const ComptesLot c = Compte_symboles(lot);
    EXPECT_EQ(c.noms, (std::vector<std::string>{"NONE", "lamp"}));
    EXPECT_EQ(Csv_comptes(lot, c), "image,path,NONE,lamp,total\n"
                                   "\"a, \"\"b\"\"\",\"a, \"\"b\"\".bmp\",1,2,3\n"
                                   "c,c.bmp,0,0,0\n"
                                   "total,,1,2,3\n");
}
