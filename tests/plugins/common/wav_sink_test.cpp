// The WAV sink: the header it writes, the formats it reads from tagged
// packets and packet descriptions, and the samples it converts.

#include <cstring>

#include "tests/plugins/common/wav_sink_fixture.h"

namespace {

using sinktest::Samples;
using sinktest::TagHeader;
using sinktest::TestSamples;

class WavSinkTest : public sinktest::WavSinkFixture {};

TEST_F(WavSinkTest, DvdLpcmStereo48k16Bit) {
    auto sink = Create("lpcm.wav");
    ASSERT_NE(sink, nullptr);
    const Samples first = TestSamples(100, 2, 16, 1);
    const Samples second = TestSamples(50, 2, 16, 2);
    // Channels - 1 in bits 4-2 of the code byte, 48 kHz.
    ASSERT_EQ(Tagged(sink.get(), Join(TagHeader("LPCM", 1 << 2, 0), sinktest::PackDvdLpcm(first, 2, 16))), 0);
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), 400u);
    ASSERT_EQ(Tagged(sink.get(), sinktest::PackDvdLpcm(second, 2, 16)), 0);
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), 600u);
    sink.reset();

    const auto wave = sinktest::ReadWave(dir_.File("lpcm.wav"));
    ASSERT_TRUE(wave.valid);
    EXPECT_EQ(wave.format_tag, 1);
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.sample_rate, 48000u);
    EXPECT_EQ(wave.block_align, 4);
    EXPECT_EQ(wave.byte_rate, 192000u);
    EXPECT_EQ(wave.bits, 16);
    EXPECT_EQ(wave.data_size, 600u);
    EXPECT_EQ(wave.riff_size, 636u);
    EXPECT_EQ(wave.data.size(), 600u);
    Samples expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(sinktest::WaveSamples(wave), expected);
}

TEST_F(WavSinkTest, LpcmTagCarriesChannelsAndRate) {
    auto sink = Create("lpcm8.wav");
    ASSERT_NE(sink, nullptr);
    const Samples samples = TestSamples(10, 8, 16, 3);
    ASSERT_EQ(Tagged(sink.get(), Join(TagHeader("LPCM", 0x1D, 0), sinktest::PackDvdLpcm(samples, 8, 16))), 0);
    sink.reset();
    const auto wave = sinktest::ReadWave(dir_.File("lpcm8.wav"));
    EXPECT_EQ(wave.channels, 8);
    EXPECT_EQ(wave.sample_rate, 96000u);
    EXPECT_EQ(wave.byte_rate, 96000u * 16);
    EXPECT_EQ(sinktest::WaveSamples(wave), samples);
}

TEST_F(WavSinkTest, HdmvSamplesOfEveryWidth) {
    for (const int bits : {16, 20, 24}) {
        for (const int channels : {2, 6}) {
            auto sink = Create("hdmv.wav");
            ASSERT_NE(sink, nullptr);
            const Samples a = TestSamples(40, channels, bits, 4);
            const Samples b = TestSamples(7, channels, bits, 5);
            const auto params = static_cast<std::uint8_t>((1 << 5) | ((bits - 16) / 4) << 3 | (channels - 1));
            ASSERT_EQ(Tagged(sink.get(), Join(TagHeader("HDMV", 0x0D, params), sinktest::PackHdmvLpcm(a, bits))), 0);
            ASSERT_EQ(Tagged(sink.get(), sinktest::PackHdmvLpcm(b, bits)), 0);
            sink.reset();
            const auto wave = sinktest::ReadWave(dir_.File("hdmv.wav"));
            EXPECT_EQ(wave.sample_rate, 96000u);
            EXPECT_EQ(wave.bits, bits);
            EXPECT_EQ(wave.channels, channels);
            EXPECT_EQ(wave.block_align, channels * (bits == 16 ? 2 : 3));
            Samples expected = a;
            expected.insert(expected.end(), b.begin(), b.end());
            EXPECT_EQ(sinktest::WaveSamples(wave), expected) << bits << " bits, " << channels << " channels";
        }
    }
}

