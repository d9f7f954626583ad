#pragma once
// The scratch folder of a fuzz target whose code under test reads files:
// the input is written to a file in it, and the folder is removed at exit.
// The name lives in a plain array, which outlasts the exit handlers.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace fuzz_scratch {

inline char folder[] = "/tmp/tamberly-demux-fuzz-XXXXXX";
inline constexpr const char* kFileNames[] = {"input", "output.wav", "report"};

inline std::string File(const char* name) { return std::string(folder) + "/" + name; }

inline void RemoveFolder() {
    for (const char* name : kFileNames) std::remove(File(name).c_str());
    ::rmdir(folder);
}

inline bool MakeFolder() {
    static const bool made = [] {
        if (::mkdtemp(folder) == nullptr) return false;
        std::atexit(RemoveFolder);
        return true;
    }();
    return made;
}

// The scratch folder's "input" file with the bytes; false when it cannot be
// written.
inline bool WriteInput(const std::uint8_t* data, std::size_t size) {
    if (!MakeFolder()) return false;
    FILE* file = std::fopen(File("input").c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace fuzz_scratch
