// Decoding accuracy against reference PCM, by the full-accuracy limits of
// ISO/IEC 11172-4: the RMS of the difference below 2^-15 / sqrt(12) of full
// scale and no sample more than 2^-14 (2 LSB) off, on every vector kernel
// path the processor has.
//
// References: the rounded output of a floating-point decoder for the encoder
// fixtures in tests/data/mpadec (tests/data/make-decoder-fixtures.sh), and the
// 16-bit references of the ISO/IEC 11172-4 and 13818-4 Layer I and II
// conformance streams in tests/data/conformance. The conformance references run on past what their streams decode
// to, so only the samples the stream yields are compared.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/libs/mpadec/decoder_driver.h"
#include "tests/libs/mpadec/simd_paths.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

namespace mpadec_test {
namespace {

const double kRmsLimit = std::ldexp(1.0, -15) / std::sqrt(12.0);
const int kMaxLimitLsb = 2;  // 2^-14 of full scale

struct Row {
    std::string name;
    std::size_t samples;
    double rms;  // of full scale
    int maxLsb;
};

std::vector<Row>& Rows() {
    static std::vector<Row> rows;
    return rows;
}

void PrintRow(const Row& row) {
    std::printf("  %-30s %8zu samples  RMS %.3e FS (%.3f LSB)  max %d LSB\n", row.name.c_str(), row.samples, row.rms,
                row.rms * 32768, row.maxLsb);
}

// Samples the stream decodes to: the frames a header walk finds times their
// samples per channel and channels.
std::size_t ExpectedSamples(const Bytes& stream) {
    std::size_t samples = 0;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const auto fields = testsupport::ParseHeader(&stream[at]);
        if (!fields) break;
        samples += static_cast<std::size_t>(fields->layer == testsupport::kMpaLayerI ? 384 : 1152) *
                   (fields->mode == testsupport::kMpaSingleChannel ? 1 : 2);
        at += static_cast<std::size_t>(testsupport::FrameLength(*fields));
    }
    return samples;
}

void CheckAccuracyOnPath(const std::string& name, const Bytes& stream, const std::vector<std::int16_t>& reference,
                         bool wholeReference, mpadec::simd_path path) {
    Decoder decoder;
    UseSimdPath(decoder, path);
    const Decoded decoded = DecodeAll(decoder, stream);
    const auto ours = Samples(decoded.pcm);
    const std::string label = name + " " + mpadec::simd_path_name(path);
    EXPECT_EQ(ours.size(), ExpectedSamples(stream)) << label;
    if (wholeReference) {
        EXPECT_EQ(ours.size(), reference.size()) << label;
    } else {
        ASSERT_LE(ours.size(), reference.size()) << label;
    }
    const std::size_t count = std::min(ours.size(), reference.size());
    ASSERT_GT(count, 0u);
    double sum = 0;
    int worst = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int difference = ours[i] - reference[i];
        sum += static_cast<double>(difference) * difference;
        worst = std::max(worst, std::abs(difference));
    }
    const Row row{label, count, std::sqrt(sum / static_cast<double>(count)) / 32768.0, worst};
    Rows().push_back(row);
    EXPECT_LT(row.rms, kRmsLimit) << label;
    EXPECT_LE(row.maxLsb, kMaxLimitLsb) << label;
}

// On every vector path this processor has.
void CheckAccuracy(const std::string& name, const Bytes& stream, const Bytes& referencePcm, bool wholeReference) {
    ASSERT_FALSE(stream.empty()) << name;
    ASSERT_FALSE(referencePcm.empty()) << name;
    const auto reference = Samples(referencePcm);
    for (const mpadec::simd_path path : SupportedSimdPaths())
        CheckAccuracyOnPath(name, stream, reference, wholeReference, path);
}

class AccuracyTest : public ::testing::TestWithParam<const char*> {
public:
    static void TearDownTestSuite() {
        if (Rows().empty()) return;
        std::printf("\nDecoding accuracy (limits: RMS < %.3e FS, max <= %d LSB):\n", kRmsLimit, kMaxLimitLsb);
        for (const Row& row : Rows()) PrintRow(row);
        Rows().clear();
    }
};

std::string ParamName(const ::testing::TestParamInfo<const char*>& info) {
    std::string name = info.param;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

using EncoderFixtureTest = AccuracyTest;

TEST_P(EncoderFixtureTest, MeetsTheFullAccuracyLimits) {
    const std::string base = std::string("mpadec/") + GetParam();
    CheckAccuracy(GetParam(), testsupport::ReadFileBytes(testsupport::FixturePath(base + ".mp2")),
                  testsupport::ReadFileBytes(testsupport::FixturePath(base + ".pcm")), true);
}

INSTANTIATE_TEST_SUITE_P(LayerII, EncoderFixtureTest,
                         ::testing::Values("tl_48k_stereo_192k_crc", "tl_48k_stereo_96k", "tl_44k_joint_128k_crc",
                                           "tl_44k_dual_256k", "tl_32k_mono_48k_crc", "tl_32k_joint_64k",
                                           "ff_44k_stereo_192k", "ff_48k_mono_64k", "ff_32k_stereo_64k",
                                           "ff_48k_stereo_384k", "tl_lsf_24k_stereo_96k_crc", "tl_lsf_22k_joint_64k",
                                           "ff_lsf_16k_mono_32k"),
                         ParamName);

using ConformanceTest = AccuracyTest;

TEST_P(ConformanceTest, MeetsTheFullAccuracyLimits) {
    const std::filesystem::path folder = TAMBERLY_CONFORMANCE_DIR;
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << "conformance streams not found in " << folder.string();
    const std::string base = (folder / GetParam()).string();
    // The MPEG-2 reference holds exactly what its stream decodes to.
    const bool wholeReference = std::string(GetParam()).find("test32") != std::string::npos;
    CheckAccuracy(GetParam(), testsupport::ReadFileBytes(base + ".bit"), testsupport::ReadFileBytes(base + ".pcm"),
                  wholeReference);
}

INSTANTIATE_TEST_SUITE_P(LayersIAndII, ConformanceTest,
                         ::testing::Values("layer1/l1-fl1", "layer1/l1-fl2", "layer1/l1-fl3", "layer1/l1-fl4",
                                           "layer1/l1-fl5", "layer1/l1-fl6", "layer1/l1-fl7", "layer1/l1-fl8",
                                           "layer2/l2-fl10", "layer2/l2-fl11", "layer2/l2-fl12", "layer2/l2-fl13",
                                           "layer2/l2-fl14", "layer2/l2-fl15", "layer2/l2-fl16", "layer2/l2-test32"),
                         ParamName);

}  // namespace
}  // namespace mpadec_test
