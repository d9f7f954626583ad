#pragma once
// The header frames encoders put before the audio: Xing or Info (with the
// LAME extension) and VBRI. Such a frame is metadata: a decoder skips it.

#include <cstdint>

#include "libs/mpacheck/frame_header.h"

namespace mpacheck {

struct lame_extension {
    bool present = false;
    char encoder[10] = {};
    int delay = 0;    // samples the encoder added at the start
    int padding = 0;  // and at the end
    std::uint32_t music_length = 0;  // bytes from this frame's start to the end of the audio
    std::uint16_t music_crc = 0;
    std::uint16_t tag_crc = 0;
    std::uint16_t computed_tag_crc = 0;
    int tag_crc_at = 0;  // where the tag CRC stands in the frame; it covers the bytes before
};

struct vbr_header {
    bool present = false;
    char label[6] = {};  // "Xing", "Info" or "VBRI"
    bool has_frames = false;
    std::uint32_t frames = 0;
    bool has_bytes = false;
    std::uint32_t bytes = 0;
    // Where the big-endian counts stand in the frame (-1 when absent), for
    // tools that rewrite them.
    int frames_at = -1;
    int bytes_at = -1;
    lame_extension lame;
};

// Reads a header frame of h.length bytes; present is false for an audio frame.
[[nodiscard]] vbr_header read_vbr_header(const frame_header& h, const std::uint8_t* frame);

}  // namespace mpacheck
