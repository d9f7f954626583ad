// tamberly-cli repair run as the real program: a lame VBR file cut mid-frame
// comes out ending on its last whole frame with a VBR header that says so,
// judged by mp3val, FFmpeg's and our decoder's PCM; a second repair changes
// nothing; and every failure leaves the input as it was and nothing under
// the output's name.

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>

#include "tests/cli/run_program.h"
#include "tests/libs/mpacheck/check_driver.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using checktest::Bytes;
using clitest::Quoted;
using clitest::RunCli;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// mp3val's complaints, without the one about a file that has no tags.
std::string Mp3valWarnings(const std::string& path) {
    std::istringstream lines(testsupport::RunShell("mp3val " + Quoted(path)).out);
    std::string line, warnings;
    while (std::getline(lines, line))
        if (line.starts_with("WARNING") && line.find("No supported tags") == std::string::npos) warnings += line + "\n";
    return warnings;
}

// 16-bit PCM from FFmpeg, every decoded sample: no encoder delay or padding
// is trimmed, so that equal frames give equal PCM.
Bytes FfmpegPcm(const testsupport::TempDir& dir, const std::string& path) {
    const std::string pcm = dir.File(fs::path(path).filename().string() + ".pcm");
    testsupport::RunShell("ffmpeg -hide_banner -v error -y -flags2 +skip_manual -i " + Quoted(path) +
                          " -f s16le " + Quoted(pcm));
    return testsupport::ReadFileBytes(pcm);
}

// The PCM of our decoder (tamberly-cli decode), after the WAVE header.
Bytes OurPcm(const testsupport::TempDir& dir, const std::string& path) {
    const std::string wav = dir.File(fs::path(path).filename().string() + ".wav");
    RunCli("decode " + Quoted(path) + " -o " + Quoted(wav), dir.Path().string());
    Bytes bytes = testsupport::ReadFileBytes(wav);
    bytes.erase(bytes.begin(), bytes.begin() + std::min<std::ptrdiff_t>(44, std::ssize(bytes)));
    return bytes;
}

class CliRepairLame : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        for (const char* tool : {"lame", "ffmpeg", "mp3val"}) CHECKTEST_REQUIRE(tool);
        const std::string whole = checktest::Encode(dir_, "lame", GetParam(), 44100, "whole.mp3");
        Bytes bytes = testsupport::ReadFileBytes(whole);
        ASSERT_GT(bytes.size(), 20000u);
        bytes.resize(bytes.size() * 3 / 5 + 101);  // mid-frame
        cut_ = dir_.Write("cut.mp3", bytes);
    }
    testsupport::TempDir dir_;
    std::string cut_;
};

