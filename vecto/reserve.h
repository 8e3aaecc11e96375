// Pools for the primitive and arc records. A drawing makes tens of thousands
// of small records and the fusions free most of them again; taking them from
// large blocks with a free list per record type costs a pointer swap per
// record instead of a trip through malloc, and keeps a list's records close
// together in memory. The lists stay plain singly linked lists: the records
// declare TM_RESERVE(Type), so every `new`, `new (std::nothrow)` and `delete`
// of the code goes through the pool unchanged.
//
// Notes:
//  - Freed records go back to their pool for the next image; the blocks are
//    kept for the life of the process (memory stays at the largest image's
//    need, it does not grow from image to image).
//  - One thread at a time, as is all the analysis state; another thread
//    makes its records from a lot of its own (Lot_de) poured into the pool
//    afterwards.
//  - The sanitizer build leaves the records to the global operators, so that
//    a use after free or a leak of a record is still caught.
#pragma once
#include <cstddef>
#include <cstdlib>
#include <new>

template <class T>
class Reserve {
public:
    static void* Prend() noexcept { return Prend_dans(libre_, blocs_); }
    static void* Prend_ou_echoue()
    {
        void* p = Prend();
        if (!p) throw std::bad_alloc();
        return p;
    }
    static void Rend(void* p) noexcept
    {
        if (p) Rend_dans(libre_, p);
    }

private:
    union Case {
        Case* suivante;
        alignas(T) unsigned char octets[sizeof(T)];
    };
    // Blocks of about 64 KiB, linked through their first case so they stay
    // reachable (and are not taken for leaks by a checker).
    static constexpr size_t kParBloc = (65536 / sizeof(Case)) > 2 ? 65536 / sizeof(Case) : 2;

    // A free list and its blocks, the pool's or a lot's.
    static void* Prend_dans(Case*& libre, Case*& blocs) noexcept
    {
        if (!libre && !Nouveau_bloc(libre, blocs)) return nullptr;
        Case* c = libre;
        libre = c->suivante;
        return c;
    }
    static void Rend_dans(Case*& libre, void* p) noexcept
    {
        Case* c = static_cast<Case*>(p);
        c->suivante = libre;
        libre = c;
    }
    static bool Nouveau_bloc(Case*& libre, Case*& blocs) noexcept
    {
        Case* bloc = static_cast<Case*>(std::malloc(kParBloc * sizeof(Case)));
        if (!bloc) return false;
        bloc[0].suivante = blocs;
        blocs = bloc;
        // Handed out in address order: the free list runs forward.
        for (size_t i = kParBloc - 1; i >= 1; i--) {
            bloc[i].suivante = libre;
            libre = &bloc[i];
        }
        return true;
    }

    static inline Case* libre_ = nullptr;
    static inline Case* blocs_ = nullptr;

public:
    // Cases for another thread while the pool serves its own: taken from
    // blocks of the lot's, which join the pool with the cases still free
    // when the pool's thread pours the lot in (Verse); records made from
    // them are then the pool's like any other.
    class Lot {
    public:
        Lot() = default;
        Lot(const Lot&) = delete;
        Lot& operator=(const Lot&) = delete;
        ~Lot() { Verse(); }
        void* Prend() noexcept { return Prend_dans(libre_lot_, blocs_lot_); }
        void Rend(void* p) noexcept { Rend_dans(libre_lot_, p); }
        // On the pool's thread, once the other thread is done with the lot.
        void Verse() noexcept
        {
            while (Case* b = blocs_lot_) {
                blocs_lot_ = b[0].suivante;
                b[0].suivante = blocs_;
                blocs_ = b;
            }
            while (Case* c = libre_lot_) {
                libre_lot_ = c->suivante;
                Rend_dans(libre_, c);
            }
        }

    private:
        Case* libre_lot_ = nullptr;
        Case* blocs_lot_ = nullptr;
    };
};

// Records of type T made on a thread other than the pool's: see
// Reserve<T>::Lot (the global operators in the sanitizer build).
#ifdef TRACEMORPH_SANS_RESERVE
template <class T>
class Lot_de {
public:
    void* Prend() noexcept { return ::operator new(sizeof(T), std::nothrow); }
    void Rend(void* p) noexcept { ::operator delete(p); }
    void Verse() noexcept {}
};
#else
template <class T>
using Lot_de = typename Reserve<T>::Lot;
#endif

#ifdef TRACEMORPH_SANS_RESERVE
#define TM_RESERVE(T)
#else
#define TM_RESERVE(T)                                                                                           \
    static void* operator new(std::size_t) { return Reserve<T>::Prend_ou_echoue(); }                           \
    static void* operator new(std::size_t, const std::nothrow_t&) noexcept { return Reserve<T>::Prend(); }     \
    static void operator delete(void* p) noexcept { Reserve<T>::Rend(p); }
#endif
