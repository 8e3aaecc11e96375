// The drawings as files: PNG decoded back to its pixels, and
// tracemorph --draw run as a user runs it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "draw/export_dessin.h"
#include "tests/support/support.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

uint32_t U32(const std::string& s, size_t i)
{
    return uint32_t(uint8_t(s[i])) << 24 | uint32_t(uint8_t(s[i + 1])) << 16 | uint32_t(uint8_t(s[i + 2])) << 8 |
           uint8_t(s[i + 3]);
}

struct Png {
    uint32_t largeur = 0, hauteur = 0;
    int profondeur = 0, type = 0;
    std::vector<std::string> lignes;  // raw samples, filter byte removed
};

// Reads a PNG as this encoder writes it, checking every chunk's CRC and that
// every row is unfiltered.
Png Decode(const std::string& s)
{
    Png p;
    EXPECT_EQ(s.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string idat;
    std::vector<std::string> types;
    for (size_t i = 8; i + 12 <= s.size();) {
        const uint32_t n = U32(s, i);
        const std::string type = s.substr(i + 4, 4), donnees = s.substr(i + 8, n);
        const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(s.data() + i + 4), n + 4);
        EXPECT_EQ(U32(s, i + 8 + n), crc) << type;
        types.push_back(type);
        if (type == "IHDR") {
            p.largeur = U32(donnees, 0), p.hauteur = U32(donnees, 4);
            p.profondeur = donnees[8], p.type = donnees[9];
        }
        if (type == "IDAT") idat += donnees;
        i += 12 + n;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    const size_t octets = (size_t(p.largeur) * (p.type == 2 ? 3 : 1) * p.profondeur + 7) / 8;
    std::string brut((octets + 1) * p.hauteur, '\0');
    uLongf taille = brut.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(brut.data()), &taille, reinterpret_cast<const Bytef*>(idat.data()),
                         idat.size()),
              Z_OK);
    EXPECT_EQ(taille, brut.size());
    for (uint32_t y = 0; y < p.hauteur; y++) {
        EXPECT_EQ(brut[y * (octets + 1)], '\0');
        p.lignes.push_back(brut.substr(y * (octets + 1) + 1, octets));
    }
    return p;
}

class Export : public tmtest::Environnement {};

// Row y of the PNG is plane row y, bit 0 black; base64 pads to 4 characters.
TEST_F(Export, PngRowsAreThePlane)
{
    tmtest::Image_depuis_texte({"#.........", "..#.......", ".........#", "##########"});
    const Png p = Decode(Png_plan(Plan1));
    ASSERT_EQ(p.lignes.size(), 6u);
    EXPECT_EQ(p.largeur * 100 + p.profondeur * 10 + p.type, 1210u);
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 12; x++)
            EXPECT_EQ(((uint8_t(p.lignes[y][x / 8]) >> (7 - x % 8)) & 1) ^ 1, Lit_pixel(x, y, Plan1)) << x << "," << y;
    EXPECT_EQ(Base64("foob\xff"), "Zm9vYv8=");
    EXPECT_EQ(Base64("fooba"), "Zm9vYmE=");
}

struct Execution { int statut = -1; std::string sortie, erreurs; };

// Runs a program in `dir` without a display, its output in files.
Execution Lance(const fs::path& dir, const std::vector<std::string>& args)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = (dir / "stdout").string(), err = (dir / "stderr").string();
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    char chemin[] = "PATH=/usr/bin:/bin";
    char* envp[] = {chemin, nullptr};
    Execution r;
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp) == 0) {
        int st = 0;
        ::waitpid(pid, &st, 0);
        r.statut = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    }
    posix_spawn_file_actions_destroy(&actions);
    r.sortie = tmtest::Lit_texte(out);
    r.erreurs = tmtest::Lit_texte(err);
    return r;
}

// Every drawing to PNG (a 1-bit picture or an RGB one of the image's size)
// and to SVG (well-formed, with its hideable drawing layer); usage errors,
// a missing image and an unwritable file.
TEST_F(Export, DrawCommandEndToEnd)
{
    const std::string prog = TM_BUILD_DIR "/tracemorph", image = TM_TEST_DATA "/bath_plan.bmp";
    const struct { const char* quoi; int type; const char* element; } dessins[] = {
        {"vectors", 0, "<line"}, {"quads", 0, "<polygon"}, {"ccs", 0, "<polygon"}, {"axes", 0, "<line"},
        {"graph", 0, "<line"},   {"symbols", 0, "id=\"symbols\""}, {"colored-quads", 2, "<polygon"},
        {"colored-graph", 2, "<line"},
    };
    for (const auto& d : dessins) {
        const std::string png = (dir / (std::string(d.quoi) + ".png")).string();
        Execution r = Lance(dir, {prog, "--draw", d.quoi, image, png});
        ASSERT_EQ(r.statut, 0) << d.quoi << r.erreurs;
        EXPECT_NE(r.sortie.find("Vecto. Ok."), std::string::npos) << d.quoi;
        const Png p = Decode(tmtest::Lit_texte(png));
        EXPECT_EQ(std::vector<uint32_t>({p.largeur, p.hauteur, uint32_t(p.type)}), std::vector<uint32_t>({1032, 1272, uint32_t(d.type)}));

        const std::string svg = (dir / (std::string(d.quoi) + ".SVG")).string();
        r = Lance(dir, {prog, "--draw", d.quoi, image, svg});
        ASSERT_EQ(r.statut, 0) << d.quoi << r.erreurs;
        EXPECT_EQ(Lance(dir, {"xmllint", "--noout", svg}).statut, 0) << d.quoi;
        const std::string texte = tmtest::Lit_texte(svg);
        EXPECT_NE(texte.find("<g id=\"drawing\""), std::string::npos);
        EXPECT_NE(texte.find("href=\"data:image/png;base64,iVBORw0KGgo"), std::string::npos);
        EXPECT_NE(texte.find(d.element), std::string::npos) << d.quoi;
    }

    const std::vector<std::vector<std::string>> mauvais = {
        {prog, "--draw"}, {prog, "--draw", "circles", image, "x.png"}, {prog, "--draw", "quads", image},
        {prog, "--draw", "quads", image, "x.png", "y"}};
    for (const auto& args : mauvais) {
        const Execution r = Lance(dir, args);
        EXPECT_EQ(r.statut, 2);
        EXPECT_EQ(r.erreurs.rfind("Usage: tracemorph --draw ", 0), 0u) << r.erreurs;
    }
    EXPECT_FALSE(fs::exists(dir / "x.png"));

    Execution r = Lance(dir, {prog, "--draw", "quads", (dir / "absent.bmp").string(), "x.png"});
    EXPECT_EQ(r.statut, 1);
    EXPECT_FALSE(fs::exists(dir / "x.png"));
    r = Lance(dir, {prog, "--draw", "quads", image, "absent/x.png"});
    EXPECT_EQ(r.statut, 1);
    EXPECT_NE(r.erreurs.find("Ouverture absent/x.png impossible !"), std::string::npos) << r.erreurs;
}

}  // namespace
