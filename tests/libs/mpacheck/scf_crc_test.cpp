// The DAB scale-factor check words: the CRC-8 against its catalogue check
// value, and streams from the test-stream toolkit with right, spoilt and
// interrupted check words, judged frame by frame.

#include "libs/mpacheck/scf_crc.h"
#include <set>

#include "tests/libs/mpacheck/check_driver.h"
#include "tests/support/mpa_builder_dab.h"
#include "tests/support/twolame_dab.h"

namespace {

using namespace checktest;
using mpacheck::scf_crc_state;
using testsupport::DabStreamShape;
using testsupport::MpaFrameSpec;
using testsupport::MpaVersion;

// CRC-8 with G(X) = X^8 + X^4 + X^3 + X^2 + 1, initial value 0, no
// reflection, no final XOR is the catalogued CRC-8/GSM-A: "123456789" gives 0x37.
TEST(ScfCrcTest, Crc8MatchesTheCatalogueCheckValue) {
    std::uint8_t ours = 0;
    std::uint8_t toolkit = 0;
    for (const char c : std::string("123456789")) {
        ours = mpacheck::scf_crc_update(ours, static_cast<unsigned char>(c), 8);
        toolkit = testsupport::DabCrc8(toolkit, static_cast<unsigned char>(c), 8);
    }
    EXPECT_EQ(ours, 0x37);
    EXPECT_EQ(toolkit, 0x37);
}

struct DabCase {
    const char* name;
    MpaVersion version;
    int bitrate_index;
    int mode;
    int mode_extension;
    int words;
    bool peer_check;  // FFmpeg reads it too (one case per allocation table)
};

// 48 kHz: 2 words below 56 kbit/s per channel, 4 from there; 24 kHz: 4.
const DabCase kDabCases[] = {
    {"48k_stereo_128", MpaVersion::Mpeg1, 8, testsupport::kMpaStereo, 0, 4, true},
    {"48k_joint_192", MpaVersion::Mpeg1, 10, testsupport::kMpaJointStereo, 1, 4, false},
    {"48k_mono_64", MpaVersion::Mpeg1, 4, testsupport::kMpaSingleChannel, 0, 4, false},
    {"48k_stereo_64", MpaVersion::Mpeg1, 4, testsupport::kMpaStereo, 0, 2, true},
    {"48k_mono_48", MpaVersion::Mpeg1, 2, testsupport::kMpaSingleChannel, 0, 2, false},
    {"24k_stereo_64", MpaVersion::Mpeg2, 8, testsupport::kMpaStereo, 0, 4, true},
    {"24k_mono_32", MpaVersion::Mpeg2, 4, testsupport::kMpaSingleChannel, 0, 4, false},
};

DabStreamShape Shape(const DabCase& c, std::uint32_t seed) {
    DabStreamShape shape;
    shape.frame.version = c.version;
    shape.frame.bitrateIndex = c.bitrate_index;
    shape.frame.samplingIndex = 1;  // 48 kHz, or 24 kHz for MPEG-2
    shape.frame.mode = c.mode;
    shape.frame.modeExtension = c.mode_extension;
    shape.frames = 12;
    shape.seed = seed;
    shape.fpad[0] = static_cast<std::uint8_t>(seed * 37);
    shape.fpad[1] = 0xF0;
    return shape;
}

std::vector<scf_crc_state> States(const CheckRun& run) {
    std::vector<scf_crc_state> states;
    for (const auto& f : run.frames) states.push_back(f.scf_crc);
    return states;
}

std::vector<scf_crc_state> Expected(int frames, std::set<int> wrong, std::set<int> unknown = {0}) {
    std::vector<scf_crc_state> states;
    for (int i = 0; i < frames; ++i) {
        states.push_back(unknown.count(i) ? scf_crc_state::unknown
                         : wrong.count(i) ? scf_crc_state::mismatch
                                          : scf_crc_state::match);
    }
    return states;
}

TEST(ScfCrcTest, RightWordsMatchAndSpoiltOnesMismatchWhereBroken) {
    for (const DabCase& c : kDabCases) {
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(std::string(c.name) + " seed " + std::to_string(seed));
            DabStreamShape shape = Shape(c, seed);
            const testsupport::DabStream right = testsupport::MakeDabStream(shape);
            EXPECT_EQ(right.checkWords, c.words);
            const CheckRun run = Check(right.data, 7);
            if (seed == 1 && c.peer_check && testsupport::HaveProgram("ffmpeg")) {
                // FFmpeg reads the frames as Layer II with a right frame CRC
                // (which covers the allocation and scfsi the builder wrote).
                const testsupport::TempDir dir;
                const std::string path = dir.Write("dab.mp2", right.data);
                EXPECT_EQ(PacketOffsets(path).size(), 12u);
                EXPECT_EQ(FfmpegCrcErrors(path), 0);
            }
            EXPECT_EQ(run.Problems(), "");
            ASSERT_EQ(run.frames.size(), 12u);
            EXPECT_EQ(States(run), Expected(12, {}));
            for (std::size_t i = 0; i < run.frames.size(); ++i) {
                EXPECT_EQ(run.frames[i].ancillary_bits, right.ancillaryBits[i]) << "frame " << i;
            }
            shape.wrongCheckWords = {1, 5, 11};
            const CheckRun spoilt = Check(testsupport::MakeDabStream(shape).data);
            EXPECT_EQ(spoilt.Problems(), "") << "a spoilt check word is no finding";
            EXPECT_EQ(States(spoilt), Expected(12, {1, 5, 11}));
        }
    }
}

