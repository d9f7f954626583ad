// The WAVE plugin's code linked with the scripted core: the shared export
// contract with this plugin's lines, and what the track plugins do: tracks
// as program 0, the 128-track limit, a failed format query closing the
// connection, and the WAV sink for the PCM kinds it takes.

#include <gtest/gtest.h>

#include <algorithm>

#include "abi/bufstream_pcm.h"
#include "tests/plugins/ql_demux/scripted_contract.h"

namespace ql_demux_test {
namespace {

struct WavLines {
    static constexpr const char* kCreateFailed = "Unable to create a WAV demuxer instance.\n";
    static constexpr const char* kFileInfoFailed = "Error in wav_stream_enum - wavDemuxGetFileInfo call...\n";
    static constexpr const char* kEnumFailed = "Error in initialize_wav_demux - wav_stream_enum call...\n";
    static constexpr const char* kNoDemuxerInfo = "Error in wav_stream_info - no demuxer connected\n";
    static constexpr const char* kMediaTypeFailed = "Error in GetStreamMediaType - wav_stream_info call...\n";
    static constexpr ExtractionLines kToFile = {
        "Error: no demuxer connected\n",
        "Error in wav_demux_to_file - wrong stream index\n",
        "Unable to create an output bufstream.\n",
        "Unable to create file parser.\n",
        "Unable to set the stream in the parser.\n",
        "Unable to seek to the beginning of the file.\n",
        "Error in wav_demux_to_file - write error.\n",
    };
    static constexpr ExtractionLines kCallback = {
        "Error in wav_demux_callback - no demuxer connected.\n",
        "Error in wav_demux_callback - wrong stream index\n",
        "Unable to create an output bufstream [wav_demux_callback].\n",
        "Unable to create file parser [wav_demux_callback].\n",
        "Unable to set the stream in the parser [wav_demux_callback].\n",
        "Unable to seek to the beginning of the file [wav_demux_callback].\n",
        "Error in wav_demux_callback - write error.\n",
    };
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Wav, ScriptedPlugin, WavLines);

namespace {

class WavPlugin : public ScriptedPlugin<WavLines> {};

constexpr const char* kFormatFailed = "Error in wav_stream_info - wavDemuxGetStreamFormat call...\n";
constexpr const char* kInfoFailed = "Error in wav_stream_enum - wav_stream_info call...\n";

TEST_F(WavPlugin, TracksAreProgramZeroAndAFileOf128IsRefused) {
    scripted::Current().programs = {127};
    ASSERT_EQ(LoadFile(Source().c_str()), 0);
    EXPECT_EQ(Count(), 127);
    EXPECT_EQ(EntryAt(126), (Entry{0, 126, 131}));
    EXPECT_TRUE(lines_.Lines().empty());

    UnloadFile();
    lines_.Clear();
    scripted::Current().programs = {200};
    EXPECT_EQ(LoadFile(Source().c_str()), -1);
    EXPECT_EQ(lines_.Lines(),
              (Lines{"Warning: Video file streams count exceeds or equals 128.\n", WavLines::kEnumFailed}));
    EXPECT_EQ(Count(), 128);
    const auto& calls = scripted::Current().calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "stream_format 0 128"), 0) << "the listing stops at the 128th";
    EXPECT_EQ(scripted::Current().live_instances, 0);
}

TEST_F(WavPlugin, FailedFormatQueryClosesTheConnectionAndFailsTheFile) {
    scripted::Current().media_type = [](std::int32_t, std::int32_t track) { return track == 1 ? -1 : 131; };
    EXPECT_EQ(LoadFile(Source().c_str()), -1);
    EXPECT_EQ(lines_.Lines(), (Lines{kFormatFailed, kInfoFailed, WavLines::kNoDemuxerInfo, kInfoFailed,
                                     WavLines::kEnumFailed}));
    EXPECT_EQ(Count(), 3);
    EXPECT_TRUE(scripted::CallsAfter("free").empty()) << "no core call once the connection is closed";
}

TEST_F(WavPlugin, OnlyThePcmKindsTheWavSinkTakesBecomeWaveFiles) {
    auto& script = scripted::Current();
    const Bytes samples{0x12, 0x34, 0xFF, 0xFE};
    Bytes tagged{'L', 'P', 'C', 'M', 0x04, 0x01, 0, 0};
    tagged.insert(tagged.end(), samples.begin(), samples.end());
    script.programs = {1};
    script.chunks = {tagged};
    script.command_after_chunk = BUFSTREAM_CMD_PCM_PACKET_TAGGED;
    script.command_data.assign(sizeof(bufstream_pcm_stream_desc), 0);
    // DVD LPCM becomes a WAVE file of little-endian samples; MPEG audio and
    // plain PCM go out as the core sends them.
    for (const std::int32_t type : {202, 131, 201}) {
        script.media_type = [type](std::int32_t, std::int32_t) { return type; };
        Load();
        const Bytes out = ToFile(0);
        if (type == 202) {
            ASSERT_EQ(out.size(), 44u + samples.size());
            EXPECT_EQ(std::string(out.begin(), out.begin() + 4), "RIFF");
            EXPECT_EQ(Bytes(out.begin() + 44, out.end()), (Bytes{0x34, 0x12, 0xFE, 0xFF}));
        } else {
            EXPECT_EQ(out, tagged) << type;
        }
        UnloadFile();
    }
}

}  // namespace
}  // namespace ql_demux_test
