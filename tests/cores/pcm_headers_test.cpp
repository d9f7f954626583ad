// The per-packet headers of DVD LPCM, HDMV LPCM and SMPTE 302M, turned into
// the announcements the WAV sink reads; each announcement is read back with
// the sink's own format reader.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>

#include "cores/common/pcm_headers.h"
#include "plugins/common/pcm_format.h"

namespace {

using cores::AnnouncePcm;
using cores::PcmFraming;
using Header = std::array<std::uint8_t, 4>;

struct Expected {
    sinks::PcmKind kind;
    int channels;
    int rate;
    int bits;
};

// The format the sink derives from the announcement of this header.
std::optional<sinks::PcmFormat> SinkFormat(PcmFraming framing, const Header& header) {
    const auto announcement = AnnouncePcm(framing, header.data());
    if (!announcement) return std::nullopt;
    if (const auto* tag = std::get_if<bufstream_pcm_tag_header>(&*announcement)) {
        std::uint8_t bytes[sizeof *tag];
        std::memcpy(bytes, tag, sizeof bytes);
        return sinks::FormatFromTag(bytes);
    }
    return sinks::FormatFromDescription(std::get<bufstream_pcm_packet_desc>(*announcement));
}

void ExpectFormat(PcmFraming framing, const Header& header, const Expected& expected) {
    const auto format = SinkFormat(framing, header);
    ASSERT_TRUE(format.has_value());
    EXPECT_EQ(format->kind, expected.kind);
    EXPECT_EQ(format->channels, expected.channels);
    EXPECT_EQ(static_cast<int>(format->sample_rate), expected.rate);
    EXPECT_EQ(format->bits, expected.bits);
}

TEST(PcmHeaders, HeaderLengthsPerFraming) {
    EXPECT_EQ(cores::PcmHeaderBytes(PcmFraming::None), 0u);
    EXPECT_EQ(cores::PcmHeaderBytes(PcmFraming::DvdLpcm), 3u);
    EXPECT_EQ(cores::PcmHeaderBytes(PcmFraming::HdmvLpcm), 4u);
    EXPECT_EQ(cores::PcmHeaderBytes(PcmFraming::Aes302M), 4u);
}

TEST(PcmHeaders, DvdLpcmSixteenBitsIsTagged) {
    // Frame number 12, 16 bits, 48 kHz, 2 channels, dynamic range 0x80: the
    // header libavformat leaves in front of a DVD LPCM payload.
    const Header stereo48{0x0C, 0x01, 0x80, 0};
    const auto announcement = AnnouncePcm(PcmFraming::DvdLpcm, stereo48.data());
    ASSERT_TRUE(announcement.has_value());
    const auto* tag = std::get_if<bufstream_pcm_tag_header>(&*announcement);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(std::string(tag->tag, 4), "LPCM");
    EXPECT_EQ(tag->code, 1 << 2);
    ExpectFormat(PcmFraming::DvdLpcm, stereo48, {sinks::PcmKind::DvdLpcm, 2, 48000, 16});
    ExpectFormat(PcmFraming::DvdLpcm, {0, 0x15, 0, 0}, {sinks::PcmKind::DvdLpcm, 6, 96000, 16});
    ExpectFormat(PcmFraming::DvdLpcm, {0, 0x00, 0, 0}, {sinks::PcmKind::DvdLpcm, 1, 48000, 16});
}

TEST(PcmHeaders, DvdLpcmTwentyAndTwentyFourBitsAreDescribed) {
    const Header stereo24{0, 0x81, 0x80, 0};
    const auto announcement = AnnouncePcm(PcmFraming::DvdLpcm, stereo24.data());
    ASSERT_TRUE(announcement.has_value());
    const auto* description = std::get_if<bufstream_pcm_packet_desc>(&*announcement);
    ASSERT_NE(description, nullptr);
    EXPECT_EQ(description->format, static_cast<std::uint32_t>(BUFSTREAM_PCM_DVD_LPCM));
    EXPECT_EQ(description->packet_flags, BUFSTREAM_PCM_PACKET_HAS_FORMAT);
    ExpectFormat(PcmFraming::DvdLpcm, stereo24, {sinks::PcmKind::DvdLpcm, 2, 48000, 24});
    ExpectFormat(PcmFraming::DvdLpcm, {0, 0x53, 0, 0}, {sinks::PcmKind::DvdLpcm, 4, 96000, 20});
}

TEST(PcmHeaders, DvdLpcmFormatsNoSinkTakesAreRefused) {
    EXPECT_FALSE(AnnouncePcm(PcmFraming::DvdLpcm, Header{0, 0x21, 0, 0}.data()));  // 44.1 kHz
    EXPECT_FALSE(AnnouncePcm(PcmFraming::DvdLpcm, Header{0, 0x31, 0, 0}.data()));  // 32 kHz
    EXPECT_FALSE(AnnouncePcm(PcmFraming::DvdLpcm, Header{0, 0xC1, 0, 0}.data()));  // reserved quantisation
}

TEST(PcmHeaders, HdmvLpcmIsTaggedWithItsStoredChannels) {
    // Payload size 960, stereo, 48 kHz, 16 bits: libavformat's packet start.
    ExpectFormat(PcmFraming::HdmvLpcm, {0x03, 0xC0, 0x31, 0x40}, {sinks::PcmKind::HdmvLpcm, 2, 48000, 16});
    // Mono is stored with a padding channel; 3/2+LFE as six; 3/4+LFE as eight.
    ExpectFormat(PcmFraming::HdmvLpcm, {0, 0, 0x11, 0x40}, {sinks::PcmKind::HdmvLpcm, 2, 48000, 16});
    ExpectFormat(PcmFraming::HdmvLpcm, {0, 0, 0x94, 0xC0}, {sinks::PcmKind::HdmvLpcm, 6, 96000, 24});
    ExpectFormat(PcmFraming::HdmvLpcm, {0, 0, 0xB5, 0x80}, {sinks::PcmKind::HdmvLpcm, 8, 192000, 20});
}

TEST(PcmHeaders, HdmvLpcmReservedValuesAreRefused) {
    EXPECT_FALSE(AnnouncePcm(PcmFraming::HdmvLpcm, Header{0, 0, 0x21, 0x40}.data()));  // assignment 2
    EXPECT_FALSE(AnnouncePcm(PcmFraming::HdmvLpcm, Header{0, 0, 0xC1, 0x40}.data()));  // assignment 12
    EXPECT_FALSE(AnnouncePcm(PcmFraming::HdmvLpcm, Header{0, 0, 0x32, 0x40}.data()));  // rate 2
    EXPECT_FALSE(AnnouncePcm(PcmFraming::HdmvLpcm, Header{0, 0, 0x31, 0x00}.data()));  // bits 0
}

TEST(PcmHeaders, Aes302MIsTaggedFromItsBitFields) {
    // Payload 5120 bytes, 2 channels, 16 bits: the header of ffmpeg's s302m.
    ExpectFormat(PcmFraming::Aes302M, {0x14, 0x00, 0x00, 0x00}, {sinks::PcmKind::Aes302M, 2, 48000, 16});
    // Channels code 3 (8 channels), channel id bits set, 24 bits.
    ExpectFormat(PcmFraming::Aes302M, {0x00, 0x10, 0xFF, 0xE0}, {sinks::PcmKind::Aes302M, 8, 48000, 24});
    ExpectFormat(PcmFraming::Aes302M, {0x00, 0x10, 0x40, 0x10}, {sinks::PcmKind::Aes302M, 4, 48000, 20});
    EXPECT_FALSE(AnnouncePcm(PcmFraming::Aes302M, Header{0, 0, 0, 0x30}.data()));  // reserved bits value
}

}  // namespace
