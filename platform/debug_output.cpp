#include "platform/debug_output.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {
namespace {

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

DebugLineHook& Hook() {
    static DebugLineHook hook;
    return hook;
}

void WriteToChannel(std::string_view line) {
#ifdef _WIN32
    std::string text(line);
    OutputDebugStringA(text.c_str());
#else
    static const bool enabled = std::getenv("TAMBERLY_DEBUG") != nullptr;
    if (!enabled) return;
    const bool hasNewline = !line.empty() && line.back() == '\n';
    std::fprintf(stderr, "%.*s%s", static_cast<int>(line.size()), line.data(), hasNewline ? "" : "\n");
#endif
}

}  // namespace

void OutputDebugLine(std::string_view line) {
    WriteToChannel(line);
    std::lock_guard lock(HookMutex());
    if (Hook()) Hook()(line);
}

void OutputDebugLineA(const char* line) {
    if (line != nullptr) OutputDebugLine(line);
}

void OutputDebugLineF(const char* format, ...) {
    if (format == nullptr) return;
    char line[2048];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    OutputDebugLine(line);
}

DebugLineHook SetDebugLineHook(DebugLineHook hook) {
    std::lock_guard lock(HookMutex());
    DebugLineHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

DebugLineCapture::DebugLineCapture() {
    previous_ = SetDebugLineHook([this](std::string_view line) {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    });
}

DebugLineCapture::~DebugLineCapture() { SetDebugLineHook(std::move(previous_)); }

std::vector<std::string> DebugLineCapture::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

bool DebugLineCapture::Contains(std::string_view line) const {
    std::lock_guard lock(mutex_);
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

void DebugLineCapture::Clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace platform
