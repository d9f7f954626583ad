// The export contract, run against every delivered plugin file with their
// real cores: listing a file made by ffmpeg, byte-exact extraction to a file
// and to the host, twice from one LoadFile, and bad input of every kind,
// which ends in -1 with an empty or short output and the plugin's lines,
// never in a crash or a hang.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "tests/plugins/ql_demux/real_plugin.h"

namespace ql_demux_test {
namespace {

struct PluginCase {
    const char* name;
    std::string library;
    const char* container;     // under tests/data/demux
    Listing listing;
    std::int32_t audio;        // the stream compared byte for byte
    std::string audio_source;  // what was muxed as that stream
    const char* other_kind;    // a container of the other plugin
    const char* seek_failed;   // the line when the file has gone
    std::string no_demuxer;
};

class PluginContract : public ::testing::TestWithParam<PluginCase> {
protected:
    void SetUp() override { ASSERT_TRUE(plugin_.Loaded()) << plugin_.Error(); }

    const PluginExports& api() const { return plugin_.api(); }
    std::string Copy(const std::string& name) const {
        const std::string path = dir_.File(name);
        std::filesystem::copy_file(DemuxFixture(GetParam().container), path);
        return path;
    }

    RealPlugin plugin_{GetParam().library.c_str()};
    testsupport::TempDir dir_;
};

TEST_P(PluginContract, ListsTheStreamsOfItsContainer) {
    ASSERT_EQ(api().LoadFile(DemuxFixture(GetParam().container).c_str()), 0);
    EXPECT_EQ(plugin_.List(), GetParam().listing);
}

TEST_P(PluginContract, ExtractsTheOriginalBytesToFileAndHostAgainAndAgain) {
    const Bytes expected = testsupport::ReadFileBytes(GetParam().audio_source);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(api().LoadFile(DemuxFixture(GetParam().container).c_str()), 0);
    EXPECT_EQ(plugin_.ToFile(GetParam().audio, dir_.File("first.bin")), expected);
    EXPECT_EQ(plugin_.ToFile(GetParam().audio, dir_.File("second.bin")), expected);
    EXPECT_EQ(plugin_.ToHost(GetParam().audio), expected);
    EXPECT_EQ(plugin_.ToHost(GetParam().audio), expected);
    EXPECT_EQ(plugin_.List(), GetParam().listing);
}

TEST_P(PluginContract, RefusesWhatItCannotRead) {
    std::mt19937 random(11);
    Bytes noise(256 * 1024);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
    for (const std::string& path : {DemuxFixture(GetParam().other_kind), dir_.Write("noise.bin", noise),
                                    dir_.Write("empty.bin", {}), dir_.File("missing.bin")}) {
        EXPECT_EQ(api().LoadFile(path.c_str()), -1) << path;
        std::int32_t count = -1;
        api().GetStreamsCount(&count);
        EXPECT_EQ(count, 0) << path;
        // Nothing is connected: extraction writes its line and no output.
        StderrCapture capture;
        EXPECT_TRUE(plugin_.ToFile(0, dir_.File("out.bin"), -1).empty());
        EXPECT_FALSE(std::filesystem::exists(dir_.File("out.bin")));
        EXPECT_TRUE(plugin_.ToHost(0, -1).empty());
        EXPECT_TRUE(capture.Contains("Error: no demuxer connected\n"));
        EXPECT_TRUE(capture.Contains(GetParam().no_demuxer));
    }
}

TEST_P(PluginContract, TruncatedFileGivesAPrefixOrIsRefused) {
    const Bytes expected = testsupport::ReadFileBytes(GetParam().audio_source);
    Bytes container = testsupport::ReadFileBytes(DemuxFixture(GetParam().container));
    int loaded = 0;
    for (const std::size_t keep : {container.size() / 2 + 77, container.size() / 5, std::size_t{1000}}) {
        const std::string path = dir_.Write("cut.bin", Bytes(container.begin(), container.begin() + keep));
        if (api().LoadFile(path.c_str()) != 0) continue;
        ++loaded;
        std::filesystem::remove(dir_.File("cut.out"));
        // The core may take the cut for the stream's end or fail at it.
        const Bytes got = plugin_.ToFile(GetParam().audio, dir_.File("cut.out"), std::nullopt);
        ASSERT_LE(got.size(), expected.size()) << keep;
        EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin())) << "bytes changed, keeping " << keep;
        EXPECT_EQ(plugin_.ToHost(GetParam().audio, std::nullopt), got);
    }
    EXPECT_GT(loaded, 0) << "a file cut in half still lists its streams";
}

TEST_P(PluginContract, FileRemovedAfterLoadingGivesAnEmptyOutputAndItsLines) {
    const std::string path = Copy("gone.bin");
    ASSERT_EQ(api().LoadFile(path.c_str()), 0);
    std::filesystem::remove(path);
    StderrCapture capture;
    const std::string out = dir_.File("out.bin");
    EXPECT_TRUE(plugin_.ToFile(GetParam().audio, out, -1).empty());
    EXPECT_TRUE(capture.Contains(GetParam().seek_failed));
    // The re-opening failed too: nothing is connected any more.
    EXPECT_TRUE(plugin_.ToHost(GetParam().audio, -1).empty());
    EXPECT_TRUE(capture.Contains(GetParam().no_demuxer));
    std::int32_t count = -1;
    api().GetStreamsCount(&count);
    EXPECT_EQ(count, 0);
}

