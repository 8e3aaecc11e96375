#include "vecto/pretraitement.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "port/shell.h"
#include "image/planes.h"
#include "vecto/bandes.h"
#include "vecto/pretraitement_bits.h"

using namespace pretraitement_bits;

// Each pass reads only the previous picture, so computing a whole word of the
// bit copies at once gives exactly the per-pixel result. Only the changed
// pixels are written back, so the plane's border, padding bits and the
// never-addressable bottom buffer row keep their bytes.
namespace {

// Eight bytes of a row as one word, the first byte in the high bits.
inline uint64_t Charge_be(const uint8_t* o)
{
    uint64_t v;
    std::memcpy(&v, o, 8);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

inline void Range_be(uint8_t* o, uint64_t v)
{
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    std::memcpy(o, &v, 8);
}

std::vector<uint64_t> Masque_colonnes(int nw, int x0, int x1)
{
    std::vector<uint64_t> m(nw, 0);
    // Bit positions in 64 bits: a row of 2^25 words or more reaches 2^31.
    for (int w = 0; w < nw; w++) {
        const int64_t a = int64_t(w) * 64, b = a + 63;
        const int64_t lo = a > x0 ? a : x0, hi = b < x1 ? b : x1;
        if (lo > hi) continue;
        const int64_t n = hi - lo + 1;
        const uint64_t run = n == 64 ? ~0ull : ((1ull << n) - 1);
        m[w] = run << (63 - (hi - a));
    }
    return m;
}

bool Prepare_cadre(Cadre& c)
{
    const PlanImage& p = Plan1;
    if (!p.existe() || !Plan2.existe()) return false;
    if (Plan2.larg != p.larg || Plan2.haut != p.haut || Plan2.octets != p.octets) return false;
    if (static_cast<int64_t>(p.octets) * 8 < p.larg) return false;
    if (p.pixels.size() < static_cast<size_t>(p.haut) * p.octets) return false;
    c.larg = p.larg;
    c.haut = p.haut;
    c.octets = p.octets;
    c.nw = (p.octets + 7) / 8;
    c.interieur = Masque_colonnes(c.nw, 1, p.larg - 2);
    c.adressable = Masque_colonnes(c.nw, 1, p.larg - 1);
    return true;
}

bool Image_sans_interieur(const Cadre& c) { return c.larg < 3 || c.haut < 3; }

// The strips of the interior rows 1 .. haut-2 for this picture.
Bandes Bandes_de(const Cadre& c) { return Bandes(c.haut - 2, c.nw, Nombre_fils_bandes(c.haut - 2, c.nw)); }

// Black bits of the addressable pixels of the strip's rows, as Lit_pixel
// reads them (row 0 white).
void Charge_plan(Bits& b, const PlanImage& p, const Cadre& c, const Bandes& s, const Bande& bande)
{
    uint8_t tampon[8];
    if (bande.k == 0) std::memset(b.ligne(0), 0, sizeof(uint64_t) * c.nw);
    for (int y = bande.y0; y <= Derniere_ligne(s, bande, c); y++) {
        const uint8_t* o = Ligne_plan(p, y);
        uint64_t* l = b.ligne(y);
        for (int w = 0; w < c.nw; w++) {
            const int n = c.octets - w * 8;
            uint64_t v;
            if (n >= 8) {
                v = Charge_be(o + w * 8);
            } else {
                std::memset(tampon, 0xFF, 8);
                std::memcpy(tampon, o + w * 8, static_cast<size_t>(n));
                v = Charge_be(tampon);
            }
            l[w] = ~v & c.adressable[w];
        }
    }
}

// Writes the pixels of rows y0..y1 selected by `masque` from `b` into `p`.
void Ecrit_plan(PlanImage& p, const Bits& b, const Cadre& c, const std::vector<uint64_t>& masque, int y0, int y1)
{
    const int pleins = c.octets / 8;  // words lying wholly inside the row
    for (int y = y0; y <= y1; y++) {
        uint8_t* o = Ligne_plan(p, y);
        const uint64_t* l = b.ligne(y);
        for (int w = 0; w < pleins; w++) {
            const uint64_t m = masque[w];
            if (m) Range_be(o + w * 8, (Charge_be(o + w * 8) & ~m) | (~l[w] & m));
        }
        if (pleins < c.nw && masque[pleins]) {
            const int n = c.octets - pleins * 8;
            uint8_t tampon[8];
            std::memset(tampon, 0xFF, 8);
            std::memcpy(tampon, o + pleins * 8, static_cast<size_t>(n));
            const uint64_t m = masque[pleins];
            Range_be(tampon, (Charge_be(tampon) & ~m) | (~l[pleins] & m));
            std::memcpy(o + pleins * 8, tampon, static_cast<size_t>(n));
        }
    }
}

// The strip's interior rows into both planes.
void Ecrit_plans(const Bits& cur, const Cadre& c, const Bande& b)
{
    Ecrit_plan(Plan1, cur, c, c.interieur, b.y0, b.y1);
    Ecrit_plan(Plan2, cur, c, c.interieur, b.y0, b.y1);
}

// One pass over the strip's interior, in place: `nouveau(y, w)` is the new
// word, and it must read only what the pass does not write (a picture
// computed before the pass); pixels outside the interior keep their value.
// Returns true when a pixel changed.
template <class F>
bool Passe(Bits& cur, const Cadre& c, const Bande& b, F nouveau)
{
    bool change = false;
    for (int y = b.y0; y <= b.y1; y++) {
        uint64_t* a = cur.ligne(y);
        for (int w = 0; w < c.nw; w++) {
            const uint64_t m = c.interieur[w];
            if (!m) continue;
            const uint64_t v = (nouveau(y, w) & m) | (a[w] & ~m);
            change |= v != a[w];
            a[w] = v;
        }
    }
    return change;
}

// The interior of `de` into `vers`, the strip's rows.
void Copie_interieur(Bits& vers, const Bits& de, const Cadre& c, const Bande& b)
{
    for (int y = b.y0; y <= b.y1; y++) {
        uint64_t* v = vers.ligne(y);
        const uint64_t* d = de.ligne(y);
        for (int w = 0; w < c.nw; w++) v[w] = (d[w] & c.interieur[w]) | (v[w] & ~c.interieur[w]);
    }
}

// The passes on the bit copies, each strip on its rows; the callers load
// and write back the planes.

// Changed rows and words of the smoothing's passes, for all the strips: a
// strip writes only its rows' entries of the pass's next picture, and reads
// its neighbours' rows of the previous one.
struct Suivi_lissage {
    size_t pas_mots = 0;  // a clear word on either side of each row
    std::vector<char> change[2];
    std::vector<uint8_t> mots[2];
    explicit Suivi_lissage(const Cadre& c) : pas_mots(static_cast<size_t>(c.nw) + 2)
    {
        change[0].assign(static_cast<size_t>(c.haut) + 1, 1);
        change[1].assign(change[0].size(), 0);
        change[0][0] = change[0][static_cast<size_t>(c.haut) - 1] = 0;  // the white rows never change
        // A clear row above and below.
        for (auto& m : mots) m.assign(pas_mots * (static_cast<size_t>(c.haut) + 1), 0);
    }
    uint8_t* mots_de(int i, int y) { return mots[i].data() + static_cast<size_t>(y) * pas_mots + 1; }
};

// One pass of the 4-neighbour majority filter over a strip; true when a
// pixel changed.
bool Lissage_passe(Bits& cur, const Cadre& c, Bandes& s, Bande& b, Suivi_lissage& suivi, int passe)
{
    const int nw = c.nw;
    // Each pass updates the rows in place, from the top, keeping the
    // previous picture of the row above and of the row itself aside, so it
    // reads only the previous picture as a two-plane pass would. A pixel can
    // change only when a pixel of its cross changed in the pass before:
    // after the first pass, only the words next to a changed word (above,
    // below, left, right) are computed again, and only on the rows next to
    // a changed row.
    const int i = passe & 1, j = i ^ 1;  // this pass's bookkeeping and edges, the next one's
    const char* change = suivi.change[i].data();
    char* change_suivant = suivi.change[j].data();
    uint64_t* haut_avant = b.garde_a.data();  // previous picture of row y-1
    uint64_t* ligne_avant = b.garde_b.data();
    std::memcpy(haut_avant, Bord_dessus(cur, s, b, i), sizeof(uint64_t) * nw);
    const uint64_t* dessous = Bord_dessous(cur, s, b, i);
    bool un_change = false;
    for (int y = b.y0; y <= b.y1; y++) {
        uint64_t* l = cur.ligne(y);
        const bool a_calculer = passe == 0 || change[y - 1] || change[y] || change[y + 1];
        if (change_suivant[y]) std::memset(suivi.mots_de(j, y), 0, static_cast<size_t>(nw));
        change_suivant[y] = 0;
        if (!a_calculer) {
            std::memcpy(haut_avant, l, sizeof(uint64_t) * nw);
            continue;
        }
        std::memcpy(ligne_avant, l, sizeof(uint64_t) * nw);
        const uint64_t* bas = y < b.y1 ? cur.ligne(y + 1) : dessous;
        const uint8_t *m_haut = suivi.mots_de(i, y - 1), *m_ligne = suivi.mots_de(i, y), *m_bas = suivi.mots_de(i, y + 1);
        uint8_t* m_suivant = suivi.mots_de(j, y);
        bool ligne_change = false;
        for (int w = 0; w < nw; w++) {
            const uint64_t m = c.interieur[w];
            if (!m) continue;
            if (passe > 0 && !(m_haut[w] | m_bas[w] | m_ligne[w - 1] | m_ligne[w] | m_ligne[w + 1])) continue;
            const uint64_t C = ligne_avant[w], U = haut_avant[w], D = bas[w];
            const uint64_t L = Voisin_gauche(ligne_avant, w), R = Voisin_droit(ligne_avant, w, nw);
            const uint64_t au_moins_2 = (U & D) | ((U | D) & (L | R)) | (L & R);
            const uint64_t au_moins_3 = (U & D & (L | R)) | (L & R & (U | D));
            const uint64_t v = ((au_moins_3 | (C & au_moins_2)) & m) | (C & ~m);
            if (v != C) {
                ligne_change = true;
                m_suivant[w] = 1;
                l[w] = v;
            }
        }
        change_suivant[y] = ligne_change;
        un_change |= ligne_change;
        std::swap(haut_avant, ligne_avant);
    }
    // The edge rows as this pass leaves them, for the next.
    Garde_bords(cur, b, j);
    return un_change;
}

// Up to 10 passes of the 4-neighbour majority filter, the edge rows of the
// strips kept aside in copy 0.
void Lissage_bits(Bits& cur, const Cadre& c, Bandes& s, Suivi_lissage& suivi)
{
    for (int passe = 0; passe < 10; passe++)
        if (!s.phase([&](Bande& b) { return Lissage_passe(cur, c, s, b, suivi, passe); })) break;
}

// Up to 3 passes: every black interior pixel of `cur` blackens its 3x3
// square in `p2` (not cleared: it holds the previous pass's picture), then
// the interior of `cur` becomes that of `p2`. Squares of pixels next to the
// border reach the last column and the bottom row of `p2`; the border of
// `cur` itself never changes. `h` holds haut+1 cleared rows.
void Dilatation_bits(Bits& cur, Bits& p2, const Cadre& c, Bandes& s, std::vector<uint64_t>& h)
{
    const int nw = c.nw;
    auto hl = [&](int y) { return h.data() + static_cast<size_t>(y) * nw; };  // horizontal spread of row y
    for (int passe = 0; passe < 3; passe++) {
        s.phase([&](Bande& b) {
            uint64_t* src = b.garde_a.data();
            for (int y = b.y0; y <= b.y1; y++) {
                const uint64_t* l = cur.ligne(y);
                for (int w = 0; w < nw; w++) src[w] = l[w] & c.interieur[w];
                uint64_t* d = hl(y);
                for (int w = 0; w < nw; w++) d[w] = src[w] | Voisin_gauche(src, w) | Voisin_droit(src, w, nw);
            }
            return false;
        });
        const bool change = s.phase([&](Bande& b) {
            for (int y = b.y0; y <= Derniere_ligne(s, b, c); y++) {
                const uint64_t *a = hl(y - 1), *m = hl(y), *d = hl(y + 1);
                uint64_t* l = p2.ligne(y);
                for (int w = 0; w < nw; w++) l[w] |= (a[w] | m[w] | d[w]) & c.adressable[w];
            }
            return Passe(cur, c, b, [&](int y, int w) { return p2.ligne(y)[w]; });
        });
        if (!change) break;
    }
}

// Up to 3 passes of a 3x3 erosion; `h` holds haut rows.
void Erosion_bits(Bits& cur, const Cadre& c, Bandes& s, std::vector<uint64_t>& h)
{
    const int nw = c.nw;
    for (int passe = 0; passe < 3; passe++) {
        // Black with both horizontal neighbours.
        s.phase([&](Bande& b) {
            for (int y = Premiere_ligne(b); y <= Derniere_ligne(s, b, c); y++) {
                const uint64_t* l = cur.ligne(y);
                uint64_t* d = h.data() + static_cast<size_t>(y) * nw;
                for (int w = 0; w < nw; w++) d[w] = l[w] & Voisin_gauche(l, w) & Voisin_droit(l, w, nw);
            }
            return false;
        });
        const bool change = s.phase([&](Bande& b) {
            return Passe(cur, c, b, [&](int y, int w) {
                const size_t i = static_cast<size_t>(y) * nw + w;
                return h[i - nw] & h[i] & h[i + nw];
            });
        });
        if (!change) break;
    }
}

// Plan1 into `cur`, and its noise; the strips' edge rows kept in copy 0.
Bruit_page Charge_mesure(Bits& cur, const Cadre& c, Bandes& s)
{
    s.phase([&](Bande& b) {
        Charge_plan(cur, Plan1, c, s, b);
        Garde_bords(cur, b, 0);
        return false;
    });
    std::vector<Bruit_page> n(static_cast<size_t>(s.nombre()));
    s.phase([&](Bande& b) {
        n[static_cast<size_t>(b.k)] = Mesure_bruit_bits(cur, c, b);
        return false;
    });
    Bruit_page total;
    for (const Bruit_page& x : n) {
        total.encre += x.encre;
        total.points += x.points;
        total.trous += x.trous;
    }
    return total;
}

// Plan1 into `cur`, the strips' edge rows kept in copy 0.
void Charge_plan1(Bits& cur, const Cadre& c, Bandes& s)
{
    s.phase([&](Bande& b) {
        Charge_plan(cur, Plan1, c, s, b);
        Garde_bords(cur, b, 0);
        return false;
    });
}

}  // namespace

Bruit_page Mesure_bruit()
{
    Cadre c;
    if (!Prepare_cadre(c) || Image_sans_interieur(c)) return {};
    Bits cur(c.nw, c.haut);
    Bandes s = Bandes_de(c);
    return Charge_mesure(cur, c, s);
}

int Ecart_nettoyage(const Bruit_page& b)
{
    // A few odd pixels prove nothing: a small drawing is judged on 20 at least.
    if (b.encre <= 0 || b.points + b.trous < 20) return 0;
    const double taux = double(b.points + b.trous) / double(b.encre);
    return taux >= Seuil_bruit_fort ? 2 : taux >= Seuil_bruit ? 1 : 0;
}

namespace {

// Force 3: measures the noise, cleans a noisy page, smooths.
void Nettoyage_lissage(const Cadre& c)
{
    Bits cur(c.nw, c.haut);
    Bandes s = Bandes_de(c);
    Suivi_lissage suivi(c);
    const int ecart = Ecart_nettoyage(Charge_mesure(cur, c, s));
    if (ecart > 0) {
        Bits avant(c.nw, c.haut);
        s.phase([&](Bande& b) {
            Efface_points_bits(cur, avant, c, s, b);
            return false;
        });
        s.phase([&](Bande& b) {
            Ponts_bits(cur, avant, c, ecart, b);
            return false;
        });
    }
    Lissage_bits(cur, c, s, suivi);
    s.phase([&](Bande& b) {
        Ecrit_plans(cur, c, b);
        return false;
    });
}

// Force 2: smoothing, dilation and erosion one after the other on one bit
// copy of each plane, written back once: the planes end as the three
// commands run one by one leave them.
void Fermeture(const Cadre& c)
{
    Bits cur(c.nw, c.haut), p2(c.nw, c.haut);
    Bandes s = Bandes_de(c);
    {
        Suivi_lissage suivi(c);
        Charge_plan1(cur, c, s);
        Lissage_bits(cur, c, s, suivi);
    }
    Efface_texte();  // where smoothing ends
    std::vector<uint64_t> h(static_cast<size_t>(c.haut + 1) * c.nw, 0);
    s.phase([&](Bande& b) {
        Charge_plan(p2, Plan2, c, s, b);
        Copie_interieur(p2, cur, c, b);  // Plan2 as smoothing leaves it
        return false;
    });
    Dilatation_bits(cur, p2, c, s, h);
    Erosion_bits(cur, c, s, h);
    s.phase([&](Bande& b) {
        Copie_interieur(p2, cur, c, b);  // erosion writes its picture into Plan2 too
        Ecrit_plan(Plan1, cur, c, c.interieur, b.y0, b.y1);
        Ecrit_plan(Plan2, p2, c, c.adressable, b.y0, Derniere_ligne(s, b, c));
        return false;
    });
}

}  // namespace

void Pretraitement(int force)
{
    Efface_texte();
    Ecrit_texte(0, " Preprocessing of p1...");
    if (force <= 1) {
        Lissage();
    } else if (force == 3) {
        // Adaptive cleaning: on a clean page exactly the smoothing of force 1.
        Cadre c;
        if (Prepare_cadre(c) && !Image_sans_interieur(c)) Nettoyage_lissage(c);
        Efface_texte();
    } else {
        Cadre c;
        if (Prepare_cadre(c) && !Image_sans_interieur(c))
            Fermeture(c);
        else
            Efface_texte();
    }
    Efface_texte();
}

void Lissage()
{
    Cadre c;
    if (Prepare_cadre(c) && !Image_sans_interieur(c)) {
        Bits cur(c.nw, c.haut);
        Bandes s = Bandes_de(c);
        Suivi_lissage suivi(c);
        Charge_plan1(cur, c, s);
        Lissage_bits(cur, c, s, suivi);
        s.phase([&](Bande& b) {
            Ecrit_plans(cur, c, b);
            return false;
        });
    }
    Efface_texte();
}

void Dilatation()
{
    Cadre c;
    if (!Prepare_cadre(c) || Image_sans_interieur(c)) return;
    Bits cur(c.nw, c.haut), p2(c.nw, c.haut);
    std::vector<uint64_t> h(static_cast<size_t>(c.haut + 1) * c.nw, 0);
    Bandes s = Bandes_de(c);
    s.phase([&](Bande& b) {
        Charge_plan(cur, Plan1, c, s, b);
        Charge_plan(p2, Plan2, c, s, b);
        return false;
    });
    Dilatation_bits(cur, p2, c, s, h);
    s.phase([&](Bande& b) {
        Ecrit_plan(Plan1, cur, c, c.interieur, b.y0, b.y1);
        Ecrit_plan(Plan2, p2, c, c.adressable, b.y0, Derniere_ligne(s, b, c));
        return false;
    });
}

void Erosion()
{
    Cadre c;
    if (!Prepare_cadre(c) || Image_sans_interieur(c)) return;
    Bits cur(c.nw, c.haut);
    std::vector<uint64_t> h(static_cast<size_t>(c.haut) * c.nw, 0);
    Bandes s = Bandes_de(c);
    Charge_plan1(cur, c, s);
    Erosion_bits(cur, c, s, h);
    s.phase([&](Bande& b) {
        Ecrit_plans(cur, c, b);
        return false;
    });
}
