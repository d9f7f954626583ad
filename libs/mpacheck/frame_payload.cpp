#include "libs/mpacheck/frame_payload.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "libs/mpa_header/layer2_allocation.h"
#include "libs/mpa_header/mpa_header_tables.h"
#include "libs/mpacheck/bit_cursor.h"
#include "libs/mpacheck/crc16.h"

namespace mpacheck {
namespace {

// Reads fields through a cursor and, when there is a sink, reports each one
// with its place; the names are only built for a sink.
class field_reader {
public:
    field_reader(bit_cursor& cursor, field_sink* sink) : cursor_(cursor), sink_(sink) {}

    int take(int width, std::string_view name, std::initializer_list<int> indices = {}) {
        const int at = cursor_.position();
        const int value = cursor_.read(width);
        if (sink_ != nullptr) sink_->field(indexed(name, indices), value, at, width);
        return value;
    }
    void open(std::string_view name, std::initializer_list<int> indices = {}) {
        if (sink_ != nullptr) sink_->open_group(indexed(name, indices));
    }
    void close() {
        if (sink_ != nullptr) sink_->close_group();
    }
    void derived(std::string_view name, int value, std::string_view meaning = {}) {
        if (sink_ != nullptr) sink_->derived(name, value, meaning);
    }
    [[nodiscard]] bool reporting() const { return sink_ != nullptr; }
    bit_cursor& cursor() { return cursor_; }

private:
    static std::string indexed(std::string_view name, std::initializer_list<int> indices) {
        std::string text(name);
        for (const int index : indices) text += "[" + std::to_string(index) + "]";
        return text;
    }

    bit_cursor& cursor_;
    field_sink* sink_;
};

int joint_stereo_bound(const frame_header& h, int limit) {
    return h.mode == 1 ? std::min(4 * (h.mode_extension + 1), limit) : limit;
}

// Allocation fields of subbands below the bound come per channel; above it
// one field serves both channels.
template <typename Width>
void read_allocation(field_reader& in, const frame_header& h, int sblimit, int bound, Width width,
                     int (&allocation)[2][32]) {
    in.open("allocation");
    for (int sb = 0; sb < sblimit; ++sb) {
        if (sb < bound) {
            for (int ch = 0; ch < h.channels; ++ch) allocation[ch][sb] = in.take(width(sb), "allocation", {ch, sb});
        } else {
            allocation[0][sb] = allocation[1][sb] = in.take(width(sb), "allocation", {sb});
        }
    }
    in.close();
}

int layer1_protected_bits(const frame_header& h) {
    const int bound = joint_stereo_bound(h, 32);
    return (bound * h.channels + (32 - bound)) * 4;
}

// Layer I: allocation, scale factors, then 12 samples of allocation + 1 bits
// per allocated subband and channel (once for both channels above the bound).
int read_layer1(const frame_header& h, field_reader& in) {
    const int bound = joint_stereo_bound(h, 32);
    int allocation[2][32] = {};
    read_allocation(in, h, 32, bound, [](int) { return 4; }, allocation);
    in.open("scalefactor");
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < h.channels; ++ch) {
            if (allocation[ch][sb] != 0) in.take(6, "scalefactor", {ch, sb});
        }
    }
    in.close();
    int sample_bits = 0;
    for (int sb = 0; sb < 32; ++sb) {
        const int coded = sb < bound ? h.channels : 1;
        for (int ch = 0; ch < coded; ++ch) sample_bits += allocation[ch][sb] != 0 ? 12 * (allocation[ch][sb] + 1) : 0;
    }
    return in.cursor().position() + sample_bits;
}

int layer2_table(const frame_header& h) {
    // Free format has no bitrate index: the table follows the real bitrate.
    const int kbps = h.bitrate != 0 ? h.bitrate / 1000
                                    : static_cast<int>(static_cast<std::int64_t>(h.length) * 8 * h.sampling_rate /
                                                       h.samples / 1000);
    return mpa_header::layer2::TableIndex(h.version_code != mpa_header::kVersionMpeg1, kbps, h.channels,
                                          h.sampling_rate);
}

constexpr const char* kLayer2TableNames[] = {"3-B.2a", "3-B.2b", "3-B.2c", "3-B.2d", "B.1"};

struct layer2_reading {
    int protected_end;  // after the scfsi fields
    int audio_end;      // after the samples
};

