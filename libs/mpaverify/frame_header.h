#pragma once
// MPEG-1 audio frame headers as the validator sees them: the header record,
// the rate tables, the start-code search, the header parse and the frame size.

#include <cstdint>

namespace mpaverify {

// Layer codes as they stand in the header.
inline constexpr int32_t kLayerI = 3;
inline constexpr int32_t kLayerII = 2;

// The fields of one header plus its CRC word, in bit order, each as an int32.
struct MpaHeader {
    int32_t syncword = 0;
    int32_t ID = 0;
    int32_t layer = 0;  // layer code: 3 Layer I, 2 Layer II, 1 Layer III
    int32_t protection_bit = 0;
    int32_t bitrate_index = 0;
    int32_t sampling_frequency = 0;  // index into the sampling-rate table
    int32_t padding_bit = 0;
    int32_t private_bit = 0;
    int32_t mode = 0;
    int32_t mode_extension = 0;
    int32_t copyright = 0;
    int32_t original_home = 0;
    int32_t emphasis = 0;
    int32_t error_check = 0;  // present only when protection_bit is 0
};

// Hz for sampling index 0-3 (3 gives 0); 0 outside.
[[nodiscard]] int32_t SamplingRateHz(int32_t sampling_frequency);
// kbit/s; free format (index 0) reads as 1; 0 for layer codes other than 2
// and 3 and for indices outside 0-15.
[[nodiscard]] int32_t BitrateKbps(int32_t layer, int32_t bitrate_index);
// Bytes without padding; never 0.
[[nodiscard]] int32_t FrameSizeWithoutPadding(int32_t layer, int32_t bitrate_index, int32_t sampling_frequency);
[[nodiscard]] inline int32_t FrameSizeWithoutPadding(const MpaHeader& h) {
    return FrameSizeWithoutPadding(h.layer, h.bitrate_index, h.sampling_frequency);
}
// The padding the walker honours: one slot at 44100 Hz only.
[[nodiscard]] int32_t HonouredPadding(const MpaHeader& h);

// First position whose four bytes make a start code (MPEG-1, Layer I or II,
// bitrate index not 15, sampling index not 3, emphasis not 2); -1 for none.
[[nodiscard]] int32_t find_next_mpa_start_code(const uint8_t* data, int32_t length);

// First valid frame start at or after start, as an offset from data; -1 for
// none, also when the header there is too short to parse.
[[nodiscard]] int32_t find_next_valid_mpa_frame_start(const uint8_t* data, int32_t length, int32_t start);

// Fills the record from the header at data; false (with a debug line) when the
// bytes are too few. error_check is kept as it was without a CRC.
bool parse_mpa_frame(const uint8_t* data, int32_t length, MpaHeader& header);

}  // namespace mpaverify
