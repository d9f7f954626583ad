#include "libs/mpaverify/byte_buffer.h"

#include <algorithm>
#include <cstring>

namespace mpaverify {

ByteBuffer::ByteBuffer(std::size_t capacity, bool may_grow)
    : block_(std::make_unique_for_overwrite<std::uint8_t[]>(capacity)), capacity_(capacity), may_grow_(may_grow) {}

bool ByteBuffer::Append(const std::uint8_t* data, std::size_t count) {
    if (count == 0) return true;
    if (write_ + count > capacity_) Compact();
    if (write_ + count > capacity_) {
        if (!may_grow_) return false;
        const std::size_t grown = capacity_ + count;
        auto block = std::make_unique_for_overwrite<std::uint8_t[]>(grown);
        std::memcpy(block.get(), block_.get(), write_);
        block_ = std::move(block);
        capacity_ = grown;
    }
    std::memcpy(block_.get() + write_, data, count);
    write_ += count;
    return true;
}

void ByteBuffer::Consume(std::size_t count) {
    read_ += std::min(count, Size());
    if (read_ == write_) read_ = write_ = 0;
}

void ByteBuffer::Compact() {
    if (read_ == 0) return;
    const std::size_t unread = Size();
    if (unread > 0) std::memmove(block_.get(), block_.get() + read_, unread);
    read_ = 0;
    write_ = unread;
}

}  // namespace mpaverify
