// Header and sync: which headers are accepted, the frame lengths, the Layer II
// allocation table choice and its reloading, how a candidate is confirmed,
// and the CRC of the protected bits.

#include <gtest/gtest.h>

#include <cstring>

#include "libs/mpadec/decoder.h"
#include "tests/libs/mpadec/decoder_driver.h"
#include "tests/libs/mpadec/simd_paths.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

namespace mpadec_test {
namespace {

using testsupport::MakeFrame;
using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;
using testsupport::MpaVersion;

TEST(HeaderCheckTest, AcceptsMpeg1AndLowSamplingFrequencyHeadersOfEveryLayer) {
    for (MpaVersion version : {MpaVersion::Mpeg1, MpaVersion::Mpeg2}) {
        for (int layer = 1; layer <= 3; ++layer) {
            for (int bitrate = 1; bitrate <= 14; ++bitrate) {
                for (int sampling = 0; sampling <= 2; ++sampling) {
                    MpaFrameSpec fields;
                    fields.version = version;
                    fields.layer = layer;
                    fields.bitrateIndex = bitrate;
                    fields.samplingIndex = sampling;
                    fields.crc = (bitrate & 1) != 0;
                    fields.emphasis = sampling == 2 ? 3 : sampling;
                    EXPECT_TRUE(mpadec::header_check(MakeHeader(fields).data()));
                }
            }
        }
    }
}

TEST(HeaderCheckTest, RejectsFreeFormatForbiddenAndReservedValuesAndMpeg25) {
    const auto header = [](auto change) {
        MpaFrameSpec fields;
        change(fields);
        return MakeHeader(fields);
    };
    EXPECT_FALSE(mpadec::header_check(header([](MpaFrameSpec& s) { s.bitrateIndex = 0; }).data()));
    EXPECT_FALSE(mpadec::header_check(header([](MpaFrameSpec& s) { s.bitrateIndex = 15; }).data()));
    EXPECT_FALSE(mpadec::header_check(header([](MpaFrameSpec& s) { s.samplingIndex = 3; }).data()));
    EXPECT_FALSE(mpadec::header_check(header([](MpaFrameSpec& s) { s.emphasis = 2; }).data()));
    EXPECT_FALSE(mpadec::header_check(header([](MpaFrameSpec& s) { s.layer = 0; }).data()));
    EXPECT_FALSE(mpadec::header_check(header([](MpaFrameSpec& s) { s.version = MpaVersion::Mpeg25; }).data()));
    const std::uint8_t mpeg25[4] = {0xFF, 0xE2, 0x14, 0x00};
    EXPECT_FALSE(mpadec::header_check(mpeg25));
    const std::uint8_t noSync[4] = {0xFE, 0xFD, 0x84, 0x00};
    EXPECT_FALSE(mpadec::header_check(noSync));

    // Whole streams of such frames hold no header at all.
    for (auto change : {+[](MpaFrameSpec& s) { s.version = MpaVersion::Mpeg25; }, +[](MpaFrameSpec& s) { s.emphasis = 2; },
                        +[](MpaFrameSpec& s) { s.bitrateIndex = 15; }}) {
        MpaFrameSpec fields;
        fields.layer = testsupport::kMpaLayerIII;
        fields.bitrateIndex = 5;
        change(fields);
        Bytes data;
        for (int i = 0; i < 5; ++i) {
            const Bytes frame = MakeFrame(fields);
            data.insert(data.end(), frame.begin(), frame.end());
        }
        Decoder decoder;
        decoder.Control(MPA_CTL_PARSE_ONLY);
        EXPECT_EQ(decoder.Write(data), data.size() - 3);
        EXPECT_EQ(decoder.Status(), 0);
    }
}

TEST(FrameLengthTest, TheListedLengths) {
    const auto length = [](MpaVersion version, int layer, int bitrate, int sampling, int padding) {
        MpaFrameSpec fields;
        fields.version = version;
        fields.layer = layer;
        fields.bitrateIndex = bitrate;
        fields.samplingIndex = sampling;
        fields.padding = padding;
        const Bytes frames = MpaStreamBuilder().Frames(fields, 2).Data();
        Decoder decoder;
        decoder.Control(MPA_CTL_PARSE_ONLY);
        EXPECT_EQ(decoder.Write(frames), 4u);
        return decoder.FrameInfo().frame_length;
    };
    using testsupport::kMpaLayerI;
    using testsupport::kMpaLayerII;
    using testsupport::kMpaLayerIII;
    EXPECT_EQ(length(MpaVersion::Mpeg1, kMpaLayerIII, 9, 0, 0), 417);  // 128 kbit/s, 44.1 kHz
    EXPECT_EQ(length(MpaVersion::Mpeg1, kMpaLayerIII, 9, 0, 1), 418);
    EXPECT_EQ(length(MpaVersion::Mpeg2, kMpaLayerIII, 8, 0, 0), 208);  // 64 kbit/s, 22.05 kHz
    EXPECT_EQ(length(MpaVersion::Mpeg1, kMpaLayerI, 12, 1, 0), 384);   // 384 kbit/s, 48 kHz
    EXPECT_EQ(length(MpaVersion::Mpeg1, kMpaLayerII, 14, 2, 1), 1729);  // 384 kbit/s, 32 kHz, padded
    EXPECT_EQ(length(MpaVersion::Mpeg2, kMpaLayerI, 14, 2, 1), 772);   // 256 kbit/s, 16 kHz, padded
    EXPECT_EQ(length(MpaVersion::Mpeg2, kMpaLayerII, 1, 0, 0), 52);    // 8 kbit/s, 22.05 kHz
}

TEST(FrameLengthTest, AgreesWithTheStandardsFormulasForEveryHeader) {
    for (MpaVersion version : {MpaVersion::Mpeg1, MpaVersion::Mpeg2}) {
        for (int layer = 1; layer <= 3; ++layer) {
            for (int bitrate = 1; bitrate <= 14; ++bitrate) {
                for (int sampling = 0; sampling <= 2; ++sampling) {
                    for (int padding = 0; padding <= 1; ++padding) {
                        MpaFrameSpec fields;
                        fields.version = version;
                        fields.layer = layer;
                        fields.bitrateIndex = bitrate;
                        fields.samplingIndex = sampling;
                        fields.padding = padding;
                        EXPECT_EQ(mpadec::frame_length_of(MakeHeader(fields).data()), testsupport::FrameLength(fields));
                    }
                }
            }
        }
    }
}

TEST(Layer2TableTest, ChoiceByRateAndBitratePerChannel) {
    struct Case {
        int version, kbps, channels, rate, index, sblimit;
    };
    const Case cases[] = {
        {1, 128, 2, 44100, 0, 27}, {1, 96, 2, 48000, 2, 8},   {1, 64, 2, 32000, 3, 12},  {1, 192, 2, 44100, 1, 30},
        {1, 384, 2, 48000, 0, 27}, {1, 112, 2, 48000, 0, 27}, {1, 32, 1, 48000, 2, 8},   {1, 48, 1, 44100, 2, 8},
        {1, 48, 1, 32000, 3, 12},  {1, 56, 1, 44100, 0, 27},  {1, 80, 1, 32000, 0, 27},  {1, 96, 1, 32000, 1, 30},
        {1, 160, 2, 44100, 0, 27}, {1, 224, 2, 32000, 1, 30}, {1, 192, 1, 48000, 0, 27}, {0, 160, 2, 24000, 4, 30},
        {0, 8, 1, 16000, 4, 30},   {0, 64, 2, 22050, 4, 30},
    };
    for (const Case& c : cases) {
        const int index = mpadec::layer2_table_index(c.version, c.kbps, c.channels, c.rate);
        EXPECT_EQ(index, c.index) << c.kbps << " kbit/s, " << c.channels << " channels, " << c.rate << " Hz";
        EXPECT_EQ(mpadec::layer2_sblimit(index), c.sblimit);
    }
}

TEST(Layer2TableTest, TablesHaveTheirLimitsAndFieldWidths) {
    // Widths of the allocation fields per subband, as the standards list them.
    const auto widths = [](int index) {
        std::vector<int> w;
        const std::int32_t* table = mpadec::layer2_allocation_table(index);
        for (int sb = 0; sb < 32; ++sb) w.push_back(table[sb * 64 + 1]);
        return w;
    };
    const std::vector<int> a = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 3, 3, 3, 3, 3,
                                3, 3, 3, 3, 3, 3, 3, 2, 2, 2, 2, 0, 0, 0, 0, 0};
    std::vector<int> b = a;
    b[27] = b[28] = b[29] = 2;
    const std::vector<int> c = {4, 4, 3, 3, 3, 3, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0,
                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::vector<int> d = c;
    d[8] = d[9] = d[10] = d[11] = 3;
    const std::vector<int> lsf = {4, 4, 4, 4, 3, 3, 3, 3, 3, 3, 3, 2, 2, 2, 2, 2,
                                  2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, 0};
    EXPECT_EQ(widths(0), a);
    EXPECT_EQ(widths(1), b);
    EXPECT_EQ(widths(2), c);
    EXPECT_EQ(widths(3), d);
    EXPECT_EQ(widths(4), lsf);
    // Every used row: a code wide enough for its steps; grouped codes hold three.
    for (int index = 0; index < 5; ++index) {
        const std::int32_t* table = mpadec::layer2_allocation_table(index);
        for (int sb = 0; sb < 32; ++sb) {
            for (int a = 1; a < (1 << table[sb * 64 + 1]); ++a) {
                const std::int32_t* row = table + sb * 64 + a * 4;
                const long long steps = row[0];
                const long long codes = row[2] == 3 ? steps : steps * steps * steps;
                EXPECT_LE(codes, 1LL << row[1]) << index << "/" << sb << "/" << a;
                EXPECT_GT(codes, 1LL << (row[1] - 1)) << index << "/" << sb << "/" << a;
            }
        }
    }
}

TEST(Layer2TableTest, ASwitchOfSelectionOrStatisticsSetUpReloadsTheTable) {
    Decoder decoder;
    mpa_decoder& internals = Internals(decoder);
    decoder.Control(MPA_CTL_PARSE_ONLY);
    EXPECT_EQ(internals.header.allocation_table_index, -1);

    MpaFrameSpec low;  // 48 kHz, 128 kbit/s stereo: B.2a
    MpaFrameSpec high = low;
    high.samplingIndex = 0;
    high.bitrateIndex = 10;  // 44.1 kHz, 192 kbit/s stereo: B.2b
    const auto find = [&](const MpaFrameSpec& fields) {
        ASSERT_EQ(decoder.Write(MakeFrame(fields)), 4u);
    };
    const auto loaded = [&](int index) {
        return std::memcmp(internals.header.allocation_table, mpadec::layer2_allocation_table(index),
                           mpadec::kAllocationTableBytes) == 0;
    };
    find(low);
    EXPECT_EQ(internals.header.allocation_table_index, 0);
    EXPECT_TRUE(loaded(0));
    EXPECT_EQ(internals.header.sblimit, 27);
    find(high);
    EXPECT_EQ(internals.header.allocation_table_index, 1);
    EXPECT_TRUE(loaded(1));
    EXPECT_EQ(internals.header.sblimit, 30);

    // The same choice again does not copy; a statistics set-up forces it.
    internals.header.allocation_table[1] = 77;
    find(high);
    EXPECT_EQ(internals.header.allocation_table[1], 77);
    mpa_reset_params params{nullptr, {}};
    decoder.Control(MPA_CTL_SET_STATISTICS, &params, sizeof params);
    EXPECT_EQ(internals.header.allocation_table_index, -1);
    find(high);
    EXPECT_TRUE(loaded(1));

    // A Layer I frame in between leaves the table loaded and Layer II keeps
    // its limit.
    MpaFrameSpec layer1;
    layer1.layer = testsupport::kMpaLayerI;
    find(layer1);
    EXPECT_EQ(internals.header.sblimit, 32);
    find(high);
    EXPECT_EQ(internals.header.sblimit, 30);
}

TEST(SyncSearchTest, ACandidateNeedsAValidHeaderAfterItsFrameUnlessTheInputEnds) {
    MpaFrameSpec fields;  // 384 bytes
    MpaFrameSpec other = fields;
    other.samplingIndex = 0;  // 417 bytes
    other.layer = testsupport::kMpaLayerIII;
    other.bitrateIndex = 9;
    {
        // Followed by garbage: skipped; the next frame is found and its
        // confirming header may have another layer and rate.
        const Bytes data =
            MpaStreamBuilder().Frame(fields).Junk(10, 0x00).Frame(fields).Frame(other).Data();
        Decoder decoder;
        decoder.Control(MPA_CTL_PARSE_ONLY);
        EXPECT_EQ(decoder.Write(data), 394u + 4u);
    }
    {
        // Within L + 4 bytes of the end: accepted without confirmation.
        const Bytes data = MpaStreamBuilder().Junk(6).Frame(fields).Junk(3, 0x00).Data();
        Decoder decoder;
        decoder.Control(MPA_CTL_PARSE_ONLY);
        EXPECT_EQ(decoder.Write(data), 10u);
        EXPECT_EQ(decoder.Status(), 1);
    }
    {
        // Four bytes after the frame is enough to reject it.
        const Bytes data = MpaStreamBuilder().Junk(6).Frame(fields).Junk(4, 0x00).Data();
        Decoder decoder;
        decoder.Control(MPA_CTL_PARSE_ONLY);
        EXPECT_EQ(decoder.Write(data), data.size() - 3);
        EXPECT_EQ(decoder.Status(), 0);
    }
    {
        // The confirming header may lie in the input beyond the window.
        const Bytes data = MpaStreamBuilder().Junk(4700).Frame(fields).Frame(fields).Data();
        Decoder decoder;
        decoder.UsePcmBuffer(32768);
        EXPECT_EQ(decoder.Write(data), 4700u + 384u);
        EXPECT_EQ(decoder.Status(), 1);
    }
}

TEST(CrcTest, MatchesTheCrcWordOfEveryProtectedFixtureFrame) {
    int frames = 0;
    for (const char* name : {"mpadec/tl_48k_stereo_192k_crc.mp2", "mpadec/tl_44k_joint_128k_crc.mp2",
                             "mpadec/tl_32k_mono_48k_crc.mp2", "mpadec/tl_lsf_24k_stereo_96k_crc.mp2",
                             "tone_l3_44k_crc.mp3", "crc_l3_lsf_22k_64k.mp3"}) {
        const Bytes data = testsupport::ReadFileBytes(testsupport::FixturePath(name));
        ASSERT_FALSE(data.empty()) << name;
        for (std::size_t at = 0; at + 6 <= data.size();) {
            const auto fields = testsupport::ParseHeader(&data[at]);
            ASSERT_TRUE(fields.has_value()) << name << " at " << at;
            const int length = testsupport::FrameLength(*fields);
            const Bytes frame(data.begin() + static_cast<std::ptrdiff_t>(at),
                              data.begin() + static_cast<std::ptrdiff_t>(std::min(at + length, data.size())));
            const int protectedBits = testsupport::ProtectedBitCount(*fields, Bytes(frame.begin() + 6, frame.end()));
            const mpadec::bit_reader reader(frame.data(), frame.size());
            EXPECT_EQ(mpadec::frame_crc(reader, 48 + static_cast<std::size_t>(protectedBits)),
                      frame[4] << 8 | frame[5])
                << name << " at " << at;
            ++frames;
            at += static_cast<std::size_t>(length);
        }
    }
    EXPECT_GT(frames, 100);
    // Feeding a word bit by bit or at once is the same.
    std::uint16_t bitwise = 0xFFFF;
    for (int bit = 15; bit >= 0; --bit) bitwise = mpadec::crc_update((0xBEEFu >> bit) & 1, 1, bitwise);
    EXPECT_EQ(mpadec::crc_update(0xBEEF, 16, 0xFFFF), bitwise);
}

}  // namespace
}  // namespace mpadec_test
