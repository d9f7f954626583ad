#include "tests/plugins/common/pcm_packets.h"

#include <cstring>

#include "tests/support/temp_dir.h"

namespace sinktest {
namespace {

std::uint32_t Left24(std::int32_t sample, int bits) {
    return (static_cast<std::uint32_t>(sample) << (24 - bits)) & 0xFFFFFF;
}

void PushBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint8_t Mirror(std::uint8_t byte) {
    std::uint8_t mirrored = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (byte & (1u << bit)) mirrored = static_cast<std::uint8_t>(mirrored | (0x80u >> bit));
    }
    return mirrored;
}

std::uint32_t LittleEndian(const std::uint8_t* at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= std::uint32_t{at[i]} << (8 * i);
    return value;
}

std::int32_t SignExtend(std::uint32_t value, int bits) {
    const std::uint32_t sign = 1u << (bits - 1);
    return static_cast<std::int32_t>((value ^ sign) - sign);
}

}  // namespace

Samples TestSamples(std::size_t frames, int channels, int bits, std::uint32_t seed) {
    Samples samples;
    std::uint32_t state = seed * 747796405u + 2891336453u;
    const std::int32_t half = 1 << (bits - 1);
    for (std::size_t i = 0; i < frames * static_cast<std::size_t>(channels); ++i) {
        state = state * 1664525u + 1013904223u;
        samples.push_back(static_cast<std::int32_t>(state % (2u * static_cast<std::uint32_t>(half))) - half);
    }
    if (!samples.empty()) samples[0] = half - 1;  // the extremes are always covered
    if (samples.size() > 1) samples[1] = -half;
    return samples;
}

std::vector<std::uint8_t> TagHeader(const char* tag, std::uint8_t code, std::uint8_t params) {
    auto byte = [tag](int i) { return static_cast<std::uint8_t>(tag[i]); };
    return {byte(0), byte(1), byte(2), byte(3), code, params, 0, 0};
}

std::vector<std::uint8_t> PackDvdLpcm(const Samples& samples, int channels, int bits) {
    std::vector<std::uint8_t> out;
    if (bits == 16) {
        for (std::int32_t s : samples) PushBigEndian(out, static_cast<std::uint32_t>(s), 2);
        return out;
    }
    const std::size_t group = 2u * static_cast<std::size_t>(channels);
    const std::size_t subgroup = channels == 1 ? 2 : 4;
    for (std::size_t g = 0; g + group <= samples.size(); g += group) {
        for (std::size_t first = g; first < g + group; first += subgroup) {
            const std::size_t last = std::min(first + subgroup, g + group);
            for (std::size_t i = first; i < last; ++i) PushBigEndian(out, Left24(samples[i], bits) >> 8, 2);
            for (std::size_t i = first; i < last; ++i) {
                if (bits == 24) {
                    out.push_back(static_cast<std::uint8_t>(Left24(samples[i], bits)));
                } else if ((i - first) % 2 == 0) {
                    const std::uint32_t high = (Left24(samples[i], bits) >> 4) & 0xF;
                    const std::uint32_t low = (Left24(samples[i + 1], bits) >> 4) & 0xF;
                    out.push_back(static_cast<std::uint8_t>(high << 4 | low));
                }
            }
        }
    }
    return out;
}

std::vector<std::uint8_t> PackHdmvLpcm(const Samples& samples, int bits) {
    std::vector<std::uint8_t> out;
    for (std::int32_t s : samples) {
        if (bits == 16) {
            PushBigEndian(out, static_cast<std::uint32_t>(s), 2);
        } else {
            PushBigEndian(out, Left24(s, bits), 3);
        }
    }
    return out;
}

std::vector<std::uint8_t> PackAes302M(const Samples& samples, int bits) {
    std::vector<std::uint8_t> out;
    const int pair_bits = 2 * (bits + 4);
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
        // The bit string of one pair, first bit in bit 0; V U C F set to a
        // pattern the decoder must not mistake for sample bits.
        std::uint64_t bitstring = 0;
        const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
        bitstring |= static_cast<std::uint64_t>(samples[i]) & mask;
        bitstring |= std::uint64_t{0xB} << bits;
        bitstring |= (static_cast<std::uint64_t>(samples[i + 1]) & mask) << (bits + 4);
        bitstring |= std::uint64_t{0x6} << (2 * bits + 4);
        for (int byte = 0; byte < pair_bits / 8; ++byte) {
            out.push_back(Mirror(static_cast<std::uint8_t>(bitstring >> (8 * byte))));
        }
    }
    return out;
}

std::vector<std::uint8_t> PackAesWords(const Samples& samples, int slots, std::uint8_t mask, int bits) {
    std::vector<std::uint8_t> out;
    std::size_t next = 0;
    while (next < samples.size()) {
        for (int slot = 0; slot < slots; ++slot) {
            // Channel number in bits 0-3 and V U C P in bits 28-31 must be ignored.
            std::uint32_t word = static_cast<std::uint32_t>(slot) | 0xA0000000u;
            if ((mask >> slot) & 1) word |= Left24(samples[next++], bits) << 4;
            for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(word >> (8 * i)));
        }
    }
    return out;
}

bufstream_pcm_packet_desc Description(std::uint32_t family) {
    bufstream_pcm_packet_desc description{};
    description.format = family;
    description.packet_flags = BUFSTREAM_PCM_PACKET_HAS_FORMAT;
    return description;
}

Wave ReadWave(const std::string& path) {
    const std::vector<std::uint8_t> bytes = testsupport::ReadFileBytes(path);
    Wave wave;
    if (bytes.size() < 44 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(&bytes[8], "WAVEfmt ", 8) != 0 ||
        LittleEndian(&bytes[16], 4) != 16 || std::memcmp(&bytes[36], "data", 4) != 0) {
        return wave;
    }
    wave.valid = true;
    wave.riff_size = LittleEndian(&bytes[4], 4);
    wave.format_tag = static_cast<std::uint16_t>(LittleEndian(&bytes[20], 2));
    wave.channels = static_cast<std::uint16_t>(LittleEndian(&bytes[22], 2));
    wave.sample_rate = LittleEndian(&bytes[24], 4);
    wave.byte_rate = LittleEndian(&bytes[28], 4);
    wave.block_align = static_cast<std::uint16_t>(LittleEndian(&bytes[32], 2));
    wave.bits = static_cast<std::uint16_t>(LittleEndian(&bytes[34], 2));
    wave.data_size = LittleEndian(&bytes[40], 4);
    wave.data.assign(bytes.begin() + 44, bytes.end());
    return wave;
}

Samples WaveSamples(const Wave& wave) {
    Samples samples;
    const std::size_t width = wave.bits == 16 ? 2 : 3;
    for (std::size_t at = 0; at + width <= wave.data.size(); at += width) {
        const int bytes = static_cast<int>(width);
        const std::int32_t value = SignExtend(LittleEndian(&wave.data[at], bytes), 8 * bytes);
        samples.push_back(wave.bits == 20 ? value >> 4 : value);
    }
    return samples;
}

}  // namespace sinktest
