// validate run as the real program: the validator's messages, the exit code
// at each --fail-on level, the reports of the five exporters, several files
// at once, and reports that are never replaced without --force.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/cli/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

using clitest::Quoted;
using clitest::RunCli;
using ::testing::HasSubstr;
using ::testing::Not;
using Bytes = std::vector<std::uint8_t>;

std::vector<std::size_t> FrameOffsets() {
    std::ifstream in(testsupport::FixturePath("tone_l2_44k_128k.ffprobe.csv"));
    std::string line;
    std::getline(in, line);
    std::vector<std::size_t> offsets;
    while (std::getline(in, line)) offsets.push_back(std::stoul(line.substr(0, line.find(','))));
    return offsets;
}

// The clean fixture with 100 zero bytes before frame 10: one junk warning.
Bytes FaultyStream() {
    const Bytes clean = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    const auto at = static_cast<long>(FrameOffsets()[10]);
    Bytes faulty(clean.begin(), clean.begin() + at);
    faulty.insert(faulty.end(), 100, 0);
    faulty.insert(faulty.end(), clean.begin() + at, clean.end());
    return faulty;
}

TEST(CliValidate, CleanStreamPrintsTheSummaryAndSucceeds) {
    const auto result = RunCli("validate tone_l2_44k_128k.mp2 --fail-on warning");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "Info: Stream: MPEG-1 Layer II, 44100 Hz, 128 kbit/s, frame size 417 bytes (first frame). Frames: 115 "
              "parsed, 115 decoded, 0 with errors.\n"
              "tone_l2_44k_128k.mp2: 0 errors, 0 warnings, 1 info\n");
}

TEST(CliValidate, ExitCodeFollowsTheFailOnLevelAndDisabledKinds) {
    testsupport::TempDir dir;
    const auto junk = dir.Write("junk.mp2", FaultyStream());
    const auto warned = RunCli("validate " + Quoted(junk) + " --fail-on warning");
    EXPECT_EQ(warned.exitCode, 4);
    EXPECT_THAT(warned.out, HasSubstr("Warning: Frame 10 at offset 0x10B7: 100 bytes of junk before the frame (from offset 0x1053)\n"));
    EXPECT_THAT(warned.out, HasSubstr("junk.mp2: 0 errors, 1 warning, 1 info\n"));
    EXPECT_EQ(RunCli("validate " + Quoted(junk)).exitCode, 0);  // errors only, by default
    EXPECT_EQ(RunCli("validate " + Quoted(junk) + " --fail-on never").exitCode, 0);
    const auto disabled = RunCli("validate " + Quoted(junk) + " --fail-on warning --disable junk");
    EXPECT_EQ(disabled.exitCode, 0);
    EXPECT_THAT(disabled.out, Not(HasSubstr("Warning:")));
    EXPECT_THAT(disabled.out, HasSubstr("junk.mp2: 0 errors, 0 warnings, 1 info\n"));

    const auto noise = dir.Write("noise.mp2", Bytes(30000, 0x11));
    const auto notAudio = RunCli("validate " + Quoted(noise) + " --fail-on never");
    EXPECT_EQ(notAudio.exitCode, 3);
    EXPECT_THAT(notAudio.out, HasSubstr("Error: "));
}

