#pragma once
// Inputs for the Layer III stage tests: a reservoir holding written bits, a
// granule of a given block type.

#include <cstdint>

#include "libs/mpadec/layer3.h"
#include "tests/libs/mpadec/bit_writer.h"

namespace mpadec_test {

// A reservoir holding the bits from position 0.
inline mpadec::main_data_buffer Holding(const BitWriter& bits) {
    mpadec::main_data_buffer buffer{};
    for (std::uint8_t byte : bits.Bytes()) buffer.store(byte);
    return buffer;
}

inline mpadec::granule_info Block(int block_type = 0, int mixed = 0) {
    mpadec::granule_info g{};
    g.window_switching_flag = block_type != 0;
    g.block_type = block_type;
    g.mixed_block_flag = mixed;
    return g;
}

}  // namespace mpadec_test
