#pragma once
// A file opened with sharing for readers and writers, with 64-bit positions.
// The viewer holds its open file through one of these while the probes, the
// hex view and the hex editor open the same file again.

#include <cstdint>
#include <string>

namespace platform {

using FileOffset = std::int64_t;

class SharedFile {
public:
    enum class Access { Read, ReadWrite };

    SharedFile() = default;
    ~SharedFile();
    SharedFile(SharedFile&& other) noexcept;
    SharedFile& operator=(SharedFile&& other) noexcept;
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    // Opens an existing file; false when it cannot be opened (it never
    // creates one). Any file open before is closed first.
    bool Open(const std::string& path, Access access = Access::Read);
    void Close();
    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }

    // Size in bytes, or -1 when not open or unknown.
    [[nodiscard]] FileOffset Size() const;

    // Moves the position; false for a negative position or a closed file.
    // A position past the end is allowed (reads then deliver nothing).
    bool Seek(FileOffset position);
    [[nodiscard]] FileOffset Position() const { return position_; }

    // Reads up to count bytes at the position and advances it by what was
    // read. Returns the bytes read (0 at the end), or -1 on error.
    std::int64_t Read(void* buffer, std::int64_t count);

    // Sparse files: the first offset at or after position that is not in a
    // hole (a run never written, which reads as zeros), and the first that
    // is. Where the system cannot tell, both answer position itself for data
    // and the size for a hole, so every byte counts as written.
    [[nodiscard]] FileOffset DataFrom(FileOffset position) const;
    [[nodiscard]] FileOffset HoleFrom(FileOffset position) const;

    // Writes count bytes at the position; returns the bytes written or -1.
    std::int64_t Write(const void* buffer, std::int64_t count);

private:
    int fd_ = -1;
    FileOffset position_ = 0;
};

}  // namespace platform
