#pragma once
// An output file of the sinks: C stdio with 64-bit positions and no stdio
// buffering of its own, so that a full disk shows at the write that hit it
// (the sinks buffer for themselves).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace sinks {

class OutputFile {
public:
    enum class Mode {
        Create,  // created or truncated, for writing
        Update,  // an existing file, for reading and writing
    };

    OutputFile() = default;
    ~OutputFile() { (void)Close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Closes any file open before. False when the file cannot be opened,
    // also when its name is a symbolic link (never followed).
    bool Open(const std::string& path, Mode mode);
    [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }

    // Writes all bytes; returns how many were written (less on failure).
    std::size_t Write(const void* data, std::size_t size);
    // Reads exactly size bytes; false on a short read.
    bool ReadExactly(void* data, std::size_t size);
    bool Seek(std::int64_t position);
    // Hands stdio's pending bytes to the system; false on failure.
    bool Flush();
    // False when the file was open and closing it failed.
    bool Close();

private:
    std::FILE* file_ = nullptr;
};

}  // namespace sinks
