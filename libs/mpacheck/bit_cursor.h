#pragma once
// MSB-first reader over a frame's bytes, up to 57 bits at a time; reads past
// `limit_bits` give zeros.

#include <cstdint>
#include <cstring>

namespace mpacheck {

class bit_cursor {
public:
    bit_cursor(const std::uint8_t* data, int limit_bits, int start_bit) : data_(data), limit_(limit_bits), bit_(start_bit) {}
    int read(int count) {
        if (count == 0) return 0;
        const int byte = bit_ >> 3;
        if ((byte + 8) * 8 <= limit_) {
            std::uint64_t word;
            std::memcpy(&word, data_ + byte, sizeof word);
            word = __builtin_bswap64(word);
            const int value = static_cast<int>((word << (bit_ & 7)) >> (64 - count));
            bit_ += count;
            return value;
        }
        return read_slowly(count);
    }
    void skip(int count) { bit_ += count; }
    [[nodiscard]] int position() const { return bit_; }

private:
    // Near the end of the frame, where a whole word cannot be loaded.
    int read_slowly(int count) {
        int value = 0;
        for (int i = 0; i < count; ++i, ++bit_) {
            const int bit = bit_ < limit_ ? (data_[bit_ >> 3] >> (7 - (bit_ & 7))) & 1 : 0;
            value = (value << 1) | bit;
        }
        return value;
    }

    const std::uint8_t* data_;
    int limit_;
    int bit_;
};

}  // namespace mpacheck
