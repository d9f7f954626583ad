// frames, header, probe and streams run as the real program on the fixtures,
// their output compared with reviewed golden files (tests/data/cli).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/cli/run_program.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using clitest::Quoted;
using clitest::RunCli;
using ::testing::HasSubstr;

struct GoldenCase {
    const char* arguments;  // run in the test data folder, on relative names
    const char* golden;     // under tests/data/cli
};

TEST(CliGolden, OutputsMatchTheReviewedFiles) {
    const GoldenCase cases[] = {
        {"frames tone_l2_44k_128k.mp2 --rows 5", "frames_l2.txt"},
        {"frames tone_l2_48k_192k_crc.mp2 --from 1000 --rows 4 --format csv", "frames_l2_crc.csv"},
        {"frames tone_l3_44k_128k.mp3 --rows 3 --format json", "frames_l3.json"},
        {"header tone_l2_48k_192k_crc.mp2 --offset 0x480", "header_l2_crc.txt"},
        {"probe tone_l2_44k_128k.mp2", "probe_l2.txt"},
        {"probe tone_l2.ts --format json", "probe_ts.json"},
        {"streams demux/two_programs.ts", "streams_two_programs.txt"},
        {"streams demux/two_programs.ts --format json", "streams_two_programs.json"},
    };
    for (const GoldenCase& golden : cases) {
        SCOPED_TRACE(golden.arguments);
        const auto result = RunCli(golden.arguments);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, clitest::ReadText(testsupport::FixturePath(std::string("cli/") + golden.golden)));
    }
}

std::vector<std::string> FfprobeOffsets(const std::string& name) {
    std::ifstream in(testsupport::FixturePath(name + ".ffprobe.csv"));
    std::string line;
    std::getline(in, line);
    std::vector<std::string> offsets;
    while (std::getline(in, line)) offsets.push_back(line.substr(0, line.find(',')));
    return offsets;
}

// The first CSV field of each data row, as a decimal number.
std::vector<std::string> CsvOffsets(const std::string& csv) {
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);  // captions
    std::vector<std::string> offsets;
    while (std::getline(lines, line)) offsets.push_back(std::to_string(std::stoll(line.substr(0, line.find(',')), nullptr, 16)));
    return offsets;
}

TEST(CliFramesAll, ListsEveryFrameTheEncoderWroteApartFromTheLast) {
    for (const std::string name : {"tone_l2_44k_128k", "tone_l3_44k_128k", "tone_l2_48k_192k_crc"}) {
        SCOPED_TRACE(name);
        const auto result = RunCli("frames " + name + (name.find("_l3_") != std::string::npos ? ".mp3" : ".mp2") +
                                   " --all --format csv");
        ASSERT_EQ(result.exitCode, 0) << result.err;
        auto expected = FfprobeOffsets(name);
        expected.pop_back();
        EXPECT_EQ(CsvOffsets(result.out), expected);
    }
}

TEST(CliFramesAll, WalksPastAGapWiderThanTheSearchWindow) {
    testsupport::TempDir dir;
    testsupport::MpaFrameSpec params;  // 384-byte Layer II frames
    testsupport::MpaStreamBuilder stream;
    stream.Frames(params, 600).Junk(1536 * 1024).Frames(params, 5);
    const auto path = dir.Write("gap.mp2", stream.Data());
    const auto result = RunCli("frames " + Quoted(path) + " --all --format csv");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> expected;
    for (const auto& frame : stream.FrameList()) expected.push_back(std::to_string(frame.offset));
    expected.erase(expected.begin() + 599);  // last before the gap: its length runs into the junk
    expected.pop_back();                     // last of the file
    EXPECT_EQ(CsvOffsets(result.out), expected);
}

