#include "tests/plugins/ql_demux/stderr_capture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <sys/mman.h>
#include <unistd.h>

namespace ql_demux_test {

void SendDebugLinesToStderr() { ::setenv("TAMBERLY_DEBUG", "1", 1); }

StderrCapture::StderrCapture() {
    // An anonymous file in memory: nothing is written to any folder.
    file_ = ::memfd_create("tamberly-stderr", 0);
    if (file_ < 0) throw std::runtime_error("cannot create the capture file");
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    ::dup2(file_, STDERR_FILENO);
}

StderrCapture::~StderrCapture() {
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    ::close(file_);
}

std::vector<std::string> StderrCapture::Lines() {
    std::fflush(stderr);
    std::string text;
    char buffer[4096];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(file_, buffer, sizeof buffer, offset);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool StderrCapture::Contains(std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    const auto lines = Lines();
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

}  // namespace ql_demux_test
