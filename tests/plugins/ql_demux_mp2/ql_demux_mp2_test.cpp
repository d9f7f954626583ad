// The MPEG-2 plugin's code linked with the scripted core: the shared export
// contract with this plugin's lines, and what only this plugin does:
// programs, the 128-stream limit, a failed format query closing the
// connection, and the WAV sink for the PCM kinds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "abi/bufstream_pcm.h"
#include "tests/plugins/ql_demux/scripted_contract.h"

namespace ql_demux_test {
namespace {

struct Mp2Lines {
    static constexpr const char* kCreateFailed = "Unable to create a MP2 demuxer instance.\n";
    static constexpr const char* kFileInfoFailed = "Error in mp2_stream_enum - mp2DemuxGetFileInfo call...";
    static constexpr const char* kEnumFailed = "Error in initialize_mp2_demux - mp2_stream_enum call...\n";
    static constexpr const char* kNoDemuxerInfo = "Error in mp2_stream_info - no demuxer connected\n";
    static constexpr const char* kMediaTypeFailed = "Error in GetStreamMediaType - mp2_stream_info call...\n";
    static constexpr ExtractionLines kToFile = {
        "Error: no demuxer connected\n",
        "Error in mp2_demux_to_file - wrong stream index\n",
        "Unable to create an output bufstream.\n",
        "Unable to create file parser.\n",
        "Unable to set the stream in the parser.\n",
        "Unable to seek to the beginning of the file.\n",
        "Error in mp2_demux_to_file - write error.\n",
    };
    static constexpr ExtractionLines kCallback = {
        "Error in mp2_demux_callback - no demuxer connected.\n",
        "Error in mp2_demux_callback - wrong stream index\n",
        "Unable to create an output bufstream [mp2_demux_callback].\n",
        "Unable to create file parser [mp2_demux_callback].\n",
        "Unable to set the stream in the parser [mp2_demux_callback].\n",
        "Unable to seek to the beginning of the file [mp2_demux_callback].\n",
        "Error in mp2_demux_callback - write error.\n",
    };
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Mp2, ScriptedPlugin, Mp2Lines);

namespace {

class Mp2Plugin : public ScriptedPlugin<Mp2Lines> {};

constexpr const char* kFormatFailed = "Error in mp2_stream_info - mp2DemuxGetStreamFormat call...\n";
constexpr const char* kInfoFailed = "Error in mp2_stream_enum - mp2_stream_info call...\n";
constexpr const char* kNoDemuxer = "Error in mp2_stream_info - no demuxer connected\n";
constexpr const char* kEnumFailed = "Error in initialize_mp2_demux - mp2_stream_enum call...\n";

TEST_F(Mp2Plugin, TwoProgramsOfThreeStreamsAreNumberedProgramByProgram) {
    scripted::Current().programs = {3, 3};
    scripted::Current().media_type = [](std::int32_t program, std::int32_t stream) { return 10 * program + stream; };
    ASSERT_EQ(LoadFile(Source().c_str()), 0);
    ASSERT_EQ(Count(), 6);
    for (std::int32_t i = 0; i < 6; ++i) EXPECT_EQ(EntryAt(i), (Entry{i / 3, i % 3, 10 * (i / 3) + i % 3})) << i;
    EXPECT_EQ(ToFile(4), AsBytes("first second third"));
    bool chose_program_1 = false;
    for (const auto& call : scripted::Current().calls) chose_program_1 = chose_program_1 || call == "set_stream 1 1";
    EXPECT_TRUE(chose_program_1);
}

TEST_F(Mp2Plugin, HundredTwentySevenStreamsLoad) {
    scripted::Current().programs = {100, 27};
    ASSERT_EQ(LoadFile(Source().c_str()), 0);
    EXPECT_EQ(Count(), 127);
    EXPECT_EQ(EntryAt(126), (Entry{1, 26, 131}));
    EXPECT_TRUE(lines_.Lines().empty());
}

TEST_F(Mp2Plugin, HundredTwentyEightStreamsFailWithTheWarning) {
    scripted::Current().programs = {100, 28, 5};
    EXPECT_EQ(LoadFile(Source().c_str()), -1);
    EXPECT_EQ(lines_.Lines(), (Lines{"Warning: Video file streams count exceeds or equals 128.\n", kEnumFailed}));
    EXPECT_EQ(Count(), 128);
    const auto& calls = scripted::Current().calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "program_info 2"), 0) << "the enumeration stops at the 128th";
    EXPECT_EQ(scripted::Current().live_instances, 0);
}

TEST_F(Mp2Plugin, FailedFormatQueryClosesTheConnectionAndFailsTheFile) {
    scripted::Current().programs = {3, 2};
    scripted::Current().media_type = [](std::int32_t program, std::int32_t stream) {
        return program == 0 && stream == 1 ? -1 : 131;
    };
    EXPECT_EQ(LoadFile(Source().c_str()), -1);
    EXPECT_EQ(lines_.Lines(), (Lines{kFormatFailed, kInfoFailed, kNoDemuxer, kInfoFailed, kEnumFailed}));
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(EntryAt(1).program, 0);
    EXPECT_TRUE(scripted::CallsAfter("free").empty()) << "no core call once the connection is closed";
}

TEST_F(Mp2Plugin, FailedMediaTypeQueryClosesTheConnection) {
    Load();
    scripted::Current().media_type = [](std::int32_t, std::int32_t) { return -1; };
    std::int32_t status = 0;
    EXPECT_EQ(EntryAt(2, &status), (Entry{0, 2, -1}));
    EXPECT_EQ(status, -1);
    EXPECT_EQ(lines_.Lines(), (Lines{kFormatFailed, "Error in GetStreamMediaType - mp2_stream_info call...\n"}));
    EXPECT_EQ(scripted::Current().live_instances, 0);
}

TEST_F(Mp2Plugin, FailedProgramQueryFailsTheFile) {
    scripted::Current().programs = {1, 1};
    scripted::Current().program_info_fails_at = 1;
    EXPECT_EQ(LoadFile(Source().c_str()), -1);
    EXPECT_EQ(lines_.Lines(), (Lines{"Error in mp2_stream_enum - mp2DemuxGetProgramInfo call...", kEnumFailed}));
}

// A DVD LPCM packet of two stereo 16-bit sample frames, as the core sends it:
// the tag header, then big-endian samples, then the tagged-packet command.
void ScriptLpcmStream(std::int32_t media_type, const char* tag, std::uint8_t code, std::uint8_t params) {
    auto& script = scripted::Current();
    script.programs = {1};
    script.media_type = [media_type](std::int32_t, std::int32_t) { return media_type; };
    Bytes first{static_cast<std::uint8_t>(tag[0]), static_cast<std::uint8_t>(tag[1]), static_cast<std::uint8_t>(tag[2]),
                static_cast<std::uint8_t>(tag[3]), code, params, 0, 0};
    const Bytes samples{0x12, 0x34, 0xFF, 0xFE, 0x00, 0x01, 0x80, 0x00};
    first.insert(first.end(), samples.begin(), samples.end());
    script.chunks = {first, samples};
    script.command_after_chunk = BUFSTREAM_CMD_PCM_PACKET_TAGGED;
    script.command_data.assign(sizeof(bufstream_pcm_stream_desc), 0);
}

TEST_F(Mp2Plugin, PcmKindsBecomeWaveFiles) {
    // DVD LPCM (202) and HDMV LPCM (203): 16-bit samples come out little-endian.
    for (const auto& [type, tag, code] : {std::tuple{202, "LPCM", std::uint8_t{0x04}},
                                          std::tuple{203, "HDMV", std::uint8_t{BUFSTREAM_PCM_TAG_HDMV}}}) {
        ScriptLpcmStream(type, tag, code, 0x01);
        Load();
        const Bytes wave = ToFile(0);
        ASSERT_EQ(wave.size(), 44u + 16u) << type;
        EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
        const Bytes data(wave.begin() + 44, wave.end());
        EXPECT_EQ(data, (Bytes{0x34, 0x12, 0xFE, 0xFF, 0x01, 0x00, 0x00, 0x80, 0x34, 0x12, 0xFE, 0xFF, 0x01, 0x00,
                               0x00, 0x80}));
        UnloadFile();
    }
    // SMPTE 302M (210) is the third kind the WAV sink takes.
    ScriptLpcmStream(210, "AES3", BUFSTREAM_PCM_TAG_AES_302M, 0x01);
    Load();
    const Bytes wave = ToFile(0);
    ASSERT_GE(wave.size(), 44u);
    EXPECT_EQ(std::string(wave.begin() + 8, wave.begin() + 12), "WAVE");
}

TEST_F(Mp2Plugin, OtherKindsAndCallbacksTakeTheBytesAsTheyCome) {
    ScriptLpcmStream(131, "LPCM", 0x04, 0);
    Load();
    const Bytes raw = ToFile(0);
    EXPECT_EQ(std::string(raw.begin(), raw.begin() + 4), "LPCM") << "no WAV sink for MPEG audio";
    ScriptLpcmStream(202, "LPCM", 0x04, 0);
    Load();
    const Receiver receiver = ToHost(0);
    ASSERT_EQ(receiver.chunks.size(), 2u) << "the counting sink whatever the kind";
    EXPECT_EQ(std::string(receiver.chunks[0].begin(), receiver.chunks[0].begin() + 4), "LPCM");
}

}  // namespace
}  // namespace ql_demux_test
