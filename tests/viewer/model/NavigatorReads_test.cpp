// The navigator's reads against plain oracles: the span cache must hand out
// exactly the bytes a direct read of the file gives (holes of a sparse file
// included), whatever order requests come in; the piecewise header scans must
// find exactly what one pass over the whole window finds.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "viewer/model/FileSpanCache.h"
#include "viewer/model/FrameNavigator.h"
#include "viewer/model/MPAUtils.h"
#include "viewer/model/UsableHeaderScan.h"

namespace {

using testsupport::Bytes;

constexpr std::int64_t kFileSize = 3 * 1048576 + 123;

// A sparse file: islands of frames and of junk rich in 0xFF (so false syncs
// too) at seeded places, holes between them and after the last. The
// whole file is also kept in memory for the oracles.
class IslandFile {
public:
    IslandFile(const testsupport::TempDir& dir, std::uint32_t seed)
        : path_(dir.File("islands.mpa")), image_(kFileSize) {
        std::mt19937 random(seed);
        std::map<std::int64_t, Bytes> islands;
        islands[0] = Island(random);
        for (int i = 0; i < 12; ++i)
            islands[static_cast<std::int64_t>(random() % (kFileSize - 300000))] = Island(random);
        const int fd = ::open(path_.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0600);
        if (fd < 0 || ::ftruncate(fd, kFileSize) != 0) throw std::runtime_error("cannot make the file");
        for (const auto& [at, bytes] : islands) {
            if (::pwrite(fd, bytes.data(), bytes.size(), at) != static_cast<ssize_t>(bytes.size()))
                throw std::runtime_error("cannot write the file");
            std::copy(bytes.begin(), bytes.end(), image_.begin() + at);
        }
        ::close(fd);
    }

    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] const Bytes& Image() const { return image_; }

private:
    static Bytes Island(std::mt19937& random) {
        Bytes bytes;
        const int runs = 1 + static_cast<int>(random() % 40);
        for (int run = 0; run < runs; ++run) {
            if (random() % 2 == 0) {
                testsupport::MpaFrameSpec shape;
                shape.bitrateIndex = 1 + static_cast<int>(random() % 14);
                shape.samplingIndex = static_cast<int>(random() % 3);
                const Bytes frame = testsupport::MakeFrame(shape);
                bytes.insert(bytes.end(), frame.begin(), frame.end());
            } else {
                const std::size_t size = 1 + random() % 9000;
                for (std::size_t i = 0; i < size; ++i)
                    bytes.push_back(random() % 8 == 0 ? 0xFF : static_cast<std::uint8_t>(random()));
            }
        }
        return bytes;
    }

    std::string path_;
    Bytes image_;
};

class NavigatorReads : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(file.Open(islands.Path())); }

    // What a direct read of [offset, offset + length) gives.
    [[nodiscard]] Bytes Oracle(std::int64_t offset, std::int64_t length) const {
        const std::int64_t end = std::clamp<std::int64_t>(offset + length, offset, kFileSize);
        if (offset >= end) return {};
        return {islands.Image().begin() + offset, islands.Image().begin() + end};
    }

    testsupport::TempDir dir;
    IslandFile islands{dir, 1210};
    platform::SharedFile file;
};

TEST_F(NavigatorReads, CacheGivesWhatADirectReadGivesInEveryOrder) {
    struct Case {
        const char* name;
        std::int64_t capacity;
        std::vector<std::pair<std::int64_t, std::int64_t>> requests;  // offset, length
    };
    const std::int64_t mid = kFileSize / 2;
    const Case cases[] = {
        {"fresh, then held inside", 65536, {{1000, 5000}, {2000, 100}, {1000, 5000}}},
        {"stretched forward, then past the buffer's end", 65536, {{0, 40000}, {39000, 20000}, {50000, 20000}}},
        {"stretched backward until moved, then forward",
         65536,
         {{mid, 4000}, {mid - 8000, 8004}, {mid - 30000, 22004}, {mid - 40000, 60000}}},
        {"backward then forward within one request", 65536, {{mid, 1000}, {mid - 500, 3000}}},
        {"too far apart to stretch", 65536, {{0, 60000}, {60000, 60000}, {0, 10}}},
        {"at and past the end of the file", 65536, {{kFileSize - 100, 1000}, {kFileSize - 1000, 1000},
                                                   {kFileSize, 10}, {kFileSize + 5, 10}}},
        {"empty requests", 65536, {{100, 0}, {100, -5}}},
    };
    for (const Case& c : cases) {
        TFileSpanCache cache(static_cast<std::size_t>(c.capacity));
        for (const auto& [offset, length] : c.requests) {
            const auto bytes = cache.Bytes(file, offset, length);
            EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), Oracle(offset, length))
                << c.name << ": " << offset << " + " << length;
        }
    }
}

