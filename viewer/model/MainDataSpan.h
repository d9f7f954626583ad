#pragma once
// Where a Layer III frame's main data lies in the file: main_data_begin
// counts bytes of main data only, so reaching back steps over the headers
// and side information of the frames in between.

#include <cstdint>
#include <vector>

// Bytes read around a frame: enough before its header to reach the Layer III
// main data in earlier frames, the frame itself and the next frame's side
// information.
struct TFrameBytes {
    std::vector<std::uint8_t> Data;
    std::int64_t DataOffset = 0;   // file offset of Data[0]
    std::int64_t FrameOffset = 0;  // file offset of the frame's header
    std::int64_t StreamStart = 0;  // the first frame's offset: no main data lies before it
};

// Bytes a reader takes before and after a frame's header for TFrameBytes.
inline constexpr std::int64_t kAnatomyBytesBefore = 4096;
inline constexpr std::int64_t kAnatomyBytesAfter = 16384;
struct TMainDataSpan {
    bool Resolved = false;     // false: it begins before the stream's first frame or the bytes read
    std::int64_t Start = 0;    // file offset of its first byte
    std::int64_t EndBit = 0;   // file bit after the last of its part2_3_length bits
    std::int64_t NextStart = -1;  // where the next frame's main data begins; -1 when no next frame was read
    std::int64_t FrameEnd = 0;    // file offset after this frame
};

// The span of the Layer III frame at bytes.FrameOffset. The frames before it
// are found as the chain of headers that ends exactly at its header; a VBR
// header frame or the stream's start ends the chain.
[[nodiscard]] TMainDataSpan LocateMainData(const TFrameBytes& bytes);
