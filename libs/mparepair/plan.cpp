#include "libs/mparepair/plan.h"

#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "libs/mparepair/vbr_update.h"

namespace mparepair {
namespace {

std::string hex16(std::int64_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04" PRIX64, static_cast<std::uint64_t>(value) & 0xFFFF);
    return text;
}

bool read_exactly(int input, std::uint8_t* data, std::size_t size, std::uint64_t at) {
    while (size > 0) {
        const ssize_t n = ::pread(input, data, size, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
        at += static_cast<std::uint64_t>(n);
    }
    return true;
}

}  // namespace

void plan_builder::add(const mpacheck::finding& f) {
    using mpacheck::finding_kind;
    switch (f.kind) {
    case finding_kind::junk:
    case finding_kind::sync_lost: {
        const std::string where = f.kind == finding_kind::sync_lost ? "between frames" : "outside the frames";
        if (choice_.keep_junk) {
            changes_.push_back({change_kind::junk_kept, f.offset, f.length, 0, 0, 0, "junk " + where + ", kept"});
        } else {
            add_drop(change_kind::junk_dropped, f.offset, f.length, "junk " + where);
        }
        break;
    }
    case finding_kind::truncated_frame:
        add_drop(change_kind::truncated_frame_dropped, f.offset, static_cast<std::uint64_t>(f.actual),
                 "a frame cut short: " + std::to_string(f.length) + " bytes missing");
        break;
    case finding_kind::metadata: tags_.push_back(f); break;
    case finding_kind::tag_truncated: truncated_tags_.push_back(f); break;
    case finding_kind::vbr_header:
        if (!have_vbr_) vbr_ = f;
        have_vbr_ = true;
        break;
    case finding_kind::crc_mismatch: add_crc(f); break;
    default: break;
    }
}

void plan_builder::add_drop(change_kind kind, std::uint64_t offset, std::uint64_t length, std::string why) {
    if (length == 0) return;
    changes_.push_back({kind, offset, length, 0, 0, 0, std::move(why)});
    drops_.push_back({offset, length});
}

void plan_builder::add_crc(const mpacheck::finding& f) {
    const std::string why = "stored CRC " + hex16(f.expected) + ", computed " + hex16(f.actual);
    if (!choice_.fix_crc) {
        changes_.push_back({change_kind::frame_crc_kept, f.offset + 4, 2, 0, f.expected, f.expected, why + ", kept"});
        return;
    }
    changes_.push_back({change_kind::frame_crc_updated, f.offset + 4, 2, 0, f.expected, f.actual, why});
    const auto computed = static_cast<std::uint16_t>(f.actual);
    patches_.push_back({f.offset + 4, {static_cast<std::uint8_t>(computed >> 8), static_cast<std::uint8_t>(computed)}});
}

// A tag that claims more bytes than the file has is left out whole, with
// --drop-tags or not: its reader would run into whatever follows it.
void plan_builder::drop_truncated_tags(std::uint64_t input_size) {
    for (const mpacheck::finding& tag : tags_) {
        const bool truncated = std::any_of(truncated_tags_.begin(), truncated_tags_.end(),
                                           [&](const mpacheck::finding& t) { return t.offset == tag.offset; });
        const std::uint64_t present = std::min(tag.length, input_size - std::min(input_size, tag.offset));
        if (truncated) {
            add_drop(change_kind::truncated_tag_dropped, tag.offset, present,
                     std::string(tag.label) + " tag declares " + std::to_string(tag.length - present) +
                         " bytes past the end of the file");
        } else if (choice_.drop_tags) {
            add_drop(change_kind::tag_dropped, tag.offset, present, std::string(tag.label) + " tag, left out as asked");
        }
    }
}

// The frames and bytes after the first VBR header frame, as the checker
// counted them; the bytes only when no audio frame comes before that frame.
bool plan_builder::plan_vbr_update(const mpacheck::summary& input_summary, int input, plan& out) {
    if (!have_vbr_) return true;
    std::vector<std::uint8_t> frame(vbr_.length);
    if (!read_exactly(input, frame.data(), frame.size(), vbr_.offset)) return false;
    const std::uint64_t audio_frames = static_cast<std::uint64_t>(input_summary.frames - vbr_.frame);
    const std::uint64_t bytes = vbr_.length + input_summary.audio_bytes;
    const vbr_counts counts{static_cast<std::uint32_t>(audio_frames), vbr_.frame == 0 && bytes <= UINT32_MAX,
                            static_cast<std::uint32_t>(bytes)};
    const std::vector<std::uint8_t> original = frame;
    std::vector<change> updates = update_vbr_header(frame, vbr_.offset, counts);
    if (!choice_.update_vbr) {
        for (change& c : updates) {
            c.kind = change_kind::vbr_counts_kept;
            c.after = c.before;
            c.why += ", kept";
        }
    } else if (frame != original) {
        out.patches.push_back({vbr_.offset, std::move(frame)});
    }
    changes_.insert(changes_.end(), updates.begin(), updates.end());
    return true;
}

// Every input offset maps to the output offset minus the bytes dropped before it.
void plan_builder::place_in_output(plan& out) const {
    std::vector<std::uint64_t> dropped_before(out.drops.size() + 1, 0);
    for (std::size_t i = 0; i < out.drops.size(); ++i) dropped_before[i + 1] = dropped_before[i] + out.drops[i].length;
    for (change& c : out.changes) {
        const auto after = std::upper_bound(out.drops.begin(), out.drops.end(), c.input_offset,
                                            [](std::uint64_t at, const byte_range& r) { return at < r.offset; });
        const auto index = static_cast<std::size_t>(after - out.drops.begin());
        c.output_offset = c.input_offset - dropped_before[index];
        if (index > 0) {
            const byte_range& r = out.drops[index - 1];
            // Inside a dropped range: the place where it was.
            if (c.input_offset < r.offset + r.length) c.output_offset = r.offset - dropped_before[index - 1];
        }
    }
}

bool plan_builder::finish(const mpacheck::summary& input_summary, int input, std::uint64_t input_size, plan& out) {
    drop_truncated_tags(input_size);
    if (!plan_vbr_update(input_summary, input, out)) return false;
    out.patches.insert(out.patches.end(), patches_.begin(), patches_.end());
    std::sort(out.patches.begin(), out.patches.end(), [](const patch& a, const patch& b) { return a.offset < b.offset; });
    out.drops = drops_;
    std::sort(out.drops.begin(), out.drops.end(),
              [](const byte_range& a, const byte_range& b) { return a.offset < b.offset; });
    out.changes = changes_;
    std::stable_sort(out.changes.begin(), out.changes.end(),
                     [](const change& a, const change& b) { return a.input_offset < b.input_offset; });
    place_in_output(out);
    return true;
}

}  // namespace mparepair
