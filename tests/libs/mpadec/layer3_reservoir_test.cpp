// The Layer III bit reservoir: how many main data bytes a frame carries, the
// circular 4096-byte buffer and its bit reads, and where main_data_begin
// puts a frame's main data, including the frames that point back before the
// first byte received.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "libs/mpadec/decoder.h"
#include "libs/mpadec/layer3.h"
#include "tests/support/mpa_builder.h"

namespace mpadec_test {
namespace {

using mpadec::main_data_buffer;
using testsupport::MpaFrameSpec;
using testsupport::MpaVersion;

TEST(Layer3ReservoirTest, AFrameCarriesItsBytesAfterHeaderCrcAndSideInformation) {
    // Every MPEG-1 and MPEG-2 Layer III header: the main data fill the frame
    // as the header code measures it.
    const double khz[2][3] = {{22.05, 24, 16}, {44.1, 48, 32}};
    for (int version = 0; version <= 1; ++version) {
        for (int bitrate = 1; bitrate <= 14; ++bitrate) {
            for (int sampling = 0; sampling < 3; ++sampling) {
                for (int variant = 0; variant < 8; ++variant) {
                    MpaFrameSpec params;
                    params.version = version == 1 ? MpaVersion::Mpeg1 : MpaVersion::Mpeg2;
                    params.layer = testsupport::kMpaLayerIII;
                    params.bitrateIndex = bitrate;
                    params.samplingIndex = sampling;
                    params.padding = variant & 1;
                    params.crc = (variant & 2) != 0;
                    params.mode = variant & 4 ? testsupport::kMpaSingleChannel : testsupport::kMpaJointStereo;
                    const int channels = variant & 4 ? 1 : 2;
                    const int length = mpadec::frame_length_of(testsupport::MakeHeader(params).data());
                    const int slots = mpadec::main_data_slots(version, channels, testsupport::BitrateKbps(params),
                                                              khz[version][sampling], params.padding, params.crc);
                    EXPECT_EQ(slots, length - 4 - (params.crc ? 2 : 0) - mpadec::side_info_bytes(version, channels))
                        << version << " " << bitrate << " " << sampling << " " << variant;
                }
            }
        }
    }
}

// Storing runs of bytes against storing them one at a time: from byte
// boundaries (whole runs copied) and from inside a byte, across the end of
// the ring, past the reader's bytes (zeros), with the 8-byte mirror and
// 8-byte reads from every slot agreeing.
TEST(Layer3ReservoirTest, StoredRunsEqualBytesStoredOneByOne) {
    std::vector<std::uint8_t> source(3000);
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i * 7 + 3);
    for (const int shift : {0, 3}) {
        for (const std::uint32_t start : {0u, 5u, 4090u, 4095u}) {
            auto stored = std::make_unique<main_data_buffer>();
            auto expected = std::make_unique<main_data_buffer>();
            stored->stored = expected->stored = start;
            mpadec::bit_reader reader(source.data(), source.size());
            mpadec::bit_reader bytewise(source.data(), source.size());
            reader.skip(static_cast<std::size_t>(shift));
            bytewise.skip(static_cast<std::size_t>(shift));
            for (const int slots : {100, 2000, 950}) {  // the last run reaches past the source
                mpadec::store_main_data(*stored, reader, slots);
                for (int i = 0; i < slots; ++i) expected->store(static_cast<std::uint8_t>(bytewise.read(8)));
                ASSERT_EQ(reader.position(), bytewise.position());
            }
            EXPECT_EQ(stored->stored, expected->stored);
            EXPECT_EQ(0, std::memcmp(stored->bytes, expected->bytes, sizeof expected->bytes)) << shift << " " << start;
            for (std::uint32_t slot = 0; slot < mpadec::kMainDataBytes; ++slot) {
                std::uint64_t word = 0;
                for (std::uint32_t k = 0; k < 8; ++k)
                    word = word << 8 | expected->bytes[(slot + k) & (mpadec::kMainDataBytes - 1)];
                ASSERT_EQ(stored->load_8_bytes(slot), word) << slot;
            }
        }
    }
}

TEST(Layer3ReservoirTest, Mpeg2At64kbitAnd22kHzIs208Bytes) {
    MpaFrameSpec params;
    params.version = MpaVersion::Mpeg2;
    params.layer = testsupport::kMpaLayerIII;
    params.bitrateIndex = 8;  // 64 kbit/s
    params.samplingIndex = 0;  // 22.05 kHz
    EXPECT_EQ(testsupport::BitrateKbps(params), 64);
    EXPECT_EQ(mpadec::frame_length_of(testsupport::MakeHeader(params).data()), 208);
    EXPECT_EQ(mpadec::main_data_slots(0, 2, 64, 22.05, 0, false), 208 - 4 - 17);
    EXPECT_EQ(mpadec::main_data_slots(0, 1, 64, 22.05, 1, true), 209 - 4 - 2 - 9);
}

TEST(Layer3ReservoirTest, ReadsBitsAcrossBytesAndAroundTheEndOfTheBuffer) {
    main_data_buffer buffer{};
    for (int i = 0; i < 4096 + 3; ++i) buffer.store(static_cast<std::uint8_t>(i * 7));
    EXPECT_EQ(buffer.stored, 4099u);
    // The last three bytes went to the first three slots.
    buffer.position = 4096 * 8 - 12;
    const std::uint32_t tail = (4094u * 7) & 0xFF;
    const std::uint32_t last = (4095u * 7) & 0xFF;
    const std::uint32_t first = (4096u * 7) & 0xFF;
    EXPECT_EQ(buffer.read(4), tail & 15);
    EXPECT_EQ(buffer.read(16), last << 8 | first);
    EXPECT_EQ(buffer.read_bit(), (((4097u * 7) & 0xFF) >> 7) & 1);
    buffer.rewind(17);
    EXPECT_EQ(buffer.read(32), (last << 24 | first << 16 | ((4097u * 7) & 0xFF) << 8 | ((4098u * 7) & 0xFF)));
    EXPECT_EQ(buffer.read(0), 0u);
}

// Stores a frame of `slots` bytes numbered on from `next` and lines up its
// main data.
bool Frame(main_data_buffer& buffer, int& next, int slots, int main_data_begin) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < slots; ++i) bytes.push_back(static_cast<std::uint8_t>(next++));
    mpadec::bit_reader reader(bytes.data(), bytes.size());
    mpadec::store_main_data(buffer, reader, slots);
    return mpadec::seek_main_data(buffer, main_data_begin, slots);
}

