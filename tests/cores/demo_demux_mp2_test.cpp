// The MPEG-2 core through its C exports, on files made by ffmpeg: programs
// and streams with their media types, and extraction of the exact bytes of
// one stream.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "cores/demo_demux_mp2/demo_demux_mp2.h"
#include "tests/cores/recording_output.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Listing = std::vector<std::vector<std::uint32_t>>;  // media types, program by program


class Mp2Core : public ::testing::Test {
protected:
    void SetUp() override {
        const mp2_demux_options options{};
        const mp2_demux_settings settings{};
        demux_ = mp2DemuxCreate(nullptr, &options, &settings);
        ASSERT_NE(demux_, nullptr);
    }
    void TearDown() override { mp2DemuxFree(demux_); }

    [[nodiscard]] bool Open(const std::string& path) { return mp2DemuxOpen(demux_, 0, path.c_str()) == 0; }

    Listing List() {
        Listing listing;
        mp2_file_info file{};
        if (mp2DemuxGetFileInfo(demux_, &file) != 0) return listing;
        for (int32_t p = 0; p < file.program_count; ++p) {
            mp2_program_info program{};
            EXPECT_EQ(mp2DemuxGetProgramInfo(demux_, &program, p), 0);
            listing.emplace_back();
            for (int32_t s = 0; s < program.stream_count; ++s) {
                mp2_stream_format format{};
                EXPECT_EQ(mp2DemuxGetStreamFormat(demux_, &format, p, s), 0);
                listing.back().push_back(format.media_type);
            }
        }
        return listing;
    }

    // Runs a whole pass; the last push result (0 when finished).
    int32_t Extract(int32_t program, int32_t stream, coretest::RecordingOutput& output) {
        const mp2_parser_settings settings{};
        mp2_demux_parser* parser = mp2DemuxCreateParser(demux_, &settings);
        if (parser == nullptr) return -100;
        mp2_stream_selection selection{};
        selection.program = program;
        selection.stream = stream;
        selection.output = output.Record();
        int32_t result = mp2DemuxSetStream(demux_, parser, &selection);
        if (result == 0) result = mp2DemuxSeek(demux_, parser, 0, 0);
        if (result == 0) {
            while ((result = mp2DemuxPush(demux_, parser)) > 0) {
            }
        }
        mp2DemuxFreeParser(demux_, parser);
        return result;
    }

    mp2_demux* demux_ = nullptr;
};

TEST_F(Mp2Core, TransportStreamWithVideoListsOneProgram) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("l2_mpeg2video.ts")));
    EXPECT_EQ(List(), (Listing{{3, 131}}));
}

TEST_F(Mp2Core, ProgramStreamIsOneProgram) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("l2_mpeg2video.mpg")));
    EXPECT_EQ(List(), (Listing{{3, 131}}));
}

TEST_F(Mp2Core, TwoProgramsListTheirStreamsInOrder) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("two_programs.ts")));
    // MPEG-2 video, 44.1 kHz Layer II, AC-3; MPEG-1 video, 24 kHz Layer II, AAC.
    EXPECT_EQ(List(), (Listing{{3, 131, 150}, {2, 132, 140}}));
}

TEST_F(Mp2Core, FurtherCodecsHaveTheirCodes) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("codecs.ts")));
    EXPECT_EQ(List(), (Listing{{10, 13, 4, 151, 172}}));
}

TEST_F(Mp2Core, PcmKindsHaveTheirCodes) {
    for (const auto& [name, type] : {std::pair{"lpcm_16bit.mpg", 202u}, std::pair{"lpcm_24bit.mpg", 202u},
                                     std::pair{"hdmv_lpcm.m2ts", 203u}, std::pair{"s302m.ts", 210u}}) {
        ASSERT_TRUE(Open(testsupport::DemuxFixturePath(name))) << name;
        EXPECT_EQ(List(), (Listing{{type}})) << name;
    }
}

