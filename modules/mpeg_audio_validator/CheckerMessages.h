#pragma once
// The report item of a stream checker finding, as readable as the walker's
// events with the stream time added: "Frame 812 at offset 0x7A3F2
// (0:21.216): CRC mismatch (stored 0x1234, computed 0xABCD)".

#include <string>

#include "libs/mpacheck/mpacheck.h"
#include "modules/mpeg_audio_validator/AudioValidation.h"

namespace mpeg_audio_validation {

// "0:21.216": minutes, seconds and milliseconds of stream time.
[[nodiscard]] std::string StreamTime(double seconds);

[[nodiscard]] ValidationItem DescribeFinding(const mpacheck::finding& finding);

}  // namespace mpeg_audio_validation
