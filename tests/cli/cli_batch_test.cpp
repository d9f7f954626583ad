// validate and decode over thousands of small files: the same output, in
// the FILEs' order, and the same exit code whatever --jobs says; no file
// stays open afterwards; and a hostile stream's report stays bounded with
// exact counts.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "tests/cli/run_program.h"
#include "tests/support/hostile_stream.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using clitest::Quoted;
using clitest::RunCli;
using ::testing::HasSubstr;
using testsupport::Bytes;

// Past the usual limit of 1024 open files, so that a descriptor kept open per
// file fails the batch. Under the sanitizers each run of the command line is
// several times slower and the memory faults they look for show in any batch:
// there a batch of a few hundred files (the JSON part reads 300).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kFiles = 400;
#else
constexpr int kFiles = 2000;
#endif

// Two frames; every 7th file is noise (not MPEG audio), every 11th has junk
// between its frames (a warning): the lines and codes differ along the batch.
Bytes SmallFile(int index) {
    if (index % 7 == 3) return Bytes(600, 0x11);
    const Bytes frame = testsupport::MakeFrame(testsupport::MpaFrameSpec{});
    Bytes file = frame;
    if (index % 11 == 5) file.insert(file.end(), 40, 0x00);
    file.insert(file.end(), frame.begin(), frame.end());
    return file;
}

std::string FileName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "f%04d.mp2", index);
    return name;
}

std::string WaveName(int index) { return std::filesystem::path(FileName(index)).stem().string() + ".wav"; }

// Writes the batch into dir; returns the names, relative to dir.
std::string WriteBatch(const testsupport::TempDir& dir, int count) {
    std::string names;
    for (int i = 0; i < count; ++i) {
        dir.Write(FileName(i), SmallFile(i));
        names += " " + FileName(i);
    }
    return names;
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                  std::filesystem::directory_iterator()));
}

TEST(CliBatch, ValidateGivesTheSameOutputAndCodeWhateverTheJobs) {
    const testsupport::TempDir dir;
    const std::string names = WriteBatch(dir, kFiles);
    const auto serial = RunCli("validate" + names + " --jobs 1 --fail-on warning", dir.Path().string());
    EXPECT_EQ(serial.exitCode, 3) << serial.err;  // not MPEG audio (3) before findings (4)
    EXPECT_THAT(serial.out, HasSubstr("f0003.mp2: 1 error, 0 warnings, 0 infos (not MPEG audio)\nf0004.mp2: 0 errors"));
    EXPECT_THAT(serial.out, HasSubstr("f0005.mp2: 0 errors, 1 warning, 1 info\n"));
    EXPECT_EQ(std::count(serial.out.begin(), serial.out.end(), '\n'), kFiles);
    const auto parallel = RunCli("validate" + names + " --fail-on warning", dir.Path().string());  // a job per core
    EXPECT_EQ(parallel.exitCode, serial.exitCode);
    EXPECT_EQ(parallel.out, serial.out);
    EXPECT_EQ(parallel.err, serial.err);
    // JSON pieces are joined in order too; a part of the batch shows it.
    const std::string some = names.substr(0, names.find(" " + FileName(300)));
    const auto json1 = RunCli("validate" + some + " --format json --jobs 1", dir.Path().string());
    const auto json3 = RunCli("validate" + some + " --format json --jobs 3", dir.Path().string());
    EXPECT_EQ(json3.out, json1.out);
    EXPECT_THAT(json1.out, HasSubstr("{\"file\": \"f0299.mp2\""));
    EXPECT_THAT(json1.out, ::testing::EndsWith("\n  ]}\n]}\n"));
}

TEST(CliBatch, DecodeGivesTheSameLinesAndFilesWhateverTheJobs) {
    const testsupport::TempDir inputs;
    constexpr int kDecoded = 200;
    WriteBatch(inputs, kDecoded);
    std::string paths;
    for (int i = 0; i < kDecoded; ++i) paths += " " + Quoted(inputs.File(FileName(i)));
    const testsupport::TempDir serialDir;
    const testsupport::TempDir parallelDir;
    const auto serial = RunCli("decode" + paths + " --jobs 1", serialDir.Path().string());
    const auto parallel = RunCli("decode" + paths + " --jobs 4", parallelDir.Path().string());
    EXPECT_EQ(serial.exitCode, 3);
    EXPECT_EQ(parallel.exitCode, serial.exitCode);
    EXPECT_EQ(parallel.out, serial.out);
    EXPECT_EQ(parallel.err, serial.err);
    EXPECT_THAT(serial.out, HasSubstr("f0000.wav: 2 frames"));
    for (const int i : {0, 5, kDecoded - 1})
        EXPECT_EQ(testsupport::ReadFileBytes(parallelDir.File(WaveName(i))),
                  testsupport::ReadFileBytes(serialDir.File(WaveName(i))));
}

