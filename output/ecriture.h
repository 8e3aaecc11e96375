// Helpers shared by the result writers, the spotting export and the batch results file.
#pragma once
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

// A result file is written under a temporary name in its own directory
// (".NAME.PID.tmp") and renamed to its name only once complete: a write that
// fails or is interrupted leaves the previous file as it was, never a file
// cut short under the final name. Binary mode: "\n" is a single LF byte.
// Ouvre_temporaire opens it (close-on-exec), null when it cannot; up to 8
// files at once, beyond which, or for a path past 4095 bytes, the file is
// written in place; so is a path that names a device or a pipe, directly or
// through a symbolic link (/dev/stdout). A symbolic link to anything else is
// replaced, never followed. The temporary file is created exclusively, never
// through a link left at its name.
std::FILE* Ouvre_temporaire(const std::string& chemin);
// Closes the file and, when `complet` and every byte reached the disk,
// renames it into place; otherwise removes the temporary file. True when the
// file now stands complete under its name.
bool Ferme_resultat(std::FILE* f, bool complet);
// A group of result files that belong together (the text results and the
// graph of one analysis): from Ouvre_groupe_resultats on, a file closed
// complete waits under its temporary name, and Ferme_groupe_resultats(true)
// renames them all at once, SIGINT, SIGTERM and SIGHUP held meanwhile; with
// false (one of them failed) it removes them all: the previous files stay
// together. True when every file of the group is in place. A signal before
// the end removes them too.
void Ouvre_groupe_resultats();
bool Ferme_groupe_resultats(bool valide);
// The errno text of the last result file that could not be written or put
// in place, for the line that follows "Ecriture %s impossible !".
std::string Cause_echec_resultat();
// Removes the temporary files of the writes in progress (async-signal-safe:
// for a handler of SIGINT or SIGTERM that ends the process).
void Supprime_resultats_en_cours();
// Copies the file `source` to `destination` the same way. False when the
// source cannot be read or the copy not be written (nothing reported).
bool Copie_resultat(const std::string& source, const std::string& destination);
// Ouvre_temporaire; null after "Ouverture %s impossible !" and a line
// naming the file and the cause.
std::FILE* Ouvre_resultat(const std::string& chemin);
std::FILE* Cree_resultat(const std::string& chemin);
// Writes the whole content and puts the file in place (Ferme_resultat).
// False, after "Ecriture %s impossible !" and a line naming the file and
// the cause, when any byte could not be written (full disk).
bool Termine_resultat(std::FILE* f, const std::string& chemin, const std::string& contenu);