TEST_F(WavSinkTest, ReservedOrUnknownHeadersFailTheFirstPacketWithoutAHeader) {
    const std::vector<std::uint8_t> payload(64, 0x11);
    const std::vector<std::vector<std::uint8_t>> bad_packets = {
        Join(TagHeader("HDMV", 0x0D, 3 << 5 | 1), payload),  // reserved rate
        Join(TagHeader("HDMV", 0x0D, 3 << 3 | 1), payload),  // reserved bits
        Join(TagHeader("HDMV", 0x0E, 1), payload),           // not HDMV LPCM
        Join(TagHeader("AES3", 0x0A, 3 << 3 | 1), payload),  // reserved bits
        Join(TagHeader("AES3", 0x0A, 2), payload),           // three channels cannot pair
        Join(TagHeader("AES3", 0x09, 1), payload),           // unknown AES3 mapping
        Join(TagHeader("WAVE", 0x00, 0), payload),           // unknown tag
        std::vector<std::uint8_t>{'L', 'P', 'C', 'M', 4},    // shorter than a header
    };
    for (const auto& packet : bad_packets) {
        auto sink = Create("bad.wav");
        ASSERT_NE(sink, nullptr);
        EXPECT_EQ(Tagged(sink.get(), packet), -1);
        EXPECT_EQ(sinktest::FileSize(dir_.File("bad.wav")), 0);
        // The failed packet is gone; a good one still starts the file.
        const Samples samples = TestSamples(4, 2, 16, 6);
        ASSERT_EQ(Tagged(sink.get(), Join(TagHeader("LPCM", 1 << 2, 0), sinktest::PackDvdLpcm(samples, 2, 16))), 0);
        sink.reset();
        EXPECT_EQ(sinktest::WaveSamples(sinktest::ReadWave(dir_.File("bad.wav"))), samples);
    }
}

TEST_F(WavSinkTest, Aes302MPairsOfEveryWidth) {
    for (const int bits : {16, 20, 24}) {
        for (const int channels : {2, 4, 8}) {
            auto sink = Create("aes.wav");
            ASSERT_NE(sink, nullptr);
            const Samples samples = TestSamples(33, channels, bits, 7);
            const auto params = static_cast<std::uint8_t>(((bits - 16) / 4) << 3 | (channels - 1));
            const auto payload = sinktest::PackAes302M(samples, bits);
            ASSERT_EQ(Tagged(sink.get(), Join(TagHeader("AES3", 0x0A, params), payload)), 0);
            sink.reset();
            const auto wave = sinktest::ReadWave(dir_.File("aes.wav"));
            EXPECT_EQ(wave.sample_rate, 48000u);
            EXPECT_EQ(wave.channels, channels);
            EXPECT_EQ(wave.bits, bits);
            EXPECT_EQ(sinktest::WaveSamples(wave), samples) << bits << " bits, " << channels << " channels";
        }
    }
}

TEST_F(WavSinkTest, Aes302MPacketBelowTheMinimumWaitsForMore) {
    auto sink = Create("min.wav");
    ASSERT_NE(sink, nullptr);
    const Samples samples = TestSamples(2, 2, 24, 8);
    const auto payload = sinktest::PackAes302M(samples, 24);  // two frames of 7 bytes
    const std::vector<std::uint8_t> first_frame(payload.begin(), payload.begin() + 7);
    const std::vector<std::uint8_t> second_frame(payload.begin() + 7, payload.end());
    ASSERT_EQ(Tagged(sink.get(), Join(TagHeader("AES3", 0x0A, 2 << 3 | 1), first_frame), 14), 0);
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), 0u);
    ASSERT_EQ(Tagged(sink.get(), second_frame, 14), 0);
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), 12u);
    sink.reset();
    EXPECT_EQ(sinktest::WaveSamples(sinktest::ReadWave(dir_.File("min.wav"))), samples);
}

