// extract and decode run as the real program: the extracted stream is the
// one that went into the container, the WAVE file holds the decoder's PCM,
// and existing files are never replaced without --force.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "libs/mpadec/mpadec.h"
#include "tests/cli/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

using clitest::Quoted;
using clitest::RunCli;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

TEST(CliExtract, WritesTheElementaryStreamByteForByteUnderTheDialogsName) {
    testsupport::TempDir dir;
    const auto first = RunCli("extract " + Quoted(testsupport::FixturePath("tone_l2.ts")) + " --stream 0",
                              dir.Path().string());
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(first.out, "tone_l2_0000.mpa: 48065 bytes of stream 0 (MPEG audio)\n");
    const Bytes original = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("tone_l2_0000.mpa")), original);
    // The name proposed next skips the file now there.
    const auto second = RunCli("extract " + Quoted(testsupport::FixturePath("tone_l2.ts")) + " --stream 0",
                               dir.Path().string());
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(testsupport::ReadFileBytes(dir.File("tone_l2_0001.mpa")), original);
}

TEST(CliExtract, PicksTheStreamByIndexAndNeverOverwritesWithoutForce) {
    testsupport::TempDir dir;
    const std::string out = dir.Write("audio.mp2", {1, 2, 3});
    const std::string base = "extract " + Quoted(testsupport::FixturePath("demux/two_programs.ts")) + " --stream 4 -o " + Quoted(out);
    const auto refused = RunCli(base);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("already exists; --force replaces it"));
    EXPECT_EQ(testsupport::ReadFileBytes(out), (Bytes{1, 2, 3}));
    const auto forced = RunCli(base + " --force");
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(testsupport::ReadFileBytes(out), testsupport::ReadFileBytes(testsupport::FixturePath("crc_l2_lsf_24k_64k.mp2")));

    const auto missing = RunCli("extract demux/two_programs.ts --stream 6 -o " + Quoted(dir.File("x")));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_THAT(missing.err, HasSubstr("has no stream 6 (it has 6)"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("x")));
    EXPECT_EQ(RunCli("extract demux/two_programs.ts").exitCode, 2);
}

// The decoder's PCM for the whole stream, fed at once.
Bytes LibraryPcm(const Bytes& stream) {
    bufstream* decoder = open_MPEGin_Audio_stream();
    Bytes pcm(65536);
    mpa_pcm_buffer buffer{pcm.data(), 0};
    decoder->control(decoder, 0, MPA_CTL_SET_PCM_BUFFER, &buffer, sizeof buffer);
    Bytes all;
    std::size_t position = 0;
    for (;;) {
        buffer.size = static_cast<std::uint32_t>(pcm.size());
        const std::uint8_t* data = position < stream.size() ? stream.data() + position : nullptr;
        const auto taken = decoder->write_bytes(decoder, data, static_cast<std::uint32_t>(stream.size() - position));
        all.insert(all.end(), pcm.begin(), pcm.begin() + buffer.size);
        if (taken == 0 && buffer.size == 0 && data == nullptr) break;
        position += taken;
    }
    decoder->finish(decoder, 0);
    decoder->release(decoder);
    return all;
}

std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

struct Wave {
    std::uint16_t channels;
    std::uint32_t rate;
    Bytes data;
};

Wave ReadWave(const Bytes& file) {
    EXPECT_GE(file.size(), 44u);
    if (file.size() < 44) return {};
    EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
    EXPECT_EQ(Get32(file, 4), file.size() - 8);
    EXPECT_EQ(std::memcmp(file.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(Get32(file, 20) & 0xFFFF, 1u);   // PCM
    EXPECT_EQ(Get32(file, 32) >> 16, 16u);     // bits per sample
    EXPECT_EQ(std::memcmp(file.data() + 36, "data", 4), 0);
    EXPECT_EQ(Get32(file, 40), file.size() - 44);
    Wave wave{static_cast<std::uint16_t>(Get32(file, 20) >> 16), Get32(file, 24), Bytes(file.begin() + 44, file.end())};
    EXPECT_EQ(Get32(file, 28), wave.rate * wave.channels * 2);  // byte rate
    return wave;
}

TEST(CliDecode, WritesTheLibrarysPcmBehindAValidWaveHeader) {
    testsupport::TempDir dir;
    const struct {
        const char* fixture;
        std::uint16_t channels;
        std::uint32_t rate;
    } cases[] = {{"tone_l2_44k_128k.mp2", 2, 44100}, {"tone_l3_44k_128k.mp3", 2, 44100},
                 {"mpadec/ff_48k_mono_64k.mp2", 1, 48000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string out = dir.File(std::filesystem::path(c.fixture).stem().string() + ".wav");
        const auto result = RunCli("decode " + std::string(c.fixture) + " -o " + Quoted(out));
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const Wave wave = ReadWave(testsupport::ReadFileBytes(out));
        EXPECT_EQ(wave.channels, c.channels);
        EXPECT_EQ(wave.rate, c.rate);
        const Bytes expected = LibraryPcm(testsupport::ReadFileBytes(testsupport::FixturePath(c.fixture)));
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(wave.data == expected) << wave.data.size() << " vs " << expected.size();
    }
}

TEST(CliDecode, StopsAtAParameterChangeAndSaysSo) {
    testsupport::TempDir dir;
    Bytes first = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    const Bytes second = testsupport::ReadFileBytes(testsupport::FixturePath("mpadec/ff_48k_mono_64k.mp2"));
    Bytes joined = first;
    joined.insert(joined.end(), second.begin(), second.end());
    const auto input = dir.Write("joined.mp2", joined);
    const auto result = RunCli("decode " + Quoted(input), dir.Path().string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.err, HasSubstr("changes from 44100 Hz stereo to 48000 Hz mono after frame 115"));
    const Wave wave = ReadWave(testsupport::ReadFileBytes(dir.File("joined.wav")));
    EXPECT_EQ(wave.rate, 44100u);
    EXPECT_TRUE(wave.data == LibraryPcm(first));
}

TEST(CliDecode, RefusesToOverwriteAndRemovesNothingButItsOwnEmptyOutput) {
    testsupport::TempDir dir;
    const std::string existing = dir.Write("tone_l2_44k_128k.wav", {9});
    const auto refused = RunCli("decode " + Quoted(testsupport::FixturePath("tone_l2_44k_128k.mp2")), dir.Path().string());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("already exists"));
    EXPECT_EQ(testsupport::ReadFileBytes(existing), (Bytes{9}));

    const Bytes input = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    const auto copy = dir.Write("copy.mp2", input);
    const auto ontoInput = RunCli("decode copy.mp2 -o ./copy.mp2 --force", dir.Path().string());
    EXPECT_EQ(ontoInput.exitCode, 1);
    EXPECT_THAT(ontoInput.err, HasSubstr("is the input file"));
    EXPECT_EQ(testsupport::ReadFileBytes(copy), input);

    const auto noise = dir.Write("noise.bin", Bytes(20000, 0x55));
    const auto notAudio = RunCli("decode " + Quoted(noise), dir.Path().string());
    EXPECT_EQ(notAudio.exitCode, 3);
    EXPECT_THAT(notAudio.err, HasSubstr("not an MPEG audio stream"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("noise.wav")));
}

}  // namespace
