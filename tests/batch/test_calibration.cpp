// Practice sheets drawn from the models, the settings learnt on them, and
// the model maker's handling of bad and duplicate drawings.
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "batch/calibration.h"
#include "batch/feuilles_exercice.h"
#include "batch/modeles.h"
#include "port/shell.h"
#include "reco/fichier_reglages.h"
#include "reco/reglages_modeles.h"
#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

// A drawing built stroke by stroke: filled rectangles of ink.
struct Toile {
    int l, h;
    std::vector<std::string> lignes;
    Toile(int larg, int haut) : l(larg), h(haut), lignes(static_cast<size_t>(haut), std::string(static_cast<size_t>(larg), '.')) {}
    Toile& pave(int x0, int y0, int x1, int y1)
    {
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++) lignes[static_cast<size_t>(y)][static_cast<size_t>(x)] = '#';
        return *this;
    }
    Toile& cadre(int x0, int y0, int x1, int y1, int e = 3)
    {
        return pave(x0, y0, x1, y0 + e - 1).pave(x0, y1 - e + 1, x1, y1).pave(x0, y0, x0 + e - 1, y1).pave(x1 - e + 1, y0, x1, y1);
    }
    Bitmap bitmap() const
    {
        Bitmap b;
        b.larg = l, b.haut = h;
        for (const std::string& s : lignes)
            for (char c : s) b.px.push_back(c == '#');
        return b;
    }
    std::vector<uint8_t> bmp() const { return tmtest::Bmp_1bit(l, h, false, lignes); }
};

// A resistor (two pins), a ground (one pin), a flag (no symmetry) and a
// plain rectangle (no pin), with a white margin as libraries draw them.
Toile Resistance()
{
    Toile t(36, 70);
    return t.cadre(10, 20, 25, 49).pave(16, 5, 18, 19).pave(16, 50, 18, 64);
}
Toile Masse()
{
    Toile t(50, 46);
    return t.pave(23, 5, 25, 20).pave(8, 21, 40, 23).pave(14, 29, 34, 31).pave(20, 37, 28, 39);
}
Toile Drapeau()
{
    Toile t(46, 60);
    return t.pave(10, 5, 12, 54).pave(13, 5, 35, 7).pave(13, 25, 25, 27).pave(33, 8, 35, 15);
}
Toile Rectangle()
{
    Toile t(60, 40);
    return t.cadre(5, 5, 54, 34);
}

std::vector<Dessin_modele> Quatre_modeles()
{
    return {{"drapeau", Rogne_encre(Drapeau().bitmap())},
            {"masse", Rogne_encre(Masse().bitmap())},
            {"rectangle", Rogne_encre(Rectangle().bitmap())},
            {"resistance", Rogne_encre(Resistance().bitmap())}};
}

bool Memes_feuilles(const std::vector<Feuille>& a, const std::vector<Feuille>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        if (a[i].image.px != b[i].image.px || a[i].image.larg != b[i].image.larg || a[i].verites.size() != b[i].verites.size())
            return false;
        for (size_t k = 0; k < a[i].verites.size(); k++) {
            const Verite &x = a[i].verites[k], &y = b[i].verites[k];
            if (x.nom != y.nom || x.x0 != y.x0 || x.y0 != y.y0 || x.x1 != y.x1 || x.y1 != y.y1 || x.pose.echelle != y.pose.echelle)
                return false;
        }
    }
    return true;
}

