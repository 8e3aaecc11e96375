#include "port/frontends.h"

#include <unistd.h>

#include <cstdio>

void FrontendConsole::log_changed(bool cleared, std::string_view piece)
{
    // A cleared log starts afresh: on a console that is a new line.
    if (cleared && ligne_ouverte_) {
        std::fputc('\n', stdout);
        ligne_ouverte_ = false;
    }
    if (piece.empty() || silencieux_) return;
    // Skip a leading line break when the console is already at a line start,
    // so a cleared log followed by a new-line write gives no empty line.
    if (!ligne_ouverte_ && piece.front() == '\n') piece.remove_prefix(1);
    std::fwrite(piece.data(), 1, piece.size(), stdout);
    if (!piece.empty()) ligne_ouverte_ = piece.back() != '\n';
    std::fflush(stdout);
}

void FrontendConsole::flush()
{
    if (ligne_ouverte_) std::fputc('\n', stdout);
    ligne_ouverte_ = false;
    std::fflush(stdout);
}

void FrontendConsole::progress(int minimum, int maximum, int position, bool visible)
{
    // Asked once: a run reports progress thousands of times.
    static const bool terminal = isatty(STDERR_FILENO);
    if (!terminal) return;
    if (!visible) {
        if (derniere_pct_ >= 0) std::fputs("\r      \r", stderr);
        derniere_pct_ = -1;
        return;
    }
    const int etendue = maximum - minimum;
    const int pct = etendue > 0 ? static_cast<int>(100LL * (position - minimum) / etendue) : 0;
    if (pct == derniere_pct_) return;
    derniere_pct_ = pct;
    std::fprintf(stderr, "\r%3d %%", pct < 0 ? 0 : pct);
    std::fflush(stderr);
}

void FrontendConsole::message_box(std::string_view text, std::string_view caption)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
}

void FrontendConsole::load_failed(std::string_view path, std::string_view cause)
{
    if (cause.empty()) return;
    std::fflush(stdout);
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(path.size()), path.data(), static_cast<int>(cause.size()),
                 cause.data());
    std::fflush(stderr);
}

void FrontendLot::message_box(std::string_view text, std::string_view caption)
{
    if (image_.empty()) return FrontendConsole::message_box(text, caption);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %.*s: %.*s\n", image_.c_str(), static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
}

bool FrontendLot::choose_images(std::vector<std::string>& files)
{
    if (images_.empty()) return false;
    files = images_;
    return true;
}

void FrontendLot::batch_image_done(int done, int total, std::string_view image)
{
    image_.clear();
    if (!isatty(STDERR_FILENO)) return;
    // \r and the clearing spaces take the place of the percentage, if shown.
    std::fprintf(stderr, "\r      \r[%d/%d] %.*s\n", done, total, static_cast<int>(image.size()), image.data());
    std::fflush(stderr);
    derniere_pct_ = -1;
}
