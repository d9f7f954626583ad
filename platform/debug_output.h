#pragma once
// The debugger output channel. Every component reports its failures as one
// line through here. On Windows the line goes to the debugger; elsewhere it
// goes to standard error when TAMBERLY_DEBUG is set. Tests install a capture
// hook to see the exact lines.
//
// The platform library is linked statically, so each program and shared
// library carries its own writer and its own hook.

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Writes one debug line exactly as given (no newline is added to the text the
// hook sees). Safe to call from any thread.
void OutputDebugLine(std::string_view line);

// C-string form, as the libraries' 8-bit writer takes it. A null pointer is
// ignored.
void OutputDebugLineA(const char* line);

// printf-formatted form of the 8-bit writer, for messages that carry values;
// a line longer than 2,047 characters is cut.
#if defined(__GNUC__)
void OutputDebugLineF(const char* format, ...) __attribute__((format(printf, 1, 2)));
#else
void OutputDebugLineF(const char* format, ...);
#endif

using DebugLineHook = std::function<void(std::string_view)>;

// Installs (or, with an empty function, removes) the hook that receives every
// line. Returns the hook it replaces.
DebugLineHook SetDebugLineHook(DebugLineHook hook);

// Collects the lines written while it lives; restores the previous hook when
// it goes. Thread-safe.
class DebugLineCapture {
public:
    DebugLineCapture();
    ~DebugLineCapture();
    DebugLineCapture(const DebugLineCapture&) = delete;
    DebugLineCapture& operator=(const DebugLineCapture&) = delete;

    [[nodiscard]] std::vector<std::string> Lines() const;
    [[nodiscard]] bool Contains(std::string_view line) const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    DebugLineHook previous_;
};

}  // namespace platform
