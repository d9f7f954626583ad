#pragma once
// A heap block with a read and a write offset; the unread bytes lie between
// them. A buffer that may grow grows by exactly what an append lacks, never
// by doubling; a fixed one refuses the append instead.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace mpaverify {

class ByteBuffer {
public:
    ByteBuffer(std::size_t capacity, bool may_grow);

    [[nodiscard]] const std::uint8_t* Data() const { return block_.get() + read_; }
    [[nodiscard]] std::size_t Size() const { return write_ - read_; }
    [[nodiscard]] std::size_t Capacity() const { return capacity_; }
    [[nodiscard]] std::size_t ReadOffset() const { return read_; }
    // What an append may add after compaction.
    [[nodiscard]] std::size_t FreeSpace() const { return capacity_ - Size(); }

    // False (and nothing appended) when a fixed buffer has no room. Compacts
    // first when the bytes would not fit behind the unread ones.
    bool Append(const std::uint8_t* data, std::size_t count);
    // Marks count unread bytes as read (count is at most Size()).
    void Consume(std::size_t count);
    // Moves the unread bytes to the start of the block.
    void Compact();
    // Read and write offsets 0.
    void Clear() { read_ = write_ = 0; }

private:
    std::unique_ptr<std::uint8_t[]> block_;
    std::size_t capacity_;
    std::size_t read_ = 0;
    std::size_t write_ = 0;
    bool may_grow_;
};

}  // namespace mpaverify
