// Each delivered plugin on the files only it reads: the MPEG-2 plugin on a
// program stream, a transport stream of two programs, an elementary stream
// and the PCM kinds it turns into WAVE files; the MXF plugin on its 24-bit
// PCM track.

#include <gtest/gtest.h>

#include "tests/plugins/ql_demux/real_plugin.h"
#include "tests/plugins/ql_demux/wave_file.h"

namespace ql_demux_test {
namespace {

class Mp2Files : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(plugin_.Loaded()) << plugin_.Error(); }
    [[nodiscard]] bool Load(const std::string& path) { return plugin_.api().LoadFile(path.c_str()) == 0; }

    RealPlugin plugin_{"demo_ql_demux_mp2"};
    testsupport::TempDir dir_;
};

TEST_F(Mp2Files, TwoProgramsOfThreeStreamsAreListedProgramByProgram) {
    ASSERT_TRUE(Load(DemuxFixture("two_programs.ts")));
    EXPECT_EQ(plugin_.List(),
              (Listing{{0, 0, 3}, {0, 1, 131}, {0, 2, 150}, {1, 0, 2}, {1, 1, 132}, {1, 2, 140}}));
}

TEST_F(Mp2Files, LayerTwoStreamsComeBackFromEveryContainer) {
    const Bytes l2_44k = testsupport::ReadFileBytes(testsupport::FixturePath("tone_l2_44k_128k.mp2"));
    const Bytes l2_24k = testsupport::ReadFileBytes(testsupport::FixturePath("crc_l2_lsf_24k_64k.mp2"));
    struct Case {
        const char* file;
        std::int32_t index;
        const Bytes& expected;
    };
    for (const Case& c : {Case{"l2_mpeg2video.mpg", 1, l2_44k}, Case{"two_programs.ts", 1, l2_44k},
                          Case{"two_programs.ts", 4, l2_24k}}) {
        ASSERT_TRUE(Load(DemuxFixture(c.file))) << c.file;
        EXPECT_EQ(plugin_.ToFile(c.index, dir_.File("out.mpa")), c.expected) << c.file << " #" << c.index;
        EXPECT_EQ(plugin_.ToHost(c.index), c.expected) << c.file << " #" << c.index;
    }
}

TEST_F(Mp2Files, ElementaryStreamIsOneStreamOfMpegAudio) {
    ASSERT_TRUE(Load(testsupport::FixturePath("tone_l2_44k_128k.mp2")));
    EXPECT_EQ(plugin_.List(), (Listing{{0, 0, 131}}));
}

// The samples of the 16-bit stereo source, widened to `bits` (the low bits
// zero), little-endian as a WAVE file holds them.
Bytes SourceSamples(int bits) {
    const Bytes source = testsupport::ReadFileBytes(DemuxFixture("pcm_stereo.s16le"));
    if (bits == 16) return source;
    Bytes widened;
    for (std::size_t i = 0; i + 1 < source.size(); i += 2) widened.insert(widened.end(), {0, source[i], source[i + 1]});
    return widened;
}

TEST_F(Mp2Files, PcmStreamsBecomeWaveFilesWithTheSourceSamples) {
    struct Case {
        const char* file;
        std::int32_t media_type;
        int bits;
    };
    for (const Case& c : {Case{"lpcm_16bit.mpg", 202, 16}, Case{"lpcm_24bit.mpg", 202, 24},
                          Case{"hdmv_lpcm.m2ts", 203, 16}, Case{"s302m.ts", 210, 16}}) {
        ASSERT_TRUE(Load(DemuxFixture(c.file))) << c.file;
        EXPECT_EQ(plugin_.List(), (Listing{{0, 0, c.media_type}})) << c.file;
        const auto wave = ReadWave(plugin_.ToFile(0, dir_.File("out.wav")));
        ASSERT_TRUE(wave.has_value()) << c.file;
        EXPECT_EQ(wave->format_tag, 1);
        EXPECT_EQ(wave->channels, 2);
        EXPECT_EQ(wave->sample_rate, 48000u);
        EXPECT_EQ(wave->bits, c.bits) << c.file;
        EXPECT_EQ(wave->data, SourceSamples(c.bits)) << c.file;
    }
}

TEST_F(Mp2Files, PcmStreamReachesTheHostAsTaggedPackets) {
    ASSERT_TRUE(Load(DemuxFixture("lpcm_16bit.mpg")));
    const Bytes received = plugin_.ToHost(0);
    const Bytes source = SourceSamples(16);
    ASSERT_EQ(received.size(), 8 + source.size());
    EXPECT_EQ(Bytes(received.begin(), received.begin() + 8), (Bytes{'L', 'P', 'C', 'M', 0x04, 0, 0, 0}));
    for (std::size_t i = 0; i + 1 < source.size(); i += 2) {
        ASSERT_EQ(received[8 + i], source[i + 1]) << "big-endian sample at " << i;
        ASSERT_EQ(received[8 + i + 1], source[i]);
    }
}

TEST(MxfFiles, TwentyFourBitPcmTrackComesOutRaw) {
    RealPlugin plugin("demo_ql_demux_mxf");
    ASSERT_TRUE(plugin.Loaded()) << plugin.Error();
    testsupport::TempDir dir;
    ASSERT_EQ(plugin.api().LoadFile(DemuxFixture("video_two_pcm.mxf").c_str()), 0);
    const Bytes expected = testsupport::ReadFileBytes(DemuxFixture("pcm_mono.s24le"));
    EXPECT_EQ(plugin.ToFile(2, dir.File("track.pcm")), expected);
    EXPECT_EQ(plugin.ToHost(2), expected);
}

}  // namespace
}  // namespace ql_demux_test