// A peer encoder's DAB mode: its check words are right on every frame but the
// first, at both rates and with two and four words.
TEST(ScfCrcTest, LibtwolameDabStreamsMatch) {
    const struct {
        int rate;
        int kbps;
    } settings[] = {{48000, 128}, {48000, 64}, {24000, 64}};
    for (const auto& s : settings) {
        const std::optional<Bytes> stream = testsupport::EncodeDabWithLibtwolame(s.rate, s.kbps, 30);
        if (!stream) GTEST_SKIP() << "libtwolame is not installed";
        const CheckRun run = Check(*stream);
        EXPECT_EQ(run.Problems(), "") << s.rate << " " << s.kbps;
        ASSERT_GE(run.frames.size(), 25u);
        EXPECT_EQ(States(run), Expected(static_cast<int>(run.frames.size()), {})) << s.rate << " " << s.kbps;
    }
}

// Junk between two frames: the frame after it has no frame before it whose
// check words could be read.
TEST(ScfCrcTest, AFrameAfterLostSyncIsUnknown) {
    const testsupport::DabStream stream = testsupport::MakeDabStream(Shape(kDabCases[0], 9));
    const std::size_t frame_bytes = stream.data.size() / 12;
    Bytes bytes(stream.data.begin(), stream.data.begin() + static_cast<long>(6 * frame_bytes));
    bytes.insert(bytes.end(), 100, 0x00);
    bytes.insert(bytes.end(), stream.data.begin() + static_cast<long>(6 * frame_bytes), stream.data.end());
    const CheckRun run = Check(bytes);
    EXPECT_EQ(run.Frames(finding_kind::sync_lost), std::vector<std::int64_t>{6});
    EXPECT_EQ(States(run), Expected(12, {}, {0, 6}));
}

// Other rates and layers carry no check words.
TEST(ScfCrcTest, OnlyLayerIIAt48And24kHzIsJudged) {
    MpaFrameSpec at44;
    at44.samplingIndex = 0;
    MpaFrameSpec at32;
    at32.samplingIndex = 2;
    MpaFrameSpec layer3;
    layer3.layer = testsupport::kMpaLayerIII;
    for (const MpaFrameSpec& shape : {at44, at32, layer3}) {
        const CheckRun run = Check(testsupport::MpaStreamBuilder().Frames(shape, 5).Data());
        ASSERT_EQ(run.frames.size(), 5u);
        for (const auto& f : run.frames) EXPECT_EQ(f.scf_crc, scf_crc_state::not_applicable);
    }
}

}  // namespace
