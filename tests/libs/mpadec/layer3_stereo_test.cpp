// Layer III joint stereo: mid/side with its fixed divisor, MPEG-1 intensity
// (ratios tan(is_pos pi/12), the illegal position 7, where the region starts
// and the top band rules), short blocks window by window, MPEG-2 intensity,
// and intensity in mixed blocks.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "libs/mpadec/layer3.h"
#include "tests/libs/mpadec/layer3_parts.h"

namespace mpadec_test {
namespace {

using mpadec::granule_info;
using mpadec::scale_factors;
using mpadec::stereo_frame;

struct Granule {
    double lines[2][576];
    double left[576];  // the left channel before processing

    explicit Granule(double right = 0.0) {
        for (int i = 0; i < 576; ++i) {
            left[i] = lines[0][i] = 1.0 + 0.01 * i;
            lines[1][i] = right;
        }
    }
};

const mpadec::band_layout& Bands(int version) { return mpadec::scale_factor_bands(version, 0); }

void Process(Granule& x, int version, int extension, const granule_info& g, const scale_factors& f,
             int scalefac_compress = 0) {
    granule_info right = g;
    right.scalefac_compress = scalefac_compress;
    mpadec::process_stereo(x.lines, stereo_frame{version, 1, extension}, g, right, f, Bands(version));
}

void ExpectRatio(const Granule& x, int from, int to, double ratio) {
    for (int i = from; i < to; ++i) {
        EXPECT_DOUBLE_EQ(x.lines[0][i], x.left[i] * ratio / (1 + ratio)) << i;
        EXPECT_DOUBLE_EQ(x.lines[1][i], x.left[i] / (1 + ratio)) << i;
    }
}

void ExpectGains(const Granule& x, int from, int to, double left, double right) {
    for (int i = from; i < to; ++i) {
        EXPECT_DOUBLE_EQ(x.lines[0][i], x.left[i] * left) << i;
        EXPECT_DOUBLE_EQ(x.lines[1][i], x.left[i] * right) << i;
    }
}

void ExpectUnchanged(const Granule& x, int from, int to, double right = 0.0) {
    for (int i = from; i < to; ++i) {
        EXPECT_EQ(x.lines[0][i], x.left[i]) << i;
        EXPECT_EQ(x.lines[1][i], right) << i;
    }
}

double Tan(int is_pos) { return std::tan(is_pos * std::numbers::pi / 12); }

TEST(Layer3StereoTest, MidSideDividesByTheFixedRootOfTwo) {
    Granule x;
    for (int i = 0; i < 576; ++i) {
        x.lines[0][i] = 1.0;  // M
        x.lines[1][i] = i == 7 ? 0.25 : 0.0;  // S
    }
    mpadec::process_stereo(x.lines, stereo_frame{1, 1, 2}, Block(), Block(), scale_factors{}, Bands(1));
    EXPECT_EQ(x.lines[0][0], 1 / 1.41421356);
    EXPECT_EQ(x.lines[1][0], 1 / 1.41421356);
    EXPECT_EQ(x.lines[0][575], 1 / 1.41421356);
    EXPECT_EQ(x.lines[0][7], 1.25 / 1.41421356);
    EXPECT_EQ(x.lines[1][7], 0.75 / 1.41421356);

    // Not joint stereo, or joint without the mid/side bit: nothing happens.
    for (const stereo_frame frame : {stereo_frame{1, 0, 2}, stereo_frame{1, 2, 3}, stereo_frame{1, 1, 0}}) {
        Granule y(0.5);
        mpadec::process_stereo(y.lines, frame, Block(), Block(), scale_factors{}, Bands(1));
        ExpectUnchanged(y, 0, 576, 0.5);
    }
}

TEST(Layer3StereoTest, Mpeg1IntensityTurnsPositionsIntoRatios) {
    const mpadec::band_layout& b = Bands(1);
    scale_factors f{};
    const int positions[21] = {0, 3, 7, 6, 1, 2, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    for (int band = 0; band < 21; ++band) f.l[band] = positions[band];
    Granule x;
    Process(x, 1, 1, Block(), f);
    // is_pos 0: all in the right channel; 3: halves.
    for (int i = b.long_bounds[0]; i < b.long_bounds[1]; ++i) {
        EXPECT_EQ(x.lines[0][i], 0.0);
        EXPECT_EQ(x.lines[1][i], x.left[i]);
    }
    for (int i = b.long_bounds[1]; i < b.long_bounds[2]; ++i) {
        EXPECT_NEAR(x.lines[0][i], x.left[i] / 2, 1e-14);
        EXPECT_NEAR(x.lines[1][i], x.left[i] / 2, 1e-14);
    }
    // 7 is no intensity position: the band stays as it is.
    ExpectUnchanged(x, b.long_bounds[2], b.long_bounds[3]);
    for (int band = 3; band < 21; ++band) {
        ExpectRatio(x, b.long_bounds[band], b.long_bounds[band + 1], Tan(positions[band]));
    }
    // The top band takes band 20's position.
    ExpectRatio(x, b.long_bounds[21], 576, Tan(1));

    // With mid/side as well, the band at position 7 gets mid/side.
    Granule y(0.0);
    Process(y, 1, 3, Block(), f);
    for (int i = b.long_bounds[2]; i < b.long_bounds[3]; ++i) {
        EXPECT_EQ(y.lines[0][i], y.left[i] / 1.41421356);
        EXPECT_EQ(y.lines[1][i], y.left[i] / 1.41421356);
    }
    ExpectRatio(y, b.long_bounds[3], b.long_bounds[4], Tan(6));
}

TEST(Layer3StereoTest, Mpeg1IntensityStartsAboveTheRightChannelsLastNonZeroBand) {
    const mpadec::band_layout& b = Bands(1);
    scale_factors f{};
    for (int band = 0; band < 21; ++band) f.l[band] = 2;
    Granule x;
    x.lines[1][b.long_bounds[5] + 1] = 0.5;  // in band 5
    Process(x, 1, 1, Block(), f);
    ExpectUnchanged(x, 0, b.long_bounds[5]);
    EXPECT_EQ(x.lines[1][b.long_bounds[5] + 1], 0.5);
    ExpectRatio(x, b.long_bounds[6], 576, Tan(2));

    // A non-zero line in band 20: the top band alone, with ratio 0.
    Granule top;
    top.lines[1][b.long_bounds[20]] = 0.5;
    Process(top, 1, 1, Block(), f);
    ExpectUnchanged(top, b.long_bounds[20] + 1, b.long_bounds[21]);
    ExpectRatio(top, b.long_bounds[21], 576, 0.0);
    EXPECT_EQ(top.lines[0][575], 0.0);
    EXPECT_EQ(top.lines[1][575], top.left[575]);

    // In the top band: no intensity at all. The ratio of position 7 below the
    // top band is computed all the same.
    Granule none;
    none.lines[1][575] = 0.5;
    Process(none, 1, 1, Block(), f);
    ExpectUnchanged(none, 0, 575);
    f.l[20] = 7;
    Granule seven;
    seven.lines[1][b.long_bounds[19]] = 0.5;
    Process(seven, 1, 1, Block(), f);
    ExpectUnchanged(seven, b.long_bounds[20], b.long_bounds[21]);
    ExpectRatio(seven, b.long_bounds[21], 576, Tan(7));
}

// Line i of short band `band`, window w, position k, in coded order.
int ShortLine(const mpadec::band_layout& b, int band, int w, int k) {
    const int width = b.short_bounds[band + 1] - b.short_bounds[band];
    return 3 * b.short_bounds[band] + w * width + k;
}

void ExpectShortRatio(const Granule& x, const mpadec::band_layout& b, int band, int w, double ratio) {
    const int width = b.short_bounds[band + 1] - b.short_bounds[band];
    const int from = ShortLine(b, band, w, 0);
    ExpectRatio(x, from, from + width, ratio);
}

// The lines of a window's bands [first, last) are as they were; the right
// channel holds `marked` at line `at` and 0 elsewhere.
void ExpectWindowUnchanged(const Granule& x, const mpadec::band_layout& b, int w, int first, int last, int at) {
    for (int band = first; band < last; ++band) {
        const int from = ShortLine(b, band, w, 0);
        const int width = b.short_bounds[band + 1] - b.short_bounds[band];
        for (int i = from; i < from + width; ++i) {
            EXPECT_EQ(x.lines[0][i], x.left[i]) << i;
            EXPECT_EQ(x.lines[1][i], i == at ? 0.5 : 0.0) << i;
        }
    }
}

TEST(Layer3StereoTest, ShortBlocksFindTheIntensityStartWindowByWindow) {
    const mpadec::band_layout& b = Bands(1);
    scale_factors f{};
    for (int band = 0; band < 12; ++band) {
        for (int w = 0; w < 3; ++w) f.s[band][w] = (band + w) % 7;
    }
    Granule x;
    const int in_band_4 = ShortLine(b, 4, 1, 2);
    const int in_top_band = ShortLine(b, 12, 2, 0);
    x.lines[1][in_band_4] = 0.5;
    x.lines[1][in_top_band] = 0.5;
    Process(x, 1, 1, Block(2), f);
    // Window 0 has no right line: intensity from band 0, the top band with
    // band 11's position.
    for (int band = 0; band < 12; ++band) ExpectShortRatio(x, b, band, 0, Tan(f.s[band][0]));
    ExpectShortRatio(x, b, 12, 0, Tan(f.s[11][0]));
    // Window 1 from band 5.
    ExpectWindowUnchanged(x, b, 1, 0, 5, in_band_4);
    for (int band = 5; band < 12; ++band) ExpectShortRatio(x, b, band, 1, Tan(f.s[band][1]));
    ExpectShortRatio(x, b, 12, 1, Tan(f.s[11][1]));
    // Window 2 has a right line in the top band: no intensity.
    ExpectWindowUnchanged(x, b, 2, 0, 13, in_top_band);
}

TEST(Layer3StereoTest, Mpeg2IntensityUsesPowersOfItsTwoBases) {
    const mpadec::band_layout& b = Bands(0);
    scale_factors f{};
    const int positions[21] = {0, 1, 2, 3, 4, 5, 6, 7, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5};
    for (int band = 0; band < 21; ++band) {
        f.l[band] = positions[band];
        f.l_max[band] = 7;
    }
    f.l_max[8] = 3;  // position 3 is the largest of a 2-bit factor: no intensity
    for (int odd = 0; odd <= 1; ++odd) {
        const double io = odd ? 0.707106781188 : 0.840896415256;
        Granule x;
        Process(x, 0, 1, Block(), f, 100 + odd);
        ExpectGains(x, b.long_bounds[0], b.long_bounds[1], 1, 1);
        ExpectGains(x, b.long_bounds[1], b.long_bounds[2], io, 1);
        ExpectGains(x, b.long_bounds[2], b.long_bounds[3], 1, io);
        ExpectGains(x, b.long_bounds[3], b.long_bounds[4], io * io, 1);
        ExpectGains(x, b.long_bounds[4], b.long_bounds[5], 1, io * io);
        ExpectGains(x, b.long_bounds[5], b.long_bounds[6], std::pow(io, 3), 1);
        ExpectGains(x, b.long_bounds[6], b.long_bounds[7], 1, std::pow(io, 3));
        ExpectUnchanged(x, b.long_bounds[7], b.long_bounds[9]);
        ExpectGains(x, b.long_bounds[21], 576, std::pow(io, 3), 1);
    }
    // Intensity from the top band itself: position 0, both channels get x.
    Granule top;
    top.lines[1][b.long_bounds[20]] = 0.5;
    Process(top, 0, 1, Block(), f, 100);
    ExpectGains(top, b.long_bounds[21], 576, 1, 1);
}

TEST(Layer3StereoTest, MixedBlocksTakeTheLongPartOnlyWhenTheShortPartIsEmpty) {
    const mpadec::band_layout& b = Bands(1);
    scale_factors f{};
    for (int band = 0; band < 8; ++band) f.l[band] = 2;
    for (int band = 3; band < 12; ++band) {
        for (int w = 0; w < 3; ++w) f.s[band][w] = 4;
    }
    // The short part is empty in the right channel: the long part starts
    // after its highest non-zero band (band 2), the short part at band 3.
    Granule x;
    x.lines[1][b.long_bounds[2]] = 0.5;
    Process(x, 1, 1, Block(2, 1), f);
    ExpectUnchanged(x, 0, b.long_bounds[2]);
    ExpectRatio(x, b.long_bounds[3], 36, Tan(2));
    for (int w = 0; w < 3; ++w) {
        for (int band = 3; band < 12; ++band) ExpectShortRatio(x, b, band, w, Tan(4));
    }

    // A non-zero right line in the short part: the long part stays outside.
    Granule y;
    y.lines[1][ShortLine(b, 3, 0, 0)] = 0.5;
    Process(y, 1, 1, Block(2, 1), f);
    ExpectUnchanged(y, 0, 36);
    for (int band = 4; band < 12; ++band) ExpectShortRatio(y, b, band, 0, Tan(4));
    for (int band = 3; band < 12; ++band) ExpectShortRatio(y, b, band, 1, Tan(4));
}

}  // namespace
}  // namespace mpadec_test
