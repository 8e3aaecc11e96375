#include <zlib.h>

#include <cstdio>
#include <functional>

#include "draw/export_dessin.h"
#include "draw/image_couleur.h"
#include "output/ecriture.h"

namespace {

void Ajoute_u32(std::string& o, uint32_t v)
{
    for (int d = 24; d >= 0; d -= 8) o.push_back(static_cast<char>((v >> d) & 0xFF));
}

void Ajoute_chunk(std::string& o, const char* type, std::string_view donnees)
{
    Ajoute_u32(o, static_cast<uint32_t>(donnees.size()));
    const size_t debut = o.size();
    o.append(type, 4);
    o.append(donnees);
    const auto* p = reinterpret_cast<const Bytef*>(o.data() + debut);
    Ajoute_u32(o, static_cast<uint32_t>(crc32(0L, p, static_cast<uInt>(o.size() - debut))));
}

// The signature and the header chunk of a picture.
std::string Entete_png(int largeur, int hauteur, int profondeur, int type_couleur)
{
    std::string o = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    Ajoute_u32(ihdr, static_cast<uint32_t>(largeur));
    Ajoute_u32(ihdr, static_cast<uint32_t>(hauteur));
    ihdr.push_back(static_cast<char>(profondeur));
    ihdr.push_back(static_cast<char>(type_couleur));
    ihdr.append(3, '\0');  // deflate, adaptive filtering, no interlace
    Ajoute_chunk(o, "IHDR", ihdr);
    return o;
}

}  // namespace

std::string Encode_png(int largeur, int hauteur, int profondeur, int type_couleur, std::string_view lignes,
                       std::string_view palette)
{
    const int canaux = type_couleur == 2 ? 3 : 1;
    const size_t octets_ligne = (static_cast<size_t>(largeur) * canaux * profondeur + 7) / 8;
    // Every row starts with its filter byte, 0 (none).
    std::string brut;
    brut.reserve((octets_ligne + 1) * static_cast<size_t>(hauteur));
    for (int y = 0; y < hauteur; y++) {
        brut.push_back('\0');
        brut.append(lignes.substr(static_cast<size_t>(y) * octets_ligne, octets_ligne));
    }
    uLongf taille = compressBound(static_cast<uLong>(brut.size()));
    std::string compresse(taille, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compresse.data()), &taille, reinterpret_cast<const Bytef*>(brut.data()),
                  static_cast<uLong>(brut.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return {};
    compresse.resize(taille);

    std::string o = Entete_png(largeur, hauteur, profondeur, type_couleur);
    if (type_couleur == 3) Ajoute_chunk(o, "PLTE", palette);
    Ajoute_chunk(o, "IDAT", compresse);
    Ajoute_chunk(o, "IEND", {});
    return o;
}

bool Encode_png_lignes(int largeur, int hauteur, int profondeur, int type_couleur,
                       const std::function<void(int, char*)>& ligne, const std::function<bool(std::string_view)>& sortie)
{
    const int canaux = type_couleur == 2 ? 3 : 1;
    const size_t octets_ligne = (static_cast<size_t>(largeur) * canaux * profondeur + 7) / 8;
    std::string o = Entete_png(largeur, hauteur, profondeur, type_couleur);
    if (!sortie(o)) return false;

    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) return false;
    // One row and one piece of compressed data at a time: a sheet of any
    // size costs them and no more.
    std::string brut(octets_ligne + 1, '\0');
    std::string compresse(size_t(1) << 16, '\0');
    bool ok = true;
    // The compressed data goes out in chunks of 1 MiB (a small picture has
    // one, as Encode_png gives).
    std::string idat;
    auto emet = [&] {
        std::string chunk;
        Ajoute_chunk(chunk, "IDAT", idat);
        idat.clear();
        return sortie(chunk);
    };
    auto pousse = [&](int vidage) {
        int r = Z_OK;
        do {
            z.next_out = reinterpret_cast<Bytef*>(compresse.data());
            z.avail_out = static_cast<uInt>(compresse.size());
            r = deflate(&z, vidage);
            if (r == Z_STREAM_ERROR) return false;
            idat.append(compresse.data(), compresse.size() - z.avail_out);
            if (idat.size() >= (size_t(1) << 20) && !emet()) return false;
        } while (z.avail_out == 0 || (vidage == Z_FINISH && r != Z_STREAM_END));
        return vidage != Z_FINISH || emet();
    };
    for (int y = 0; y < hauteur && ok; y++) {
        brut[0] = '\0';  // filter: none
        ligne(y, brut.data() + 1);
        z.next_in = reinterpret_cast<Bytef*>(brut.data());
        z.avail_in = static_cast<uInt>(brut.size());
        ok = pousse(Z_NO_FLUSH);
    }
    ok = ok && pousse(Z_FINISH);
    deflateEnd(&z);
    std::string fin;
    Ajoute_chunk(fin, "IEND", {});
    return ok && sortie(fin);
}

