// Contour following: the odd rows scanned for the start of each contour not
// yet followed, each contour followed pixel by pixel and cut into vectors.
#include "vecto/contours.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "port/shell.h"
#include "image/fils.h"
#include "image/param.h"
#include "image/planes.h"
#include "vecto/bandes.h"
#include "vecto/geometrie.h"
#include "vecto/records.h"

namespace {

// Chain codes, counter-clockwise as the image is seen (y grows downwards).
constexpr int DX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int DY[8] = {0, -1, -1, -1, 0, 1, 1, 1};

// Code of a step of -1..1 in each direction (0 for no move), by table: the
// tracing asks it at every step.
struct Codes_pas {
    int code[9] = {};
    constexpr Codes_pas()
    {
        for (int d = 0; d < 8; d++) code[(DX[d] + 1) * 3 + DY[d] + 1] = d;
    }
};
constexpr Codes_pas Table_pas;

int Code_pas(int dx, int dy) { return Table_pas.code[(dx + 1) * 3 + dy + 1]; }

// Norme_virage for the differences of two codes, -7..7.
struct Virages {
    int v[15] = {};
    constexpr Virages()
    {
        for (int d = -7; d <= 7; d++) {
            int r = d % 8;
            if (r > 4) r -= 8;
            if (r < -3) r += 8;
            v[d + 7] = r;
        }
    }
};
constexpr Virages Table_virages;

int Virage(int d) { return Table_virages.v[d + 7]; }

// Lit_pixel on Plan1 without looking the plane up at each read: the tracing
// reads up to twelve neighbours a step. Only for a plane of at least 2 x 2.
struct Lecteur {
    const uint8_t* pixels;
    size_t octets;
    unsigned larg_1, haut_1;
    int haut;
    explicit Lecteur(const PlanImage& p)
        : pixels(p.pixels.data()), octets(static_cast<size_t>(p.octets)), larg_1(static_cast<unsigned>(p.larg - 1)),
          haut_1(static_cast<unsigned>(p.haut - 1)), haut(p.haut)
    {
    }
    bool Noir(int x, int y) const
    {
        if (static_cast<unsigned>(x - 1) >= larg_1 || static_cast<unsigned>(y - 1) >= haut_1) return false;
        return ((pixels[static_cast<size_t>(haut - y) * octets + static_cast<unsigned>(x >> 3)] >> (7 - (x & 7))) & 1) == 0;
    }
};

bool Mot_blanc(const uint8_t* o)
{
    uint64_t m;
    std::memcpy(&m, o, 8);
    return m == ~uint64_t{0};
}

// Marks of the rows from `bas` down, at Plan2's offsets, a set bit for a
// mark; zeroed memory, which the system hands over without writing it.
struct Marques {
    std::unique_ptr<uint8_t, decltype(&std::free)> octets{nullptr, &std::free};
    size_t taille = 0;
    bool Prepare(int bas)
    {
        if (octets) return true;
        const size_t n = static_cast<size_t>(Plan1.haut - bas + 1) * static_cast<size_t>(Plan1.octets);
        octets.reset(static_cast<uint8_t*>(std::calloc(n, 1)));
        taille = octets ? n : 0;
        return octets != nullptr;
    }
    static size_t Octet(int x, int y)
    {
        return static_cast<size_t>(Plan1.haut - y) * static_cast<size_t>(Plan1.octets) + static_cast<unsigned>(x >> 3);
    }
    bool Lu(int x, int y) const { return octets && ((octets.get()[Octet(x, y)] >> (7 - (x & 7))) & 1) != 0; }
    void Ecrit(int x, int y) { octets.get()[Octet(x, y)] |= static_cast<uint8_t>(0x80u >> (x & 7)); }
};

// What a follower beside the calling thread keeps apart: the records it
// makes (the records' pools serve the calling thread) and the pixels of the
// contour it follows (it marks them once it knows whose contour it is).
struct A_part {
    Lot_de<Vecteur> vecteurs;
    Lot_de<CC> composantes;
    std::vector<std::pair<int, int>> pixels;
};

// While a helper scans the rows from `bas` + 1 down, the calling thread's
// marks from row `bas` down go here instead of Plan2 (whose rows there the
// helper marks), with the lowest row they reach.
struct Marques_dessous {
    int bas = 0, y_max = 0;
    Marques plan;
    void Ecrit(int x, int y)
    {
        plan.Ecrit(x, y);
        y_max = std::max(y_max, y);
    }
    // Into Plan2, a word at a time.
    void Verse() const
    {
        if (y_max < bas) return;
        const size_t debut = Marques::Octet(0, y_max), fin = Marques::Octet(0, bas) + static_cast<size_t>(Plan1.octets);
        uint8_t* p2 = Plan2.pixels.data();
        const uint8_t* m = plan.octets.get();
        for (size_t i = debut; i < fin; i += 8) {
            const size_t n = std::min<size_t>(8, fin - i);
            uint64_t a = 0, b = 0;
            std::memcpy(&a, p2 + i, n);
            std::memcpy(&b, m + i, n);
            a &= ~b;
            std::memcpy(p2 + i, &a, n);
        }
    }
};

struct Suivi {
    Vecteur* queue_v = nullptr;
    CC* queue_cc = nullptr;
    double eps = 0;
    int limite = 0;
    A_part* a_part = nullptr;             // null on the calling thread
    Marques_dessous* dessous = nullptr;   // on the calling thread, while a helper scans below
    int ymin = 0;                         // top row of the last contour followed
};

template <class T>
T* Nouveau(Suivi& s, Lot_de<T> A_part::*lot)
{
    if (!s.a_part) return new (std::nothrow) T;
    void* p = (s.a_part->*lot).Prend();
    return p ? ::new (p) T : nullptr;
}

// A failed allocation: the message, unless beside the calling thread.
bool Manque_memoire(const Suivi& s, const char* message)
{
    if (!s.a_part) Message_erreur(message);
    return false;
}

// Appends a vector after the follower's tail; false when it cannot be
// allocated.
bool Ajoute_vecteur(Suivi& s, int xi, int yi, int xf, int yf, const char* message)
{
    Vecteur* v = Nouveau<Vecteur>(s, &A_part::vecteurs);
    if (!v) return Manque_memoire(s, message);
    v->xi = xi;
    v->yi = yi;
    v->xf = xf;
    v->yf = yf;
    v->length = Longueur_vecteur(xi, yi, xf, yf);
    s.queue_v = Ajoute_en_queue(Liste_vecteurs, s.queue_v, v);
    return true;
}

// Follows one contour from S, cutting it into vectors. Returns false after
// an allocation failure; `pas` receives the number of steps taken.
bool Trace_contour(Suivi& s, int sx, int sy, int& pas)
{
    const Lecteur plan(Plan1);
    int px = sx, py = sy, qx = sx, qy = sy, vx = sx, vy = sy;
    int xmin = sx, xmax = sx, ymin = sy, ymax = sy;
    int g = 6, virage = 0, points = 0, code_prec = 0, code_premier = 0;
    double A = 0;
    pas = 0;
    for (;;) {
        if (pas >= s.limite) break;
        pas++;
        points++;
        xmin = std::min(xmin, px);
        xmax = std::max(xmax, px);
        ymin = std::min(ymin, py);
        ymax = std::max(ymax, py);

        const int64_t aire = static_cast<int64_t>(px - vx) * (py - qy) - static_cast<int64_t>(py - vy) * (px - qx);
        A += static_cast<double>(aire);
        const int64_t N = static_cast<int64_t>(px - vx) * (px - vx) + static_cast<int64_t>(py - vy) * (py - vy);
        if (A * A > s.eps * static_cast<double>(N)) {
            if (points >= 2) {
                if (!Ajoute_vecteur(s, vx, vy, qx, qy, "- Erreur mem. -")) return false;
            } else if (s.queue_v) {
                // A one-pixel piece lengthens the previous vector, length kept.
                s.queue_v->xf = qx;
                s.queue_v->yf = qy;
            }
            vx = qx;
            vy = qy;
            points = 0;
            A = 0;
        }

        if (px != qx || py != qy) {
            const int d = Code_pas(px - qx, py - qy);
            if (qx == sx && qy == sy) code_premier = d;
            else virage += Virage(d - code_prec);
            code_prec = d;
        }
        qx = px;
        qy = py;
        if (s.a_part) s.a_part->pixels.emplace_back(px, py);
        else if (s.dessous && py >= s.dessous->bas) s.dessous->Ecrit(px, py);
        else Ecrit_pixel(px, py, 1, Plan2);

        bool trouve = false;
        for (int essai = 0; essai < 4 && !trouve; essai++) {
            const int a = (g + 7) & 7, c = (g + 1) & 7;
            if (plan.Noir(px + DX[a], py + DY[a])) {
                px += DX[a];
                py += DY[a];
                g = (g + 6) & 7;
                trouve = true;
            } else if (plan.Noir(px + DX[g], py + DY[g])) {
                px += DX[g];
                py += DY[g];
                trouve = true;
            } else if (plan.Noir(px + DX[c], py + DY[c])) {
                px += DX[c];
                py += DY[c];
                trouve = true;
            } else {
                g = (g + 2) & 7;
            }
        }
        if (!trouve) break;  // cannot happen: the start test saw a black neighbour

        if (px == sx && py == sy) {
            virage += Virage(code_premier - code_prec);
            // A negative total turning is the border of a hole: no component.
            if (virage >= 0) {
                CC* c = Nouveau<CC>(s, &A_part::composantes);
                if (!c) return Manque_memoire(s, "- Erreur mem. -");
                c->xi = xmin;
                c->yi = ymin;
                c->xf = xmax;
                c->yf = ymax;
                s.queue_cc = Ajoute_en_queue(Liste_CC, s.queue_cc, c);
            }
            break;
        }
    }
    s.ymin = ymin;
    if (points >= 2) return Ajoute_vecteur(s, vx, vy, qx, qy, " - Erreur mem. - ");
    if (s.queue_v) {
        s.queue_v->xf = qx;
        s.queue_v->yf = qy;
    }
    return true;
}

}  // namespace

