// Layer II decoding of composed frames against a model of the standard: a
// sample code c of a class with n steps stands for the level (2c - (n - 1)) / n
// times its scale factor, three codes of the 3-, 5- and 9-step classes share
// one grouped field, and the scfsi says which of the three parts of a frame
// share a scale factor. Every allocation table, every allocation value, every
// scfsi pattern and the intensity subbands of joint stereo are covered.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "libs/mpa_header/layer2_allocation.h"
#include "tests/libs/mpadec/bit_writer.h"
#include "tests/libs/mpadec/decoder_driver.h"
#include "tests/libs/mpadec/reference_model.h"
#include "tests/support/mpa_builder.h"

namespace mpadec_test {
namespace {

namespace layer2 = mpa_header::layer2;
using testsupport::MakeFrame;
using testsupport::MpaFrameSpec;
using testsupport::MpaVersion;

// The audio data of one Layer II frame; from the bound on, channel 0's
// allocation and codes serve both channels.
struct LayerIIFrame {
    int table = 0;
    int channels = 1;
    int bound = 32;
    int allocation[2][32] = {};
    int scfsi[2][32] = {};
    int scale[2][32][3] = {};
    std::uint32_t codes[12][2][32][3] = {};  // granule, channel, subband, sample
};

const std::int32_t* Row(const LayerIIFrame& f, int sb, int allocation) {
    return layer2::kTables[f.table].data() + sb * 64 + allocation * 4;
}

int Limit(const LayerIIFrame& f) { return layer2::kSblimits[f.table]; }

bool Coded(const LayerIIFrame& f, int ch, int sb) { return (ch == 0 || sb < f.bound) && f.allocation[ch][sb] != 0; }

// Bits of the samples of one granule of a coded subband.
int SampleBits(const LayerIIFrame& f, int ch, int sb) {
    const std::int32_t* row = Row(f, sb, f.allocation[ch][sb]);
    return row[2] == 3 ? 3 * row[1] : row[1];
}

// The scale factors a scfsi pattern transmits, in order.
std::vector<int> SentScales(int scfsi, const int* scale) {
    switch (scfsi) {
    case 0: return {scale[0], scale[1], scale[2]};
    case 1: return {scale[0], scale[2]};
    case 2: return {scale[0]};
    default: return {scale[0], scale[1]};
    }
}

// Random scale factors for the three parts, shared as the scfsi says.
void ShareScales(int scfsi, std::mt19937& random, int* scale) {
    for (int part = 0; part < 3; ++part) scale[part] = static_cast<int>(random() % 63);
    if (scfsi == 1) scale[1] = scale[0];
    if (scfsi == 2) scale[1] = scale[2] = scale[0];
    if (scfsi == 3) scale[2] = scale[1];
}

Bytes ComposeLayerII(const LayerIIFrame& f) {
    BitWriter out;
    for (int sb = 0; sb < Limit(f); ++sb) {
        for (int ch = 0; ch < (sb < f.bound ? f.channels : 1); ++ch) out.Put(f.allocation[ch][sb], Row(f, sb, 0)[1]);
    }
    for (int sb = 0; sb < Limit(f); ++sb) {
        for (int ch = 0; ch < f.channels; ++ch) {
            if (f.allocation[ch][sb]) out.Put(f.scfsi[ch][sb], 2);
        }
    }
    for (int sb = 0; sb < Limit(f); ++sb) {
        for (int ch = 0; ch < f.channels; ++ch) {
            if (f.allocation[ch][sb]) {
                for (int s : SentScales(f.scfsi[ch][sb], f.scale[ch][sb])) out.Put(s, 6);
            }
        }
    }
    for (const auto& granule : f.codes) {
        for (int sb = 0; sb < Limit(f); ++sb) {
            for (int ch = 0; ch < (sb < f.bound ? f.channels : 1); ++ch) {
                if (!f.allocation[ch][sb]) continue;
                const std::int32_t* row = Row(f, sb, f.allocation[ch][sb]);
                const auto steps = static_cast<std::uint32_t>(row[0]);
                const std::uint32_t* c = granule[ch][sb];
                if (row[2] == 3) {
                    for (int j = 0; j < 3; ++j) out.Put(c[j], row[1]);
                } else {
                    out.Put(c[0] + steps * (c[1] + steps * c[2]), row[1]);
                }
            }
        }
    }
    return out.Bytes();
}

// The bits of a frame's audio data.
int DataBits(const LayerIIFrame& f) {
    int bits = 0;
    for (int sb = 0; sb < Limit(f); ++sb) {
        for (int ch = 0; ch < (sb < f.bound ? f.channels : 1); ++ch) bits += Row(f, sb, 0)[1];
        for (int ch = 0; ch < f.channels; ++ch) {
            if (!f.allocation[ch][sb]) continue;
            bits += 2 + 6 * static_cast<int>(SentScales(f.scfsi[ch][sb], f.scale[ch][sb]).size());
            if (Coded(f, ch, sb)) bits += 12 * SampleBits(f, ch, sb);
        }
    }
    return bits;
}

// Frame k of a run: allocation value (k + sb + ch) mod the field's range in
// every subband, so 16 frames give each subband every value; random scfsi,
// scale factors, and codes within each class's steps. Subbands are dropped,
// from a place that moves with k, until the data fits `capacityBits`.
LayerIIFrame CountingLayerII(std::mt19937& random, int table, int channels, int bound, int k, int capacityBits) {
    LayerIIFrame f;
    f.table = table;
    f.channels = channels;
    f.bound = bound;
    for (int sb = 0; sb < Limit(f); ++sb) {
        const int values = 1 << Row(f, sb, 0)[1];
        for (int ch = 0; ch < channels; ++ch) {
            const bool shared = ch == 1 && sb >= bound;
            f.allocation[ch][sb] = shared ? f.allocation[0][sb] : (k + sb + ch) % values;
            f.scfsi[ch][sb] = static_cast<int>(random() % 4);
            ShareScales(f.scfsi[ch][sb], random, f.scale[ch][sb]);
        }
    }
    for (int drop = 5 * k % Limit(f); DataBits(f) > capacityBits; drop = (drop + 7) % Limit(f)) {
        f.allocation[0][drop] = f.allocation[1][drop] = 0;
    }
    for (auto& granule : f.codes) {
        for (int sb = 0; sb < Limit(f); ++sb) {
            for (int ch = 0; ch < channels; ++ch) {
                if (!Coded(f, ch, sb)) continue;
                const auto steps = static_cast<std::uint32_t>(Row(f, sb, f.allocation[ch][sb])[0]);
                for (std::uint32_t& c : granule[ch][sb]) c = static_cast<std::uint32_t>(random() % steps);
            }
        }
    }
    return f;
}

// The model's PCM for consecutive Layer II frames.
class LayerIIModel {
public:
    explicit LayerIIModel(int channels) : channels_(channels) {}
    Bytes Decode(const LayerIIFrame& f) {
        Bytes pcm;
        for (int granule = 0; granule < 12; ++granule) {
            for (int j = 0; j < 3; ++j) {
                double out[2][32];
                for (int ch = 0; ch < channels_; ++ch) {
                    double fractions[32] = {};
                    for (int sb = 0; sb < Limit(f); ++sb) {
                        const int coder = sb < f.bound ? ch : 0;
                        const int a = f.allocation[coder][sb];
                        if (a == 0) continue;
                        const double steps = Row(f, sb, a)[0];
                        const double code = f.codes[granule][coder][sb][j];
                        fractions[sb] = (2 * code - (steps - 1)) / steps * ScaleFactor(f.scale[ch][sb][granule / 4]);
                    }
                    filterbank_[ch].Run(fractions, out[ch]);
                }
                AppendPcm16(out, channels_, pcm);
            }
        }
        return pcm;
    }

private:
    int channels_;
    ReferenceFilterbank filterbank_[2];
};

struct Layer2Case {
    std::string name;
    testsupport::MpaVersion version;
    int bitrateIndex;
    int samplingIndex;
    int mode;
    int modeExtension;
    bool crc;
    int table;  // the allocation table the header selects
};

class LayerIIModelTest : public ::testing::TestWithParam<Layer2Case> {};

TEST_P(LayerIIModelTest, EveryAllocationValueAndScfsiDecodesAsTheStandardSays) {
    const Layer2Case& c = GetParam();
    MpaFrameSpec fields;
    fields.version = c.version;
    fields.bitrateIndex = c.bitrateIndex;
    fields.samplingIndex = c.samplingIndex;
    fields.mode = c.mode;
    fields.modeExtension = c.modeExtension;
    fields.crc = c.crc;
    const int channels = c.mode == testsupport::kMpaSingleChannel ? 1 : 2;
    const int bound = c.mode == testsupport::kMpaJointStereo ? 4 + 4 * c.modeExtension : 32;
    const int capacity = (testsupport::FrameLength(fields) - (c.crc ? 6 : 4)) * 8;
    ASSERT_EQ(layer2::TableIndex(c.version != MpaVersion::Mpeg1, testsupport::BitrateKbps(fields), channels,
                                 testsupport::SamplingRateHz(fields)),
              c.table);

    std::mt19937 random(static_cast<unsigned>(c.bitrateIndex * 131 + c.samplingIndex * 17 + c.modeExtension));
    LayerIIModel model(channels);
    Bytes stream, expected;
    constexpr int kFrames = 16;  // the range of the widest allocation field
    for (int frame = 0; frame < kFrames; ++frame) {
        const LayerIIFrame f = CountingLayerII(random, c.table, channels, bound, frame, capacity);
        const Bytes bytes = MakeFrame(fields, 0, ComposeLayerII(f));
        stream.insert(stream.end(), bytes.begin(), bytes.end());
        const Bytes pcm = model.Decode(f);
        expected.insert(expected.end(), pcm.begin(), pcm.end());
    }
    const Decoded decoded = DecodeAll(stream);
    EXPECT_EQ(decoded.frames, kFrames);
    EXPECT_LE(MaxDifference(decoded.pcm, expected), 1);
    const auto samples = Samples(decoded.pcm);
    EXPECT_TRUE(std::any_of(samples.begin(), samples.end(), [](std::int16_t s) { return std::abs(s) > 1000; }));
}

INSTANTIATE_TEST_SUITE_P(
    AllocationTables, LayerIIModelTest,
    ::testing::Values(
        Layer2Case{"Table27_48k_384k_mono", MpaVersion::Mpeg1, 14, 1, testsupport::kMpaSingleChannel, 0, false, 0},
        Layer2Case{"Table30_44k_384k_mono_crc", MpaVersion::Mpeg1, 14, 0, testsupport::kMpaSingleChannel, 0, true, 1},
        Layer2Case{"Table27_48k_256k_stereo", MpaVersion::Mpeg1, 12, 1, testsupport::kMpaStereo, 0, true, 0},
        Layer2Case{"Table8_48k_48k_mono", MpaVersion::Mpeg1, 2, 1, testsupport::kMpaSingleChannel, 0, false, 2},
        Layer2Case{"Table12_32k_96k_stereo", MpaVersion::Mpeg1, 6, 2, testsupport::kMpaStereo, 0, true, 3},
        Layer2Case{"Lsf_24k_160k_stereo", MpaVersion::Mpeg2, 14, 1, testsupport::kMpaStereo, 0, false, 4},
        Layer2Case{"Joint_bound4", MpaVersion::Mpeg1, 14, 0, testsupport::kMpaJointStereo, 0, true, 1},
        Layer2Case{"Joint_bound8", MpaVersion::Mpeg1, 14, 1, testsupport::kMpaJointStereo, 1, false, 0},
        Layer2Case{"Joint_bound12", MpaVersion::Mpeg1, 13, 0, testsupport::kMpaJointStereo, 2, false, 1},
        Layer2Case{"Joint_bound16", MpaVersion::Mpeg1, 12, 1, testsupport::kMpaJointStereo, 3, true, 0}),
    [](const ::testing::TestParamInfo<Layer2Case>& info) { return info.param.name; });

}  // namespace
}  // namespace mpadec_test
