// Layer I and Layer II decoding: composed Layer I frames against a model of
// the standard's dequantisation and filterbank (every allocation value,
// intensity subbands), the decay after silent frames, and what a CRC mismatch
// yields in both layers.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/libs/mpadec/bit_writer.h"
#include "tests/libs/mpadec/decoder_driver.h"
#include "tests/libs/mpadec/reference_model.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

namespace mpadec_test {
namespace {

using testsupport::MakeFrame;
using testsupport::MpaFrameSpec;

// The audio data of one Layer I frame.
struct LayerIFrame {
    int channels = 1;
    int bound = 32;  // first intensity subband
    int allocation[2][32] = {};
    int scale[2][32] = {};
    std::uint32_t codes[12][2][32] = {};
};

Bytes ComposeLayerI(const LayerIFrame& f) {
    BitWriter out;
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < (sb < f.bound ? f.channels : 1); ++ch) out.Put(f.allocation[ch][sb], 4);
    }
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < f.channels; ++ch) {
            if (f.allocation[ch][sb]) out.Put(f.scale[ch][sb], 6);
        }
    }
    for (const auto& block : f.codes) {
        for (int sb = 0; sb < 32; ++sb) {
            for (int ch = 0; ch < (sb < f.bound ? f.channels : 1); ++ch) {
                if (f.allocation[ch][sb]) out.Put(block[ch][sb], f.allocation[ch][sb] + 1);
            }
        }
    }
    return out.Bytes();
}

LayerIFrame RandomLayerI(std::mt19937& random, int channels, int bound, int densityPercent) {
    LayerIFrame f;
    f.channels = channels;
    f.bound = bound;
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            const bool shared = ch == 1 && sb >= bound;
            const int a = static_cast<int>(random() % 100) < densityPercent ? static_cast<int>(random() % 15) + 1 : 0;
            f.allocation[ch][sb] = shared ? f.allocation[0][sb] : a;
            f.scale[ch][sb] = static_cast<int>(random() % 63);
            for (auto& block : f.codes) {
                block[ch][sb] = shared ? block[0][sb] : static_cast<std::uint32_t>(random() % (2u << a));
            }
        }
    }
    return f;
}

// The model's PCM for consecutive Layer I frames.
class LayerIModel {
public:
    explicit LayerIModel(int channels) : channels_(channels) {}
    Bytes Decode(const LayerIFrame& f) {
        Bytes pcm;
        for (const auto& block : f.codes) {
            double out[2][32];
            for (int ch = 0; ch < channels_; ++ch) {
                double fractions[32];
                for (int sb = 0; sb < 32; ++sb) {
                    const int a = f.allocation[ch][sb];
                    fractions[sb] = a ? LayerIFraction(block[ch][sb], a) * ScaleFactor(f.scale[ch][sb]) : 0.0;
                }
                filterbank_[ch].Run(fractions, out[ch]);
            }
            AppendPcm16(out, channels_, pcm);
        }
        return pcm;
    }

private:
    int channels_;
    ReferenceFilterbank filterbank_[2];
};

MpaFrameSpec LayerISpec(int mode, bool crc) {
    MpaFrameSpec fields;
    fields.layer = testsupport::kMpaLayerI;
    fields.bitrateIndex = 14;  // 448 kbit/s
    fields.samplingIndex = 2;  // 32 kHz: 672-byte frames
    fields.mode = mode;
    fields.crc = crc;
    return fields;
}

TEST(LayerITest, EveryAllocationValueDecodesAsTheStandardSays) {
    std::mt19937 random(2024);
    for (bool crc : {false, true}) {
        const MpaFrameSpec fields = LayerISpec(testsupport::kMpaSingleChannel, crc);
        LayerIModel model(1);
        Bytes stream, expected;
        for (int frame = 0; frame < 6; ++frame) {
            LayerIFrame f = RandomLayerI(random, 1, 32, 70);
            f.allocation[0][frame] = 15;  // forbidden by the standard, decoded with 16-bit codes
            for (auto& block : f.codes) block[0][frame] = static_cast<std::uint32_t>(random() % 65536);
            const Bytes bytes = MakeFrame(fields, 0, ComposeLayerI(f));
            stream.insert(stream.end(), bytes.begin(), bytes.end());
            const Bytes pcm = model.Decode(f);
            expected.insert(expected.end(), pcm.begin(), pcm.end());
        }
        const Decoded decoded = DecodeAll(stream);
        EXPECT_EQ(decoded.frames, 6);
        EXPECT_LE(MaxDifference(decoded.pcm, expected), 1);
    }
}

