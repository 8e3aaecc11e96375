#include "image/chargement.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "port/shell.h"
#include "image/fils.h"
#include "image/param.h"
#include "image/planes.h"
#include "image/programmes.h"

int32_t Resolution = 0;

namespace {

// A converter still running after this long is taken to hang: a sheet of
// any size converts in seconds.
constexpr double kDelaiConvertisseur = 600.0;

// Larger pixel buffers are refused rather than allocated.
constexpr uint64_t kMaxOctetsPixels = uint64_t(1) << 30;

struct Fichier {
    std::FILE* f;
    ~Fichier() { if (f) std::fclose(f); }
};

constexpr uint32_t kOffsetClassique = 62;  // 14 + 40 header bytes + 2 colour entries

// Bytes of a stored row: the width in bits padded to 4 bytes.
int64_t Octets_rangee(int32_t largeur) { return ((int64_t(largeur) + 31) / 32) * 4; }

// The one layout read at fixed positions: a 40-byte header, uncompressed,
// bottom-up, the pixels right after the 2-entry table, rows of the padded
// width. The header size, the compression, the pixel offset and the file
// size (through the row length it gives) must all say so.
bool Disposition_classique(const EnteteFichierBmp& f, const EnteteInfoBmp& i)
{
    if (i.taille_entete != 40 || i.compression != 0 || f.offset_pixels != kOffsetClassique) return false;
    if (i.largeur <= 0 || i.hauteur <= 0 || f.taille_fichier <= kOffsetClassique) return false;
    const uint64_t octets = uint64_t(f.taille_fichier - kOffsetClassique) / uint64_t(i.hauteur);
    return octets == uint64_t(Octets_rangee(i.largeur));
}

// Records why the load failed; returns the failure code 0.
int Echec(ImageChargee& im, std::string cause)
{
    im.cause = std::move(cause);
    return 0;
}

// A plane's pixels filled white, on a helper thread for a large sheet when
// one is allowed, here otherwise; Fait waits for it and says whether the
// memory could be had. Joined whatever happens.
class Plan_blanc {
public:
    Plan_blanc(PlanImage& plan, size_t octets) : plan_(plan), octets_(octets)
    {
        if (octets >= (size_t(4) << 20) && Fils_permis() >= 2) {
            try {
                fil_ = Fil_aide([this] { ok_ = Remplit(); });
            } catch (const std::system_error&) {
                // filled by Fait
            }
        }
    }
    ~Plan_blanc()
    {
        if (fil_.joinable()) fil_.join();
        if (!fait_) std::vector<uint8_t>().swap(plan_.pixels);  // the load failed before: nothing kept
    }
    bool Fait()
    {
        fait_ = true;
        if (fil_.joinable()) {
            fil_.join();
            return ok_;
        }
        return Remplit();
    }

private:
    bool Remplit()
    {
        try {
            plan_.pixels.assign(octets_, 0xFF);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    PlanImage& plan_;
    size_t octets_;
    bool ok_ = false, fait_ = false;
    std::thread fil_;
};

// Why the last plain load (Lit_bmp, Charge_Img) failed.
std::string Cause_chargement;

}  // namespace

int Lit_bmp_dans(const std::string& chemin, ImageChargee& im)
{
    Fichier in{std::fopen(chemin.c_str(), "rb")};
    if (!in.f) return Echec(im, std::strerror(errno));
    struct stat st;
    if (::fstat(::fileno(in.f), &st) != 0) return Echec(im, std::strerror(errno));
    if (S_ISDIR(st.st_mode)) return Echec(im, "is a directory");
    PlanImage p;
    if (std::fread(&p.fichier, sizeof p.fichier, 1, in.f) != 1 || std::fread(&p.info, sizeof p.info, 1, in.f) != 1)
        return Echec(im, "too short to be an image: " + std::to_string(st.st_size) + " bytes");

    if (Resolution < 50 || Resolution > 1000) Resolution = Lit_param_entier("Resolution");

    if (p.info.hauteur == 0) {
        im.hauteur_vue = 0;
        return Echec(im, "the header gives a height of 0");
    }
    if (p.info.bits_par_pixel != 1 || !Disposition_classique(p.fichier, p.info)) {
        // Every other layout, 1-bit ones included, is read by the converter,
        // which follows the header fields this reader takes as fixed.
        im.hauteur_vue = p.info.hauteur;
        return 2;
    }
    const uint64_t taille = p.fichier.taille_fichier - p.fichier.offset_pixels;
    if (taille > kMaxOctetsPixels) return Echec(im, "too large: " + std::to_string(taille) + " bytes of pixels");
    // The pixels must be in the file before a buffer is made for them.
    if (uint64_t(st.st_size) < kOffsetClassique + taille)
        return Echec(im, "truncated: " + std::to_string(st.st_size) + " of "
                             + std::to_string(kOffsetClassique + taille) + " bytes");

    if (std::fread(p.table, sizeof p.table, 1, in.f) != 1) return Echec(im, "read error");
    // Plan2, a white plane of the same size, made beside the reading of a
    // large sheet (some 10 ms at A0).
    Plan_blanc blanc(im.plan2, static_cast<size_t>(taille));
    try {
        p.pixels.resize(static_cast<size_t>(taille));
    } catch (const std::bad_alloc&) {
        return Echec(im, "not enough memory for its pixels");
    }
    if (std::fread(p.pixels.data(), 1, p.pixels.size(), in.f) != p.pixels.size()) return Echec(im, "read error");

    const int larg = p.info.largeur, haut = p.info.hauteur;
    const int oct = static_cast<int>(Octets_rangee(larg));
    // Bytes of a row that hold pixels; in 64 bits, a width near 2^31 would wrap.
    const size_t utiles = static_cast<size_t>((int64_t(larg) + 7) / 8);
    if (p.table[0].bleu == 0xFF) {
        for (int r = 0; r < haut; r++) {
            uint8_t* l = p.pixels.data() + static_cast<size_t>(r) * oct;
            for (size_t i = 0; i < utiles; i++) l[i] = static_cast<uint8_t>(~l[i]);
        }
        p.table[0].bleu = p.table[0].vert = p.table[0].rouge = 0;
        p.table[1].bleu = p.table[1].vert = p.table[1].rouge = 255;
    }
    // White frame: first and last pixel of every row, first and last row.
    const int xd = larg - 1;
    for (int r = 0; r < haut; r++) {
        uint8_t* l = p.pixels.data() + static_cast<size_t>(r) * oct;
        l[0] |= 0x80;
        l[xd >> 3] |= static_cast<uint8_t>(0x80u >> (xd & 7));
    }
    std::memset(p.pixels.data(), 0xFF, utiles);
    std::memset(p.pixels.data() + static_cast<size_t>(haut - 1) * oct, 0xFF, utiles);

    p.larg = larg;
    p.haut = haut;
    p.octets = oct;
    im.hauteur_vue = haut;

    // Plan2: a white plane of the same header, filled in place. Plan_zoom
    // takes the headers only; its buffer is made when a reduced picture is
    // first built (Construit_zoom), so its geometry stays 0 until then.
    auto entetes = [&p](PlanImage& plan) {
        plan.fichier = p.fichier;
        plan.info = p.info;
        plan.table[0] = p.table[0];
        plan.table[1] = p.table[1];
    };
    entetes(im.zoom);
    Libere_plan(im.zoom);
    entetes(im.plan2);
    if (!blanc.Fait()) {
        Libere_plan(im.plan2);
        return Echec(im, "not enough memory for its planes");
    }
    im.plan2.larg = p.larg;
    im.plan2.haut = p.haut;
    im.plan2.octets = p.octets;
    im.plan1 = std::move(p);
    im.cause.clear();
    return 1;
}

void Installe_image(ImageChargee& im)
{
    Hauteur = im.plan1.haut;
    Largeur = im.plan1.larg;
    Octets_ligne = im.plan1.octets;
    Plan2 = std::move(im.plan2);
    Plan_zoom = std::move(im.zoom);
    Plan1 = std::move(im.plan1);
}

namespace {

// The plain loads: the planes become the current ones at once; a failed
// load leaves the header height it read in Hauteur.
int Installe_ou_note(int r, ImageChargee& im)
{
    if (r == 1) Installe_image(im);
    else if (im.hauteur_vue >= 0) Hauteur = im.hauteur_vue;
    Cause_chargement = r == 1 ? std::string() : im.cause;
    return r;
}

}  // namespace

int Lit_bmp(const std::string& chemin)
{
    ImageChargee im;
    return Installe_ou_note(Lit_bmp_dans(chemin, im), im);
}

std::string Chemin_convertisseur() { return Chemin_programme("cxconvert"); }

int Charge_Img_dans(const std::string& chemin, ImageChargee& im)
{
    int r = Lit_bmp_dans(chemin, im);
    if (r == 1) return 1;
    if (r != 2) return 0;
    if (chemin.find(' ') != std::string::npos) {
        im.cause = "not a BMP, and the converter is not run on a path with a space";
        return 3;
    }
    const std::string sortie = Rep_travail + "/tmp.bmp";
    // A converter that fails must not leave the previous conversion to be
    // loaded in place of this image.
    std::remove(sortie.c_str());
    const std::string prog = Chemin_convertisseur();
    Programme_du_projet(prog, "cxconvert");  // names a converter that is not ours
    // Its messages are kept: the last line says why it failed.
    const Execution_programme conv =
        Execute_programme(prog, {chemin, sortie}, kDelaiConvertisseur, Flux_programme::erreurs_gardees);
    const std::string& messages = conv.erreurs;
    if (conv.fin == Execution_programme::non_lance)
        return Echec(im, "not a BMP and the converter could not be started: " +
                             (::access(prog.c_str(), F_OK) != 0 ? Programme_cherche("cxconvert")
                                                                : prog + ": " + conv.raison));
    if (conv.fin == Execution_programme::arrete) return Echec(im, "not a BMP and its conversion was stopped");
    if (conv.fin == Execution_programme::delai)
        return Echec(im, "not a BMP and the converter did not finish within "
                             + std::to_string(static_cast<int>(kDelaiConvertisseur)) + " s (stopped)");
    if (Lit_bmp_dans(sortie, im) == 1) {
        // What a converter that succeeded still had to say reaches stderr,
        // as when it wrote there itself.
        if (!messages.empty()) std::fwrite(messages.data(), 1, messages.size(), stderr);
        return 1;
    }
    // Its last line says why, else its status.
    std::string derniere = Derniere_ligne(messages);
    if (derniere.empty()) {
        if (conv.statut > 128) derniere = "killed by signal " + std::to_string(conv.statut - 128);
        else if (conv.statut != 0) derniere = "exit status " + std::to_string(conv.statut);
        else derniere = "its output could not be read (" + im.cause + ")";
    }
    return Echec(im, "not a BMP and the converter failed: " + derniere);
}

int Charge_Img(const std::string& chemin)
{
    ImageChargee im;
    return Installe_ou_note(Charge_Img_dans(chemin, im), im);
}

const std::string& Cause_echec_chargement() { return Cause_chargement; }

void Information()
{
    Efface_texte();
    Ecrit_texte(1, "- Octets per line: ");
    Ecrit_nombre(0, Octets_ligne);
    Ecrit_texte(1, "- Lines in image: ");
    Ecrit_nombre(0, Hauteur);
    if (Hauteur == 0 || !Plan_courant) return;
    Ecrit_texte(1, "- No. pixels for x (bmp): ");
    Ecrit_nombre(0, Plan_courant->info.largeur);
    Ecrit_texte(1, "- No. pixels for y (bmp): ");
    Ecrit_nombre(0, Plan_courant->info.hauteur);
    Ecrit_texte(1, "- Resolution: ");
    Ecrit_nombre(0, Resolution);
}
