// The MXF core through its C exports, on a file made by ffmpeg: tracks with
// their media types, and extraction of the exact essence bytes of tracks.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cores/demo_demux_mxf/demo_demux_mxf.h"
#include "tests/cores/recording_output.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class MxfCore : public ::testing::Test {
protected:
    void SetUp() override {
        const mxf_demux_options options{};
        mxf_demux_settings settings{};
        settings.essence_tracks = 1;
        demux_ = mxfDemuxCreate(nullptr, &options, &settings);
        ASSERT_NE(demux_, nullptr);
    }
    void TearDown() override { mxfDemuxFree(demux_); }

    [[nodiscard]] bool Open(const std::string& path) { return mxfDemuxOpen(demux_, 0, path.c_str()) == 0; }

    std::vector<std::uint32_t> Types() {
        std::vector<std::uint32_t> types;
        mxf_file_info file{};
        if (mxfDemuxGetFileInfo(demux_, &file) != 0) return types;
        for (int32_t s = 0; s < file.stream_count; ++s) {
            mxf_stream_format format{};
            EXPECT_EQ(mxfDemuxGetStreamFormat(demux_, &format, s), 0);
            types.push_back(format.media_type);
        }
        return types;
    }

    mxf_demux_parser* NewParser() {
        const mxf_parser_settings settings{};
        return mxfDemuxCreateParser(demux_, &settings);
    }

    int32_t Add(mxf_demux_parser* parser, int32_t stream, coretest::RecordingOutput& output) {
        mxf_stream_selection selection{};
        selection.stream = stream;
        selection.output = output.Record();
        return mxfDemuxAddStream(demux_, parser, &selection);
    }

    int32_t Run(mxf_demux_parser* parser) {
        int32_t result = mxfDemuxSeek(demux_, parser, 0, 0);
        if (result != 0) return result;
        while ((result = mxfDemuxPush(demux_, parser)) > 0) {
        }
        return result;
    }

    mxf_demux* demux_ = nullptr;
};

TEST_F(MxfCore, ListsVideoAndTwoPcmTracks) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("video_two_pcm.mxf")));
    EXPECT_EQ(Types(), (std::vector<std::uint32_t>{3, 201, 201}));
}

TEST_F(MxfCore, PcmTrackComesOutRaw) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("video_two_pcm.mxf")));
    mxf_demux_parser* parser = NewParser();
    ASSERT_NE(parser, nullptr);
    coretest::RecordingOutput output;
    ASSERT_EQ(Add(parser, 1, output), 0);
    EXPECT_EQ(Run(parser), 0);
    EXPECT_EQ(output.Bytes(), testsupport::ReadFileBytes(testsupport::DemuxFixturePath("pcm_mono.s16le")));
    for (const auto& event : output.Events()) EXPECT_EQ(event.kind, coretest::OutputEvent::Kind::Write);
    mxfDemuxFreeParser(demux_, parser);
}

TEST_F(MxfCore, TracksAddedTogetherComeOutInOnePass) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("video_two_pcm.mxf")));
    mxf_demux_parser* parser = NewParser();
    coretest::RecordingOutput first, second;
    ASSERT_EQ(Add(parser, 2, second), 0);
    ASSERT_EQ(Add(parser, 1, first), 0);
    EXPECT_EQ(Add(parser, 1, first), -1) << "a track is added once";
    EXPECT_EQ(Run(parser), 0);
    EXPECT_EQ(first.Bytes(), testsupport::ReadFileBytes(testsupport::DemuxFixturePath("pcm_mono.s16le")));
    EXPECT_EQ(second.Bytes(), testsupport::ReadFileBytes(testsupport::DemuxFixturePath("pcm_mono.s24le")));
    // A second pass from the start gives the same again.
    first.Clear();
    EXPECT_EQ(Run(parser), 0);
    EXPECT_EQ(first.Bytes(), testsupport::ReadFileBytes(testsupport::DemuxFixturePath("pcm_mono.s16le")));
    mxfDemuxFreeParser(demux_, parser);
}

TEST_F(MxfCore, VideoTrackIsTheMpeg2Stream) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("video_two_pcm.mxf")));
    mxf_demux_parser* parser = NewParser();
    coretest::RecordingOutput output;
    ASSERT_EQ(Add(parser, 0, output), 0);
    EXPECT_EQ(Run(parser), 0);
    const Bytes video = output.Bytes();
    const Bytes sequence_header{0x00, 0x00, 0x01, 0xB3};
    ASSERT_GE(video.size(), 4u);
    EXPECT_TRUE(std::equal(sequence_header.begin(), sequence_header.end(), video.begin()));
    mxfDemuxFreeParser(demux_, parser);
}

TEST_F(MxfCore, SettingsAndArgumentsAreChecked) {
    const mxf_demux_options options{};
    const mxf_demux_settings zero{};
    EXPECT_EQ(mxfDemuxCreate(nullptr, &options, &zero), nullptr) << "byte 57 must be 1";
    EXPECT_EQ(mxfDemuxCreate(nullptr, &options, nullptr), nullptr);
    EXPECT_EQ(NewParser(), nullptr) << "nothing open";
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("video_two_pcm.mxf")));
    mxf_stream_format format{};
    EXPECT_EQ(mxfDemuxGetStreamFormat(demux_, &format, 3), -1);
    EXPECT_EQ(mxfDemuxGetStreamFormat(demux_, &format, -1), -1);
    mxf_demux_parser* parser = NewParser();
    coretest::RecordingOutput output;
    EXPECT_EQ(Add(parser, 3, output), -1);
    EXPECT_EQ(mxfDemuxSeek(demux_, parser, 0, 0), -1) << "no track added";
    EXPECT_EQ(mxfDemuxPush(demux_, parser), -1);
    mxfDemuxFreeParser(demux_, parser);
}

TEST_F(MxfCore, RecordsHoldOnlyTheirFields) {
    ASSERT_TRUE(Open(testsupport::DemuxFixturePath("video_two_pcm.mxf")));
    mxf_stream_format format;
    std::memset(&format, 0xAA, sizeof format);
    ASSERT_EQ(mxfDemuxGetStreamFormat(demux_, &format, 1), 0);
    unsigned char bytes[sizeof format];
    std::memcpy(bytes, &format, sizeof bytes);
    const unsigned char expected_type[4] = {201, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes + 8, expected_type, 4), 0) << "little-endian media type at byte 8";
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        if (i < 8 || i >= 12) {
            EXPECT_EQ(bytes[i], 0) << "byte " << i;
        }
    }
}

TEST_F(MxfCore, OtherContainersAreRefused) {
    EXPECT_FALSE(Open(testsupport::DemuxFixturePath("l2_mpeg2video.ts")));
    EXPECT_FALSE(Open(testsupport::DemuxFixturePath("l2_mpeg2video.mpg")));
    testsupport::TempDir dir;
    Bytes cut = testsupport::ReadFileBytes(testsupport::DemuxFixturePath("video_two_pcm.mxf"));
    cut.resize(200);
    EXPECT_FALSE(Open(dir.Write("cut.mxf", cut)));
}

}  // namespace