TEST_F(WavSinkTest, Aes302MMinimumBeyondTheBufferStillConvertsAFullBuffer) {
    auto sink = Create("huge.wav");
    ASSERT_NE(sink, nullptr);
    const std::int32_t huge = 0x7FFFFFFF;
    const std::vector<std::uint8_t> two_frames(14, 0x55);
    ASSERT_EQ(Tagged(sink.get(), Join(TagHeader("AES3", 0x0A, 2 << 3 | 1), two_frames), huge), 0);
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), 0u);
    const std::vector<std::uint8_t> rest(sinks::kWavSinkCapacity - 14, 0x55);
    ASSERT_EQ(Tagged(sink.get(), rest, huge), 0);
    // Whole 7-byte frames of two 24-bit samples each.
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), sinks::kWavSinkCapacity / 7 * 6);
}

TEST_F(WavSinkTest, Aes331MKeepsTheMaskedChannelWords) {
    auto sink = Create("d10.wav");
    ASSERT_NE(sink, nullptr);
    const std::uint8_t mask = 0b10100001;
    const Samples samples = TestSamples(25, 3, 24, 9);
    auto description = sinktest::Description(BUFSTREAM_PCM_AES_331M);
    description.channel_mask = mask;
    ASSERT_EQ(Described(sink.get(), sinktest::PackAesWords(samples, 8, mask, 24), description), 0);
    sink.reset();
    const auto wave = sinktest::ReadWave(dir_.File("d10.wav"));
    EXPECT_EQ(wave.channels, 3);
    EXPECT_EQ(wave.bits, 24);
    EXPECT_EQ(wave.sample_rate, 48000u);
    EXPECT_EQ(sinktest::WaveSamples(wave), samples);
}

TEST_F(WavSinkTest, Aes382MWordsFromTagAndDescription) {
    const Samples samples = TestSamples(19, 4, 20, 10);
    auto tagged = Create("382t.wav");
    ASSERT_NE(tagged, nullptr);
    const auto words = sinktest::PackAesWords(samples, 4, 0x0F, 20);
    ASSERT_EQ(Tagged(tagged.get(), Join(TagHeader("AES3", 0x0C, 1 << 3 | 3), words)), 0);
    tagged.reset();
    EXPECT_EQ(sinktest::WaveSamples(sinktest::ReadWave(dir_.File("382t.wav"))), samples);

    auto described = Create("382d.wav");
    ASSERT_NE(described, nullptr);
    auto description = sinktest::Description(BUFSTREAM_PCM_AES_382M);
    description.bits_per_sample = 20;
    description.channels = 4;
    description.rate_code = 1;
    ASSERT_EQ(Described(described.get(), words, description), 0);
    described.reset();
    const auto wave = sinktest::ReadWave(dir_.File("382d.wav"));
    EXPECT_EQ(wave.sample_rate, 96000u);
    EXPECT_EQ(sinktest::WaveSamples(wave), samples);
}

TEST_F(WavSinkTest, DvdLpcmSampleGroupsOfTwentyAndTwentyFourBits) {
    for (const int bits : {20, 24}) {
        for (const int channels : {1, 2, 3, 6}) {
            auto sink = Create("groups.wav");
            ASSERT_NE(sink, nullptr);
            const Samples samples = TestSamples(30, channels, bits, 11);
            auto description = sinktest::Description(BUFSTREAM_PCM_DVD_LPCM);
            description.quantisation = static_cast<std::uint8_t>((bits - 16) / 4);
            description.channel_field = static_cast<std::uint8_t>(channels - 1);
            ASSERT_EQ(Described(sink.get(), sinktest::PackDvdLpcm(samples, channels, bits), description), 0);
            sink.reset();
            const auto wave = sinktest::ReadWave(dir_.File("groups.wav"));
            EXPECT_EQ(wave.bits, bits);
            EXPECT_EQ(wave.block_align, 3 * channels);
            EXPECT_EQ(sinktest::WaveSamples(wave), samples) << bits << " bits, " << channels << " channels";
        }
    }
}

