#pragma once
// Conversion of PCM packet payloads into the little-endian interleaved
// samples of a WAVE file. Payloads are converted in units: one sample frame,
// or the group of frames a format packs together.

#include <cstddef>
#include <cstdint>

#include "plugins/common/pcm_format.h"

namespace sinks {

struct PcmUnit {
    std::size_t in_bytes;   // payload bytes of one unit
    std::size_t out_bytes;  // WAVE bytes of one unit
};

// The unit of a format that FormatFromTag or FormatFromDescription gave.
[[nodiscard]] PcmUnit ConversionUnit(const PcmFormat& format);

// Converts `units` whole units from in (units * in_bytes) into out
// (units * out_bytes).
void ConvertUnits(const PcmFormat& format, const std::uint8_t* in, std::size_t units, std::uint8_t* out);

}  // namespace sinks
