#pragma once
// Writes fields MSB first into bytes, to compose the audio data of test
// frames (allocations, scale factors, sample codes).

#include <cstdint>
#include <vector>

namespace mpadec_test {

class BitWriter {
public:
    BitWriter& Put(std::uint32_t value, int bits) {
        for (int bit = bits - 1; bit >= 0; --bit) {
            if (count_ % 8 == 0) bytes_.push_back(0);
            if ((value >> bit) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (count_ % 8));
            ++count_;
        }
        return *this;
    }
    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    [[nodiscard]] std::size_t BitCount() const { return count_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t count_ = 0;
};

}  // namespace mpadec_test