TEST_F(WavSinkTest, GroupsSplitAcrossPacketsStayWhole) {
    auto sink = Create("split.wav");
    ASSERT_NE(sink, nullptr);
    const Samples samples = TestSamples(20, 2, 24, 12);
    const auto payload = sinktest::PackDvdLpcm(samples, 2, 24);  // groups of 12 bytes
    auto description = sinktest::Description(BUFSTREAM_PCM_DVD_LPCM);
    description.quantisation = 2;
    description.channel_field = 1;
    auto later = description;
    later.packet_flags = 0;
    const std::size_t cuts[] = {0, 17, 18, 61, payload.size()};
    for (std::size_t i = 0; i + 1 < std::size(cuts); ++i) {
        const std::vector<std::uint8_t> piece(payload.begin() + static_cast<std::ptrdiff_t>(cuts[i]),
                                              payload.begin() + static_cast<std::ptrdiff_t>(cuts[i + 1]));
        ASSERT_EQ(Described(sink.get(), piece, i == 0 ? description : later), 0);
    }
    sink.reset();
    EXPECT_EQ(sinktest::WaveSamples(sinktest::ReadWave(dir_.File("split.wav"))), samples);
}

TEST_F(WavSinkTest, FullBufferOfExpandingSamplesIsConvertedInPasses) {
    // 20-bit DVD LPCM grows from 5 to 6 bytes per sample pair: a full
    // packet buffer converts to more than one conversion buffer.
    auto sink = Create("full.wav");
    ASSERT_NE(sink, nullptr);
    const std::size_t groups = sinks::kWavSinkCapacity / 10;
    const Samples samples = TestSamples(2 * groups, 2, 20, 13);
    auto description = sinktest::Description(BUFSTREAM_PCM_DVD_LPCM);
    description.quantisation = 1;
    description.channel_field = 1;
    ASSERT_EQ(Described(sink.get(), sinktest::PackDvdLpcm(samples, 2, 20), description), 0);
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), groups * 12);
    sink.reset();
    EXPECT_EQ(sinktest::WaveSamples(sinktest::ReadWave(dir_.File("full.wav"))), samples);
}

TEST_F(WavSinkTest, PlainPcmCopiesSwapsAndOffsetsEightBit) {
    struct Case {
        std::uint32_t family;
        std::uint8_t bits;
        std::uint16_t flags;
        std::vector<std::uint8_t> in;
        std::vector<std::uint8_t> out;
        std::uint16_t format_tag;
    };
    const Case cases[] = {
        {BUFSTREAM_PCM_TWOS, 8, 0, {0x00, 0x7F, 0x80, 0xFF}, {0x80, 0xFF, 0x00, 0x7F}, 1},
        {BUFSTREAM_PCM_TWOS, 16, BUFSTREAM_PCM_FLAG_SWAPPED, {0x12, 0x34, 0xAB, 0xCD}, {0x34, 0x12, 0xCD, 0xAB}, 1},
        {BUFSTREAM_PCM_GENERIC, 24, 0, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}, 1},
        {BUFSTREAM_PCM_GENERIC, 32, BUFSTREAM_PCM_FLAG_FLOAT | BUFSTREAM_PCM_FLAG_SWAPPED,
         {0x3F, 0x80, 0, 0, 0xBF, 0, 0, 0}, {0, 0, 0x80, 0x3F, 0, 0, 0, 0xBF}, 3},
        {BUFSTREAM_PCM_GENERIC, 64, BUFSTREAM_PCM_FLAG_FLOAT, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}, 3},
    };
    for (const Case& c : cases) {
        auto sink = Create("plain.wav");
        ASSERT_NE(sink, nullptr);
        auto description = sinktest::Description(c.family);
        description.bits_per_sample = c.bits;
        description.channels = 1;
        description.sample_rate = 44100;
        description.format_flags = c.flags;
        ASSERT_EQ(Described(sink.get(), c.in, description), 0);
        sink.reset();
        const auto wave = sinktest::ReadWave(dir_.File("plain.wav"));
        EXPECT_EQ(wave.format_tag, c.format_tag);
        EXPECT_EQ(wave.bits, c.bits);
        EXPECT_EQ(wave.sample_rate, c.family == BUFSTREAM_PCM_GENERIC ? 44100u : 48000u);
        EXPECT_EQ(wave.data, c.out) << c.family << "/" << int{c.bits};
    }
}