int Norme_virage(int d)
{
    int r = d % 8;
    if (r > 4) r -= 8;
    if (r < -3) r += 8;
    return r;
}

namespace {

// What the row scan does at a black pixel: `Deja_suivi` says whether it was
// followed already, `Depart` handles a start (Suit: follow it and go on
// with the next pixel; Comme_suivi: go on as at a followed pixel; Arret:
// stop the scan), `Libre` sees every other pixel not followed.
enum class Issue { Suit, Comme_suivi, Arret };

// The odd rows y0, y0 + 2, ... below y1 (and below Hauteur - 1) scanned from
// left to right for contours to follow; false once a start said Arret.
template <class Regle>
bool Balaye(int y0, int y1, Regle& regle)
{
    const int W = Plan1.larg, H = Plan1.haut;
    for (int y = y0; y < y1 && y < Hauteur - 1; y += 2) {
        regle.Rangee();
        if (!Plan1.existe() || y >= H || static_cast<int64_t>(Plan1.octets) * 8 < W) continue;
        const uint8_t* o = Ligne_plan(Plan1, y);
        // Plan1 at (x, y) for 1 <= x < W, read straight from the row.
        auto noir = [o](int x) { return ((o[x >> 3] >> (7 - (x & 7))) & 1) == 0; };
        // A followed pixel: the black run is skipped, and the column after
        // the first white one is not examined.
        auto saute_trait = [&](int& x) {
            while (x < W && noir(x)) {
                if ((x & 7) == 0 && x + 8 <= W && o[x >> 3] == 0) x += 8;
                else x++;
            }
            x += 2;
        };
        const int fin = std::min(Largeur, W) - 1;
        int x = 1;
        while (x < fin) {
            if ((x & 7) == 0 && o[x >> 3] == 0xFF) {
                x += 8;
                // Then whole white words while the row has them.
                while (x < fin && (x >> 3) + 8 <= Plan1.octets && Mot_blanc(o + (x >> 3))) x += 64;
                continue;
            }
            if (!noir(x)) {
                x++;
                continue;
            }
            if (regle.Deja_suivi(x, y)) {
                saute_trait(x);
                continue;
            }
            if (!Lit_pixel(x - 1, y, Plan1) &&
                (Lit_pixel(x, y + 1, Plan1) || Lit_pixel(x + 1, y + 1, Plan1) || Lit_pixel(x + 1, y, Plan1) ||
                 Lit_pixel(x + 1, y - 1, Plan1))) {
                const Issue issue = regle.Depart(x, y);
                if (issue == Issue::Arret) return false;
                if (issue == Issue::Comme_suivi) {
                    saute_trait(x);
                    continue;
                }
            } else {
                regle.Libre(x, y);
            }
            x++;
        }
    }
    return true;
}

// The scan as it reads: marks in Plan2, every start followed in turn.
struct Regle_directe {
    Suivi& s;
    int pas_precedent = -1;  // no contour yet: nothing to report, even with a limit of 0
    void Rangee() { Progression_pas(); }
    bool Deja_suivi(int x, int y) const { return Lit_pixel(x, y, Plan2) != 0; }
    Issue Depart(int x, int y)
    {
        if (pas_precedent >= s.limite && Mode_trace == 1) Message_erreur("Erreur(1)");
        return Trace_contour(s, x, y, pas_precedent) ? Issue::Suit : Issue::Arret;
    }
    void Libre(int, int) {}
};

// The rows from `ym` down scanned by a helper thread while the calling one
// scans the rows above, as if those had left no mark there: the helper's
// records are kept apart, its contours' marks go to Plan2's rows from ym - 1
// down (the calling thread's own marks there are kept aside meanwhile). A
// contour that reaches a scanned row above `ym` is taken for one the rows
// above follow (one reaching only the row just above is never seen there):
// it is marked apart, and the scan goes on as if it had been followed.
// Whether that guess held for every pixel the scan looked at is checked once
// the rows above are done (Verifie): then the helper's lists follow the
// calling thread's, with the same records as when the scan reads on
// (Rattache); otherwise its rows are scanned again by the calling thread.
class Suivi_dessous {
public:
    Suivi_dessous(int ym, double eps, int limite) : ym_(ym)
    {
        s_.eps = eps;
        s_.limite = limite;
        s_.a_part = &a_part_;
        s_.queue_v = &avant_;
        s_.queue_cc = &tete_cc_;
    }
    Suivi_dessous(const Suivi_dessous&) = delete;
    Suivi_dessous& operator=(const Suivi_dessous&) = delete;

