#include "output/ecriture.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdarg>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <pthread.h>
#include <cstring>

#include "output/ecoulement.h"
#include "port/shell.h"

// Why the last result file could not be written or put in place (a file
// written on a helper thread is reported by its caller).
static std::atomic<int> g_erreur_resultat{0};

static std::FILE* Echec_ouverture(const std::string& chemin)
{
    const int e = errno;
    Message_erreur("Ouverture " + chemin + " impossible !\n" + chemin + ": " + std::strerror(e ? e : EIO));
    return nullptr;
}

namespace {

// The result files being written: each under a temporary name beside its
// final one, renamed into place once complete. Fixed records, so that a
// signal handler can remove the temporary files without allocating.
// Atomic: the two result files of an analysis may be finished on two threads
// at once (lock-free, so a signal handler may read them too).
struct En_cours {
    std::atomic<std::FILE*> f{nullptr};
    // Complete, waiting under its temporary name for the other files of its
    // group (Ferme_groupe_resultats).
    std::atomic<int> pret{0};
    // Set before the temporary file is created and cleared once it is gone:
    // a signal between its creation and `f` being set still removes it.
    std::atomic<int> actif{0};
    char temporaire[4096];
    char final_[4096];
};
static_assert(std::atomic<std::FILE*>::is_always_lock_free && std::atomic<int>::is_always_lock_free);
En_cours g_en_cours[8];
// While a group is open, complete files wait to be renamed together.
std::atomic<int> g_groupe{0};

bool Copie_chemin(char (&vers)[4096], const std::string& chemin)
{
    if (chemin.size() >= sizeof vers) return false;
    std::memcpy(vers, chemin.c_str(), chemin.size() + 1);
    return true;
}

En_cours* Trouve(std::FILE* f)
{
    for (En_cours& e : g_en_cours)
        if (f && e.f == f) return &e;
    return nullptr;
}

}  // namespace

std::FILE* Ouvre_temporaire(const std::string& chemin)
{
    En_cours* libre = nullptr;
    for (En_cours& e : g_en_cours)
        if (!e.f && !e.actif) {
            libre = &e;
            break;
        }
    // The name shows whose file it is and by which process it is being
    // written, so that two runs writing the same file never share one.
    const auto barre = chemin.find_last_of('/');
    const std::string dossier = barre == std::string::npos ? "" : chemin.substr(0, barre + 1);
    const std::string temporaire = dossier + "." + chemin.substr(barre + 1) + "." + std::to_string(::getpid()) + ".tmp";
    // A plain file is replaced, and so is a symbolic link (the link itself,
    // never what it points to: a link planted in a folder must not make the
    // run write anywhere else). A device or a pipe, named directly or through
    // a link (/dev/stdout), is written through.
    struct stat st;
    bool ordinaire = ::lstat(chemin.c_str(), &st) != 0 ? errno == ENOENT : S_ISREG(st.st_mode);
    if (!ordinaire && S_ISLNK(st.st_mode)) {
        struct stat cible;
        const bool systeme = chemin.rfind("/dev/", 0) == 0 || chemin.rfind("/proc/", 0) == 0;
        ordinaire = !systeme && (::stat(chemin.c_str(), &cible) != 0 || S_ISREG(cible.st_mode) || S_ISDIR(cible.st_mode));
    }
    if (!ordinaire || !libre || !Copie_chemin(libre->temporaire, temporaire) || !Copie_chemin(libre->final_, chemin))
        return std::fopen(chemin.c_str(), "wbe");
    libre->actif = 1;
    // Created afresh, never through a link or a file left at that name.
    int fd = ::open(temporaire.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST && ::unlink(temporaire.c_str()) == 0)
        fd = ::open(temporaire.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    std::FILE* f = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!f && fd >= 0) {
        const int e = errno;
        ::close(fd);
        ::unlink(temporaire.c_str());
        errno = e;
    }
    libre->f = f;
    if (!f) {
        g_erreur_resultat = errno;
        libre->actif = 0;
    }
    return f;
}

