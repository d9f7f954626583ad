// The WAV sink checked against an independent implementation: the files it
// writes are read back with ffprobe and ffmpeg, and packets that ffmpeg's
// own DVD LPCM, HDMV LPCM and SMPTE 302M encoders produce convert back to
// the samples they were made from. Skipped when the tools are missing.

#include <cstring>
#include <fstream>
#include <sstream>

#include "tests/plugins/common/wav_sink_fixture.h"

namespace {

using sinktest::Quoted;
using sinktest::RunCommand;
using sinktest::Samples;

constexpr const char* kFfmpeg = "ffmpeg -nostdin -hide_banner -loglevel error -y";

class WavSinkTools : public sinktest::WavSinkFixture {
protected:
    void SetUp() override {
        if (!sinktest::HaveTool("ffmpeg") || !sinktest::HaveTool("ffprobe")) GTEST_SKIP() << "ffmpeg/ffprobe missing";
    }

    std::string Probe(const std::string& wav) {
        const std::string out = dir_.File("probe.txt");
        const std::string command = "ffprobe -v error -select_streams a:0 -show_entries "
                                    "stream=codec_name,channels,sample_rate -of default=nw=1 " +
                                    Quoted(wav) + " > " + Quoted(out);
        if (!RunCommand(command)) return "<ffprobe failed>";
        const auto bytes = testsupport::ReadFileBytes(out);
        return std::string(bytes.begin(), bytes.end());
    }

    // The file's samples as ffmpeg decodes them, as 32-bit integers.
    std::vector<std::int32_t> Decode(const std::string& wav) {
        const std::string raw = dir_.File("decoded.raw");
        if (!RunCommand(std::string(kFfmpeg) + " -i " + Quoted(wav) + " -f s32le " + Quoted(raw))) return {};
        const auto bytes = testsupport::ReadFileBytes(raw);
        std::vector<std::int32_t> samples(bytes.size() / 4);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 4);
        return samples;
    }

    // Packets of an ffmpeg encoder fed with samples of the given width.
    std::vector<std::vector<std::uint8_t>> Encode(const Samples& samples, int channels, int bits,
                                                  const std::string& codec) {
        const std::string raw = dir_.File("source.raw");
        std::vector<std::uint8_t> bytes;
        for (std::int32_t s : samples) {
            const auto word = static_cast<std::uint32_t>(s) << (bits == 16 ? 16 : 32 - bits);
            const int width = bits == 16 ? 2 : 4;
            for (int i = 4 - width; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
        }
        std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
        const std::string input = std::string(kFfmpeg) + (bits == 16 ? " -f s16le" : " -f s32le") +
                                  " -ar 48000 -ac " + std::to_string(channels) + " -i " + Quoted(raw) +
                                  " -map 0:a -c:a " + codec + " -strict -2 ";
        const std::string data = dir_.File("packets.bin");
        const std::string sizes = dir_.File("packets.crc");
        if (!RunCommand(input + "-f data " + Quoted(data))) return {};
        if (!RunCommand(input + "-f framecrc " + Quoted(sizes))) return {};
        return SplitPackets(testsupport::ReadFileBytes(data), sizes);
    }

    static std::vector<std::vector<std::uint8_t>> SplitPackets(const std::vector<std::uint8_t>& data,
                                                               const std::string& crc_file) {
        std::vector<std::vector<std::uint8_t>> packets;
        std::ifstream lines(crc_file);
        std::string line;
        std::size_t at = 0;
        while (std::getline(lines, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::stringstream fields(line);
            std::string field;
            for (int i = 0; i < 5; ++i) std::getline(fields, field, ',');
            const std::size_t size = std::stoul(field);
            if (at + size > data.size()) return {};
            packets.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(at),
                                 data.begin() + static_cast<std::ptrdiff_t>(at + size));
            at += size;
        }
        return packets;
    }

    static Samples Prefix(const Samples& samples, std::size_t count) {
        return Samples(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(std::min(count, samples.size())));
    }
};

TEST_F(WavSinkTools, FilesOpenInAnIndependentReader) {
    struct Case {
        std::vector<std::uint8_t> header;
        int channels;
        int bits;
        const char* codec;
    };
    const Case cases[] = {
        {sinktest::TagHeader("LPCM", 1 << 2, 0), 2, 16, "pcm_s16le"},
        {sinktest::TagHeader("HDMV", 0x0D, 2 << 3 | 5), 6, 24, "pcm_s24le"},
        {sinktest::TagHeader("HDMV", 0x0D, 1 << 3 | 1), 2, 20, "pcm_s24le"},
    };
    for (const Case& c : cases) {
        auto sink = Create("probe.wav");
        ASSERT_NE(sink, nullptr);
        const Samples samples = sinktest::TestSamples(480, c.channels, c.bits, 40);
        const auto payload = c.header[0] == 'L' ? sinktest::PackDvdLpcm(samples, c.channels, c.bits)
                                                : sinktest::PackHdmvLpcm(samples, c.bits);
        ASSERT_EQ(Tagged(sink.get(), Join(c.header, payload)), 0);
        sink.reset();
        const std::string wav = dir_.File("probe.wav");
        EXPECT_EQ(Probe(wav), std::string("codec_name=") + c.codec + "\nsample_rate=48000\nchannels=" +
                                  std::to_string(c.channels) + "\n");
        const auto decoded = Decode(wav);
        ASSERT_EQ(decoded.size(), samples.size()) << c.codec;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            ASSERT_EQ(decoded[i], static_cast<std::int32_t>(static_cast<std::uint32_t>(samples[i]) << (32 - c.bits)))
                << c.codec << " sample " << i;
        }
    }
}

