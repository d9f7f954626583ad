#include "plugins/common/pcm_convert.h"

#include <algorithm>

namespace sinks {
namespace {

// Writes the top `bits` of a 24-bit sample as a little-endian WAVE sample:
// 2 bytes for 16 bits, 3 bytes (left-justified) for 20 and 24 bits.
std::uint8_t* PutSample24(std::uint8_t* out, std::uint32_t sample24, std::uint32_t bits) {
    if (bits == 16) {
        out[0] = static_cast<std::uint8_t>(sample24 >> 8);
        out[1] = static_cast<std::uint8_t>(sample24 >> 16);
        return out + 2;
    }
    if (bits == 20) sample24 &= 0xFFFFF0;
    out[0] = static_cast<std::uint8_t>(sample24);
    out[1] = static_cast<std::uint8_t>(sample24 >> 8);
    out[2] = static_cast<std::uint8_t>(sample24 >> 16);
    return out + 3;
}

std::uint32_t BigEndian16(const std::uint8_t* in) { return (std::uint32_t{in[0]} << 8) | in[1]; }

std::uint32_t LittleEndian32(const std::uint8_t* in) {
    return std::uint32_t{in[0]} | (std::uint32_t{in[1]} << 8) | (std::uint32_t{in[2]} << 16) |
           (std::uint32_t{in[3]} << 24);
}

std::uint8_t ReverseBits(std::uint8_t byte) {
    byte = static_cast<std::uint8_t>(((byte & 0xF0) >> 4) | ((byte & 0x0F) << 4));
    byte = static_cast<std::uint8_t>(((byte & 0xCC) >> 2) | ((byte & 0x33) << 2));
    return static_cast<std::uint8_t>(((byte & 0xAA) >> 1) | ((byte & 0x55) << 1));
}

// Reverses the byte order of every `width`-byte sample.
void SwapSamples(const std::uint8_t* in, std::size_t bytes, std::size_t width, std::uint8_t* out) {
    for (std::size_t at = 0; at + width <= bytes; at += width) std::reverse_copy(in + at, in + at + width, out + at);
}

// DVD LPCM 20/24-bit: the samples of two sample frames, in subgroups of
// four (two in mono); each subgroup holds the upper 16 bits of its samples,
// then their low bits, one byte (24-bit) or one nibble, high nibble first
// (20-bit), per sample.
void ConvertDvdGroup(const PcmFormat& format, const std::uint8_t* in, std::uint8_t* out) {
    const std::size_t samples = 2u * format.channels;
    const std::size_t subgroup = format.channels == 1 ? 2 : 4;
    for (std::size_t done = 0; done < samples;) {
        const std::size_t count = std::min(subgroup, samples - done);
        const std::uint8_t* low = in + 2 * count;
        for (std::size_t s = 0; s < count; ++s) {
            std::uint32_t value = BigEndian16(in + 2 * s) << 8;
            if (format.bits == 24) {
                value |= low[s];
            } else {
                const std::uint8_t pair = low[s / 2];
                value |= static_cast<std::uint32_t>(s % 2 == 0 ? pair >> 4 : pair & 0x0F) << 4;
            }
            out = PutSample24(out, value, 24);
        }
        in = low + (format.bits == 24 ? count : count / 2);
        done += count;
    }
}

// SMPTE 302M: a channel pair is two subframes of (bits + 4) bits, each sample
// least significant bit first; every byte is sent most significant bit
// first, so reversing each byte gives one little-endian bit string.
std::uint8_t* ConvertAesPair(std::uint32_t bits, const std::uint8_t* in, std::size_t pair_bytes, std::uint8_t* out) {
    std::uint64_t stream = 0;
    for (std::size_t i = 0; i < pair_bytes; ++i) stream |= std::uint64_t{ReverseBits(in[i])} << (8 * i);
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    const auto first = static_cast<std::uint32_t>(stream & mask);
    const auto second = static_cast<std::uint32_t>((stream >> (bits + 4)) & mask);
    out = PutSample24(out, first << (24 - bits), bits);
    return PutSample24(out, second << (24 - bits), bits);
}

// AES3 channel words of 331M and 382M: audio in bits 4-27. A 331M frame
// has eight words and the mask picks the channels; a 382M frame has one word
// per channel.
std::uint8_t* ConvertAesWords(const PcmFormat& format, const std::uint8_t* in, std::uint8_t* out) {
    const bool masked = format.kind == PcmKind::Aes331M;
    const unsigned words = masked ? 8u : format.channels;
    for (unsigned word = 0; word < words; ++word) {
        if (masked && ((format.channel_mask >> word) & 1) == 0) continue;
        out = PutSample24(out, (LittleEndian32(in + 4 * word) >> 4) & 0xFFFFFF, format.bits);
    }
    return out;
}

void ConvertPlain(const PcmFormat& format, const std::uint8_t* in, std::size_t bytes, std::uint8_t* out) {
    const std::size_t width = BytesPerSample(format);
    if (width == 1) {
        // WAVE holds 8-bit samples unsigned.
        for (std::size_t i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(in[i] - 128);
    } else if ((format.flags & BUFSTREAM_PCM_FLAG_SWAPPED) != 0) {
        SwapSamples(in, bytes, width, out);
    } else {
        std::copy(in, in + bytes, out);
    }
}

std::size_t AesPairBytes(const PcmFormat& format) { return (2u * (format.bits + 4u)) / 8u; }

}  // namespace

PcmUnit ConversionUnit(const PcmFormat& format) {
    const std::size_t channels = format.channels;
    const std::size_t frame_out = BlockAlign(format);
    switch (format.kind) {
        case PcmKind::DvdLpcm:
            if (format.bits == 16) return {2 * channels, frame_out};
            return {channels * (format.bits == 24 ? 6u : 5u), 2 * frame_out};
        case PcmKind::HdmvLpcm:
            return {channels * BytesPerSample(format), frame_out};
        case PcmKind::Aes302M:
            return {channels / 2 * AesPairBytes(format), frame_out};
        case PcmKind::Aes331M:
            return {32, frame_out};
        case PcmKind::Aes382M:
            return {4 * channels, frame_out};
        case PcmKind::Twos:
        case PcmKind::Generic:
            return {frame_out, frame_out};
    }
    return {0, 0};
}

void ConvertUnits(const PcmFormat& format, const std::uint8_t* in, std::size_t units, std::uint8_t* out) {
    const PcmUnit unit = ConversionUnit(format);
    switch (format.kind) {
        case PcmKind::DvdLpcm:
            if (format.bits == 16) {
                SwapSamples(in, units * unit.in_bytes, 2, out);
            } else {
                for (std::size_t u = 0; u < units; ++u) {
                    ConvertDvdGroup(format, in + u * unit.in_bytes, out + u * unit.out_bytes);
                }
            }
            return;
        case PcmKind::HdmvLpcm:
            SwapSamples(in, units * unit.in_bytes, BytesPerSample(format), out);
            return;
        case PcmKind::Aes302M:
            for (std::size_t pair = 0; pair < units * format.channels / 2; ++pair) {
                out = ConvertAesPair(format.bits, in + pair * AesPairBytes(format), AesPairBytes(format), out);
            }
            return;
        case PcmKind::Aes331M:
        case PcmKind::Aes382M:
            for (std::size_t u = 0; u < units; ++u) out = ConvertAesWords(format, in + u * unit.in_bytes, out);
            return;
        case PcmKind::Twos:
        case PcmKind::Generic:
            ConvertPlain(format, in, units * unit.in_bytes, out);
            return;
    }
}

}  // namespace sinks
