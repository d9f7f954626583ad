#include "tests/support/temp_dir.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include <unistd.h>

namespace testsupport {
namespace {

std::filesystem::path UniqueFolder() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto name = "tamberly-test-" + std::to_string(::getpid()) + "-" +
                          std::to_string(counter++) + "-" + std::to_string(random());
        std::error_code error;
        if (std::filesystem::create_directory(base / name, error)) return base / name;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

}  // namespace

TempDir::TempDir() : path_(UniqueFolder()) {}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::string TempDir::File(std::string_view name) const { return (path_ / name).string(); }

std::string TempDir::Write(std::string_view name, const std::vector<std::uint8_t>& bytes) const {
    const auto path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string DemuxFixturePath(std::string_view name) { return FixturePath("demux/" + std::string(name)); }

std::string FixturePath(std::string_view name) {
    return (std::filesystem::path(TAMBERLY_TEST_DATA_DIR) / name).string();
}

std::string BinPath(std::string_view name) {
    return (std::filesystem::path(TAMBERLY_BIN_DIR) / name).string();
}

}  // namespace testsupport
