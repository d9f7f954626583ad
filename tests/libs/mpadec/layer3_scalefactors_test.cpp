// Layer III scale factors: MPEG-1 slen1/slen2, the reuse of granule 0's
// factors through scfsi, short and mixed layouts; MPEG-2 partitions by
// scalefac_compress, with the intensity positions of the right channel and
// their largest values.

#include <gtest/gtest.h>

#include <vector>

#include "libs/mpadec/layer3.h"
#include "tests/libs/mpadec/bit_writer.h"
#include "tests/libs/mpadec/layer3_parts.h"

namespace mpadec_test {
namespace {

using mpadec::granule_info;
using mpadec::main_data_buffer;
using mpadec::scale_factors;

granule_info CompressedGranule(int scalefac_compress, int block_type = 0, int mixed = 0) {
    granule_info g{};
    g.scalefac_compress = scalefac_compress;
    g.window_switching_flag = block_type != 0;
    g.block_type = block_type;
    g.mixed_block_flag = mixed;
    return g;
}

TEST(Layer3ScaleFactorsTest, Mpeg1LongBlocksUseSlen1And2AndScfsiKeepsGranuleZero) {
    // scalefac_compress 12: slen1 3, slen2 2 (ISO/IEC 11172-3).
    BitWriter w;
    for (int band = 0; band < 11; ++band) w.Put(static_cast<std::uint32_t>(band % 8), 3);
    for (int band = 11; band < 21; ++band) w.Put(static_cast<std::uint32_t>(band % 4), 2);
    // Granule 1 with scfsi 0 1 0 1: only bands 0-5 and 11-15 are coded.
    for (int band = 0; band < 6; ++band) w.Put(7, 3);
    for (int band = 11; band < 16; ++band) w.Put(1, 2);
    w.Put(0, 8);
    main_data_buffer data = Holding(w);
    scale_factors f{};
    f.l[21] = f.l[22] = 9;
    const int no_scfsi[4] = {0, 0, 0, 0};
    mpadec::read_scale_factors_mpeg1(data, CompressedGranule(12), no_scfsi, 0, f);
    EXPECT_EQ(data.position, 11 * 3 + 10 * 2);
    for (int band = 0; band < 11; ++band) EXPECT_EQ(f.l[band], band % 8) << band;
    for (int band = 11; band < 21; ++band) EXPECT_EQ(f.l[band], band % 4) << band;
    EXPECT_EQ(f.l[21], 0);
    EXPECT_EQ(f.l[22], 0);

    const int scfsi[4] = {0, 1, 0, 1};
    mpadec::read_scale_factors_mpeg1(data, CompressedGranule(12), scfsi, 1, f);
    EXPECT_EQ(data.position, 11 * 3 + 10 * 2 + 6 * 3 + 5 * 2);
    for (int band = 0; band < 6; ++band) EXPECT_EQ(f.l[band], 7) << band;
    for (int band = 6; band < 11; ++band) EXPECT_EQ(f.l[band], band % 8) << band;
    for (int band = 11; band < 16; ++band) EXPECT_EQ(f.l[band], 1) << band;
    for (int band = 16; band < 21; ++band) EXPECT_EQ(f.l[band], band % 4) << band;

    // scalefac_compress 0 reads nothing.
    main_data_buffer none{};
    mpadec::read_scale_factors_mpeg1(none, CompressedGranule(0), no_scfsi, 0, f);
    EXPECT_EQ(none.position, 0);
    EXPECT_EQ(f.l[5], 0);
}

TEST(Layer3ScaleFactorsTest, Mpeg1ShortAndMixedBlocksReadBandByBandWithTheirWindows) {
    // scalefac_compress 14: slen1 4, slen2 2.
    BitWriter w;
    int value = 0;
    for (int band = 0; band < 12; ++band) {
        const int bits = band < 6 ? 4 : 2;
        for (int window = 0; window < 3; ++window, ++value) w.Put(static_cast<std::uint32_t>(value % (1 << bits)), bits);
    }
    main_data_buffer data = Holding(w);
    scale_factors f{};
    const int scfsi[4] = {1, 1, 1, 1};  // means nothing for short blocks
    mpadec::read_scale_factors_mpeg1(data, CompressedGranule(14, 2), scfsi, 1, f);
    EXPECT_EQ(data.position, 18 * 4 + 18 * 2);
    value = 0;
    for (int band = 0; band < 12; ++band) {
        for (int window = 0; window < 3; ++window, ++value) {
            EXPECT_EQ(f.s[band][window], value % (band < 6 ? 16 : 4)) << band << " " << window;
        }
    }
    for (int window = 0; window < 3; ++window) EXPECT_EQ(f.s[12][window], 0);

    // Mixed: long bands 0-7 and short bands 3-5 with slen1, 6-11 with slen2.
    BitWriter m;
    for (int band = 0; band < 8; ++band) m.Put(static_cast<std::uint32_t>(band + 1), 4);
    for (int k = 0; k < 9; ++k) m.Put(15, 4);
    for (int k = 0; k < 18; ++k) m.Put(2, 2);
    main_data_buffer mixed = Holding(m);
    scale_factors g{};
    mpadec::read_scale_factors_mpeg1(mixed, CompressedGranule(14, 2, 1), scfsi, 0, g);
    EXPECT_EQ(mixed.position, 17 * 4 + 18 * 2);
    for (int band = 0; band < 8; ++band) EXPECT_EQ(g.l[band], band + 1);
    EXPECT_EQ(g.s[2][2], 0);
    EXPECT_EQ(g.s[3][0], 15);
    EXPECT_EQ(g.s[5][2], 15);
    EXPECT_EQ(g.s[6][0], 2);
    EXPECT_EQ(g.s[11][2], 2);
}

struct PartitionCase {
    int scalefac_compress;
    bool intensity_right;
    int slen[4];
    int counts[4];  // long blocks
    int preflag;
};

TEST(Layer3ScaleFactorsTest, Mpeg2PartitionsFollowScalefacCompress) {
    // slen and partition sizes of ISO/IEC 13818-3 for long blocks.
    const std::vector<PartitionCase> cases = {
        {(3 * 5 + 2) << 4 | 1 << 2 | 3, false, {3, 2, 1, 3}, {6, 5, 5, 5}, 0},
        {400 + ((4 * 5 + 1) << 2) + 2, false, {4, 1, 2, 0}, {6, 5, 7, 3}, 0},
        {500 + 2 * 3 + 1, false, {2, 1, 0, 0}, {11, 10, 0, 0}, 1},
        {2 * (1 * 36 + 4 * 6 + 5), true, {1, 4, 5, 0}, {7, 7, 7, 0}, 0},
        {2 * (180 + (2 << 4 | 3 << 2 | 1)) + 1, true, {2, 3, 1, 0}, {6, 6, 6, 3}, 0},
        {2 * (244 + 3 * 3 + 1), true, {3, 1, 0, 0}, {8, 8, 5, 0}, 0},
        // No row of the standard covers 510 and 511: the last row's formula
        // goes on (slen1 3, slen2 2).
        {511, true, {3, 2, 0, 0}, {8, 8, 5, 0}, 0},
    };
    for (const PartitionCase& c : cases) {
        BitWriter w;
        int band = 0;
        for (int part = 0; part < 4; ++part) {
            for (int k = 0; k < c.counts[part]; ++k, ++band) {
                if (c.slen[part] > 0) w.Put(static_cast<std::uint32_t>(band % (1 << c.slen[part])), c.slen[part]);
            }
        }
        w.Put(0, 8);
        main_data_buffer data = Holding(w);
        granule_info g = CompressedGranule(c.scalefac_compress);
        g.preflag = 1 - c.preflag;
        scale_factors f{};
        mpadec::read_scale_factors_mpeg2(data, g, c.intensity_right, f);
        EXPECT_EQ(data.position, static_cast<std::int32_t>(w.BitCount()) - 8) << c.scalefac_compress;
        EXPECT_EQ(g.preflag, c.preflag) << c.scalefac_compress;
        band = 0;
        for (int part = 0; part < 4; ++part) {
            for (int k = 0; k < c.counts[part]; ++k, ++band) {
                const int max = (1 << c.slen[part]) - 1;
                EXPECT_EQ(f.l[band], c.slen[part] > 0 ? band % (max + 1) : 0) << c.scalefac_compress << " " << band;
                EXPECT_EQ(f.l_max[band], max) << c.scalefac_compress << " " << band;
            }
        }
        EXPECT_EQ(band, 21);
    }
}

TEST(Layer3ScaleFactorsTest, Mpeg2ShortAndMixedBlocksSpreadThePartitionsOverWindows) {
    // Row 0 with slen 1 2 3 4: short blocks take 9 factors per partition,
    // three bands of three windows each.
    const int s = (1 * 5 + 2) << 4 | 3 << 2;
    BitWriter w;
    const int slen[4] = {1, 2, 3, 0};
    for (int part = 0; part < 4; ++part) {
        for (int k = 0; k < 9; ++k) {
            if (slen[part] > 0) w.Put(static_cast<std::uint32_t>((1 << slen[part]) - 1), slen[part]);
        }
    }
    main_data_buffer data = Holding(w);
    granule_info g = CompressedGranule(s, 2);
    scale_factors f{};
    mpadec::read_scale_factors_mpeg2(data, g, false, f);
    EXPECT_EQ(data.position, 9 * (1 + 2 + 3));
    for (int band = 0; band < 12; ++band) {
        for (int window = 0; window < 3; ++window) {
            const int max = (1 << slen[band / 3]) - 1;
            EXPECT_EQ(f.s[band][window], max) << band;
            EXPECT_EQ(f.s_max[band][window], max) << band;
        }
    }

    // Mixed, row 0: 6 long bands, then short bands 3-11 (9 + 9 + 9).
    BitWriter m;
    for (int band = 0; band < 6; ++band) m.Put(1, 1);
    for (int k = 0; k < 9; ++k) m.Put(2, 2);
    for (int k = 0; k < 9; ++k) m.Put(5, 3);
    main_data_buffer mixed = Holding(m);
    granule_info gm = CompressedGranule(s, 2, 1);
    scale_factors fm{};
    mpadec::read_scale_factors_mpeg2(mixed, gm, false, fm);
    EXPECT_EQ(mixed.position, 6 + 18 + 27);
    for (int band = 0; band < 6; ++band) EXPECT_EQ(fm.l[band], 1);
    EXPECT_EQ(fm.l[6], 0);
    EXPECT_EQ(fm.s[2][2], 0);
    EXPECT_EQ(fm.s[3][0], 2);
    EXPECT_EQ(fm.s[5][2], 2);
    EXPECT_EQ(fm.s[6][0], 5);
    EXPECT_EQ(fm.s[8][2], 5);
    EXPECT_EQ(fm.s[9][0], 0);
    EXPECT_EQ(fm.s_max[9][0], 0);
}

}  // namespace
}  // namespace mpadec_test
