// tamberly-cli's first commands, run in-process for their output and as the
// real program for exit codes and error lines.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/shell_command.h"
#include "tests/support/temp_dir.h"

namespace {

using ::testing::HasSubstr;

struct Listing {
    int exitCode = -1;
    std::vector<std::pair<std::int64_t, std::int64_t>> frames;  // offset, length
    std::string out;
    std::string err;
};

Listing RunFramesCommand(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Listing listing;
    listing.exitCode = cli::RunFrames(args, out, err);
    listing.out = out.str();
    listing.err = err.str();
    std::istringstream lines(listing.out);
    std::string line;
    std::getline(lines, line);  // captions
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string offset;
        std::int64_t length = 0;
        fields >> offset >> length;
        listing.frames.emplace_back(std::stoll(offset, nullptr, 16), length);
    }
    return listing;
}

std::vector<std::pair<std::int64_t, std::int64_t>> ReadFfprobeCsv(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);  // "offset,size"
    std::vector<std::pair<std::int64_t, std::int64_t>> rows;
    while (std::getline(in, line)) {
        const auto comma = line.find(',');
        rows.emplace_back(std::stoll(line.substr(0, comma)), std::stoll(line.substr(comma + 1)));
    }
    return rows;
}

struct ProgramResult {
    int exitCode = -1;
    std::string out;
};

// Runs the real program with its standard error folded into the output.
ProgramResult RunProgram(const std::string& arguments) {
    const std::string command = "'" + testsupport::BinPath("tamberly-cli") + "' " + arguments + " 2>&1";
    const testsupport::ShellResult run = testsupport::RunShell(command);
    return {run.exit_code, run.out};
}

TEST(CliFrames, ListsTheEncodersFramesApartFromTheLast) {
    for (const std::string name : {"tone_l2_44k_128k", "tone_l3_44k_128k", "tone_l2_48k_192k_crc"}) {
        SCOPED_TRACE(name);
        const auto expected = ReadFfprobeCsv(testsupport::FixturePath(name + ".ffprobe.csv"));
        ASSERT_GT(expected.size(), 2u);
        const auto ext = name.find("_l3_") != std::string::npos ? ".mp3" : ".mp2";
        const Listing listing = RunFramesCommand({testsupport::FixturePath(name + ext), "--rows", "256"});
        ASSERT_EQ(listing.exitCode, cli::kExitOk) << listing.err;
        EXPECT_EQ(listing.err, "");
        const std::vector<std::pair<std::int64_t, std::int64_t>> allButLast(expected.begin(), expected.end() - 1);
        EXPECT_EQ(listing.frames, allButLast);
    }
}

TEST(CliFrames, StartsAtTheFirstHeaderAtOrAfterFromAndHonoursRows) {
    const auto expected = ReadFfprobeCsv(testsupport::FixturePath("tone_l2_44k_128k.ffprobe.csv"));
    const std::int64_t from = expected[10].first - 3;
    const Listing listing =
        RunFramesCommand({testsupport::FixturePath("tone_l2_44k_128k.mp2"), "--from=0x" + [&] {
                              std::ostringstream hex;
                              hex << std::hex << from;
                              return hex.str();
                          }(), "--rows", "5"});
    ASSERT_EQ(listing.exitCode, cli::kExitOk) << listing.err;
    ASSERT_EQ(listing.frames.size(), 5u);
    EXPECT_EQ(listing.frames.front(), expected[10]);
    EXPECT_EQ(listing.frames.back(), expected[14]);
}