TEST_F(WavSinkTest, DescribedPacketsBeforeTheFormatAreDropped) {
    auto sink = Create("late.wav");
    ASSERT_NE(sink, nullptr);
    auto no_format = sinktest::Description(BUFSTREAM_PCM_DVD_LPCM);
    no_format.packet_flags = 0;
    EXPECT_EQ(Described(sink.get(), std::vector<std::uint8_t>(400, 0x42), no_format), 0);
    EXPECT_EQ(sinktest::FileSize(dir_.File("late.wav")), 0);
    EXPECT_EQ(Described(sink.get(), std::vector<std::uint8_t>(40, 0x42), sinktest::Description(0x8)), -1);
    EXPECT_EQ(sinktest::FileSize(dir_.File("late.wav")), 0);
    const Samples samples = TestSamples(9, 1, 16, 14);
    const auto mono = sinktest::Description(BUFSTREAM_PCM_DVD_LPCM);  // 16 bits, 48 kHz, one channel
    ASSERT_EQ(Described(sink.get(), sinktest::PackDvdLpcm(samples, 1, 16), mono), 0);
    sink.reset();
    EXPECT_EQ(sinktest::WaveSamples(sinktest::ReadWave(dir_.File("late.wav"))), samples);
}

TEST_F(WavSinkTest, FinishConvertsTheUnsignalledTailAndCompletesTheHeader) {
    auto sink = Create("tail.wav");
    ASSERT_NE(sink, nullptr);
    const Samples head = TestSamples(5, 2, 16, 15);
    const Samples tail = TestSamples(3, 2, 16, 16);
    ASSERT_EQ(Tagged(sink.get(), Join(TagHeader("LPCM", 1 << 2, 0), sinktest::PackDvdLpcm(head, 2, 16))), 0);
    auto rest = sinktest::PackDvdLpcm(tail, 2, 16);
    rest.push_back(0x99);  // part of a frame that never arrives
    ASSERT_TRUE(sinktest::WriteInChunks(sink.get(), rest, 5));
    sink.reset();
    const auto wave = sinktest::ReadWave(dir_.File("tail.wav"));
    Samples expected = head;
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(sinktest::WaveSamples(wave), expected);
    EXPECT_EQ(wave.data_size, 32u);
    EXPECT_EQ(wave.riff_size, 68u);
}

TEST_F(WavSinkTest, BufferLimitsAndUnsupportedSplit) {
    auto sink = Create("limits.wav");
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    auto big = sinktest::Pattern(sinks::kWavSinkCapacity, 17);
    EXPECT_EQ(bs->write_bytes(bs, big.data(), sinks::kWavSinkCapacity + 0), sinks::kWavSinkCapacity);
    EXPECT_EQ(bs->bytes_available(bs), 0u);
    EXPECT_EQ(bs->write_bytes(bs, big.data(), 1), 0u);
    EXPECT_EQ(bs->reserve(bs, 1), nullptr);
    EXPECT_EQ(bs->commit(bs, 1), 0u);
    EXPECT_EQ(bs->next_part(bs), BUFSTREAM_NEXT_PART_FAILED);
    EXPECT_EQ(bs->control(bs, 0, BUFSTREAM_CMD_PCM_PACKET_TAGGED, nullptr, 16), 0);
    EXPECT_EQ(bs->control(bs, 0, BUFSTREAM_CMD_PCM_PACKET_DESCRIBED, big.data(), 77), 0);
    EXPECT_EQ(bs->bytes_available(bs), 0u);  // ignored commands keep the packet
}

}  // namespace
