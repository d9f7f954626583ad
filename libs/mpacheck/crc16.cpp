#include "libs/mpacheck/crc16.h"

#include <array>

namespace mpacheck {
namespace {

constexpr std::array<std::uint16_t, 256> msb_first_table() {
    std::array<std::uint16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        std::uint16_t crc = static_cast<std::uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x8005 : crc << 1);
        table[byte] = crc;
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> lsb_first_table() {
    std::array<std::uint16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        std::uint16_t crc = static_cast<std::uint16_t>(byte);
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>(crc & 1 ? (crc >> 1) ^ 0xA001 : crc >> 1);
        table[byte] = crc;
    }
    return table;
}

constexpr auto kMsbFirst = msb_first_table();
constexpr auto kLsbFirst = lsb_first_table();

}  // namespace

std::uint16_t frame_crc_update(std::uint16_t crc, const std::uint8_t* data, std::size_t bit_count) {
    const std::size_t whole = bit_count / 8;
    for (std::size_t i = 0; i < whole; ++i) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ kMsbFirst[((crc >> 8) ^ data[i]) & 0xFF]);
    }
    const std::size_t rest = bit_count % 8;
    for (std::size_t bit = 0; bit < rest; ++bit) {
        const bool in = (data[whole] >> (7 - bit)) & 1;
        const bool top = (crc >> 15) & 1;
        crc = static_cast<std::uint16_t>(crc << 1);
        if (in != top) crc ^= 0x8005;
    }
    return crc;
}

std::uint16_t lame_crc_update(std::uint16_t crc, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) crc = static_cast<std::uint16_t>((crc >> 8) ^ kLsbFirst[(crc ^ data[i]) & 0xFF]);
    return crc;
}

}  // namespace mpacheck
