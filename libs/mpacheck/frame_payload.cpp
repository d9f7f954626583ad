#include "libs/mpacheck/frame_payload.h"

#include <algorithm>
#include <cstring>

#include "libs/mpa_header/layer2_allocation.h"
#include "libs/mpa_header/mpa_header_tables.h"
#include "libs/mpacheck/crc16.h"

namespace mpacheck {
namespace {

// MSB-first reader over a frame, up to 57 bits at a time; reads past
// `limit_bits` give zeros.
class bit_cursor {
public:
    bit_cursor(const std::uint8_t* data, int limit_bits, int start_bit) : data_(data), limit_(limit_bits), bit_(start_bit) {}
    int read(int count) {
        if (count == 0) return 0;
        const int byte = bit_ >> 3;
        if ((byte + 8) * 8 <= limit_) {
            std::uint64_t word;
            std::memcpy(&word, data_ + byte, sizeof word);
            word = __builtin_bswap64(word);
            const int value = static_cast<int>((word << (bit_ & 7)) >> (64 - count));
            bit_ += count;
            return value;
        }
        return read_slowly(count);
    }
    void skip(int count) { bit_ += count; }
    [[nodiscard]] int position() const { return bit_; }

private:
    // Near the end of the frame, where a whole word cannot be loaded.
    int read_slowly(int count) {
        int value = 0;
        for (int i = 0; i < count; ++i, ++bit_) {
            const int bit = bit_ < limit_ ? (data_[bit_ >> 3] >> (7 - (bit_ & 7))) & 1 : 0;
            value = (value << 1) | bit;
        }
        return value;
    }

    const std::uint8_t* data_;
    int limit_;
    int bit_;
};

int joint_stereo_bound(const frame_header& h, int limit) {
    return h.mode == 1 ? std::min(4 * (h.mode_extension + 1), limit) : limit;
}

int layer1_bits(const frame_header& h) {
    const int bound = joint_stereo_bound(h, 32);
    return (bound * h.channels + (32 - bound)) * 4;
}

int layer2_bits(const frame_header& h, const std::uint8_t* frame) {
    namespace l2 = mpa_header::layer2;
    // Free format has no bitrate index: the table follows the real bitrate.
    const int kbps = h.bitrate != 0 ? h.bitrate / 1000
                                    : static_cast<int>(static_cast<std::int64_t>(h.length) * 8 * h.sampling_rate /
                                                       h.samples / 1000);
    const int table = l2::TableIndex(h.version_code != mpa_header::kVersionMpeg1, kbps, h.channels, h.sampling_rate);
    const int sblimit = l2::kSblimits[table];
    const int bound = joint_stereo_bound(h, sblimit);
    bit_cursor reader(frame, h.length * 8, 48);
    int allocation[2][32] = {};
    for (int sb = 0; sb < sblimit; ++sb) {
        const int width = l2::AllocationWidth(table, sb);
        if (sb < bound) {
            for (int ch = 0; ch < h.channels; ++ch) allocation[ch][sb] = reader.read(width);
        } else {
            allocation[0][sb] = allocation[1][sb] = reader.read(width);
        }
    }
    int scfsi_bits = 0;
    for (int sb = 0; sb < sblimit; ++sb) {
        for (int ch = 0; ch < h.channels; ++ch) scfsi_bits += allocation[ch][sb] != 0 ? 2 : 0;
    }
    return reader.position() - 48 + scfsi_bits;
}

}  // namespace

int protected_bits(const frame_header& h, const std::uint8_t* frame) {
    if (h.layer == 1) return layer1_bits(h);
    if (h.layer == 2) return layer2_bits(h, frame);
    return side_info_bytes(h) * 8;
}

crc_result check_frame_crc(const frame_header& h, const std::uint8_t* frame) {
    crc_result result{static_cast<std::uint16_t>(frame[4] << 8 | frame[5]), 0, false};
    const int bits = protected_bits(h, frame);
    if (48 + bits > h.length * 8) return result;
    std::uint16_t crc = frame_crc_update(kFrameCrcStart, frame + 2, 16);
    result.computed = frame_crc_update(crc, frame + 6, static_cast<std::size_t>(bits));
    result.checked = true;
    return result;
}

layer3_side read_layer3_side(const frame_header& h, const std::uint8_t* frame) {
    const bool mpeg1 = h.version_code == mpa_header::kVersionMpeg1;
    const int start = payload_start(h);
    const int side_bytes = side_info_bytes(h);
    bit_cursor reader(frame, h.length * 8, start * 8);
    layer3_side side{};
    side.main_data_begin = reader.read(mpeg1 ? 9 : 8);
    if (mpeg1) {
        reader.skip((h.channels == 1 ? 5 : 3) + 4 * h.channels);
    } else {
        reader.skip(h.channels == 1 ? 1 : 2);
    }
    const int granules = mpeg1 ? 2 : 1;
    const int granule_bits = mpeg1 ? 59 : 63;
    for (int i = 0; i < granules * h.channels; ++i) {
        side.main_data_bits += reader.read(12);
        reader.skip(granule_bits - 12);
    }
    side.own_main_data_bytes = std::max(0, h.length - start - side_bytes);
    return side;
}

}  // namespace mpacheck
