#pragma once
// Switching the stream checker's findings on and off: one switch (a settings
// dialog tick, a --disable name) per finding kind the walker does not know.
// The kinds the walker reports too (junk, lost sync, layer, sampling rate and
// channel mode changes) follow the walker's switch of the same meaning.

#include <cstdint>
#include <string_view>

#include "libs/mpacheck/mpacheck.h"
#include "modules/mpeg_audio_validator/AudioValidation.h"

namespace mpeg_audio_validation {

struct CheckerSwitch {
    mpacheck::finding_kind kind;  // its command-line name is mpacheck::kind_name(kind)
    const char* label;            // settings dialog text
};

inline constexpr CheckerSwitch kCheckerSwitches[] = {
    {mpacheck::finding_kind::crc_mismatch, "Frame CRC mismatches"},
    {mpacheck::finding_kind::metadata, "Tags (ID3v2, ID3v1, APEv2, Lyrics3v2)"},
    {mpacheck::finding_kind::tag_truncated, "Truncated tags"},
    {mpacheck::finding_kind::vbr_header, "VBR headers (Xing, Info, VBRI)"},
    {mpacheck::finding_kind::stream_truncated, "Streams shorter than their VBR header declares"},
    {mpacheck::finding_kind::stream_appended, "Streams longer than their VBR header declares"},
    {mpacheck::finding_kind::lame_tag_crc, "LAME tag CRC mismatches"},
    {mpacheck::finding_kind::music_crc, "LAME music CRC mismatches"},
    {mpacheck::finding_kind::reservoir_underflow, "Layer III bit reservoir underflows"},
    {mpacheck::finding_kind::main_data_overflow, "Layer III main data overflows"},
    {mpacheck::finding_kind::truncated_frame, "Truncated last frames"},
    {mpacheck::finding_kind::reserved_value, "Reserved or forbidden header values"},
    {mpacheck::finding_kind::version_change, "MPEG version changes"},
    {mpacheck::finding_kind::free_format, "Free format streams"},
};

// The walker's switch code a checker kind follows, or -1 when it has its own
// switch (or none: a file without audio is always reported).
[[nodiscard]] std::int32_t WalkerTwinCode(mpacheck::finding_kind kind);

// Whether the run reports the checker's findings of this kind.
[[nodiscard]] bool CheckerKindEnabled(mpacheck::finding_kind kind, const EnabledKinds& kinds);

// Switches off the kind named by a walker kind name ("junk") or a checker
// short name ("crc-mismatch"); false for an unknown name.
bool DisableKindByName(std::string_view name, EnabledKinds& kinds);

}  // namespace mpeg_audio_validation
