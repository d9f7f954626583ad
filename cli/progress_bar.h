#pragma once
// A progress bar on standard error for long work: drawn only when standard
// error is a terminal and the work has run for a moment, redrawn at most a
// few times a second, and wiped when the work ends.

#include <chrono>
#include <cstdint>
#include <string>

namespace cli {

class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // done of total bytes; a total of 0 shows the count alone (the end is
    // not known in advance).
    void Update(std::uint64_t done, std::uint64_t total);
    // Wipes the bar (before other output goes to standard error).
    void Clear();

private:
    std::string label_;
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

}  // namespace cli