TEST(CliFrames, PrintsTheViewersColumnTexts) {
    testsupport::TempDir dir;
    testsupport::MpaFrameSpec params;  // Layer II, 128 kbit/s, 48 kHz, stereo
    params.mode = testsupport::kMpaJointStereo;
    const auto path = dir.Write("joint.mp2", testsupport::MpaStreamBuilder().Frames(params, 3).Data());
    const Listing listing = RunFramesCommand({path});
    ASSERT_EQ(listing.exitCode, cli::kExitOk);
    std::istringstream lines(listing.out);
    std::string captions, first;
    std::getline(lines, captions);
    std::getline(lines, first);
    EXPECT_THAT(captions, testing::MatchesRegex(
                              "Offset +Length +Frame Time +Layer +Sampling Rate +Bitrate +Mode"));
    EXPECT_THAT(first, testing::MatchesRegex(
                           "0x0000000000000000 +384 +24 ms +Layer II +48000 Hz +128 kbps +Joint Stereo"));
    EXPECT_EQ(listing.frames.size(), 2u);
}

TEST(CliFrames, FileWithoutFramesIsNotAnAudioStream) {
    testsupport::TempDir dir;
    const auto path = dir.Write("zeros.bin", std::vector<std::uint8_t>(5000, 0));
    const Listing listing = RunFramesCommand({path});
    EXPECT_EQ(listing.exitCode, cli::kExitNotAudio);
    EXPECT_TRUE(listing.frames.empty());
    EXPECT_THAT(listing.err, HasSubstr("no dominant MPEG-1 audio layer"));
    EXPECT_THAT(listing.err, HasSubstr("is not an MPEG audio stream"));
}

TEST(CliFrames, MalformedOptionsAreUsageErrors) {
    const auto file = testsupport::FixturePath("tone_l2_44k_128k.mp2");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{file, "--rows", "0"}, {file, "--rows", "257"}, {file, "--rows", "ten"},
          {file, "--from", "-5"}, {file, "--from", " 5"}, {file, "--from"}, {file, "--colour", "red"}, {},
          {file, file}, {file, "--all", "--rows", "4"}, {file, "--format", "xml"}, {file, "-x"}}) {
        const Listing listing = RunFramesCommand(args);
        EXPECT_EQ(listing.exitCode, cli::kExitUsage) << testing::PrintToString(args);
        EXPECT_TRUE(listing.frames.empty());
        EXPECT_THAT(listing.err, HasSubstr("tamberly-cli frames: "));
    }
}

TEST(CliProbe, TellsWhatTheContentTestsSay) {
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunProbe({testsupport::FixturePath("tone_l2_44k_128k.mp2")}, out, err), cli::kExitOk);
    EXPECT_THAT(out.str(), HasSubstr("container: none\n"));
    EXPECT_THAT(out.str(), HasSubstr("IsMPAES: yes, layer 2 (Layer II), sampling index 0 (44100 Hz)\n"));
    EXPECT_THAT(out.str(), HasSubstr("IsMPA_All_Layers: yes\n"));
    EXPECT_THAT(out.str(), HasSubstr("verdict: MPEG audio stream\n"));

    std::ostringstream tsOut, tsErr;
    ASSERT_EQ(cli::RunProbe({testsupport::FixturePath("tone_l2.ts")}, tsOut, tsErr), cli::kExitOk);
    EXPECT_THAT(tsOut.str(), HasSubstr("container: IsTS\n"));
    EXPECT_THAT(tsOut.str(), HasSubstr("verdict: container\n"));
}

TEST(CliProbe, RandomBytesAreNotAnAudioStream) {
    testsupport::TempDir dir;
    std::mt19937 random(7);
    std::vector<std::uint8_t> bytes(200000);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random() & 0x7F);  // no 0xFF: no sync word
    const auto path = dir.Write("noise.bin", bytes);
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunProbe({path}, out, err), cli::kExitNotAudio);
    EXPECT_THAT(out.str(), HasSubstr("IsMPAES: no, layer undecided, sampling index undecided\n"));
    EXPECT_THAT(out.str(), HasSubstr("verdict: not an MPEG audio stream\n"));
}