std::string Png_plan(const PlanImage& p)
{
    const int w = p.larg, h = p.haut;
    const size_t octets_ligne = (static_cast<size_t>(w) + 7) / 8;
    // In a 1-bit grey PNG a 1 bit is white, as in the planes.
    std::string lignes(octets_ligne * static_cast<size_t>(h), '\xff');
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if (Lit_pixel(x, y, p)) lignes[static_cast<size_t>(y) * octets_ligne + x / 8] &= static_cast<char>(~(0x80 >> (x % 8)));
    return Encode_png(w, h, 1, 0, lignes);
}

namespace {

void Ligne_couleur_sur(const PlanImage& fond, int y, char* o)
{
    constexpr uint32_t gris = Rgb(205, 205, 205);
    for (int x = 0; x < fond.larg; x++) {
        uint32_t c = Lit_couleur(x, y);
        if (c == Blanc && Lit_pixel(x, y, fond)) c = gris;
        *o++ = static_cast<char>(c >> 16);
        *o++ = static_cast<char>(c >> 8);
        *o++ = static_cast<char>(c);
    }
}

}  // namespace

std::string Png_couleur_sur(const PlanImage& fond)
{
    std::string o;
    const bool ok = Encode_png_lignes(
        fond.larg, fond.haut, 8, 2, [&](int y, char* l) { Ligne_couleur_sur(fond, y, l); },
        [&](std::string_view t) { return o.append(t), true; });
    return ok ? o : std::string();
}

bool Ecrit_png_couleur_sur(const std::string& chemin, const PlanImage& fond)
{
    return Ecrit_png(chemin, [&](const std::function<bool(std::string_view)>& sortie) {
        return Encode_png_lignes(fond.larg, fond.haut, 8, 2, [&](int y, char* l) { Ligne_couleur_sur(fond, y, l); }, sortie);
    });
}

bool Ecrit_png(const std::string& chemin, const std::function<bool(const std::function<bool(std::string_view)>&)>& encode)
{
    std::FILE* f = Ouvre_temporaire(chemin);
    if (!f) return false;
    const bool ok = encode([f](std::string_view t) { return std::fwrite(t.data(), 1, t.size(), f) == t.size(); });
    return Ferme_resultat(f, ok);
}

std::string Base64(std::string_view octets)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string o;
    o.reserve((octets.size() + 2) / 3 * 4);
    size_t i = 0;
    const auto b = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(octets[k])); };
    for (; i + 3 <= octets.size(); i += 3) {
        const uint32_t v = b(i) << 16 | b(i + 1) << 8 | b(i + 2);
        for (int d = 18; d >= 0; d -= 6) o.push_back(alphabet[(v >> d) & 63]);
    }
    const size_t reste = octets.size() - i;
    if (reste > 0) {
        const uint32_t v = b(i) << 16 | (reste == 2 ? b(i + 1) << 8 : 0);
        o.push_back(alphabet[(v >> 18) & 63]);
        o.push_back(alphabet[(v >> 12) & 63]);
        o.push_back(reste == 2 ? alphabet[(v >> 6) & 63] : '=');
        o.push_back('=');
    }
    return o;
}

bool Ecrit_octets(const std::string& chemin, std::string_view octets)
{
    // Beside it first, renamed once whole: a failed write keeps the previous drawing.
    std::FILE* f = Ouvre_temporaire(chemin);
    if (!f) return false;
    return Ferme_resultat(f, std::fwrite(octets.data(), 1, octets.size(), f) == octets.size());
}
