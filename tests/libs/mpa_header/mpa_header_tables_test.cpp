// The header tables against two oracles: the test builder's own tables and
// formulas (every version, layer, index and padding), and ffprobe's packet
// sizes for the bundled streams (tests/data/*.ffprobe.csv).

#include "libs/mpa_header/mpa_header_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::MpaFrameSpec;
using testsupport::MpaVersion;

struct VersionCase {
    MpaVersion builder;
    int code;
};

constexpr VersionCase kVersions[] = {
    {MpaVersion::Mpeg1, mpa_header::kVersionMpeg1},
    {MpaVersion::Mpeg2, mpa_header::kVersionMpeg2},
    {MpaVersion::Mpeg25, mpa_header::kVersionMpeg25},
};

TEST(MpaHeaderTablesTest, AgreeWithTheBuilderForEveryHeader) {
    for (const VersionCase& version : kVersions) {
        for (int layer = 1; layer <= 3; ++layer) {
            for (int bitrate = 0; bitrate <= 15; ++bitrate) {
                for (int sampling = 0; sampling <= 3; ++sampling) {
                    for (int padding = 0; padding <= 1; ++padding) {
                        MpaFrameSpec fields;
                        fields.version = version.builder;
                        fields.layer = 4 - layer;
                        fields.bitrateIndex = bitrate;
                        fields.samplingIndex = sampling;
                        fields.padding = padding;
                        SCOPED_TRACE(testing::Message() << "version " << version.code << " layer " << layer
                                                        << " bitrate " << bitrate << " sampling " << sampling
                                                        << " padding " << padding);
                        EXPECT_EQ(mpa_header::BitrateKbps(version.code, layer, bitrate), testsupport::BitrateKbps(fields));
                        EXPECT_EQ(mpa_header::SamplingRateHz(version.code, sampling), testsupport::SamplingRateHz(fields));
                        EXPECT_EQ(mpa_header::FrameLengthFromIndices(version.code, layer, bitrate, sampling, padding),
                                  testsupport::FrameLength(fields));
                    }
                }
            }
        }
    }
}

TEST(MpaHeaderTablesTest, SplitHeaderGivesBackWhatTheBuilderWrote) {
    for (const VersionCase& version : kVersions) {
        for (int field = 0; field < 16; ++field) {
            MpaFrameSpec fields;
            fields.version = version.builder;
            fields.layer = field & 3;
            fields.crc = (field & 1) != 0;
            fields.bitrateIndex = field;
            fields.samplingIndex = (field + 1) & 3;
            fields.padding = (field >> 1) & 1;
            fields.privateBit = (field >> 2) & 1;
            fields.mode = (field + 2) & 3;
            fields.modeExtension = (field + 3) & 3;
            fields.copyright = (field >> 3) & 1;
            fields.original = field & 1;
            fields.emphasis = (field >> 2) & 3;
            const testsupport::Bytes bytes = testsupport::MakeHeader(fields);
            const mpa_header::HeaderFields f = mpa_header::SplitHeader(mpa_header::HeaderWord(bytes.data()));
            EXPECT_EQ(f.sync, version.code == mpa_header::kVersionMpeg25 ? 0xFFE : 0xFFF);
            EXPECT_EQ(f.id, version.code & 1);
            EXPECT_EQ(f.layer_code, fields.layer);
            EXPECT_EQ(f.protection, fields.crc ? 0 : 1);
            EXPECT_EQ(f.bitrate_index, fields.bitrateIndex);
            EXPECT_EQ(f.sampling_index, fields.samplingIndex);
            EXPECT_EQ(f.padding, fields.padding);
            EXPECT_EQ(f.private_bit, fields.privateBit);
            EXPECT_EQ(f.mode, fields.mode);
            EXPECT_EQ(f.mode_extension, fields.modeExtension);
            EXPECT_EQ(f.copyright, fields.copyright);
            EXPECT_EQ(f.original, fields.original);
            EXPECT_EQ(f.emphasis, fields.emphasis);
        }
    }
}

TEST(MpaHeaderTablesTest, LayerFromCodeAndSamplesPerFrame) {
    EXPECT_EQ(mpa_header::LayerFromCode(3), 1);
    EXPECT_EQ(mpa_header::LayerFromCode(2), 2);
    EXPECT_EQ(mpa_header::LayerFromCode(1), 3);
    EXPECT_EQ(mpa_header::LayerFromCode(0), 0);
    EXPECT_EQ(mpa_header::LayerFromCode(4), 0);
    EXPECT_EQ(mpa_header::LayerFromCode(-1), 0);
    EXPECT_EQ(mpa_header::SamplesPerFrame(mpa_header::kVersionMpeg1, 3), 1152);
    EXPECT_EQ(mpa_header::SamplesPerFrame(mpa_header::kVersionMpeg25, 3), 576);
    EXPECT_EQ(mpa_header::SamplesPerFrame(mpa_header::kVersionReserved, 1), 0);
}

// Free-format bitrates come in bit/s; the padding slot is added to whatever
// the bitrate gives.
TEST(MpaHeaderTablesTest, FrameLengthFromAnyBitrate) {
    EXPECT_EQ(mpa_header::FrameLengthBytes(mpa_header::kVersionMpeg1, 2, 640000, 48000, 0), 1920);
    EXPECT_EQ(mpa_header::FrameLengthBytes(mpa_header::kVersionMpeg1, 1, 0, 44100, 1), 4);
    EXPECT_EQ(mpa_header::FrameLengthBytes(mpa_header::kVersionMpeg1, 2, 128000, 0, 0), 0);
    EXPECT_EQ(mpa_header::FrameLengthBytes(mpa_header::kVersionMpeg1, 4, 128000, 48000, 0), 0);
}

struct Packet {
    std::int64_t offset;
    std::int32_t size;
};

std::vector<Packet> ReadPackets(const std::string& csvName) {
    std::ifstream in(testsupport::FixturePath(csvName));
    std::vector<Packet> packets;
    std::string line;
    std::getline(in, line);  // offset,size
    while (std::getline(in, line)) {
        std::istringstream row(line);
        Packet packet{};
        char comma = 0;
        if (row >> packet.offset >> comma >> packet.size) packets.push_back(packet);
    }
    return packets;
}

TEST(MpaHeaderTablesTest, EveryFrameOfTheBundledStreamsIsAsLongAsFfprobesPacket) {
    for (const std::string stream : {"tone_l2_44k_128k.mp2", "tone_l2_48k_192k_crc.mp2", "tone_l3_44k_128k.mp3",
                                     "tone_l3_44k_crc.mp3"}) {
        SCOPED_TRACE(stream);
        const std::vector<std::uint8_t> bytes = testsupport::ReadFileBytes(testsupport::FixturePath(stream));
        const std::vector<Packet> packets = ReadPackets(stream.substr(0, stream.rfind('.')) + ".ffprobe.csv");
        ASSERT_GT(packets.size(), 10u);
        for (const Packet& packet : packets) {
            ASSERT_LE(static_cast<std::size_t>(packet.offset) + 4, bytes.size());
            const mpa_header::HeaderFields f = mpa_header::SplitHeader(mpa_header::HeaderWord(&bytes[packet.offset]));
            const int version = f.sync == 0xFFF ? mpa_header::kVersionMpeg2 | f.id : mpa_header::kVersionMpeg25;
            EXPECT_EQ(mpa_header::FrameLengthFromIndices(version, mpa_header::LayerFromCode(f.layer_code),
                                                         f.bitrate_index, f.sampling_index, f.padding),
                      packet.size)
                << "at offset " << packet.offset;
        }
    }
}

}  // namespace
