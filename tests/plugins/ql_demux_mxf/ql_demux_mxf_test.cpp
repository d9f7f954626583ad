// The MXF plugin's code linked with the scripted core: the shared export
// contract with this plugin's lines, and what only this plugin does: tracks
// as program 0, the silent limit of 128, failed format queries that keep
// the connection, and the plain file sink for every kind.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "abi/bufstream_pcm.h"
#include "tests/plugins/ql_demux/scripted_contract.h"

namespace ql_demux_test {
namespace {

struct MxfLines {
    static constexpr const char* kCreateFailed = "Unable create a MXF demuxer instance.\n";
    static constexpr const char* kFileInfoFailed = "Error in mxf_stream_enum - mxfDemuxGetFileInfo call...\n";
    static constexpr const char* kEnumFailed = "Error in initialize_mxf_demux - mxf_stream_enum call...\n";
    static constexpr const char* kNoDemuxerInfo = "Error in mxf_stream_info - no demuxer connected\n";
    static constexpr const char* kMediaTypeFailed = "Error in GetStreamMediaType - mxf_stream_info call...\n";
    static constexpr ExtractionLines kToFile = {
        "Error: no demuxer connected\n",
        "Error in mxf_demux_to_file - wrong stream index\n",
        nullptr,  // an output that cannot be created ends the extraction without a line
        "Unable to create new parser\n",
        "Unable to add stream.\n",
        "Unable to seek on start position.\n",
        "Error in mxf_demux_to_file - write error.\n",
    };
    static constexpr ExtractionLines kCallback = {
        "Error in mxf_demux_callback - no demuxer connected.\n",
        "Error in mxf_demux_callback - wrong stream index.\n",
        nullptr,
        "Unable to create new parser [mxf_demux_callback].\n",
        "Unable to add stream [mxf_demux_callback].\n",
        "Unable to seek on start position [mxf_demux_callback].\n",
        "Error in mxf_demux_callback - write error.\n",
    };
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Mxf, ScriptedPlugin, MxfLines);

namespace {

class MxfPlugin : public ScriptedPlugin<MxfLines> {};

TEST_F(MxfPlugin, TracksAreProgramZeroInFileOrder) {
    scripted::Current().programs = {3};
    scripted::Current().media_type = [](std::int32_t, std::int32_t track) { return track == 0 ? 3 : 201; };
    ASSERT_EQ(LoadFile(Source().c_str()), 0);
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(EntryAt(0), (Entry{0, 0, 3}));
    EXPECT_EQ(EntryAt(1), (Entry{0, 1, 201}));
    EXPECT_EQ(EntryAt(2), (Entry{0, 2, 201}));
}

TEST_F(MxfPlugin, TwoHundredTracksListTheFirst128Silently) {
    scripted::Current().programs = {200};
    ASSERT_EQ(LoadFile(Source().c_str()), 0);
    EXPECT_EQ(Count(), 128);
    EXPECT_EQ(EntryAt(127), (Entry{0, 127, 131}));
    EXPECT_TRUE(lines_.Lines().empty());
    const auto& calls = scripted::Current().calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "stream_format 0 128"), 0);
}

TEST_F(MxfPlugin, NegativeTrackCountListsNothing) {
    scripted::Current().programs = {-5};
    ASSERT_EQ(LoadFile(Source().c_str()), 0);
    EXPECT_EQ(Count(), 0);
}

TEST_F(MxfPlugin, FailedFormatQueryListsTypeZeroAndGoesOn) {
    scripted::Current().media_type = [](std::int32_t, std::int32_t track) { return track == 1 ? -1 : 131; };
    ASSERT_EQ(LoadFile(Source().c_str()), 0);
    EXPECT_EQ(lines_.Lines(), (Lines{"Unable to get stream format for stream 1\n",
                                     "Error in mxf_stream_enum - mxf_stream_info call...\n"}));
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(scripted::Current().live_instances, 1);
    lines_.Clear();
    std::int32_t status = 0;
    EXPECT_EQ(EntryAt(1, &status), (Entry{0, 1, -1}));
    EXPECT_EQ(status, -1);
    EXPECT_EQ(lines_.Lines(), (Lines{"Unable to get stream format for stream 1\n",
                                     "Error in GetStreamMediaType - mxf_stream_info call...\n"}));
    EXPECT_EQ(scripted::Current().live_instances, 1) << "the connection stays open";
    EXPECT_EQ(ToFile(2), AsBytes("first second third"));
}

TEST_F(MxfPlugin, PcmTracksGoOutRawThroughTheFileSink) {
    auto& script = scripted::Current();
    script.media_type = [](std::int32_t, std::int32_t) { return 202; };
    script.chunks = {AsBytes("LPCM"), AsBytes("\x12\x34")};
    script.command_after_chunk = BUFSTREAM_CMD_PCM_PACKET_TAGGED;
    script.command_data.assign(sizeof(bufstream_pcm_stream_desc), 0);
    Load();
    EXPECT_EQ(ToFile(1), AsBytes("LPCM\x12\x34"));
}

TEST_F(MxfPlugin, ParserComesBeforeTheSink) {
    Load();
    scripted::Current().parser_fails = true;
    EXPECT_EQ(DemuxStreamToFile(1, Output().c_str()), -1);
    EXPECT_FALSE(std::filesystem::exists(Output())) << "no output file without a parser";
}

}  // namespace
}  // namespace ql_demux_test
