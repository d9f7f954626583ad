#pragma once
// Reads the canonical 44-byte-header WAVE files the WAV sink writes.

#include <cstdint>
#include <optional>
#include <vector>

namespace ql_demux_test {

struct WaveFile {
    std::uint16_t format_tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sample_rate = 0;
    std::uint16_t bits = 0;
    std::vector<std::uint8_t> data;  // the samples, as stored
};

// Nothing when the bytes are not a RIFF WAVE file with its sizes filled in.
[[nodiscard]] std::optional<WaveFile> ReadWave(const std::vector<std::uint8_t>& bytes);

}  // namespace ql_demux_test
