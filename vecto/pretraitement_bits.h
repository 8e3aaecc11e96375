// The preprocessing's bit copies of the planes and the strips' shared rows,
// for the passes of pretraitement.cpp and nettoyage_bits.cpp.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "vecto/bandes.h"
#include "vecto/pretraitement.h"

// The passes work on a copy of the planes held as 64-bit words, one bit per
// pixel, 1 for black, the leftmost pixel in the most significant bit (the
// plane's own bit order).
namespace pretraitement_bits {

struct Bits {
    int nw = 0;    // words per row
    int h = 0;     // rows y = 0 .. h-1; row 0 is the white row above the top
    std::unique_ptr<uint64_t[]> m;  // not cleared: the strips load their rows
    Bits() = default;
    Bits(int nw_, int h_) : nw(nw_), h(h_), m(new uint64_t[static_cast<size_t>(h_) * nw_]) {}
    uint64_t* ligne(int y) { return m.get() + static_cast<size_t>(y) * nw; }
    const uint64_t* ligne(int y) const { return m.get() + static_cast<size_t>(y) * nw; }
};

// Geometry shared by the passes: the column masks of the interior
// (1 <= x <= larg-2) and of the addressable window (1 <= x <= larg-1).
struct Cadre {
    int larg = 0, haut = 0, octets = 0, nw = 0;
    std::vector<uint64_t> interieur, adressable;
};

// The rows a strip loads and writes beyond its interior rows: the white row
// 0 above the first strip, the bottom row haut-1 below the last.
inline int Premiere_ligne(const Bande& b) { return b.k == 0 ? 0 : b.y0; }
inline int Derniere_ligne(const Bandes& s, const Bande& b, const Cadre& c) { return s.derniere(b) ? c.haut - 1 : b.y1; }

// Left and right neighbours of every pixel of word w of a row.
inline uint64_t Voisin_gauche(const uint64_t* l, int w) { return (l[w] >> 1) | (w > 0 ? l[w - 1] << 63 : 0); }
inline uint64_t Voisin_droit(const uint64_t* l, int w, int nw) { return (l[w] << 1) | (w + 1 < nw ? l[w + 1] >> 63 : 0); }

// The previous picture of the rows bordering the strip: kept aside by the
// neighbouring strips (Garde_bords into copy i, in the phase before), or
// the white rows that never change.
inline void Garde_bords(const Bits& cur, Bande& b, int i)
{
    std::memcpy(b.premiere[i].data(), cur.ligne(b.y0), sizeof(uint64_t) * cur.nw);
    std::memcpy(b.derniere[i].data(), cur.ligne(b.y1), sizeof(uint64_t) * cur.nw);
}
inline const uint64_t* Bord_dessus(const Bits& cur, Bandes& s, const Bande& b, int i)
{
    return b.k > 0 ? s.bande(b.k - 1).derniere[i].data() : cur.ligne(0);
}
inline const uint64_t* Bord_dessous(const Bits& cur, Bandes& s, const Bande& b, int i)
{
    return s.derniere(b) ? cur.ligne(cur.h - 1) : s.bande(b.k + 1).premiere[i].data();
}

// The adaptive cleaning's passes on a strip (nettoyage_bits.cpp).
Bruit_page Mesure_bruit_bits(const Bits& cur, const Cadre& c, const Bande& b);
void Efface_points_bits(Bits& cur, Bits& apres, const Cadre& c, Bandes& s, Bande& b);
void Ponts_bits(Bits& cur, const Bits& avant, const Cadre& c, int ecart, Bande& b);

}  // namespace pretraitement_bits
