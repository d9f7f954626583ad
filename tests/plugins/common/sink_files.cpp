#include "tests/plugins/common/sink_files.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace sinktest {

std::optional<std::uint64_t> BytesAccepted(bufstream* bs) {
    constexpr std::uint64_t kUnwritten = 0xA5A5A5A5A5A5A5A5u;
    std::uint64_t value = kUnwritten;
    bs->control(bs, 0, BUFSTREAM_CMD_BYTES_ACCEPTED, &value, sizeof value);
    if (value == kUnwritten) return std::nullopt;
    return value;
}

std::int32_t PartNumber(bufstream* bs) {
    std::int32_t value = -12345;
    bs->control(bs, 0, BUFSTREAM_CMD_PART_NUMBER, &value, sizeof value);
    return value;
}

std::string PartFileName(bufstream* bs) {
    std::vector<char> name(4096, '\x7f');
    if (bs->control(bs, 0, BUFSTREAM_CMD_PART_FILE_NAME, name.data(), static_cast<std::uint32_t>(name.size())) != 0) {
        return "<failed>";
    }
    return name.data();
}

bool WriteInChunks(bufstream* bs, const std::vector<std::uint8_t>& bytes, std::size_t chunk) {
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        const auto n = static_cast<std::uint32_t>(std::min(chunk, bytes.size() - at));
        if (bs->write_bytes(bs, bytes.data() + at, n) != n) return false;
    }
    return true;
}

bool ReserveAndCommit(bufstream* bs, const std::vector<std::uint8_t>& bytes) {
    const auto n = static_cast<std::uint32_t>(bytes.size());
    std::uint8_t* area = bs->reserve(bs, n);
    if (area == nullptr) return false;
    if (n != 0) std::memcpy(area, bytes.data(), n);
    return bs->commit(bs, n) == n;
}

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

std::int64_t FileSize(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_size);
}

int OpenDescriptorCount() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

bool HaveTool(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

bool RunCommand(const std::string& command_line) { return std::system(command_line.c_str()) == 0; }

std::string Quoted(const std::string& path) {
    std::string quoted = "'";
    for (char c : path) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace sinktest
