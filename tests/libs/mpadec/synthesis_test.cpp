// Synthesis and PCM: the fast DCT against its defining sum, the ring-based
// filterbank against the standard's shifting-buffer flow chart, the window's
// symmetry, and the rounding and saturation of the PCM conversion.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "libs/mpadec/decoder.h"
#include "tests/libs/mpadec/decoder_driver.h"
#include "tests/libs/mpadec/reference_model.h"
#include "tests/libs/mpadec/simd_paths.h"

namespace mpadec_test {
namespace {

TEST(PcmConversionTest, RoundsHalfAwayFromZeroAndSaturates) {
    std::uint16_t clips = 0;
    EXPECT_EQ(mpadec::to_pcm(0.5, clips), 16384);
    EXPECT_EQ(mpadec::to_pcm(-0.5, clips), -16384);
    EXPECT_EQ(clips, 0);
    EXPECT_EQ(mpadec::to_pcm(1.0, clips), 32767);
    EXPECT_EQ(clips, 1);
    EXPECT_EQ(mpadec::to_pcm(-1.0, clips), -32768);
    EXPECT_EQ(clips, 1);
    EXPECT_EQ(mpadec::to_pcm(-0.00001, clips), 0);
    EXPECT_EQ(mpadec::to_pcm(0.00001, clips), 0);
    EXPECT_EQ(mpadec::to_pcm(0.0, clips), 0);
    // Exact halves of a step go away from zero.
    EXPECT_EQ(mpadec::to_pcm(0.5 / 32768, clips), 1);
    EXPECT_EQ(mpadec::to_pcm(-0.5 / 32768, clips), -1);
    EXPECT_EQ(mpadec::to_pcm(2.5 / 32768, clips), 3);
    EXPECT_EQ(mpadec::to_pcm(-2.5 / 32768, clips), -3);
    EXPECT_EQ(mpadec::to_pcm(0.4999 / 32768, clips), 0);
    // The last values inside the range, and beyond it.
    EXPECT_EQ(mpadec::to_pcm(32766.4999 / 32768, clips), 32766);
    EXPECT_EQ(mpadec::to_pcm(32766.5 / 32768, clips), 32767);
    EXPECT_EQ(mpadec::to_pcm(-32768.4999 / 32768, clips), -32768);
    EXPECT_EQ(clips, 1);
    EXPECT_EQ(mpadec::to_pcm(-32768.5 / 32768, clips), -32768);
    EXPECT_EQ(mpadec::to_pcm(1e9, clips), 32767);
    EXPECT_EQ(mpadec::to_pcm(-1e9, clips), -32768);
    EXPECT_EQ(clips, 4);
}

TEST(PcmConversionTest, TheClipCountWrapsAtSixteenBits) {
    std::uint16_t clips = 65534;
    (void)mpadec::to_pcm(3.0, clips);
    (void)mpadec::to_pcm(-3.0, clips);
    EXPECT_EQ(clips, 0);
    (void)mpadec::to_pcm(3.0, clips);
    EXPECT_EQ(clips, 1);
}

// The single-precision form rounds without a sum, so exact halves, the
// float steps next to them and the range ends must all come out as the
// double form (exact for every float) says.
TEST(PcmConversionTest, TheSinglePrecisionFormAgreesWithTheDoubleForm) {
    std::vector<float> values;
    for (int step = -32770; step <= 32770; step += 7) {
        for (const float half : {-0.5F, 0.0F, 0.5F}) {
            const float exact = (static_cast<float>(step) + half) / 32768.0F;
            values.insert(values.end(), {exact, std::nextafter(exact, 2.0F), std::nextafter(exact, -2.0F)});
        }
    }
    for (const float edge : {32766.5F, 32767.0F, 32767.5F, -32768.5F, -32769.0F, 1e9F, -1e9F, 0.0F, -0.0F})
        values.push_back(edge / 32768.0F);
    std::mt19937 random(3);
    std::uniform_real_distribution<float> value(-1.1F, 1.1F);
    for (int i = 0; i < 20000; ++i) values.push_back(value(random));
    std::uint16_t single_clips = 0, double_clips = 0;
    for (const float v : values) {
        ASSERT_EQ(mpadec::to_pcm(v, single_clips), mpadec::to_pcm(static_cast<double>(v), double_clips)) << v;
    }
    EXPECT_EQ(single_clips, double_clips);
    EXPECT_GT(single_clips, 0);
}

// The vector conversion against the portable one, mono and stereo, with
// exact halves and values past full scale among the random ones.
TEST(PcmConversionTest, EveryPathConvertsRowsToTheSameSamplesAndClipCount) {
    std::mt19937 random(9);
    std::uniform_real_distribution<float> value(-1.2F, 1.2F);
    float rows[18][2][32];
    for (auto& slot : rows) {
        for (auto& channel : slot) {
            for (float& x : channel) x = value(random);
        }
    }
    rows[0][0][0] = 2.5F / 32768;
    rows[0][0][1] = -2.5F / 32768;
    rows[0][1][2] = 32767.5F / 32768;
    for (const int channels : {1, 2}) {
        std::vector<std::vector<std::uint8_t>> outputs;
        std::vector<int> clip_counts;
        for (const mpadec::simd_path path : SupportedSimdPaths()) {
            Decoder decoder;
            UseSimdPath(decoder, path);
            mpa_decoder& internals = Internals(decoder);
            internals.header.channels = channels;
            mpadec::convert_rows(internals, rows, 18);
            EXPECT_EQ(internals.pcm_position, 18 * 32);
            outputs.emplace_back(internals.frame_pcm, internals.frame_pcm + 18 * 32 * channels * 2);
            clip_counts.push_back(internals.clip_count);
        }
        EXPECT_GT(clip_counts[0], 0);
        for (std::size_t p = 1; p < outputs.size(); ++p) {
            EXPECT_EQ(outputs[p], outputs[0]) << channels << " " << p;
            EXPECT_EQ(clip_counts[p], clip_counts[0]) << channels << " " << p;
        }
        // The portable samples are what to_pcm gives for each value.
        std::uint16_t clips = 0;
        const std::int16_t sample = mpadec::to_pcm(rows[0][channels - 1][channels == 2 ? 2 : 1], clips);
        const int at = channels == 2 ? 2 * 2 + 1 : 1;
        EXPECT_EQ(static_cast<std::int16_t>(outputs[0][2 * at] | outputs[0][2 * at + 1] << 8), sample);
    }
}

// Single precision: each output is a sum of 32 terms up to 2 in size, so a
// few float steps of 64 (about 1e-5) bound its rounding.
TEST(DctTest, EqualsTheDefiningSum) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-2.0F, 2.0F);
    double worst = 0;
    for (int round = 0; round < 200; ++round) {
        float in[32], out[32];
        for (float& x : in) x = value(random);
        mpadec::dct32(in, out);
        for (int m = 0; m < 32; ++m) {
            double sum = 0;
            for (int k = 0; k < 32; ++k) sum += in[k] * std::cos((2 * k + 1) * m * std::numbers::pi / 64);
            worst = std::max(worst, std::fabs(out[m] - sum));
        }
    }
    EXPECT_LT(worst, 2e-5);
}

