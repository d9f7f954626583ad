#pragma once
// A fresh temporary folder per test, removed with everything in it when the
// object goes. Tests never write anywhere else.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
    // Full path of a file name inside the folder.
    [[nodiscard]] std::string File(std::string_view name) const;
    // Writes the bytes to a file in the folder and returns its full path.
    std::string Write(std::string_view name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path path_;
};

// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

// Reads a whole file; empty when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// Full path of a committed fixture under tests/data.
std::string FixturePath(std::string_view name);
// Full path of a committed container image under tests/data/demux.
std::string DemuxFixturePath(std::string_view name);

// Full path of a program or library in the build's bin folder.
std::string BinPath(std::string_view name);

}  // namespace testsupport
