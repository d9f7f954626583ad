// The fields of an MPEG audio header and the numbers they point at: bitrates,
// sampling rates, samples per frame and the frame length, for MPEG-1
// (ISO/IEC 11172-3), MPEG-2 low sampling frequencies (ISO/IEC 13818-3) and
// MPEG-2.5.
//
// Everything here is constexpr and free of policy: index 0 of the bitrate
// table (free format) and index 15 (forbidden) give 0, a reserved sampling
// index gives 0, and every function answers 0 for arguments it does not know.
// What a user does with those zeros is its own rule and stays in its code.
//
// Arguments use the header's own codes:
//   version code  2 bits: 0 = MPEG-2.5, 1 = reserved, 2 = MPEG-2, 3 = MPEG-1
//                 (the one-bit ID of an MPEG-1/2 header is version code & 1)
//   layer         1, 2 or 3 (the layer code in the header is 4 - layer)

#pragma once

#include <cstdint>

namespace mpa_header {

inline constexpr int kVersionMpeg25 = 0;
inline constexpr int kVersionReserved = 1;
inline constexpr int kVersionMpeg2 = 2;
inline constexpr int kVersionMpeg1 = 3;

// kbit/s by table (0 = MPEG-1, 1 = MPEG-2 and 2.5), layer - 1 and index.
// MPEG-2 Layers II and III share one row.
inline constexpr std::int32_t kBitrateKbps[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};

// Hz by version code and sampling index; the reserved version and index 3 give 0.
inline constexpr std::int32_t kSamplingRateHz[4][4] = {
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
};

// The fields of a header in bit order, each as an int; nothing is checked.
struct HeaderFields {
    int sync;            // bits 31-20: 0xFFF for MPEG-1 and 2 (MPEG-2.5 has 0xFFE)
    int id;              // bit 19: 1 = MPEG-1; version code = 2 | id for MPEG-1 and 2
    int layer_code;      // bits 18-17: 3, 2, 1 = Layer I, II, III; 0 reserved
    int protection;      // bit 16: 0 = a CRC word follows the header
    int bitrate_index;   // bits 15-12
    int sampling_index;  // bits 11-10
    int padding;         // bit 9
    int private_bit;     // bit 8
    int mode;            // bits 7-6
    int mode_extension;  // bits 5-4
    int copyright;       // bit 3
    int original;        // bit 2
    int emphasis;        // bits 1-0
};

// The four header bytes as one big-endian word.
constexpr std::uint32_t HeaderWord(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

constexpr HeaderFields SplitHeader(std::uint32_t word) {
    const auto bits = [word](int shift, std::uint32_t mask) { return static_cast<int>((word >> shift) & mask); };
    return {bits(20, 0xFFF), bits(19, 1), bits(17, 3), bits(16, 1), bits(12, 0xF), bits(10, 3), bits(9, 1),
            bits(8, 1),      bits(6, 3),  bits(4, 3),  bits(3, 1),  bits(2, 1),    bits(0, 3)};
}

// 1, 2 or 3 for the layer codes 3, 2 and 1; 0 for the reserved code 0 and
// anything else.
constexpr int LayerFromCode(int layer_code) { return layer_code >= 1 && layer_code <= 3 ? 4 - layer_code : 0; }

constexpr bool IsKnownVersion(int version_code) {
    return version_code == kVersionMpeg1 || version_code == kVersionMpeg2 || version_code == kVersionMpeg25;
}

constexpr bool IsLowSamplingFrequency(int version_code) { return version_code != kVersionMpeg1; }

constexpr std::int32_t BitrateKbps(int version_code, int layer, int bitrate_index) {
    if (!IsKnownVersion(version_code) || layer < 1 || layer > 3 || bitrate_index < 0 || bitrate_index > 15) return 0;
    return kBitrateKbps[IsLowSamplingFrequency(version_code) ? 1 : 0][layer - 1][bitrate_index];
}

constexpr std::int32_t SamplingRateHz(int version_code, int sampling_index) {
    if (version_code < 0 || version_code > 3 || sampling_index < 0 || sampling_index > 3) return 0;
    return kSamplingRateHz[version_code][sampling_index];
}

// 384 for Layer I, 1152 for Layer II, 1152 (MPEG-1) or 576 (MPEG-2/2.5) for Layer III.
constexpr std::int32_t SamplesPerFrame(int version_code, int layer) {
    if (!IsKnownVersion(version_code)) return 0;
    if (layer == 1) return 384;
    if (layer == 2) return 1152;
    if (layer == 3) return IsLowSamplingFrequency(version_code) ? 576 : 1152;
    return 0;
}

// Bytes in one slot: 4 in Layer I, 1 otherwise.
constexpr std::int32_t SlotBytes(int layer) { return layer == 1 ? 4 : 1; }

// Frame length in bytes from a bitrate in bit/s (so free-format bitrates work
// too), rounded down to whole slots as the standards say, plus the padding
// slot. 0 when the rate or the layer is unknown.
constexpr std::int32_t FrameLengthBytes(int version_code, int layer, std::int32_t bitrate_bps, std::int32_t rate_hz,
                                        int padding) {
    const std::int32_t samples = SamplesPerFrame(version_code, layer);
    if (samples == 0 || rate_hz <= 0 || bitrate_bps < 0) return 0;
    const std::int32_t slot = SlotBytes(layer);
    const std::int64_t slots = static_cast<std::int64_t>(samples) / 8 * bitrate_bps / slot / rate_hz;
    return static_cast<std::int32_t>((slots + (padding != 0 ? 1 : 0)) * slot);
}

// The same from the header's indices; 0 for free format, a forbidden bitrate
// or a reserved sampling index, padded or not.
constexpr std::int32_t FrameLengthFromIndices(int version_code, int layer, int bitrate_index, int sampling_index,
                                              int padding) {
    const std::int32_t kbps = BitrateKbps(version_code, layer, bitrate_index);
    if (kbps == 0) return 0;
    return FrameLengthBytes(version_code, layer, kbps * 1000, SamplingRateHz(version_code, sampling_index), padding);
}

// Worked examples from the standards, checked when this header compiles.
static_assert(FrameLengthFromIndices(kVersionMpeg1, 2, 8, 1, 0) == 384);   // 128 kbit/s, 48 kHz
static_assert(FrameLengthFromIndices(kVersionMpeg1, 3, 9, 0, 0) == 417);   // 128 kbit/s, 44.1 kHz
static_assert(FrameLengthFromIndices(kVersionMpeg1, 3, 9, 0, 1) == 418);
static_assert(FrameLengthFromIndices(kVersionMpeg1, 1, 12, 0, 1) == 420);  // 384 kbit/s, 44.1 kHz, padded
static_assert(FrameLengthFromIndices(kVersionMpeg2, 3, 4, 0, 0) == 104);   // 32 kbit/s, 22.05 kHz
static_assert(FrameLengthFromIndices(kVersionMpeg25, 3, 1, 2, 0) == 72);   // 8 kbit/s, 8 kHz
static_assert(FrameLengthFromIndices(kVersionMpeg2, 2, 8, 1, 0) == 384);   // 64 kbit/s, 24 kHz
static_assert(FrameLengthFromIndices(kVersionMpeg1, 2, 0, 1, 1) == 0);     // free format, padded
static_assert(SplitHeader(0xFFFD9444u).bitrate_index == 9 && SplitHeader(0xFFFD9444u).mode == 1);

}  // namespace mpa_header