// Every vector path of this processor against the flow chart in double
// precision. Random full-scale values in all 32 subbands are far louder than
// audio; single precision still keeps each output within half a 16-bit step
// (1.5e-5).
TEST(SynthesisTest, RingFilterbankEqualsTheShiftingBufferFlowChartOnEveryPath) {
    for (const mpadec::simd_path path : SupportedSimdPaths()) {
        Decoder decoder;
        UseSimdPath(decoder, path);
        mpa_decoder& internals = Internals(decoder);
        ReferenceFilterbank reference[2];
        std::mt19937 random(11);
        std::uniform_real_distribution<double> value(-1.0, 1.0);
        double worst = 0;
        for (int block = 0; block < 100; ++block) {  // more than six turns of the ring
            for (int ch = 0; ch < 2; ++ch) {
                double in[32], out[32], expected[32];
                for (double& x : in) x = value(random) * (block % 7 == 3 ? 0.0 : 1.0);
                mpadec::synthesize(internals, ch, in, out);
                reference[ch].Run(in, expected);
                for (int j = 0; j < 32; ++j) worst = std::max(worst, std::fabs(out[j] - expected[j]));
            }
        }
        EXPECT_LT(worst, 1.5e-5) << mpadec::simd_path_name(path);
    }
}

// The kernels add each output's terms in the same order, so where float
// arithmetic runs at float precision the paths agree to the bit. The x87
// unit of 32-bit x86 keeps more precision in the portable path, so there
// each output's sum of 512 terms rounds differently a few times: they agree
// within a third of a 16-bit step (about ten float steps at the outputs'
// magnitude, as measured under 32-bit x86: 4.8e-6).
TEST(SynthesisTest, EveryPathGivesTheSameValues) {
    const std::vector<mpadec::simd_path> paths = SupportedSimdPaths();
    std::vector<std::vector<float>> outputs(paths.size());
    for (std::size_t p = 0; p < paths.size(); ++p) {
        Decoder decoder;
        UseSimdPath(decoder, paths[p]);
        std::mt19937 random(5);
        std::uniform_real_distribution<float> value(-1.0F, 1.0F);
        for (int block = 0; block < 40; ++block) {
            float in[32], out[32];
            for (float& x : in) x = value(random);
            mpadec::synthesize(Internals(decoder), block % 2, in, out);
            outputs[p].insert(outputs[p].end(), out, out + 32);
        }
    }
    const double tolerance = FLT_EVAL_METHOD == 0 ? 0.0 : 1e-5;
    for (std::size_t p = 1; p < paths.size(); ++p) {
        double worst = 0;
        for (std::size_t i = 0; i < outputs[0].size(); ++i)
            worst = std::max(worst, std::fabs(static_cast<double>(outputs[p][i]) - outputs[0][i]));
        EXPECT_LE(worst, tolerance) << mpadec::simd_path_name(paths[p]);
    }
}

TEST(SynthesisTest, ZeroInputFromAZeroStateGivesZeroOutput) {
    for (const mpadec::simd_path path : SupportedSimdPaths()) {
        Decoder decoder;
        UseSimdPath(decoder, path);
        mpa_decoder& internals = Internals(decoder);
        const float zero[32] = {};
        for (int block = 0; block < 40; ++block) {
            float out[32];
            mpadec::synthesize(internals, block % 2, zero, out);
            for (float x : out) ASSERT_EQ(x, 0.0F) << mpadec::simd_path_name(path);
        }
    }
}

TEST(SynthesisTest, TheWindowHasTheStandardsSymmetry) {
    const double* d = mpadec::kSynthesisWindow;
    EXPECT_EQ(d[0], 0.0);
    for (int n = 1; n < 512; ++n) {
        // Mirrored around 256; odd 64-blocks change sign.
        EXPECT_EQ(d[512 - n], n % 64 == 0 ? d[n] : -d[n]) << n;
        // Multiples of 2^-16 given to 9 decimals.
        const double steps = d[n] * 65536;
        EXPECT_NEAR(steps, std::round(steps), 65536 * 5e-10) << n;
    }
    double peak = 0;
    for (int n = 0; n < 512; ++n) peak = std::max(peak, std::fabs(d[n]));
    EXPECT_EQ(peak, d[256]);
}

}  // namespace
}  // namespace mpadec_test
