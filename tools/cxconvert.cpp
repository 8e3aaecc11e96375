// cxconvert SRC DEST: any image libvips reads -> 1-bit black-first BMP.
// Grey conversion, Otsu's threshold, then a bottom-up BMP whose pixel data
// follows the 40-byte header and the 2-entry colour table directly.
#include <vips/vips.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "port/identite.h"

namespace {

int Echec(const char* quoi)
{
    std::fprintf(stderr, "cxconvert: %s: %s\n", quoi, vips_error_buffer());
    vips_error_clear();
    return 1;
}

// Otsu's threshold over a 256-bin histogram: grey levels <= t are ink.
int Seuil_otsu(const std::vector<uint64_t>& h, uint64_t total)
{
    double somme = 0;
    for (int i = 0; i < 256; i++) somme += static_cast<double>(i) * static_cast<double>(h[i]);
    double somme_b = 0, meilleur = -1;
    uint64_t poids_b = 0;
    int seuil = 127;
    for (int t = 0; t < 256; t++) {
        poids_b += h[t];
        if (poids_b == 0) continue;
        const uint64_t poids_f = total - poids_b;
        if (poids_f == 0) break;
        somme_b += static_cast<double>(t) * static_cast<double>(h[t]);
        const double mb = somme_b / static_cast<double>(poids_b);
        const double mf = (somme - somme_b) / static_cast<double>(poids_f);
        const double entre = static_cast<double>(poids_b) * static_cast<double>(poids_f) * (mb - mf) * (mb - mf);
        if (entre > meilleur) {
            meilleur = entre;
            seuil = t;
        }
    }
    return seuil;
}

void Put16(std::vector<uint8_t>& b, size_t o, uint32_t v)
{
    b[o] = static_cast<uint8_t>(v);
    b[o + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t o, uint32_t v)
{
    Put16(b, o, v & 0xFFFF);
    Put16(b, o + 2, v >> 16);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--identify") == 0) {
        std::printf("%s\n", Identite_programme("cxconvert").c_str());
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: cxconvert SRC DEST\n");
        return 2;
    }
    if (VIPS_INIT(argv[0])) return Echec("init");
    VipsImage* in = vips_image_new_from_file(argv[1], "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
    if (!in) return Echec(argv[1]);
    VipsImage* t1 = nullptr;
    VipsImage* t2 = nullptr;
    VipsImage* t3 = nullptr;
    // Transparent areas count as paper: flatten alpha on white first.
    VipsImage* base = in;
    if (vips_image_hasalpha(in)) {
        VipsArrayDouble* fond = vips_array_double_newv(1, 255.0);
        if (vips_flatten(in, &t1, "background", fond, nullptr)) return Echec("flatten");
        vips_area_unref(VIPS_AREA(fond));
        base = t1;
    }
    if (vips_colourspace(base, &t2, VIPS_INTERPRETATION_B_W, nullptr)) return Echec("grey");
    if (vips_cast_uchar(t2, &t3, nullptr)) return Echec("cast");
    size_t taille = 0;
    auto* gris = static_cast<uint8_t*>(vips_image_write_to_memory(t3, &taille));
    if (!gris) return Echec("read");
    const int w = vips_image_get_width(t3), h = vips_image_get_height(t3);
    const int bandes = vips_image_get_bands(t3);
    if (w <= 0 || h <= 0 || taille < static_cast<size_t>(w) * h * bandes) {
        std::fprintf(stderr, "cxconvert: %s: empty picture\n", argv[1]);
        return 1;
    }
    std::vector<uint64_t> hist(256, 0);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; i++) hist[gris[i * bandes]]++;
    const int seuil = Seuil_otsu(hist, static_cast<uint64_t>(w) * h);

    const uint32_t octets = ((static_cast<uint32_t>(w) + 31) / 32) * 4;
    const uint64_t pixels = static_cast<uint64_t>(octets) * static_cast<uint64_t>(h);
    if (pixels > (uint64_t(1) << 30)) {
        std::fprintf(stderr, "cxconvert: %s: picture too large\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> b(62 + pixels, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, 62);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<uint32_t>(w));
    Put32(b, 22, static_cast<uint32_t>(h));
    Put16(b, 26, 1);
    Put16(b, 28, 1);
    Put32(b, 34, static_cast<uint32_t>(pixels));
    Put32(b, 38, 11811);
    Put32(b, 42, 11811);
    // Colour table: entry 0 black, entry 1 white; ink is bit 0.
    b[58] = b[59] = b[60] = 255;
    for (int r = 0; r < h; r++) {
        uint8_t* l = b.data() + 62 + static_cast<size_t>(h - 1 - r) * octets;
        const uint8_t* src = gris + static_cast<size_t>(r) * w * bandes;
        for (int x = 0; x < w; x++)
            if (src[static_cast<size_t>(x) * bandes] > seuil) l[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
    }
    g_free(gris);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::fprintf(stderr, "cxconvert: cannot create %s\n", argv[2]);
        return 1;
    }
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "cxconvert: cannot write %s\n", argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    g_object_unref(t3);
    g_object_unref(t2);
    if (t1) g_object_unref(t1);
    g_object_unref(in);
    vips_shutdown();
    return 0;
}