TEST(CliFrames, ReachesFramesBeyondFourGibibytes) {
    testsupport::TempDir dir;
    const std::string path = dir.File("sparse.mp2");
    constexpr std::int64_t kStart = 0x100000010LL;
    testsupport::MpaFrameSpec params;
    const auto frames = testsupport::MpaStreamBuilder().Frames(params, 4).Data();
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(kStart);
        out.write(reinterpret_cast<const char*>(frames.data()), static_cast<std::streamsize>(frames.size()));
        ASSERT_TRUE(out.good());
    }
    const auto listing = RunCli("frames " + Quoted(path) + " --from 0x100000000 --format csv");
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    EXPECT_EQ(CsvOffsets(listing.out), (std::vector<std::string>{"4294967312", "4294967696", "4294968080"}));
    const auto header = RunCli("header " + Quoted(path) + " --offset 4294967696");
    EXPECT_EQ(header.exitCode, 0) << header.err;
    EXPECT_THAT(header.out, HasSubstr("bitrate_index        : 8 [128 kbps] (4 bits)\r\n"));
}

TEST(CliHeader, RefusesOffsetsWithoutAHeaderOrPastTheEnd) {
    const auto inside = RunCli("header tone_l2_44k_128k.mp2 --offset 5");
    EXPECT_EQ(inside.exitCode, 3);
    EXPECT_THAT(inside.err, HasSubstr("no MPEG audio frame header at 0x0000000000000005"));
    const auto past = RunCli("header tone_l2_44k_128k.mp2 --offset 99999999");
    EXPECT_EQ(past.exitCode, 2);
    EXPECT_THAT(past.err, HasSubstr("past the end"));
    EXPECT_EQ(RunCli("header tone_l2_44k_128k.mp2").exitCode, 2);
    EXPECT_EQ(RunCli("header tone_l2_44k_128k.mp2 --offset x").exitCode, 2);
}

// The JSON tree holds the same lines as the text tree, in the same order,
// and places main_data_begin of an unprotected MPEG-1 frame at bits 32-40.
TEST(CliHeader, JsonAndTextFormsShowTheSameAnatomy) {
    const auto text = RunCli("header tone_l3_44k_128k.mp3 --offset 0 --format text");
    const auto json = RunCli("header tone_l3_44k_128k.mp3 --offset 0 --format json");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    ASSERT_EQ(json.exitCode, 0) << json.err;
    std::string fromJson;
    const std::string key = "\"text\":\"";
    for (auto at = json.out.find(key); at != std::string::npos; at = json.out.find(key, at + 1)) {
        const auto start = at + key.size();
        fromJson += json.out.substr(start, json.out.find('"', start) - start) + "\r\n";
    }
    EXPECT_EQ(fromJson, text.out);
    EXPECT_THAT(text.out, HasSubstr("audio_data()\r\nmain_data_begin      : "));
    EXPECT_THAT(json.out, HasSubstr("\"name\":\"main_data_begin\",\"value\":\"0\",\"bit_offset\":32,\"bits\":9,"));
    EXPECT_EQ(RunCli("header tone_l3_44k_128k.mp3 --offset 0 --format csv").exitCode, 2);
}

TEST(CliStreams, FilesNoPluginReadsAreNotContainers) {
    testsupport::TempDir dir;
    const auto path = dir.Write("text.txt", std::vector<std::uint8_t>(5000, 'a'));
    const auto result = RunCli("streams " + Quoted(path));
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_THAT(result.err, HasSubstr("no demultiplexer plugin reads this file"));
}

}  // namespace

namespace {

// The frame commands decide as the viewer does: a container is refused with
// what it is and what to run instead, before any "frame" is listed.
TEST(CliAcceptance, FrameCommandsRefuseAContainerAndPointToStreamsAndExtract) {
    for (const char* command : {"frames tone_l2.ts", "frames tone_l2.ts --all", "header tone_l2.ts --offset 0",
                                "frames demux/l2_mpeg2video.mpg --rows 3"}) {
        SCOPED_TRACE(command);
        const auto result = RunCli(command);
        EXPECT_EQ(result.exitCode, 3);
        EXPECT_EQ(result.out, "");
        EXPECT_THAT(result.err, HasSubstr("not an MPEG audio stream; list its streams with \"tamberly-cli streams "));
        EXPECT_THAT(result.err, HasSubstr("--stream N\""));
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
    }
    EXPECT_THAT(RunCli("frames tone_l2.ts").err, HasSubstr("tone_l2.ts is an MPEG-2 transport stream"));
    EXPECT_THAT(RunCli("frames demux/l2_mpeg2video.mpg").err, HasSubstr("l2_mpeg2video.mpg is an MPEG program stream"));
}

}  // namespace