bool Ferme_resultat(std::FILE* f, bool complet)
{
    // Looked up before closing: the stream's address means nothing after.
    En_cours* e = Trouve(f);
    errno = 0;
    bool ok = complet && !std::ferror(f);
    int erreur = ok ? 0 : errno;
    if (std::fflush(f) != 0 && ok) ok = false, erreur = errno;
    if (std::fclose(f) != 0 && ok) ok = false, erreur = errno;
    if (e) {
        if (ok && g_groupe) {
            // Renamed with the rest of its group.
            e->pret = 1;
            e->f = nullptr;
            return true;
        }
        if (ok && std::rename(e->temporaire, e->final_) != 0) ok = false, erreur = errno;
        if (!ok) std::remove(e->temporaire);
        e->f = nullptr;
        e->actif = 0;
    }
    // Kept until the next failure: a file finished meanwhile on another
    // thread must not hide why this one failed.
    if (!ok && erreur) g_erreur_resultat = erreur;
    return ok;
}

void Ouvre_groupe_resultats() { g_groupe = 1; }

bool Ferme_groupe_resultats(bool valide)
{
    g_groupe = 0;
    // No signal between the renames: its handler would find one file new
    // and the other one old.
    sigset_t fin, avant;
    sigemptyset(&fin);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&fin, sig);
    ::pthread_sigmask(SIG_BLOCK, &fin, &avant);
    bool ok = valide;
    for (En_cours& e : g_en_cours) {
        if (!e.pret) continue;
        if (ok && std::rename(e.temporaire, e.final_) != 0) ok = false, g_erreur_resultat = errno;
        if (!ok) ::unlink(e.temporaire);
        e.pret = 0;
        e.actif = 0;
    }
    ::pthread_sigmask(SIG_SETMASK, &avant, nullptr);
    return ok;
}

std::string Cause_echec_resultat()
{
    const int e = g_erreur_resultat;
    return std::strerror(e ? e : EIO);
}

void Supprime_resultats_en_cours()
{
    for (En_cours& e : g_en_cours)
        if (e.actif) ::unlink(e.temporaire);
}

bool Copie_resultat(const std::string& source, const std::string& destination)
{
    std::FILE* de = std::fopen(source.c_str(), "rbe");
    if (!de) return false;
    std::FILE* vers = Ouvre_temporaire(destination);
    if (!vers) {
        std::fclose(de);
        return false;
    }
    char tampon[8192];
    size_t n;
    bool ok = true;
    while ((n = std::fread(tampon, 1, sizeof tampon, de)) > 0) ok = std::fwrite(tampon, 1, n, vers) == n && ok;
    ok = !std::ferror(de) && ok;
    std::fclose(de);
    return Ferme_resultat(vers, ok);
}

std::FILE* Ouvre_resultat(const std::string& chemin)
{
    std::FILE* f = Ouvre_temporaire(chemin);
    return f ? f : Echec_ouverture(chemin);
}

std::FILE* Cree_resultat(const std::string& chemin) { return Ouvre_resultat(chemin); }

bool Termine_resultat(std::FILE* f, const std::string& chemin, const std::string& contenu)
{
    const bool ecrit = std::fwrite(contenu.data(), 1, contenu.size(), f) == contenu.size();
    const int erreur = ecrit ? 0 : errno;
    bool ok = Ferme_resultat(f, ecrit);
    if (!ok && erreur) g_erreur_resultat = erreur;
    if (!ok) Message_erreur("Ecriture " + chemin + " impossible !\n" + chemin + ": " + Cause_echec_resultat());
    return ok;
}

static_assert(Sortie_resultat::kPiece <= 4096, "a piece must fit the fallback buffer");

