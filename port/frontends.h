// Front ends without a window: the console one of command-line runs and the
// recording one of tests.
#pragma once
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "port/shell.h"

// Log text to stdout as it is written, message boxes to stderr as
// "caption: text" without waiting, progress on stderr only on a terminal.
// Saisie keeps the proposed value; a pause returns at once.
// A failed load adds the line "path: cause". Quiet, the log is dropped.
class FrontendConsole : public Frontend {
public:
    void log_changed(bool cleared, std::string_view piece) override;
    void progress(int minimum, int maximum, int position, bool visible) override;
    void message_box(std::string_view text, std::string_view caption) override;
    void load_failed(std::string_view path, std::string_view cause) override;
    void flush();  // ends the current stdout line, if any
    void set_quiet(bool quiet) { silencieux_ = quiet; }
protected:
    bool ligne_ouverte_ = false;
    bool silencieux_ = false;
    int derniere_pct_ = -1;  // the percentage shown on stderr, -1 none
};

// The console front end of a batch without a window: the file dialog
// answers with the given list (an empty list is a cancelled dialog), and on
// a terminal each finished image gets its progress line on stderr. Message
// boxes during an image name it: "IMAGE: caption: text".
class FrontendLot : public FrontendConsole {
public:
    explicit FrontendLot(std::vector<std::string> images) : images_(std::move(images)) {}
    bool choose_images(std::vector<std::string>& files) override;
    void batch_image_begin(std::string_view image) override { image_ = image; }
    void batch_image_done(int done, int total, std::string_view image) override;
    void message_box(std::string_view text, std::string_view caption) override;
private:
    std::vector<std::string> images_;
    std::string image_;  // the image being analysed, empty between images
};

// Records everything for tests; Saisie answers come from a queue
// (an empty optional answer stands for Cancel).
class FrontendEnregistreur : public Frontend {
public:
    struct Boite { std::string texte, titre; };
    std::vector<Boite> boites;
    int bips_courts = 0, bips_fin = 0, pauses = 0, evenements = 0;
    std::vector<std::pair<int, int>> affiche_p2;
    std::vector<std::string> invites;
    std::deque<std::pair<bool, std::string>> reponses;  // (ok, text)

    void message_box(std::string_view text, std::string_view caption) override
    { boites.push_back({std::string(text), std::string(caption)}); }
    void beep_short() override { bips_courts++; }
    void beep_end() override { bips_fin++; }
    void wait_pause() override { pauses++; Pause_flag = 0; }
    void process_events() override { evenements++; }
    void show_plane2(int x, int y) override { affiche_p2.emplace_back(x, y); }
    // Without a queued answer the proposal is accepted.
    bool input(std::string& buffer, std::string_view prompt) override
    {
        invites.emplace_back(prompt);
        if (reponses.empty()) return true;
        auto [ok, texte] = reponses.front();
        reponses.pop_front();
        if (ok) buffer = texte;
        return ok;
    }
};
