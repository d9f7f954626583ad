// validate --profile run as the real program: the verdict line, the exit
// code at each --fail-on level, the rule results in JSON, malformed profile
// files refused before anything is validated, the triage of a folder and the
// profiles command, whose printed profiles read back as files.

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

const std::string kClean = "tone_l2_44k_128k.mp2";  // MPEG-1 Layer II, 44.1 kHz, 128 kbit/s, no CRC, 115 frames

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(CliProfile, VerdictLineAndExitCodeFollowTheBrokenRules) {
    struct Case {
        std::string arguments;
        int exitCode;
        std::string verdict;
    };
    const Case cases[] = {
        {"--profile dvb", 0, kClean + ": PASS with 1 info (CRC missing in 115 frames)\n"},
        {"--profile dvb --fail-on warning", 0, ""},
        {"--profile dvb --fail-on info", 4, ""},
        {"--profile dab", 4, kClean + ": FAIL: 4 errors (sampling rate 44100 Hz not allowed in 115 frames, CRC missing"},
        {"--profile dab --fail-on never", 0, ""},
        {"--profile mp3-distribution", 4, kClean + ": FAIL: 1 error (Layer II not allowed in 115 frames)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto result = RunCli("validate " + kClean + " " + c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_THAT(result.out, HasSubstr("Info: Stream: MPEG-1 Layer II, 44100 Hz"));
        EXPECT_THAT(result.out, HasSubstr(c.verdict));
        EXPECT_THAT(result.out, ::testing::Not(HasSubstr("0 errors, 0 warnings")));  // the verdict replaces it
        // The verdict and a line per rule come first, then the validator's items.
        EXPECT_LT(result.out.find(": Profile "), result.out.find("Rule layers ("));
        EXPECT_LT(result.out.find("Rule layers ("), result.out.find("Info: Stream:"));
    }
}

TEST(CliProfile, JsonCarriesEachRuleWithItsPositions) {
    const auto result = RunCli("validate " + kClean + " --profile dab --format json");
    EXPECT_EQ(result.exitCode, 4) << result.err;
    EXPECT_THAT(result.out, HasSubstr("\"profile\": {\"name\": \"dab\", \"passed\": false, \"verdict\": \"FAIL: 4 errors"));
    EXPECT_THAT(result.out, HasSubstr("{\"rule\": \"crc\", \"severity\": \"error\", \"passed\": false, \"count\": 115, "
                                      "\"detail\": \"CRC missing in 115 frames\", \"message\": \"every DAB audio frame "
                                      "carries its header CRC\", \"positions\": [{\"frame\": 0, \"offset\": 0, \"time\": "
                                      "0.000}, {\"frame\": 1, \"offset\": 417, \"time\": 0.026}"));
    EXPECT_THAT(result.out, HasSubstr("{\"rule\": \"layers\", \"severity\": \"error\", \"passed\": true, \"count\": 0"));
    // Eight positions at most per rule.
    const auto crc = result.out.find("\"rule\": \"crc\"");
    const auto end = result.out.find("]}", crc);
    const std::string positions = result.out.substr(crc, end - crc);
    EXPECT_EQ(std::count(positions.begin(), positions.end(), '{'), 8);
}

TEST(CliProfile, ReportsOpenWithTheVerdictTable) {
    const testsupport::TempDir dir;
    const std::string report = dir.File("dab.txt");
    const auto result = RunCli("validate " + kClean + " --profile dab --report " + Quoted(report));
    EXPECT_EQ(result.exitCode, 4) << result.err;
    const std::string text = clitest::ReadText(report);
    const auto verdict = text.find("Profile dab: FAIL: 4 errors (sampling rate 44100 Hz not allowed in 115 frames");
    const auto crcRule = text.find("Rule crc (error): failed, CRC missing in 115 frames; first at frame 0 (offset 0x0)");
    const auto layersRule = text.find("Rule layers (error): passed - DAB carries Layer II only");
    const auto stream = text.find("Stream: MPEG-1 Layer II, 44100 Hz");
    ASSERT_NE(verdict, std::string::npos) << text;
    ASSERT_NE(stream, std::string::npos) << text;
    EXPECT_LT(verdict, layersRule);
    EXPECT_LT(layersRule, crcRule);
    EXPECT_LT(crcRule, stream);
}

TEST(CliProfile, MalformedOrMissingProfilesAreRefusedBeforeValidating) {
    const testsupport::TempDir dir;
    const std::string file = dir.File("house.profile");
    WriteText(file, "[profile]\nname = house\n[crc]\nrequired = maybe\n");
    const auto malformed = RunCli("validate " + kClean + " --profile " + Quoted(file));
    EXPECT_EQ(malformed.exitCode, 2);
    EXPECT_EQ(malformed.out, "");
    EXPECT_EQ(malformed.err, "tamberly-cli: " + file + ":4:12: expected yes or no\n");
    const auto missing = RunCli("validate " + kClean + " --profile " + Quoted(dir.File("none.profile")));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_THAT(missing.err, HasSubstr("no built-in profile is named"));
    const auto levelWithProfile = RunCli("validate " + kClean + " --profile dvb --fail-on crc-mismatch");
    EXPECT_EQ(levelWithProfile.exitCode, 2);
    EXPECT_THAT(levelWithProfile.err, HasSubstr("error, warning, info or never"));
    const auto summaryAlone = RunCli("validate " + kClean + " --summary");
    EXPECT_EQ(summaryAlone.exitCode, 2);
    EXPECT_THAT(summaryAlone.err, HasSubstr("need --profile"));
}

TEST(CliProfile, FolderTriageCountsFilesPerRuleInTextCsvAndJson) {
    const testsupport::TempDir dir;
    const auto root = dir.Path() / "deliveries";
    std::filesystem::create_directories(root / "day2");
    std::filesystem::copy_file(testsupport::FixturePath(kClean), root / "a.mp2");
    std::filesystem::copy_file(testsupport::FixturePath(kClean), root / "day2" / "b.mp2");
    WriteText((root / "notes.txt").string(), "not audio at all\n");
    // A user profile the clean fixture passes except for its CRC rule.
    const std::string profile = dir.File("house.profile");
    WriteText(profile, "[profile]\nname = house\n[layers]\nallowed = 2\n[crc]\nrequired = yes\nseverity = warning\n");
    const std::string csv = dir.File("triage.csv");
    const std::string json = dir.File("triage.json");
    const std::string command = "validate " + Quoted(root.string()) + " --recursive --profile " + Quoted(profile) +
                                " --summary --summary-csv " + Quoted(csv) + " --summary-json " + Quoted(json);
    const auto result = RunCli(command);
    EXPECT_EQ(result.exitCode, 3) << result.err;  // notes.txt is not MPEG audio
    EXPECT_THAT(result.out, HasSubstr("a.mp2: PASS with 1 warning (CRC missing in 115 frames)\n"));
    EXPECT_THAT(result.out, HasSubstr("day2/b.mp2: PASS with 1 warning"));
    EXPECT_THAT(result.out,
                HasSubstr("Profile house: 2 files judged, 2 passed, 0 failed, 1 not judged (unreadable or not MPEG audio)\n"
                          "Rule             Severity   Passed   Failed\n"
                          "layers           error           2        0\n"
                          "crc              warning         0        2\n"));
    EXPECT_EQ(clitest::ReadText(csv), "rule,severity,passed,failed\nlayers,error,2,0\ncrc,warning,0,2\n");
    EXPECT_THAT(clitest::ReadText(json),
                HasSubstr("\"files_judged\": 2, \"files_passed\": 2, \"files_failed\": 0, \"files_not_judged\": 1"));
    EXPECT_THAT(clitest::ReadText(json), HasSubstr("{\"rule\": \"crc\", \"severity\": \"warning\", \"passed\": 0, \"failed\": 2}"));
    // The summary files are never replaced without --force.
    const auto again = RunCli(command);
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_THAT(again.err, HasSubstr("already exists"));
    EXPECT_EQ(RunCli(command + " --force").exitCode, 3);
}

TEST(CliProfile, ProfilesListsTheBuiltinsAndShowsTextsThatReadBack) {
    const auto list = RunCli("profiles");
    EXPECT_EQ(list.exitCode, 0);
    for (const char* name : {"dab ", "dvb ", "ebu-bwf ", "mp3-distribution "})
        EXPECT_THAT("\n" + list.out, HasSubstr(std::string("\n") + name));
    EXPECT_THAT(list.out, HasSubstr("(ETSI EN 300 401)"));
    const testsupport::TempDir dir;
    for (const char* name : {"dab", "dvb", "ebu-bwf", "mp3-distribution"}) {
        SCOPED_TRACE(name);
        const auto shown = RunCli(std::string("profiles --show ") + name);
        ASSERT_EQ(shown.exitCode, 0);
        const std::string file = dir.File(std::string(name) + ".profile");
        WriteText(file, shown.out);
        const auto builtin = RunCli("validate " + kClean + " --profile " + name + " --fail-on never");
        const auto copied = RunCli("validate " + kClean + " --profile " + Quoted(file) + " --fail-on never");
        EXPECT_EQ(copied.exitCode, 0) << copied.err;
        EXPECT_EQ(copied.out, builtin.out);
    }
    EXPECT_EQ(RunCli("profiles --show nothing").exitCode, 2);
}

}  // namespace
