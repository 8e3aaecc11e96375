#include "batch/restes.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A process that no longer exists. A live one, or one this user may not
// signal, may still be writing: its files are left alone.
bool Mort(long pid)
{
    if (pid <= 0 || pid > 0x3fffffff) return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// The digits of `s` from `debut` to `fin`, or -1.
long Nombre(const std::string& s, size_t debut, size_t fin)
{
    if (fin <= debut || fin - debut > 9) return -1;
    long n = 0;
    for (size_t i = debut; i < fin; i++) {
        if (s[i] < '0' || s[i] > '9') return -1;
        n = n * 10 + (s[i] - '0');
    }
    return n;
}

bool A_moi(const fs::path& p)
{
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0 && st.st_uid == ::geteuid();
}

}  // namespace

std::vector<std::string> Supprime_restes(const std::vector<std::string>& fichiers)
{
    // The names to look for, by directory: each directory is read once.
    std::map<std::string, std::set<std::string>> par_dossier;
    for (const std::string& f : fichiers) {
        const auto barre = f.find_last_of('/');
        par_dossier[barre == std::string::npos ? "." : f.substr(0, barre == 0 ? 1 : barre)].insert(
            f.substr(barre == std::string::npos ? 0 : barre + 1));
    }
    std::vector<std::string> supprimes;
    for (const auto& [dossier, noms] : par_dossier) {
        std::error_code ec;
        fs::directory_iterator it(dossier, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            // ".NAME.PID.tmp", as the result writer names its temporary files.
            const std::string n = it->path().filename().string();
            if (n.size() < 7 || n[0] != '.' || n.compare(n.size() - 4, 4, ".tmp") != 0) continue;
            const auto point = n.find_last_of('.', n.size() - 5);
            if (point == std::string::npos || point < 2 || !noms.count(n.substr(1, point - 1))) continue;
            if (!Mort(Nombre(n, point + 1, n.size() - 4)) || !A_moi(it->path()) || !it->is_regular_file(ec)) continue;
            if (::unlink(it->path().c_str()) == 0) supprimes.push_back(it->path().string());
        }
    }
    return supprimes;
}

std::vector<std::string> Supprime_repertoires_ouvriers(const std::string& tmp)
{
    std::vector<std::string> supprimes;
    const std::string prefixe = "tracemorph-batch-";
    std::error_code ec;
    fs::directory_iterator it(tmp, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        // "tracemorph-batch-PID-XXXXXX", made by Lot_parallele.
        const std::string n = it->path().filename().string();
        if (n.compare(0, prefixe.size(), prefixe) != 0) continue;
        const auto tiret = n.find('-', prefixe.size());
        if (tiret == std::string::npos || !Mort(Nombre(n, prefixe.size(), tiret))) continue;
        std::error_code e;
        if (!A_moi(it->path()) || !it->is_directory(e) || it->is_symlink(e)) continue;
        fs::remove_all(it->path(), e);
        if (!e) supprimes.push_back(it->path().string());
    }
    return supprimes;
}

void Signale_restes(const std::vector<std::string>& supprimes)
{
    if (supprimes.empty()) return;
    std::string liste;
    for (size_t i = 0; i < supprimes.size() && i < 3; i++) liste += (i ? ", " : "") + supprimes[i];
    if (supprimes.size() > 3) liste += ", ...";
    std::fprintf(stderr, "tracemorph: removed %zu %s of earlier runs that were killed: %s\n", supprimes.size(),
                 supprimes.size() == 1 ? "leftover" : "leftovers", liste.c_str());
}