TEST_P(PluginContract, WrongIndexWritesNothingAndStaysReady) {
    ASSERT_EQ(api().LoadFile(DemuxFixture(GetParam().container).c_str()), 0);
    const auto count = static_cast<std::int32_t>(GetParam().listing.size());
    EXPECT_TRUE(plugin_.ToFile(count, dir_.File("out.bin"), -1).empty());
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.bin")));
    EXPECT_TRUE(plugin_.ToHost(-1, -1).empty());
    EXPECT_EQ(plugin_.ToFile(GetParam().audio, dir_.File("out.bin")),
              testsupport::ReadFileBytes(GetParam().audio_source));
}

struct AbortingReceiver {
    const PluginExports* api;
    Bytes received;
};

// Keeps the first chunk and asks for the abort from inside the send call:
// the push under way ends and the next one is not made.
std::int32_t TAMBERLY_STDCALL AbortAtFirstChunk(void* owner, const void* data, std::int32_t size) {
    auto& receiver = *static_cast<AbortingReceiver*>(owner);
    const bool first = receiver.received.empty();
    AppendChunk(&receiver.received, data, size);
    if (first) receiver.api->AbortDemux(0);
    return 0;
}

TEST_P(PluginContract, AbortMidExtractionLeavesAPrefixAndStaysReady) {
    const Bytes expected = testsupport::ReadFileBytes(GetParam().audio_source);
    ASSERT_EQ(api().LoadFile(DemuxFixture(GetParam().container).c_str()), 0);
    AbortingReceiver receiver{&api(), {}};
    EXPECT_EQ(api().DemuxStreamCallBack(GetParam().audio, &AbortAtFirstChunk, &receiver), 0);
    ASSERT_FALSE(receiver.received.empty());
    EXPECT_LT(receiver.received.size(), expected.size());
    EXPECT_TRUE(std::equal(receiver.received.begin(), receiver.received.end(), expected.begin()));
    EXPECT_EQ(plugin_.ToHost(GetParam().audio), expected);
}

TEST_P(PluginContract, PathLongerThan259BytesIsRefused) {
    const std::string folder = dir_.Path().string() + "/";
    const std::string too_long = folder + std::string(260 - folder.size(), 'x');
    StderrCapture capture;
    EXPECT_EQ(api().LoadFile(too_long.c_str()), -1);
    EXPECT_TRUE(capture.Contains("Error in LoadFile - invalid file name.\n"));
}

const PluginCase kMp2 = {
    "mpeg2", "demo_ql_demux_mp2", "l2_mpeg2video.ts", {{0, 0, 3}, {0, 1, 131}}, 1,
    testsupport::FixturePath("tone_l2_44k_128k.mp2"), "video_two_pcm.mxf",
    "Unable to seek to the beginning of the file.\n", "Error in mp2_demux_callback - no demuxer connected.\n",
};

const PluginCase kMxf = {
    "mxf", "demo_ql_demux_mxf", "video_two_pcm.mxf", {{0, 0, 3}, {0, 1, 201}, {0, 2, 201}}, 1,
    DemuxFixture("pcm_mono.s16le"), "l2_mpeg2video.ts",
    "Unable to seek on start position.\n", "Error in mxf_demux_callback - no demuxer connected.\n",
};

// The track plugins, each with a container of a kind that is close to its
// own as the one it must refuse.
PluginCase TrackCase(const char* name, const char* container, Listing listing, std::int32_t audio,
                     const char* source, const char* other_kind) {
    return {name,
            std::string("demo_ql_demux_") + name,
            container,
            std::move(listing),
            audio,
            testsupport::FixturePath(source),
            other_kind,
            "Unable to seek to the beginning of the file.\n",
            std::string("Error in ") + name + "_demux_callback - no demuxer connected.\n"};
}

const PluginCase kMp4 = TrackCase("mp4", "mp3_h264.mp4", {{0, 0, 10}, {0, 1, 131}}, 1, "crc_l3_44k_64k_mono.mp3",
                                  "prores_mp2.mov");
const PluginCase kProRes = TrackCase("prores", "prores_mp2.mov", {{0, 0, 127}, {0, 1, 131}}, 1,
                                     "crc_l2_44k_256k_stereo.mp2", "h264_mp2.mov");
const PluginCase kWav = TrackCase("wav", "l2.wav", {{0, 0, 131}}, 0, "crc_l2_44k_256k_stereo.mp2", "mpeg4_mp3_cbr.avi");
const PluginCase kAvi = TrackCase("avi", "mpeg4_mp3_vbr.avi", {{0, 0, 4}, {0, 1, 132}}, 1, "lsf_l3_16k_vbr.mp3",
                                  "l3.wav");
const PluginCase kAsf = TrackCase("asf", "mp3.asf", {{0, 0, 131}}, 0, "crc_l3_44k_64k_mono.mp3", "mp3_h264.mp4");

INSTANTIATE_TEST_SUITE_P(Plugins, PluginContract, ::testing::Values(kMp2, kMxf, kMp4, kProRes, kWav, kAvi, kAsf),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ql_demux_test
