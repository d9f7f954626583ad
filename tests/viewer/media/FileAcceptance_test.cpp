// The acceptance decision the main window and the command line share.

#include "viewer/media/FileAcceptance.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "platform/dynamic_library.h"
#include "tests/support/plugin_hold.h"
#include "tests/support/temp_dir.h"

namespace {

struct AcceptanceCase {
    const char* fixture;
    TFileVerdict verdict;
    const char* containerProbe;
    bool pluginMayRead;
};

class FileAcceptanceFixtures : public ::testing::TestWithParam<AcceptanceCase> {};

// The real plugins beside the test program take part, as they do for the
// window and the command line.
TEST_P(FileAcceptanceFixtures, DecidesLikeTheWindow) {
    testsupport::HoldDemultiplexerPluginsLoaded();
    const AcceptanceCase& c = GetParam();
    const TFileAcceptance result = DecideFileAcceptance(testsupport::FixturePath(c.fixture), platform::ProgramFolder());
    EXPECT_EQ(result.Verdict, c.verdict);
    EXPECT_EQ(result.ContainerProbe, c.containerProbe);
    if (c.verdict == TFileVerdict::Container) {
        EXPECT_EQ(PluginMayReadContainer(result), c.pluginMayRead);
    }
    if (c.verdict == TFileVerdict::MpegAudio) {
        EXPECT_TRUE(result.HasExpectation());
        EXPECT_GE(result.Probes.Layer, 1);
        EXPECT_GE(result.Probes.SamplingIndex, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileAcceptanceFixtures,
    ::testing::Values(AcceptanceCase{"tone_l2_44k_128k.mp2", TFileVerdict::MpegAudio, "", false},
                      AcceptanceCase{"tone_l3_44k_128k.mp3", TFileVerdict::MpegAudio, "", false},
                      AcceptanceCase{"tone_l2_48k_192k_crc.mp2", TFileVerdict::MpegAudio, "", false},
                      AcceptanceCase{"tone_l2.ts", TFileVerdict::Container, "IsTS", true},
                      AcceptanceCase{"demux/l2_mpeg2video.mpg", TFileVerdict::Container, "IsPS", true},
                      AcceptanceCase{"demux/mp3_h264.mp4", TFileVerdict::Container, "IsQT", true},
                      AcceptanceCase{"demux/h264_mp2_mp3.mp4", TFileVerdict::Container, "IsQT", true},
                      AcceptanceCase{"demux/prores_mp2.mov", TFileVerdict::Container, "IsQT", true},
                      AcceptanceCase{"demux/l2.wav", TFileVerdict::Container, "IsWAVEFile", true},
                      AcceptanceCase{"demux/l3.wav", TFileVerdict::Container, "IsWAVEFile", true},
                      AcceptanceCase{"demux/mpeg4_mp3_vbr.avi", TFileVerdict::Container, "IsAVIFile", true}),
    [](const ::testing::TestParamInfo<AcceptanceCase>& info) {
        std::string name = info.param.fixture;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(FileAcceptance, NoiseIsNotMpegAudioAndAMissingFileIsUnreadable) {
    testsupport::HoldDemultiplexerPluginsLoaded();
    testsupport::TempDir dir;
    std::mt19937 random(7);
    std::vector<std::uint8_t> noise(256 * 1024);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random() & 0x7F);  // no sync bytes at all
    const TFileAcceptance noisy = DecideFileAcceptance(dir.Write("noise.bin", noise), platform::ProgramFolder());
    EXPECT_EQ(noisy.Verdict, TFileVerdict::NotMpegAudio);
    EXPECT_TRUE(noisy.HasExpectation());

    const TFileAcceptance missing = DecideFileAcceptance(dir.File("missing.mp2"), platform::ProgramFolder());
    EXPECT_EQ(missing.Verdict, TFileVerdict::Unreadable);
    EXPECT_FALSE(missing.HasExpectation());
}

TEST(FileAcceptance, DescribesWhatAContainerProbeRecognised) {
    TFileAcceptance acceptance;
    acceptance.Verdict = TFileVerdict::Container;
    acceptance.ContainerProbe = "IsTS";
    EXPECT_EQ(DescribeContainer(acceptance), "an MPEG-2 transport stream");
    acceptance.ContainerProbe = "IsVC1";
    EXPECT_EQ(DescribeContainer(acceptance), "a VC-1 video elementary stream");
    EXPECT_FALSE(PluginMayReadContainer(acceptance));
    acceptance.ContainerProbe.clear();  // the MPEG-2 plugin decided
    EXPECT_EQ(DescribeContainer(acceptance), "a container read by the MPEG-2 demultiplexer");
    EXPECT_TRUE(PluginMayReadContainer(acceptance));
}

}  // namespace
