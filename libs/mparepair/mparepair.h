#pragma once
// Repair of an MPEG audio stream into a new file: the stream checker
// (libs/mpacheck) reads the input once and says where junk, cut frames,
// tags, stale VBR header counts and CRC mismatches are; the audio frames are
// then copied byte for byte to the output, without what is dropped and with
// the few fields that are rewritten, and the output is checked again as it
// is written. Every change is reported with its place in both files.
//
// The caller owns both descriptors: the input is only read (pread), the
// output only written from its current position on. Naming, creating and
// renaming the output file is the caller's (platform/atomic_output.h).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "libs/mpacheck/mpacheck.h"

namespace mparepair {

struct options {
    bool keep_junk = false;   // copy junk between, before and after the frames
    bool drop_tags = false;   // leave ID3v2, APEv2, ID3v1 and Lyrics3 blocks out
    bool fix_crc = false;     // rewrite a frame's stored CRC that does not match
    bool update_vbr = true;   // rewrite stale Xing/Info/VBRI counts and the LAME tag CRC
};

// Stable: the short names appear in reports. Append new kinds at the end.
enum class change_kind : std::uint8_t {
    junk_dropped,
    truncated_frame_dropped,
    tag_dropped,
    truncated_tag_dropped,
    vbr_frames_updated,
    vbr_bytes_updated,
    lame_tag_crc_updated,
    frame_crc_updated,
    // What was seen and deliberately left as it was (not a change).
    junk_kept,
    frame_crc_kept,
    vbr_counts_kept,
};

// "junk-dropped", "frame-crc-kept", ...
[[nodiscard]] const char* kind_name(change_kind kind);
// False for the kinds that only note what was kept.
[[nodiscard]] bool is_change(change_kind kind);

struct change {
    change_kind kind;
    std::uint64_t input_offset;   // of the bytes or the field concerned
    std::uint64_t input_length;   // bytes dropped, or the field's size
    std::uint64_t output_offset;  // where they were dropped, or the field now is
    std::int64_t before = 0;      // a rewritten field's old and new value
    std::int64_t after = 0;
    std::string why;              // one readable sentence part, no position
};

struct report {
    std::vector<change> changes;  // in input order; changes and notes of what was kept
    std::uint64_t input_bytes = 0;
    std::uint64_t output_bytes = 0;
    std::uint64_t bytes_dropped = 0;
    int fields_rewritten = 0;
    mpacheck::summary input;
    // The output, checked as it was written.
    mpacheck::summary recheck;
    std::vector<mpacheck::finding> recheck_problems;  // warnings and errors, the first kMaxProblemsKept
    std::int64_t recheck_problem_count = 0;
};
inline constexpr std::size_t kMaxProblemsKept = 100;

[[nodiscard]] std::int64_t change_count(const report& r);

enum class status : std::uint8_t {
    ok,
    cannot_read,   // reading the input failed (errno in result::error)
    cannot_write,  // writing the output failed (errno in result::error)
    no_audio,      // no MPEG audio frame in the input: nothing written
    cancelled,     // the progress callback said stop
};

struct result {
    status outcome = status::ok;
    int error = 0;
    report changes;
};

// done of total work units (the input read twice: checked, then copied);
// returning false stops the repair.
using progress_callback = std::function<bool(std::uint64_t done, std::uint64_t total)>;

[[nodiscard]] result repair(int input, int output, const options& choice, const progress_callback& progress = {});

// The report as text lines: one per change, then the totals and the
// re-check's result. outputName names the output in the last line.
[[nodiscard]] std::string report_text(const report& r, const std::string& outputName);

}  // namespace mparepair