TEST_F(WavSinkTools, DvdLpcmPacketsOfFfmpegConvertBack) {
    for (const int channels : {1, 2, 6}) {
        const Samples samples = sinktest::TestSamples(28, channels, 24, 41);
        const auto packets = Encode(samples, channels, 24, "pcm_dvd");
        ASSERT_FALSE(packets.empty()) << channels;
        auto sink = Create("dvd.wav");
        ASSERT_NE(sink, nullptr);
        auto description = sinktest::Description(BUFSTREAM_PCM_DVD_LPCM);
        description.quantisation = 2;
        description.channel_field = static_cast<std::uint8_t>(channels - 1);
        for (const auto& packet : packets) {
            ASSERT_GT(packet.size(), 3u);  // the 3-byte LPCM header comes first
            ASSERT_EQ(Described(sink.get(), {packet.begin() + 3, packet.end()}, description), 0);
        }
        sink.reset();
        const Samples converted = sinktest::WaveSamples(sinktest::ReadWave(dir_.File("dvd.wav")));
        EXPECT_EQ(converted, Prefix(samples, converted.size())) << channels;
        EXPECT_GE(converted.size(), samples.size() - 2u * channels) << channels;
    }
}

TEST_F(WavSinkTools, Smpte302MPacketsOfFfmpegConvertBack) {
    for (const int bits : {16, 24}) {
        for (const int channels : {2, 8}) {
            const Samples samples = sinktest::TestSamples(37, channels, bits, 42);
            const auto packets = Encode(samples, channels, bits, "s302m");
            ASSERT_FALSE(packets.empty());
            auto sink = Create("s302m.wav");
            ASSERT_NE(sink, nullptr);
            bool first = true;
            for (const auto& packet : packets) {
                // The 4-byte AES3 header: size, channels, id, bits.
                ASSERT_GT(packet.size(), 4u);
                const int code_bits = (packet[3] >> 4) & 3;
                ASSERT_EQ(16 + 4 * code_bits, bits);
                std::vector<std::uint8_t> payload(packet.begin() + 4, packet.end());
                if (first) {
                    const auto params = static_cast<std::uint8_t>(code_bits << 3 | (channels - 1));
                    payload = Join(sinktest::TagHeader("AES3", 0x0A, params), payload);
                }
                first = false;
                ASSERT_EQ(Tagged(sink.get(), payload), 0);
            }
            sink.reset();
            EXPECT_EQ(sinktest::WaveSamples(sinktest::ReadWave(dir_.File("s302m.wav"))), samples)
                << bits << " bits, " << channels << " channels";
        }
    }
}

TEST_F(WavSinkTools, HdmvPacketsOfFfmpegConvertBack) {
    for (const int bits : {16, 24}) {
        const Samples samples = sinktest::TestSamples(37, 2, bits, 43);
        const auto packets = Encode(samples, 2, bits, "pcm_bluray");
        ASSERT_FALSE(packets.empty());
        auto sink = Create("bluray.wav");
        ASSERT_NE(sink, nullptr);
        auto description = sinktest::Description(BUFSTREAM_PCM_HDMV_LPCM);
        description.quantisation = static_cast<std::uint8_t>((bits - 16) / 4);
        description.channel_field = 3;  // stereo
        for (const auto& packet : packets) {
            ASSERT_GT(packet.size(), 4u);  // the 4-byte HDMV LPCM header comes first
            ASSERT_EQ(Described(sink.get(), {packet.begin() + 4, packet.end()}, description), 0);
        }
        sink.reset();
        const Samples converted = sinktest::WaveSamples(sinktest::ReadWave(dir_.File("bluray.wav")));
        ASSERT_GE(converted.size(), samples.size());
        EXPECT_EQ(Prefix(converted, samples.size()), samples) << bits;
        for (std::size_t i = samples.size(); i < converted.size(); ++i) ASSERT_EQ(converted[i], 0) << "padding " << i;
    }
}

}  // namespace
