// Synthesis and PCM: the fast DCT against its defining sum, the ring-based
// filterbank against the standard's shifting-buffer flow chart, the window's
// symmetry, and the rounding and saturation of the PCM conversion.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "libs/mpadec/decoder.h"
#include "tests/libs/mpadec/decoder_driver.h"
#include "tests/libs/mpadec/reference_model.h"

namespace mpadec_test {
namespace {

mpa_decoder& Internals(Decoder& decoder) { return *reinterpret_cast<mpa_decoder*>(decoder.Stream()); }

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

TEST(DctTest, EqualsTheDefiningSum) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-2.0, 2.0);
    for (int round = 0; round < 200; ++round) {
        double in[32], out[32];
        for (double& x : in) x = value(random);
        mpadec::dct32(in, out);
        for (int m = 0; m < 32; ++m) {
            double sum = 0;
            for (int k = 0; k < 32; ++k) sum += in[k] * std::cos((2 * k + 1) * m * std::numbers::pi / 64);
            EXPECT_NEAR(out[m], sum, 1e-13) << m;
        }
    }
}

TEST(SynthesisTest, RingFilterbankEqualsTheShiftingBufferFlowChart) {
    Decoder decoder;
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
    EXPECT_LT(worst, 1e-12);
}

TEST(SynthesisTest, ZeroInputFromAZeroStateGivesZeroOutput) {
    Decoder decoder;
    mpa_decoder& internals = Internals(decoder);
    const double zero[32] = {};
    for (int block = 0; block < 40; ++block) {
        double out[32];
        mpadec::synthesize(internals, block % 2, zero, out);
        for (double x : out) ASSERT_EQ(x, 0.0);
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