TEST(LayerITest, IntensitySubbandsShareTheCodesAndDifferOnlyByScale) {
    std::mt19937 random(99);
    for (int extension = 0; extension < 4; ++extension) {
        MpaFrameSpec fields = LayerISpec(testsupport::kMpaJointStereo, true);
        fields.modeExtension = extension;
        const int bound = 4 + 4 * extension;
        LayerIFrame f = RandomLayerI(random, 2, bound, 100);
        for (int sb = 0; sb < 32; ++sb) {
            if (sb < bound) f.allocation[0][sb] = f.allocation[1][sb] = 0;
            f.scale[0][sb] = 18;  // 2^-5
            f.scale[1][sb] = 21;  // 2^-6
        }
        const Decoded decoded = DecodeAll(MakeFrame(fields, 0, ComposeLayerI(f)));
        ASSERT_EQ(decoded.frames, 1);
        const auto samples = Samples(decoded.pcm);
        ASSERT_EQ(samples.size(), 768u);
        int loudest = 0;
        for (std::size_t i = 0; i < samples.size(); i += 2) {
            EXPECT_LE(std::abs(samples[i] - 2 * samples[i + 1]), 1) << i;
            loudest = std::max(loudest, std::abs(static_cast<int>(samples[i])));
        }
        EXPECT_GT(loudest, 1000);
        LayerIModel model(2);
        EXPECT_LE(MaxDifference(decoded.pcm, model.Decode(f)), 1);
    }
}