TEST_F(Mp2Core, ElementaryAudioStreamIsOneProgramOfOneStream) {
    ASSERT_TRUE(Open(testsupport::FixturePath("tone_l2_44k_128k.mp2")));
    EXPECT_EQ(List(), (Listing{{131}}));
    ASSERT_TRUE(Open(testsupport::FixturePath("crc_l2_lsf_24k_64k.mp2")));
    EXPECT_EQ(List(), (Listing{{132}}));
}

// Bytes this process has read from files so far.
std::uint64_t BytesReadByThisProcess() {
    std::FILE* io = std::fopen("/proc/self/io", "r");
    if (io == nullptr) return 0;
    unsigned long long read = 0;
    const int matched = std::fscanf(io, "rchar: %llu", &read);
    std::fclose(io);
    return matched == 1 ? read : 0;
}

// Opening reads a bounded amount whatever follows the first frames; the
// extraction still reads the whole file.
TEST_F(Mp2Core, OpeningAStreamFollowedByALongRunOfZerosReadsABoundedAmount) {
    // Too few frames for libavformat to settle the stream's parameters on.
    Bytes stream = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    ASSERT_GT(stream.size(), 16000u);
    stream.resize(16000);
    testsupport::TempDir dir;
    const std::string path = dir.Write("zeros.mp2", stream);
    const auto size = std::filesystem::file_size(path) + (std::uintmax_t{40} << 20);
    std::filesystem::resize_file(path, size);  // sparse zeros
    const std::uint64_t before = BytesReadByThisProcess();
    ASSERT_NE(before, 0u) << "no /proc/self/io";
    ASSERT_TRUE(Open(path));
    EXPECT_LT(BytesReadByThisProcess() - before, std::uint64_t{36} << 20);
    EXPECT_EQ(List(), (Listing{{131}}));
    coretest::RecordingOutput output;
    EXPECT_EQ(Extract(0, 0, output), 0);
    EXPECT_EQ(output.Bytes().size(), size);
}

TEST_F(Mp2Core, ExtractionGivesTheMuxedStreamByteForByte) {
    const Bytes l2_44k = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    const Bytes l2_24k = testsupport::ReadFileBytes(testsupport::FixturePath("crc_l2_lsf_24k_64k.mp2"));
    ASSERT_FALSE(l2_44k.empty());
    struct Case {
        const char* file;
        int32_t program, stream;
        const Bytes& expected;
    };
    for (const Case& c : {Case{"l2_mpeg2video.ts", 0, 1, l2_44k}, Case{"l2_mpeg2video.mpg", 0, 1, l2_44k},
                          Case{"two_programs.ts", 0, 1, l2_44k}, Case{"two_programs.ts", 1, 1, l2_24k}}) {
        ASSERT_TRUE(Open(testsupport::DemuxFixturePath(c.file))) << c.file;
        coretest::RecordingOutput output;
        EXPECT_EQ(Extract(c.program, c.stream, output), 0) << c.file;
        EXPECT_EQ(output.Bytes(), c.expected) << c.file << " program " << c.program;
    }
}

TEST_F(Mp2Core, ElementaryStreamExtractsToItself) {
    const std::string path = testsupport::FixturePath("tone_l2_44k_128k.mp2");
    ASSERT_TRUE(Open(path));
    coretest::RecordingOutput output;
    EXPECT_EQ(Extract(0, 0, output), 0);
    EXPECT_EQ(output.Bytes(), testsupport::ReadFileBytes(path));
}

