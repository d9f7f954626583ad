#include "viewer/model/FileSpanCache.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

TFileSpanCache::TFileSpanCache(std::size_t capacity) : buffer_(capacity) {}

std::span<const std::uint8_t> TFileSpanCache::Bytes(platform::SharedFile& file, std::int64_t offset,
                                                    std::int64_t length) {
    if (length <= 0) return {};
    if (length > static_cast<std::int64_t>(buffer_.size())) throw std::length_error("span beyond the cache");
    const std::int64_t end = offset + length;
    const bool held = held_ > 0 && offset >= start_ && end <= HeldEnd();
    try {
        if (!held && CanStretchTo(offset, end)) {
            if (offset < start_) StretchBackTo(file, offset);
            if (end > HeldEnd()) held_ += ReadInto(file, HeldEnd(), static_cast<std::size_t>(held_), end - HeldEnd());
        } else if (!held) {
            ReadAfresh(file, offset, length);
        }
    } catch (...) {
        held_ = 0;  // a failed read may have left the buffer half moved
        throw;
    }
    const std::int64_t available = std::clamp<std::int64_t>(HeldEnd() - offset, 0, length);
    return {buffer_.data() + (offset - start_), static_cast<std::size_t>(available)};
}

// The run and the request overlap or touch, and together fit the buffer.
bool TFileSpanCache::CanStretchTo(std::int64_t offset, std::int64_t end) const {
    if (held_ == 0 || offset > HeldEnd() || end < start_) return false;
    return std::max(end, HeldEnd()) - std::min(offset, start_) <= static_cast<std::int64_t>(buffer_.size());
}

// Moves the run up and reads the bytes before it. A short read means the
// file changed under the run: it is dropped and read afresh from offset.
void TFileSpanCache::StretchBackTo(platform::SharedFile& file, std::int64_t offset) {
    const std::int64_t gap = start_ - offset;
    std::memmove(buffer_.data() + gap, buffer_.data(), static_cast<std::size_t>(held_));
    if (ReadInto(file, offset, 0, gap) == gap) {
        start_ = offset;
        held_ += gap;
    } else {
        ReadAfresh(file, offset, held_ + gap);
    }
}

void TFileSpanCache::ReadAfresh(platform::SharedFile& file, std::int64_t offset, std::int64_t length) {
    held_ = 0;
    start_ = offset;
    held_ = ReadInto(file, offset, 0, length);
}

std::int64_t TFileSpanCache::ReadInto(platform::SharedFile& file, std::int64_t offset, std::size_t at,
                                      std::int64_t length) {
    if (!file.Seek(offset)) throw std::runtime_error("seek");
    const std::int64_t got = file.Read(buffer_.data() + at, length);
    if (got < 0) throw std::runtime_error("read");
    return got;
}
