#pragma once
// Brings a Xing/Info or VBRI header frame in line with the audio frames that
// follow it in the repaired stream: the frame and byte counts, and then the
// LAME tag's own CRC.

#include <cstdint>
#include <vector>

#include "libs/mparepair/mparepair.h"

namespace mparepair {

struct vbr_counts {
    std::uint32_t frames;  // audio frames after the header frame
    bool bytes_known;
    std::uint32_t bytes;   // the header frame and those audio frames
};

// Rewrites the stale fields of the header frame in `frame` (read from
// frame_offset) and returns one change per rewritten field; output offsets
// are left to the caller. Nothing happens when `frame` holds no VBR header.
[[nodiscard]] std::vector<change> update_vbr_header(std::vector<std::uint8_t>& frame, std::uint64_t frame_offset,
                                                    const vbr_counts& counts);

}  // namespace mparepair
