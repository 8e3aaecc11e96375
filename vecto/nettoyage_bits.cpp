#include "vecto/pretraitement_bits.h"

#include <cstdint>
#include <cstring>

namespace pretraitement_bits {

// ---- Adaptive cleaning of scanner noise -----------------------------------
//
// A scan with salt-and-pepper noise carries black specks standing alone on
// the paper and white pinholes eaten out of the strokes; on strokes two or
// three pixels thick the smoothing then wears the pinholes through, and a
// stroke falls into pieces. The cleaning runs before the smoothing and only
// on such a page: it removes the lone specks, then bridges every white pixel
// lying between ink on both sides of it along the row or the column, over
// gaps of one pixel or, on a heavily noisy page, two. Ink drawn apart by
// more than that is never joined.

namespace {

// A row's pixels with both horizontal neighbours, for 8-neighbourhoods.
inline uint64_t Etale(const uint64_t* l, int w, int nw) { return l[w] | Voisin_gauche(l, w) | Voisin_droit(l, w, nw); }

// Bits set in a word, in a few instructions on any processor (without its
// own instruction, std::popcount is a library call).
inline int Compte_bits(uint64_t v)
{
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((v * 0x0101010101010101ull) >> 56);
}

}  // namespace

Bruit_page Mesure_bruit_bits(const Bits& cur, const Cadre& c, const Bande& b)
{
    Bruit_page n;
    const int nw = c.nw;
    for (int y = b.y0; y <= b.y1; y++) {
        const uint64_t *u = cur.ligne(y - 1), *l = cur.ligne(y), *d = cur.ligne(y + 1);
        for (int w = 0; w < nw; w++) {
            const uint64_t m = c.interieur[w];
            if (!m) continue;
            const uint64_t C = l[w], U = u[w], D = d[w];
            if ((C | (U & D)) == 0) continue;  // no ink, no pinhole: the paper
            const uint64_t L = Voisin_gauche(l, w), R = Voisin_droit(l, w, nw);
            const uint64_t voisins = Etale(u, w, nw) | Etale(d, w, nw) | L | R;
            n.encre += Compte_bits(C & m);
            n.points += Compte_bits(C & ~voisins & m);
            n.trous += Compte_bits(~C & U & D & L & R & m);
        }
    }
    return n;
}

// Lone black pixels of the interior turn white, the edge rows of the strips
// read from copy 0; then the strip's rows, as it leaves them, into `apres`.
void Efface_points_bits(Bits& cur, Bits& apres, const Cadre& c, Bandes& s, Bande& b)
{
    const int nw = c.nw;
    uint64_t* avant = b.garde_a.data();
    uint64_t* haut_avant = b.garde_b.data();
    std::memcpy(haut_avant, Bord_dessus(cur, s, b, 0), sizeof(uint64_t) * nw);
    const uint64_t* dessous = Bord_dessous(cur, s, b, 0);
    for (int y = b.y0; y <= b.y1; y++) {
        uint64_t* l = cur.ligne(y);
        std::memcpy(avant, l, sizeof(uint64_t) * nw);
        const uint64_t* d = y < b.y1 ? cur.ligne(y + 1) : dessous;
        for (int w = 0; w < nw; w++) {
            const uint64_t voisins = Etale(haut_avant, w, nw) | Etale(d, w, nw) | Voisin_gauche(avant, w) |
                                     Voisin_droit(avant, w, nw);
            l[w] &= voisins | ~c.interieur[w];
        }
        std::swap(haut_avant, avant);
    }
    for (int y = Premiere_ligne(b); y <= Derniere_ligne(s, b, c); y++)
        std::memcpy(apres.ligne(y), cur.ligne(y), sizeof(uint64_t) * nw);
}

namespace {

// Word w of row l shifted by k columns: bit x holds pixel x + k.
inline uint64_t Decale(const uint64_t* l, int w, int nw, int k)
{
    if (k == 0) return l[w];
    if (k > 0) return (l[w] << k) | (w + 1 < nw ? l[w + 1] >> (64 - k) : 0);
    return (l[w] >> -k) | (w > 0 ? l[w - 1] << (64 + k) : 0);
}

}  // namespace

// White interior pixels with ink on both sides across a gap of up to
// `ecart` pixels (1 or 2), along the rows or the columns, read on the
// picture before the pass. Diagonal bridges are left out: on the ragged
// edges of a noisy stroke they grow lumps that the contours then follow.
// `avant` holds the whole picture before the pass; the strip's edge rows are
// then kept in copy 0.
void Ponts_bits(Bits& cur, const Bits& avant, const Cadre& c, int ecart, Bande& b)
{
    const int nw = c.nw;
    for (int y = b.y0; y <= b.y1; y++) {
        uint64_t* l = cur.ligne(y);
        const uint64_t* a = avant.ligne(y);
        for (int w = 0; w < nw; w++) {
            const uint64_t m = c.interieur[w];
            if (!m) continue;
            // Ink at -i and +j, a gap of i + j - 1 pixels.
            uint64_t pont = 0;
            for (int i = 1; i <= ecart; i++)
                for (int j = 1; i + j <= ecart + 1; j++) {
                    pont |= Decale(a, w, nw, -i) & Decale(a, w, nw, j);
                    if (y - i >= 0 && y + j < c.haut) pont |= avant.ligne(y - i)[w] & avant.ligne(y + j)[w];
                }
            l[w] |= pont & m;
        }
    }
    Garde_bords(cur, b, 0);
}

}  // namespace pretraitement_bits
