// The PCM streams "extract" writes: DVD LPCM (16 and 24 bits), HDMV LPCM and
// SMPTE 302M become WAVE files, MXF PCM tracks raw samples named .pcm. Each
// output, read back by ffmpeg, holds sample for sample what ffmpeg decodes
// from the source container. Skipped without ffmpeg.

#include <gtest/gtest.h>

#include "tests/cli/run_program.h"
#include "tests/support/shell_command.h"
#include "tests/support/temp_dir.h"

namespace {

using clitest::Quoted;
using clitest::RunCli;
using Bytes = std::vector<std::uint8_t>;

// The audio stream's samples as ffmpeg decodes them, as 32-bit integers;
// input_format names a raw input ("" for a container).
Bytes DecodedSamples(const std::string& input, const std::string& input_format, int audio_track,
                     const testsupport::TempDir& dir) {
    const std::string raw = dir.File("decoded.s32");
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + input_format + " -i " +
                                Quoted(input) + " -map 0:a:" + std::to_string(audio_track) + " -f s32le " +
                                Quoted(raw);
    if (testsupport::RunShell(command).exit_code != 0) return {};
    return testsupport::ReadFileBytes(raw);
}

TEST(CliPcmExtract, OutputsHoldTheSamplesFfmpegDecodesFromTheSource) {
    if (!testsupport::HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg missing";
    struct Case {
        const char* container;
        int stream;      // in "tamberly-cli streams"
        int audio;       // the same stream among ffmpeg's audio streams
        const char* output;
        const char* output_format;  // how ffmpeg reads the output
        const char* note;
    };
    const char* wave = " as a WAVE file\n";
    const char* raw = " as raw samples, their format unknown (the container's)\n";
    const Case cases[] = {
        {"lpcm_16bit.mpg", 0, 0, "lpcm_16bit_0000.wav", "", wave},
        {"lpcm_24bit.mpg", 0, 0, "lpcm_24bit_0000.wav", "", wave},
        {"hdmv_lpcm.m2ts", 0, 0, "hdmv_lpcm_0000.wav", "", wave},
        {"s302m.ts", 0, 0, "s302m_0000.wav", "", wave},
        {"video_two_pcm.mxf", 1, 0, "video_two_pcm_0000.pcm", "-f s16le -ar 48000 -ac 1", raw},
        {"video_two_pcm.mxf", 2, 1, "video_two_pcm_0001.pcm", "-f s24le -ar 48000 -ac 1", raw},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        const std::string source = testsupport::DemuxFixturePath(c.container);
        const auto result = RunCli("extract " + Quoted(source) + " --stream " + std::to_string(c.stream),
                                   dir.Path().string());
        ASSERT_EQ(result.exitCode, 0) << c.container << ": " << result.err;
        EXPECT_TRUE(result.out.starts_with(std::string(c.output) + ": ")) << result.out;
        EXPECT_TRUE(result.out.ends_with(c.note)) << result.out;
        const Bytes expected = DecodedSamples(source, "", c.audio, dir);
        ASSERT_FALSE(expected.empty()) << c.container;
        EXPECT_EQ(DecodedSamples(dir.File(c.output), c.output_format, 0, dir), expected) << c.container;
    }
}

}  // namespace
