#pragma once
// Media type codes: the 32-bit stream type numbers the cores report for each
// stream and the viewer names ("MPEG-2 video", "MPEG audio", ...). One table
// maps libavformat's codec ids to them.

#include <cstdint>

#include "cores/common/libav.h"

namespace cores {

using MediaType = std::uint32_t;

inline constexpr MediaType kMediaUnknown = 0;  // a codec without a code
// MPEG audio comes in two codes, told apart by the sampling rate:
// 131 is MPEG-1 audio (ISO/IEC 11172-3: Layer I, II or III at 32, 44.1 or
// 48 kHz); 132 is MPEG-2 audio at the lower sampling rates (ISO/IEC 13818-3:
// 16, 22.05 or 24 kHz, and the 8, 11.025 and 12 kHz extension).
inline constexpr MediaType kMpeg1Audio = 131;
inline constexpr MediaType kMpeg2Audio = 132;
inline constexpr MediaType kDvdLpcm = 202;
inline constexpr MediaType kHdmvLpcm = 203;
inline constexpr MediaType kAes302M = 210;

// The code of a stream with this codec; sample_rate (Hz, 0 when not known)
// decides between the two MPEG audio codes, an unknown rate counting as
// MPEG-1.
[[nodiscard]] MediaType MediaTypeOf(AVCodecID codec, int sample_rate);

}  // namespace cores
