#include "vecto/axe_median.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "port/shell.h"
#include "image/planes.h"

namespace {

// Calls f(x) for every black pixel x0 <= x <= x1 of a row of Plan1, in
// increasing x, or decreasing with `descendant`. White pixels have distance
// 0 and never change, so the passes only visit the black ones: a page is
// mostly white.
template <class F>
void Pour_noirs(const uint8_t* ligne, int octets, int x0, int x1, bool descendant, F f)
{
    if (x0 > x1) return;
    const int w0 = x0 / 64, w1 = x1 / 64;
    auto mot = [&](int w) {
        uint64_t v = 0;
        for (int i = 0; i < 8; i++) v = (v << 8) | (w * 8 + i < octets ? ligne[w * 8 + i] : 0xFFu);
        v = ~v;  // black bits, leftmost pixel in the high bit
        if (w == w0) v &= ~0ull >> (x0 - w * 64);
        if (w == w1) v &= ~0ull << (63 - (x1 - w * 64));
        return v;
    };
    if (!descendant) {
        for (int w = w0; w <= w1; w++)
            for (uint64_t v = mot(w); v;) {
                const int b = std::countl_zero(v);
                f(w * 64 + b);
                v &= ~(0x8000000000000000ull >> b);
            }
    } else {
        for (int w = w1; w >= w0; w--)
            for (uint64_t v = mot(w); v; v &= v - 1) f(w * 64 + 63 - std::countr_zero(v));
    }
}

// Chessboard distance map of Plan1 and its ridge. The distances are kept in
// a type wide enough for the whole image (a distance never exceeds the
// smaller side), so a blob over 510 pixels across does not wrap to 0 as a
// byte map would.
template <class T>
void Crete(int W, int H)
{
    const size_t n = static_cast<size_t>(W) * H;
    std::unique_ptr<T[]> tab(new (std::nothrow) T[n]);
    if (!tab) {
        Message_erreur("- Erreur mem. -");
        return;
    }
    T* D = tab.get();
    auto L = [&](int y) { return D + static_cast<size_t>(y) * W; };
    const int octets = Plan1.octets;

    std::memset(D, 0, n * sizeof(T));
    for (int y = 1; y < H; y++) {
        T* r = L(y);
        Pour_noirs(Ligne_plan(Plan1, y), octets, 1, W - 1, false, [r](int x) { r[x] = 1; });
    }

    Progression_init(0, H);
    for (int y = 1; y <= H - 1; y++) {
        Progression_pas();
        T* r = L(y);
        const T* u = L(y - 1);
        Pour_noirs(Ligne_plan(Plan1, y), octets, 1, W - 2, false, [r, u](int x) {
            T m = u[x - 1];
            if (u[x] < m) m = u[x];
            if (u[x + 1] < m) m = u[x + 1];
            if (r[x - 1] < m) m = r[x - 1];
            r[x] = static_cast<T>(m + 1);
        });
    }

    // Beyond the last column reads as 0. Row 0 holds no black pixel.
    Progression_init(1, H - 1);
    for (int y = H - 2; y >= 0; y--) {
        Progression_pas();
        if (y == 0) continue;
        T* r = L(y);
        const T* d = L(y + 1);
        Pour_noirs(Ligne_plan(Plan1, y), octets, 1, W - 1, true, [r, d, W](int x) {
            const T dd = x + 1 < W ? d[x + 1] : 0;
            const T rr = x + 1 < W ? r[x + 1] : 0;
            T m = d[x - 1];
            if (d[x] < m) m = d[x];
            if (dd < m) m = dd;
            if (rr < m) m = rr;
            m = static_cast<T>(m + 1);
            if (r[x] < m) m = r[x];
            r[x] = m;
        });
    }

    // Marks (black in Plan2) every pixel that has a neighbour farther from
    // the white than itself.
    Progression_init(1, H - 1);
    for (int y = 1; y <= H - 1; y++) {
        Progression_pas();
        const T* r = L(y);
        const T* u = L(y - 1);
        Pour_noirs(Ligne_plan(Plan1, y), octets, 1, W - 2, false, [r, u, y](int x) {
            const T v = r[x];
            if (v < u[x - 1] || v < u[x] || v < u[x + 1] || v < r[x - 1]) Ecrit_pixel(x, y, 1, Plan2);
        });
    }
    Progression_init(1, H - 1);
    for (int y = H - 2; y >= 0; y--) {
        Progression_pas();
        if (y == 0) continue;
        const T* r = L(y);
        const T* d = L(y + 1);
        Pour_noirs(Ligne_plan(Plan1, y), octets, 1, W - 1, true, [r, d, y, W](int x) {
            const T v = r[x];
            const T dd = x + 1 < W ? d[x + 1] : 0;
            const T rr = x + 1 < W ? r[x + 1] : 0;
            if (v < d[x - 1] || v < d[x] || v < dd || v < rr) Ecrit_pixel(x, y, 1, Plan2);
        });
    }

    // Ridge = black in Plan1 and not marked. Outside the addressable window
    // Plan2 stays white, as Efface_P2 left it.
    std::unique_ptr<uint8_t[]> adr(new (std::nothrow) uint8_t[octets]);  // addressable columns, as bits
    if (!adr) {
        Message_erreur("- Erreur mem. -");
        return;
    }
    for (int i = 0; i < octets; i++) {
        adr[i] = 0;
        for (int b = 0; b < 8; b++) {
            const int x = i * 8 + b;
            if (x >= 1 && x < W) adr[i] = static_cast<uint8_t>(adr[i] | (0x80u >> b));
        }
    }
    for (int y = 1; y < H; y++) {
        const uint8_t* p1 = Ligne_plan(Plan1, y);
        uint8_t* p2 = Ligne_plan(Plan2, y);
        for (int i = 0; i < octets; i++) p2[i] = static_cast<uint8_t>(p1[i] | ~p2[i] | ~adr[i]);
    }
}

}  // namespace

void Axe_median()
{
    Efface_P2();
    const int W = Plan1.larg, H = Plan1.haut;
    if (!Plan1.existe() || !Plan2.existe() || W < 1 || H < 1) return;
    if (Plan2.larg != W || Plan2.haut != H || Plan2.octets != Plan1.octets) return;
    if (static_cast<int64_t>(Plan1.octets) * 8 < W) return;
    if ((W < H ? W : H) <= 65535) Crete<uint16_t>(W, H);
    else Crete<uint32_t>(W, H);
}
