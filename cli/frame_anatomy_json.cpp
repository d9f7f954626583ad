#include "cli/frame_anatomy_json.h"

#include "cli/output_format.h"

namespace cli {
namespace {

using Children = std::vector<std::vector<std::size_t>>;

void WriteNode(const TFrameAnatomy& anatomy, const Children& children, std::size_t index, std::ostream& out) {
    const TFieldPlace& place = anatomy.Places[index];
    out << "{\"text\":" << JsonString(anatomy.Nodes[index].Text) << ",\"name\":" << JsonString(place.Name)
        << ",\"value\":" << JsonString(place.Value);
    if (place.BitWidth > 0) out << ",\"bit_offset\":" << place.BitOffset << ",\"bits\":" << place.BitWidth;
    out << ",\"children\":[";
    for (std::size_t i = 0; i < children[index].size(); ++i) {
        if (i > 0) out << ",";
        WriteNode(anatomy, children, children[index][i], out);
    }
    out << "]}";
}

}  // namespace

void WriteFrameAnatomyJson(const TFrameAnatomy& anatomy, std::int64_t frameOffset, std::ostream& out) {
    Children children(anatomy.Nodes.size());
    std::vector<std::size_t> roots;
    for (std::size_t i = 0; i < anatomy.Nodes.size(); ++i) {
        const int parent = anatomy.Nodes[i].Parent;
        if (parent >= 0 && static_cast<std::size_t>(parent) < i) children[static_cast<std::size_t>(parent)].push_back(i);
        else roots.push_back(i);
    }
    out << "{\"offset\":" << frameOffset << ",\"nodes\":[";
    for (std::size_t i = 0; i < roots.size(); ++i) {
        if (i > 0) out << ",";
        WriteNode(anatomy, children, roots[i], out);
    }
    out << "]}\n";
}

}  // namespace cli
