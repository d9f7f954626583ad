#include "libs/mpaverify/frame_header.h"

#include <algorithm>
#include <cstring>

#include "libs/mpaverify/messages.h"
#include "platform/debug_output.h"

namespace mpaverify {
namespace {

constexpr int32_t kSamplingRates[4] = {44100, 48000, 32000, 0};
constexpr int32_t kLayerIBitrates[16] = {1, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
constexpr int32_t kLayerIIBitrates[16] = {1, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};

uint32_t BigEndianWord(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// Sync, ID 1 and the high layer bit; bitrate index 15, sampling index 3 and
// emphasis 2 are the reserved values a start code must not carry.
bool IsStartCode(uint32_t w) {
    return (w & 0xFFFC0000u) == 0xFFFC0000u && (w & 0xF000u) != 0xF000u && (w & 0x0C00u) != 0x0C00u &&
           (w & 3u) != 2u;
}

bool IsValidStart(const MpaHeader& h) {
    return h.ID == 1 && (h.layer == kLayerI || h.layer == kLayerII) && h.bitrate_index != 15 &&
           h.sampling_frequency != 3 && h.emphasis != 2;
}

}  // namespace

int32_t SamplingRateHz(int32_t sampling_frequency) {
    return sampling_frequency >= 0 && sampling_frequency < 4 ? kSamplingRates[sampling_frequency] : 0;
}

int32_t BitrateKbps(int32_t layer, int32_t bitrate_index) {
    if (bitrate_index < 0 || bitrate_index > 15) return 0;
    if (layer == kLayerI) return kLayerIBitrates[bitrate_index];
    if (layer == kLayerII) return kLayerIIBitrates[bitrate_index];
    return 0;
}

int32_t FrameSizeWithoutPadding(int32_t layer, int32_t bitrate_index, int32_t sampling_frequency) {
    const int32_t rate = SamplingRateHz(sampling_frequency);
    const int32_t bitrate = BitrateKbps(layer, bitrate_index);
    if (rate == 0) return 1;  // reserved index: no division by zero, and no size is 0
    int32_t size = 1;
    if (layer == kLayerI) size = bitrate_index == 0 ? 1 : 4 * (12000 * bitrate / rate);
    if (layer == kLayerII) size = 144000 * bitrate / rate;
    return std::max(size, 1);
}

int32_t HonouredPadding(const MpaHeader& h) {
    if (h.sampling_frequency != 0 || h.padding_bit != 1) return 0;
    return h.layer == kLayerI ? 4 : 1;
}

int32_t find_next_mpa_start_code(const uint8_t* data, int32_t length) {
    const uint8_t* const end = data + std::max(length - 3, 0);
    const uint8_t* p = data;
    // Every start code begins with 0xFF: jump between candidates, then one
    // masked test of the word.
    while (p < end) {
        p = static_cast<const uint8_t*>(std::memchr(p, 0xFF, static_cast<size_t>(end - p)));
        if (p == nullptr) return -1;
        if (IsStartCode(BigEndianWord(p))) return static_cast<int32_t>(p - data);
        ++p;
    }
    return -1;
}

int32_t find_next_valid_mpa_frame_start(const uint8_t* data, int32_t length, int32_t start) {
    if (data == nullptr || length < 2 || start < 0 || start + 2 > length) {
        platform::OutputDebugLineA(messages::kInvalidStartArguments);
        return -1;
    }
    int32_t position = start;
    while (length - position > 2) {
        const int32_t found = find_next_mpa_start_code(data + position, length - position);
        if (found < 0) return -1;
        position += found;
        MpaHeader header;
        if (!parse_mpa_frame(data + position, length - position, header)) return -1;
        if (IsValidStart(header)) return position;
        ++position;
    }
    return -1;
}

bool parse_mpa_frame(const uint8_t* data, int32_t length, MpaHeader& h) {
    if (data == nullptr || length < 4) {
        platform::OutputDebugLineA(messages::kHeaderTooShort);
        return false;
    }
    const uint32_t w = BigEndianWord(data);
    const auto bits = [w](int shift, uint32_t mask) { return static_cast<int32_t>((w >> shift) & mask); };
    h.syncword = bits(20, 0xFFF);
    h.ID = bits(19, 1);
    h.layer = bits(17, 3);
    h.protection_bit = bits(16, 1);
    h.bitrate_index = bits(12, 0xF);
    h.sampling_frequency = bits(10, 3);
    h.padding_bit = bits(9, 1);
    h.private_bit = bits(8, 1);
    h.mode = bits(6, 3);
    h.mode_extension = bits(4, 3);
    h.copyright = bits(3, 1);
    h.original_home = bits(2, 1);
    h.emphasis = bits(0, 3);
    if (h.protection_bit != 0) return true;
    if (length < 6) {
        platform::OutputDebugLineA(messages::kErrorCheckTooShort);
        return false;
    }
    h.error_check = (int32_t{data[4]} << 8) | int32_t{data[5]};
    return true;
}

}  // namespace mpaverify
