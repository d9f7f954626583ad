// tamberly-cli's first commands, run in-process for their output and as the
// real program for exit codes and error lines.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
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
using ::testing::Not;

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

// Runs a shell command with its standard error folded into the output.
ProgramResult RunShell(const std::string& command) {
    const testsupport::ShellResult run = testsupport::RunShell(command + " 2>&1");
    return {run.exit_code, run.out};
}

// Runs the real program with its standard error folded into the output.
ProgramResult RunProgram(const std::string& arguments) {
    return RunShell("'" + testsupport::BinPath("tamberly-cli") + "' " + arguments);
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

// MPEG-2 and MPEG-2.5 streams from twolame and lame, CBR and VBR, listed to
// the end: ffprobe's frames apart from the last, with the rate's own text.
TEST(CliFrames, ListsLowSamplingFrequencyStreamsAsFfprobeDoes) {
    const struct {
        const char* stream;
        const char* rate;
    } cases[] = {
        {"lsf_l2_16k_32k_mono.mp2", "16000 Hz"}, {"lsf_l2_22k_48k.mp2", "22050 Hz"},
        {"lsf_l2_24k_64k_crc.mp2", "24000 Hz"},  {"lsf_l3_16k_vbr.mp3", "16000 Hz"},
        {"lsf_l3_22k_32k.mp3", "22050 Hz"},      {"lsf_l3_24k_64k_crc.mp3", "24000 Hz"},
        {"mpeg25_l3_8k_16k_mono.mp3", "8000 Hz"}, {"mpeg25_l3_11k_vbr.mp3", "11025 Hz"},
        {"mpeg25_l3_12k_24k.mp3", "12000 Hz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stream);
        const std::string name(c.stream);
        const auto expected = ReadFfprobeCsv(testsupport::FixturePath(name.substr(0, name.rfind('.')) + ".ffprobe.csv"));
        ASSERT_GT(expected.size(), 2u);
        const Listing listing = RunFramesCommand({testsupport::FixturePath(name), "--all"});
        ASSERT_EQ(listing.exitCode, cli::kExitOk) << listing.err;
        EXPECT_EQ(listing.err, "");
        EXPECT_EQ(listing.frames, decltype(listing.frames)(expected.begin(), expected.end() - 1));
        EXPECT_THAT(listing.out, HasSubstr(c.rate));
        EXPECT_THAT(listing.out, Not(HasSubstr(" 0 kbps")));
    }
}

// A file made of an ID3v2 tag and then an MPEG-2 stream, the tag's body
// filled with an MPEG-1 Layer II stream so that its sync-like bytes look
// better than the audio's.
std::string WriteTaggedStream(const testsupport::TempDir& dir, const std::string& name, std::uint32_t bodySize,
                              bool footer, std::uint32_t declaredSize) {
    const auto filler = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    std::vector<std::uint8_t> bytes = {'I', 'D', '3', 4, 0, static_cast<std::uint8_t>(footer ? 0x10 : 0)};
    for (int shift : {21, 14, 7, 0}) bytes.push_back(static_cast<std::uint8_t>(declaredSize >> shift & 0x7F));
    while (bytes.size() < 10 + bodySize)
        bytes.insert(bytes.end(), filler.begin(),
                     filler.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(filler.size(), 10 + bodySize - bytes.size())));
    if (footer) bytes.insert(bytes.end(), {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0});
    const auto audio = testsupport::ReadFileBytes(testsupport::FixturePath("lsf_l3_22k_32k.mp3"));
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    return dir.Write(name, bytes);
}

TEST(CliFrames, ListsTheFramesAfterALeadingID3v2Tag) {
    const auto golden = ReadFfprobeCsv(testsupport::FixturePath("lsf_l3_22k_32k.ffprobe.csv"));
    ASSERT_GT(golden.size(), 2u);
    const struct {
        const char* name;
        std::uint32_t body;
        bool footer;
    } cases[] = {
        {"tag_100k.mp3", 100000, false},
        {"tag_1500k_footer.mp3", 1500000, true},
        {"tag_10m.mp3", 10000000, false},
    };
    testsupport::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = WriteTaggedStream(dir, c.name, c.body, c.footer, c.body);
        const std::int64_t tag = 10 + c.body + (c.footer ? 10 : 0);
        std::vector<std::pair<std::int64_t, std::int64_t>> expected;
        for (auto it = golden.begin(); it + 1 != golden.end(); ++it) expected.emplace_back(it->first + tag, it->second);
        const Listing listing = RunFramesCommand({path, "--all"});
        ASSERT_EQ(listing.exitCode, cli::kExitOk) << listing.err;
        EXPECT_EQ(listing.frames, expected);
        const Listing page = RunFramesCommand({path, "--rows", "3"});
        ASSERT_EQ(page.frames.size(), 3u);
        EXPECT_EQ(page.frames.front(), expected.front());

        std::ostringstream out, err;
        ASSERT_EQ(cli::RunHeader({path, "--offset", std::to_string(tag)}, out, err), cli::kExitOk) << err.str();
        EXPECT_THAT(out.str(), HasSubstr("ID                   : 0 [MPEG-2] (1 bit)"));
        EXPECT_THAT(out.str(), HasSubstr("An ID3v2 tag of " + std::to_string(tag) + " bytes precedes the first frame"));
    }
}

