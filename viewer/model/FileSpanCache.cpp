#include "viewer/model/FileSpanCache.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

// A read forwards fetches at least this much: a page rebuild asks for the
// bytes of one frame after another, and each would otherwise cost a read.
constexpr std::int64_t kReadAhead = 65536;

// Reads [offset, offset + length) into out and returns the bytes delivered
// (fewer where the file ends). Holes of a sparse file are not read: they are
// zeros, written here without asking the system to copy them.
std::int64_t ReadSkippingHoles(platform::SharedFile& file, std::int64_t offset, std::uint8_t* out,
                               std::int64_t length) {
    const std::int64_t end = offset + length;
    std::int64_t position = offset;
    while (position < end) {
        const std::int64_t data = std::min(file.DataFrom(position), end);
        if (data > position) {
            const std::int64_t zeros = std::min(data, file.Size()) - position;
            if (zeros <= 0) break;
            std::memset(out + (position - offset), 0, static_cast<std::size_t>(zeros));
            position += zeros;
            continue;
        }
        std::int64_t until = std::min(file.HoleFrom(position), end);
        if (until <= position) until = end;
        const std::int64_t wanted = until - position;
        if (!file.Seek(position)) throw std::runtime_error("seek");
        const std::int64_t got = file.Read(out + (position - offset), wanted);
        if (got < 0) throw std::runtime_error("read");
        position += got;
        if (got < wanted) break;  // the file ends here
    }
    return position - offset;
}

}  // namespace

TFileSpanCache::TFileSpanCache(std::size_t capacity) : buffer_(capacity) {}

std::span<const std::uint8_t> TFileSpanCache::Bytes(platform::SharedFile& file, std::int64_t offset,
                                                    std::int64_t length) {
    if (length <= 0) return {};
    if (length > Capacity()) throw std::length_error("span beyond the cache");
    const std::int64_t end = offset + length;
    const bool held = held_ > 0 && offset >= start_ && end <= HeldEnd();
    try {
        if (!held && CanStretchTo(offset, end)) {
            if (offset < start_) StretchBackTo(file, offset, std::max<std::int64_t>(end - HeldEnd(), 0));
            if (end > HeldEnd()) StretchForwardTo(file, end);
        } else if (!held) {
            ReadAfresh(file, offset, length);
        }
    } catch (...) {
        held_ = 0;  // a failed read may have left the buffer half moved
        throw;
    }
    const std::int64_t available = std::clamp<std::int64_t>(HeldEnd() - offset, 0, length);
    return {Run() + (offset - start_), static_cast<std::size_t>(available)};
}

// The run and the request overlap or touch, and together fit the buffer.
bool TFileSpanCache::CanStretchTo(std::int64_t offset, std::int64_t end) const {
    if (held_ == 0 || offset > HeldEnd() || end < start_) return false;
    return std::max(end, HeldEnd()) - std::min(offset, start_) <= Capacity();
}

// Reads the bytes before the run into the room in front of it, first moving
// the run as high as the `tail` bytes still to come after it allow, so that
// a search walking backwards moves it once. A short read means the file
// changed under the run: it is dropped and read afresh from offset.
void TFileSpanCache::StretchBackTo(platform::SharedFile& file, std::int64_t offset, std::int64_t tail) {
    const std::int64_t gap = start_ - offset;
    if (base_ < gap) {
        const std::int64_t base = Capacity() - held_ - tail;
        std::memmove(buffer_.data() + base, Run(), static_cast<std::size_t>(held_));
        base_ = base;
    }
    if (ReadSkippingHoles(file, offset, Run() - gap, gap) == gap) {
        base_ -= gap;
        start_ = offset;
        held_ += gap;
    } else {
        ReadAfresh(file, offset, held_ + gap);
    }
}

// Reads the bytes after the run (and some ahead, room allowing), first
// moving it to the buffer's start when they would not fit after it.
void TFileSpanCache::StretchForwardTo(platform::SharedFile& file, std::int64_t end) {
    const std::int64_t wanted = std::min(std::max(end - HeldEnd(), kReadAhead), Capacity() - held_);
    if (base_ + held_ + wanted > Capacity()) {
        std::memmove(buffer_.data(), Run(), static_cast<std::size_t>(held_));
        base_ = 0;
    }
    held_ += ReadSkippingHoles(file, HeldEnd(), Run() + held_, wanted);
}

void TFileSpanCache::ReadAfresh(platform::SharedFile& file, std::int64_t offset, std::int64_t length) {
    held_ = 0;
    base_ = 0;
    start_ = offset;
    held_ = ReadSkippingHoles(file, offset, buffer_.data(), std::min(std::max(length, kReadAhead), Capacity()));
}
