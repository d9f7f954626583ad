#include "viewer/model/FrameAnatomy.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "libs/mpacheck/crc16.h"
#include "libs/mpacheck/frame_payload.h"
#include "libs/mpacheck/vbr_header.h"
#include "viewer/model/FrameNavigator.h"
#include "viewer/model/HexFormat.h"
#include "viewer/model/MainDataSpan.h"

namespace {

constexpr int kAncillaryShownBytes = 8;

std::string CrcHex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

std::string BitsText(std::int64_t width) { return width == 1 ? "(1 bit)" : "(" + std::to_string(width) + " bits)"; }

std::string NameOf(const std::string& text) {
    const auto colon = text.find(" : ");
    std::string name = colon == std::string::npos ? text : text.substr(0, colon);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

std::string ValueOf(const std::string& text) {
    const auto colon = text.find(" : ");
    if (colon == std::string::npos) return {};
    std::string value = text.substr(colon + 3);
    const auto width = value.rfind(" (");
    if (width != std::string::npos && value.back() == ')' && value.find("bit", width) != std::string::npos)
        value.erase(width);
    return value;
}

// Header fields by the name their line starts with: first bit and width.
const std::map<std::string, std::pair<int, int>>& HeaderBits() {
    static const std::map<std::string, std::pair<int, int>> bits = {
        {"syncword", {0, 12}},        {"ID", {12, 1}},        {"layer", {13, 2}},          {"protection_bit", {15, 1}},
        {"bitrate_index", {16, 4}},   {"sampling_frequency", {20, 2}}, {"padding_bit", {22, 1}},
        {"private_bit", {23, 1}},     {"mode", {24, 2}},      {"mode_extension", {26, 2}}, {"copyright", {28, 1}},
        {"original / home", {29, 1}}, {"emphasis", {30, 2}},  {"crc_check", {32, 16}},     {"header()", {0, 32}}};
    return bits;
}

// The node list under construction, with the place of every node; it takes
// the stream checker's fields as they are read.
class AnatomyBuilder : public mpacheck::field_sink {
public:
    explicit AnatomyBuilder(TFrameAnatomy& anatomy) : anatomy_(anatomy), groups_(anatomy.Nodes.size(), false) {}

    int AddLine(const std::string& text, int parent, TFieldPlace place, bool group = false) {
        anatomy_.Nodes.push_back({text, parent, FrameDetailIsBold(text), false});
        anatomy_.Places.push_back(std::move(place));
        groups_.push_back(group);
        return static_cast<int>(anatomy_.Nodes.size()) - 1;
    }
    int AddGroup(const std::string& name, int parent) { return AddLine(name, parent, {name, "", 0, 0}, true); }
    int AddValue(const std::string& name, const std::string& value, int parent, std::int64_t bit = 0,
                 std::int64_t width = 0) {
        return AddLine(PadRight(name, kFrameDetailNameWidth) + " : " + value, parent, {name, value, bit, width});
    }
    int AddField(const std::string& name, std::int64_t value, std::int64_t bit, std::int64_t width, int parent) {
        const std::string text = std::to_string(value);
        return AddLine(PadRight(name, kFrameDetailNameWidth) + " : " + text + " " + BitsText(width), parent,
                       {name, text, bit, width});
    }

    void SetParent(int parent) { parents_ = {parent}; }
    void MarkGroup(int node) { groups_[static_cast<std::size_t>(node)] = true; }

    void open_group(std::string_view name) override { parents_.push_back(AddGroup(std::string(name), parents_.back())); }
    void close_group() override {
        if (parents_.size() > 1) parents_.pop_back();
    }
    void field(std::string_view name, int value, int bit_offset, int width) override {
        AddField(std::string(name), value, bit_offset, width, parents_.back());
    }
    void derived(std::string_view name, int value, std::string_view meaning) override {
        AddValue(std::string(name), meaning.empty() ? std::to_string(value) : std::string(meaning), parents_.back());
    }

    // A group stands for the bits from its first child's to its last child's.
    void SpanGroups() {
        for (std::size_t i = anatomy_.Nodes.size(); i-- > 0;) {
            const int parent = anatomy_.Nodes[i].Parent;
            if (parent < 0 || !groups_[static_cast<std::size_t>(parent)] || anatomy_.Places[i].BitWidth == 0) continue;
            TFieldPlace& outer = anatomy_.Places[static_cast<std::size_t>(parent)];
            const TFieldPlace& inner = anatomy_.Places[i];
            const std::int64_t end = std::max(outer.BitOffset + outer.BitWidth, inner.BitOffset + inner.BitWidth);
            outer.BitOffset = outer.BitWidth == 0 ? inner.BitOffset : std::min(outer.BitOffset, inner.BitOffset);
            outer.BitWidth = end - outer.BitOffset;
        }
    }

private:
    TFrameAnatomy& anatomy_;
    std::vector<bool> groups_;
    std::vector<int> parents_{-1};
};

int FindNode(const TFrameAnatomy& anatomy, const std::string& text) {
    for (std::size_t i = 0; i < anatomy.Nodes.size(); ++i)
        if (anatomy.Nodes[i].Text == text) return static_cast<int>(i);
    return -1;
}

// Today's nodes with the places of the header fields and the syntax elements.
TFrameAnatomy HeaderAnatomy(const TMPAFrame& frame, std::int64_t tagBytes) {
    TFrameAnatomy anatomy;
    anatomy.Nodes = BuildFrameDetailNodes(frame, tagBytes);
    const bool mpeg25 = MPAVersion(frame.Header) == kMPEG25;
    for (const TFrameDetailNode& node : anatomy.Nodes) {
        TFieldPlace place{NameOf(node.Text), ValueOf(node.Text), 0, 0};
        const auto bits = HeaderBits().find(place.Name);
        if (bits != HeaderBits().end()) {
            place.BitOffset = bits->second.first;
            place.BitWidth = bits->second.second;
            if (mpeg25 && place.Name == "syncword") place.BitWidth = 11;
        }
        if (place.Name == "frame()") place.BitWidth = std::int64_t{frame.FrameLength} * 8;
        if (place.Name == "error_check()" && frame.Header.protection_bit == 0) place = {place.Name, "", 32, 16};
        anatomy.Places.push_back(std::move(place));
    }
    return anatomy;
}

struct FrameView {
    mpacheck::frame_header header{};
    std::vector<std::uint8_t> bytes;  // the whole frame, zeros past the end of what was read
};

bool ReadFrameView(const TFrameBytes& source, std::int64_t offset, FrameView& view) {
    const std::int64_t at = offset - source.DataOffset;
    if (at < 0 || at + 4 > static_cast<std::int64_t>(source.Data.size())) return false;
    const std::uint8_t* p = source.Data.data() + at;
    if (mpacheck::parse_header(p, view.header) != mpacheck::header_status::valid || view.header.length <= 0) return false;
    const std::int64_t available = std::min<std::int64_t>(view.header.length, static_cast<std::int64_t>(source.Data.size()) - at);
    view.bytes.assign(static_cast<std::size_t>(view.header.length), 0);
    std::copy_n(p, available, view.bytes.begin());
    return true;
}

void AddCrcVerdict(AnatomyBuilder& builder, const TFrameAnatomy& anatomy, const FrameView& view) {
    const int errorCheck = FindNode(anatomy, "error_check()");
    if (!view.header.protected_by_crc || errorCheck < 0) return;
    const mpacheck::crc_result crc = mpacheck::check_frame_crc(view.header, view.bytes.data());
    if (!crc.checked) {
        builder.AddValue("computed CRC", "none: the frame ends inside the protected bits", errorCheck);
        return;
    }
    const char* verdict = crc.computed == crc.stored ? " matches" : " MISMATCH";
    builder.AddValue("computed CRC", "0x" + CrcHex(crc.computed) + verdict, errorCheck);
}

std::string OffsetText(std::int64_t offset) { return TFrameNavigator::OffsetToText(offset); }

void AddMainDataLine(AnatomyBuilder& builder, int parent, const TFrameBytes& source, const TMainDataSpan& span) {
    if (!span.Resolved) {
        builder.AddValue("main data", "begins before the stream's first frame", parent);
        return;
    }
    const std::int64_t before = source.FrameOffset - span.Start;
    const std::string where = before > 0 ? std::to_string(before) + " bytes before this frame's header, at offset "
                                         : "in this frame, at offset ";
    builder.AddValue("main data", where + OffsetText(span.Start), parent, (span.Start - source.FrameOffset) * 8, 8);
}

std::string FirstBytes(const TFrameBytes& source, std::int64_t fileByte, std::int64_t count) {
    std::string text;
    const std::int64_t shown = std::min<std::int64_t>(count, kAncillaryShownBytes);
    for (std::int64_t i = 0; i < shown; ++i) {
        const std::int64_t at = fileByte + i - source.DataOffset;
        if (at < 0 || at >= static_cast<std::int64_t>(source.Data.size())) break;
        text += (text.empty() ? "" : " ") + ByteToHex(source.Data[static_cast<std::size_t>(at)]);
    }
    return text + (count > shown ? " ..." : "");
}

// The bits from startBit (file bits) to endBit as the ancillary data.
void AddAncillary(AnatomyBuilder& builder, int parent, const TFrameBytes& source, std::int64_t startBit,
                  std::int64_t endBit) {
    const std::int64_t bits = endBit - startBit;
    if (bits < 0) {
        builder.AddValue("length", "none: the audio data runs " + std::to_string(-bits) + " bits past its end", parent);
        return;
    }
    const std::int64_t frameBit = startBit - source.FrameOffset * 8;
    builder.AddValue("length", BitsText(bits).substr(1, BitsText(bits).size() - 2) + " (" + std::to_string(bits / 8) + " whole bytes)", parent,
                     frameBit, bits);
    const std::int64_t firstByte = (startBit + 7) / 8;
    const std::int64_t wholeBytes = endBit / 8 - firstByte;
    if (wholeBytes > 0) {
        const std::int64_t shown = std::min<std::int64_t>(wholeBytes, kAncillaryShownBytes);
        builder.AddValue("first bytes", FirstBytes(source, firstByte, wholeBytes), parent,
                         (firstByte - source.FrameOffset) * 8, shown * 8);
    }
}

void AddLayer3Ancillary(AnatomyBuilder& builder, int parent, const TFrameBytes& source, const TMainDataSpan& span) {
    if (!span.Resolved) return;
    if (span.NextStart < 0) {
        builder.AddValue("length", "unknown: the next frame's main data cannot be placed", parent);
        return;
    }
    AddAncillary(builder, parent, source, span.EndBit, std::min(span.NextStart, span.FrameEnd) * 8);
}

std::string Label(const mpacheck::vbr_header& vbr) { return std::string(vbr.label); }

void AddVbrHeader(AnatomyBuilder& builder, int root, const FrameView& view) {
    const mpacheck::vbr_header vbr = mpacheck::read_vbr_header(view.header, view.bytes.data());
    if (!vbr.present) return;
    const int node = builder.AddGroup("vbr_header()", root);
    builder.AddValue("label", Label(vbr), node, vbr.offset * 8, 32);
    if (vbr.has_frames) builder.AddField("frames", vbr.frames, vbr.frames_offset * 8, 32, node);
    if (vbr.has_bytes) builder.AddField("bytes", vbr.bytes, vbr.bytes_offset * 8, 32, node);
    builder.AddValue("TOC present", vbr.has_toc ? "yes" : "no", node, vbr.has_toc ? vbr.toc_offset * 8 : 0,
                     vbr.has_toc && Label(vbr) != "VBRI" ? 800 : 0);
    if (vbr.has_quality) {
        builder.AddField("quality", vbr.quality, vbr.quality_offset * 8, Label(vbr) == "VBRI" ? 16 : 32, node);
    }
    const mpacheck::lame_extension& lame = vbr.lame;
    if (!lame.present) return;
    builder.AddValue("encoder", lame.encoder, node, lame.offset * 8, 72);
    builder.AddField("delay", lame.delay, (lame.offset + 21) * 8, 12, node);
    builder.AddField("padding", lame.padding, (lame.offset + 22) * 8 + 4, 12, node);
    const bool matches = lame.tag_crc == lame.computed_tag_crc;
    builder.AddValue("tag CRC",
                     "0x" + CrcHex(lame.tag_crc) + " (16 bits), computed 0x" + CrcHex(lame.computed_tag_crc) +
                         (matches ? " matches" : " MISMATCH"),
                     node, (lame.offset + 34) * 8, 16);
}

void AddPayload(AnatomyBuilder& builder, const TFrameAnatomy& anatomy, const TFrameBytes& source,
                const FrameView& view) {
    const int audio = FindNode(anatomy, "audio_data()");
    const int ancillary = FindNode(anatomy, "ancillary_data()");
    builder.MarkGroup(audio);
    builder.MarkGroup(ancillary);
    builder.SetParent(audio);
    const int audioEnd = mpacheck::read_audio_fields(view.header, view.bytes.data(), builder);
    builder.SetParent(-1);
    const std::int64_t frameBit = source.FrameOffset * 8;
    if (view.header.layer != 3) {
        AddAncillary(builder, ancillary, source, frameBit + audioEnd, frameBit + std::int64_t{view.header.length} * 8);
        return;
    }
    const TMainDataSpan span = LocateMainData(source);
    AddMainDataLine(builder, audio, source, span);
    AddVbrHeader(builder, FindNode(anatomy, "frame()"), view);
    if (mpacheck::read_vbr_header(view.header, view.bytes.data()).present) return;
    AddLayer3Ancillary(builder, ancillary, source, span);
}

}  // namespace

TFrameAnatomy BuildFrameAnatomy(const TMPAFrame& frame, std::int64_t tagBytes, const TFrameBytes* bytes) {
    TFrameAnatomy anatomy = HeaderAnatomy(frame, tagBytes);
    FrameView view;
    if (bytes == nullptr || !ReadFrameView(*bytes, bytes->FrameOffset, view)) return anatomy;
    AnatomyBuilder builder(anatomy);
    AddCrcVerdict(builder, anatomy, view);
    AddPayload(builder, anatomy, *bytes, view);
    builder.SpanGroups();
    return anatomy;
}