TEST_F(NavigatorReads, CacheSurvivesALongRandomRunOfRequests) {
    TFileSpanCache cache(100000);
    std::mt19937 random(99);
    std::int64_t offset = 0;
    for (int request = 0; request < 3000; ++request) {
        const std::int64_t length = 1 + static_cast<std::int64_t>(random() % 50000);
        switch (random() % 4) {
            case 0: offset = static_cast<std::int64_t>(random() % (kFileSize + 1000)); break;
            case 1: offset += static_cast<std::int64_t>(random() % 30000); break;
            case 2: offset -= static_cast<std::int64_t>(random() % 30000); break;
            default: cache.Forget(); break;
        }
        offset = std::max<std::int64_t>(offset, 0);
        const auto bytes = cache.Bytes(file, offset, length);
        ASSERT_EQ(Bytes(bytes.begin(), bytes.end()), Oracle(offset, length)) << "request " << request;
    }
}

TEST_F(NavigatorReads, CacheRefusesMoreThanItHoldsAndForgetsOnRequest) {
    TFileSpanCache cache(4096);
    EXPECT_THROW((void)cache.Bytes(file, 0, 4097), std::length_error);
    (void)cache.Bytes(file, 0, 16);
    platform::SharedFile writer;
    ASSERT_TRUE(writer.Open(islands.Path(), platform::SharedFile::Access::ReadWrite));
    const std::uint8_t changed[4] = {1, 2, 3, 4};
    ASSERT_TRUE(writer.Seek(4));
    ASSERT_EQ(writer.Write(changed, 4), 4);
    cache.Forget();
    const auto bytes = cache.Bytes(file, 4, 4);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), Bytes(changed, changed + 4));
}

// One pass over the whole file, byte by byte, as the searches are defined
// (the test looks at the four header bytes only, so a window's headers are
// the file's headers whose four bytes lie in it).
std::vector<std::int64_t> OracleHeaders(const Bytes& image, const THeaderExpectation& expected) {
    std::vector<std::int64_t> found;
    for (std::int64_t at = 0; at + 4 <= kFileSize; ++at)
        if (MPAValidFramePoint(image.data() + at, 4, expected.Layer, expected.Frequency, expected.Version))
            found.push_back(at);
    return found;
}

std::vector<std::int64_t> HeadersInWindow(const std::vector<std::int64_t>& headers, std::int64_t windowStart,
                                          std::int64_t windowEnd) {
    std::vector<std::int64_t> found;
    for (const std::int64_t at : headers)
        if (at >= windowStart && at + 4 <= windowEnd) found.push_back(at);
    return found;
}

// Random windows, and windows whose first header straddles the seams where
// a forward scan reads its next piece (16 KiB from the start, then 32 more).
std::vector<std::pair<std::int64_t, std::int64_t>> ScanWindows(const std::vector<std::int64_t>& headers) {
    std::vector<std::pair<std::int64_t, std::int64_t>> windows;
    std::mt19937 random(5);
    for (int window = 0; window < 60; ++window) {
        const std::int64_t start = static_cast<std::int64_t>(random() % kFileSize);
        const std::int64_t size = window % 3 == 0 ? 1048576 : static_cast<std::int64_t>(random() % 200000);
        windows.emplace_back(start, std::min(start + size, kFileSize));
    }
    for (std::size_t i = 1; i < headers.size(); ++i)
        for (const std::int64_t seam : {16384, 49152})
            for (std::int64_t straddle = 1; straddle <= 3 && headers[i] - headers[i - 1] > seam; ++straddle)
                windows.emplace_back(headers[i] - seam + straddle, std::min(headers[i] + 4096, kFileSize));
    return windows;
}

TEST_F(NavigatorReads, PiecewiseScansFindWhatOnePassFinds) {
    const THeaderExpectation expectations[] = {
        {kLayerII, 1, kMPEG1}, {-1, -1, kAnyMPEGVersion}, {kLayerII, 0, kMPEG1}};
    TFileSpanCache cache(TFrameNavigator::kScratchSize);  // kept from window to window, as within one action
    for (const THeaderExpectation& expected : expectations) {
        const auto headers = OracleHeaders(islands.Image(), expected);
        for (const auto& [start, end] : ScanWindows(headers)) {
            const auto oracle = HeadersInWindow(headers, start, end);
            TUsableHeaderScan scan(cache, file, expected);
            EXPECT_EQ(scan.First(start, end), oracle.empty() ? -1 : oracle.front()) << start << ".." << end;
            std::vector<std::int64_t> backwards;
            scan.Backwards(start, end, [&](std::int64_t offset) {
                backwards.push_back(offset);
                return true;
            });
            EXPECT_EQ(std::vector<std::int64_t>(backwards.rbegin(), backwards.rend()), oracle) << start << ".." << end;
        }
    }
}

}  // namespace