TEST(CliBatch, NoFileStaysOpenAfterABatch) {
    const testsupport::TempDir dir;
    const testsupport::TempDir reports;
    constexpr int kBatch = 100;
    WriteBatch(dir, kBatch);
    std::vector<std::string> files;
    for (int i = 0; i < kBatch; ++i) files.push_back(dir.File(FileName(i)));

    const std::size_t before = OpenDescriptors();
    std::ostringstream out;
    std::ostringstream err;
    std::vector<std::string> validate = files;
    for (const char* option : {"--jobs", "4", "--report-dir", "", "--report-format", "csv"}) validate.push_back(option);
    validate[validate.size() - 3] = reports.Path().string();
    EXPECT_EQ(cli::RunValidate(validate, out, err), cli::kExitNotAudio) << err.str();
    EXPECT_EQ(OpenDescriptors(), before);

    // decode writes beside the working folder; each test runs in a process
    // of its own, and the folder is set back.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(reports.Path());
    std::vector<std::string> decode = files;
    decode.insert(decode.end(), {"--jobs", "4"});
    EXPECT_EQ(cli::RunDecode(decode, out, err), cli::kExitNotAudio);
    std::filesystem::current_path(previous);
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(std::filesystem::exists(reports.File(WaveName(kBatch - 1))));
}

TEST(CliBatch, AHostileStreamIsReportedBoundedWithExactCounts) {
    const testsupport::TempDir dir;
    dir.Write("hostile.mp2", testsupport::AlternatingHeaderStream(128 * 1024));
    const auto whole = RunCli("validate hostile.mp2 --events-per-kind 4294967295", dir.Path().string());
    const auto bounded = RunCli("validate hostile.mp2 --events-per-kind 10", dir.Path().string());
    const auto summary = [](const std::string& out) { return out.substr(out.rfind("hostile.mp2: ")); };
    EXPECT_EQ(summary(bounded.out), summary(whole.out));
    EXPECT_EQ(bounded.exitCode, whole.exitCode);
    const auto bitrateLines = [](const std::string& out) {
        std::size_t count = 0;
        for (std::size_t at = out.find("bitrate changes to"); at != std::string::npos;
             at = out.find("bitrate changes to", at + 1))
            ++count;
        return count;
    };
    const std::size_t all = bitrateLines(whole.out);
    ASSERT_GT(all, 10u);
    EXPECT_EQ(bitrateLines(bounded.out), 10u);
    // "Warning: and 1,234 more bitrate changes"
    const std::size_t sum = bounded.out.find(" more bitrate changes\n");
    ASSERT_NE(sum, std::string::npos);
    const std::size_t number = bounded.out.rfind("Warning: and ", sum) + 13;
    std::string digits = bounded.out.substr(number, sum - number);
    EXPECT_THAT(digits, ::testing::MatchesRegex("[0-9]{1,3}(,[0-9]{3})*"));
    std::erase(digits, ',');
    EXPECT_EQ(std::stoul(digits), all - 10);
    EXPECT_LT(bounded.out.size(), 20000u);
}

TEST(CliBatch, MalformedBatchOptionsAreUsageErrors) {
    const testsupport::TempDir dir;
    const char* const lines[] = {
        "validate a.mp2 b.mp2 --jobs 0",
        "validate a.mp2 b.mp2 --jobs many",
        "validate a.mp2 b.mp2 --jobs 5000",
        "validate a.mp2 --events-per-kind 0",
        "validate a.mp2 --events-per-kind -3",
        "decode a.mp2 b.mp2 -o out.wav",
        "decode a.mp2 b.mp2 --jobs 0",
        "decode",
    };
    for (const char* line : lines) EXPECT_EQ(RunCli(line, dir.Path().string()).exitCode, cli::kExitUsage) << line;
    dir.Write("x.mp2", SmallFile(0));
    const testsupport::TempDir other;
    other.Write("x.mp2", SmallFile(0));
    const auto clash = RunCli("decode x.mp2 " + Quoted(other.File("x.mp2")), dir.Path().string());
    EXPECT_EQ(clash.exitCode, cli::kExitFailure);
    EXPECT_THAT(clash.err, HasSubstr("two files would share the output x.wav"));
}

}  // namespace
