// Start codes, valid frame starts, the header parse and the frame size.

#include "libs/mpaverify/frame_header.h"

#include <gtest/gtest.h>

#include "platform/debug_output.h"
#include "tests/libs/mpaverify/validator_driver.h"

namespace mpaverify {
namespace {

using mpaverify_test::LayerII;
using testsupport::Bytes;
using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;

int32_t StartIn(const Bytes& bytes) {
    return find_next_mpa_start_code(bytes.data(), static_cast<int32_t>(bytes.size()));
}

TEST(FrameSize, FollowsTheLayerFormulasAndNeverIsZero) {
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerI, 12, 0), 416);   // 384 kbit/s, 44.1 kHz
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerII, 8, 0), 417);   // 128 kbit/s, 44.1 kHz
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerII, 10, 1), 576);  // 192 kbit/s, 48 kHz
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerII, 12, 1), 768);  // 256 kbit/s, 48 kHz
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerI, 1, 0), 4 * (12000 * 32 / 44100));  // slots truncate before x4
    // Free format reads as 1 kbit/s.
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerI, 0, 0), 1);
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerII, 0, 0), 3);
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerII, 0, 1), 3);
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerII, 0, 2), 4);
    // Layer III, reserved rates and the forbidden bitrate index still give a size.
    EXPECT_EQ(FrameSizeWithoutPadding(1, 8, 0), 1);
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerII, 8, 3), 1);
    EXPECT_EQ(FrameSizeWithoutPadding(kLayerI, 15, 0), 1);
}

TEST(FrameSize, PaddingIsHonouredOnlyAt44100Hz) {
    MpaHeader h;
    h.layer = kLayerI;
    h.padding_bit = 1;
    EXPECT_EQ(HonouredPadding(h), 4);
    h.layer = kLayerII;
    EXPECT_EQ(HonouredPadding(h), 1);
    h.sampling_frequency = 1;
    EXPECT_EQ(HonouredPadding(h), 0);
    h.sampling_frequency = 2;
    EXPECT_EQ(HonouredPadding(h), 0);
    h.sampling_frequency = 0;
    h.padding_bit = 0;
    EXPECT_EQ(HonouredPadding(h), 0);
}

TEST(Tables, RatesAndBitrates) {
    EXPECT_EQ(SamplingRateHz(0), 44100);
    EXPECT_EQ(SamplingRateHz(2), 32000);
    EXPECT_EQ(SamplingRateHz(3), 0);
    EXPECT_EQ(BitrateKbps(kLayerI, 14), 448);
    EXPECT_EQ(BitrateKbps(kLayerII, 14), 384);
    EXPECT_EQ(BitrateKbps(kLayerII, 0), 1);
    EXPECT_EQ(BitrateKbps(kLayerII, 15), 0);
    EXPECT_EQ(BitrateKbps(1, 8), 0);
}

TEST(StartCode, FindsLayerIAndIIHeadersAfterJunk) {
    Bytes bytes = {0x00, 0xFF, 0x12, 0xFF};
    const Bytes header = MakeHeader(LayerII(8, 1));
    bytes.insert(bytes.end(), header.begin(), header.end());
    EXPECT_EQ(StartIn(bytes), 4);
    MpaFrameSpec layer1 = LayerII(8, 1);
    layer1.layer = testsupport::kMpaLayerI;
    EXPECT_EQ(StartIn(MakeHeader(layer1)), 0);
    // Three bytes of a header are not enough.
    EXPECT_EQ(StartIn(Bytes(header.begin(), header.begin() + 3)), -1);
    EXPECT_EQ(StartIn({}), -1);
}

TEST(StartCode, RejectsEveryReservedValueAndOtherLayersAndVersions) {
    const auto rejects = [](MpaFrameSpec params) { return StartIn(MakeHeader(params)) == -1; };
    MpaFrameSpec params = LayerII(8, 1);
    params.bitrateIndex = 15;
    EXPECT_TRUE(rejects(params));
    params = LayerII(8, 3);
    EXPECT_TRUE(rejects(params));
    params = LayerII(8, 1);
    params.emphasis = 2;
    EXPECT_TRUE(rejects(params));
    params = LayerII(8, 1);
    params.layer = testsupport::kMpaLayerIII;
    EXPECT_TRUE(rejects(params));
    params = LayerII(8, 1);
    params.version = testsupport::MpaVersion::Mpeg2;
    EXPECT_TRUE(rejects(params));
    params = LayerII(8, 1);
    params.layer = 0;  // reserved layer code
    EXPECT_TRUE(rejects(params));
    // Emphasis 1 and 3 and free format are allowed.
    params = LayerII(0, 2);
    params.emphasis = 3;
    EXPECT_FALSE(rejects(params));
}

