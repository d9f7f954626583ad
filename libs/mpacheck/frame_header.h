#pragma once
// The four header bytes of an MPEG audio frame (MPEG-1, MPEG-2 low sampling
// frequencies and MPEG-2.5), with the numbers that follow from them. The
// numbers come from the shared header tables.

#include <cstdint>

namespace mpacheck {

enum class header_status : std::uint8_t {
    valid,
    no_sync,            // not the 11 sync bits
    reserved_version,
    reserved_layer,
    forbidden_bitrate,  // index 15
    reserved_rate,      // sampling index 3
};

struct frame_header {
    int version_code;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int layer;         // 1, 2 or 3
    bool protected_by_crc;
    int bitrate_index;  // 0 = free format
    int sampling_index;
    int padding;
    int mode;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    int mode_extension;
    int emphasis;
    int bitrate;  // bit/s; 0 for free format
    int sampling_rate;
    int samples;      // per frame
    int channels;
    int length;       // bytes, 0 for free format until found
};

[[nodiscard]] header_status parse_header(const std::uint8_t* bytes, frame_header& out);

// Same stream: version, layer and sampling rate agree (what a second header
// must share to confirm a sync found after junk).
[[nodiscard]] bool same_stream(const frame_header& a, const frame_header& b);

// Bytes of Layer III side information.
[[nodiscard]] int side_info_bytes(const frame_header& h);

// Where the side information (Layer III) or the allocation (Layers I, II)
// starts: after the header and the CRC word.
[[nodiscard]] inline int payload_start(const frame_header& h) { return h.protected_by_crc ? 6 : 4; }

}  // namespace mpacheck
