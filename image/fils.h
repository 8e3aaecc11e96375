// Threads the analysis stages may use.
#pragma once

// 0 chooses from the processors allowed and $TRACEMORPH_THREADS; 1 keeps
// every stage on the calling thread (a batch worker, which shares the
// machine with the others); more forces that many.
extern int Fils_analyse;

// Fils_analyse when set; otherwise the processors this process may run on,
// at most $TRACEMORPH_THREADS (1: the calling thread only), 4 by default.
int Fils_permis();
