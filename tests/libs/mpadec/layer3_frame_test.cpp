// The Layer III frame entry on whole frames: the CRC over the side
// information, refused side information, the bit reservoir across frames
// (a first frame that points back before the stream fails, the next one
// decodes from the bytes the first one left), silence that still carries the
// overlap of the granule before, and the shape of the output.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "libs/mpadec/decoder.h"
#include "libs/mpadec/layer3.h"
#include "tests/libs/mpadec/bit_writer.h"
#include "tests/support/mpa_builder.h"

namespace mpadec_test {
namespace {

using mpadec::layer3_result;
using testsupport::Bytes;
using testsupport::MpaFrameSpec;
using testsupport::MpaVersion;

// The fields of one granule and channel that these frames use; the others
// are 0 (long blocks, no window switching).
struct GranuleFields {
    int part2_3_length = 0;
    int big_values = 0;
    int global_gain = 0;
    int scalefac_compress = 0;
    int table_select = 0;  // of region 0; regions 1 and 2 use table 0
};

MpaFrameSpec Mpeg1Stereo(bool crc) {
    MpaFrameSpec params;
    params.layer = testsupport::kMpaLayerIII;
    params.bitrateIndex = 9;  // 128 kbit/s
    params.samplingIndex = 0;  // 44.1 kHz: 417 bytes
    params.mode = testsupport::kMpaJointStereo;
    params.crc = crc;
    return params;
}

MpaFrameSpec Mpeg2Mono() {
    MpaFrameSpec params;
    params.version = MpaVersion::Mpeg2;
    params.layer = testsupport::kMpaLayerIII;
    params.bitrateIndex = 8;  // 64 kbit/s
    params.samplingIndex = 0;  // 22.05 kHz: 208 bytes
    params.mode = testsupport::kMpaSingleChannel;
    return params;
}

// Side information: every granule and channel gets `fields`, except those
// listed in `first` for granule 0 channel 0.
Bytes SideInfo(const MpaFrameSpec& params, int main_data_begin, const GranuleFields& first,
               const GranuleFields& others = {}) {
    const bool mpeg1 = params.version == MpaVersion::Mpeg1;
    const int channels = params.mode == testsupport::kMpaSingleChannel ? 1 : 2;
    BitWriter w;
    w.Put(static_cast<std::uint32_t>(main_data_begin), mpeg1 ? 9 : 8);
    w.Put(0, mpeg1 ? (channels == 1 ? 5 : 3) + 4 * channels : channels);
    for (int gr = 0; gr < (mpeg1 ? 2 : 1); ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            const GranuleFields& g = gr == 0 && ch == 0 ? first : others;
            w.Put(static_cast<std::uint32_t>(g.part2_3_length), 12).Put(static_cast<std::uint32_t>(g.big_values), 9);
            w.Put(static_cast<std::uint32_t>(g.global_gain), 8);
            w.Put(static_cast<std::uint32_t>(g.scalefac_compress), mpeg1 ? 4 : 9).Put(0, 1);
            w.Put(static_cast<std::uint32_t>(g.table_select), 5).Put(0, 10).Put(15, 4).Put(7, 3);
            w.Put(0, mpeg1 ? 3 : 2);  // preflag (MPEG-1), scalefac_scale, count1table_select
        }
    }
    return w.Bytes();
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A decoder stream's Layer III state and what its frames yield.
class Layer3Stream {
public:
    Layer3Stream() : decoder_(std::make_unique<mpa_decoder>()), state_(std::make_unique<mpadec::layer3_state>()),
                     out_(std::make_unique<mpadec::layer3_output>()) {}

    layer3_result Decode(const Bytes& frame) {
        mpadec::parse_header(*decoder_, frame.data());
        mpadec::bit_reader reader(frame.data(), frame.size());
        reader.skip(32);
        const auto crc = static_cast<std::uint16_t>(decoder_->header.crc_present ? reader.read(16) : 0);
        stored_crc_ = crc;
        return mpadec::decode_layer3(*state_, decoder_->header, reader, crc, *out_);
    }