TEST(FeuillesExercice, TruthHoldsExactlyTheInkDrawnAtItsPoseWithWiresAtItsTerminals)
{
    // Terminals: where a stroke ends on the box, thin and carried inward.
    const std::vector<Dessin_modele> modeles = Quatre_modeles();
    EXPECT_EQ(Bornes(modeles[1].encre).size(), 1u);  // ground: its pin
    EXPECT_EQ(Bornes(modeles[2].encre).size(), 0u);  // a plain outline has none
    const std::vector<Borne> r = Bornes(modeles[3].encre);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].cote, 0);
    EXPECT_EQ(r[1].cote, 2);
    EXPECT_EQ(r[0].fin - r[0].debut, 2);  // as wide as the pin

    Options_feuilles o;
    o.exemplaires = 8;
    o.bruit = false;
    o.largeur_max = 700;
    o.hauteur_max = 500;
    const std::vector<Feuille> feuilles = Feuilles_exercice(modeles, o);
    ASSERT_GE(feuilles.size(), 2u);  // 32 drawings do not fit on one
    std::map<std::string, std::set<int>> poses;
    for (const Feuille& f : feuilles)
        for (size_t k = 0; k < f.verites.size(); k++) {
            const Verite& v = f.verites[k];
            const auto m = std::find_if(modeles.begin(), modeles.end(), [&](const Dessin_modele& d) { return d.nom == v.nom; });
            ASSERT_NE(m, modeles.end());
            poses[v.nom].insert(v.pose.quarts * 2 + v.pose.miroir);
            EXPECT_GE(v.pose.echelle, 0.7);
            EXPECT_LE(v.pose.echelle, 1.4);
            // The box holds the model's ink at that pose, nothing more nor less.
            const Bitmap attendu = Pose_dessin(m->encre, v.pose);
            ASSERT_EQ(v.x1 - v.x0 + 1, attendu.larg) << v.nom;
            ASSERT_EQ(v.y1 - v.y0 + 1, attendu.haut) << v.nom;
            for (int y = 0; y < attendu.haut; y++)
                for (int x = 0; x < attendu.larg; x++)
                    ASSERT_EQ(f.image.at(v.x0 + x, v.y0 + y), attendu.at(x, y)) << v.nom << " at " << x << "," << y;
            // At a quarter turn the drawing is the model's turned: same ink.
            if (v.pose.echelle == 1.0) {
                EXPECT_EQ(std::count(attendu.px.begin(), attendu.px.end(), 1), std::count(m->encre.px.begin(), m->encre.px.end(), 1));
            }
            // A wire leaves each terminal: ink just outside the box.
            for (const Borne& b : Bornes(attendu)) {
                const int t = (b.debut + b.fin) / 2;
                const int x = b.cote == 1 ? v.x1 + 1 : b.cote == 3 ? v.x0 - 1 : v.x0 + t;
                const int y = b.cote == 0 ? v.y0 - 1 : b.cote == 2 ? v.y1 + 1 : v.y0 + t;
                EXPECT_EQ(f.image.at(x, y), 1) << v.nom << " side " << b.cote;
            }
            // Apart from every other symbol drawn.
            for (size_t j = k + 1; j < f.verites.size(); j++) {
                const Verite& w = f.verites[j];
                EXPECT_TRUE(w.x0 > v.x1 + 1 || v.x0 > w.x1 + 1 || w.y0 > v.y1 + 1 || v.y0 > w.y1 + 1);
            }
        }
    // Eight drawings of each model: the four quarter turns, mirrored or not.
    ASSERT_EQ(poses.size(), 4u);
    for (const auto& [nom, p] : poses) EXPECT_EQ(p.size(), 8u) << nom;
    // The poses differ: a mirrored flag is not the flag.
    EXPECT_NE(Pose_dessin(modeles[0].encre, {0, true, 1.0}).px, Pose_dessin(modeles[0].encre, {0, false, 1.0}).px);

    // The same models, the same sheets; the noise of a scan is drawn the
    // same way each time, on some rows.
    EXPECT_TRUE(Memes_feuilles(Feuilles_exercice(modeles, o), feuilles));
    o.bruit = true;
    const std::vector<Feuille> bruitees = Feuilles_exercice(modeles, o);
    EXPECT_TRUE(Memes_feuilles(Feuilles_exercice(modeles, o), bruitees));
    EXPECT_FALSE(Memes_feuilles(bruitees, feuilles));
}

// The recorder, keeping the log as it was written (closing an image clears it).
struct Journal : FrontendEnregistreur {
    std::string tout;
    void log_changed(bool, std::string_view piece) override { tout += piece; }
};

