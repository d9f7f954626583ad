// validate with the stream checker's findings, run as the real program: Layer
// III files validated, CRC damage as items with their kind and position in
// JSON and in every report format, and --disable and --fail-on by the
// checker's kind names.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/cli/run_program.h"
#include "tests/libs/mpacheck/check_driver.h"
#include "tests/support/temp_dir.h"

namespace {

using clitest::Quoted;
using clitest::RunCli;
using ::testing::HasSubstr;
using ::testing::Not;

// crc_l2_48k_96k_dual.mp2 with the first allocation byte of frame 3 flipped:
// one CRC mismatch there. Its offset as FFmpeg's demuxer finds the frame.
struct DamagedStream {
    std::string path;
    std::uint64_t offset = 0;
};

DamagedStream MakeDamaged(const testsupport::TempDir& dir) {
    const std::string clean = testsupport::FixturePath("crc_l2_48k_96k_dual.mp2");
    const std::vector<std::uint64_t> frames = checktest::PacketOffsets(clean);
    if (frames.size() < 4) return {};
    checktest::Bytes bytes = testsupport::ReadFileBytes(clean);
    bytes[frames[3] + 6] ^= 0x10;
    return {dir.Write("damaged.mp2", bytes), frames[3]};
}

TEST(CliStreamCheck, LayerIIIFilesAreValidatedAndNotRefused) {
    const auto result = RunCli("validate tone_l3_44k_128k.mp3 crc_l3_mpeg25_8k_mono.mp3 --fail-on warning");
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(result.out, HasSubstr("tone_l3_44k_128k.mp3: 0 errors, 0 warnings, "));
    EXPECT_THAT(result.out, HasSubstr("crc_l3_mpeg25_8k_mono.mp3: 0 errors, 0 warnings, "));
    EXPECT_THAT(result.out, Not(HasSubstr("not MPEG audio")));
}

TEST(CliStreamCheck, JsonGivesEachFindingWithKindSeverityFramePositionAndTime) {
    CHECKTEST_REQUIRE("ffprobe");
    testsupport::TempDir dir;
    const DamagedStream damaged = MakeDamaged(dir);
    ASSERT_FALSE(damaged.path.empty());
    const auto json = RunCli("validate " + Quoted(damaged.path) + " --format json");
    EXPECT_EQ(json.exitCode, 4) << json.err;
    // 1152 samples a frame at 48 kHz: frame 3 starts at 0.072 s.
    EXPECT_THAT(json.out, HasSubstr("\"kind\": \"crc-mismatch\", \"severity\": \"error\", \"frame\": 3, \"offset\": " +
                                    std::to_string(damaged.offset) + ", \"time\": 0.072}"));
    EXPECT_THAT(json.out, HasSubstr("{\"type\": \"Error\", \"message\": \"Frame 3 at offset "));
}

TEST(CliStreamCheck, DisableAndFailOnKnowTheCheckersKinds) {
    CHECKTEST_REQUIRE("ffprobe");
    testsupport::TempDir dir;
    const DamagedStream damaged = MakeDamaged(dir);
    ASSERT_FALSE(damaged.path.empty());
    const std::string file = Quoted(damaged.path);

    const auto flagged = RunCli("validate " + file + " --fail-on crc-mismatch");
    EXPECT_EQ(flagged.exitCode, 4);
    EXPECT_THAT(flagged.out, HasSubstr("CRC mismatch (stored 0x"));
    EXPECT_EQ(RunCli("validate " + file + " --fail-on stream-truncated,music-crc").exitCode, 0);
    EXPECT_EQ(RunCli("validate " + file + " --fail-on never,crc-mismatch").exitCode, 4);

    const auto disabled = RunCli("validate " + file + " --disable crc-mismatch --fail-on crc-mismatch");
    EXPECT_EQ(disabled.exitCode, 0) << disabled.out;
    EXPECT_THAT(disabled.out, Not(HasSubstr("CRC mismatch")));

    for (const std::string bad : {"--fail-on crc", "--fail-on warning,error", "--disable no-audio", "--fail-on ,"}) {
        const auto refused = RunCli("validate " + file + " " + bad);
        EXPECT_EQ(refused.exitCode, 2) << bad;
    }
    EXPECT_THAT(RunCli("validate --help").out, HasSubstr("  crc-mismatch        Frame CRC mismatches\n"));
}

TEST(CliStreamCheck, EveryReportFormatCarriesTheFindings) {
    CHECKTEST_REQUIRE("ffprobe");
    testsupport::TempDir dir;
    const DamagedStream damaged = MakeDamaged(dir);
    ASSERT_FALSE(damaged.path.empty());
    for (const std::string format : {"html", "xml", "csv", "txt", "pdf"}) {
        SCOPED_TRACE(format);
        const auto folder = dir.Path() / format;
        std::filesystem::create_directory(folder);
        const auto result = RunCli("validate " + Quoted(damaged.path) + " --fail-on never --report-dir " +
                                   Quoted(folder.string()) + " --report-format " + format);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const std::string report = clitest::ReadText((folder / ("damaged." + format)).string());
        EXPECT_THAT(report, format == "pdf" ? HasSubstr("%PDF-") : HasSubstr("CRC mismatch (stored 0x"));
    }
}

}  // namespace
