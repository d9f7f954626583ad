// Frame CRCs: streams from twolame -p and lame -p with bits flipped inside
// and outside the protected span of chosen frames, judged against FFmpeg's
// CRC check; the CRC-carrying conformance streams pass clean.

#include <filesystem>

#include "tests/libs/mpacheck/check_driver.h"

namespace {

using namespace checktest;

struct CrcCase {
    const char* name;
    const char* tool;
    const char* arguments;
    int rate;
};

// Layer II tables B.2a-d and B.1 (MPEG-2), joint stereo bounds, and Layer III
// in MPEG-1, MPEG-2 and MPEG-2.5 with one and two channels.
const CrcCase kCrcCases[] = {
    {"l2_48k_192k_stereo", "twolame", "-p -b 192 -m s", 48000},
    {"l2_44k_128k_joint", "twolame", "-p -b 128 -m j", 44100},
    {"l2_44k_320k_stereo", "twolame", "-p -b 320 -m s", 44100},
    {"l2_32k_56k_mono", "twolame", "-p -b 56 -m m -a", 32000},
    {"l2_48k_48k_mono", "twolame", "-p -b 48 -m m -a", 48000},
    {"l2_32k_64k_dual", "twolame", "-p -b 64 -m d", 32000},
    {"l2_24k_64k_lsf", "twolame", "-p -b 64 -m j", 24000},
    {"l3_44k_128k_joint", "lame", "-p -b 128", 44100},
    {"l3_48k_vbr_mono", "lame", "-p -V 3 -m m", 48000},
    {"l3_22k_32k_lsf", "lame", "-p -b 32", 22050},
    {"l3_8k_16k_mpeg25_mono", "lame", "-p -b 16 -m m", 8000},
};

class CrcTest : public ::testing::TestWithParam<CrcCase> {};

// Flips one bit of each chosen frame at `byte_in_frame` (from the frame's
// end when negative) and returns the damaged file's path.
std::string Extension(const CrcCase& c) { return std::string(c.tool) == "lame" ? ".mp3" : ".mp2"; }

std::string Damage(const testsupport::TempDir& dir, const std::string& path, const std::vector<std::size_t>& frames,
                   int byte_in_frame, const std::string& name) {
    auto bytes = testsupport::ReadFileBytes(path);
    const auto offsets = PacketOffsets(path);
    for (const std::size_t frame : frames) {
        const std::size_t end = frame + 1 < offsets.size() ? offsets[frame + 1] : bytes.size();
        const std::size_t at = byte_in_frame >= 0 ? offsets[frame] + byte_in_frame : end + byte_in_frame;
        bytes[at] ^= 0x10;
    }
    const std::string out = dir.File(name);
    Write(out, bytes);
    return out;
}

TEST_P(CrcTest, FlipsInTheProtectedSpanFlagExactlyThoseFramesAsFfmpegDoes) {
    CHECKTEST_REQUIRE(GetParam().tool);
    CHECKTEST_REQUIRE("ffmpeg");
    const testsupport::TempDir dir;
    const std::string clean = Encode(dir, GetParam().tool, GetParam().arguments, GetParam().rate, "clean" + Extension(GetParam()));
    const CheckRun intact = CheckFile(clean);
    ASSERT_GT(intact.summary.frames, 20) << GetParam().name;
    EXPECT_TRUE(intact.Frames(finding_kind::crc_mismatch).empty()) << intact.Problems();
    EXPECT_EQ(FfmpegCrcErrors(clean), 0);

    // Byte 6 holds the first allocation or side-information bits of every layer.
    const std::vector<std::size_t> chosen = {3, 11, 17};
    const std::string inside = Damage(dir, clean, chosen, 6, "inside" + Extension(GetParam()));
    const CheckRun damaged = CheckFile(inside);
    EXPECT_EQ(damaged.Frames(finding_kind::crc_mismatch), (std::vector<std::int64_t>{3, 11, 17})) << damaged.Problems();
    EXPECT_EQ(FfmpegCrcErrors(inside), 3);
    for (const auto& f : damaged.Of(finding_kind::crc_mismatch)) EXPECT_NE(f.expected, f.actual);
}

TEST_P(CrcTest, FlipsInTheAudioDataAreNotCrcErrors) {
    CHECKTEST_REQUIRE(GetParam().tool);
    CHECKTEST_REQUIRE("ffmpeg");
    const testsupport::TempDir dir;
    const std::string clean = Encode(dir, GetParam().tool, GetParam().arguments, GetParam().rate, "clean" + Extension(GetParam()));
    const std::string outside = Damage(dir, clean, {2, 9}, -2, "outside" + Extension(GetParam()));
    const CheckRun run = CheckFile(outside);
    EXPECT_TRUE(run.Frames(finding_kind::crc_mismatch).empty()) << run.Problems();
    EXPECT_EQ(FfmpegCrcErrors(outside), 0);
}

INSTANTIATE_TEST_SUITE_P(Encoders, CrcTest, ::testing::ValuesIn(kCrcCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every conformance stream with CRC words passes. The "wrongcrc" streams
// carry their wrong CRC in the multichannel extension, which is not checked:
// their base-layer CRC is right.
TEST(CrcConformanceTest, CrcCarryingStreamsPass) {
    const std::filesystem::path root = TAMBERLY_CONFORMANCE_DIR;
    ASSERT_TRUE(std::filesystem::exists(root)) << "no conformance streams at " << root;
    int protected_streams = 0;
    for (const char* folder : {"layer1", "layer2", "layer3", "illegal"}) {
        for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
            if (entry.path().extension() != ".bit") continue;
            const auto bytes = testsupport::ReadFileBytes(entry.path().string());
            if (bytes.size() < 2 || (bytes[1] & 1) != 0) continue;  // first header without CRC
            ++protected_streams;
            const CheckRun run = Check(bytes);
            EXPECT_TRUE(run.Frames(finding_kind::crc_mismatch).empty()) << entry.path() << "\n" << run.Problems();
        }
    }
    EXPECT_GE(protected_streams, 5);
}

// A copy of a CRC-protected Layer II stream whose 49 headers were edited to
// free format: the header bits are protected, so every frame fails.
TEST(CrcConformanceTest, EditedHeadersFailTheirCrc) {
    const std::filesystem::path path = std::filesystem::path(TAMBERLY_CONFORMANCE_DIR) / "nonstandard" /
                                       "l2-nonstandard-free_format.bit";
    ASSERT_TRUE(std::filesystem::exists(path)) << "no conformance stream " << path;
    const CheckRun run = CheckFile(path.string());
    EXPECT_EQ(run.summary.frames, 49);
    EXPECT_EQ(run.Frames(finding_kind::crc_mismatch).size(), 49u);
    EXPECT_EQ(run.Of(finding_kind::free_format).size(), 1u);
}

}  // namespace
