#include "image/taille_image.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

uint32_t Le(const std::string& s, size_t p, int n)
{
    uint32_t v = 0;
    for (int k = n - 1; k >= 0; k--) v = v << 8 | static_cast<unsigned char>(s[p + static_cast<size_t>(k)]);
    return v;
}
uint32_t Be(const std::string& s, size_t p, int n)
{
    uint32_t v = 0;
    for (int k = 0; k < n; k++) v = v << 8 | static_cast<unsigned char>(s[p + static_cast<size_t>(k)]);
    return v;
}

bool Tiff(const std::string& s, int& l, int& h)
{
    const bool le = s[0] == 'I';
    auto u = [&](size_t p, int n) { return le ? Le(s, p, n) : Be(s, p, n); };
    const size_t ifd = u(4, 4);
    if (ifd + 2 > s.size()) return false;
    const uint32_t n = u(ifd, 2);
    l = h = 0;
    for (uint32_t k = 0; k < n && ifd + 2 + 12 * (k + 1) <= s.size(); k++) {
        const size_t e = ifd + 2 + 12 * k;
        const uint32_t tag = u(e, 2), type = u(e + 2, 2);
        const uint32_t v = type == 3 ? u(e + 8, 2) : u(e + 8, 4);
        if (tag == 256) l = static_cast<int>(v);
        if (tag == 257) h = static_cast<int>(v);
    }
    return l > 0 && h > 0;
}

bool Jpeg(const std::string& s, int& l, int& h)
{
    size_t p = 2;
    while (p + 9 < s.size()) {
        if (static_cast<unsigned char>(s[p]) != 0xFF) return false;
        const unsigned m = static_cast<unsigned char>(s[p + 1]);
        if (m == 0xFF) { p++; continue; }
        const uint32_t longueur = Be(s, p + 2, 2);
        // Start-of-frame markers, not DHT (C4), JPG (C8) or DAC (CC).
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            h = static_cast<int>(Be(s, p + 5, 2));
            l = static_cast<int>(Be(s, p + 7, 2));
            return l > 0 && h > 0;
        }
        p += 2 + longueur;
    }
    return false;
}

}  // namespace

bool Taille_fichier_image(const std::string& chemin, int& largeur, int& hauteur)
{
    std::FILE* f = std::fopen(chemin.c_str(), "rb");
    if (!f) return false;
    // The size lies in the first bytes, but a JPEG's frame header or a
    // TIFF's directory may come later.
    std::string s(1 << 20, '\0');
    s.resize(std::fread(s.data(), 1, s.size(), f));
    std::fclose(f);
    if (s.size() >= 26 && s[0] == 'B' && s[1] == 'M') {
        largeur = static_cast<int>(Le(s, 18, 4));
        hauteur = std::abs(static_cast<int32_t>(Le(s, 22, 4)));
        return largeur > 0 && hauteur > 0;
    }
    if (s.size() >= 24 && s.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
        largeur = static_cast<int>(Be(s, 16, 4));
        hauteur = static_cast<int>(Be(s, 20, 4));
        return largeur > 0 && hauteur > 0;
    }
    if (s.size() >= 10 && s.compare(0, 3, "GIF") == 0) {
        largeur = static_cast<int>(Le(s, 6, 2));
        hauteur = static_cast<int>(Le(s, 8, 2));
        return largeur > 0 && hauteur > 0;
    }
    if (s.size() >= 4 && static_cast<unsigned char>(s[0]) == 0xFF && static_cast<unsigned char>(s[1]) == 0xD8)
        return Jpeg(s, largeur, hauteur);
    if (s.size() >= 8 && (s.compare(0, 4, "II*\0", 4) == 0 || s.compare(0, 4, "MM\0*", 4) == 0))
        return Tiff(s, largeur, hauteur);
    return false;
}
