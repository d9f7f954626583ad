#pragma once
// DAB Layer II streams made by the peer encoder library libtwolame (loaded
// at run time, as the twolame package installs it), whose DAB mode writes
// each frame's scale-factor check words into the frame before.

#include <optional>

#include "tests/support/mpa_builder.h"

namespace testsupport {

// `frames` frames of a moving stereo tone at `rate` Hz (48000 or 24000) and
// `kbps`; nullopt when libtwolame cannot be loaded or refuses the settings.
[[nodiscard]] std::optional<Bytes> EncodeDabWithLibtwolame(int rate, int kbps, int frames);

}  // namespace testsupport
