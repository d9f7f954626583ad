#pragma once
// Validating an MPEG audio stream file with mpaverify: feeds the file in
// chunks, ends the stream and turns the validator's events into report items
// with messages a QC engineer reads at a glance. Shared by the MPEG Audio
// Validator module (on its own thread) and the command line.
//
// mpaverify keeps one validator per process, so runs are serialised.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <optional>
#include <string_view>

#include "libs/mpacheck/frame_facts.h"
#include "libs/mpacheck/mpacheck.h"

namespace mpeg_audio_validation {

// An event kind that can be switched on and off (the validator's switch index
// is the kind's code).
struct SwitchableKind {
    std::int32_t code;
    const char* name;   // command-line name, e.g. "bitrate"
    const char* label;  // settings dialog text, e.g. "Bitrate changes"
};

inline constexpr SwitchableKind kSwitchableKinds[] = {
    {0, "corrupted", "Corrupted or undecodable frames"},
    {4, "layer", "Layer changes"},
    {5, "protection", "Protection (CRC) changes"},
    {7, "frequency", "Sampling rate changes"},
    {8, "mode", "Channel mode changes"},
    {9, "mode-extension", "Mode extension changes"},
    {10, "copyright", "Copyright bit changes"},
    {11, "original", "Original/copy bit changes"},
    {13, "emphasis", "Emphasis changes"},
    {14, "junk-at-end", "Junk at the end of the stream"},
    {15, "junk", "Junk bytes between frames"},
    {16, "bitrate", "Bitrate changes"},
    {17, "framesize", "Frame size changes"},
    {18, "padding", "Needless padding at 48 or 32 kHz"},
};

// Bit `code` set: that kind is reported.
inline constexpr std::uint32_t kAllKinds = (1u << 0) | (1u << 4) | (1u << 5) | (1u << 7) | (1u << 8) | (1u << 9) |
                                           (1u << 10) | (1u << 11) | (1u << 13) | (1u << 14) | (1u << 15) |
                                           (1u << 16) | (1u << 17) | (1u << 18);

// The code of a kind by its command-line name, or -1.
[[nodiscard]] std::int32_t KindCodeByName(std::string_view name);

// Bit `mpacheck::finding_kind` set: the stream checker's findings of that kind
// are reported.
inline constexpr std::uint32_t kAllCheckerKinds = (1u << mpacheck::kFindingKindCount) - 1;

// The kinds a run reports: the walker's (mpaverify) by their event codes, the
// stream checker's by their finding kinds. Made from the walker's bits alone,
// every checker kind is on. keptPerKind bounds the report whatever the
// stream: items of a kind past that many are summed up in one item.
inline constexpr std::uint32_t kDefaultKeptPerKind = 5000;

struct EnabledKinds {
    EnabledKinds(std::uint32_t walkerKinds = kAllKinds, std::uint32_t checkerKinds = kAllCheckerKinds)  // NOLINT
        : walker(walkerKinds), checker(checkerKinds) {}
    std::uint32_t walker;
    std::uint32_t checker;
    std::uint32_t keptPerKind = kDefaultKeptPerKind;
};

// What a report item carries (the module adds its type and stream -1).
struct ValidationItem {
    std::int32_t reportType;  // validation::ReportTypeCode: 1 Info, 2 Warning, 3 Error
    std::string message;      // UTF-8
    // Set on the items of the stream checker's findings: kind, frame, offset
    // and time for the command line's JSON and --fail-on.
    std::optional<mpacheck::finding> finding = std::nullopt;
    // Set on an item that sums up items cut from the report: how many items
    // of its type it stands for.
    std::uint64_t omitted = 0;
};

// What the stream checker sees, for rules that judge the stream as it is
// read (delivery profiles): every finding, reported or not, each audio
// frame's facts, and the summary once the whole stream was read. Optional.
struct CheckerObservers {
    mpacheck::finding_callback finding;
    mpacheck::frame_callback frame;
    std::function<void(const mpacheck::summary&)> summary;
};

struct ValidationCallbacks {
    std::function<void(const ValidationItem&)> report;                      // required
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;  // optional
    std::function<bool()> stopRequested;                                     // optional
    CheckerObservers checker;                                                // optional
};

enum class RunResult {
    Completed,     // the whole file was validated; the closing summary was reported
    Stopped,       // stopRequested answered true; no summary
    CannotOpen,    // the file could not be opened or read (an Error item says so)
    NotMpegAudio,  // no MPEG audio frame was found (an Error item says so)
};

// Validates the file with the kinds in enabledKinds switched on. Blocking;
// reports items through callbacks.report as they are known, then a closing
// Info item. MPEG-1 Layer I/II streams go through the walker (mpaverify and
// its decoder) and the stream checker (mpacheck); Layer III, MPEG-2 and
// MPEG-2.5 streams, which the walker does not read, through the checker
// alone. Callbacks run on the calling thread.
RunResult ValidateFile(const std::string& fileName, EnabledKinds enabledKinds, const ValidationCallbacks& callbacks);

// The bytes ValidateFile reads and hands to the validator at a time: small
// against the validator's 5 MiB input buffer, large enough to keep calls few.
inline constexpr std::size_t kFeedChunkBytes = 512 * 1024;

// ValidateFile with another chunk size (at least 1 byte); the results do not
// depend on it.
RunResult ValidateFileInChunks(const std::string& fileName, EnabledKinds enabledKinds,
                               const ValidationCallbacks& callbacks, std::size_t chunkBytes);

}  // namespace mpeg_audio_validation
