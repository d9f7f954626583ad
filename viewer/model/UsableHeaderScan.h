#pragma once
// Searches a window of the open file for usable frame headers (those
// MPAValidFramePoint accepts with the navigator's expectations), reading the
// window through the span cache a piece at a time: a header near where the
// search starts costs a small read, and the result is the one a scan of the
// whole window in a single read would give, since the test looks at the
// four header bytes only.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/shared_file.h"
#include "viewer/model/FileSpanCache.h"

struct THeaderExpectation {
    std::int32_t Layer = -1;
    std::int32_t Frequency = -1;
    std::int32_t Version = -1;
};

// Index of the first usable position in data[0..size) that has 4 bytes
// from it in the data, or -1.
[[nodiscard]] std::int64_t FindFirstUsable(const std::uint8_t* data, std::size_t size,
                                           const THeaderExpectation& expected);

class TUsableHeaderScan {
public:
    // Called for each usable header found walking down; false stops the walk.
    using Visit = std::function<bool(std::int64_t offset)>;

    TUsableHeaderScan(TFileSpanCache& cache, platform::SharedFile& file, THeaderExpectation expected)
        : cache_(cache), file_(file), expected_(expected) {}

    // Offset of the first usable header at or after `from` whose 4 bytes end
    // by windowEnd, or -1.
    [[nodiscard]] std::int64_t First(std::int64_t from, std::int64_t windowEnd);
    // Visits the usable headers whose 4 bytes lie in [windowStart, windowEnd),
    // from the last one down to the first.
    void Backwards(std::int64_t windowStart, std::int64_t windowEnd, const Visit& visit);

private:
    TFileSpanCache& cache_;
    platform::SharedFile& file_;
    THeaderExpectation expected_;
};