Sortie_resultat::Sortie_resultat(std::FILE* f) : f_(f), tampon_(new (std::nothrow) char[kTaille]), capacite_(kTaille)
{
    if (!tampon_) {
        tampon_ = secours_;
        capacite_ = sizeof secours_;
    }
}

Sortie_resultat::~Sortie_resultat()
{
    Ecoulement_termine(ecoulement_);
    if (f_) Ferme_resultat(f_, false);  // left unfinished: the previous file stays
    if (tampon_ != secours_) delete[] tampon_;
}

Sortie_resultat& Sortie_resultat::Fixe_converti(double v, int decimales)
{
    // Room for any double in fixed notation with up to 6 decimals.
    constexpr size_t kPlace = 400;
    if (decimales < 0 || decimales > 6) return *this << ::Fixe(v, decimales);
    if (capacite_ - n_ < kPlace) Vide();
    const auto r = std::to_chars(tampon_ + n_, tampon_ + capacite_, v, std::chars_format::fixed, decimales);
    n_ = static_cast<size_t>(r.ptr - tampon_);
    return *this;
}

void Sortie_resultat::Reserve(int64_t fin)
{
    if (fin <= reserve_ || reserve_ < 0 || !ok_) return;
    const int fd = ::fileno(f_);
    struct stat st;
    if (reserve_ == 0 && (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        reserve_ = -1;  // a device or a pipe: nothing to reserve
        return;
    }
    // Steps growing with the file, from 1 to 16 MB: the end left over and
    // given back stays small.
    const int64_t pas = std::max(std::clamp<int64_t>(reserve_, int64_t(1) << 20, int64_t(16) << 20), fin - reserve_);
    // A hint only: a file system without it (or a full disk) is written as
    // before, and a full disk is then reported by the writes.
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, reserve_, pas) != 0) {
        reserve_ = -1;
        return;
    }
    reserve_ += pas;
}

void Sortie_resultat::Ecrit_direct(std::string_view t)
{
    Reserve(ecrits_ + static_cast<int64_t>(t.size()));
    if (ok_ && std::fwrite(t.data(), 1, t.size(), f_) != t.size()) {
        ok_ = false;
        erreur_ = errno;
    }
    ecrits_ += static_cast<int64_t>(t.size());
}

void Sortie_resultat::Vide()
{
    Ecrit_direct(std::string_view(tampon_, n_));
    n_ = 0;
    // With the blocks reserved, replacing the previous file no longer sends
    // the new one to the disk: the writeback is left to the system.
    if (reserve_ > 0) return;
    if (ok_ && ecrits_ - signales_ >= kEcoulement) {
        if (signales_ == 0) ecoulement_ = Ecoulement_demarre(::fileno(f_));
        signales_ = ecrits_;
        Ecoulement_jusqua(ecoulement_, ecrits_);
    }
}

bool Sortie_resultat::Ferme()
{
    Vide();
    // The blocks reserved past the end are given back.
    if (reserve_ > ecrits_ && ok_ && std::fflush(f_) == 0 && ::ftruncate(::fileno(f_), ecrits_) != 0) {
        ok_ = false;
        erreur_ = errno;
    }
    Ecoulement_termine(ecoulement_);
    ecoulement_ = nullptr;
    const bool ok = Ferme_resultat(f_, ok_);
    if (!ok && erreur_) g_erreur_resultat = erreur_;
    f_ = nullptr;
    return ok;
}

bool Sortie_resultat::Termine(const std::string& chemin)
{
    const bool ok = Ferme();
    if (!ok) Message_erreur("Ecriture " + chemin + " impossible !\n" + chemin + ": " + Cause_echec_resultat());
    return ok;
}

