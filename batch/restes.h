// What a batch killed outright (SIGKILL, a power cut) left behind: the
// temporary files of the results it was writing (".NAME.PID.tmp" beside
// each file) and its workers' directory under $TMPDIR. A later batch removes
// those whose process is gone and that belong to this user.
#pragma once
#include <string>
#include <vector>

// For each result file named (a path), the ".NAME.PID.tmp" beside it whose
// process no longer exists; returns the paths removed.
std::vector<std::string> Supprime_restes(const std::vector<std::string>& fichiers);
// The directories "tracemorph-batch-PID-XXXXXX" of `tmp` whose process no
// longer exists; returns the paths removed.
std::vector<std::string> Supprime_repertoires_ouvriers(const std::string& tmp);
// One line on stderr naming what was removed (nothing when nothing was).
void Signale_restes(const std::vector<std::string>& supprimes);
