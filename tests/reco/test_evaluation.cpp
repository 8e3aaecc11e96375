// bench/evaluate_spotting on a small hand-made results file.
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

class Evaluation : public tmtest::Environnement {};

std::string Symbole(int x0, int y0, int x1, int y1, const std::string& nom)
{
    return "\n<symbol>\n<location x=\"" + std::to_string(x0) + "\" y=\"" + std::to_string(y0) +
           "\" />\n<scalefactor>1</scalefactor>\n<boundingbox xi=\"" + std::to_string(x0) + "\" yi=\"" +
           std::to_string(y0) + "\" xf=\"" + std::to_string(x1) + "\" yf=\"" + std::to_string(y1) + "\" />\n<symbolname>" +
           nom + "</symbolname><confidencerate>0.900000</confidencerate>\n\n</symbol>\n";
}

// The counts of one summary ("kinds" entry or "total") of the JSON output.
std::string Comptes(const std::string& json, const std::string& cle)
{
    const size_t p = json.find("\"" + cle + "\": {");
    std::smatch m;
    if (p == std::string::npos) return "?";
    const std::string reste = json.substr(p);
    if (!std::regex_search(reste, m, std::regex(R"re("detections": (\d+),\s*"truth": (\d+),\s*"spotted": (\d+),\s*"named": (\d+))re")))
        return "?";
    return m[1].str() + " " + m[2].str() + " " + m[3].str() + " " + m[4].str();
}

TEST_F(Evaluation, MatchesOneToOneAtHalfOverlapAndChecksNames)
{
    // Truth rows from 0 at the top: the program writes them one lower.
    const std::string truth =
        R"({"symbols": [
 {"name": "diode", "xmin": 100, "ymin": 100, "xmax": 199, "ymax": 199},
 {"name": "bed", "xmin": 400, "ymin": 100, "xmax": 499, "ymax": 199},
 {"name": "opamp", "xmin": 100, "ymin": 400, "xmax": 199, "ymax": 499}]})";
    tmtest::Ecrit_fichier(dir / "page_7.json", {truth.begin(), truth.end()});
    std::string gre = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<testresult>\n";
    gre += "\n<imageresult>\n<imagename>page_7</imagename>\n<symbolist>\n";
    gre += Symbole(100, 101, 199, 200, "diode");   // exact, named right
    gre += Symbole(100, 101, 199, 200, "diode");   // duplicate: one to one, not counted twice
    gre += Symbole(400, 131, 499, 230, "couch");   // IoU 70/130 > 0.5, wrong name
    gre += Symbole(100, 460, 199, 560, "opamp");   // IoU below 0.5
    gre += Symbole(400, 101, 499, 200, "Rejet(bed.gxl)");  // rejected: dropped
    gre += "\n</symbolist>\n\n</imageresult>\n";
    // A noisy page shares the clean page's truth; y taken as the row would miss.
    gre += "\n<imageresult>\n<imagename>page_7_noisy</imagename>\n<symbolist>\n";
    gre += Symbole(100, 150, 199, 249, "diode");   // shifted by 49 rows: IoU 51/149 < 0.5
    gre += Symbole(400, 100, 499, 199, "bed");     // one row off: still matches, named
    gre += "\n</symbolist>\n\n</imageresult>\n\n</testresult>\n";
    tmtest::Ecrit_fichier(dir / "FINAL_RESULTS.GRE", {gre.begin(), gre.end()});

    const std::string commande = "python3 " + std::string(TM_SOURCE_DIR) + "/bench/evaluate_spotting '" +
                                 (dir / "FINAL_RESULTS.GRE").string() + "' --truth '" + dir.string() + "' --json > '" +
                                 (dir / "out.json").string() + "'";
    ASSERT_EQ(std::system(commande.c_str()), 0);
    const std::string json = tmtest::Lit_texte(dir / "out.json");
    // detections truth spotted named
    EXPECT_EQ(Comptes(json, "clean"), "4 3 2 1") << json;
    EXPECT_EQ(Comptes(json, "noisy"), "2 3 1 1") << json;
    EXPECT_EQ(Comptes(json, "total"), "6 6 3 2") << json;
    EXPECT_NE(json.find("\"P\": 0.5,"), std::string::npos);  // total spotting precision 3/6
}

}  // namespace
