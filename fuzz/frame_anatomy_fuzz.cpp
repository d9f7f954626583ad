// Fuzzes the frame anatomy on arbitrary bytes: the first two input bytes
// choose where the frame starts inside the rest, which is read as the bytes
// around it (earlier frames for the main data, the frame, the next frame).

#include <cstdint>
#include <vector>

#include "viewer/model/FrameAnatomy.h"
#include "viewer/model/MPAUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    TFrameBytes bytes;
    bytes.Data.assign(data + 2, data + size);
    bytes.DataOffset = 0;
    bytes.FrameOffset = (data[0] << 8 | data[1]) % static_cast<std::int64_t>(bytes.Data.size() - 3);
    bytes.StreamStart = 0;
    TMPAFrame frame{};
    parse_mpa_frame(bytes.Data.data() + bytes.FrameOffset, bytes.Data.size() - static_cast<std::size_t>(bytes.FrameOffset),
                    frame.Header);
    frame.Offset = bytes.FrameOffset;
    const TFrameAnatomy anatomy = BuildFrameAnatomy(frame, 0, &bytes);
    return anatomy.Nodes.size() == anatomy.Places.size() ? 0 : 1;
}
