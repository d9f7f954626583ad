#include "viewer/model/UsableHeaderScan.h"

#include <algorithm>
#include <cstring>

#include "viewer/model/MPAUtils.h"

namespace {

// The first piece read; each further piece is twice the one before, so a
// search through a whole window makes few reads.
constexpr std::int64_t kFirstPiece = 16384;
constexpr std::int64_t kHeaderBytes = 4;

bool IsUsable(const std::uint8_t* data, std::size_t size, const THeaderExpectation& expected) {
    return MPAValidFramePoint(data, size, expected.Layer, expected.Frequency, expected.Version);
}

}  // namespace

// Only positions holding 0xFF can pass the sync test, so the scan jumps
// between them.
std::int64_t FindFirstUsable(const std::uint8_t* data, std::size_t size, const THeaderExpectation& expected) {
    if (size < kHeaderBytes) return -1;
    const std::uint8_t* candidate = data;
    const std::uint8_t* const last = data + size - kHeaderBytes;
    while (candidate <= last) {
        candidate = static_cast<const std::uint8_t*>(
            std::memchr(candidate, 0xFF, static_cast<std::size_t>(last - candidate) + 1));
        if (candidate == nullptr) return -1;
        if (IsUsable(candidate, static_cast<std::size_t>(data + size - candidate), expected))
            return candidate - data;
        ++candidate;
    }
    return -1;
}

std::int64_t TUsableHeaderScan::First(std::int64_t from, std::int64_t windowEnd) {
    for (std::int64_t piece = kFirstPiece; windowEnd - from >= kHeaderBytes; piece *= 2) {
        const std::int64_t wanted = std::min(windowEnd - from, piece);
        const auto bytes = cache_.Bytes(file_, from, wanted);
        const std::int64_t index = FindFirstUsable(bytes.data(), bytes.size(), expected_);
        if (index >= 0) return from + index;
        if (static_cast<std::int64_t>(bytes.size()) < wanted) return -1;  // the file ends here
        from += wanted - (kHeaderBytes - 1);  // the last three positions lacked bytes after them
    }
    return -1;
}

void TUsableHeaderScan::Backwards(std::int64_t windowStart, std::int64_t windowEnd, const Visit& visit) {
    std::int64_t highest = windowEnd - kHeaderBytes;  // the next candidate down
    for (std::int64_t piece = kFirstPiece; highest >= windowStart; piece *= 2) {
        const std::int64_t lowest = std::max(windowStart, highest - piece + 1);
        const auto bytes = cache_.Bytes(file_, lowest, highest + kHeaderBytes - lowest);
        const std::uint8_t* const data = bytes.data();
        const auto candidates = static_cast<std::int64_t>(bytes.size()) - (kHeaderBytes - 1);
        for (std::int64_t count = candidates; count > 0;) {
            const auto* candidate =
                static_cast<const std::uint8_t*>(::memrchr(data, 0xFF, static_cast<std::size_t>(count)));
            if (candidate == nullptr) break;
            count = candidate - data;
            if (IsUsable(candidate, bytes.size() - static_cast<std::size_t>(count), expected_) &&
                !visit(lowest + count))
                return;
        }
        highest = lowest - 1;
    }
}
