#include <algorithm>
#include <sstream>

#include "libs/mparepair/mparepair.h"

namespace mparepair {

const char* kind_name(change_kind kind) {
    switch (kind) {
    case change_kind::junk_dropped: return "junk-dropped";
    case change_kind::truncated_frame_dropped: return "truncated-frame-dropped";
    case change_kind::tag_dropped: return "tag-dropped";
    case change_kind::truncated_tag_dropped: return "truncated-tag-dropped";
    case change_kind::vbr_frames_updated: return "vbr-frames-updated";
    case change_kind::vbr_bytes_updated: return "vbr-bytes-updated";
    case change_kind::lame_tag_crc_updated: return "lame-tag-crc-updated";
    case change_kind::frame_crc_updated: return "frame-crc-updated";
    case change_kind::junk_kept: return "junk-kept";
    case change_kind::frame_crc_kept: return "frame-crc-kept";
    case change_kind::vbr_counts_kept: return "vbr-counts-kept";
    }
    return "unknown";
}

bool is_change(change_kind kind) { return kind < change_kind::junk_kept; }

std::int64_t change_count(const report& r) {
    return std::count_if(r.changes.begin(), r.changes.end(), [](const change& c) { return is_change(c.kind); });
}

std::string report_text(const report& r, const std::string& outputName) {
    std::ostringstream text;
    for (const change& c : r.changes) {
        text << kind_name(c.kind) << " at input " << c.input_offset << " (" << c.input_length << " bytes), output "
             << c.output_offset << ": " << c.why << "\n";
    }
    const std::int64_t changes = change_count(r);
    text << changes << (changes == 1 ? " change" : " changes") << ", "
         << static_cast<std::int64_t>(r.changes.size()) - changes << " kept as found; " << r.bytes_dropped
         << " bytes dropped, " << r.fields_rewritten << " fields rewritten; " << r.input_bytes << " bytes in, "
         << r.output_bytes << " bytes out\n";
    text << "re-check of " << outputName << ": " << r.recheck.frames << " audio frames, ";
    if (r.recheck_problem_count == 0) {
        text << "no problem found\n";
        return text.str();
    }
    text << r.recheck_problem_count << (r.recheck_problem_count == 1 ? " problem" : " problems") << "\n";
    for (const mpacheck::finding& f : r.recheck_problems)
        text << "  " << mpacheck::kind_name(f.kind) << " at output " << f.offset << ": " << mpacheck::describe(f) << "\n";
    if (r.recheck_problem_count > static_cast<std::int64_t>(r.recheck_problems.size()))
        text << "  (" << r.recheck_problem_count - static_cast<std::int64_t>(r.recheck_problems.size()) << " more)\n";
    return text.str();
}

}  // namespace mparepair
