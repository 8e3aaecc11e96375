// Preloaded into a program under test: open() of a path ending with
// $TM_ECHEC_OUVERTURE (holding it, when the variable starts with '~') fails
// with ENOSPC, as on a full disk. Calls made
// inside the C library (fopen) are not affected.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

bool Doit_echouer(const char* chemin)
{
    const char* fin = std::getenv("TM_ECHEC_OUVERTURE");
    if (!fin || !*fin || !chemin) return false;
    // "~TEXT": any path holding TEXT (a temporary name holds a process id).
    if (fin[0] == '~') return std::strstr(chemin, fin + 1) != nullptr;
    const size_t n = std::strlen(chemin), m = std::strlen(fin);
    return n >= m && std::strcmp(chemin + n - m, fin) == 0;
}

using Open = int (*)(const char*, int, ...);

int Ouvre(const char* symbole, const char* chemin, int drapeaux, mode_t mode)
{
    if (Doit_echouer(chemin)) {
        errno = ENOSPC;
        return -1;
    }
    static Open suivant = nullptr;
    if (!suivant) suivant = reinterpret_cast<Open>(::dlsym(RTLD_NEXT, symbole));
    return suivant(chemin, drapeaux, mode);
}

mode_t Mode(int drapeaux, va_list args)
{
    return (drapeaux & (O_CREAT | O_TMPFILE)) ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" int open(const char* chemin, int drapeaux, ...)
{
    va_list args;
    va_start(args, drapeaux);
    const mode_t mode = Mode(drapeaux, args);
    va_end(args);
    return Ouvre("open", chemin, drapeaux, mode);
}

extern "C" int open64(const char* chemin, int drapeaux, ...)
{
    va_list args;
    va_start(args, drapeaux);
    const mode_t mode = Mode(drapeaux, args);
    va_end(args);
    return Ouvre("open64", chemin, drapeaux, mode);
}