TEST(LayerITest, SilentFramesCarryTheDecayOfTheFilterbankAndThenZeros) {
    std::mt19937 random(5);
    const MpaFrameSpec fields = LayerISpec(testsupport::kMpaStereo, false);
    const LayerIFrame loud = RandomLayerI(random, 2, 32, 50);
    const LayerIFrame silent;  // every allocation 0
    Bytes stream = MakeFrame(fields, 0, ComposeLayerI(loud));
    for (int i = 0; i < 2; ++i) {
        const Bytes bytes = MakeFrame(fields, 0, ComposeLayerI(silent));
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    const Decoded decoded = DecodeAll(stream);
    ASSERT_EQ(decoded.frames, 3);
    const auto first = Samples(decoded.framePcm[1]), second = Samples(decoded.framePcm[2]);
    EXPECT_TRUE(std::any_of(first.begin(), first.end(), [](std::int16_t s) { return s != 0; }));
    // The window spans 16 blocks: from the fifth block of the second silent
    // frame on, nothing is left.
    EXPECT_TRUE(std::any_of(second.begin(), second.begin() + 4 * 32 * 2, [](std::int16_t s) { return s != 0; }));
    EXPECT_TRUE(std::all_of(second.begin() + 4 * 32 * 2, second.end(), [](std::int16_t s) { return s == 0; }));
    LayerIModel model(2);
    Bytes expected = model.Decode(loud);
    for (int i = 0; i < 2; ++i) {
        const Bytes pcm = model.Decode(silent);
        expected.insert(expected.end(), pcm.begin(), pcm.end());
    }
    EXPECT_LE(MaxDifference(decoded.pcm, expected), 1);
}

TEST(LayerITest, ACrcMismatchRepeatsThePreviousFramesPcm) {
    std::mt19937 random(31);
    const MpaFrameSpec fields = LayerISpec(testsupport::kMpaStereo, true);
    LayerIFrame frames[3];
    Bytes stream, withoutSecond;
    for (int i = 0; i < 3; ++i) {
        frames[i] = RandomLayerI(random, 2, 32, 40);
        Bytes bytes = MakeFrame(fields, 0, ComposeLayerI(frames[i]));
        if (i == 1) {
            bytes[5] ^= 0x10;
        } else {
            withoutSecond.insert(withoutSecond.end(), bytes.begin(), bytes.end());
        }
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    Decoder decoder;
    mpa_statistics statistics{};
    mpa_reset_params params{&statistics, {}};
    decoder.Control(MPA_CTL_SET_STATISTICS, &params, sizeof params);
    const Decoded decoded = DecodeAll(decoder, stream);
    ASSERT_EQ(decoded.frames, 3);
    EXPECT_EQ(statistics.frames_decoded, 3u);
    EXPECT_EQ(statistics.frames_failed, 0u);
    EXPECT_EQ(decoded.framePcm[1], decoded.framePcm[0]);
    // The filterbank did not see the rejected frame.
    const Decoded reference = DecodeAll(withoutSecond);
    ASSERT_EQ(reference.frames, 2);
    EXPECT_EQ(decoded.framePcm[2], reference.framePcm[1]);

    // A first frame with a wrong CRC yields silence.
    Bytes first = MakeFrame(fields, 0, ComposeLayerI(frames[0]));
    first[4] ^= 0x01;
    const Decoded alone = DecodeAll(first);
    ASSERT_EQ(alone.frames, 1);
    EXPECT_EQ(alone.pcm, Bytes(768 * 2, 0));
}

std::vector<Bytes> FixtureFrames(const char* name) {
    const Bytes data = testsupport::ReadFileBytes(testsupport::FixturePath(std::string("mpadec/") + name));
    std::vector<Bytes> frames;
    for (std::size_t at = 0; at + 4 <= data.size();) {
        const auto fields = testsupport::ParseHeader(&data[at]);
        if (!fields) break;
        const auto length = static_cast<std::size_t>(testsupport::FrameLength(*fields));
        frames.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(at),
                            data.begin() + static_cast<std::ptrdiff_t>(std::min(at + length, data.size())));
        at += length;
    }
    return frames;
}

Bytes Join(std::initializer_list<const Bytes*> parts) {
    Bytes all;
    for (const Bytes* part : parts) all.insert(all.end(), part->begin(), part->end());
    return all;
}

TEST(LayerIITest, ACrcMismatchRepeatsThePreviousFramesPcm) {
    const auto frames = FixtureFrames("tl_48k_stereo_192k_crc.mp2");
    ASSERT_GE(frames.size(), 10u);
    Bytes bad = frames[6];
    bad[4] ^= 0x80;
    const Bytes stream = Join({&frames[4], &frames[5], &bad, &frames[7]});
    Decoder decoder;
    mpa_statistics statistics{};
    mpa_reset_params params{&statistics, {}};
    decoder.Control(MPA_CTL_SET_STATISTICS, &params, sizeof params);
    const Decoded decoded = DecodeAll(decoder, stream);
    ASSERT_EQ(decoded.frames, 4);
    EXPECT_EQ(statistics.frames_decoded, 4u);
    EXPECT_EQ(statistics.bytes_decoded, stream.size());
    EXPECT_EQ(decoded.framePcm[2], decoded.framePcm[1]);
    EXPECT_NE(decoded.framePcm[1], decoded.framePcm[0]);
    const Decoded reference = DecodeAll(Join({&frames[4], &frames[5], &frames[7]}));
    EXPECT_EQ(decoded.framePcm[3], reference.framePcm[2]);
}

TEST(LayerIITest, AShorterFrameWithAWrongCrcRepeatsTheStartOfTheLongerOne) {
    const auto stereo = FixtureFrames("tl_48k_stereo_192k_crc.mp2");
    const auto mono = FixtureFrames("tl_32k_mono_48k_crc.mp2");
    ASSERT_GE(stereo.size(), 5u);
    ASSERT_GE(mono.size(), 5u);
    Bytes bad = mono[3];
    bad[5] ^= 0x04;
    const Decoded decoded = DecodeAll(Join({&stereo[4], &bad}));
    ASSERT_EQ(decoded.frames, 2);
    ASSERT_EQ(decoded.framePcm[0].size(), 4608u);
    EXPECT_EQ(decoded.framePcm[1], Bytes(decoded.framePcm[0].begin(), decoded.framePcm[0].begin() + 2304));
}

}  // namespace
}  // namespace mpadec_test
