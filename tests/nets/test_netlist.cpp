// The netlist read from small schematics drawn in the test: which symbols
// the wires join, and the detections files that give the symbols' boxes.
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "graph/construction.h"
#include "image/planes.h"
#include "nets/detections.h"
#include "nets/ecriture_nets.h"
#include "nets/netlist.h"
#include "tests/support/support.h"
#include "vecto/vectorisation.h"

namespace fs = std::filesystem;

namespace {

using Paires = std::set<std::pair<long, long>>;

void Ecrit_fichier(const fs::path& p, const std::string& texte)
{
    std::ofstream(p, std::ios::binary) << texte;
}

// A resistor as a schematic draws it: an outlined body and two 3-pixel pins
// reaching its box's ends; `id` names its box.
struct Resistance {
    long id;
    int x, y;
    bool verticale;
};

BoiteSymbole Boite(const Resistance& r)
{
    return r.verticale ? BoiteSymbole{r.id, "R", r.x - 6, r.y - 30, r.x + 6, r.y + 30}
                       : BoiteSymbole{r.id, "R", r.x - 30, r.y - 6, r.x + 30, r.y + 6};
}

void Dessine(PlanImage& p, const Resistance& r)
{
    auto rect = [&](int a0, int b0, int a1, int b1) {
        if (r.verticale) tmtest::Rectangle_noir(p, r.x + b0, r.y + a0, r.x + b1, r.y + a1);
        else tmtest::Rectangle_noir(p, r.x + a0, r.y + b0, r.x + a1, r.y + b1);
    };
    rect(-30, -1, -12, 1);  // pins
    rect(12, -1, 30, 1);
    rect(-12, -6, 12, -5);  // body outline
    rect(-12, 5, 12, 6);
    rect(-12, -6, -11, 6);
    rect(11, -6, 12, 6);
}

// A 3-pixel wire from (x0, y0) to (x1, y1), horizontal or vertical.
struct Fil {
    int x0, y0, x1, y1;
};

void Dessine(PlanImage& p, const Fil& f)
{
    tmtest::Rectangle_noir(p, std::min(f.x0, f.x1) - 1, std::min(f.y0, f.y1) - 1, std::max(f.x0, f.x1) + 1,
                           std::max(f.y0, f.y1) + 1);
}

void Point_jonction(PlanImage& p, int cx, int cy)
{
    for (int dy = -6; dy <= 6; dy++)
        for (int dx = -6; dx <= 6; dx++)
            if (dx * dx + dy * dy <= 36) Ecrit_pixel(cx + dx, cy + dy, 1, p);
}

struct Schema {
    const char* nom;
    std::vector<Resistance> symboles;
    std::vector<Fil> fils;
    std::vector<std::pair<int, int>> points;
    Paires attendues;
};

// Four resistors around a 400 x 400 sheet, their inner pins at 90 and 310.
const Resistance Gauche{1, 60, 200, false}, Droite{2, 340, 200, false}, Haut{3, 200, 60, true}, Bas{4, 200, 340, true};

class Netlist : public tmtest::Environnement {
protected:
    // Draws the schematic, analyses it and returns the nets' pairs.
    ::Netlist Analyse(const Schema& s, std::vector<BoiteSymbole>* boites_donnees = nullptr)
    {
        tmtest::Image_blanche(400, 400);
        std::vector<BoiteSymbole> boites;
        for (const Resistance& r : s.symboles) {
            Dessine(Plan1, r);
            boites.push_back(Boite(r));
        }
        for (const Fil& f : s.fils) Dessine(Plan1, f);
        for (const auto& [x, y] : s.points) Point_jonction(Plan1, x, y);
        Commande_vectorisation();
        Commande_graphe();
        return Calcule_netlist(boites_donnees ? *boites_donnees : boites);
    }
    static Paires Paires_de(const ::Netlist& n)
    {
        const auto v = Paires_netlist(n);
        return Paires(v.begin(), v.end());
    }
};

TEST_F(Netlist, WiresJoinAtJunctionsAndNotAtBareCrossings)
{
    const Fil horizontal{90, 200, 310, 200}, vertical{200, 90, 200, 310};
    const Schema schemas[] = {
        {"crossing without a dot", {Gauche, Droite, Haut, Bas}, {horizontal, vertical}, {}, {{1, 2}, {3, 4}}},
        {"crossing with a dot",
         {Gauche, Droite, Haut, Bas},
         {horizontal, vertical},
         {{200, 200}},
         {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}},
        {"T junction", {Gauche, Droite, Haut}, {horizontal, {200, 90, 200, 200}}, {}, {{1, 2}, {1, 3}, {2, 3}}},
        // From the left resistor: right, down a corner, and onto the middle
        // of the vertical wire between the top and bottom ones.
        {"wire end on a wire's middle",
         {{1, 60, 120, false}, Haut, Bas},
         {vertical, {90, 120, 140, 120}, {140, 120, 140, 220}, {140, 220, 200, 220}},
         {},
         {{1, 3}, {1, 4}, {3, 4}}},
        {"two resistors in series",
         {{1, 100, 200, false}, {2, 220, 200, false}, {3, 340, 200, false}},
         {{130, 200, 190, 200}},
         {},
         {{1, 2}}},
        {"pins touching, no wire", {{1, 100, 200, false}, {2, 160, 200, false}, {3, 300, 200, false}}, {}, {}, {{1, 2}}},
        {"no wires", {Gauche, Droite}, {}, {}, {}},
    };
    for (const Schema& s : schemas) {
        SCOPED_TRACE(s.nom);
        tmtest::Remise_a_zero();
        const ::Netlist n = Analyse(s);
        EXPECT_EQ(Paires_de(n), s.attendues);
        if (s.attendues.empty()) {
            EXPECT_TRUE(n.nets.empty());
        }
    }
}

TEST_F(Netlist, BoxesFromADetectionsFileGetTheirTerminals)
{
    // bbox rows count from 0 at the top, the planes' from 1.
    const Detections d = Lit_detections_texte(
        R"({"images": [{"id": 7, "file_name": "dir/sheet.bmp", "width": 400, "height": 400}],
            "annotations": [{"id": 71, "image_id": 7, "category": "R", "bbox": [70, 193, 61, 13]},
                            {"id": 72, "image_id": 7, "category_id": 2, "bbox": [190, 193, 61, 13]}],
            "categories": [{"id": 2, "name": "Rv"}]})",
        "det.json");
    ASSERT_EQ(d.erreur, "");
    const DetectionsImage* di = Detections_de(d, "other/sheet.bmp");
    ASSERT_NE(di, nullptr);
    ASSERT_EQ(di->boites.size(), 2u);
    EXPECT_EQ(di->boites[1].nom, "Rv");
    EXPECT_EQ(di->boites[0].yi, 194);
    EXPECT_EQ(di->boites[0].xf, 130);
    std::vector<BoiteSymbole> boites = di->boites;
    const ::Netlist n = Analyse({"series", {{71, 100, 200, false}, {72, 220, 200, false}}, {{130, 200, 190, 200}}, {}, {}},
                                &boites);
    EXPECT_EQ(Paires_de(n), (Paires{{71, 72}}));
    ASSERT_EQ(n.bornes_symbole.size(), 2u);
    // The right pin of 71 and the left pin of 72, where the wire meets them.
    for (size_t k = 0; k < 2; k++) {
        ASSERT_EQ(n.bornes_symbole[k].size(), 1u) << k;
        const PointNet p = n.bornes_symbole[k][0];
        EXPECT_NEAR(p.x, k == 0 ? 131 : 189, 4) << k;
        EXPECT_NEAR(p.y, 200, 2) << k;
    }
    const std::string json = Json_netlist(n, "sheet.bmp");
    EXPECT_NE(json.find("{\"id\": 71, \"name\": \"R\", \"bbox\": [70, 193, 61, 13], \"terminals\": [["), std::string::npos)
        << json;
    EXPECT_NE(json.find("\"symbols\": [71, 72]"), std::string::npos) << json;
    // Read back (for the batch report's picture), the same nets and terminals.
    Ecrit_fichier(dir / "sheet.bmp.nets.json", json);
    ::Netlist relue;
    ASSERT_TRUE(Lit_netlist_json((dir / "sheet.bmp.nets.json").string(), relue));
    EXPECT_EQ(Paires_de(relue), Paires_de(n));
    ASSERT_EQ(relue.boites.size(), 2u);
    EXPECT_EQ(relue.boites[0].yi, 194);
    EXPECT_EQ(relue.boites[0].xf, 130);
    EXPECT_EQ(relue.bornes_symbole[1][0].y, n.bornes_symbole[1][0].y);
    EXPECT_EQ(relue.nets[0].traits.size(), n.nets[0].traits.size());
}

