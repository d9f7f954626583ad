// The track core through its C calls and the named cores on files made by
// ffmpeg: each container kind opens only its own files (a QuickTime file
// with ProRes video is of the ProRes kind only), the named cores create
// instances of their own kind only, and two tracks added together come out
// whole in one pass.

#include <gtest/gtest.h>

#include <vector>

#include "cores/demo_demux_asf/demo_demux_asf.h"
#include "cores/demo_demux_mp4/demo_demux_mp4.h"
#include "cores/track_demux/track_demux.h"
#include "tests/cores/recording_output.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Fixture(const std::string& name) { return testsupport::FixturePath(name); }

track_demux* NewInstance(int container) {
    const track_demux_options options{};
    track_demux_settings settings{};
    settings.container = static_cast<std::uint8_t>(container);
    return trackDemuxCreate(nullptr, &options, &settings);
}

bool Opens(int container, const std::string& path) {
    track_demux* demux = NewInstance(container);
    const bool opened = demux != nullptr && trackDemuxOpen(demux, 0, path.c_str()) == 0;
    trackDemuxFree(demux);
    return opened;
}

TEST(TrackCore, EachKindOpensOnlyItsOwnFiles) {
    struct Case {
        const char* file;
        int kind;  // 0: none
    };
    const Case cases[] = {
        {"demux/mp3_h264.mp4", TRACK_CONTAINER_MP4},      {"demux/h264_mp2.mov", TRACK_CONTAINER_MP4},
        {"demux/prores_mp2.mov", TRACK_CONTAINER_PRORES}, {"demux/l3.wav", TRACK_CONTAINER_WAVE},
        {"demux/mpeg4_mp3_cbr.avi", TRACK_CONTAINER_AVI}, {"demux/mp3.asf", TRACK_CONTAINER_ASF},
        {"demux/video_two_pcm.mxf", TRACK_CONTAINER_MXF}, {"demux/l2_mpeg2video.ts", 0},
        {"crc_l3_44k_64k_mono.mp3", 0},
    };
    for (const Case& c : cases) {
        for (int kind = TRACK_CONTAINER_MP4; kind <= TRACK_CONTAINER_MXF; ++kind) {
            EXPECT_EQ(Opens(kind, Fixture(c.file)), kind == c.kind) << c.file << " as kind " << kind;
        }
    }
}

TEST(TrackCore, InstancesAreMadeOnlyForAKnownKindAndByTheirOwnCore) {
    EXPECT_EQ(NewInstance(0), nullptr);
    EXPECT_EQ(NewInstance(TRACK_CONTAINER_MXF + 1), nullptr);
    const track_demux_options options{};
    track_demux_settings asf{};
    asf.container = TRACK_CONTAINER_ASF;
    EXPECT_EQ(mp4DemuxCreate(nullptr, &options, &asf), nullptr);
    track_demux* demux = asfDemuxCreate(nullptr, &options, &asf);
    ASSERT_NE(demux, nullptr);
    EXPECT_EQ(asfDemuxOpen(demux, 0, Fixture("demux/mp3.asf").c_str()), 0);
    EXPECT_EQ(asfDemuxOpen(demux, 0, Fixture("demux/mp3_h264.mp4").c_str()), -1);
    track_file_info info{};
    EXPECT_EQ(asfDemuxGetFileInfo(demux, &info), -1) << "the refused file closed the one before";
    asfDemuxFree(demux);
}

TEST(TrackCore, TwoAudioTracksComeOutWholeInOnePass) {
    track_demux* demux = NewInstance(TRACK_CONTAINER_MP4);
    ASSERT_EQ(trackDemuxOpen(demux, 0, Fixture("demux/h264_mp2_mp3.mp4").c_str()), 0);
    const track_parser_settings settings{};
    track_demux_parser* parser = trackDemuxCreateParser(demux, &settings);
    ASSERT_NE(parser, nullptr);
    coretest::RecordingOutput layer2, layer3;
    for (auto [track, output] : {std::pair{2, &layer3}, std::pair{1, &layer2}}) {
        const track_stream_selection selection{track, output->Record(), {}};
        ASSERT_EQ(trackDemuxAddStream(demux, parser, &selection), 0);
    }
    ASSERT_EQ(trackDemuxSeek(demux, parser, 0, 0), 0);
    int32_t result = 0;
    while ((result = trackDemuxPush(demux, parser)) > 0) {
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(layer2.Bytes(), testsupport::ReadFileBytes(Fixture("crc_l2_44k_256k_stereo.mp2")));
    EXPECT_EQ(layer3.Bytes(), testsupport::ReadFileBytes(Fixture("crc_l3_44k_64k_mono.mp3")));
    trackDemuxFreeParser(demux, parser);
    trackDemuxFree(demux);
}

}  // namespace
