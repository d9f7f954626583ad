#pragma once
// Run-time loading of shared libraries by file name, and the platform's
// shared-library suffix. A thin wrapper over dlopen/LoadLibrary.

#include <string>
#include <string_view>

namespace platform {

#ifdef _WIN32
inline constexpr std::string_view kSharedLibrarySuffix = ".dll";
#else
inline constexpr std::string_view kSharedLibrarySuffix = ".so";
#endif

// Base name plus the platform suffix: "demo_demux_mp2" -> "demo_demux_mp2.so".
[[nodiscard]] std::string SharedLibraryFileName(std::string_view baseName);

// Switches off the system's critical-error boxes while a library is probed;
// a no-op outside Windows.
void SetQuietErrorMode();

// The quiet error mode while the object lives; the earlier mode comes back
// when it goes.
class ScopedQuietErrorMode {
public:
    ScopedQuietErrorMode();
    ~ScopedQuietErrorMode();
    ScopedQuietErrorMode(const ScopedQuietErrorMode&) = delete;
    ScopedQuietErrorMode& operator=(const ScopedQuietErrorMode&) = delete;

private:
    [[maybe_unused]] unsigned previous_ = 0;  // used on Windows only
};

// Owns one loaded library; unloads it on destruction. Not thread-safe.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the library at this path; false (and nothing loaded) on failure.
    bool Load(const std::string& path);
    void Unload();
    [[nodiscard]] bool IsLoaded() const { return handle_ != nullptr; }

    // Address of an exported symbol, or nullptr.
    [[nodiscard]] void* Symbol(const char* name) const;

    // The loader's last error text, for diagnostics.
    [[nodiscard]] const std::string& LastError() const { return lastError_; }

private:
    void* handle_ = nullptr;
    std::string lastError_;
};

// Folder that holds the running program, with a trailing separator; empty if
// it cannot be told.
[[nodiscard]] std::string ProgramFolder();

}  // namespace platform
