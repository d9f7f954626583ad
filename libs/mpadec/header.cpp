// Header and sync: which 4 bytes are a header, what the header says, how long
// its frame is, where in the window the next confirmed frame starts, and the
// CRC-16 of the protected bits.

#include <algorithm>

#include "libs/mpa_header/mpa_header_tables.h"
#include "libs/mpadec/decoder.h"

namespace mpadec {
namespace {

// jsbound of Layers I and II by mode extension.
constexpr int kJointStereoBound[4] = {4, 8, 12, 16};

// The decoder knows MPEG-1 and MPEG-2 (header_check refuses MPEG-2.5): the
// version code is 2 | ID.
int version_code(const mpa_header::HeaderFields& f) { return mpa_header::kVersionMpeg2 | f.id; }

int sampling_rate_hz(const mpa_header::HeaderFields& f) {
    return mpa_header::SamplingRateHz(version_code(f), f.sampling_index);
}

int bitrate_bps(const mpa_header::HeaderFields& f) {
    return mpa_header::BitrateKbps(version_code(f), mpa_header::LayerFromCode(f.layer_code), f.bitrate_index) * 1000;
}

int frame_length(const mpa_header::HeaderFields& f) {
    return mpa_header::FrameLengthBytes(version_code(f), mpa_header::LayerFromCode(f.layer_code), bitrate_bps(f),
                                        sampling_rate_hz(f), f.padding);
}

}  // namespace

bool header_check(const std::uint8_t* b) {
    return b[0] == 0xFF && (b[1] & 0xF0) == 0xF0 && (b[1] & 0x06) != 0 && (b[2] & 0xF0) != 0 &&
           (b[2] & 0xF0) != 0xF0 && (b[2] & 0x0C) != 0x0C && (b[3] & 0x03) != 2;
}

int frame_length_of(const std::uint8_t* bytes) {
    return frame_length(mpa_header::SplitHeader(mpa_header::HeaderWord(bytes)));
}

int parse_header(mpa_decoder& decoder, const std::uint8_t* bytes) {
    frame_header& h = decoder.header;
    h.word = mpa_header::HeaderWord(bytes);
    const mpa_header::HeaderFields f = mpa_header::SplitHeader(h.word);
    h.version = f.id;
    h.layer_code = f.layer_code;
    h.protection = f.protection;
    h.bitrate_index = f.bitrate_index;
    h.sampling_index = f.sampling_index;
    h.padding = f.padding;
    h.private_bit = f.private_bit;
    h.mode = f.mode;
    h.mode_extension = f.mode_extension;
    h.copyright = f.copyright;
    h.original = f.original;
    h.emphasis = f.emphasis;
    h.layer = mpa_header::LayerFromCode(f.layer_code);
    h.channels = f.mode == 3 ? 1 : 2;
    h.crc_present = f.protection == 0;
    h.sampling_rate = sampling_rate_hz(f);
    h.bitrate = bitrate_bps(f);
    h.sblimit = h.layer == 2 ? select_layer2_table(h) : 32;
    h.jsbound = f.mode == 1 && h.layer != 3 ? kJointStereoBound[f.mode_extension] : h.sblimit;
    h.frame_length = frame_length(f);
    return h.frame_length;
}

// A candidate at offset i is confirmed by a valid header right after its
// frame, or accepted when the input ends within the frame or right after it.
// The bytes after the window's are the caller's input not taken yet: the
// window could take them all, since a frame and the next header (at most
// 1733 bytes) always fit into it.
sync_outcome sync_search(const input_window& window, std::uint32_t& offset) {
    const std::uint32_t held = window.held;
    if (held < 4) return sync_outcome::too_few;
    const std::uint8_t* bytes = window.bytes + window.start;
    for (std::uint32_t i = 0; i + 4 <= held; ++i) {
        if (bytes[i] != 0xFF || (bytes[i + 1] & 0xF0) != 0xF0 || !header_check(bytes + i)) continue;
        const std::uint32_t length = static_cast<std::uint32_t>(frame_length_of(bytes + i));
        const std::uint64_t available = static_cast<std::uint64_t>(held - i) + window.input_left;
        if (available < length + 4) {
            offset = i;
            return sync_outcome::found;
        }
        std::uint8_t next[4];
        for (std::uint32_t k = 0; k < 4; ++k) {
            const std::uint32_t at = i + length + k;
            next[k] = at < held ? bytes[at] : window.input[at - held];
        }
        if (header_check(next)) {
            offset = i;
            return sync_outcome::found;
        }
    }
    return sync_outcome::none;
}

std::uint16_t crc_update(std::uint32_t value, int bits, std::uint16_t crc) {
    for (int bit = bits - 1; bit >= 0; --bit) {
        const bool feedback = ((crc >> 15) ^ (value >> bit)) & 1;
        crc = static_cast<std::uint16_t>(crc << 1);
        if (feedback) crc ^= 0x8005;
    }
    return crc;
}

std::uint16_t frame_crc(const bit_reader& reader, std::size_t end_bit) {
    std::uint16_t crc = crc_update(static_cast<std::uint32_t>(reader.byte_at(2)) << 8 | reader.byte_at(3), 16, 0xFFFF);
    std::size_t bit = 48;
    for (; bit + 8 <= end_bit && bit % 8 == 0; bit += 8) crc = crc_update(reader.byte_at(bit / 8), 8, crc);
    for (; bit < end_bit; ++bit) crc = crc_update(reader.byte_at(bit / 8) >> (7 - bit % 8), 1, crc);
    return crc;
}

}  // namespace mpadec
