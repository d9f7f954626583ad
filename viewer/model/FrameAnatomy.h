#pragma once
// What lies inside a frame, for the detail tree and "tamberly-cli header":
// the CRC computed over the protected bits, the fields of the audio data,
// where a Layer III frame's main data begins, the ancillary data and a VBR
// header frame's fields. Every line carries the bits it stands for, counted
// from the first bit of the frame's header, so that the hex view can
// highlight them and the JSON listing can name them. The fields come from
// the stream checker's readers; nothing here reads a field itself.

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/model/FrameDetail.h"
#include "viewer/model/MainDataSpan.h"

// The bits a tree line stands for; Width 0 for a line that holds no bits of
// its own (a computed value).
struct TFieldPlace {
    std::string Name;
    std::string Value;
    std::int64_t BitOffset = 0;  // negative before the frame's header
    std::int64_t BitWidth = 0;
};

struct TFrameAnatomy {
    std::vector<TFrameDetailNode> Nodes;
    std::vector<TFieldPlace> Places;  // one per node
};

// The detail tree of a frame. Without bytes (nullptr) the nodes are exactly
// those of BuildFrameDetailNodes; with them error_check() gains the computed
// CRC and its verdict, audio_data() and ancillary_data() their fields, and a
// VBR header frame a vbr_header() node.
[[nodiscard]] TFrameAnatomy BuildFrameAnatomy(const TMPAFrame& frame, std::int64_t tagBytes,
                                              const TFrameBytes* bytes);
