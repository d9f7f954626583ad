#pragma once
// A delivery profile: the rules a stream must meet to be accepted for a
// delivery (a broadcast chain, an archive, a shop), each with the severity
// of a breach and a message for the QC engineer. Written as text
// (profile_parser.h, README.md); the built-in ones are in builtin_profiles.h.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "libs/mpacheck/mpacheck.h"

namespace mpaprofile {

// Stable: the names are the section names of the text format and the rule
// names in reports. Append new kinds at the end.
enum class rule_kind : std::uint8_t {
    versions,        // allowed MPEG versions (header version codes)
    layers,          // allowed layers
    sampling_rates,  // allowed sampling rates, Hz
    bitrates,        // allowed bitrates, bit/s; 0 is free format
    bitrate_mode,    // fixed or variable bitrate over the whole stream
    channel_modes,   // allowed channel modes (0 stereo .. 3 mono)
    crc,             // a CRC word on every frame
    emphasis,        // allowed emphasis codes
    rate_change,     // sampling rate changes between frames
    mode_change,     // channel mode changes between frames
    bitrate_change,  // bitrate changes between frames
    junk,            // bytes that are neither frames nor tags
    metadata,        // tags: none, ID3 only, or any
    ancillary_data,  // at least this many ancillary data bits per frame
    scf_crc,         // the DAB scale-factor CRC on every Layer II frame
    duration_drift,  // the VBR header's frame count against the frames found
    findings,        // stream checker finding kinds that must not occur
};
inline constexpr int kRuleKindCount = static_cast<int>(rule_kind::findings) + 1;

[[nodiscard]] std::string_view rule_name(rule_kind kind);  // "sampling-rates", ...
[[nodiscard]] std::optional<rule_kind> rule_from_name(std::string_view name);

enum class bitrate_mode : std::uint8_t { fixed, variable };
enum class metadata_policy : std::uint8_t { none, id3, any };

struct rule {
    rule_kind kind = rule_kind::versions;
    mpacheck::severity level = mpacheck::severity::error;
    std::string message;             // the profile's words; may be empty
    std::vector<std::int32_t> allowed;  // the allowed values of a set rule
    bool required = true;            // crc, scf_crc; for the change rules: changes forbidden
    std::int64_t limit = 0;          // junk: most bytes; ancillary_data: least bits
    double seconds = 0;              // duration_drift: most seconds
    bitrate_mode mode = bitrate_mode::fixed;
    metadata_policy metadata = metadata_policy::none;
    std::uint32_t kinds = 0;         // findings: bit per mpacheck::finding_kind
    int line = 0;                    // of the rule's section in the profile text
};

struct profile {
    std::string name;       // "dab", as on command lines
    std::string title;      // one line for lists
    std::string reference;  // the public document the profile follows
    std::vector<rule> rules;
};

// Samples per frame of a layer and version (MPEG-2 and 2.5 Layer III: 576).
[[nodiscard]] int samples_per_frame(int version_code, int layer);

}  // namespace mpaprofile
