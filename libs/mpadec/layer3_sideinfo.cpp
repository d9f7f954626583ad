// Layer III side information of ISO/IEC 11172-3 and 13818-3: the fields of
// every granule and channel, and the values this decoder refuses.

#include "libs/mpadec/layer3.h"

namespace mpadec {
namespace {

int field(bit_reader& reader, int bits) { return static_cast<int>(reader.read(bits)); }

// The window fields of a granule with window switching. The region counts
// follow from the block type: region 1 starts at line 36 either way.
void read_window_switching(bit_reader& reader, granule_info& g) {
    g.block_type = field(reader, 2);
    g.mixed_block_flag = field(reader, 1);
    for (int region = 0; region < 2; ++region) g.table_select[region] = field(reader, 5);
    g.table_select[2] = 0;
    for (int window = 0; window < 3; ++window) g.subblock_gain[window] = field(reader, 3);
    g.region0_count = g.block_type == 2 && g.mixed_block_flag == 0 ? 8 : 7;
    g.region1_count = 20 - g.region0_count;
}

void read_regions(bit_reader& reader, granule_info& g) {
    g.block_type = 0;
    g.mixed_block_flag = 0;
    for (int region = 0; region < 3; ++region) g.table_select[region] = field(reader, 5);
    for (int window = 0; window < 3; ++window) g.subblock_gain[window] = 0;
    g.region0_count = field(reader, 4);
    g.region1_count = field(reader, 3);
}

// One granule and channel; false when its values are refused.
bool read_granule(bit_reader& reader, int version, granule_info& g) {
    g.part2_3_length = field(reader, 12);
    g.big_values = field(reader, 9);
    g.global_gain = field(reader, 8);
    g.scalefac_compress = field(reader, version == 1 ? 4 : 9);
    g.window_switching_flag = field(reader, 1);
    if (g.window_switching_flag) {
        read_window_switching(reader, g);
    } else {
        read_regions(reader, g);
    }
    g.preflag = version == 1 ? field(reader, 1) : 0;
    g.scalefac_scale = field(reader, 1);
    g.count1table_select = field(reader, 1);
    return g.big_values <= kGranuleLines / 2 && !(g.window_switching_flag && g.block_type == 0);
}

}  // namespace

int side_info_bytes(int version, int channels) {
    if (version == 1) return channels == 1 ? 17 : 32;
    return channels == 1 ? 9 : 17;
}

bool read_side_info(bit_reader& reader, int version, int channels, side_info& info) {
    info = {};
    bool valid = true;
    if (version == 1) {
        info.main_data_begin = field(reader, 9);
        info.private_bits = field(reader, channels == 1 ? 5 : 3);
        for (int ch = 0; ch < channels; ++ch) {
            for (int band = 0; band < 4; ++band) info.scfsi[ch][band] = field(reader, 1);
        }
    } else {
        info.main_data_begin = field(reader, 8);
        info.private_bits = field(reader, channels == 1 ? 1 : 2);
    }
    const int granules = version == 1 ? 2 : 1;
    for (int gr = 0; gr < granules; ++gr) {
        for (int ch = 0; ch < channels; ++ch) valid = read_granule(reader, version, info.granules[gr][ch]) && valid;
    }
    return valid;
}

}  // namespace mpadec
