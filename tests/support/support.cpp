#include "tests/support/support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <fstream>
#include <random>

#include "port/shell.h"
#include "reco/reconnaissance.h"
#include "vecto/arcs.h"
#include "image/chargement.h"
#include "image/fils.h"
#include "spotting/etat_analyse.h"
#include "spotting/spotting_groupes.h"
#include "spotting/symboles.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace fs = std::filesystem;

namespace tmtest {

std::map<std::string, std::string> Parametres_defaut()
{
    return {{"Format_GXL", "0"},   {"Resolution", "300"}, {"Force_morpho", "2"},   {"Seuil_petiteCC", "5"},
            {"Seuil_petitV", "3"}, {"Seuil_penteTQ", "10"}, {"EpsV", "2"},        {"EpsFV", "3"},
            {"EpsFQ", "3"},        {"Seuil_penteV", "10"}, {"SeuilEpmax", "20"},  {"LgMinQuad", "10"},
            {"SeuilDiffEp", "5"},  {"Seuil_LgQ", "5"},     {"distZI", "10"},      {"distZI_Vect", "10"},
            {"Angle_TP", "10"},    {"Angle_TL", "15"},     {"Seuil_Trou", "5"},   {"Bool_reco", "0"},
            {"Seuil_ScoreQ", "2"}, {"Seuil_rejet", "0.5"}};
}

void Ecrit_param(const fs::path& dir, const std::map<std::string, std::string>& valeurs)
{
    std::ofstream f(dir / "param.dat", std::ios::binary);
    for (const auto& [k, v] : valeurs) f << "#" << k << "#\n=" << v << "#\n";
    f << "$\n";
}

void Remise_a_zero()
{
    Vide_listes(false);
    Oublie_modeles_signales();
    Libere_plan(Plan1);
    Libere_plan(Plan2);
    Libere_plan(Plan_zoom);
    Plan_courant = nullptr;
    Largeur = Hauteur = Octets_ligne = 0;
    Resolution = 0;
    Etat_affichage = 1;
    Niveau_zoom = 0;
    Chemin_image.clear();
    Mode_trace = 0;
    Methode_spotting_choisie = -1;
    Pause_flag = 0;
    Demande_arret(false);
    Efface_texte();
    Progression_init(0, 100);
}

void Environnement::SetUp()
{
    static std::mt19937_64 rng(std::random_device{}());
    dir = fs::temp_directory_path() / ("tracemorph-test-" + std::to_string(::getpid()) + "-" + std::to_string(rng()));
    fs::create_directories(dir);
    params = Parametres_defaut();
    Ecrit_param(dir, params);
    Rep_travail = dir.string();
    Rep_courant = dir.string();
    // The tests put their own converter and matchers in the working directory.
    ::setenv("TRACEMORPH_LOCAL_PROGRAMS", "1", 1);
    Installe_frontend(&fe);
    Remise_a_zero();
    fe = FrontendEnregistreur{};
}

void Environnement::TearDown()
{
    Remise_a_zero();
    Fils_analyse = 0;
    Installe_frontend(nullptr);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

void Environnement::Parametres(const std::map<std::string, std::string>& changes)
{
    for (const auto& [k, v] : changes) params[k] = v;
    Ecrit_param(dir, params);
}

void Environnement::Sans_parametre(const std::string& cle)
{
    params.erase(cle);
    Ecrit_param(dir, params);
}

Vecteur* Nouveau_vecteur(int xi, int yi, int xf, int yf, int etat)
{
    auto* v = new Vecteur;
    v->xi = xi, v->yi = yi, v->xf = xf, v->yf = yf;
    v->length = Longueur_vecteur(xi, yi, xf, yf);
    v->angle = Angle_vecteur(xi, yi, xf, yf);
    v->etat = etat;
    return v;
}

void Image_blanche(int w, int h)
{
    Cree_plan_blanc(Plan1, w, h);
    Cree_plan_blanc(Plan2, w, h);
    Cree_plan_blanc(Plan_zoom, w, h);
    Largeur = w;
    Hauteur = h;
    Octets_ligne = Plan1.octets;
    Plan_courant = &Plan1;
    Etat_affichage = 1;
}

void Rectangle_noir(PlanImage& p, int x0, int y0, int x1, int y1)
{
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) Ecrit_pixel(x, y, 1, p);
}

void Image_depuis_texte(const std::vector<std::string>& lignes)
{
    const int h = static_cast<int>(lignes.size());
    int w = 0;
    for (const auto& l : lignes) w = std::max(w, static_cast<int>(l.size()));
    Image_blanche(w + 2, h + 2);
    for (int r = 0; r < h; r++)
        for (int c = 0; c < static_cast<int>(lignes[r].size()); c++)
            if (lignes[r][c] == '#') Ecrit_pixel(c + 1, r + 1, 1, Plan1);
}

std::string Plan_en_texte(const PlanImage& p)
{
    std::string s;
    for (int y = 1; y < p.haut; y++) {
        for (int x = 1; x < p.larg; x++) s += Lit_pixel(x, y, p) ? '#' : '.';
        s += '\n';
    }
    return s;
}

std::vector<uint8_t> Bmp_1bit(int w, int h, bool blanc_en_premier, const std::vector<std::string>& motif)
{
    const int octets = ((w + 31) / 32) * 4;
    const uint32_t taille = 62u + static_cast<uint32_t>(octets * h);
    std::vector<uint8_t> b(taille, 0);
    auto u16 = [&](size_t o, uint32_t v) { b[o] = v & 0xFF; b[o + 1] = (v >> 8) & 0xFF; };
    auto u32 = [&](size_t o, uint32_t v) { u16(o, v & 0xFFFF); u16(o + 2, v >> 16); };
    b[0] = 'B';
    b[1] = 'M';
    u32(2, taille);
    u32(10, 62);
    u32(14, 40);
    u32(18, static_cast<uint32_t>(w));
    u32(22, static_cast<uint32_t>(h));
    u16(26, 1);
    u16(28, 1);
    u32(34, static_cast<uint32_t>(octets * h));
    const uint8_t noir[4] = {0, 0, 0, 0}, blanc[4] = {255, 255, 255, 0};
    std::copy(blanc_en_premier ? blanc : noir, (blanc_en_premier ? blanc : noir) + 4, b.begin() + 54);
    std::copy(blanc_en_premier ? noir : blanc, (blanc_en_premier ? noir : blanc) + 4, b.begin() + 58);
    for (int r = 0; r < h; r++) {  // r: row from the top
        uint8_t* l = b.data() + 62 + static_cast<size_t>(h - 1 - r) * octets;
        for (int x = 0; x < w; x++) {
            const bool encre = r < static_cast<int>(motif.size()) && x < static_cast<int>(motif[r].size()) && motif[r][x] == '#';
            // ink is bit 0 with a black-first table, bit 1 with a white-first one
            const bool bit = encre == blanc_en_premier;
            if (bit) l[x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
        }
    }
    return b;
}

void Ecrit_fichier(const fs::path& p, const std::vector<uint8_t>& octets)
{
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(octets.data()), static_cast<std::streamsize>(octets.size()));
}

std::vector<uint8_t> Lit_fichier(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string Lit_texte(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

bool Xml_bien_forme(const fs::path& p)
{
    return std::system(("xmllint --noout '" + p.string() + "' 2>/dev/null").c_str()) == 0;
}

Execution Lance_programme(const std::string& programme, const fs::path& courant, const std::vector<std::string>& args,
                          const std::vector<std::pair<std::string, std::string>>& env)
{
    static std::mt19937_64 rng(std::random_device{}());
    const std::string base = (fs::temp_directory_path() / ("tracemorph-run-" + std::to_string(::getpid()) + "-" +
                                                          std::to_string(rng())))
                                 .string();
    const std::string out = base + ".out", err = base + ".err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(courant.c_str()) != 0) ::_exit(126);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        // As a user starts it: the working directory's programs only when asked.
        ::unsetenv("TRACEMORPH_LOCAL_PROGRAMS");
        for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
        const int nul = ::open("/dev/null", O_RDONLY);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(nul, 0);
        ::dup2(o, 1);
        ::dup2(e, 2);
        std::vector<char*> argv{const_cast<char*>(programme.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(programme.c_str(), argv.data());
        ::_exit(127);
    }
    Execution r;
    int st = 0;
    ::waitpid(pid, &st, 0);
    r.statut = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    r.sortie = Lit_texte(out);
    r.erreurs = Lit_texte(err);
    fs::remove(out);
    fs::remove(err);
    return r;
}

Execution Lance_tracemorph(const fs::path& courant, const std::vector<std::string>& args,
                           const std::vector<std::pair<std::string, std::string>>& env)
{
    return Lance_programme(TM_BUILD_DIR "/tracemorph", courant, args, env);
}

}  // namespace tmtest
