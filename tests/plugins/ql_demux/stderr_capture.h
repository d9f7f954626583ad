#pragma once
// Collects what the process writes to standard error while it lives. A
// plugin loaded as a shared library has its own copy of the debug-line
// writer, which a test cannot hook; with TAMBERLY_DEBUG set that writer
// sends every line to standard error, where this capture reads it.

#include <string>
#include <string_view>
#include <vector>

namespace ql_demux_test {

// Sets TAMBERLY_DEBUG; must run before a plugin writes its first line.
void SendDebugLinesToStderr();

class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // The lines written so far, without their line ends.
    [[nodiscard]] std::vector<std::string> Lines();
    // True when a line equals text less its trailing "\n".
    [[nodiscard]] bool Contains(std::string_view text);

private:
    int saved_ = -1;
    int file_ = -1;
};

}  // namespace ql_demux_test
