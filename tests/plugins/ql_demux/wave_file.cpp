#include "tests/plugins/ql_demux/wave_file.h"

#include <cstring>

namespace ql_demux_test {
namespace {

std::uint32_t Le32(const std::uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

}  // namespace

std::optional<WaveFile> ReadWave(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 44) return std::nullopt;
    const std::uint8_t* h = bytes.data();
    if (std::memcmp(h, "RIFF", 4) != 0 || std::memcmp(h + 8, "WAVE", 4) != 0 || std::memcmp(h + 12, "fmt ", 4) != 0 ||
        std::memcmp(h + 36, "data", 4) != 0) {
        return std::nullopt;
    }
    const std::uint32_t data_size = Le32(h + 40);
    if (Le32(h + 4) != 36 + data_size || data_size != bytes.size() - 44) return std::nullopt;
    WaveFile wave;
    wave.format_tag = Le16(h + 20);
    wave.channels = Le16(h + 22);
    wave.sample_rate = Le32(h + 24);
    wave.bits = Le16(h + 34);
    wave.data.assign(bytes.begin() + 44, bytes.end());
    return wave;
}

}  // namespace ql_demux_test
