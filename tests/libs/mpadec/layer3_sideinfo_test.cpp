// Layer III side information: the MPEG-1 and MPEG-2 layouts, the region
// counts that window switching implies, and the values the decoder refuses.

#include <gtest/gtest.h>

#include "libs/mpadec/layer3.h"
#include "tests/libs/mpadec/bit_writer.h"

namespace mpadec_test {
namespace {

using mpadec::bit_reader;
using mpadec::granule_info;
using mpadec::side_info;

// The fields of one granule and channel in their coded order.
void PutGranule(BitWriter& w, int version, const granule_info& g) {
    w.Put(static_cast<std::uint32_t>(g.part2_3_length), 12)
        .Put(static_cast<std::uint32_t>(g.big_values), 9)
        .Put(static_cast<std::uint32_t>(g.global_gain), 8)
        .Put(static_cast<std::uint32_t>(g.scalefac_compress), version == 1 ? 4 : 9)
        .Put(static_cast<std::uint32_t>(g.window_switching_flag), 1);
    if (g.window_switching_flag) {
        w.Put(static_cast<std::uint32_t>(g.block_type), 2).Put(static_cast<std::uint32_t>(g.mixed_block_flag), 1);
        for (int r = 0; r < 2; ++r) w.Put(static_cast<std::uint32_t>(g.table_select[r]), 5);
        for (int s = 0; s < 3; ++s) w.Put(static_cast<std::uint32_t>(g.subblock_gain[s]), 3);
    } else {
        for (int r = 0; r < 3; ++r) w.Put(static_cast<std::uint32_t>(g.table_select[r]), 5);
        w.Put(static_cast<std::uint32_t>(g.region0_count), 4).Put(static_cast<std::uint32_t>(g.region1_count), 3);
    }
    if (version == 1) w.Put(static_cast<std::uint32_t>(g.preflag), 1);
    w.Put(static_cast<std::uint32_t>(g.scalefac_scale), 1).Put(static_cast<std::uint32_t>(g.count1table_select), 1);
}

granule_info Long(int seed) {
    granule_info g{};
    g.part2_3_length = 1000 + seed;
    g.big_values = 100 + seed;
    g.global_gain = 150 + seed;
    g.scalefac_compress = seed % 16;
    g.table_select[0] = 1 + seed;
    g.table_select[1] = 10 + seed;
    g.table_select[2] = 20 + seed;
    g.region0_count = 3 + seed;
    g.region1_count = seed % 8;
    g.preflag = seed & 1;
    g.scalefac_scale = (seed >> 1) & 1;
    g.count1table_select = 1;
    return g;
}

granule_info Switched(int block_type, int mixed) {
    granule_info g = Long(2);
    g.window_switching_flag = 1;
    g.block_type = block_type;
    g.mixed_block_flag = mixed;
    g.table_select[2] = 0;
    g.subblock_gain[0] = 1;
    g.subblock_gain[1] = 5;
    g.subblock_gain[2] = 7;
    return g;
}

void ExpectSame(const granule_info& read, const granule_info& written) {
    EXPECT_EQ(read.part2_3_length, written.part2_3_length);
    EXPECT_EQ(read.big_values, written.big_values);
    EXPECT_EQ(read.global_gain, written.global_gain);
    EXPECT_EQ(read.scalefac_compress, written.scalefac_compress);
    EXPECT_EQ(read.window_switching_flag, written.window_switching_flag);
    EXPECT_EQ(read.block_type, written.block_type);
    EXPECT_EQ(read.mixed_block_flag, written.mixed_block_flag);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(read.table_select[r], written.table_select[r]) << r;
    for (int s = 0; s < 3; ++s) EXPECT_EQ(read.subblock_gain[s], written.subblock_gain[s]) << s;
    EXPECT_EQ(read.preflag, written.preflag);
    EXPECT_EQ(read.scalefac_scale, written.scalefac_scale);
    EXPECT_EQ(read.count1table_select, written.count1table_select);
}

TEST(Layer3SideInfoTest, ReadsMpeg1StereoSideInformation) {
    BitWriter w;
    w.Put(300, 9).Put(5, 3).Put(0b1010, 4).Put(0b0111, 4);
    const granule_info written[2][2] = {{Long(0), Switched(2, 0)}, {Switched(1, 1), Long(3)}};
    for (const auto& granule : written) {
        for (const granule_info& g : granule) PutGranule(w, 1, g);
    }
    ASSERT_EQ(w.BitCount(), 8u * mpadec::side_info_bytes(1, 2));
    w.Put(0xAB, 8);

    bit_reader reader(w.Bytes().data(), w.Bytes().size());
    side_info info;
    ASSERT_TRUE(mpadec::read_side_info(reader, 1, 2, info));
    EXPECT_EQ(reader.position(), 256u);
    EXPECT_EQ(info.main_data_begin, 300);
    EXPECT_EQ(info.private_bits, 5);
    const int scfsi[2][4] = {{1, 0, 1, 0}, {0, 1, 1, 1}};
    for (int ch = 0; ch < 2; ++ch) {
        for (int band = 0; band < 4; ++band) EXPECT_EQ(info.scfsi[ch][band], scfsi[ch][band]);
    }
    for (int gr = 0; gr < 2; ++gr) {
        for (int ch = 0; ch < 2; ++ch) ExpectSame(info.granules[gr][ch], written[gr][ch]);
    }
    EXPECT_EQ(info.granules[0][0].region0_count, 3);
    EXPECT_EQ(info.granules[0][0].region1_count, 0);
    // Window switching implies the region counts: 8 for pure short blocks,
    // 7 otherwise, and 20 less that.
    EXPECT_EQ(info.granules[0][1].region0_count, 8);
    EXPECT_EQ(info.granules[0][1].region1_count, 12);
    EXPECT_EQ(info.granules[1][0].region0_count, 7);
    EXPECT_EQ(info.granules[1][0].region1_count, 13);
}

TEST(Layer3SideInfoTest, ReadsMpeg1MonoAndMpeg2SideInformation) {
    BitWriter mono;
    mono.Put(511, 9).Put(0x1F, 5).Put(0b1111, 4);
    PutGranule(mono, 1, Long(4));
    PutGranule(mono, 1, Switched(3, 0));
    ASSERT_EQ(mono.BitCount(), 8u * mpadec::side_info_bytes(1, 1));
    bit_reader reader(mono.Bytes().data(), mono.Bytes().size());
    side_info info;
    ASSERT_TRUE(mpadec::read_side_info(reader, 1, 1, info));
    EXPECT_EQ(info.main_data_begin, 511);
    EXPECT_EQ(info.private_bits, 0x1F);
    ExpectSame(info.granules[1][0], Switched(3, 0));

    // MPEG-2: 8-bit main_data_begin, 9-bit scalefac_compress, no scfsi and
    // no preflag, one granule.
    for (int channels = 1; channels <= 2; ++channels) {
        BitWriter w;
        w.Put(255, 8).Put(channels == 1 ? 1 : 3, channels);
        granule_info g[2] = {Long(1), Switched(2, 1)};
        g[0].scalefac_compress = 511;
        g[1].scalefac_compress = 300;
        for (int ch = 0; ch < channels; ++ch) {
            g[ch].preflag = 0;
            PutGranule(w, 0, g[ch]);
        }
        ASSERT_EQ(w.BitCount(), 8u * mpadec::side_info_bytes(0, channels));
        bit_reader lsf(w.Bytes().data(), w.Bytes().size());
        side_info read;
        ASSERT_TRUE(mpadec::read_side_info(lsf, 0, channels, read));
        EXPECT_EQ(lsf.position(), w.BitCount());
        EXPECT_EQ(read.main_data_begin, 255);
        EXPECT_EQ(read.private_bits, channels == 1 ? 1 : 3);
        for (int ch = 0; ch < channels; ++ch) ExpectSame(read.granules[0][ch], g[ch]);
    }
}

TEST(Layer3SideInfoTest, RefusesTooManyBigValuesAndWindowSwitchingWithoutABlockType) {
    const auto accepted = [](const granule_info& g) {
        BitWriter w;
        w.Put(0, 9).Put(0, 5).Put(0, 4);
        PutGranule(w, 1, Long(0));
        PutGranule(w, 1, g);
        bit_reader reader(w.Bytes().data(), w.Bytes().size());
        side_info info;
        const bool ok = mpadec::read_side_info(reader, 1, 1, info);
        EXPECT_EQ(reader.position(), 136u) << "the reader passes the whole side information";
        return ok;
    };
    granule_info g = Long(0);
    g.big_values = 288;
    EXPECT_TRUE(accepted(g));
    g.big_values = 289;
    EXPECT_FALSE(accepted(g));
    g.big_values = 511;
    EXPECT_FALSE(accepted(g));
    for (int type = 0; type < 4; ++type) EXPECT_EQ(accepted(Switched(type, 0)), type != 0) << type;
}

}  // namespace
}  // namespace mpadec_test