// A tag written by mutagen (ID3v2.4 with padding) around a 1.5 MB picture of
// MPEG-1 frames: the frames follow the tag, whose length is what mutagen
// added to the file.
TEST(CliFrames, ListsTheFramesAfterAMutagenTag) {
    if (RunShell("/usr/bin/python3 -c 'import mutagen'").exitCode != 0) GTEST_SKIP() << "python3-mutagen is missing";
    testsupport::TempDir dir;
    const auto audio = testsupport::ReadFileBytes(testsupport::FixturePath("lsf_l3_22k_32k.mp3"));
    const auto filler = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    std::vector<std::uint8_t> picture;
    while (picture.size() < 1500000) picture.insert(picture.end(), filler.begin(), filler.end());
    const std::string path = dir.Write("mutagen.mp3", audio);
    const std::string picturePath = dir.Write("cover.png", picture);
    const std::string script =
        "import sys, mutagen.id3 as i; t = i.ID3(); "
        "t.add(i.APIC(encoding=0, mime='image/png', type=3, desc='cover', data=open(sys.argv[2], 'rb').read())); "
        "t.save(sys.argv[1], v2_version=4, padding=lambda info: 4096)";
    ASSERT_EQ(RunShell("/usr/bin/python3 -c \"" + script + "\" '" + path + "' '" + picturePath + "'").exitCode, 0);
    const auto tagged = testsupport::ReadFileBytes(path);
    const auto tag = static_cast<std::int64_t>(tagged.size() - audio.size());
    ASSERT_GT(tag, 1500000);

    const auto golden = ReadFfprobeCsv(testsupport::FixturePath("lsf_l3_22k_32k.ffprobe.csv"));
    std::vector<std::pair<std::int64_t, std::int64_t>> expected;
    for (auto it = golden.begin(); it + 1 != golden.end(); ++it) expected.emplace_back(it->first + tag, it->second);
    const Listing listing = RunFramesCommand({path, "--all"});
    ASSERT_EQ(listing.exitCode, cli::kExitOk) << listing.err;
    EXPECT_EQ(listing.frames, expected);
}

// A tag header whose size runs past the end of the file is no tag: the vote
// reads the file from its start and finds the MPEG-1 frames that follow.
TEST(CliFrames, ATagLongerThanTheFileIsNoTag) {
    testsupport::TempDir dir;
    const std::string path = WriteTaggedStream(dir, "overlong.mp3", 5000, false, 0x0FFFFFFF);
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunProbe({path}, out, err), cli::kExitOk);
    EXPECT_THAT(out.str(), HasSubstr("IsMPAES: yes, layer 2 (Layer II), sampling index 0 (44100 Hz)\n"));
    EXPECT_THAT(out.str(), Not(HasSubstr("version:")));
    const Listing listing = RunFramesCommand({path, "--rows", "2"});
    ASSERT_EQ(listing.frames.size(), 2u);
    EXPECT_EQ(listing.frames.front(), std::make_pair(std::int64_t{10}, std::int64_t{417}));
}

TEST(CliProbe, NamesTheVersionAndItsRates) {
    const struct {
        const char* stream;
        const char* vote;
        const char* version;
    } cases[] = {
        {"lsf_l2_24k_64k_crc.mp2", "IsMPAES: yes, layer 2 (Layer II), sampling index 1 (24000 Hz)\n", "MPEG-2"},
        {"mpeg25_l3_8k_16k_mono.mp3", "IsMPAES: yes, layer 1 (Layer III), sampling index 2 (8000 Hz)\n", "MPEG-2.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stream);
        std::ostringstream out, err;
        ASSERT_EQ(cli::RunProbe({testsupport::FixturePath(c.stream)}, out, err), cli::kExitOk);
        EXPECT_THAT(out.str(), HasSubstr(c.vote));
        EXPECT_THAT(out.str(), HasSubstr(std::string("version: ") + c.version + "\n"));
        EXPECT_THAT(out.str(), HasSubstr("verdict: MPEG audio stream\n"));
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
