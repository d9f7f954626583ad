// The Layer III bit reservoir: a lame stream with one frame's
// main_data_begin raised past what the frames before it left, and a stream
// cut inside a frame and joined to another.

#include "tests/libs/mpacheck/check_driver.h"

namespace {

using namespace checktest;

// The frame CRC of ISO/IEC 11172-3 bit by bit, to mend a changed frame.
std::uint16_t FrameCrc(const Bytes& bytes, std::size_t frame, std::size_t side_bytes) {
    std::uint16_t crc = 0xFFFF;
    auto add = [&](std::uint8_t byte) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool top = (crc >> 15) & 1;
            crc = static_cast<std::uint16_t>(crc << 1);
            if (top != static_cast<bool>((byte >> bit) & 1)) crc ^= 0x8005;
        }
    };
    add(bytes[frame + 2]);
    add(bytes[frame + 3]);
    for (std::size_t i = 0; i < side_bytes; ++i) add(bytes[frame + 6 + i]);
    return crc;
}

struct RaiseCase {
    const char* name;
    const char* arguments;
    bool protected_frames;
};

class ReservoirTest : public ::testing::TestWithParam<RaiseCase> {};

TEST_P(ReservoirTest, ARaisedMainDataBeginFlagsExactlyThatFrame) {
    CHECKTEST_REQUIRE("lame");
    const testsupport::TempDir dir;
    const std::string path = Encode(dir, "lame", GetParam().arguments, 44100, "clean.mp3");
    Bytes bytes = testsupport::ReadFileBytes(path);
    const auto offsets = PacketOffsets(path);
    ASSERT_GT(offsets.size(), 60u);
    const CheckRun clean = Check(bytes);
    EXPECT_EQ(clean.Problems(), "");

    // main_data_begin is the first 9 bits after the header (and CRC word) of
    // an MPEG-1 frame: 511 reaches before the first frame's data.
    const std::size_t frame = 40;
    const std::size_t side = offsets[frame] + (GetParam().protected_frames ? 6 : 4);
    bytes[side] = 0xFF;
    bytes[side + 1] |= 0x80;
    if (GetParam().protected_frames) {
        const std::uint16_t crc = FrameCrc(bytes, offsets[frame], 32);
        bytes[offsets[frame] + 4] = static_cast<std::uint8_t>(crc >> 8);
        bytes[offsets[frame] + 5] = static_cast<std::uint8_t>(crc);
    }
    const CheckRun run = Check(bytes);
    EXPECT_EQ(run.Frames(finding_kind::reservoir_underflow), std::vector<std::int64_t>{40}) << run.Problems();
    EXPECT_TRUE(run.Frames(finding_kind::crc_mismatch).empty()) << run.Problems();
    const auto underflow = run.Of(finding_kind::reservoir_underflow);
    ASSERT_EQ(underflow.size(), 1u);
    EXPECT_EQ(underflow[0].expected, 511);
    EXPECT_LT(underflow[0].actual, 511);
    EXPECT_EQ(underflow[0].offset, offsets[frame]);
}

INSTANTIATE_TEST_SUITE_P(Lame, ReservoirTest,
                         ::testing::Values(RaiseCase{"plain", "-b 128", false}, RaiseCase{"crc", "-b 128 -p", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The frame cut in the middle is truncated where the other stream starts,
// and the first frame of that stream reaches into data that is not there.
TEST(ReservoirJoinTest, TheFirstFrameAfterTheJoinIsFlagged) {
    CHECKTEST_REQUIRE("lame");
    const testsupport::TempDir dir;
    const std::string first = Encode(dir, "lame", "-V 2", 44100, "first.mp3");
    const std::string second = Encode(dir, "lame", "-b 160", 44100, "second.mp3");
    const Bytes a = testsupport::ReadFileBytes(first);
    const Bytes b = testsupport::ReadFileBytes(second);
    const auto a_frames = PacketOffsets(first);
    const auto b_frames = PacketOffsets(second);
    ASSERT_GT(a_frames.size(), 60u);
    ASSERT_GT(b_frames.size(), 60u);
    // A frame of the second stream that uses the reservoir.
    std::size_t from = 30;
    while (from < b_frames.size() && ((b[b_frames[from] + 4] << 1) | (b[b_frames[from] + 5] >> 7)) == 0) ++from;
    ASSERT_LT(from, b_frames.size());

    Bytes joined(a.begin(), a.begin() + static_cast<long>(a_frames[50] + 100));
    joined.insert(joined.end(), b.begin() + static_cast<long>(b_frames[from]), b.end());
    const CheckRun run = Check(joined, 7);
    EXPECT_EQ(run.Frames(finding_kind::truncated_frame), std::vector<std::int64_t>{50}) << run.Problems();
    EXPECT_EQ(run.Frames(finding_kind::reservoir_underflow), std::vector<std::int64_t>{50}) << run.Problems();
    const auto underflow = run.Of(finding_kind::reservoir_underflow);
    ASSERT_EQ(underflow.size(), 1u);
    EXPECT_EQ(underflow[0].offset, a_frames[50] + 100);
    EXPECT_EQ(underflow[0].actual, 0);
}

}  // namespace
