#include "libs/mpacheck/vbr_header.h"

#include <cctype>
#include <cstring>

#include "libs/mpacheck/crc16.h"

namespace mpacheck {
namespace {

constexpr int kVbriOffset = 36;  // after the header and 32 bytes, in every frame
constexpr int kLameBytes = 36;
constexpr int kLameTagCrcOffset = 34;

std::uint32_t big_endian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

std::uint16_t big_endian16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

bool looks_like_encoder(const std::uint8_t* p) {
    for (int i = 0; i < 4; ++i) {
        if (!std::isalnum(p[i])) return false;
    }
    return true;
}

lame_extension read_lame(const std::uint8_t* frame, int offset) {
    const std::uint8_t* p = frame + offset;
    lame_extension lame;
    if (!looks_like_encoder(p)) return lame;
    lame.present = true;
    lame.offset = offset;
    for (int i = 0; i < 9 && std::isprint(p[i]); ++i) lame.encoder[i] = static_cast<char>(p[i]);
    lame.delay = p[21] << 4 | p[22] >> 4;
    lame.padding = (p[22] & 0x0F) << 8 | p[23];
    lame.music_length = big_endian32(p + 28);
    lame.music_crc = big_endian16(p + 32);
    lame.tag_crc = big_endian16(p + kLameTagCrcOffset);
    lame.tag_crc_at = offset + kLameTagCrcOffset;
    lame.computed_tag_crc = lame_crc_update(0, frame, static_cast<std::size_t>(lame.tag_crc_at));
    return lame;
}

vbr_header read_xing(const frame_header& h, const std::uint8_t* frame, int offset) {
    vbr_header vbr;
    if (offset + 8 > h.length) return vbr;
    const std::uint8_t* p = frame + offset;
    if (std::memcmp(p, "Xing", 4) != 0 && std::memcmp(p, "Info", 4) != 0) return vbr;
    vbr.present = true;
    std::memcpy(vbr.label, p, 4);
    vbr.offset = offset;
    const std::uint32_t flags = big_endian32(p + 4);
    int at = offset + 8;
    if (flags & 1) {
        vbr.has_frames = at + 4 <= h.length;
        if (vbr.has_frames) vbr.frames = big_endian32(frame + at);
        vbr.frames_offset = at;
        at += 4;
    }
    if (flags & 2) {
        vbr.has_bytes = at + 4 <= h.length;
        if (vbr.has_bytes) vbr.bytes = big_endian32(frame + at);
        vbr.bytes_offset = at;
        at += 4;
    }
    if (flags & 4) {  // seek table
        vbr.has_toc = at + 100 <= h.length;
        vbr.toc_offset = at;
        at += 100;
    }
    if (flags & 8) {
        vbr.has_quality = at + 4 <= h.length;
        if (vbr.has_quality) vbr.quality = static_cast<int>(big_endian32(frame + at));
        vbr.quality_offset = at;
        at += 4;
    }
    if (at + kLameBytes <= h.length) vbr.lame = read_lame(frame, at);
    return vbr;
}

vbr_header read_vbri(const frame_header& h, const std::uint8_t* frame) {
    vbr_header vbr;
    if (kVbriOffset + 18 > h.length || std::memcmp(frame + kVbriOffset, "VBRI", 4) != 0) return vbr;
    vbr.present = true;
    std::memcpy(vbr.label, "VBRI", 4);
    vbr.offset = kVbriOffset;
    vbr.has_bytes = vbr.has_frames = vbr.has_quality = true;
    vbr.quality_offset = kVbriOffset + 8;
    vbr.quality = big_endian16(frame + vbr.quality_offset);
    vbr.bytes_offset = kVbriOffset + 10;
    vbr.bytes = big_endian32(frame + vbr.bytes_offset);
    vbr.frames_offset = kVbriOffset + 14;
    vbr.frames = big_endian32(frame + vbr.frames_offset);
    constexpr int kTocEntries = kVbriOffset + 18;
    vbr.has_toc = kTocEntries + 2 <= h.length && big_endian16(frame + kTocEntries) != 0;
    vbr.toc_offset = kVbriOffset + 26;
    return vbr;
}

}  // namespace

vbr_header read_vbr_header(const frame_header& h, const std::uint8_t* frame) {
    if (h.layer != 3) return {};
    vbr_header vbr = read_xing(h, frame, payload_start(h) + side_info_bytes(h));
    // Some encoders leave the CRC word out of the count when they place it.
    if (!vbr.present && h.protected_by_crc) vbr = read_xing(h, frame, 4 + side_info_bytes(h));
    return vbr.present ? vbr : read_vbri(h, frame);
}

}  // namespace mpacheck