TEST(Layer3ReservoirTest, MainDataBeforeTheFirstFrameIsAnUnderflowThatKeepsTheBytes) {
    main_data_buffer buffer{};
    int next = 0;
    // The first frame points 10 bytes back: there is nothing there.
    EXPECT_FALSE(Frame(buffer, next, 100, 10));
    EXPECT_EQ(buffer.stored, 100u);
    EXPECT_EQ(buffer.position, 0);
    // The second frame points 50 bytes back, into the first frame, which
    // was stored: its main data start at byte 50.
    ASSERT_TRUE(Frame(buffer, next, 100, 50));
    EXPECT_EQ(buffer.read(8), 50u);
    // Its granules read up to byte 80; the third frame's data start there.
    buffer.skip(8 * 29);
    ASSERT_TRUE(Frame(buffer, next, 100, 200 - 80));
    EXPECT_EQ(buffer.read(8), 80u);
    // A partly read byte is dropped with the bits left in it: after 3 bits
    // of byte 81 the next frame cannot start there, but at byte 82.
    buffer.skip(3);
    EXPECT_FALSE(Frame(buffer, next, 100, 300 - 81));
    ASSERT_TRUE(Frame(buffer, next, 100, 400 - 82));
    EXPECT_EQ(buffer.read(8), 82u);
}

TEST(Layer3ReservoirTest, CountersStayBoundedOverALongStream) {
    main_data_buffer buffer{};
    int next = 0;
    // 1000 frames of 400 bytes, each granule pair reading 390 of them.
    for (int frame = 0; frame < 1000; ++frame) {
        const int begin = frame == 0 ? 0 : 10 * (frame % 20);
        const int expected_first = next - begin;
        ASSERT_TRUE(Frame(buffer, next, 400, begin)) << frame;
        ASSERT_EQ(buffer.read(8), static_cast<std::uint32_t>(expected_first & 0xFF)) << frame;
        buffer.skip(8 * 389);
        ASSERT_LE(buffer.position, 8 * (4096 + 2 * 400)) << frame;
        ASSERT_GE(buffer.position, 0) << frame;
        ASSERT_LE(buffer.frame_start, 4096 + 2 * 400) << frame;
    }
}

}  // namespace
}  // namespace mpadec_test
