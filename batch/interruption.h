// A batch stopped by SIGINT, SIGTERM or SIGHUP: the results file being
// written is abandoned (the previous one stays), and the user is told how
// many images were done and how to gather their results.
#pragma once
#include <csignal>

// The line written on stderr, as
// "tracemorph: batch interrupted after 3 of 10 images; FINAL_RESULTS.GRE is
// left as it was. The files of the images done are complete: tracemorph
// --gather with those images rebuilds it from them."
// Async-signal-safe.
void Message_interruption(int faites, int total);

// For the batch run in this process: while in force, the three signals
// end the outside programs running (Termine_programmes_en_cours), remove the
// result files being written (Supprime_resultats_en_cours), say
// Message_interruption with the count noted by Note_images_faites, and end
// the process by the same signal. A signal the caller ignores stays ignored.
class Garde_interruption {
public:
    explicit Garde_interruption(int total);
    ~Garde_interruption();
    Garde_interruption(const Garde_interruption&) = delete;
    Garde_interruption& operator=(const Garde_interruption&) = delete;
    static void Note_images_faites(int faites);

private:
    struct sigaction avant_[3];
};

// For a batch worker, the one-image run, a drawing, the model maker: the
// three signals end the outside programs running, remove the result files
// being written and end the process by the same signal.
void Protege_ecritures();
void Protege_ecritures_ouvrier();
