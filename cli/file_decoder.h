#pragma once
// Decoding a whole MPEG audio file with the mpadec library, read in chunks
// (constant memory): each decoded frame's PCM goes to a callback together
// with the frame's header as the library reports it.

#include <cstdint>
#include <functional>
#include <string>

#include "libs/mpadec/mpadec.h"

namespace cli {

// The PCM of one frame, exactly as the library delivered it; false stops.
using PcmSink = std::function<bool(const mpa_frame_info& frame, const std::uint8_t* pcm, std::uint32_t size)>;
// Bytes of the file read so far and the file's size.
using ReadProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

enum class DecodeResult { Completed, Stopped, CannotRead, Stalled };

[[nodiscard]] DecodeResult DecodeMpegAudioFile(const std::string& fileName, const PcmSink& sink,
                                               const ReadProgress& progress);

}  // namespace cli