TEST(FichierReglages, ASoundFileReadsBackAndEachDamageIsToldByItsLine)
{
    Fichier_reglages f;
    f.empreinte = "0123456789abcdef";
    Reglage_modele a, b;
    a.nom = "GND", a.seuil = 0.8125, a.trop_simple = true, a.contexte = 1;
    b.nom = "R 10k\xE9", b.confondus = {"C", "GND"};  // a Latin-1 name with a space, not learnt
    f.modeles = {a, b};
    f.memes = {{"GND2", "GND"}};
    const std::string texte = Texte_reglages(f);
    Fichier_reglages lu;
    ASSERT_EQ(Lit_texte_reglages(texte, lu), "") << texte;
    EXPECT_EQ(Texte_reglages(lu), texte);
    EXPECT_EQ(lu.modeles[0].seuil, 0.8125);
    EXPECT_TRUE(lu.modeles[0].trop_simple);
    EXPECT_EQ(lu.modeles[1].seuil, -1);
    EXPECT_EQ(lu.modeles[1].confondus, (std::vector<std::string>{"C", "GND"}));
    const size_t m = texte.find("model\tGND"), ligne = static_cast<size_t>(std::count(texte.begin(), texte.begin() + static_cast<long>(m), '\n') + 1);
    const std::string ici = "line " + std::to_string(ligne) + ": ";
    struct Cas {
        std::string de, en, erreur;
    };
    for (const Cas& c : {Cas{"0.812500", "1.5", ici + "threshold '1.5'"}, Cas{"0.812500", "0,8", ici + "threshold '0,8'"},
                         Cas{"0.812500\t1\t1", "0.812500\t2\t1", ici + "plain '2'"},
                         Cas{"0.812500\t1\t1", "0.812500\t1\t3", ici + "context '3'"},
                         Cas{"model\tGND", "model\tZ", "line " + std::to_string(ligne + 1) + ": model name out of order"},
                         Cas{"end\t2", "end\t3", "line " + std::to_string(ligne + 3) + ": closing count 3 for 2 models"},
                         Cas{"fingerprint 0123456789abcdef", "fingerprint 0123", "line 1: fingerprint '0123'"},
                         Cas{"end\t2\n", "end\t2", "no closing line"}, Cas{"same\tGND2", "odd\tGND2", "line " + std::to_string(ligne + 2) + ": unknown line"}}) {
        std::string t = texte;
        const size_t p = t.find(c.de);
        ASSERT_NE(p, std::string::npos) << c.de;
        t.replace(p, c.de.size(), c.en);
        EXPECT_EQ(Lit_texte_reglages(t, lu), c.erreur) << c.en;
    }
    EXPECT_EQ(Lit_texte_reglages(texte + "model\tZ\t-\t0\t0\n", lu), "line " + std::to_string(ligne + 4) + ": text after the closing line");
    EXPECT_EQ(Lit_texte_reglages("", lu), "empty file");
}

class Reglages : public tmtest::Environnement {
protected:
    void SetUp() override
    {
        tmtest::Environnement::SetUp();
        Installe_frontend(&journal);
    }
    int Boites(const std::string& texte) const
    {
        return static_cast<int>(std::count_if(journal.boites.begin(), journal.boites.end(),
                                              [&](const auto& b) { return b.texte == texte; }));
    }
    Journal journal;
    void Ecrit(const std::string& nom, const std::vector<uint8_t>& octets)
    {
        fs::create_directories(dir / "symboles");
        tmtest::Ecrit_fichier(dir / "symboles" / nom, octets);
    }
    static int Occurrences(const std::string& texte, const std::string& motif)
    {
        int n = 0;
        for (size_t p = texte.find(motif); p != std::string::npos; p = texte.find(motif, p + 1)) n++;
        return n;
    }
};

// Bytes of a 24-bit BMP of w x h, all white.
std::vector<uint8_t> Bmp_24bits(int w, int h)
{
    const int octets = ((w * 3 + 3) / 4) * 4;
    std::vector<uint8_t> b(54 + static_cast<size_t>(octets * h), 255);
    std::fill(b.begin(), b.begin() + 54, 0);
    b[0] = 'B', b[1] = 'M';
    b[2] = static_cast<uint8_t>(b.size() & 0xFF), b[3] = static_cast<uint8_t>(b.size() >> 8);
    b[10] = 54, b[14] = 40, b[18] = static_cast<uint8_t>(w), b[22] = static_cast<uint8_t>(h), b[26] = 1, b[28] = 24;
    return b;
}

