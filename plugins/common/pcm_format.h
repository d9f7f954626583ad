#pragma once
// The PCM formats the WAV sink understands: how a stream's format is read
// from a tagged packet header or a packet description, and the 44-byte WAVE
// header that describes the converted samples.

#include <array>
#include <cstdint>
#include <optional>

#include "abi/bufstream_pcm.h"

namespace sinks {

enum class PcmKind : std::uint8_t {
    DvdLpcm = 0,
    HdmvLpcm = 1,
    Aes302M = 2,
    Aes331M = 3,
    Aes382M = 4,
    Twos = 5,
    Generic = 6,
};

struct PcmFormat {
    PcmKind kind = PcmKind::DvdLpcm;
    std::uint16_t channels = 0;     // channels in the WAVE file
    std::uint32_t sample_rate = 0;  // Hz
    std::uint16_t bits = 0;         // bits per sample in the WAVE file
    std::uint16_t flags = 0;        // BUFSTREAM_PCM_FLAG_* (TWOS, generic)
    std::uint8_t channel_mask = 0;  // AES 331M: the channel words kept, one bit each
};

inline constexpr std::size_t kWaveHeaderBytes = 44;
using WaveHeader = std::array<std::uint8_t, kWaveHeaderBytes>;

// The format named by the 8-byte header at the start of a tagged stream;
// nothing for an unknown tag, a reserved field value or a format that a
// WAVE file cannot hold.
[[nodiscard]] std::optional<PcmFormat> FormatFromTag(const std::uint8_t* header);

// The format named by a packet description's family and fields; nothing as
// for FormatFromTag.
[[nodiscard]] std::optional<PcmFormat> FormatFromDescription(const bufstream_pcm_packet_desc& description);

[[nodiscard]] std::uint32_t BytesPerSample(const PcmFormat& format);
[[nodiscard]] std::uint32_t BlockAlign(const PcmFormat& format);

// The WAVE header for data_bytes of converted samples (sizes beyond what the
// header can hold are capped).
[[nodiscard]] WaveHeader MakeWaveHeader(const PcmFormat& format, std::uint64_t data_bytes);

}  // namespace sinks
