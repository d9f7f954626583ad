#include "platform/dynamic_library.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#endif

namespace platform {

std::string SharedLibraryFileName(std::string_view baseName) {
    std::string name(baseName);
    name += kSharedLibrarySuffix;
    return name;
}

void SetQuietErrorMode() {
#ifdef _WIN32
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
#endif
}

#ifdef _WIN32
ScopedQuietErrorMode::ScopedQuietErrorMode()
    : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
ScopedQuietErrorMode::~ScopedQuietErrorMode() { SetErrorMode(previous_); }
#else
ScopedQuietErrorMode::ScopedQuietErrorMode() = default;
ScopedQuietErrorMode::~ScopedQuietErrorMode() = default;
#endif

DynamicLibrary::~DynamicLibrary() { Unload(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), lastError_(std::move(other.lastError_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
        lastError_ = std::move(other.lastError_);
    }
    return *this;
}

bool DynamicLibrary::Load(const std::string& path) {
    Unload();
#ifdef _WIN32
    handle_ = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    if (handle_ == nullptr) lastError_ = "LoadLibrary failed";
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* error = dlerror();
        lastError_ = error != nullptr ? error : "dlopen failed";
    }
#endif
    return handle_ != nullptr;
}

void DynamicLibrary::Unload() {
    if (handle_ == nullptr) return;
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) return nullptr;
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

std::string ProgramFolder() {
#ifdef _WIN32
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return {};
    std::string folder(path, length);
#else
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return {};
    std::string folder(path, static_cast<std::size_t>(length));
#endif
    const auto slash = folder.find_last_of("/\\");
    if (slash == std::string::npos) return {};
    folder.resize(slash + 1);
    return folder;
}

}  // namespace platform
