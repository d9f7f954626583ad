// The page model on streams made by real encoders: paged through with the
// expectations of the file's own vote, it lists exactly the frames ffprobe
// reports (tests/data/*.ffprobe.csv), except the last frame of the file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "viewer/model/FrameNavigator.h"
#include "viewer/model/MPAUtils.h"

namespace {

struct FrameRow {
    std::int64_t offset;
    std::int32_t size;
    bool operator==(const FrameRow&) const = default;
};

void PrintTo(const FrameRow& row, std::ostream* out) { *out << row.offset << "," << row.size; }

std::vector<FrameRow> ReadGolden(const std::string& path) {
    std::vector<FrameRow> rows;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        const auto comma = line.find(',');
        if (comma == std::string::npos) continue;
        rows.push_back({std::stoll(line.substr(0, comma)), std::stoi(line.substr(comma + 1))});
    }
    return rows;
}

struct Fixture {
    const char* stream;
    std::int32_t layer;
    std::int32_t samplingIndex;
    int pageRows;
    std::int32_t version = kMPEG1;
};

void PrintTo(const Fixture& fixture, std::ostream* out) {
    *out << fixture.stream << " in pages of " << fixture.pageRows;
}

std::string GoldenName(const std::string& stream) { return stream.substr(0, stream.rfind('.')) + ".ffprobe.csv"; }

class FixturePagingTest : public ::testing::TestWithParam<Fixture> {};

TEST_P(FixturePagingTest, PagesListTheEncodedFramesButTheLast) {
    const Fixture fixture = GetParam();
    const std::string path = testsupport::FixturePath(fixture.stream);
    const std::vector<FrameRow> golden = ReadGolden(testsupport::FixturePath(GoldenName(fixture.stream)));
    ASSERT_GT(golden.size(), 20u);

    std::int32_t layer = 0;
    std::int32_t sampling = 0;
    std::int32_t version = 0;
    ASSERT_TRUE(IsMPAES(path, layer, sampling, version));
    EXPECT_EQ(layer, fixture.layer);
    EXPECT_EQ(sampling, fixture.samplingIndex);
    EXPECT_EQ(version, fixture.version);

    TFrameNavigator navigator;
    ASSERT_TRUE(navigator.OpenFile(path));
    navigator.SetExpectation(layer, sampling, version);
    const std::vector<std::uint8_t> bytes = testsupport::ReadFileBytes(path);

    std::vector<FrameRow> listed;
    std::int64_t position = 0;
    int pages = 0;
    while (pages++ <= static_cast<int>(golden.size())) {
        navigator.RefreshPosition(position, fixture.pageRows);
        const int count = navigator.FramesCount();
        if (count == 0) break;
        for (int row = 0; row < count; ++row) {
            const TMPAFrame frame = navigator.Frame(row);
            listed.push_back({frame.Offset, frame.PackLength});
            EXPECT_EQ(frame.FrameLength, frame.PackLength) << "at " << frame.Offset;
            if (frame.Header.protection_bit == 0) {
                const auto at = static_cast<std::size_t>(frame.Offset);
                EXPECT_EQ(frame.Header.crc_check, bytes[at + 4] << 8 | bytes[at + 5]) << "at " << frame.Offset;
            }
        }
        const TMPAFrame last = navigator.Frame(count - 1);
        position = last.Offset + last.PackLength;
    }
    const std::vector<FrameRow> expected(golden.begin(), golden.end() - 1);
    EXPECT_EQ(listed, expected);
}

INSTANTIATE_TEST_SUITE_P(Encoders, FixturePagingTest,
                         ::testing::Values(Fixture{"tone_l2_44k_128k.mp2", kLayerII, 0, 20},
                                           Fixture{"tone_l2_44k_128k.mp2", kLayerII, 0, 256},
                                           Fixture{"tone_l2_48k_192k_crc.mp2", kLayerII, 1, 17},
                                           Fixture{"tone_l3_44k_128k.mp3", kLayerIII, 0, 31},
                                           Fixture{"tone_l3_44k_crc.mp3", kLayerIII, 0, 1},
                                           Fixture{"lsf_l2_16k_32k_mono.mp2", kLayerII, 2, 7, kMPEG2},
                                           Fixture{"lsf_l2_22k_48k.mp2", kLayerII, 0, 256, kMPEG2},
                                           Fixture{"lsf_l2_24k_64k_crc.mp2", kLayerII, 1, 5, kMPEG2},
                                           Fixture{"lsf_l3_16k_vbr.mp3", kLayerIII, 2, 9, kMPEG2},
                                           Fixture{"lsf_l3_22k_32k.mp3", kLayerIII, 0, 256, kMPEG2},
                                           Fixture{"lsf_l3_24k_64k_crc.mp3", kLayerIII, 1, 11, kMPEG2},
                                           Fixture{"mpeg25_l3_8k_16k_mono.mp3", kLayerIII, 2, 256, kMPEG25},
                                           Fixture{"mpeg25_l3_11k_vbr.mp3", kLayerIII, 0, 6, kMPEG25},
                                           Fixture{"mpeg25_l3_12k_24k.mp3", kLayerIII, 1, 13, kMPEG25}),
                         [](const ::testing::TestParamInfo<Fixture>& info) {
                             std::string name = std::string(info.param.stream) + "_" +
                                                std::to_string(info.param.pageRows) + "rows";
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

// Every real header of these streams is rejected; the file's vote is left to
// whatever sync-like bytes its audio data holds.
TEST(FixtureHeaders, LowerSamplingRateHeadersAreNeverUsable) {
    for (const char* stream : {"crc_l2_lsf_24k_64k.mp2", "crc_l3_lsf_22k_64k.mp3", "crc_l3_mpeg25_8k_mono.mp3"}) {
        SCOPED_TRACE(stream);
        const testsupport::Bytes bytes = testsupport::ReadFileBytes(testsupport::FixturePath(stream));
        std::size_t position = 0;
        int headers = 0;
        while (position + 4 <= bytes.size()) {
            const auto params = testsupport::ParseHeader(&bytes[position]);
            ASSERT_TRUE(params.has_value()) << "lost the frames at " << position;
            EXPECT_FALSE(MPAValidFramePoint(&bytes[position], bytes.size() - position, -1, -1)) << position;
            ++headers;
            position += static_cast<std::size_t>(testsupport::FrameLength(*params));
        }
        EXPECT_GE(headers, 5);
    }
}

TEST(FixtureVote, MpegOneStreamsOfOtherRates) {
    const struct {
        const char* stream;
        std::int32_t layer;
        std::int32_t sampling;
    } cases[] = {
        {"crc_l2_32k_64k_stereo.mp2", kLayerII, 2},
        {"crc_l2_44k_256k_stereo.mp2", kLayerII, 0},
        {"crc_l2_48k_96k_dual.mp2", kLayerII, 1},
        {"crc_l3_44k_64k_mono.mp3", kLayerIII, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stream);
        std::int32_t layer = 0;
        std::int32_t sampling = 0;
        EXPECT_TRUE(IsMPAES(testsupport::FixturePath(c.stream), layer, sampling));
        EXPECT_EQ(layer, c.layer);
        EXPECT_EQ(sampling, c.sampling);
    }
}

}  // namespace
