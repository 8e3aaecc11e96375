#include "port/installation.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "port/shell.h"

namespace fs = std::filesystem;

std::string Rep_programme()
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    const std::string exe(buf, static_cast<size_t>(n));
    const auto p = exe.find_last_of('/');
    return p == std::string::npos ? std::string() : exe.substr(0, p);
}

namespace {

// The source tree of a program run from its build tree: the build tree's
// CMakeCache.txt names it. Empty elsewhere.
std::string Sources_du_build(const std::string& rep)
{
    std::FILE* f = std::fopen((rep + "/CMakeCache.txt").c_str(), "rbe");
    if (!f) return {};
    const std::string cle = "CMAKE_HOME_DIRECTORY:INTERNAL=";
    std::string source;
    char ligne[4096];
    while (source.empty() && std::fgets(ligne, sizeof ligne, f)) {
        std::string l(ligne);
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.pop_back();
        if (l.compare(0, cle.size(), cle) == 0) source = l.substr(cle.size());
    }
    std::fclose(f);
    return source;
}

}  // namespace

std::string Param_defaut_installe()
{
    const std::string rep = Rep_programme();
    if (rep.empty()) return {};
    std::error_code ec;
    std::string chemin = rep + "/../../share/tracemorph/param.dat";
    if (!fs::is_regular_file(chemin, ec)) {
        const std::string source = Sources_du_build(rep);
        chemin = source.empty() ? std::string() : source + "/param.dat";
        if (chemin.empty() || !fs::is_regular_file(chemin, ec)) return {};
    }
    // Shown to the user: without the "lib/tracemorph/../../" detour.
    return fs::weakly_canonical(chemin, ec).string();
}

bool Fournit_param_defaut()
{
    const std::string cible = Rep_travail + "/param.dat";
    std::error_code ec;
    if (fs::exists(fs::symlink_status(cible, ec))) return false;
    // The repository's wrapper names the source tree's default.
    const char* wrapper = std::getenv("TRACEMORPH_DEFAULT_PARAM");
    const std::string source = wrapper && *wrapper && fs::is_regular_file(wrapper, ec) ? std::string(wrapper)
                                                                                        : Param_defaut_installe();
    if (source.empty()) return false;
    if (!fs::copy_file(source, cible, ec)) return false;
    std::fprintf(stderr, "tracemorph: no param.dat here, copied the default one from %s\n",
                 fs::path(source).parent_path().c_str());
    return true;
}
