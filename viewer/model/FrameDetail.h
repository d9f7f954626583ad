#pragma once
// The content of the frame detail tree: one node per syntax element and per
// header field of ISO/IEC 11172-3 and 13818-3, with the value, its meaning and its width
// in bits, and the tree's copy text. No widget: the tree widget fills itself
// from these nodes.

#include <string>
#include <string_view>
#include <vector>

#include "viewer/model/MPAUtils.h"

// Width the field names are padded to, so that the values line up in a
// fixed-pitch font.
inline constexpr int kFrameDetailNameWidth = 20;

struct TFrameDetailNode {
    std::string Text;
    int Parent;     // index of the parent node in the same list; -1 for a root node
    bool Bold;      // a syntax element ("frame()", ...) rather than a field line
    bool Expanded;  // opened by one level when the tree is shown
};

// The nodes of a frame, parents before their children, in tree order:
// frame() > header() > the thirteen header fields, frame() > error_check()
// > crc_check (only when protection_bit is 0), frame() > audio_data(),
// frame() > ancillary_data(). frame() and header() are expanded. The ID line
// names MPEG-2 and MPEG-2.5; MPEG-2.5's sync word is shown as its 11 bits.
// With a leading ID3v2 tag (tagBytes > 0) a last root line says how many
// bytes it takes before the first frame.
[[nodiscard]] std::vector<TFrameDetailNode> BuildFrameDetailNodes(const TMPAFrame& frame, std::int64_t tagBytes = 0);

// True for the texts the tree draws bold: those containing "()" or "( )".
[[nodiscard]] bool FrameDetailIsBold(std::string_view text);

// True for the nodes the tree stripes with a light grey background: even
// index among their siblings, not selected.
[[nodiscard]] bool FrameDetailIsStriped(int siblingIndex, bool selected);

// The tree's text: every node, then its children, depth first (children in
// list order), each followed by "\r\n". Empty for no nodes. A node whose
// parent index is out of range or itself counts as a root; nodes caught in a
// parent cycle are left out.
[[nodiscard]] std::string FrameDetailCopyText(const std::vector<TFrameDetailNode>& nodes);