TEST_F(Mp2Core, DvdLpcmGoesOutAsTaggedPackets) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("lpcm_16bit.mpg")));
    coretest::RecordingOutput output;
    ASSERT_EQ(Extract(0, 0, output), 0);
    const auto& events = output.Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].bytes, (Bytes{'L', 'P', 'C', 'M', 0x04, 0, 0, 0}));
    std::size_t payload = 0;
    bool expect_command = false;
    for (std::size_t i = 1; i < events.size(); ++i) {
        const bool is_command = events[i].kind == coretest::OutputEvent::Kind::Control;
        EXPECT_EQ(is_command, expect_command) << "event " << i;
        if (is_command) {
            EXPECT_EQ(events[i].id, static_cast<std::uint32_t>(BUFSTREAM_CMD_PCM_PACKET_TAGGED));
        }
        if (!is_command) payload += events[i].bytes.size();
        expect_command = !expect_command;
    }
    // Every sample of the source, big-endian.
    EXPECT_EQ(payload, testsupport::ReadFileBytes(testsupport::DemuxFixturePath("pcm_stereo.s16le")).size());
}

TEST_F(Mp2Core, SeekStartsThePassAgain) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("l2_mpeg2video.ts")));
    const mp2_parser_settings settings{};
    mp2_demux_parser* parser = mp2DemuxCreateParser(demux_, &settings);
    ASSERT_NE(parser, nullptr);
    coretest::RecordingOutput output;
    mp2_stream_selection selection{};
    selection.stream = 1;
    selection.output = output.Record();
    ASSERT_EQ(mp2DemuxSetStream(demux_, parser, &selection), 0);
    EXPECT_EQ(mp2DemuxPush(demux_, parser), -1) << "a pass starts with a seek";
    ASSERT_EQ(mp2DemuxSeek(demux_, parser, 0, 0), 0);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(mp2DemuxPush(demux_, parser), 1);
    output.Clear();
    ASSERT_EQ(mp2DemuxSeek(demux_, parser, 0, 0), 0);
    while (mp2DemuxPush(demux_, parser) > 0) {
    }
    EXPECT_EQ(output.Bytes(), testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2")));
    EXPECT_EQ(mp2DemuxSeek(demux_, parser, 188, 0), -1) << "only the beginning";
    mp2DemuxFreeParser(demux_, parser);
}

TEST_F(Mp2Core, RefusedOutputFailsThePush) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("l2_mpeg2video.ts")));
    coretest::RecordingOutput output;
    output.RefuseWritesAfter(10000);
    EXPECT_EQ(Extract(0, 1, output), -1);
    EXPECT_LE(output.Bytes().size(), 10000u);
}

TEST_F(Mp2Core, QueriesOutOfRangeFail) {
    mp2_file_info file{};
    EXPECT_EQ(mp2DemuxGetFileInfo(demux_, &file), -1) << "nothing open";
    const mp2_parser_settings parser_settings{};
    EXPECT_EQ(mp2DemuxCreateParser(demux_, &parser_settings), nullptr);
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("l2_mpeg2video.ts")));
    mp2_program_info program{};
    mp2_stream_format format{};
    EXPECT_EQ(mp2DemuxGetProgramInfo(demux_, &program, 1), -1);
    EXPECT_EQ(mp2DemuxGetProgramInfo(demux_, &program, -1), -1);
    EXPECT_EQ(mp2DemuxGetStreamFormat(demux_, &format, 0, 2), -1);
    EXPECT_EQ(mp2DemuxGetStreamFormat(demux_, &format, 1, 0), -1);
    EXPECT_EQ(mp2DemuxGetStreamFormat(demux_, nullptr, 0, 0), -1);
    coretest::RecordingOutput output;
    EXPECT_EQ(Extract(0, 2, output), -1);
    mp2_demux_parser* parser = mp2DemuxCreateParser(demux_, &parser_settings);
    mp2_stream_selection no_output{};
    EXPECT_EQ(mp2DemuxSetStream(demux_, parser, &no_output), -1);
    EXPECT_EQ(mp2DemuxSeek(demux_, parser, 0, 0), -1) << "no stream set";
    mp2DemuxFreeParser(demux_, parser);
}

