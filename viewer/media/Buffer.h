#pragma once
// TBuffer: a growable byte buffer used as a FIFO. Bytes are appended at the
// tail and consumed from the head; 0 <= FFirst <= FLast <= FSize always.
// Not thread-safe: its owner guards it.

#include <cstdint>
#include <memory>

class TBuffer {
public:
    // Allocates size bytes (none when size <= 0); a negative increment
    // becomes 0.
    TBuffer(std::int64_t size, std::int64_t increment);
    virtual ~TBuffer() = default;
    TBuffer(const TBuffer&) = delete;
    TBuffer& operator=(const TBuffer&) = delete;

    // First unread byte.
    [[nodiscard]] virtual std::uint8_t* GetHead();
    // Unread byte count.
    [[nodiscard]] virtual std::int64_t GetLen() const;
    // One past the last stored byte.
    [[nodiscard]] virtual std::uint8_t* GetTail();
    // New memory of n bytes holding the unread bytes at its start. n must be
    // at least GetLen().
    virtual void SetSize(std::int64_t n);
    // Consumes up to index n; n at or past the tail empties the buffer.
    virtual void SetFirst(std::int64_t n);
    // Room after the tail.
    [[nodiscard]] virtual std::int64_t GetLeft() const;
    // Moves the unread bytes to the start.
    virtual void Compact();
    // Appends n bytes, growing by at least FIncrement when they do not fit.
    virtual void AddData(const void* data, std::int64_t n);
    virtual void Empty();

    [[nodiscard]] std::int64_t Size() const { return FSize; }
    [[nodiscard]] std::int64_t First() const { return FFirst; }
    [[nodiscard]] std::int64_t Last() const { return FLast; }

private:
    std::unique_ptr<std::uint8_t[]> FBuf;
    std::int64_t FSize = 0;
    std::int64_t FLast = 0;
    std::int64_t FFirst = 0;
    std::int64_t FIncrement = 0;
};
