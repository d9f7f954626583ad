#pragma once
// A stream whose frames alternate between two headers that differ in every
// field the validator follows (protection, bitrate, sampling rate, mode, mode
// extension, copyright, original, emphasis): about nine events per frame, the
// most a stream can yield for its size.

#include <cstddef>

#include "tests/support/mpa_builder.h"

namespace testsupport {

// The two frames, 96 and 216 bytes.
[[nodiscard]] MpaFrameSpec HostileFrameA();
[[nodiscard]] MpaFrameSpec HostileFrameB();

// Pairs of the two frames up to at most `bytes` (at least one pair).
[[nodiscard]] Bytes AlternatingHeaderStream(std::size_t bytes);

}  // namespace testsupport
