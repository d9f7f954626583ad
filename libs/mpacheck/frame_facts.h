#pragma once
// What the checker knows of one audio frame, handed to an optional second
// callback as each frame is settled (in stream order, never for a VBR header
// frame). Rules that judge a stream frame by frame (delivery profiles) read
// these; the checker itself keeps none of them.

#include <cstdint>
#include <functional>

namespace mpacheck {

enum class scf_crc_state : std::uint8_t {
    not_applicable,  // not MPEG Layer II, or the frame's layout leaves no room for it
    unknown,         // the frame before, which carries this frame's check words, is missing
    match,
    mismatch,
};

struct frame_facts {
    std::int64_t frame = 0;       // 0-based audio frame number
    std::uint64_t offset = 0;     // of the frame's first header byte in the stream
    double time = 0;              // stream time in seconds at the frame's start
    int version_code = -1;        // as in the header tables (3 = MPEG-1, 2 = MPEG-2, 0 = MPEG-2.5)
    int layer = 0;                // 1, 2 or 3
    int sampling_rate = 0;        // Hz
    std::int32_t bitrate = 0;     // bit/s; 0 for free format
    int mode = -1;                // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    int emphasis = 0;             // the header's two emphasis bits
    bool crc_present = false;     // protection bit clear: a CRC word follows the header
    bool padded = false;
    std::uint32_t length = 0;     // bytes of the frame
    // Layer I/II: the bits left after the audio data (ancillary data); -1 when
    // not known (Layer III, or a frame whose allocation could not be read).
    std::int32_t ancillary_bits = -1;
    // The DAB scale-factor CRC of this frame, carried in the last bytes of
    // the previous frame's ancillary data.
    scf_crc_state scf_crc = scf_crc_state::not_applicable;
};

using frame_callback = std::function<void(const frame_facts&)>;

}  // namespace mpacheck
