#pragma once
// The header frames encoders put before the audio: Xing or Info (with the
// LAME extension) and VBRI. Such a frame is metadata: a decoder skips it.

#include <cstdint>

#include "libs/mpacheck/frame_header.h"

namespace mpacheck {

// Offsets are bytes from the frame's first byte.
struct lame_extension {
    bool present = false;
    int offset = 0;  // of the encoder string; delay and padding share the 3 bytes at +21, the tag CRC is at +34
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
    int offset = 0;      // of the label
    bool has_frames = false;
    std::uint32_t frames = 0;
    int frames_offset = 0;
    bool has_bytes = false;
    std::uint32_t bytes = 0;
    int bytes_offset = 0;
    bool has_toc = false;
    int toc_offset = 0;
    bool has_quality = false;
    int quality = 0;
    int quality_offset = 0;
    lame_extension lame;
};

// Reads a header frame of h.length bytes; present is false for an audio frame.
[[nodiscard]] vbr_header read_vbr_header(const frame_header& h, const std::uint8_t* frame);

}  // namespace mpacheck
