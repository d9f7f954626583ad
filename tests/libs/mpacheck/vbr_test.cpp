// Xing/Info and LAME headers of lame's CBR, ABR and VBR outputs: declared
// frames against the frames counted (and mp3val's count), truncation,
// appended streams, and the LAME tag and music CRCs.

#include <regex>

#include "tests/libs/mpacheck/check_driver.h"

namespace {

using namespace checktest;

struct VbrCase {
    const char* name;
    const char* arguments;
    bool protected_frames;
};

const VbrCase kVbrCases[] = {
    {"cbr", "-b 128", false},
    {"abr", "--abr 96", false},
    {"vbr", "-V 2", false},
    {"vbr_crc", "-V 4 -p", true},
};

// The frame count in mp3val's summary line (it counts the header frame too,
// and a cut last frame).
int Mp3valFrames(const std::string& path) {
    const auto run = testsupport::RunShell("mp3val " + Q(path));
    std::smatch match;
    static const std::regex kFrames(R"((\d+) MPEG frames)");
    return std::regex_search(run.out, match, kFrames) ? std::stoi(match[1]) : -1;
}

std::string Mp3valOutput(const std::string& path) { return testsupport::RunShell("mp3val " + Q(path)).out; }

class VbrTest : public ::testing::TestWithParam<VbrCase> {
protected:
    void SetUp() override {
        if (!testsupport::HaveProgram("lame") || !testsupport::HaveProgram("mp3val")) GTEST_SKIP() << "no lame/mp3val";
        path_ = Encode(dir_, "lame", GetParam().arguments, 44100, "clean.mp3");
        bytes_ = testsupport::ReadFileBytes(path_);
        clean_ = Check(bytes_);
        ASSERT_GT(clean_.summary.frames, 50);
    }
    std::string Save(const Bytes& bytes, const std::string& name) {
        const std::string path = dir_.File(name);
        Write(path, bytes);
        return path;
    }
    [[nodiscard]] std::size_t LameTagOffset() const {
        const std::string head(bytes_.begin(), bytes_.begin() + 400);
        return head.find("LAME");
    }

    testsupport::TempDir dir_;
    std::string path_;
    Bytes bytes_;
    CheckRun clean_;
};

TEST_P(VbrTest, IntactStreamAgreesWithItsHeaderAndWithMp3val) {
    EXPECT_EQ(clean_.Problems(), "");
    const auto headers = clean_.Of(finding_kind::vbr_header);
    ASSERT_EQ(headers.size(), 1u);
    EXPECT_EQ(headers[0].expected, clean_.summary.frames);
    EXPECT_EQ(headers[0].actual, static_cast<std::int64_t>(bytes_.size()));
    EXPECT_EQ(Mp3valFrames(path_), clean_.summary.frames + 1);
    EXPECT_GE(clean_.summary.encoder_delay, 576);
    EXPECT_EQ(GetParam().name == std::string("cbr"), !clean_.summary.variable_bitrate);
    // lame was given 3 s of audio: the net duration is exact to a sample.
    EXPECT_NEAR(clean_.summary.duration, 3.0, 1.0 / 44100);
}

TEST_P(VbrTest, CutAt60PercentIsTruncated) {
    const Bytes cut(bytes_.begin(), bytes_.begin() + static_cast<long>(bytes_.size() * 6 / 10));
    const std::string path = Save(cut, "cut.mp3");
    const CheckRun run = CheckFile(path, 1);
    const auto truncated = run.Of(finding_kind::stream_truncated);
    ASSERT_EQ(truncated.size(), 1u) << run.Problems();
    EXPECT_EQ(truncated[0].expected, clean_.summary.frames);
    EXPECT_EQ(truncated[0].actual, run.summary.frames);
    const auto cut_frames = static_cast<int>(run.Of(finding_kind::truncated_frame).size());
    EXPECT_EQ(Mp3valFrames(path), run.summary.frames + 1 + cut_frames);
    EXPECT_NE(Mp3valOutput(path).find("Wrong number of MPEG frames"), std::string::npos);
}

TEST_P(VbrTest, TwoStreamsInARowAreAnAppendedStream) {
    Bytes twice = bytes_;
    twice.insert(twice.end(), bytes_.begin(), bytes_.end());
    const std::string path = Save(twice, "twice.mp3");
    const CheckRun run = CheckFile(path);
    const auto appended = run.Of(finding_kind::stream_appended);
    ASSERT_EQ(appended.size(), 1u) << run.Problems();
    EXPECT_EQ(appended[0].expected, clean_.summary.frames);
    EXPECT_EQ(appended[0].actual, 2 * clean_.summary.frames);
    EXPECT_EQ(run.Of(finding_kind::vbr_header).size(), 2u);
    EXPECT_EQ(Mp3valFrames(path), 2 * (clean_.summary.frames + 1));
}

TEST_P(VbrTest, JunkBetweenFramesIsLostSyncNotAnAppendedStream) {
    const auto offsets = PacketOffsets(path_);
    ASSERT_GT(offsets.size(), 40u);
    Bytes junky = bytes_;
    const Bytes junk(300, 0x55);
    junky.insert(junky.begin() + static_cast<long>(offsets[30]), junk.begin(), junk.end());
    const CheckRun run = Check(junky);
    EXPECT_EQ(run.Frames(finding_kind::sync_lost), std::vector<std::int64_t>{30}) << run.Problems();
    EXPECT_TRUE(run.Of(finding_kind::stream_appended).empty()) << run.Problems();
    EXPECT_TRUE(run.Of(finding_kind::stream_truncated).empty()) << run.Problems();
    EXPECT_EQ(run.summary.frames, clean_.summary.frames);
}

TEST_P(VbrTest, ALameTagByteBreaksTheTagCrcOnly) {
    Bytes changed = bytes_;
    const std::size_t lame = LameTagOffset();
    ASSERT_NE(lame, std::string::npos);
    changed[lame + 10] ^= 0x01;  // the lowpass byte
    const CheckRun run = Check(changed);
    const auto tag = run.Of(finding_kind::lame_tag_crc);
    ASSERT_EQ(tag.size(), 1u) << run.Problems();
    EXPECT_NE(tag[0].expected, tag[0].actual);
    EXPECT_EQ(run.findings.size(), clean_.findings.size() + 1) << run.Problems();
}

TEST_P(VbrTest, AnAudioByteBreaksTheMusicCrc) {
    const auto offsets = PacketOffsets(path_);
    ASSERT_GT(offsets.size(), 30u);
    Bytes changed = bytes_;
    // Inside the side information when the frames carry a CRC, else near the frame's end.
    const std::size_t at = GetParam().protected_frames ? offsets[20] + 8 : offsets[21] - 3;
    changed[at] ^= 0x01;
    const CheckRun run = Check(changed);
    EXPECT_EQ(run.Of(finding_kind::music_crc).size(), 1u) << run.Problems();
    const auto expected_crc_frames =
        GetParam().protected_frames ? std::vector<std::int64_t>{20} : std::vector<std::int64_t>{};
    EXPECT_EQ(run.Frames(finding_kind::crc_mismatch), expected_crc_frames);
}

INSTANTIATE_TEST_SUITE_P(Lame, VbrTest, ::testing::ValuesIn(kVbrCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