TEST_F(Netlist, BadDetectionsFilesAreNamed)
{
    const std::string image = R"({"id": 1, "file_name": "a.bmp", "width": 100, "height": 50})";
    const std::string b = R"({"id": 2, "file_name": "b.bmp", "width": 100, "height": 50})";
    auto fichier = [&](const std::string& annotations) {
        return R"({"images": [)" + image + ", " + b + R"(], "annotations": [)" + annotations + "]}";
    };
    struct Cas {
        const char* nom;
        std::string texte;
        std::string erreur_fichier;  // the whole file refused
        std::string erreur_a;        // a.bmp's boxes refused, b.bmp's kept
    } cas[] = {
        {"not JSON", "{\"images\": [", "det.json: not JSON", ""},
        {"not the layout", "[1, 2]", "det.json: not a detections file", ""},
        {"annotation of an unlisted image", fichier(R"({"id": 1, "image_id": 9, "bbox": [1, 1, 5, 5]})"),
         "det.json: an annotation of image id 9, which is not listed", ""},
        {"box outside", fichier(R"({"id": 1, "image_id": 1, "bbox": [90, 10, 20, 5]})"), "",
         "annotation 1: box outside the image"},
        {"negative origin", fichier(R"({"id": 1, "image_id": 1, "bbox": [-3, 10, 20, 5]})"), "",
         "annotation 1: box outside the image"},
        {"zero size", fichier(R"({"id": 1, "image_id": 1, "bbox": [10, 10, 0, 5]})"), "",
         "annotation 1: zero or negative size"},
        {"negative size", fichier(R"({"id": 1, "image_id": 1, "bbox": [10, 10, 5, -2]})"), "",
         "annotation 1: zero or negative size"},
        {"duplicate ids",
         fichier(R"({"id": 4, "image_id": 1, "bbox": [1, 1, 5, 5]}, {"id": 4, "image_id": 1, "bbox": [9, 1, 5, 5]},
                    {"id": 5, "image_id": 2, "bbox": [1, 1, 5, 5]})"),
         "", "annotation id 4 given twice"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        const Detections d = Lit_detections_texte(c.texte, "det.json");
        EXPECT_EQ(d.erreur.substr(0, c.erreur_fichier.size()), c.erreur_fichier);
        if (!c.erreur_fichier.empty()) continue;
        ASSERT_EQ(d.images.size(), 2u);
        ASSERT_EQ(d.images[0].erreurs.size(), 1u);
        EXPECT_EQ(d.images[0].erreurs[0], c.erreur_a);
        EXPECT_TRUE(d.images[1].erreurs.empty());
    }
    const Detections d = Lit_detections_texte(fichier(""), "det.json");
    EXPECT_EQ(Images_non_donnees(d, {"x/a.bmp", "c.bmp"}), std::vector<std::string>{"b.bmp"});
    EXPECT_EQ(Detections_de(d, "c.bmp"), nullptr);
}

// The batch as a user runs it: the image whose boxes are wrong fails and is
// named, the other one gets its nets; a file that is not JSON fails them all
// but the batch's other results are still written.
TEST_F(Netlist, BatchWithABadBoxFailsThatImageOnly)
{
    tmtest::Image_blanche(400, 400);
    for (const Resistance& r : {Resistance{1, 100, 200, false}, Resistance{2, 220, 200, false}}) Dessine(Plan2, r);
    Dessine(Plan2, Fil{130, 200, 190, 200});
    ASSERT_TRUE(Sauve_P2((dir / "a.bmp").string()));
    ASSERT_TRUE(Sauve_P2((dir / "b.bmp").string()));
    auto boite = [](int id, int image, int x) {
        return "{\"id\": " + std::to_string(id) + ", \"image_id\": " + std::to_string(image) + ", \"bbox\": [" +
               std::to_string(x) + ", 193, 61, 13]}";
    };
    Ecrit_fichier(dir / "det.json",
                        R"({"images": [{"id": 1, "file_name": "a.bmp"}, {"id": 2, "file_name": "b.bmp"}],
                            "annotations": [)" + boite(1, 1, 70) + ", " + boite(2, 1, 190) + ", " + boite(3, 2, 70) +
                            ", " + boite(4, 2, 390) + "]}");
    tmtest::Execution r = tmtest::Lance_tracemorph(dir, {"-q", "--batch", "--netlist", "--symbols", "det.json", "a.bmp", "b.bmp"});
    EXPECT_EQ(r.statut, 1) << r.erreurs;
    EXPECT_NE(r.erreurs.find("b.bmp: annotation 4: box outside the image"), std::string::npos) << r.erreurs;
    const std::string a = tmtest::Lit_texte(dir / "a.bmp.nets.json");
    EXPECT_NE(a.find("\"symbols\": [1, 2]"), std::string::npos) << a;
    EXPECT_TRUE(fs::exists(dir / "a.bmp.nets.gxl"));
    EXPECT_FALSE(fs::exists(dir / "b.bmp.nets.json"));
    EXPECT_TRUE(fs::exists(dir / "b.bmp.xml"));

    Ecrit_fichier(dir / "det.json", "not json");
    fs::remove(dir / "a.bmp.nets.json");
    r = tmtest::Lance_tracemorph(dir, {"-q", "--batch", "--jobs", "2", "--netlist", "--symbols", "det.json", "a.bmp", "b.bmp"});
    EXPECT_EQ(r.statut, 1) << r.erreurs;
    EXPECT_NE(r.erreurs.find("det.json: not JSON"), std::string::npos) << r.erreurs;
    EXPECT_FALSE(fs::exists(dir / "a.bmp.nets.json"));
    EXPECT_TRUE(fs::exists(dir / "FINAL_RESULTS.GRE"));
}

}  // namespace
