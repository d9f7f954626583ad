// The Layer III hybrid filterbank against the direct formulas: the 36- and
// 12-point IMDCT, the four windows, the reorder of short blocks, the alias
// butterflies (none for short and mixed blocks), the overlap across a switch
// from long to short blocks, the normal window of mixed blocks' two lowest
// subbands, and frequency inversion.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "libs/mpadec/layer3.h"
#include "tests/libs/mpadec/layer3_parts.h"

namespace mpadec_test {
namespace {

using mpadec::granule_info;

constexpr double kPi = std::numbers::pi;

// x_i = sum_k X_k cos(pi / 4n (2i + 1 + n)(2k + 1)), i < 2n: the IMDCT of n
// lines, term by term.
std::vector<double> DirectImdct(const double* lines, int n) {
    std::vector<double> out(2 * n);
    for (int i = 0; i < 2 * n; ++i) {
        double sum = 0;
        for (int k = 0; k < n; ++k) sum += lines[k] * std::cos(kPi / (4 * n) * (2 * i + 1 + n) * (2 * k + 1));
        out[i] = sum;
    }
    return out;
}

double Window(int type, int i) {
    const double normal = std::sin(kPi / 36 * (i + 0.5));
    switch (type) {
    case 1:
        return i < 18 ? normal : i < 24 ? 1 : i < 30 ? std::sin(kPi / 12 * (i + 0.5 - 18)) : 0;
    case 2:
        return i < 12 ? std::sin(kPi / 12 * (i + 0.5)) : 0;
    case 3:
        return i < 6 ? 0 : i < 12 ? std::sin(kPi / 12 * (i + 0.5 - 6)) : i < 18 ? 1 : normal;
    default:
        return normal;
    }
}

TEST(Layer3HybridTest, TheImdctsGiveTheDirectFormulasValues) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (int round = 0; round < 20; ++round) {
        double lines[18];
        for (double& line : lines) line = value(random);
        double fast[36];
        mpadec::imdct36(lines, fast);
        const std::vector<double> direct = DirectImdct(lines, 18);
        for (int i = 0; i < 36; ++i) ASSERT_NEAR(fast[i], direct[i], 1e-13) << i;

        double short_out[12];
        mpadec::imdct12(lines, short_out);
        const std::vector<double> short_direct = DirectImdct(lines, 6);
        for (int i = 0; i < 12; ++i) ASSERT_NEAR(short_out[i], short_direct[i], 1e-14) << i;
    }
}

TEST(Layer3HybridTest, TheFourWindowsFollowTheirFormulas) {
    for (int type = 0; type < 4; ++type) {
        const double* window = mpadec::imdct_window(type);
        for (int i = 0; i < (type == 2 ? 12 : 36); ++i) EXPECT_NEAR(window[i], Window(type, i), 1e-15) << type << " " << i;
    }
}

TEST(Layer3HybridTest, ShortBlocksInterleaveTheirWindowsAndMixedOnesKeepTheFirst36Lines) {
    const mpadec::band_layout& b = mpadec::scale_factor_bands(1, 2);  // 32 kHz
    for (int mixed = 0; mixed <= 1; ++mixed) {
        double lines[576];
        for (int i = 0; i < 576; ++i) lines[i] = i;
        granule_info g{};
        g.window_switching_flag = 1;
        g.block_type = 2;
        g.mixed_block_flag = mixed;
        mpadec::reorder_short(lines, g, b);
        if (mixed) {
            for (int i = 0; i < 36; ++i) EXPECT_EQ(lines[i], i);
        }
        for (int band = mixed ? 3 : 0; band < 13; ++band) {
            const int start = b.short_bounds[band];
            const int width = b.short_bounds[band + 1] - start;
            for (int w = 0; w < 3; ++w) {
                for (int f = 0; f < width; ++f) {
                    EXPECT_EQ(lines[3 * start + 3 * f + w], 3 * start + w * width + f) << band << " " << w << " " << f;
                }
            }
        }
    }
}

TEST(Layer3HybridTest, AliasReductionAppliesTheButterfliesAtEverySubbandBoundary) {
    const double c[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    double lines[576], expected[576];
    for (int i = 0; i < 576; ++i) lines[i] = expected[i] = std::sin(i * 0.37) + 0.1 * i;
    for (int sb = 1; sb < 32; ++sb) {
        for (int i = 0; i < 8; ++i) {
            const double cs = 1 / std::sqrt(1 + c[i] * c[i]);
            const double ca = c[i] / std::sqrt(1 + c[i] * c[i]);
            const double u = expected[18 * sb - 1 - i];
            const double d = expected[18 * sb + i];
            expected[18 * sb - 1 - i] = u * cs - d * ca;
            expected[18 * sb + i] = d * cs + u * ca;
        }
    }
    mpadec::reduce_aliasing(lines);
    for (int i = 0; i < 576; ++i) EXPECT_NEAR(lines[i], expected[i], 1e-12) << i;
}

// The slots go to the synthesis in single precision: values below 2 are
// within half a float step of 2^-23.
constexpr double kSlotTolerance = 1.2e-7;

struct Hybrid {
    double overlap[32][18] = {};
    float slots[18][2][32] = {};

    void Run(double* lines, const granule_info& g) {
        mpadec::hybrid_synthesis(lines, g, mpadec::scale_factor_bands(1, 0), overlap, slots, 1);
    }
    [[nodiscard]] bool SubbandSilent(int sb) const {
        for (int t = 0; t < 18; ++t) {
            if (slots[t][1][sb] != 0.0 || overlap[sb][t] != 0.0) return false;
        }
        return true;
    }
};

TEST(Layer3HybridTest, ShortBlocksGetNoAliasReductionAndMixedBlocksOnlyBetweenTheirTwoLongSubbands) {
    // Lines of subband 0 only (coded lines 0-11 of a short block are band 0
    // and 1, which the reorder keeps in subband 0). Butterflies at the
    // boundary between subbands 0 and 1 carry them into subband 1.
    for (const granule_info& g : {Block(0), Block(2, 0), Block(2, 1)}) {
        double lines[576] = {};
        for (int i = 0; i < 12; ++i) lines[i] = 1.0 + i;
        lines[17] = 0.5;
        Hybrid h;
        h.Run(lines, g);
        EXPECT_FALSE(h.SubbandSilent(0));
        const bool pure_short = g.block_type == 2 && g.mixed_block_flag == 0;
        EXPECT_EQ(h.SubbandSilent(1), pure_short) << g.block_type << " " << g.mixed_block_flag;
    }
    // A line at the top of subband 1 reaches subband 2 through the next
    // boundary's butterflies in a long block, not in a mixed one.
    for (const granule_info& g : {Block(0), Block(2, 1)}) {
        double lines[576] = {};
        lines[35] = 1.0;
        Hybrid h;
        h.Run(lines, g);
        EXPECT_FALSE(h.SubbandSilent(1));
        EXPECT_EQ(h.SubbandSilent(2), g.mixed_block_flag == 1) << g.block_type;
    }
}

TEST(Layer3HybridTest, AStartBlockHandsItsWindowedSecondHalfToTheShortBlockAfterIt) {
    // One line in subbands 2 and 3 where no butterfly reaches (position 8).
    double lines[576] = {};
    lines[18 * 2 + 8] = 0.75;
    lines[18 * 3 + 8] = 1.0;
    double subband[18] = {};
    subband[8] = 1.0;
    const std::vector<double> x = DirectImdct(subband, 18);

    Hybrid h;
    h.Run(lines, Block(1));
    for (int t = 0; t < 18; ++t) {
        // Frequency inversion: odd time slots of odd subbands are negated.
        const double sign = t % 2 ? -1.0 : 1.0;
        EXPECT_NEAR(h.slots[t][1][3], sign * x[t] * Window(1, t), kSlotTolerance) << t;
        EXPECT_NEAR(h.slots[t][1][2], 0.75 * x[t] * Window(1, t), kSlotTolerance) << t;
    }
    // The next granule, short blocks with silent lines, outputs the start
    // window's second half: flat, then falling, then zero.
    double silent[576] = {};
    h.Run(silent, Block(2));
    for (int t = 0; t < 18; ++t) {
        const double sign = t % 2 ? -1.0 : 1.0;
        EXPECT_NEAR(h.slots[t][1][3], sign * x[18 + t] * Window(1, 18 + t), kSlotTolerance) << t;
        EXPECT_NEAR(h.slots[t][1][2], 0.75 * x[18 + t] * Window(1, 18 + t), kSlotTolerance) << t;
        if (t >= 12) {
            EXPECT_EQ(h.slots[t][1][3], 0.0) << t;
        }
    }
    // And nothing is left over for the granule after.
    h.Run(silent, Block(3));
    for (int t = 0; t < 18; ++t) EXPECT_EQ(h.slots[t][1][3], 0.0);
}

TEST(Layer3HybridTest, ShortBlocksOverlapThreeWindowedShortTransforms) {
    double lines[576] = {};
    // Band 0 of a short block: four lines per window, all in subband 0 after
    // the reorder (line w + 3k of the subband is window w's line k).
    for (int w = 0; w < 3; ++w) {
        for (int k = 0; k < 4; ++k) lines[4 * w + k] = 0.1 * (w + 1) + 0.01 * k;
    }
    double windows[3][6] = {};
    for (int w = 0; w < 3; ++w) {
        for (int k = 0; k < 4; ++k) windows[w][k] = 0.1 * (w + 1) + 0.01 * k;
    }
    double expected[36] = {};
    for (int w = 0; w < 3; ++w) {
        const std::vector<double> x = DirectImdct(windows[w], 6);
        for (int i = 0; i < 12; ++i) expected[6 + 6 * w + i] += x[i] * Window(2, i);
    }
    Hybrid h;
    h.Run(lines, Block(2));
    for (int t = 0; t < 18; ++t) {
        EXPECT_NEAR(h.slots[t][1][0], expected[t], kSlotTolerance) << t;
        EXPECT_NEAR(h.overlap[0][t], expected[18 + t], 1e-13) << t;
    }
}

TEST(Layer3HybridTest, TheMixedFlagGivesTheTwoLowestSubbandsTheNormalWindow) {
    double subband[18] = {};
    subband[8] = 1.0;
    const std::vector<double> x = DirectImdct(subband, 18);
    for (int type = 1; type <= 3; ++type) {
        double lines[576] = {};
        lines[8] = 1.0;           // subband 0
        lines[18 * 2 + 8] = 1.0;  // subband 2
        Hybrid h;
        h.Run(lines, Block(type, 1));
        for (int t = 0; t < 18; ++t) {
            EXPECT_NEAR(h.slots[t][1][0], x[t] * Window(0, t), kSlotTolerance) << type << " " << t;
            EXPECT_NEAR(h.overlap[0][t], x[18 + t] * Window(0, 18 + t), 1e-13) << type << " " << t;
        }
        if (type != 2) {
            for (int t = 0; t < 18; ++t) EXPECT_NEAR(h.slots[t][1][2], x[t] * Window(type, t), kSlotTolerance) << type << t;
        }
    }
}

}  // namespace
}  // namespace mpadec_test
