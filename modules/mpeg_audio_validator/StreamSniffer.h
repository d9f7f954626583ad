#pragma once
// Tells from a file's first bytes which readers a validation run needs: the
// walker (mpaverify) reads MPEG-1 Layer I and II only, and the payload of
// Layer III and MPEG-2/2.5 frames holds many a false Layer I/II header that it
// would report as frames.

#include <cstddef>
#include <cstdint>

namespace mpeg_audio_validation {

enum class StreamFamily {
    LayerIOrII,  // MPEG-1 Layer I or II: walker and stream checker
    Other,       // Layer III, MPEG-2 or MPEG-2.5: the stream checker alone
    Unknown,     // no audio frame in these bytes (junk, or a tag longer than them)
};

// The family of the first audio frame the stream checker finds in the bytes.
[[nodiscard]] StreamFamily SniffStreamFamily(const std::uint8_t* data, std::size_t size);

}  // namespace mpeg_audio_validation
