// Formats read from packet descriptions, and the fields they may not hold.

#include <gtest/gtest.h>

#include "plugins/common/pcm_format.h"
#include "tests/plugins/common/pcm_packets.h"

namespace {

using sinks::FormatFromDescription;
using sinks::PcmKind;

TEST(PcmFormat, HdmvChannelAssignmentsCarryEvenChannelCounts) {
    const std::pair<std::uint8_t, int> known[] = {{1, 2}, {3, 2}, {4, 4}, {5, 4},  {6, 4},
                                                  {7, 4}, {8, 6}, {9, 6}, {10, 8}, {11, 8}};
    for (const auto& [assignment, channels] : known) {
        auto description = sinktest::Description(BUFSTREAM_PCM_HDMV_LPCM);
        description.channel_field = assignment;
        description.rate_code = 2;
        const auto format = FormatFromDescription(description);
        ASSERT_TRUE(format) << int{assignment};
        EXPECT_EQ(format->kind, PcmKind::HdmvLpcm);
        EXPECT_EQ(format->channels, channels) << int{assignment};
        EXPECT_EQ(format->sample_rate, 192000u);
    }
    for (const std::uint8_t reserved : {0, 2, 12, 15}) {
        auto description = sinktest::Description(BUFSTREAM_PCM_HDMV_LPCM);
        description.channel_field = reserved;
        EXPECT_FALSE(FormatFromDescription(description)) << int{reserved};
    }
}

TEST(PcmFormat, EachFamilyGivesItsKind) {
    const std::pair<std::uint32_t, PcmKind> families[] = {
        {BUFSTREAM_PCM_DVD_LPCM, PcmKind::DvdLpcm},   {BUFSTREAM_PCM_AES_302M, PcmKind::Aes302M},
        {BUFSTREAM_PCM_AES_331M, PcmKind::Aes331M},   {BUFSTREAM_PCM_AES_382M, PcmKind::Aes382M},
        {BUFSTREAM_PCM_TWOS, PcmKind::Twos},          {BUFSTREAM_PCM_GENERIC, PcmKind::Generic},
    };
    for (const auto& [family, kind] : families) {
        auto description = sinktest::Description(family);
        description.channel_mask = 0x03;
        description.bits_per_sample = 16;
        description.channels = 2;
        description.sample_rate = 32000;
        const auto format = FormatFromDescription(description);
        ASSERT_TRUE(format) << family;
        EXPECT_EQ(format->kind, kind);
    }
}

TEST(PcmFormat, ReservedAndImpossibleFieldsFail) {
    auto dvd = sinktest::Description(BUFSTREAM_PCM_DVD_LPCM);
    dvd.quantisation = 3;
    EXPECT_FALSE(FormatFromDescription(dvd));
    dvd.quantisation = 0;
    dvd.rate_code = 2;  // DVD LPCM has no 192 kHz
    EXPECT_FALSE(FormatFromDescription(dvd));

    auto aes = sinktest::Description(BUFSTREAM_PCM_AES_302M);
    aes.channel_field = 4;
    EXPECT_FALSE(FormatFromDescription(aes));

    auto d10 = sinktest::Description(BUFSTREAM_PCM_AES_331M);
    d10.channel_mask = 0;
    EXPECT_FALSE(FormatFromDescription(d10));

    auto generic = sinktest::Description(BUFSTREAM_PCM_GENERIC);
    generic.channels = 2;
    generic.bits_per_sample = 16;
    generic.sample_rate = 0;
    EXPECT_FALSE(FormatFromDescription(generic));
    generic.sample_rate = 0xFFFFFFFF;  // byte rate beyond 32 bits
    EXPECT_FALSE(FormatFromDescription(generic));
    generic.sample_rate = 48000;
    generic.format_flags = BUFSTREAM_PCM_FLAG_FLOAT;  // no 16-bit float
    EXPECT_FALSE(FormatFromDescription(generic));
    generic.format_flags = 0;
    generic.channels = 9;
    EXPECT_FALSE(FormatFromDescription(generic));
    generic.channels = 0;
    EXPECT_FALSE(FormatFromDescription(generic));
    generic.channels = 2;
    generic.bits_per_sample = 12;
    EXPECT_FALSE(FormatFromDescription(generic));

    EXPECT_FALSE(FormatFromDescription(sinktest::Description(0)));
    EXPECT_FALSE(FormatFromDescription(sinktest::Description(0x800000)));
}

TEST(PcmFormat, HeaderDescribesFloatAndCapsHugeSizes) {
    sinks::PcmFormat format;
    format.kind = PcmKind::Generic;
    format.channels = 6;
    format.sample_rate = 96000;
    format.bits = 64;
    format.flags = BUFSTREAM_PCM_FLAG_FLOAT;
    const auto header = sinks::MakeWaveHeader(format, 0x1'0000'0000ull);
    auto u32 = [&](std::size_t at) {
        return std::uint32_t{header[at]} | std::uint32_t{header[at + 1]} << 8 | std::uint32_t{header[at + 2]} << 16 |
               std::uint32_t{header[at + 3]} << 24;
    };
    EXPECT_EQ(header[20], 3);
    EXPECT_EQ(header[32], 48);
    EXPECT_EQ(u32(28), 96000u * 48);
    EXPECT_EQ(u32(40), 0xFFFFFFFFu - 36);
    EXPECT_EQ(u32(4), 0xFFFFFFFFu);
}

}  // namespace