    // On the helper thread.
    void Travaille()
    {
        try {
            reussi_ = Balaye(ym_, Hauteur - 1, *this);
            // Its vectors keep their ends from now on.
            for (Vecteur* v = avant_.suivant; v; v = v->suivant) v->angle = Angle_vecteur(v->xi, v->yi, v->xf, v->yf);
        } catch (...) {
            reussi_ = false;  // the rows are scanned again
        }
        fini_.store(true, std::memory_order_release);
    }
    // Waits for the helper's end by polling for a while (both halves take
    // about as long), then lets the caller join it.
    void Attend_fin() const
    {
        const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
        while (!fini_.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < limite)
            std::this_thread::yield();
    }

    // The scan's rule.
    void Rangee() { rangees_++; }
    bool Deja_suivi(int x, int y)
    {
        if (Lit_pixel(x, y, Plan2)) return true;
        if (!a_eux_.Lu(x, y)) return false;
        marques_eux_.emplace_back(x, y);
        return true;
    }
    void Libre(int x, int y) { libres_.emplace_back(x, y); }
    Issue Depart(int x, int y)
    {
        // Followed on its own after stand-ins, then kept or dropped.
        Vecteur avant;
        avant.xf = avant.yf = kRien;
        CC tete;
        Vecteur* const queue_v = s_.queue_v;
        CC* const queue_cc = s_.queue_cc;
        s_.queue_v = &avant;
        s_.queue_cc = &tete;
        a_part_.pixels.clear();
        int pas = 0;
        const bool ok = Trace_contour(s_, x, y, pas);
        Vecteur* vecteurs = avant.suivant;
        CC* composantes = tete.suivant;
        if (!ok || s_.ymin < ym_ - 1) {
            Rend(vecteurs, a_part_.vecteurs);
            Rend(composantes, a_part_.composantes);
            s_.queue_v = queue_v;
            s_.queue_cc = queue_cc;
            if (!ok || !a_eux_.Prepare(ym_ - 1)) return Issue::Arret;
            for (const auto& [px, py] : a_part_.pixels)
                if (py >= ym_ - 1) a_eux_.Ecrit(px, py);
            departs_eux_.emplace_back(x, y);
            return Issue::Comme_suivi;
        }
        for (const auto& [px, py] : a_part_.pixels) Ecrit_pixel(px, py, 1, Plan2);
        libres_.emplace_back(x, y);
        // A contour lengthens the vector before it only when the step
        // limit is below 2 (a picture of fewer than 28 pixels): not kept.
        if (avant.xf != kRien || avant.yf != kRien) douteux_ = true;
        if (vecteurs) queue_v->suivant = vecteurs;
        else s_.queue_v = queue_v;
        if (composantes) queue_cc->suivant = composantes;
        else s_.queue_cc = queue_cc;
        return Issue::Suit;
    }

