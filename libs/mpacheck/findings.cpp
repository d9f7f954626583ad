// Names, severities and readable texts of the findings.

#include <array>
#include <cinttypes>
#include <cstdio>

#include "libs/mpacheck/mpacheck.h"

namespace mpacheck {
namespace {

struct kind_entry {
    std::string_view name;
    severity level;
};

constexpr std::array<kind_entry, kFindingKindCount> kKinds = {{
    {"crc-mismatch", severity::error},
    {"metadata", severity::info},
    {"tag-truncated", severity::error},
    {"vbr-header", severity::info},
    {"stream-truncated", severity::error},
    {"stream-appended", severity::warning},
    {"lame-tag-crc", severity::error},
    {"music-crc", severity::error},
    {"reservoir-underflow", severity::error},
    {"main-data-overflow", severity::error},
    {"junk", severity::warning},
    {"sync-lost", severity::error},
    {"truncated-frame", severity::error},
    {"reserved-value", severity::error},
    {"version-change", severity::warning},
    {"layer-change", severity::warning},
    {"rate-change", severity::warning},
    {"mode-change", severity::warning},
    {"free-format", severity::info},
    {"no-audio", severity::error},
}};

std::string format(const char* pattern, auto... values) {
    char text[160];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

const char* mode_name(std::int64_t mode) {
    constexpr const char* kModes[] = {"stereo", "joint stereo", "dual channel", "mono"};
    return mode >= 0 && mode < 4 ? kModes[mode] : "?";
}

const char* version_name(std::int64_t code) {
    constexpr const char* kVersions[] = {"MPEG-2.5", "reserved", "MPEG-2", "MPEG-1"};
    return code >= 0 && code < 4 ? kVersions[code] : "?";
}

std::string describe_count_check(const finding& f, const char* what) {
    return format("%s: the %s header declares %" PRId64 " %s, %" PRId64 " counted", what, f.label, f.expected,
                  f.length != 0 ? "bytes" : "frames", f.actual);
}

}  // namespace

std::string_view kind_name(finding_kind kind) { return kKinds[static_cast<std::size_t>(kind)].name; }

severity kind_severity(finding_kind kind) { return kKinds[static_cast<std::size_t>(kind)].level; }

std::optional<finding_kind> kind_from_name(std::string_view name) {
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
        if (kKinds[i].name == name) return static_cast<finding_kind>(i);
    }
    return std::nullopt;
}

std::string_view severity_name(severity level) {
    constexpr std::string_view kNames[] = {"info", "warning", "error"};
    return kNames[static_cast<int>(level)];
}

std::string describe(const finding& f) {
    switch (f.kind) {
    case finding_kind::crc_mismatch:
        return format("CRC mismatch (stored 0x%04" PRIX64 ", computed 0x%04" PRIX64 ")", f.expected, f.actual);
    case finding_kind::metadata: return format("%s tag, %" PRIu64 " bytes", f.label, f.length);
    case finding_kind::tag_truncated:
        return format("%s tag truncated: %" PRIu64 " bytes missing", f.label, f.length);
    case finding_kind::vbr_header:
        return format("%s header: %" PRId64 " frames, %" PRId64 " bytes declared", f.label, f.expected, f.actual);
    case finding_kind::stream_truncated: return describe_count_check(f, "Stream truncated");
    case finding_kind::stream_appended: return describe_count_check(f, "Stream appended");
    case finding_kind::lame_tag_crc:
        return format("LAME tag CRC mismatch (stored 0x%04" PRIX64 ", computed 0x%04" PRIX64 ")", f.expected, f.actual);
    case finding_kind::music_crc:
        return format("LAME music CRC mismatch (stored 0x%04" PRIX64 ", computed 0x%04" PRIX64 ")", f.expected,
                      f.actual);
    case finding_kind::reservoir_underflow:
        return format("Bit reservoir underflow (main_data_begin %" PRId64 ", %" PRId64 " bytes available)",
                      f.expected, f.actual);
    case finding_kind::main_data_overflow:
        return format("Main data overflow (%" PRId64 " bits of granules, %" PRId64 " bits of main data)", f.expected,
                      f.actual);
    case finding_kind::junk: return format("%" PRIu64 " junk bytes", f.length);
    case finding_kind::sync_lost:
        return format("Sync lost: %" PRIu64 " bytes skipped up to offset 0x%" PRIX64, f.length, f.offset + f.length);
    case finding_kind::truncated_frame: return format("Truncated frame: %" PRIu64 " bytes missing", f.length);
    case finding_kind::reserved_value: return format("Reserved value: %s", f.label);
    case finding_kind::version_change:
        return format("Version change from %s to %s", version_name(f.expected), version_name(f.actual));
    case finding_kind::layer_change:
        return format("Layer change from %" PRId64 " to %" PRId64, f.expected, f.actual);
    case finding_kind::rate_change:
        return format("Sampling rate change from %" PRId64 " Hz to %" PRId64 " Hz", f.expected, f.actual);
    case finding_kind::mode_change:
        return format("Channel mode change from %s to %s", mode_name(f.expected), mode_name(f.actual));
    case finding_kind::free_format: return format("Free format, %" PRIu64 " bytes per frame", f.length);
    case finding_kind::no_audio: return "No MPEG audio frames found";
    }
    return {};
}

}  // namespace mpacheck