TEST(CliProgram, MissingFolderOrEmptyInputIsOneLineAndExitOne) {
    testsupport::TempDir dir;
    const auto empty = dir.Write("empty.mp2", {});
    const std::pair<std::string, std::string> inputs[] = {
        {dir.File("absent.mp2"), "cannot open"}, {dir.Path().string(), "is a folder, not a file"}, {empty, "is empty"}};
    for (const std::string command :
         {"frames", "probe", "header --offset 0", "streams", "extract --stream 0", "decode", "validate"}) {
        for (const auto& [input, message] : inputs) {
            const auto result = RunProgram(command + " '" + input + "'");
            EXPECT_EQ(result.exitCode, 1) << command << " " << input;
            EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'),
                      command == "validate" ? 2 : 1) << result.out;  // validate adds its summary line
            EXPECT_THAT(result.out, HasSubstr(message)) << command;
        }
    }
}

TEST(CliProgram, HelpExplainsEveryOptionAndUnknownCommandsFail) {
    const auto general = RunProgram("--help");
    EXPECT_EQ(general.exitCode, 0);
    EXPECT_THAT(general.out, HasSubstr("frames FILE"));
    EXPECT_THAT(general.out, HasSubstr("probe FILE"));
    for (const std::string command : {"frames", "header", "probe", "streams", "extract", "decode", "validate"}) {
        EXPECT_THAT(general.out, HasSubstr(command + " FILE"));
        const auto help = RunProgram(command + " --help");
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_THAT(help.out, HasSubstr("usage: tamberly-cli " + command + " FILE"));
        EXPECT_THAT(help.out, HasSubstr("Examples:\n  tamberly-cli " + command));
        EXPECT_THAT(help.out, HasSubstr("Exit codes: 0"));
    }
    const auto frames = RunProgram("frames --help");
    EXPECT_THAT(frames.out, HasSubstr("--from BYTE"));
    EXPECT_THAT(frames.out, HasSubstr("--rows N"));
    EXPECT_THAT(frames.out, HasSubstr("--all"));
    EXPECT_EQ(RunProgram("").exitCode, 2);
    EXPECT_EQ(RunProgram("transmogrify x").exitCode, 2);
}

TEST(CliOptions, ShortAndRepeatedOptions) {
    const cli::Arguments arguments({"in.mp2", "-o", "out.wav", "--disable", "junk", "--disable=padding", "--force"},
                                   {"-o"}, {"--force"}, {"--disable"});
    EXPECT_EQ(arguments.Error(), "");
    EXPECT_EQ(arguments.Positional(), std::vector<std::string>{"in.mp2"});
    EXPECT_EQ(arguments.Value("-o"), "out.wav");
    EXPECT_EQ(arguments.Values("--disable"), (std::vector<std::string>{"junk", "padding"}));
    EXPECT_TRUE(arguments.Has("--force"));
    EXPECT_EQ(cli::Arguments({"-q"}, {"-o"}, {}).Error(), "unknown option -q");
    EXPECT_EQ(cli::Arguments({"-"}, {}, {}).Positional(), std::vector<std::string>{"-"});
}

TEST(CliOptions, JsonAndCsvQuoting) {
    EXPECT_EQ(cli::JsonString("a\"b\\c\n\x01\xC2\xB5"), "\"a\\\"b\\\\c\\n\\u0001\xC2\xB5\"");
    EXPECT_EQ(cli::CsvField("44100 Hz"), "44100 Hz");
    EXPECT_EQ(cli::CsvField("a,\"b\""), "\"a,\"\"b\"\"\"");
}

TEST(CliOptions, ByteCountsAreDecimalOrHex) {
    EXPECT_EQ(cli::ParseByteCount("0"), 0);
    EXPECT_EQ(cli::ParseByteCount("4294967306"), 4294967306LL);
    EXPECT_EQ(cli::ParseByteCount("0x100000000"), 4294967296LL);
    EXPECT_EQ(cli::ParseByteCount("0X1f"), 31);
    EXPECT_FALSE(cli::ParseByteCount(""));
    EXPECT_FALSE(cli::ParseByteCount("0x"));
    EXPECT_FALSE(cli::ParseByteCount("12abc"));
    EXPECT_FALSE(cli::ParseByteCount("-1"));
    EXPECT_FALSE(cli::ParseByteCount("99999999999999999999"));
}

}  // namespace
