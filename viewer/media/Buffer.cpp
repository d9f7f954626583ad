#include "viewer/media/Buffer.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(std::int64_t size, std::int64_t increment) : FIncrement(std::max<std::int64_t>(increment, 0)) {
    if (size > 0) {
        FBuf = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size));
        FSize = size;
    }
}

std::uint8_t* TBuffer::GetHead() { return FBuf.get() + FFirst; }

std::int64_t TBuffer::GetLen() const { return FLast - FFirst; }

std::uint8_t* TBuffer::GetTail() { return FBuf.get() + FLast; }

void TBuffer::SetSize(std::int64_t n) {
    const std::int64_t unread = GetLen();
    auto memory = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(n));
    if (unread > 0) std::memcpy(memory.get(), GetHead(), static_cast<std::size_t>(unread));
    FBuf = std::move(memory);
    FFirst = 0;
    FLast = unread;
    FSize = n;
}

void TBuffer::SetFirst(std::int64_t n) {
    if (n < FLast) {
        FFirst = n;
    } else {
        Empty();
    }
}

std::int64_t TBuffer::GetLeft() const { return FSize - FLast; }

void TBuffer::Compact() {
    if (FFirst < 1) return;
    const std::int64_t unread = GetLen();
    if (unread > 0) std::memmove(FBuf.get(), GetHead(), static_cast<std::size_t>(unread));
    FFirst = 0;
    FLast = unread;
}

void TBuffer::AddData(const void* data, std::int64_t n) {
    if (n <= 0) return;
    if (FSize < FLast + n) SetSize(std::max(FIncrement, n) + FLast);
    std::memcpy(GetTail(), data, static_cast<std::size_t>(n));
    FLast += n;
}

void TBuffer::Empty() {
    FFirst = 0;
    FLast = 0;
}
