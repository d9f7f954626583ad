// The builder's CRC and frame lengths checked against real encoder output:
// every frame of each protected fixture must carry the CRC word the builder
// computes, and hopping by the builder's frame length must land exactly on
// every header and at the end of the file.

#include "tests/support/mpa_builder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "tests/support/temp_dir.h"

namespace testsupport {
namespace {

struct WalkResult {
    int frames = 0;
    int crcMismatches = 0;
    bool endedAtFileEnd = false;
};

WalkResult WalkProtectedStream(const Bytes& data) {
    WalkResult result;
    std::size_t position = 0;
    while (position + 4 <= data.size()) {
        const auto params = ParseHeader(&data[position]);
        const int length = params ? FrameLength(*params) : 0;
        if (!params || !params->crc || length <= 0 || position + length > data.size()) return result;
        const Bytes frame(data.begin() + position, data.begin() + position + length);
        const auto crc = ComputeFrameCrc(frame);
        if (!crc || *crc != (frame[4] << 8 | frame[5])) ++result.crcMismatches;
        ++result.frames;
        position += static_cast<std::size_t>(length);
    }
    result.endedAtFileEnd = position == data.size();
    return result;
}

class EncoderCrcTest : public ::testing::TestWithParam<const char*> {};

TEST_P(EncoderCrcTest, EveryFrameCarriesTheComputedCrc) {
    const Bytes data = ReadFileBytes(FixturePath(GetParam()));
    ASSERT_FALSE(data.empty()) << GetParam();
    const WalkResult walk = WalkProtectedStream(data);
    EXPECT_TRUE(walk.endedAtFileEnd);
    EXPECT_GE(walk.frames, 5);
    EXPECT_EQ(walk.crcMismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(RealEncoders, EncoderCrcTest,
                         ::testing::Values("tone_l2_48k_192k_crc.mp2", "tone_l3_44k_crc.mp3",
                                           "crc_l2_44k_256k_stereo.mp2", "crc_l2_44k_64k_joint.mp2",
                                           "crc_l2_32k_64k_stereo.mp2", "crc_l2_32k_56k_mono.mp2",
                                           "crc_l2_48k_96k_dual.mp2", "crc_l2_lsf_24k_64k.mp2",
                                           "crc_l3_44k_64k_mono.mp3", "crc_l3_lsf_22k_64k.mp3",
                                           "crc_l3_lsf_22k_32k_mono.mp3", "crc_l3_mpeg25_8k_mono.mp3"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

Bytes FirstFrame(const char* fixture) {
    const Bytes data = ReadFileBytes(FixturePath(fixture));
    if (data.size() < 4) return {};
    const auto params = ParseHeader(data.data());
    if (!params) return {};
    return Bytes(data.begin(), data.begin() + FrameLength(*params));
}

void FlipBit(Bytes& frame, std::size_t bit) { frame[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8)); }

// The protected region ends exactly where the layer's rules say: its last bit
// changes the CRC, the bit after it does not.
TEST(ProtectedRegionTest, EndsAtTheLastAllocationScfsiOrSideInfoBit) {
    for (const char* fixture : {"tone_l2_48k_192k_crc.mp2", "crc_l2_44k_64k_joint.mp2", "crc_l2_lsf_24k_64k.mp2",
                                "crc_l3_44k_64k_mono.mp3"}) {
        SCOPED_TRACE(fixture);
        Bytes frame = FirstFrame(fixture);
        ASSERT_GT(frame.size(), 6u);
        const auto params = ParseHeader(frame.data());
        ASSERT_TRUE(params.has_value());
        const auto stored = static_cast<std::uint16_t>(frame[4] << 8 | frame[5]);
        const Bytes body(frame.begin() + 6, frame.end());
        const auto protectedEnd = 48 + static_cast<std::size_t>(ProtectedBitCount(*params, body));

        Bytes afterRegion = frame;
        FlipBit(afterRegion, protectedEnd);
        EXPECT_EQ(ComputeFrameCrc(afterRegion), stored);

        Bytes lastProtected = frame;
        FlipBit(lastProtected, protectedEnd - 1);
        EXPECT_NE(ComputeFrameCrc(lastProtected), stored);
    }
}

}  // namespace
}  // namespace testsupport
