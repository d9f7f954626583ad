#include "libs/mpaverify/mpa_val.h"

#include <algorithm>

#include "libs/mpaverify/frame_header.h"

namespace mpaverify {
namespace {

// A header is at most 6 bytes with its CRC word. Whether a position holds a
// valid frame start is decided by those 6 bytes alone, so a decision taken
// with them present does not change when more bytes arrive: that keeps the
// walker's results independent of how the stream is cut into chunks.
constexpr int32_t kLongestHeader = 6;
// A start code that begins in the last 5 bytes may still lack bytes to be
// judged; those bytes are kept when the rest is dropped as junk.
constexpr int32_t kUndecidedTail = kLongestHeader - 1;
constexpr int32_t kShortestFrameInput = 7;

}  // namespace

void CMPAVal::Drop(std::size_t count) {
    buffer_.Consume(count);
    // Compacting after each drop would move the whole buffer once per frame;
    // the unread bytes only move when they have drifted far from the start.
    if (buffer_.ReadOffset() > buffer_.Capacity() / 2) buffer_.Compact();
}

bool CMPAVal::DropToFirstValidStart() {
    const auto n = static_cast<int32_t>(buffer_.Size());
    const int32_t start = find_next_valid_mpa_frame_start(buffer_.Data(), n, 0);
    if (start < 0) {
        if (n > kUndecidedTail) {
            skipped_ += n - kUndecidedTail;
            Drop(static_cast<std::size_t>(n - kUndecidedTail));
        }
        return false;
    }
    skipped_ += start;
    Drop(static_cast<std::size_t>(start));
    return true;
}

// A valid start inside the frame makes the frame suspect; it still
// stands when a valid start follows exactly at its end, or when the stream
// ends exactly with it.
bool CMPAVal::FrameStandsDespite(int32_t size) const {
    const auto n = static_cast<int32_t>(buffer_.Size());
    if (end_of_stream_ && n == size) return true;
    const int32_t window = std::min(n, size + kLongestHeader);
    return find_next_valid_mpa_frame_start(buffer_.Data(), window, size) == size;
}

bool CMPAVal::GetNextMPAFrame() {
    junk_ = 0;
    if (buffer_.Size() < 5) return false;
    if (!DropToFirstValidStart()) return false;
    for (;;) {
        const auto n = static_cast<int32_t>(buffer_.Size());
        if (n < kShortestFrameInput) return false;
        MpaHeader header;
        parse_mpa_frame(buffer_.Data(), n, header);
        padding_ = HonouredPadding(header);
        const int32_t size = FrameSizeWithoutPadding(header) + padding_;
        const int32_t need = end_of_stream_ ? size : size + kLongestHeader;
        if (n < need) return false;
        // Only starts before the frame's end matter; 6 bytes past it are
        // enough to judge every one of them.
        const int32_t window = std::min(n, size + kLongestHeader);
        const int32_t inner = find_next_valid_mpa_frame_start(buffer_.Data(), window, 1);
        if (inner >= 0 && inner < size && !FrameStandsDespite(size)) {
            skipped_ += inner;  // the header at the front was a false sync
            Drop(static_cast<std::size_t>(inner));
            continue;
        }
        frame_length_ = size;
        junk_ = skipped_;
        skipped_ = 0;
        return true;
    }
}

void CMPAVal::ReleaseMPAFrame() {
    Drop(static_cast<std::size_t>(frame_length_));
    frame_length_ = 0;
}

void CMPAVal::GetRemainingJunk() { junk_ = static_cast<int64_t>(buffer_.Size()) + skipped_; }

}  // namespace mpaverify