TEST_P(CliRepairLame, ACutFileEndsOnItsLastWholeFrameWithAMatchingHeader) {
    const std::string out = dir_.File("out.mp3");
    const auto run = RunCli("repair " + Quoted(cut_) + " -o " + Quoted(out) + " --format json", dir_.Path().string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const checktest::CheckRun input = checktest::CheckFile(cut_);
    const checktest::CheckRun output = checktest::CheckFile(out);
    EXPECT_EQ(output.Problems(), "");
    EXPECT_EQ(output.summary.frames, input.summary.frames);
    const auto header = output.Of(mpacheck::finding_kind::vbr_header);
    ASSERT_EQ(header.size(), 1u);
    EXPECT_EQ(header[0].expected, output.summary.frames);
    EXPECT_EQ(Mp3valWarnings(out), "");
    EXPECT_THAT(run.out, HasSubstr("\"kind\": \"vbr-frames-updated\""));
    EXPECT_THAT(run.out, HasSubstr("\"kind\": \"truncated-frame-dropped\""));
    EXPECT_THAT(run.out, HasSubstr("\"recheck\": {\"frames\": " + std::to_string(output.summary.frames) +
                                   ", \"problem_count\": 0"));

    // The kept frames of the input decode to the same PCM as the output.
    const Bytes repaired = FfmpegPcm(dir_, out);
    const Bytes original = FfmpegPcm(dir_, cut_);
    const std::size_t framePcm = 1152 * 2 * 2;
    ASSERT_EQ(repaired.size(), static_cast<std::size_t>(output.summary.frames) * framePcm);
    ASSERT_GE(original.size(), repaired.size());
    EXPECT_TRUE(std::equal(repaired.begin(), repaired.end(), original.begin()));
    const Bytes ours = OurPcm(dir_, out);
    EXPECT_FALSE(ours.empty());
    EXPECT_EQ(ours, OurPcm(dir_, cut_));
}

TEST_P(CliRepairLame, RepairingTheRepairedFileChangesNothing) {
    const std::string once = dir_.File("once.mp3"), twice = dir_.File("twice.mp3");
    ASSERT_EQ(RunCli("repair " + Quoted(cut_) + " -o " + Quoted(once), dir_.Path().string()).exitCode, 0);
    const auto again = RunCli("repair " + Quoted(once) + " -o " + Quoted(twice), dir_.Path().string());
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_THAT(again.out, StartsWith("0 changes, 0 kept as found; 0 bytes dropped"));
    EXPECT_EQ(testsupport::ReadFileBytes(twice), testsupport::ReadFileBytes(once));
}

INSTANTIATE_TEST_SUITE_P(Encodings, CliRepairLame, ::testing::Values("-V 2", "--abr 96", "-b 128"));

struct FailureCase {
    const char* name;
    // Makes what the case needs in the folder and returns the arguments
    // after "repair" (and a shell prefix in `prefix`).
    std::function<std::string(const testsupport::TempDir&, const std::string& input, std::string& prefix)> setup;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

const FailureCase kFailures[] = {
    {"out_is_in", [](const auto&, const std::string& in, std::string&) { return Quoted(in) + " -o " + Quoted(in); }},
    {"out_is_a_link_to_in",
     [](const auto& dir, const std::string& in, std::string&) {
         fs::create_symlink(in, dir.File("link.mp3"));
         return Quoted(in) + " -o " + Quoted(dir.File("link.mp3")) + " --force";
     }},
    {"out_is_a_hard_link_to_in",
     [](const auto& dir, const std::string& in, std::string&) {
         fs::create_hard_link(in, dir.File("hard.mp3"));
         return Quoted(in) + " -o " + Quoted(dir.File("hard.mp3")) + " --force";
     }},
    {"file_size_limit",
     [](const auto& dir, const std::string& in, std::string& prefix) {
         prefix = "ulimit -f 4;";
         return Quoted(in) + " -o " + Quoted(dir.File("out.mp3"));
     }},
    {"full_device",
     [](const auto& dir, const std::string& in, std::string&) {
         const std::string node = dir.File("full");
         if (::mknod(node.c_str(), S_IFCHR | 0600, ::makedev(1, 7)) != 0) return std::string();
         return Quoted(in) + " -o " + Quoted(node) + " --force";
     }},
    {"missing_input",
     [](const auto& dir, const std::string&, std::string&) {
         return Quoted(dir.File("none.mp3")) + " -o " + Quoted(dir.File("out.mp3"));
     }},
    {"folder_as_input",
     [](const auto& dir, const std::string&, std::string&) {
         fs::create_directory(dir.File("folder"));
         return Quoted(dir.File("folder")) + " -o " + Quoted(dir.File("out.mp3"));
     }},
};

class CliRepairFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CliRepairFailure, ExitsOneWithALineAndLeavesEverythingAsItWas) {
    const testsupport::TempDir dir;
    Bytes stream;
    const Bytes once = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    for (int i = 0; i < 4; ++i) stream.insert(stream.end(), once.begin(), once.end());
    stream.insert(stream.begin() + 5000, 333, 0x11);  // something to repair
    const std::string in = dir.Write("in.mp2", stream);
    std::string prefix;
    const std::string arguments = GetParam().setup(dir, in, prefix);
    if (arguments.empty()) GTEST_SKIP() << "device nodes need root";
    const auto before = testsupport::FolderEntries(dir.Path());
    const auto run = RunCli("repair " + arguments, dir.Path().string(), prefix);
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_THAT(run.err, StartsWith("tamberly-cli: "));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(testsupport::FolderEntries(dir.Path()), before);
    EXPECT_EQ(testsupport::ReadFileBytes(in), stream);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliRepairFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CliRepair, AnExistingOutputNeedsForceAndTheReportCanGoToAFile) {
    const testsupport::TempDir dir;
    const std::string in = testsupport::FixturePath("tone_l2_44k_128k.mp2");
    const Bytes old = {'o', 'l', 'd'};
    const std::string out = dir.Write("out.mp2", old);
    const auto refused = RunCli("repair " + Quoted(in) + " -o " + Quoted(out), dir.Path().string());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("already exists; --force replaces it"));
    EXPECT_EQ(testsupport::ReadFileBytes(out), old);

    const std::string report = dir.File("report.json");
    const auto forced = RunCli("repair " + Quoted(in) + " -o " + Quoted(out) + " --force --format json --report " +
                                   Quoted(report),
                               dir.Path().string());
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(testsupport::ReadFileBytes(out), testsupport::ReadFileBytes(in));  // a clean file comes out as it was
    EXPECT_EQ(forced.out, "0 changes; report in " + report + "\n");
    EXPECT_THAT(clitest::ReadText(report), HasSubstr("\"changes\": [],"));
}

}  // namespace
