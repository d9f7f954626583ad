#include "libs/mparepair/vbr_update.h"

#include <string>

#include "libs/mpacheck/crc16.h"
#include "libs/mpacheck/frame_header.h"
#include "libs/mpacheck/vbr_header.h"

namespace mparepair {
namespace {

void put_big_endian(std::uint8_t* p, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i, value >>= 8) p[i] = static_cast<std::uint8_t>(value & 0xFF);
}

change field_change(change_kind kind, std::uint64_t at, std::uint64_t size, std::int64_t before, std::int64_t after,
                    std::string why) {
    return change{kind, at, size, 0, before, after, std::move(why)};
}

// One count of the header: rewritten when it differs from the one counted.
void update_count(std::vector<std::uint8_t>& frame, std::uint64_t frame_offset, int at, std::uint32_t stored,
                  std::uint32_t counted, change_kind kind, const std::string& label, const char* unit,
                  std::vector<change>& changes) {
    if (at < 0 || stored == counted) return;
    put_big_endian(frame.data() + at, counted, 4);
    changes.push_back(field_change(kind, frame_offset + static_cast<std::uint64_t>(at), 4, stored, counted,
                                   "the " + label + " header declared " + std::to_string(stored) + " " + unit +
                                       ", the repaired stream has " + std::to_string(counted)));
}

}  // namespace

std::vector<change> update_vbr_header(std::vector<std::uint8_t>& frame, std::uint64_t frame_offset,
                                      const vbr_counts& counts) {
    std::vector<change> changes;
    mpacheck::frame_header h{};
    if (frame.size() < 4 || mpacheck::parse_header(frame.data(), h) != mpacheck::header_status::valid) return changes;
    h.length = static_cast<int>(frame.size());  // free format: the length the checker found
    const mpacheck::vbr_header vbr = mpacheck::read_vbr_header(h, frame.data());
    if (!vbr.present) return changes;
    const std::string label(vbr.label);
    if (vbr.has_frames) {
        update_count(frame, frame_offset, vbr.frames_offset, vbr.frames, counts.frames, change_kind::vbr_frames_updated,
                     label, "frames", changes);
    }
    if (vbr.has_bytes && counts.bytes_known) {
        update_count(frame, frame_offset, vbr.bytes_offset, vbr.bytes, counts.bytes, change_kind::vbr_bytes_updated,
                     label, "bytes", changes);
    }
    if (!vbr.lame.present) return changes;
    const auto at = static_cast<std::size_t>(vbr.lame.tag_crc_at);
    const std::uint16_t computed = mpacheck::lame_crc_update(0, frame.data(), at);
    if (computed == vbr.lame.tag_crc) return changes;
    put_big_endian(frame.data() + at, computed, 2);
    changes.push_back(field_change(change_kind::lame_tag_crc_updated, frame_offset + at, 2, vbr.lame.tag_crc, computed,
                                   "the LAME tag CRC did not match the tag"));
    return changes;
}

}  // namespace mparepair
