// Layer III dequantisation against its formula: sign(x) |x|^(4/3) with the
// power rounded to 6 decimals, times 2^(0.25 (global_gain - 210)), the scale
// factor (with pre-emphasis for long bands), and for short blocks the
// subblock gain of the line's window.

#include <gtest/gtest.h>

#include <cmath>

#include "libs/mpadec/layer3.h"

namespace mpadec_test {
namespace {

using mpadec::granule_info;
using mpadec::scale_factors;

// ISO/IEC 11172-3 Table B.6.
const int kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

double Power(int x) { return std::round(std::pow(std::abs(x), 4.0 / 3.0) * 1e6) / 1e6 * (x < 0 ? -1 : 1); }

TEST(Layer3DequantiseTest, ThePowerTableHoldsFourThirdsRoundedToSixDecimals) {
    for (int x = 0; x <= 8207; ++x) {
        const double exact = std::pow(x, 4.0 / 3.0);
        const double entry = mpadec::power_four_thirds(x);
        ASSERT_LE(std::abs(entry - exact), 0.5e-6 + 1e-10) << x;
        ASSERT_NEAR(entry * 1e6, std::round(entry * 1e6), 1e-3) << x;
    }
    EXPECT_EQ(mpadec::power_four_thirds(1), 1.0);
    EXPECT_EQ(mpadec::power_four_thirds(8), 16.0);
    EXPECT_EQ(mpadec::power_four_thirds(2), 2.519842);
}

int Quantised(int line) { return (line * 37 % 29 - 14) * (line % 5 == 0 ? 300 : 1); }

TEST(Layer3DequantiseTest, LongBlocksApplyGlobalGainScaleFactorsAndPreEmphasis) {
    const mpadec::band_layout& bands = mpadec::scale_factor_bands(1, 1);  // 48 kHz
    int values[576];
    for (int i = 0; i < 576; ++i) values[i] = Quantised(i);
    scale_factors f{};
    for (int band = 0; band < 21; ++band) f.l[band] = band % 7;
    for (int preflag = 0; preflag <= 1; ++preflag) {
        for (int scale = 0; scale <= 1; ++scale) {
            granule_info g{};
            g.global_gain = 190 + 7 * preflag + scale;
            g.preflag = preflag;
            g.scalefac_scale = scale;
            double lines[576];
            mpadec::dequantise(values, g, f, bands, 1, lines);
            for (int band = 0; band < 22; ++band) {
                for (int i = bands.long_bounds[band]; i < bands.long_bounds[band + 1]; ++i) {
                    const double factor = std::pow(2.0, 0.25 * (g.global_gain - 210)) *
                                          std::pow(2.0, -0.5 * (1 + scale) * (f.l[band] + preflag * kPretab[band]));
                    ASSERT_NEAR(lines[i], Power(values[i]) * factor, 1e-12 * std::abs(Power(values[i]) * factor))
                        << band << " " << i;
                }
            }
        }
    }
}

TEST(Layer3DequantiseTest, ShortBlocksTakeTheWindowOfTheLineWithinItsBand) {
    const mpadec::band_layout& bands = mpadec::scale_factor_bands(0, 0);  // 22.05 kHz
    int values[576];
    for (int i = 0; i < 576; ++i) values[i] = Quantised(i);
    scale_factors f{};
    for (int band = 0; band < 12; ++band) {
        for (int w = 0; w < 3; ++w) f.s[band][w] = (band + 5 * w) % 8;
    }
    f.l[0] = 3;
    for (int mixed = 0; mixed <= 1; ++mixed) {
        granule_info g{};
        g.global_gain = 171;
        g.window_switching_flag = 1;
        g.block_type = 2;
        g.mixed_block_flag = mixed;
        g.scalefac_scale = 1;
        g.preflag = 1;  // no effect on short bands, none on long bands 0-5 either
        g.subblock_gain[0] = 0;
        g.subblock_gain[1] = 2;
        g.subblock_gain[2] = 7;
        double lines[576];
        mpadec::dequantise(values, g, f, bands, 0, lines);
        const double global = std::pow(2.0, 0.25 * (171 - 210));
        for (int band = mixed ? 3 : 0; band < 13; ++band) {
            const int start = bands.short_bounds[band];
            const int width = bands.short_bounds[band + 1] - start;
            for (int k = 0; k < 3 * width; ++k) {
                const int i = 3 * start + k;
                const int w = k / width;
                const double factor =
                    global * std::pow(2.0, -2.0 * g.subblock_gain[w]) * std::pow(2.0, -1.0 * f.s[band][w]);
                ASSERT_NEAR(lines[i], Power(values[i]) * factor, 1e-12 * std::abs(Power(values[i]) * factor))
                    << mixed << " " << band << " " << i;
            }
        }
        if (mixed) {
            // The long part: below long band 6 of MPEG-2, lines 0-35.
            for (int i = 0; i < 36; ++i) {
                const int band = i / 6;
                const double factor = global * std::pow(2.0, -1.0 * f.l[band]);
                ASSERT_NEAR(lines[i], Power(values[i]) * factor, 1e-12 * std::abs(Power(values[i]) * factor)) << i;
            }
        }
    }
}

}  // namespace
}  // namespace mpadec_test
