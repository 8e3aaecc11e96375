// Bi-level image planes in the memory layout of a 1-bit bottom-up BMP.
// Bit 0 is black (ink), bit 1 white. Pixel (x, y): x the column from 0,
// y the row from the top, 1 for the topmost; only 1 <= x < Largeur and
// 1 <= y < Hauteur are addressable, everything else reads white.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#pragma pack(push, 1)
struct EnteteFichierBmp {
    uint16_t signature;
    uint32_t taille_fichier;
    uint16_t reserve1, reserve2;
    uint32_t offset_pixels;
};
struct EnteteInfoBmp {
    uint32_t taille_entete;
    int32_t largeur;
    int32_t hauteur;
    uint16_t plans;
    uint16_t bits_par_pixel;
    uint32_t compression;
    uint32_t taille_image;
    int32_t resol_x, resol_y;
    uint32_t couleurs_utilisees, couleurs_importantes;
};
struct CouleurBmp { uint8_t bleu, vert, rouge, reserve; };
#pragma pack(pop)
static_assert(sizeof(EnteteFichierBmp) == 14 && sizeof(EnteteInfoBmp) == 40 && sizeof(CouleurBmp) == 4);

struct PlanImage {
    EnteteFichierBmp fichier{};
    EnteteInfoBmp info{};            // with `table`, the display header
    CouleurBmp table[2]{};           // normalised: entry 0 black, entry 1 white
    std::vector<uint8_t> pixels;     // bottom row first, `octets` bytes a row
    // Geometry this buffer was built for; 0 when the plane is released, so a
    // stray access after Close reads white instead of freed memory.
    int32_t larg = 0, haut = 0, octets = 0;
    bool existe() const { return !pixels.empty(); }
};

extern PlanImage Plan1, Plan2, Plan_zoom;
extern PlanImage* Plan_courant;  // displayed plane; null when no image is loaded
extern int32_t Largeur, Hauteur, Octets_ligne;

// 1 for black, 0 for white or outside the addressable window.
inline int Lit_pixel(int x, int y, const PlanImage& p)
{
    if (x < 1 || x >= p.larg || y < 1 || y >= p.haut) return 0;
    const uint8_t octet = p.pixels[static_cast<size_t>(p.haut - y) * p.octets + (x >> 3)];
    return ((octet >> (7 - (x & 7))) & 1) ^ 1;
}

// Value 1 blackens, any other value whitens. Returns 0, or -1 outside.
inline int Ecrit_pixel(int x, int y, int valeur, PlanImage& p)
{
    if (x < 1 || x >= p.larg || y < 1 || y >= p.haut) return -1;
    uint8_t& octet = p.pixels[static_cast<size_t>(p.haut - y) * p.octets + (x >> 3)];
    const uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
    if (valeur == 1) octet = static_cast<uint8_t>(octet & ~bit);
    else octet = static_cast<uint8_t>(octet | bit);
    return 0;
}

// First byte of picture row y: y = 1 is the top row, y = haut the bottom
// row (buffer row 0, never addressable through the accessors).
inline uint8_t* Ligne_plan(PlanImage& p, int y) { return p.pixels.data() + static_cast<size_t>(p.haut - y) * p.octets; }
inline const uint8_t* Ligne_plan(const PlanImage& p, int y) { return p.pixels.data() + static_cast<size_t>(p.haut - y) * p.octets; }

// Plan2 becomes the displayed plane, shown from (x, y).
void Affiche_P2(int x, int y);
// Shows Plan2 with (x, y) about 150 pixels from the top-left corner, as
// step-by-step drawings do to bring the element in view.
void Defile_vers(int x, int y);
void Efface_P2();                       // Plan2 all white, padding included
void Copie_P2_P1();                     // the "Copy P2 -> P1" command
void Supprime_plan2();                  // the "Delete Plan 2" command
// Writes Plan2 with the loaded file's headers and the normalised table.
// Returns false when the file cannot be written.
bool Sauve_P2(const std::string& chemin);
// Builds a plane of the given size with the headers of a 1-bit BMP (tests, tools).
void Cree_plan_blanc(PlanImage& p, int largeur, int hauteur);
void Libere_plan(PlanImage& p);