// Layer II: allocation and scfsi (what the CRC protects), then, when the
// whole audio data is wanted, the scale factors and the samples' length.
layer2_reading read_layer2(const frame_header& h, field_reader& in, bool whole, layer2_scalefactors* kept = nullptr) {
    namespace l2 = mpa_header::layer2;
    const int table = layer2_table(h);
    const int sblimit = l2::kSblimits[table];
    const int bound = joint_stereo_bound(h, sblimit);
    in.derived("allocation table", table, kLayer2TableNames[table]);
    in.derived("sblimit", sblimit);
    int allocation[2][32] = {};
    read_allocation(in, h, sblimit, bound, [table](int sb) { return l2::AllocationWidth(table, sb); }, allocation);
    layer2_reading reading{};
    int scfsi[2][32] = {};
    if (!whole) {
        for (int sb = 0; sb < sblimit; ++sb) {
            for (int ch = 0; ch < h.channels; ++ch) in.cursor().skip(allocation[ch][sb] != 0 ? 2 : 0);
        }
        reading.protected_end = in.cursor().position();
        return reading;
    }
    in.open("scfsi");
    for (int sb = 0; sb < sblimit; ++sb) {
        for (int ch = 0; ch < h.channels; ++ch) {
            if (allocation[ch][sb] != 0) scfsi[ch][sb] = in.take(2, "scfsi", {ch, sb});
        }
    }
    in.close();
    reading.protected_end = in.cursor().position();
    in.open("scalefactor");
    constexpr int kScalefactorCount[4] = {3, 2, 1, 2};
    if (kept != nullptr) {
        kept->sblimit = sblimit;
        kept->channels = h.channels;
    }
    for (int sb = 0; sb < sblimit; ++sb) {
        for (int ch = 0; ch < h.channels; ++ch) {
            if (allocation[ch][sb] == 0) continue;
            const int count = kScalefactorCount[scfsi[ch][sb]];
            for (int i = 0; i < count; ++i) {
                const int value = in.take(6, "scalefactor", {ch, sb, i});
                if (kept != nullptr) kept->values[sb][ch][i] = static_cast<std::uint8_t>(value);
            }
            if (kept != nullptr) kept->count[sb][ch] = static_cast<std::uint8_t>(count);
        }
    }
    in.close();
    int sample_bits = 0;
    for (int sb = 0; sb < sblimit; ++sb) {
        const int coded = sb < bound ? h.channels : 1;
        for (int ch = 0; ch < coded; ++ch) {
            const int value = allocation[ch][sb];
            if (value == 0) continue;
            const std::int32_t* row = l2::kTables[table].data() + sb * 64 + value * 4;
            sample_bits += row[2] == 1 ? 12 * row[1] : 36 * row[1];
        }
    }
    reading.audio_end = in.cursor().position() + sample_bits;
    return reading;
}

void read_granule_channel(field_reader& in, bool mpeg1, int ch, int& part2_3_length) {
    in.open("channel", {ch});
    part2_3_length = in.take(12, "part2_3_length");
    in.take(9, "big_values");
    in.take(8, "global_gain");
    in.take(mpeg1 ? 4 : 9, "scalefac_compress");
    if (in.take(1, "window_switching_flag") != 0) {
        in.take(2, "block_type");
        in.take(1, "mixed_block_flag");
        for (int region = 0; region < 2; ++region) in.take(5, "table_select", {region});
        for (int window = 0; window < 3; ++window) in.take(3, "subblock_gain", {window});
    } else {
        for (int region = 0; region < 3; ++region) in.take(5, "table_select", {region});
        in.take(4, "region0_count");
        in.take(3, "region1_count");
    }
    if (mpeg1) in.take(1, "preflag");
    in.take(1, "scalefac_scale");
    in.take(1, "count1table_select");
    in.close();
}

layer3_side read_side(const frame_header& h, const std::uint8_t* frame, field_sink* sink) {
    const bool mpeg1 = h.version_code == mpa_header::kVersionMpeg1;
    const int start = payload_start(h);
    bit_cursor cursor(frame, h.length * 8, start * 8);
    field_reader in(cursor, sink);
    layer3_side side{};
    side.main_data_begin = in.take(mpeg1 ? 9 : 8, "main_data_begin");
    const int private_width = mpeg1 ? (h.channels == 1 ? 5 : 3) : (h.channels == 1 ? 1 : 2);
    in.take(private_width, "private_bits");
    if (mpeg1) {
        for (int ch = 0; ch < h.channels; ++ch) {
            for (int band = 0; band < 4; ++band) in.take(1, "scfsi", {ch, band});
        }
    }
    const int granules = mpeg1 ? 2 : 1;
    const int granule_bits = mpeg1 ? 59 : 63;
    for (int gr = 0; gr < granules; ++gr) {
        in.open("granule", {gr});
        for (int ch = 0; ch < h.channels; ++ch) {
            int part2_3_length = 0;
            if (in.reporting()) {
                read_granule_channel(in, mpeg1, ch, part2_3_length);
            } else {
                part2_3_length = cursor.read(12);
                cursor.skip(granule_bits - 12);
            }
            side.main_data_bits += part2_3_length;
        }
        in.close();
    }
    side.own_main_data_bytes = std::max(0, h.length - start - side_info_bytes(h));
    return side;
}

}  // namespace

int protected_bits(const frame_header& h, const std::uint8_t* frame) {
    if (h.layer == 1) return layer1_protected_bits(h);
    if (h.layer == 2) {
        bit_cursor cursor(frame, h.length * 8, 48);
        field_reader in(cursor, nullptr);
        return read_layer2(h, in, false).protected_end - 48;
    }
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

layer3_side read_layer3_side(const frame_header& h, const std::uint8_t* frame) { return read_side(h, frame, nullptr); }

layer3_side read_layer3_side(const frame_header& h, const std::uint8_t* frame, field_sink& sink) {
    return read_side(h, frame, &sink);
}

int read_audio_fields(const frame_header& h, const std::uint8_t* frame, field_sink& sink) {
    bit_cursor cursor(frame, h.length * 8, payload_start(h) * 8);
    field_reader in(cursor, &sink);
    if (h.layer == 1) return read_layer1(h, in);
    if (h.layer == 2) return read_layer2(h, in, true).audio_end;
    static_cast<void>(read_side(h, frame, &sink));
    return (payload_start(h) + side_info_bytes(h)) * 8;
}

int audio_data_end(const frame_header& h, const std::uint8_t* frame, layer2_scalefactors* scalefactors) {
    if (h.layer == 3) return -1;
    bit_cursor cursor(frame, h.length * 8, payload_start(h) * 8);
    field_reader in(cursor, nullptr);
    if (h.layer == 1) return read_layer1(h, in);
    return read_layer2(h, in, true, scalefactors).audio_end;
}

}  // namespace mpacheck