    // Whether every pixel the scan looked at was followed or not as it
    // would have been had the rows above been scanned first, whose marks
    // from ym - 1 down are in `dessus`.
    bool Verifie(const Marques_dessous& dessus) const
    {
        if (!reussi_ || douteux_) return false;
        for (const auto& [x, y] : libres_)
            if (dessus.plan.Lu(x, y)) return false;
        for (const auto* liste : {&marques_eux_, &departs_eux_})
            for (const auto& [x, y] : *liste)
                if (!dessus.plan.Lu(x, y)) return false;
        return true;
    }

    // Its lists after the calling thread's (`s`), and the progress of its
    // rows.
    void Rattache(Suivi& s)
    {
        if (avant_.suivant) {
            (s.queue_v ? s.queue_v->suivant : Liste_vecteurs) = avant_.suivant;
            s.queue_v = s_.queue_v;
            avant_.suivant = nullptr;
        }
        if (tete_cc_.suivant) {
            (s.queue_cc ? s.queue_cc->suivant : Liste_CC) = tete_cc_.suivant;
            s.queue_cc = s_.queue_cc;
            tete_cc_.suivant = nullptr;
        }
        Verse();
        for (int r = 0; r < rangees_; r++) Progression_pas();
    }

    // Its records back to the pools, and its marks out of Plan2 (whose
    // rows from ym - 1 down had none before).
    void Abandonne()
    {
        Rend(avant_.suivant, a_part_.vecteurs);
        Rend(tete_cc_.suivant, a_part_.composantes);
        Verse();
        std::memset(Ligne_plan(Plan2, Plan1.haut - 1), 0xFF,
                    static_cast<size_t>(Plan1.haut - ym_ + 1) * static_cast<size_t>(Plan1.octets));
    }

private:
    static constexpr int kRien = INT32_MIN;  // no coordinate is