TEST_F(Reglages, BadAndDuplicateDrawingsAreNamedOnceAndTheSettingsFileIsMadeAgainWhenItMustBe)
{
    Ecrit("drapeau.bmp", Drapeau().bmp());
    Ecrit("masse.bmp", Masse().bmp());
    Ecrit("rectangle.bmp", Rectangle().bmp());
    Ecrit("resistance.bmp", Resistance().bmp());
    // The resistor turned a quarter, and the flag mirrored, in other margins.
    Toile tournee(80, 40), miroir(50, 66);
    tournee.cadre(20, 12, 49, 27).pave(5, 19, 19, 21).pave(50, 19, 64, 21);
    miroir.pave(37, 7, 39, 56).pave(14, 7, 36, 9).pave(24, 27, 36, 29).pave(14, 10, 16, 17);
    Ecrit("resistance_tournee.bmp", tournee.bmp());
    Ecrit("drapeau_miroir.bmp", miroir.bmp());
    Ecrit("vide.bmp", Toile(40, 40).bmp());
    Ecrit("noir.bmp", Toile(40, 40).pave(0, 0, 39, 39).bmp());
    Ecrit("large.bmp", Toile(3000, 20).pave(10, 8, 2990, 10).bmp());
    Ecrit("couleurs.bmp", Bmp_24bits(8, 8));
    const std::string modeles = (dir / "modeles").string();
    // A model of an earlier run under a name now left out would still name.
    fs::create_directories(modeles);
    tmtest::Ecrit_fichier(dir / "modeles" / "vide.gxl", {'x'});

    EXPECT_EQ(Fabrique_modeles((dir / "symboles").string(), modeles), 1);
    for (const char* b : {"vide.bmp: empty (no ink); left out of the models", "noir.bmp: all black; left out of the models",
                          "large.bmp: 3000 x 20 px, more than 2000 px a side; left out of the models",
                          "couleurs.bmp: not 1-bit (24 bits per pixel); left out of the models"})
        EXPECT_EQ(Boites(b), 1) << b;
    const std::string texte_journal = journal.tout;
    EXPECT_EQ(Occurrences(texte_journal, "resistance_tournee: same drawing as resistance"), 1) << texte_journal;
    EXPECT_EQ(Occurrences(texte_journal, "drapeau_miroir: same drawing as drapeau"), 1) << texte_journal;
    EXPECT_NE(texte_journal.find("4 models made, 0 failed, 4 left out, 2 named by an earlier drawing"), std::string::npos) << texte_journal;
    std::vector<std::string> faits;
    for (const auto& e : fs::directory_iterator(modeles)) faits.push_back(e.path().filename().string());
    std::sort(faits.begin(), faits.end());
    EXPECT_EQ(faits, (std::vector<std::string>{"drapeau.bmp", "drapeau.gxl", "masse.bmp", "masse.gxl", "rectangle.bmp",
                                                "rectangle.gxl", "reglages.txt", "resistance.bmp", "resistance.gxl"}));

    // The file: the fingerprint of the models, one line a model, the
    // duplicates named by the first.
    const fs::path chemin = dir / "modeles" / "reglages.txt";
    const std::string texte = tmtest::Lit_texte(chemin);
    Fichier_reglages f;
    ASSERT_EQ(Lit_texte_reglages(texte, f), "") << texte;
    EXPECT_EQ(f.empreinte, Empreinte_modeles(modeles));
    ASSERT_EQ(f.modeles.size(), 4u);
    EXPECT_EQ(f.modeles[0].nom, "drapeau");
    EXPECT_EQ(f.modeles[3].nom, "resistance");
    EXPECT_EQ(f.memes, (std::vector<std::pair<std::string, std::string>>{{"drapeau_miroir", "drapeau"},
                                                                          {"resistance_tournee", "resistance"}}));
    EXPECT_EQ(Texte_reglages(f), texte);
    EXPECT_EQ(Charge_reglages(modeles), 4);
    ASSERT_NE(Reglage_de("masse"), nullptr);
    EXPECT_EQ(Reglage_de("resistance_tournee"), nullptr);
    Oublie_reglages();

    // The same models give the same file, byte for byte.
    fs::remove(chemin);
    EXPECT_EQ(Fabrique_modeles((dir / "symboles").string(), modeles), 1);
    EXPECT_EQ(tmtest::Lit_texte(chemin), texte);

    // Damaged, or of an older format: made again, with a message, the same.
    struct Cas {
        std::string contenu, message;
    };
    const std::string fichier = modeles + "/reglages.txt";
    for (const Cas& c : {Cas{texte.substr(0, texte.size() / 2), fichier + ": no closing line; made again"},
                         Cas{"Tracemorph model settings\tformat 0" + texte.substr(texte.find('\t', 27)),
                             fichier + ": format 0, not 1; made again"},
                         Cas{"\x01\x02garbage\n", fichier + ": not a settings file; made again"}}) {
        tmtest::Ecrit_fichier(chemin, std::vector<uint8_t>(c.contenu.begin(), c.contenu.end()));
        journal.boites.clear();
        Fabrique_modeles((dir / "symboles").string(), modeles);
        EXPECT_EQ(Boites(c.message), 1) << c.message;
        EXPECT_EQ(tmtest::Lit_texte(chemin), texte) << c.message;
    }
    // Up to date: kept.
    journal.tout.clear();
    Fabrique_modeles((dir / "symboles").string(), modeles);
    EXPECT_NE(journal.tout.find("Settings learnt from these models already in"), std::string::npos) << journal.tout;

    // Used by a batch that names symbols with the groups' method, a folder
    // without settings gets them, once; the same as the maker's.
    Parametres({{"Bool_reco", "11"}, {"Methode_spotting", "1"}});
    fs::create_directories(dir / "models");
    for (const auto& e : fs::directory_iterator(modeles))
        if (e.path().extension() != ".txt") fs::copy_file(e.path(), dir / "models" / e.path().filename());
    journal.tout.clear();
    Verifie_reglages((dir / "models").string());
    Verifie_reglages((dir / "models").string());
    EXPECT_EQ(Occurrences(journal.tout, "no settings learnt from these models yet; making them (once)"), 1) << journal.tout;
    const std::string refait = tmtest::Lit_texte(dir / "models" / "reglages.txt");
    // (The duplicates the maker left out are its to tell.)
    EXPECT_EQ(refait.substr(0, refait.find("end\t")), texte.substr(0, texte.find("same\t")));

    // Other models: the file learnt from the earlier ones is made again.
    Ecrit("zz_fleche.bmp", Toile(40, 50).pave(18, 20, 20, 44).pave(8, 18, 30, 20).pave(12, 10, 26, 12).pave(18, 5, 20, 9).bmp());
    journal.tout.clear();
    Fabrique_modeles((dir / "symboles").string(), modeles);
    EXPECT_NE(journal.tout.find(fichier + ": learnt from other models; made again"), std::string::npos) << journal.tout;
    ASSERT_EQ(Lit_texte_reglages(tmtest::Lit_texte(chemin), f), "");
    EXPECT_EQ(f.modeles.size(), 5u);
}

