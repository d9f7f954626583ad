#pragma once
// Tells what MPEG audio a file holds when the validator found no MPEG-1 Layer
// I or II frame in it: MPEG-1 Layer III or MPEG-2 (lower sampling frequency)
// frames are found with the decoder's header search.

#include <cstddef>
#include <cstdint>
#include <string>

namespace mpeg_audio_validation {

// "MPEG-1 Layer III audio at 44100 Hz", "MPEG-2 Layer II audio at 24000 Hz";
// empty when the bytes hold none of those (a header counts only when the next
// one follows right after its frame).
[[nodiscard]] std::string DescribeOtherMpegAudio(const std::uint8_t* data, std::size_t size);

}  // namespace mpeg_audio_validation