// printf-style append. Only integer, character and text conversions: the
// decimal point of %f would follow the C locale, which the window changes.
void Ajoute(std::string& s, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The %d text of v appended (no locale is involved).
inline void Ajoute_entier(std::string& s, int v)
{
    char b[12];
    s.append(b, static_cast<size_t>(std::to_chars(b, b + sizeof b, v).ptr - b));
}
// Fixed-point text with `decimales` digits, always with a '.' (the %.Nf of
// the C locale, whatever locale the process runs in).
std::string Fixe(double v, int decimales);
// The %e of the C locale (six decimals, at least two exponent digits, always
// a '.'), whatever locale the process runs in.
std::string Scientifique(double v);

// Angle between the directions of an arc's two ends, folded into 0..90.
int Angle_arc(int a1, int a2);
// The written form of a relation: "~" and "_" become "S" in the arc itself.
char Normalise_type(char& type);

// Decodes one UTF-8 sequence at s[i] into c; returns its length, or 0 when
// the bytes there are not a valid, shortest-form sequence.
size_t Sequence_utf8(std::string_view s, size_t i, char32_t& c);
// The character at s[i], past which i moves: a UTF-8 sequence, or else the
// byte itself taken as Latin-1 (names typed in either).
char32_t Caractere_suivant(std::string_view s, size_t& i);
// Appends the UTF-8 bytes of c.
void Encode_utf8(std::string& s, char32_t c);
// The whole content of the file at `chemin` into `octets`; false when it
// cannot be opened or a read fails.
bool Lit_fichier_entier(const std::string& chemin, std::string& octets);
// A JSON string: the text's characters (UTF-8, or Latin-1 bytes) in UTF-8,
// quotes, backslashes and control characters escaped.
std::string Chaine_json(std::string_view s);

// How a text goes into an XML file; in every form & < > are escaped and
// bytes that are not UTF-8 are taken as Latin-1.
enum class Forme_xml {
    // An attribute value of a UTF-8 file: " and ' escaped too, tab, LF and
    // CR as character references, the other characters XML forbids replaced
    // by U+FFFD.
    attribut,
    // Text of an ASCII file (symbol names in the symbol lists): characters
    // past ASCII as references, control characters as '?'.
    ascii,
    // Text of a Latin-1 file (the batch results): tab, LF and CR as they
    // are, characters Latin-1 lacks and other control characters as '?'.
    latin1,
};
std::string Texte_xml(std::string_view texte, Forme_xml forme = Forme_xml::attribut);

// A result file written through a fixed buffer: a file of any size costs the
// buffer and no more, and no text is formatted twice. Opened with
// Ouvre_resultat or Cree_resultat; Termine writes the rest and puts the file
// in place; destroyed before, it leaves the previous file.
// Integers come out as %d does (no locale is involved).
// The buffer is large because the system's cost of a write falls with its
// length (the page cache takes the bytes in larger pieces); the appends are
// inline so that a literal's length and copy are settled at compile time.
class Ecoulement;
class Sortie_resultat {
public:
    explicit Sortie_resultat(std::FILE* f);
    Sortie_resultat(const Sortie_resultat&) = delete;
    Sortie_resultat& operator=(const Sortie_resultat&) = delete;
    ~Sortie_resultat();

    [[gnu::always_inline]] Sortie_resultat& operator<<(std::string_view t)
    {
        if (t.size() > capacite_ - n_) {
            Vide();
            if (t.size() > capacite_) {
                Ecrit_direct(t);
                return *this;
            }
        }
        std::memcpy(tampon_ + n_, t.data(), t.size());
        n_ += t.size();
        return *this;
    }
    [[gnu::always_inline]] Sortie_resultat& operator<<(const char* t) { return *this << std::string_view(t); }
    Sortie_resultat& operator<<(const std::string& t) { return *this << std::string_view(t); }
    [[gnu::always_inline]] Sortie_resultat& operator<<(char c)
    {
        if (n_ == capacite_) Vide();
        tampon_[n_++] = c;
        return *this;
    }
    [[gnu::always_inline]] Sortie_resultat& operator<<(int v)
    {
        if (capacite_ - n_ < 16) Vide();
        n_ = static_cast<size_t>(Ecrit_entier(tampon_ + n_, v) - tampon_);
        return *this;
    }
    // The text of Fixe(v, decimales), without making a string of it. Zero,
    // the score of every arc and quadrilateral before spotting, is written
    // without a conversion.
    [[gnu::always_inline]] Sortie_resultat& Fixe(double v, int decimales)
    {
        if (v == 0.0 && !std::signbit(v) && decimales >= 0 && decimales <= 6)
            return *this << std::string_view("0.000000", decimales == 0 ? 1 : 2 + static_cast<size_t>(decimales));
        return Fixe_converti(v, decimales);
    }
    // Writes what is buffered and closes the file. False, after
    // "Ecriture %s impossible !", when any byte could not be written.
    bool Termine(const std::string& chemin);
    // The same without the message (for a writer on a helper thread, whose
    // caller reports it).
    bool Ferme();

    static constexpr size_t kTaille = size_t(1) << 20;

    // A piece of text of known greatest length written without a check per
    // append: Place(n) makes room for n bytes (n at most kPiece) and gives
    // the place; the appends go through it; Pose takes it back.
    static constexpr size_t kPiece = 2048;
    struct Curseur {
        char* p;
        [[gnu::always_inline]] Curseur& operator<<(std::string_view t)
        {
            std::memcpy(p, t.data(), t.size());
            p += t.size();
            return *this;
        }
        [[gnu::always_inline]] Curseur& operator<<(const char* t) { return *this << std::string_view(t); }
        [[gnu::always_inline]] Curseur& operator<<(char c)
        {
            *p++ = c;
            return *this;
        }
        [[gnu::always_inline]] Curseur& operator<<(int v)
        {
            p = Ecrit_entier(p, v);
            return *this;
        }
    };
    [[gnu::always_inline]] Curseur Place(size_t n)
    {
        if (capacite_ - n_ < n) Vide();
        return {tampon_ + n_};
    }
    [[gnu::always_inline]] void Pose(const Curseur& c) { n_ = static_cast<size_t>(c.p - tampon_); }

    // The %d text of v at p (room for 11 characters); returns its end. The
    // coordinates, lengths and numbers of a drawing are short: up to four
    // digits go by pairs from a table.
    [[gnu::always_inline]] static char* Ecrit_entier(char* p, int v)
    {
        unsigned u = static_cast<unsigned>(v);
        if (v < 0) {
            *p++ = '-';
            u = 0u - u;
        }
        if (u < 10) {
            *p = static_cast<char>('0' + u);
            return p + 1;
        }
        if (u < 100) {
            std::memcpy(p, kPaires + 2 * u, 2);
            return p + 2;
        }
        if (u < 1000) {
            *p = static_cast<char>('0' + u / 100);
            std::memcpy(p + 1, kPaires + 2 * (u % 100), 2);
            return p + 3;
        }
        if (u < 10000) {
            std::memcpy(p, kPaires + 2 * (u / 100), 2);
            std::memcpy(p + 2, kPaires + 2 * (u % 100), 2);
            return p + 4;
        }
        return std::to_chars(p, p + 10, u).ptr;
    }
    static constexpr char kPaires[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";

private:
    void Vide();
    void Ecrit_direct(std::string_view t);
    Sortie_resultat& Fixe_converti(double v, int decimales);
    std::FILE* f_;
    bool ok_ = true;
    int erreur_ = 0;  // errno of the first write that failed
    size_t n_ = 0;
    // The writeback of what is written, started on a helper thread from the
    // first kEcoulement bytes on (small files start no thread), where the
    // blocks could not be reserved.
    static constexpr int64_t kEcoulement = int64_t(4) << 20;
    Ecoulement* ecoulement_ = nullptr;
    int64_t ecrits_ = 0, signales_ = 0;
    // The file's blocks are reserved ahead of the writes, in steps, and
    // what is left over is given back at the end; -1 where they cannot be.
    // With the blocks reserved the file is cheaper to write, and renaming it
    // over the previous one (which would otherwise allocate them and send the
    // file to the disk inside the rename) takes a few milliseconds instead of
    // tens: 10 against 1.3 ms for the 8.5 MB graph file of an A4 sheet, 100
    // against 15 for the 138 MB of an A0 sheet.
    int64_t reserve_ = 0;
    void Reserve(int64_t fin);
    char* tampon_;
    size_t capacite_;
    // Used when the large buffer cannot be had: the file is written all the same.
    char secours_[4096];
};