    template <class T>
    static void Rend(T*& liste, Lot_de<T>& lot)
    {
        while (T* r = liste) {
            liste = r->suivant;
            r->~T();
            lot.Rend(r);
        }
    }
    void Verse()
    {
        a_part_.vecteurs.Verse();
        a_part_.composantes.Verse();
    }

    int ym_;
    Suivi s_;
    Vecteur avant_;  // stands before the first vector
    CC tete_cc_;
    A_part a_part_;
    Marques a_eux_;  // marks of the contours it takes for the rows above's
    // Pixels looked at: not followed, followed by a contour from above, and
    // the starts of such contours.
    std::vector<std::pair<int, int>> libres_, marques_eux_, departs_eux_;
    int rangees_ = 0;
    bool reussi_ = false, douteux_ = false;
    std::atomic<bool> fini_{false};
};

void Angles_vecteurs()
{
    for (Vecteur* v = Liste_vecteurs; v; v = v->suivant) v->angle = Angle_vecteur(v->xi, v->yi, v->xf, v->yf);
}

// The odd row where the helper's scan starts, or 0 to scan on one thread:
// a large picture, threads allowed, no step-by-step display, and Plan2
// without a mark from the row above it down (as the vectorisation leaves it).
int Rangee_de_partage()
{
    const int H = std::min(Hauteur, Plan1.haut);
    if (Mode_trace != 0 || H < 64 || !Plan1.existe() || Plan2.larg != Plan1.larg || Plan2.haut != Plan1.haut ||
        Plan2.octets != Plan1.octets || Plan2.pixels.size() != Plan1.pixels.size())
        return 0;
    if (Nombre_fils_bandes(H, (Plan1.octets + 7) / 8) < 2) return 0;
    // The helper's share a little smaller: it keeps its contours apart.
    const int ym = static_cast<int>(static_cast<int64_t>(H) * 53 / 100) | 1;
    const uint8_t* o = Ligne_plan(Plan2, Plan1.haut - 1);
    const uint8_t* const fin = Ligne_plan(Plan2, ym - 1) + Plan2.octets;
    for (; o + 8 <= fin; o += 8)
        if (!Mot_blanc(o)) return 0;
    for (; o < fin; o++)
        if (*o != 0xFF) return 0;
    return ym;
}

}  // namespace

