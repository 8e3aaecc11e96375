// A batch spread over worker processes, and the worker's side of it.
#pragma once
#include <string>
#include <vector>

#include "port/frontends.h"

// The hidden option that starts a worker: WORKER_OPTION DIRECTORY.
inline constexpr const char* kOptionOuvrier = "--batch-worker";

// The batch of the "&Batch Processing" command over `images` in `jobs`
// worker processes; FINAL_RESULTS.GRE and every per-image file come out
// byte for byte as from the run in this process. Returns the process exit
// status: 0 when every image loaded and all its files were written, 1 when
// one failed. Without `journal`, the workers' logs are not relayed to
// standard output (a quiet run); their messages still reach stderr.
int Lot_parallele(const std::vector<std::string>& images, int jobs, bool journal = true);

// A worker of Lot_parallele, with `repertoire` as its working directory.
// Reads requests from stdin, each three NUL-ended texts: the file for its
// log, the file for its messages, the image (a path as the user gave it,
// resolved from the current directory). Analyses the image, writes its .dat,
// .gxl and .xml, then answers on descriptor 3 with a line holding 0 (loaded
// and all three files written), 1 (failed, or analysed with a param.dat key
// that could not be read), 3 (could not work in `repertoire`) or "4 ERRNO"
// (its log files could not be opened: the image is not analysed). The
// programs it starts inherit neither the request nor the answer pipe.
// Returns 0 at the end of the requests.
int Ouvrier_lot(const std::string& repertoire, FrontendConsole& console);