TEST(ValidStart, SearchesFromStartAndChecksArguments) {
    Bytes bytes = MakeHeader(LayerII(8, 1));
    const Bytes second = MakeHeader(LayerII(10, 1));
    bytes.push_back(0);
    bytes.insert(bytes.end(), second.begin(), second.end());
    const auto n = static_cast<int32_t>(bytes.size());
    EXPECT_EQ(find_next_valid_mpa_frame_start(bytes.data(), n, 0), 0);
    EXPECT_EQ(find_next_valid_mpa_frame_start(bytes.data(), n, 1), 5);
    platform::DebugLineCapture capture;
    EXPECT_EQ(find_next_valid_mpa_frame_start(bytes.data(), n, n - 1), -1);
    EXPECT_EQ(find_next_valid_mpa_frame_start(nullptr, n, 0), -1);
    EXPECT_EQ(find_next_valid_mpa_frame_start(bytes.data(), 1, 0), -1);
    EXPECT_EQ(capture.Lines(), std::vector<std::string>(
                                   3, "\nError in find_next_valid_mpa_frame_start - invalid arguments."));
}

TEST(ValidStart, AProtectedHeaderWithoutItsCrcWordIsNotYetAStart) {
    MpaFrameSpec params = LayerII(8, 1);
    params.crc = true;
    const Bytes header = MakeHeader(params);
    platform::DebugLineCapture capture;
    EXPECT_EQ(find_next_valid_mpa_frame_start(header.data(), 4, 0), -1);
    EXPECT_TRUE(capture.Contains("dbg: Error in parse_mpa_frame - insufficient memory for error_check."));
}

TEST(Parse, FillsEveryFieldInBitOrder) {
    MpaFrameSpec params;
    params.layer = testsupport::kMpaLayerI;
    params.crc = true;
    params.bitrateIndex = 13;
    params.samplingIndex = 2;
    params.padding = 1;
    params.privateBit = 1;
    params.mode = testsupport::kMpaJointStereo;
    params.modeExtension = 2;
    params.copyright = 1;
    params.original = 1;
    params.emphasis = 3;
    Bytes bytes = MakeHeader(params);
    bytes.push_back(0xAB);
    bytes.push_back(0xCD);
    MpaHeader h;
    ASSERT_TRUE(parse_mpa_frame(bytes.data(), 6, h));
    EXPECT_EQ(h.syncword, 0xFFF);
    EXPECT_EQ(h.ID, 1);
    EXPECT_EQ(h.layer, 3);
    EXPECT_EQ(h.protection_bit, 0);
    EXPECT_EQ(h.bitrate_index, 13);
    EXPECT_EQ(h.sampling_frequency, 2);
    EXPECT_EQ(h.padding_bit, 1);
    EXPECT_EQ(h.private_bit, 1);
    EXPECT_EQ(h.mode, 1);
    EXPECT_EQ(h.mode_extension, 2);
    EXPECT_EQ(h.copyright, 1);
    EXPECT_EQ(h.original_home, 1);
    EXPECT_EQ(h.emphasis, 3);
    EXPECT_EQ(h.error_check, 0xABCD);
}

TEST(Parse, ShortInputFailsWithItsMessage) {
    MpaFrameSpec params = LayerII(8, 1);
    params.crc = true;
    const Bytes bytes = MakeHeader(params);
    platform::DebugLineCapture capture;
    MpaHeader h;
    h.error_check = 77;
    EXPECT_FALSE(parse_mpa_frame(bytes.data(), 3, h));
    EXPECT_EQ(h.syncword, 0);  // nothing written
    EXPECT_FALSE(parse_mpa_frame(bytes.data(), 4, h));
    EXPECT_EQ(h.bitrate_index, 8);  // the header fields stay filled
    EXPECT_EQ(h.error_check, 77);
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{
                                   "dbg: Error in parse_mpa_frame - insufficient memory for header.",
                                   "dbg: Error in parse_mpa_frame - insufficient memory for error_check."}));
    // Without a CRC the word is left as it was.
    const Bytes plain = MakeHeader(LayerII(8, 1));
    EXPECT_TRUE(parse_mpa_frame(plain.data(), 4, h));
    EXPECT_EQ(h.error_check, 77);
}

}  // namespace
}  // namespace mpaverify
