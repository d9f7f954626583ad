#include "plugins/common/pcm_format.h"

#include <bitset>
#include <cstring>
#include <limits>

namespace sinks {
namespace {

constexpr std::uint32_t kMaxChannels = 8;

std::optional<std::uint16_t> BitsFromCode(unsigned code) {
    static constexpr std::uint16_t kBits[] = {16, 20, 24};
    if (code >= 3) return std::nullopt;
    return kBits[code];
}

std::optional<std::uint32_t> RateFromCode(unsigned code, unsigned codes_allowed) {
    static constexpr std::uint32_t kRates[] = {48000, 96000, 192000};
    if (code >= codes_allowed) return std::nullopt;
    return kRates[code];
}

// HDMV channel assignments carry an even number of channels, the padding
// channel of odd layouts included.
std::optional<std::uint16_t> HdmvChannels(unsigned assignment) {
    static constexpr std::uint16_t kChannels[] = {0, 2, 0, 2, 4, 4, 4, 4, 6, 6, 8, 8};
    if (assignment >= std::size(kChannels) || kChannels[assignment] == 0) return std::nullopt;
    return kChannels[assignment];
}

bool ValidBits(const PcmFormat& format) {
    switch (format.kind) {
        case PcmKind::Twos:
            return format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32;
        case PcmKind::Generic:
            if ((format.flags & BUFSTREAM_PCM_FLAG_FLOAT) != 0) return format.bits == 32 || format.bits == 64;
            return format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32 || format.bits == 64;
        default:
            return format.bits == 16 || format.bits == 20 || format.bits == 24;
    }
}

std::optional<PcmFormat> Checked(const PcmFormat& format) {
    if (format.channels == 0 || format.channels > kMaxChannels || format.sample_rate == 0) return std::nullopt;
    if (format.kind == PcmKind::Aes302M && format.channels % 2 != 0) return std::nullopt;
    if (!ValidBits(format)) return std::nullopt;
    const std::uint64_t byte_rate = std::uint64_t{format.sample_rate} * BlockAlign(format);
    if (byte_rate > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return format;
}

std::optional<PcmFormat> AesFromTag(std::uint8_t code, std::uint8_t params) {
    PcmFormat format;
    switch (code) {
        case BUFSTREAM_PCM_TAG_AES_302M: format.kind = PcmKind::Aes302M; break;
        case BUFSTREAM_PCM_TAG_AES_331M: format.kind = PcmKind::Aes331M; break;
        case BUFSTREAM_PCM_TAG_AES_382M: format.kind = PcmKind::Aes382M; break;
        default: return std::nullopt;
    }
    const auto bits = BitsFromCode((params >> 3) & 3);
    if (!bits) return std::nullopt;
    format.channels = static_cast<std::uint16_t>((params & 7) + 1);
    format.sample_rate = 48000;
    format.bits = *bits;
    format.channel_mask = static_cast<std::uint8_t>((1u << format.channels) - 1);
    return Checked(format);
}

std::optional<PcmFormat> HdmvFromTag(std::uint8_t code, std::uint8_t params) {
    if (code != BUFSTREAM_PCM_TAG_HDMV) return std::nullopt;
    const auto bits = BitsFromCode((params >> 3) & 3);
    const auto rate = RateFromCode((params >> 5) & 3, 3);
    if (!bits || !rate) return std::nullopt;
    PcmFormat format;
    format.kind = PcmKind::HdmvLpcm;
    format.channels = static_cast<std::uint16_t>((params & 7) + 1);
    format.sample_rate = *rate;
    format.bits = *bits;
    return Checked(format);
}

}  // namespace

std::optional<PcmFormat> FormatFromTag(const std::uint8_t* header) {
    const std::uint8_t code = header[4];
    const std::uint8_t params = header[5];
    if (std::memcmp(header, "LPCM", 4) == 0) {
        PcmFormat format;
        format.kind = PcmKind::DvdLpcm;
        format.channels = static_cast<std::uint16_t>(((code >> 2) & 7) + 1);
        format.sample_rate = (code & 1) != 0 ? 96000 : 48000;
        format.bits = 16;
        return Checked(format);
    }
    if (std::memcmp(header, "HDMV", 4) == 0) return HdmvFromTag(code, params);
    if (std::memcmp(header, "AES3", 4) == 0) return AesFromTag(code, params);
    return std::nullopt;
}

namespace {

std::optional<PcmFormat> LpcmFromDescription(const bufstream_pcm_packet_desc& d, PcmKind kind) {
    const auto bits = BitsFromCode(d.quantisation);
    const auto rate = RateFromCode(d.rate_code, kind == PcmKind::HdmvLpcm ? 3 : 2);
    const auto channels = kind == PcmKind::HdmvLpcm ? HdmvChannels(d.channel_field)
                                                    : std::optional<std::uint16_t>(d.channel_field + 1);
    if (!bits || !rate || !channels) return std::nullopt;
    PcmFormat format;
    format.kind = kind;
    format.channels = *channels;
    format.sample_rate = *rate;
    format.bits = *bits;
    return Checked(format);
}

std::optional<PcmFormat> AesFromDescription(const bufstream_pcm_packet_desc& d, PcmKind kind) {
    PcmFormat format;
    format.kind = kind;
    format.sample_rate = 48000;
    if (kind == PcmKind::Aes302M) {
        const auto bits = BitsFromCode(d.quantisation);
        if (!bits || d.channel_field > 3) return std::nullopt;
        format.bits = *bits;
        format.channels = static_cast<std::uint16_t>(2 * (d.channel_field + 1));
    } else if (kind == PcmKind::Aes331M) {
        format.bits = 24;
        format.channel_mask = d.channel_mask;
        format.channels = static_cast<std::uint16_t>(std::bitset<8>(d.channel_mask).count());
    } else {
        const auto rate = RateFromCode(d.rate_code, 2);
        if (!rate) return std::nullopt;
        format.sample_rate = *rate;
        format.bits = d.bits_per_sample;
        format.channels = d.channels;
    }
    return Checked(format);
}

std::optional<PcmFormat> PlainFromDescription(const bufstream_pcm_packet_desc& d, PcmKind kind) {
    PcmFormat format;
    format.kind = kind;
    format.bits = d.bits_per_sample;
    format.channels = d.channels;
    format.flags = d.format_flags;
    if (kind == PcmKind::Generic) {
        format.sample_rate = d.sample_rate;
    } else {
        const auto rate = RateFromCode(d.rate_code, 2);
        if (!rate) return std::nullopt;
        format.sample_rate = *rate;
    }
    return Checked(format);
}

}  // namespace

std::optional<PcmFormat> FormatFromDescription(const bufstream_pcm_packet_desc& description) {
    const std::uint32_t family = description.format;
    if ((family & BUFSTREAM_PCM_DVD_LPCM) != 0) return LpcmFromDescription(description, PcmKind::DvdLpcm);
    if ((family & BUFSTREAM_PCM_HDMV_LPCM) != 0) return LpcmFromDescription(description, PcmKind::HdmvLpcm);
    if ((family & BUFSTREAM_PCM_AES_302M) != 0) return AesFromDescription(description, PcmKind::Aes302M);
    if ((family & BUFSTREAM_PCM_AES_331M) != 0) return AesFromDescription(description, PcmKind::Aes331M);
    if ((family & BUFSTREAM_PCM_AES_382M) != 0) return AesFromDescription(description, PcmKind::Aes382M);
    if ((family & BUFSTREAM_PCM_TWOS) != 0) return PlainFromDescription(description, PcmKind::Twos);
    if ((family & BUFSTREAM_PCM_GENERIC) != 0) return PlainFromDescription(description, PcmKind::Generic);
    return std::nullopt;
}

std::uint32_t BytesPerSample(const PcmFormat& format) { return (format.bits + 7u) / 8u; }

std::uint32_t BlockAlign(const PcmFormat& format) { return format.channels * BytesPerSample(format); }

namespace {

void Put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void Put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

WaveHeader MakeWaveHeader(const PcmFormat& format, std::uint64_t data_bytes) {
    constexpr std::uint64_t kMaxData = std::numeric_limits<std::uint32_t>::max() - 36u;
    const auto data = static_cast<std::uint32_t>(data_bytes < kMaxData ? data_bytes : kMaxData);
    const bool is_float = format.kind == PcmKind::Generic && (format.flags & BUFSTREAM_PCM_FLAG_FLOAT) != 0;
    WaveHeader header{};
    std::memcpy(&header[0], "RIFF", 4);
    Put32(&header[4], 36 + data);
    std::memcpy(&header[8], "WAVE", 4);
    std::memcpy(&header[12], "fmt ", 4);
    Put32(&header[16], 16);
    Put16(&header[20], is_float ? 3 : 1);
    Put16(&header[22], format.channels);
    Put32(&header[24], format.sample_rate);
    Put32(&header[28], format.sample_rate * BlockAlign(format));
    Put16(&header[32], static_cast<std::uint16_t>(BlockAlign(format)));
    Put16(&header[34], format.bits);
    std::memcpy(&header[36], "data", 4);
    Put32(&header[40], data);
    return header;
}

}  // namespace sinks