TEST_F(Mp2Core, RecordsHoldOnlyTheirFields) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("two_programs.ts")));
    mp2_stream_format format;
    std::memset(&format, 0xAA, sizeof format);
    ASSERT_EQ(mp2DemuxGetStreamFormat(demux_, &format, 1, 1), 0);
    unsigned char bytes[sizeof format];
    std::memcpy(bytes, &format, sizeof bytes);
    const unsigned char expected_type[4] = {132, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes + 21, expected_type, 4), 0) << "little-endian media type at byte 21";
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        if (i < 21 || i >= 25) {
            EXPECT_EQ(bytes[i], 0) << "byte " << i;
        }
    }
    mp2_program_info program;
    std::memset(&program, 0xAA, sizeof program);
    ASSERT_EQ(mp2DemuxGetProgramInfo(demux_, &program, 0), 0);
    std::int32_t count = 0;
    std::memcpy(&count, reinterpret_cast<const unsigned char*>(&program) + 12, 4);
    EXPECT_EQ(count, 3);
}

TEST_F(Mp2Core, ArgumentsAreChecked) {
    const mp2_demux_options options{};
    const mp2_demux_settings settings{};
    int something = 0;
    EXPECT_EQ(mp2DemuxCreate(&something, &options, &settings), nullptr);
    EXPECT_EQ(mp2DemuxCreate(nullptr, nullptr, &settings), nullptr);
    EXPECT_EQ(mp2DemuxOpen(demux_, 1, testsupport::DemuxFixturePath("l2_mpeg2video.ts").c_str()), -1);
    EXPECT_EQ(mp2DemuxOpen(demux_, 0, nullptr), -1);
    EXPECT_EQ(mp2DemuxOpen(nullptr, 0, testsupport::DemuxFixturePath("l2_mpeg2video.ts").c_str()), -1);
}

TEST_F(Mp2Core, FilesOfOtherKindsAreRefused) {
    testsupport::TempDir dir;
    std::mt19937 random(7);
    Bytes noise(64 * 1024);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
    EXPECT_FALSE(Open(dir.Write("noise.ts", noise)));
    EXPECT_FALSE(Open(dir.Write("empty.ts", {})));
    EXPECT_FALSE(Open(dir.File("missing.ts")));
    EXPECT_FALSE(Open(testsupport::DemuxFixturePath("video_two_pcm.mxf")));
    mp2_file_info file{};
    EXPECT_EQ(mp2DemuxGetFileInfo(demux_, &file), -1) << "a failed open leaves nothing open";
}

TEST_F(Mp2Core, NameWithAColonIsAPlainFile) {
    testsupport::TempDir dir;
    const std::string path = dir.File("a:b.ts");
    std::filesystem::copy_file(testsupport::DemuxFixturePath("l2_mpeg2video.ts"), path);
    ASSERT_TRUE(Open(path));
    EXPECT_EQ(List(), (Listing{{3, 131}}));
}

TEST_F(Mp2Core, TruncatedFileGivesAPrefixOfTheStream) {
    testsupport::TempDir dir;
    Bytes ts = testsupport::ReadFileBytes(testsupport::DemuxFixturePath("l2_mpeg2video.ts"));
    ts.resize(ts.size() / 2 + 100);  // cut inside a packet
    ASSERT_TRUE(Open(dir.Write("cut.ts", ts)));
    coretest::RecordingOutput output;
    EXPECT_EQ(Extract(0, 1, output), 0);
    const Bytes whole = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    const Bytes got = output.Bytes();
    ASSERT_GT(got.size(), 0u);
    ASSERT_LT(got.size(), whole.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), whole.begin()));
}

TEST_F(Mp2Core, FileRemovedAfterOpeningCannotBeSeeked) {
    testsupport::TempDir dir;
    const std::string path = dir.File("gone.ts");
    std::filesystem::copy_file(testsupport::DemuxFixturePath("l2_mpeg2video.ts"), path);
    ASSERT_TRUE(Open(path));
    std::filesystem::remove(path);
    coretest::RecordingOutput output;
    EXPECT_EQ(Extract(0, 1, output), -1);
    EXPECT_TRUE(output.Events().empty());
}

}  // namespace
