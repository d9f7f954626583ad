// The track plugins (QuickTime/MP4, ProRes QuickTime, WAVE, AVI, ASF) on the
// files made by ffmpeg: each file is read by its own plugin only, and every
// MPEG audio track comes back as ffmpeg's "-c copy" gives it (the fixtures
// script checks that this is the source muxed), to a file and to the host.

#include <gtest/gtest.h>

#include <memory>

#include "tests/plugins/ql_demux/real_plugin.h"

namespace ql_demux_test {
namespace {

constexpr const char* kPlugins[] = {"demo_ql_demux_mp4", "demo_ql_demux_prores", "demo_ql_demux_mxf",
                                    "demo_ql_demux_wav", "demo_ql_demux_avi",    "demo_ql_demux_asf",
                                    "demo_ql_demux_mp2"};

TEST(TrackFiles, EachContainerIsReadByItsOwnPluginOnly) {
    struct Case {
        const char* file;
        const char* plugin;
    };
    const Case cases[] = {
        {"mp3_h264.mp4", "demo_ql_demux_mp4"},       {"h264_mp2_mp3.mp4", "demo_ql_demux_mp4"},
        {"h264_mp2.mov", "demo_ql_demux_mp4"},       {"prores_mp2.mov", "demo_ql_demux_prores"},
        {"l2.wav", "demo_ql_demux_wav"},             {"l3.wav", "demo_ql_demux_wav"},
        {"mpeg4_mp3_cbr.avi", "demo_ql_demux_avi"},  {"mpeg4_mp3_vbr.avi", "demo_ql_demux_avi"},
        {"mp3.asf", "demo_ql_demux_asf"},            {"video_two_pcm.mxf", "demo_ql_demux_mxf"},
        {"l2_mpeg2video.ts", "demo_ql_demux_mp2"},   {"l2_mpeg2video.mpg", "demo_ql_demux_mp2"},
    };
    std::vector<std::unique_ptr<RealPlugin>> plugins;
    for (const char* name : kPlugins) {
        plugins.push_back(std::make_unique<RealPlugin>(name));
        ASSERT_TRUE(plugins.back()->Loaded()) << plugins.back()->Error();
    }
    for (const Case& c : cases) {
        for (std::size_t i = 0; i < plugins.size(); ++i) {
            const bool accepted = plugins[i]->api().LoadFile(DemuxFixture(c.file).c_str()) == 0;
            EXPECT_EQ(accepted, std::string(kPlugins[i]) == c.plugin) << c.file << " in " << kPlugins[i];
        }
    }
}

TEST(TrackFiles, MpegAudioTracksAreListedAndComeBackWhole) {
    struct Case {
        const char* plugin;
        const char* file;
        Listing listing;
        std::int32_t audio;
        const char* source;
    };
    const char* l2 = "crc_l2_44k_256k_stereo.mp2";
    const char* l3 = "crc_l3_44k_64k_mono.mp3";
    const Case cases[] = {
        {"demo_ql_demux_mp4", "mp3_h264.mp4", {{0, 0, 10}, {0, 1, 131}}, 1, l3},
        {"demo_ql_demux_mp4", "h264_mp2_mp3.mp4", {{0, 0, 10}, {0, 1, 131}, {0, 2, 131}}, 1, l2},
        {"demo_ql_demux_mp4", "h264_mp2_mp3.mp4", {{0, 0, 10}, {0, 1, 131}, {0, 2, 131}}, 2, l3},
        {"demo_ql_demux_mp4", "h264_mp2.mov", {{0, 0, 10}, {0, 1, 131}}, 1, l2},
        {"demo_ql_demux_prores", "prores_mp2.mov", {{0, 0, 127}, {0, 1, 131}}, 1, l2},
        {"demo_ql_demux_wav", "l2.wav", {{0, 0, 131}}, 0, l2},
        {"demo_ql_demux_wav", "l3.wav", {{0, 0, 131}}, 0, l3},
        {"demo_ql_demux_avi", "mpeg4_mp3_cbr.avi", {{0, 0, 4}, {0, 1, 131}}, 1, l3},
        {"demo_ql_demux_avi", "mpeg4_mp3_vbr.avi", {{0, 0, 4}, {0, 1, 132}}, 1, "lsf_l3_16k_vbr.mp3"},
        {"demo_ql_demux_asf", "mp3.asf", {{0, 0, 131}}, 0, l3},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        RealPlugin plugin(c.plugin);
        ASSERT_TRUE(plugin.Loaded()) << plugin.Error();
        ASSERT_EQ(plugin.api().LoadFile(DemuxFixture(c.file).c_str()), 0) << c.file;
        EXPECT_EQ(plugin.List(), c.listing) << c.file;
        const Bytes expected = testsupport::ReadFileBytes(testsupport::FixturePath(c.source));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(plugin.ToFile(c.audio, dir.File("track.mpa")), expected) << c.file << " #" << c.audio;
        EXPECT_EQ(plugin.ToHost(c.audio), expected) << c.file << " #" << c.audio;
    }
}

}  // namespace
}  // namespace ql_demux_test
