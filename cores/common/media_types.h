#pragma once
// The media type codes (abi/media_types.h) as the cores use them, and the one
// table that maps libavformat's codec ids to them.

#include <cstdint>

#include "abi/media_types.h"
#include "cores/common/libav.h"

namespace cores {

using MediaType = std::uint32_t;

inline constexpr MediaType kMediaUnknown = QL_MEDIA_UNKNOWN;
inline constexpr MediaType kMpeg1Audio = QL_MEDIA_MPEG1_AUDIO;
inline constexpr MediaType kMpeg2Audio = QL_MEDIA_MPEG2_AUDIO;
inline constexpr MediaType kDvdLpcm = QL_MEDIA_DVD_LPCM_AUDIO;
inline constexpr MediaType kHdmvLpcm = QL_MEDIA_HDMV_LPCM_AUDIO;
inline constexpr MediaType kAes302M = QL_MEDIA_AES302M_AUDIO;

// The code of a stream with this codec; sample_rate (Hz, 0 when not known)
// decides between the two MPEG audio codes, an unknown rate counting as
// MPEG-1.
[[nodiscard]] MediaType MediaTypeOf(AVCodecID codec, int sample_rate);

}  // namespace cores
