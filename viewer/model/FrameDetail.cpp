#include "viewer/model/FrameDetail.h"

#include <cstdio>

#include "viewer/model/HexFormat.h"

namespace {

std::string Hex4(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

// name, padded, then " : " + value + the meaning in brackets (when given) +
// the width in bits.
std::string FieldLine(const std::string& name, std::int32_t value, const std::string& meaning,
                      const char* width) {
    std::string line = PadRight(name, kFrameDetailNameWidth) + " : " + std::to_string(value);
    if (!meaning.empty()) line += " [" + meaning + "]";
    return line + " (" + width + ")";
}

class NodeList {
public:
    int Add(std::string text, int parent, bool expanded = false) {
        const bool bold = FrameDetailIsBold(text);
        nodes_.push_back({std::move(text), parent, bold, expanded});
        return static_cast<int>(nodes_.size()) - 1;
    }
    std::vector<TFrameDetailNode> Take() { return std::move(nodes_); }

private:
    std::vector<TFrameDetailNode> nodes_;
};

std::string SyncLine(const TMPAHeader& h) {
    const bool mpeg25 = MPAVersion(h) == kMPEG25;
    const std::int32_t sync = mpeg25 ? h.syncword >> 1 : h.syncword;
    return PadRight("syncword", kFrameDetailNameWidth) + " : 0x" + Hex4(sync) + (mpeg25 ? " (11 bits)" : " (12 bits)");
}

// MPEG-1 keeps its plain ID line; the low sampling frequency versions are named.
std::string IdMeaning(const TMPAHeader& h) {
    const std::int32_t version = MPAVersion(h);
    return version == kMPEG2 || version == kMPEG25 ? MPAVersionToStr(version) : "";
}

void AddHeaderFields(NodeList& nodes, int parent, const TMPAHeader& h) {
    const std::int32_t version = MPAReadingVersion(h);
    nodes.Add(SyncLine(h), parent);
    nodes.Add(FieldLine("ID", h.ID, IdMeaning(h), "1 bit"), parent);
    nodes.Add(FieldLine("layer", h.layer, MPALayerToStr(h.layer), "2 bits"), parent);
    nodes.Add(FieldLine("protection_bit", h.protection_bit, "", "1 bit"), parent);
    nodes.Add(FieldLine("bitrate_index", h.bitrate_index, MPABitrateToStr(h.layer, h.bitrate_index, version),
                        "4 bits"),
              parent);
    nodes.Add(FieldLine("sampling_frequency", h.sampling_frequency,
                        MPASamplingRateToStr(h.sampling_frequency, version), "2 bits"),
              parent);
    nodes.Add(FieldLine("padding_bit", h.padding_bit, "", "1 bit"), parent);
    nodes.Add(FieldLine("private_bit", h.private_bit, "", "1 bit"), parent);
    nodes.Add(FieldLine("mode", h.mode, MPAModeToStr(h.mode), "2 bits"), parent);
    nodes.Add(FieldLine("mode_extension", h.mode_extension, "", "2 bits"), parent);
    nodes.Add(FieldLine("copyright", h.copyright, "", "1 bit"), parent);
    nodes.Add(FieldLine("original / home", h.original_home, "", "1 bit"), parent);
    nodes.Add(FieldLine("emphasis", h.emphasis, MPAEmphasisToStr(h.emphasis), "2 bits"), parent);
}

bool IsRoot(const std::vector<TFrameDetailNode>& nodes, std::size_t index) {
    const int parent = nodes[index].Parent;
    return parent < 0 || parent >= static_cast<int>(nodes.size()) || parent == static_cast<int>(index);
}

void AppendSubtree(const std::vector<std::vector<std::size_t>>& children,
                   const std::vector<TFrameDetailNode>& nodes, std::size_t index, std::string& text) {
    text += nodes[index].Text;
    text += "\r\n";
    for (const std::size_t child : children[index]) AppendSubtree(children, nodes, child, text);
}

}  // namespace

std::vector<TFrameDetailNode> BuildFrameDetailNodes(const TMPAFrame& frame, std::int64_t tagBytes) {
    const TMPAHeader& header = frame.Header;
    NodeList nodes;
    const int root = nodes.Add("frame()", -1, true);
    const int headerNode = nodes.Add("header()", root, true);
    AddHeaderFields(nodes, headerNode, header);
    const int errorCheck = nodes.Add("error_check()", root);
    if (header.protection_bit == 0) {
        nodes.Add(PadRight("crc_check", kFrameDetailNameWidth) + " : 0x" + Hex4(header.crc_check) + " (16 bits)",
                  errorCheck);
    }
    nodes.Add("audio_data()", root);
    nodes.Add("ancillary_data()", root);
    if (tagBytes > 0)
        nodes.Add("An ID3v2 tag of " + std::to_string(tagBytes) + " bytes precedes the first frame", -1);
    return nodes.Take();
}

bool FrameDetailIsBold(std::string_view text) {
    return text.find("()") != std::string_view::npos || text.find("( )") != std::string_view::npos;
}

bool FrameDetailIsStriped(int siblingIndex, bool selected) { return !selected && siblingIndex % 2 == 0; }

std::string FrameDetailCopyText(const std::vector<TFrameDetailNode>& nodes) {
    std::vector<std::vector<std::size_t>> children(nodes.size());
    std::vector<std::size_t> roots;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (IsRoot(nodes, i)) {
            roots.push_back(i);
        } else {
            children[static_cast<std::size_t>(nodes[i].Parent)].push_back(i);
        }
    }
    std::string text;
    for (const std::size_t root : roots) AppendSubtree(children, nodes, root, text);
    return text;
}
