// Batch processing without a window: `--batch [--jobs N] IMAGE...`,
// `--gather IMAGE...`, and the hidden worker a parallel batch starts.
#pragma once

// Entry for argv[1] being "--batch", "--gather" or the worker option, with
// Rep_travail the current directory. Returns the process exit status: 0 when
// every image loaded and all its files were written, 1 when one failed,
// 2 for a usage error (a usage line on stderr).
int Main_lot_ligne_commande(int argc, char** argv);
