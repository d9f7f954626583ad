#pragma once
// The two CRC-16 flavours of MPEG audio files, both on polynomial 0x8005:
// the frame CRC of ISO/IEC 11172-3 (initial value 0xFFFF, most significant
// bit first, over a bit range) and the LAME tag's CRC (initial value 0,
// least significant bit first, over bytes).

#include <cstddef>
#include <cstdint>

namespace mpacheck {

// Adds `bit_count` bits of `data`, starting at the most significant bit of
// data[0], to `crc`.
[[nodiscard]] std::uint16_t frame_crc_update(std::uint16_t crc, const std::uint8_t* data, std::size_t bit_count);

inline constexpr std::uint16_t kFrameCrcStart = 0xFFFF;

[[nodiscard]] std::uint16_t lame_crc_update(std::uint16_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace mpacheck
