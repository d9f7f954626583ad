#include "cli/progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace cli {

namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(500);  // short work shows no bar
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

std::string MiB(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / 1048576.0);
    return text;
}

}  // namespace

ProgressBar::ProgressBar(std::string label)
    : label_(std::move(label)), enabled_(::isatty(STDERR_FILENO) == 1), started_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() { Clear(); }

void ProgressBar::Update(std::uint64_t done, std::uint64_t total) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - started_ < kQuietStart || (drawn_ && now - lastDrawn_ < kRedrawInterval)) return;
    lastDrawn_ = now;
    std::string line = "\r" + label_ + " ";
    if (total > 0) {
        const double fraction = done >= total ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
        const int filled = static_cast<int>(fraction * kBarWidth);
        line += "[" + std::string(static_cast<std::size_t>(filled), '#') +
                std::string(static_cast<std::size_t>(kBarWidth - filled), '-') + "] ";
        char percent[16];
        std::snprintf(percent, sizeof percent, "%3d%% ", static_cast<int>(fraction * 100));
        line += percent + MiB(done) + " of " + MiB(total);
    } else {
        line += MiB(done);
    }
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::Clear() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

}  // namespace cli