int Contours_partages = 0;

void Suivi_contours()
{
    if (Liste_vecteurs) return;
    Suivi s;
    s.limite = static_cast<int>((static_cast<int64_t>(Largeur) * Hauteur) / 14);
    s.eps = Lit_param("EpsV");
    s.queue_cc = Dernier(Liste_CC);

    Progression_init(1, Hauteur / 2 - 1);
    Regle_directe directe{s};
    const int ym = Rangee_de_partage();
    std::optional<Suivi_dessous> dessous;
    Marques_dessous dessus;
    std::thread aide;
    if (ym > 0) {
        try {
            dessus.bas = ym - 1;
            dessus.y_max = ym - 2;  // none yet
            if (!dessus.plan.Prepare(ym - 1)) throw std::bad_alloc();
            dessous.emplace(ym, s.eps, s.limite);
            aide = Fil_aide([&dessous] { dessous->Travaille(); });
        } catch (const std::exception&) {
            dessous.reset();  // on this thread alone
        }
    }
    if (!aide.joinable()) {
        Balaye(1, Hauteur - 1, directe);
    } else {
        s.dessous = &dessus;
        const bool suite = Balaye(1, ym, directe);
        s.dessous = nullptr;
        // The vectors of the rows above are final if the helper's rows are
        // kept (the helper's have their angles); meanwhile it ends.
        Angles_vecteurs();
        dessous->Attend_fin();
        aide.join();
        const bool garde = suite && dessous->Verifie(dessus);
        if (garde) dessous->Rattache(s);
        else dessous->Abandonne();
        dessus.Verse();  // the marks kept aside
        if (garde) {
            Contours_partages++;
            return;
        }
        if (suite) Balaye(ym, Hauteur - 1, directe);
    }
    Angles_vecteurs();
}

