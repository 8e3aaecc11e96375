// Batch processing without a window: `--batch [--jobs N] [--resume]
// [--json FILE] IMAGE...`, `--gather [--json FILE] IMAGE...`, and the hidden
// worker a parallel batch starts.
#pragma once

struct Options;

// --batch or --gather, with Rep_travail the current directory. Returns the
// process exit status: 0 when every image loaded and all its files were
// written, 1 when one failed. Ends with the summary line on stderr
// ("N images (F failed), S symbols -> FINAL_RESULTS.GRE").
int Main_lot_ligne_commande(const Options& o);
// The worker: argv[1] the worker option, argv[2] its directory.
int Main_ouvrier(int argc, char** argv);