TEST_F(Reglages, AFolderOfManySmallModelsIsMadeAndLearntInFull)
{
    // A dozen small drawings of one to five strokes, pins on some: each made,
    // or named by an earlier one it draws the same as.
    const int n = 12;
    for (int i = 0; i < n; i++) {
        Toile t(44, 44);
        t.pave(6 + (i % 5) * 3, 6, 8 + (i % 5) * 3, 37);
        if (i & 1) t.pave(9, 6 + (i % 7) * 4, 37, 8 + (i % 7) * 4);
        if (i & 2) t.cadre(20, 14, 37, 31);
        if (i & 4) t.pave(28, 32, 30, 40);
        if (i & 8) t.pave(12, 36, 37, 38);
        char nom[16];
        std::snprintf(nom, sizeof nom, "m%02d.bmp", i);
        Ecrit(nom, t.bmp());
    }
    EXPECT_EQ(Fabrique_modeles((dir / "symboles").string(), (dir / "modeles").string()), 0);
    const std::string texte_journal = journal.tout;
    Fichier_reglages f;
    ASSERT_EQ(Lit_texte_reglages(tmtest::Lit_texte(dir / "modeles" / "reglages.txt"), f), "");
    EXPECT_EQ(f.modeles.size() + f.memes.size(), static_cast<size_t>(n)) << texte_journal;
    EXPECT_NE(texte_journal.find(std::to_string(f.modeles.size()) + " models made, 0 failed"), std::string::npos) << texte_journal;
    EXPECT_NE(texte_journal.find("practice sheets of "), std::string::npos) << texte_journal;

    // A batch over workers that names symbols with these models, without
    // settings: made once, before the workers start, the same as the
    // maker's; the practice sheets left nowhere, not even in the temporary
    // directory.
    Parametres({{"Bool_reco", "11"}, {"Methode_spotting", "1"}});
    fs::create_directories(dir / "models");
    fs::create_directories(dir / "tmp");
    for (const auto& e : fs::directory_iterator(dir / "modeles"))
        if (e.path().extension() != ".txt") fs::copy_file(e.path(), dir / "models" / e.path().filename());
    tmtest::Ecrit_fichier(dir / "page.bmp", Toile(300, 200).cadre(40, 40, 120, 90).pave(121, 64, 200, 66).bmp());
    const tmtest::Execution r =
        tmtest::Lance_tracemorph(dir, {"--batch", "--jobs", "2", "page.bmp"}, {{"TMPDIR", (dir / "tmp").string()}});
    EXPECT_EQ(r.statut, 0) << r.erreurs;
    EXPECT_EQ(Occurrences(r.sortie, "no settings learnt from these models yet; making them (once)"), 1) << r.sortie;
    const std::string fait = tmtest::Lit_texte(dir / "modeles" / "reglages.txt");
    const std::string refait = tmtest::Lit_texte(dir / "models" / "reglages.txt");
    EXPECT_EQ(refait.substr(0, refait.find("end\t")), fait.substr(0, std::min(fait.find("same\t"), fait.find("end\t"))));
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

}  // namespace