    [[nodiscard]] const mpadec::layer3_state& State() const { return *state_; }
    [[nodiscard]] const mpadec::layer3_output& Out() const { return *out_; }
    [[nodiscard]] std::uint16_t StoredCrc() const { return stored_crc_; }

private:
    std::unique_ptr<mpa_decoder> decoder_;
    std::unique_ptr<mpadec::layer3_state> state_;
    std::unique_ptr<mpadec::layer3_output> out_;
    std::uint16_t stored_crc_ = 0;
};

TEST(Layer3FrameTest, TheCrcCoversTheSideInformationAndAMismatchStoresNothing) {
    const MpaFrameSpec params = Mpeg1Stereo(true);
    const Bytes frame = testsupport::MakeFrame(params, 0x00, SideInfo(params, 0, {}));
    ASSERT_EQ(frame.size(), 417u);
    Layer3Stream stream;
    ASSERT_EQ(stream.Decode(frame), layer3_result::decoded);
    EXPECT_EQ(stream.Out().computed_crc, stream.StoredCrc());
    const std::uint32_t stored = stream.State().main_data.stored;
    EXPECT_EQ(stored, 417u - 4 - 2 - 32);

    // A changed main data byte is not covered.
    Bytes main_changed = frame;
    main_changed[6 + 32 + 5] ^= 0x10;
    EXPECT_EQ(stream.Decode(main_changed), layer3_result::decoded);
    EXPECT_EQ(stream.State().main_data.stored, 2 * stored);

    // Any side information bit is: the frame fails and stores nothing.
    for (int byte : {6, 20, 37}) {
        Bytes side_changed = frame;
        side_changed[byte] ^= 0x01;
        EXPECT_EQ(stream.Decode(side_changed), layer3_result::crc_mismatch) << byte;
        EXPECT_NE(stream.Out().computed_crc, stream.StoredCrc()) << byte;
        EXPECT_EQ(stream.State().main_data.stored, 2 * stored) << byte;
    }
}

TEST(Layer3FrameTest, RefusedSideInformationFailsTheFrameWithoutStoringIt) {
    const MpaFrameSpec params = Mpeg1Stereo(false);
    GranuleFields too_many;
    too_many.big_values = 289;
    Layer3Stream stream;
    EXPECT_EQ(stream.Decode(testsupport::MakeFrame(params, 0x00, SideInfo(params, 0, too_many))),
              layer3_result::bad_side_info);
    EXPECT_EQ(stream.State().main_data.stored, 0u);
    too_many.big_values = 288;
    too_many.part2_3_length = 0;
    EXPECT_EQ(stream.Decode(testsupport::MakeFrame(params, 0x00, SideInfo(params, 0, too_many))),
              layer3_result::decoded);
}

TEST(Layer3FrameTest, AFirstFramePointingBackFailsAndTheNextDecodesFromItsBytes) {
    // One pair of table 1 in granule 0: "01" and sign 0, line 0 = 1.
    GranuleFields one_line;
    one_line.part2_3_length = 3;
    one_line.big_values = 1;
    one_line.global_gain = 200;
    one_line.table_select = 1;
    const MpaFrameSpec params = Mpeg1Stereo(false);
    const int slots = 417 - 4 - 32;

    // The first frame's last 20 main data bytes hold the granule's bits;
    // the second frame begins its main data 20 bytes back.
    Bytes first_main(static_cast<std::size_t>(slots), 0x00);
    first_main[static_cast<std::size_t>(slots - 20)] = 0x40;
    Layer3Stream stream;
    EXPECT_EQ(stream.Decode(testsupport::MakeFrame(params, 0x00, Concat(SideInfo(params, 20, {}), first_main))),
              layer3_result::main_data_underflow);
    EXPECT_EQ(stream.State().main_data.stored, static_cast<std::uint32_t>(slots));
    ASSERT_EQ(stream.Decode(testsupport::MakeFrame(params, 0x00, SideInfo(params, 20, one_line))),
              layer3_result::decoded);

    // The same granule as the frame's own main data, from a fresh stream.
    Layer3Stream fresh;
    ASSERT_EQ(fresh.Decode(testsupport::MakeFrame(params, 0x00, Concat(SideInfo(params, 0, one_line), Bytes{0x40}))),
              layer3_result::decoded);
    bool any = false;
    for (int t = 0; t < 18; ++t) {
        for (int sb = 0; sb < 32; ++sb) {
            EXPECT_EQ(stream.Out().subband[0][t][0][sb], fresh.Out().subband[0][t][0][sb]);
            any = any || stream.Out().subband[0][t][0][sb] != 0.0;
        }
    }
    EXPECT_TRUE(any);
}

TEST(Layer3FrameTest, BigValuesZeroGivesSilencePlusTheOverlapOfTheGranuleBefore) {
    const MpaFrameSpec params = Mpeg2Mono();
    GranuleFields loud;
    loud.part2_3_length = 3 * 20;
    loud.big_values = 20;
    loud.global_gain = 210;
    loud.table_select = 1;
    BitWriter bits;
    for (int pair = 0; pair < 20; ++pair) bits.Put(0b010, 3);
    Layer3Stream stream;
    ASSERT_EQ(stream.Decode(testsupport::MakeFrame(params, 0x00, Concat(SideInfo(params, 0, loud), bits.Bytes()))),
              layer3_result::decoded);
    EXPECT_EQ(stream.Out().granules, 1);
    EXPECT_EQ(stream.Out().channels, 1);
    double overlap[32][18];
    std::memcpy(overlap, stream.State().overlap[0], sizeof overlap);

    // Scale factors only: scalefac_compress 80 is slen 1 0 0 0, six bits for
    // bands 0-5.
    GranuleFields silent;
    silent.scalefac_compress = 80;
    silent.part2_3_length = 6;
    silent.global_gain = 210;
    ASSERT_EQ(stream.Decode(testsupport::MakeFrame(params, 0xFF, SideInfo(params, 0, silent))), layer3_result::decoded);
    bool any = false;
    for (int t = 0; t < 18; ++t) {
        for (int sb = 0; sb < 32; ++sb) {
            // The synthesis takes subband samples in single precision.
            const auto expected = static_cast<float>(sb % 2 && t % 2 ? -overlap[sb][t] : overlap[sb][t]);
            EXPECT_EQ(stream.Out().subband[0][t][0][sb], expected) << t << " " << sb;
            any = any || expected != 0.0;
        }
    }
    EXPECT_TRUE(any);
    for (int sb = 0; sb < 32; ++sb) {
        for (int t = 0; t < 18; ++t) EXPECT_EQ(stream.State().overlap[0][sb][t], 0.0);
    }
}

TEST(Layer3FrameTest, MpegOneFramesHaveTwoGranulesOfEveryChannel) {
    const MpaFrameSpec params = Mpeg1Stereo(false);
    GranuleFields line;
    line.part2_3_length = 3;
    line.big_values = 1;
    line.global_gain = 210;
    line.table_select = 1;
    Layer3Stream stream;
    // "01 0" four times over: 0100 1001 0010.
    const Bytes main_data{0x49, 0x20};
    ASSERT_EQ(stream.Decode(testsupport::MakeFrame(params, 0x00, Concat(SideInfo(params, 0, line, line), main_data))),
              layer3_result::decoded);
    EXPECT_EQ(stream.Out().granules, 2);
    EXPECT_EQ(stream.Out().channels, 2);
    // Joint stereo without extensions: each granule and channel decoded its
    // own line 0, the same value everywhere.
    for (int gr = 0; gr < 2; ++gr) {
        for (int ch = 0; ch < 2; ++ch) {
            EXPECT_NE(stream.Out().subband[gr][0][ch][0], 0.0) << gr << " " << ch;
        }
    }
}

}  // namespace
}  // namespace mpadec_test
