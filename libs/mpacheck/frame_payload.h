#pragma once
// What the checker reads behind a frame header without decoding: the bits
// the CRC word protects, and the Layer III side information fields that the
// bit reservoir depends on.

#include <cstdint>

#include "libs/mpacheck/field_sink.h"
#include "libs/mpacheck/frame_header.h"

namespace mpacheck {

// Bits after the CRC word that the CRC covers (the header's last 16 bits come
// on top): Layer I allocation, Layer II allocation and scfsi, Layer III side
// information. `frame` holds the whole frame of h.length bytes.
[[nodiscard]] int protected_bits(const frame_header& h, const std::uint8_t* frame);

struct crc_result {
    std::uint16_t stored;
    std::uint16_t computed;
    bool checked;  // false when the protected bits do not fit into the frame
};
[[nodiscard]] crc_result check_frame_crc(const frame_header& h, const std::uint8_t* frame);

struct layer3_side {
    int main_data_begin;      // bytes before this frame's main data
    int main_data_bits;       // sum of part2_3_length over granules and channels
    int own_main_data_bytes;  // bytes after the side information in this frame
};
[[nodiscard]] layer3_side read_layer3_side(const frame_header& h, const std::uint8_t* frame);
// The same, reporting every side information field to the sink.
[[nodiscard]] layer3_side read_layer3_side(const frame_header& h, const std::uint8_t* frame, field_sink& sink);

// Reads the fields of the audio data behind the header and the CRC word and
// reports each to the sink: Layer I allocation and scale factors; Layer II
// the allocation table and sblimit, allocation, scfsi and scale factors;
// Layer III the side information. Returns the bit where the audio data ends:
// after the samples (counted, not reported) for Layers I and II, after the
// side information for Layer III, whose main data lies elsewhere.
[[nodiscard]] int read_audio_fields(const frame_header& h, const std::uint8_t* frame, field_sink& sink);

// The scale factors a Layer II frame carries, as they stand in the stream:
// per subband below sblimit and channel, 0 to 3 six-bit indices (none without
// allocation, otherwise as many as its scfsi says).
struct layer2_scalefactors {
    int sblimit = 0;
    int channels = 0;
    std::uint8_t count[32][2] = {};
    std::uint8_t values[32][2][3] = {};
};

// Where the audio data of a Layer I or II frame ends (after the samples), in
// bits from the frame's first header bit, without a sink; with `scalefactors`
// a Layer II frame's scale factors are kept there too. -1 for Layer III.
[[nodiscard]] int audio_data_end(const frame_header& h, const std::uint8_t* frame,
                                 layer2_scalefactors* scalefactors = nullptr);

}  // namespace mpacheck
