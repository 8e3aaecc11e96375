#include "image/planes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "port/shell.h"

PlanImage Plan1, Plan2, Plan_zoom;
PlanImage* Plan_courant = nullptr;
int32_t Largeur = 0, Hauteur = 0, Octets_ligne = 0;

void Efface_P2()
{
    const size_t n = static_cast<size_t>(Plan2.haut) * Plan2.octets;
    // No image: no buffer (memset may not be handed a null pointer, even for 0 bytes).
    if (n != 0 && n <= Plan2.pixels.size()) std::memset(Plan2.pixels.data(), 0xFF, n);
}

void Copie_P2_P1()
{
    if (!Plan_courant) return;
    Efface_texte();
    Ecrit_texte(0, " Copie de P2 ds P1 ...");
    Progression_init(1, Hauteur - 1);
    for (int y = 1; y < Hauteur - 1; y++) {
        Progression_pas();
        for (int x = 1; x < Largeur - 1; x++) Ecrit_pixel(x, y, Lit_pixel(x, y, Plan2), Plan1);
    }
    Efface_texte();
}

void Supprime_plan2()
{
    if (Plan_courant) Efface_P2();
}

bool Sauve_P2(const std::string& chemin)
{
    if (!Plan_courant || !Plan2.existe()) return false;
    std::FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(&Plan2.fichier, sizeof Plan2.fichier, 1, f) == 1;
    ok = ok && std::fwrite(&Plan2.info, sizeof Plan2.info, 1, f) == 1;
    ok = ok && std::fwrite(Plan2.table, sizeof Plan2.table, 1, f) == 1;
    ok = ok && std::fwrite(Plan2.pixels.data(), 1, Plan2.pixels.size(), f) == Plan2.pixels.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

void Cree_plan_blanc(PlanImage& p, int largeur, int hauteur)
{
    const int octets = ((largeur + 31) / 32) * 4;
    p.fichier = {};
    p.fichier.signature = 0x4D42;  // "BM"
    p.fichier.offset_pixels = 62;
    p.fichier.taille_fichier = 62u + static_cast<uint32_t>(octets) * static_cast<uint32_t>(hauteur);
    p.info = {};
    p.info.taille_entete = 40;
    p.info.largeur = largeur;
    p.info.hauteur = hauteur;
    p.info.plans = 1;
    p.info.bits_par_pixel = 1;
    p.info.taille_image = static_cast<uint32_t>(octets) * static_cast<uint32_t>(hauteur);
    p.info.resol_x = p.info.resol_y = 11811;  // 300 dpi
    p.table[0] = {0, 0, 0, 0};
    p.table[1] = {255, 255, 255, 0};
    p.pixels.assign(static_cast<size_t>(octets) * hauteur, 0xFF);
    p.larg = largeur;
    p.haut = hauteur;
    p.octets = octets;
}

void Libere_plan(PlanImage& p)
{
    std::vector<uint8_t>().swap(p.pixels);
    p.larg = p.haut = p.octets = 0;
}

void Affiche_P2(int x, int y)
{
    Etat_affichage = 2;
    Plan_courant = &Plan2;
    Frontend_courant().show_plane2(x, y);
}

void Defile_vers(int x, int y) { Affiche_P2(std::max(x, 151) - 150, std::max(y, 151) - 150); }
