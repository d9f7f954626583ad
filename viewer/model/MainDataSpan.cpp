#include "viewer/model/MainDataSpan.h"

#include <algorithm>
#include <optional>

#include "libs/mpacheck/frame_payload.h"
#include "libs/mpacheck/vbr_header.h"

namespace {

// One frame's main data area in the file: after its side information up to
// its end.
struct Area {
    std::int64_t Begin;
    std::int64_t End;
};

struct Frame {
    std::int64_t Offset = 0;
    mpacheck::frame_header Header{};
    std::vector<std::uint8_t> Bytes;  // the whole frame, zeros past what was read

    [[nodiscard]] Area MainDataArea() const {
        return {Offset + mpacheck::payload_start(Header) + mpacheck::side_info_bytes(Header), Offset + Header.length};
    }
};

std::optional<Frame> FrameAt(const TFrameBytes& bytes, std::int64_t offset) {
    const std::int64_t at = offset - bytes.DataOffset;
    const auto size = static_cast<std::int64_t>(bytes.Data.size());
    if (at < 0 || at + 4 > size) return std::nullopt;
    Frame frame;
    frame.Offset = offset;
    const std::uint8_t* p = bytes.Data.data() + at;
    if (mpacheck::parse_header(p, frame.Header) != mpacheck::header_status::valid || frame.Header.length <= 0 ||
        frame.Header.layer != 3)
        return std::nullopt;
    frame.Bytes.assign(static_cast<std::size_t>(frame.Header.length), 0);
    std::copy_n(p, std::min<std::int64_t>(frame.Header.length, size - at), frame.Bytes.begin());
    return frame;
}

// The frames of one stream whose lengths lead from `from` exactly to `to`.
std::optional<std::vector<Frame>> ChainFrom(const TFrameBytes& bytes, const Frame& target, std::int64_t from) {
    std::vector<Frame> chain;
    for (std::int64_t at = from; at < target.Offset;) {
        std::optional<Frame> frame = FrameAt(bytes, at);
        if (!frame || !mpacheck::same_stream(frame->Header, target.Header)) return std::nullopt;
        at += frame->Header.length;
        chain.push_back(std::move(*frame));
    }
    if (chain.empty() || chain.back().Offset + chain.back().Header.length != target.Offset) return std::nullopt;
    return chain;
}

// The main data areas before the target, oldest first: the longest chain of
// frames ending at the target's header, cut after its last VBR header frame.
std::vector<Area> EarlierAreas(const TFrameBytes& bytes, const Frame& target) {
    const std::int64_t first = std::max(bytes.DataOffset, bytes.StreamStart);
    for (std::int64_t from = first; from < target.Offset; ++from) {
        const auto chain = ChainFrom(bytes, target, from);
        if (!chain) continue;
        std::vector<Area> areas;
        for (const Frame& frame : *chain) {
            if (mpacheck::read_vbr_header(frame.Header, frame.Bytes.data()).present) areas.clear();
            else areas.push_back(frame.MainDataArea());
        }
        return areas;
    }
    return {};
}

// The offset `count` main data bytes before the end of areas[0..end).
std::optional<std::int64_t> StepBack(const std::vector<Area>& areas, std::size_t end, std::int64_t count) {
    for (std::size_t i = end; i-- > 0;) {
        const std::int64_t size = areas[i].End - areas[i].Begin;
        if (count <= size) return areas[i].End - count;
        count -= size;
    }
    return std::nullopt;
}

// The file bit `bits` main data bits after `start`, which lies in areas[index];
// past the last area the bits run on as if it went on.
std::int64_t StepForward(const std::vector<Area>& areas, std::size_t index, std::int64_t start, std::int64_t bits) {
    std::int64_t position = start * 8;
    for (std::size_t i = index; i < areas.size(); ++i) {
        if (i > index) position = areas[i].Begin * 8;
        const std::int64_t room = areas[i].End * 8 - position;
        if (bits <= room || i + 1 == areas.size()) return position + bits;
        bits -= room;
    }
    return position + bits;
}

std::size_t AreaHolding(const std::vector<Area>& areas, std::int64_t offset) {
    for (std::size_t i = 0; i < areas.size(); ++i)
        if (offset >= areas[i].Begin && offset < areas[i].End) return i;
    return areas.size() - 1;
}

}  // namespace

TMainDataSpan LocateMainData(const TFrameBytes& bytes) {
    TMainDataSpan span;
    const std::optional<Frame> target = FrameAt(bytes, bytes.FrameOffset);
    if (!target) return span;
    span.FrameEnd = target->Offset + target->Header.length;
    std::vector<Area> areas = EarlierAreas(bytes, *target);
    areas.push_back(target->MainDataArea());
    const std::size_t own = areas.size() - 1;
    const mpacheck::layer3_side side = mpacheck::read_layer3_side(target->Header, target->Bytes.data());
    const std::optional<std::int64_t> start =
        side.main_data_begin == 0 ? areas[own].Begin : StepBack(areas, own, side.main_data_begin);
    if (start) {
        span.Resolved = true;
        span.Start = *start;
        span.EndBit = StepForward(areas, AreaHolding(areas, span.Start), span.Start, side.main_data_bits);
    }
    const std::optional<Frame> next = FrameAt(bytes, span.FrameEnd);
    if (next && mpacheck::same_stream(next->Header, target->Header)) {
        const int nextBegin = mpacheck::read_layer3_side(next->Header, next->Bytes.data()).main_data_begin;
        span.NextStart = nextBegin == 0 ? span.FrameEnd : StepBack(areas, areas.size(), nextBegin).value_or(-1);
    }
    return span;
}
