// Batch processing without a window: `--batch [--jobs N] IMAGE...`,
// `--gather IMAGE...`, and the hidden worker a parallel batch starts.
#pragma once
#include <string>
#include <vector>

// The hidden option that starts a worker: WORKER_OPTION DIRECTORY IMAGE.
inline constexpr const char* kOptionOuvrier = "--batch-worker";

// Entry for argv[1] being "--batch", "--gather" or the worker option, with
// Rep_travail the current directory. Returns the process exit status: 0 when
// every image loaded and all its files were written, 1 when one failed,
// 2 for a usage error (a usage line on stderr).
int Main_lot_ligne_commande(int argc, char** argv);

// The batch of the "&Batch Processing" command over `images` in `jobs`
// worker processes; FINAL_RESULTS.GRE and every per-image file come out
// byte for byte as from the run in this process. Same return value.
int Lot_parallele(const std::vector<std::string>& images, int jobs);

// One worker: analyses `image` (a path as the user gave it, resolved from
// the current directory) with `repertoire` as its working directory, and
// writes the image's .dat, .gxl and .xml. 0 when it loaded and all three
// files were written.
int Ouvrier_lot(const std::string& repertoire, const std::string& image);
