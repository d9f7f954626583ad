#include "libs/mpaverify/frame_header.h"

#include <algorithm>
#include <cstring>

#include "libs/mpa_header/mpa_header_tables.h"
#include "libs/mpaverify/messages.h"
#include "platform/debug_output.h"

namespace mpaverify {
namespace {

using mpa_header::kVersionMpeg1;  // the validator knows MPEG-1 only

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
    return mpa_header::SamplingRateHz(kVersionMpeg1, sampling_frequency);
}

int32_t BitrateKbps(int32_t layer, int32_t bitrate_index) {
    if (layer != kLayerI && layer != kLayerII) return 0;
    if (bitrate_index == 0) return 1;  // the free-format value
    return mpa_header::BitrateKbps(kVersionMpeg1, mpa_header::LayerFromCode(layer), bitrate_index);
}

int32_t FrameSizeWithoutPadding(int32_t layer, int32_t bitrate_index, int32_t sampling_frequency) {
    if (layer != kLayerI && layer != kLayerII) return 1;
    // A reserved sampling index gives 0 (no division by zero), and so do the
    // free-format value in Layer I and bitrate index 15: no size is 0.
    const int32_t size = mpa_header::FrameLengthBytes(kVersionMpeg1, mpa_header::LayerFromCode(layer),
                                                      BitrateKbps(layer, bitrate_index) * 1000,
                                                      SamplingRateHz(sampling_frequency), 0);
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
        if (IsStartCode(mpa_header::HeaderWord(p))) return static_cast<int32_t>(p - data);
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
    const mpa_header::HeaderFields f = mpa_header::SplitHeader(mpa_header::HeaderWord(data));
    h = {f.sync,        f.id,        f.layer_code,     f.protection, f.bitrate_index, f.sampling_index, f.padding,
         f.private_bit, f.mode,      f.mode_extension, f.copyright,  f.original,      f.emphasis,       h.error_check};
    if (h.protection_bit != 0) return true;
    if (length < 6) {
        platform::OutputDebugLineA(messages::kErrorCheckTooShort);
        return false;
    }
    h.error_check = (int32_t{data[4]} << 8) | int32_t{data[5]};
    return true;
}

}  // namespace mpaverify