TEST(CliValidate, SeveralFilesGiveOneSummaryLineEachAndTheLowestCode) {
    testsupport::TempDir dir;
    const auto junk = dir.Write("junk.mp2", FaultyStream());
    const auto noise = dir.Write("noise.mp2", Bytes(30000, 0x11));
    const auto result = RunCli("validate tone_l2_44k_128k.mp2 " + Quoted(junk) + " " + Quoted(noise) + " --fail-on warning");
    EXPECT_EQ(result.exitCode, 3);  // not MPEG audio (3) before findings (4)
    EXPECT_THAT(result.out, testing::MatchesRegex("tone_l2_44k_128k.mp2: 0 errors, 0 warnings, 1 info\n"
                                                  ".*junk.mp2: 0 errors, 1 warning, 1 info\n"
                                                  ".*noise.mp2: 1 error, 0 warnings, 0 infos \\(not MPEG audio\\)\n"));
    const auto json = RunCli("validate tone_l2_44k_128k.mp2 " + Quoted(junk) + " --format json --fail-on warning");
    EXPECT_EQ(json.exitCode, 4);
    EXPECT_THAT(json.out, HasSubstr("\"file\": \"tone_l2_44k_128k.mp2\", \"result\": \"completed\", \"exit_code\": 0, "
                                    "\"errors\": 0, \"warnings\": 0, \"infos\": 1, \"report\": null"));
    EXPECT_THAT(json.out, HasSubstr("{\"type\": \"Warning\", \"message\": \"Frame 10 at offset 0x10B7: 100 bytes of junk"));
}

TEST(CliValidate, WritesReportsInEveryFormatAndNeverReplacesThemSilently) {
    testsupport::TempDir dir;
    const auto broken = dir.Write("broken.mp2", FaultyStream());
    for (const std::string format : {"html", "xml", "csv", "txt", "pdf"}) {
        SCOPED_TRACE(format);
        const auto folder = dir.Path() / format;
        std::filesystem::create_directory(folder);
        const auto result = RunCli("validate " + Quoted(broken) + " tone_l2_44k_128k.mp2 --report-dir " +
                                   Quoted(folder.string()) + " --report-format " + format);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, "");
        const std::string report = clitest::ReadText((folder / ("broken." + format)).string());
        EXPECT_THAT(report, format == "pdf" ? HasSubstr("%PDF-") : HasSubstr("100 bytes of junk before the frame"));
        EXPECT_TRUE(std::filesystem::exists(folder / ("tone_l2_44k_128k." + format)));
    }
    const std::string single = dir.Write("single.html", {'x'});
    const auto refused = RunCli("validate " + Quoted(broken) + " --report " + Quoted(single));
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("already exists; --force replaces it"));
    EXPECT_EQ(refused.out, "");  // refused before any work
    EXPECT_EQ(clitest::ReadText(single), "x");
    const auto replaced = RunCli("validate " + Quoted(broken) + " --report " + Quoted(single) + " --force");
    EXPECT_EQ(replaced.exitCode, 0);
    EXPECT_THAT(clitest::ReadText(single), HasSubstr("100 bytes of junk before the frame"));
}

TEST(CliValidate, MalformedLinesAreUsageErrors) {
    testsupport::TempDir dir;
    for (const std::string arguments :
         {"validate", "validate tone_l2_44k_128k.mp2 --disable colour", "validate tone_l2_44k_128k.mp2 --fail-on info",
          "validate tone_l2_44k_128k.mp2 tone_l3_44k_128k.mp3 --report r.html",
          "validate tone_l2_44k_128k.mp2 --report-format html", "validate tone_l2_44k_128k.mp2 --format csv"}) {
        const auto result = RunCli(arguments, dir.Path().string());
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_THAT(result.err, HasSubstr("tamberly-cli validate: ")) << arguments;
    }
    const auto sameName = RunCli("validate tone_l2_44k_128k.mp2 " + Quoted(testsupport::FixturePath("tone_l2_44k_128k.mp2")) +
                                 " --report-dir " + Quoted(dir.Path().string()));
    EXPECT_EQ(sameName.exitCode, 1);
    EXPECT_THAT(sameName.err, HasSubstr("two files would share the report"));
    const auto copy = dir.Write("copy.mp2", {0xFF, 0xFD});
    const auto ontoInput = RunCli("validate copy.mp2 --report copy.mp2 --force", dir.Path().string());
    EXPECT_EQ(ontoInput.exitCode, 1);
    EXPECT_THAT(ontoInput.err, HasSubstr("is the input file"));
    EXPECT_EQ(testsupport::ReadFileBytes(copy), (Bytes{0xFF, 0xFD}));
}

}  // namespace
