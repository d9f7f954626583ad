#pragma once
// A frame's detail tree as JSON: each node with its text, field name, value
// and, for a line that holds bits, its first bit (from the frame header's
// first bit) and width; children nested.

#include <ostream>

#include "viewer/model/FrameAnatomy.h"

namespace cli {

void WriteFrameAnatomyJson(const TFrameAnatomy& anatomy, std::int64_t frameOffset, std::ostream& out);

}  // namespace cli