void Ajoute(std::string& s, const char* format, ...)
{
    char local[512];
    va_list args;
    va_start(args, format);
    va_list copie;
    va_copy(copie, args);
    const int n = std::vsnprintf(local, sizeof local, format, args);
    va_end(args);
    if (n < 0) {
        va_end(copie);
        return;
    }
    if (static_cast<size_t>(n) < sizeof local) {
        s.append(local, static_cast<size_t>(n));
    } else {
        // Only a long image name gets here.
        const size_t debut = s.size();
        s.resize(debut + static_cast<size_t>(n) + 1);
        std::vsnprintf(s.data() + debut, static_cast<size_t>(n) + 1, format, copie);
        s.resize(debut + static_cast<size_t>(n));
    }
    va_end(copie);
}

std::string Fixe(double v, int decimales)
{
    char buf[400];  // enough for any double in fixed notation with 6 decimals
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimales);
    return std::string(buf, r.ptr);
}

std::string Scientifique(double v)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 6);
    return std::string(buf, r.ptr);
}

int Angle_arc(int a1, int a2)
{
    int a = a1 - a2;
    if (a < 0) a = -a;
    return a > 90 ? 180 - a : a;
}

char Normalise_type(char& type)
{
    if (type == '~' || type == '_') type = 'S';
    return type;
}

size_t Sequence_utf8(std::string_view s, size_t i, char32_t& c)
{
    const auto o = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = o(i);
    size_t n;
    if (b < 0x80) {
        c = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        n = 2;
        c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3;
        c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4;
        c = b & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; k++) {
        if ((o(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (o(i + k) & 0x3F);
    }
    static const char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < minimum[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return n;
}

void Encode_utf8(std::string& s, char32_t c)
{
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool Lit_fichier_entier(const std::string& chemin, std::string& octets)
{
    octets.clear();
    std::FILE* f = std::fopen(chemin.c_str(), "rbe");
    if (!f) return false;
    char tampon[65536];
    size_t n;
    while ((n = std::fread(tampon, 1, sizeof tampon, f)) > 0) octets.append(tampon, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

std::string Chaine_json(std::string_view s)
{
    std::string o = "\"";
    for (size_t i = 0; i < s.size();) {
        const char32_t c = Caractere_suivant(s, i);
        if (c == '"' || c == '\\') {
            o += '\\';
            o += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            o += buf;
        } else {
            Encode_utf8(o, c);
        }
    }
    return o + "\"";
}

char32_t Caractere_suivant(std::string_view s, size_t& i)
{
    char32_t c;
    const size_t n = Sequence_utf8(s, i, c);
    if (n == 0) return static_cast<unsigned char>(s[i++]);
    i += n;
    return c;
}

std::string Texte_xml(std::string_view texte, Forme_xml forme)
{
    std::string s;
    s.reserve(texte.size());
    const bool attribut = forme == Forme_xml::attribut;
    for (size_t i = 0; i < texte.size();) {
        const char32_t c = Caractere_suivant(texte, i);
        switch (c) {
        case '&': s += "&amp;"; continue;
        case '<': s += "&lt;"; continue;
        case '>': s += "&gt;"; continue;
        default: break;
        }
        if (attribut) {
            switch (c) {
            case '"': s += "&quot;"; continue;
            case '\'': s += "&apos;"; continue;
            // Kept as references: a parser turns raw ones into spaces.
            case '\t': s += "&#9;"; continue;
            case '\n': s += "&#10;"; continue;
            case '\r': s += "&#13;"; continue;
            default: break;
            }
            // XML 1.0 has no way to write these, not even as references.
            const bool interdit = c < 0x20 || c == 0xFFFE || c == 0xFFFF;
            Encode_utf8(s, interdit ? char32_t{0xFFFD} : c);
        } else if (forme == Forme_xml::ascii) {
            // XML 1.0 allows no other control character, even as a reference.
            if (c < 0x20 || c == 0x7F) s += '?';
            else if (c < 0x80) s += static_cast<char>(c);
            else s += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
        } else {
            const bool blanc = c == '\t' || c == '\n' || c == '\r';
            s += !blanc && (c < 0x20 || c > 0xFF) ? '?' : static_cast<char>(c);
        }
    }
    return s;
}
