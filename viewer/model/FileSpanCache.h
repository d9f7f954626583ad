#pragma once
// One run of a file's bytes held in a buffer of fixed capacity, so that the
// searches and the page rebuild of one navigation action read each byte once.
// A request returns the bytes at an offset; the run is stretched forwards or
// backwards to cover it when the result fits the buffer, reading only the
// bytes the run lacks, and is read afresh otherwise. Memory stays at the
// capacity whatever the file size. Holes of a sparse file are not read.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/shared_file.h"

class TFileSpanCache {
public:
    explicit TFileSpanCache(std::size_t capacity);

    // Up to `length` bytes from `offset` (fewer where the file ends), valid
    // until the next request. Throws std::runtime_error when the file cannot
    // be read, std::length_error for more than the capacity.
    std::span<const std::uint8_t> Bytes(platform::SharedFile& file, std::int64_t offset, std::int64_t length);

    // Drops the run: the next request reads the file again.
    void Forget() { held_ = 0; }

    [[nodiscard]] std::int64_t Capacity() const { return static_cast<std::int64_t>(buffer_.size()); }

private:
    [[nodiscard]] std::int64_t HeldEnd() const { return start_ + held_; }
    [[nodiscard]] std::uint8_t* Run() { return buffer_.data() + base_; }
    [[nodiscard]] bool CanStretchTo(std::int64_t offset, std::int64_t end) const;
    void StretchBackTo(platform::SharedFile& file, std::int64_t offset, std::int64_t tail);
    void StretchForwardTo(platform::SharedFile& file, std::int64_t end);
    void ReadAfresh(platform::SharedFile& file, std::int64_t offset, std::int64_t length);

    std::vector<std::uint8_t> buffer_;
    std::int64_t base_ = 0;   // index in buffer_ of the run's first byte
    std::int64_t start_ = 0;  // file offset of the run's first byte
    std::int64_t held_ = 0;   // bytes of the run
};
