#pragma once
// MSB-first bit reader over the bytes of the input window. Reads that run
// past the bytes held return zero bits, so a corrupt frame that asks for more
// data than the window holds can never touch memory outside it.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace mpadec {

class bit_reader {
public:
    bit_reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) { refill(); }

    // The next `bits` bits (0 to 25) as an unsigned value.
    [[nodiscard]] std::uint32_t read(int bits) {
        if (bits == 0) return 0;
        const auto value = static_cast<std::uint32_t>(cache_ >> (64 - bits));
        cache_ <<= bits;
        cached_ -= bits;
        if (cached_ < 32) refill();
        return value;
    }

    // The next `bits` bits (0 to 48) as an unsigned value.
    [[nodiscard]] std::uint64_t read_long(int bits) {
        if (bits == 0) return 0;
        if (cached_ < bits) refill();
        const std::uint64_t value = cache_ >> (64 - bits);
        cache_ <<= bits;
        cached_ -= bits;
        if (cached_ < 32) refill();
        return value;
    }

    // The next `bits` bits (1 to 48) without a bounds check: the caller makes
    // sure that bytes_ahead() is at least 8 at each call. The cache may then
    // hold bits up to 8 bytes beyond those read, so a caller that plans a run
    // of such reads needs the bytes of the run plus 16 ahead at its start.
    // The cache is topped up on every read, which costs less than the branch
    // that would decide it.
    [[nodiscard]] std::uint64_t read_unguarded(int bits) {
        cache_ |= load_big_endian(data_ + next_) >> cached_;
        next_ += static_cast<std::size_t>((63 - cached_) >> 3);
        cached_ |= 56;
        const std::uint64_t value = cache_ >> (64 - bits);
        cache_ <<= bits;
        cached_ -= bits;
        return value;
    }

    // Bytes of the data after those in the cache.
    [[nodiscard]] std::size_t bytes_ahead() const { return next_ < size_ ? size_ - next_ : 0; }

    void skip(std::size_t bits) { seek(position() + bits); }

    // Bits read so far.
    [[nodiscard]] std::size_t position() const { return next_ * 8 - static_cast<std::size_t>(cached_); }
    [[nodiscard]] const std::uint8_t* data() const { return data_; }
    [[nodiscard]] std::size_t size() const { return size_; }

    // Byte `index` of the data, 0 past the end.
    [[nodiscard]] std::uint8_t byte_at(std::size_t index) const { return index < size_ ? data_[index] : 0; }

private:
    // Tops the cache up to at least 57 bits. The cache holds the next
    // `cached_` bits at its top, zeros below.
    void refill() {
        std::uint64_t word = 0;
        if (next_ + 8 <= size_) {
            word = load_big_endian(data_ + next_);
        } else {
            for (std::size_t i = 0; i < 8; ++i) word = word << 8 | byte_at(next_ + i);
        }
        cache_ |= word >> cached_;
        const int bytes = (63 - cached_) >> 3;
        next_ += static_cast<std::size_t>(bytes);
        cached_ += bytes * 8;
    }

    static std::uint64_t load_big_endian(const std::uint8_t* bytes) {
        std::uint64_t word;
        std::memcpy(&word, bytes, sizeof word);
        if constexpr (std::endian::native == std::endian::little) {
#if defined(__GNUC__) || defined(__clang__)
            return __builtin_bswap64(word);
#else
            word = 0;
            for (int i = 0; i < 8; ++i) word = word << 8 | bytes[i];
#endif
        }
        return word;
    }

    void seek(std::size_t bit) {
        next_ = bit >> 3;
        cache_ = 0;
        cached_ = 0;
        refill();
        const int within = static_cast<int>(bit & 7);
        cache_ <<= within;
        cached_ -= within;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;     // first byte not in the cache
    std::uint64_t cache_ = 0;  // the next bits, MSB first
    int cached_ = 0;           // valid bits in the cache
};

}  // namespace mpadec
