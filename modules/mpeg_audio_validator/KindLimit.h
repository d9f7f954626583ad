#pragma once
// Keeps a run's report bounded whatever the stream holds: the first items of
// each kind go out in full, the rest are only counted and summed up at the
// end in one item per kind ("and 1,081,000 more bitrate changes").

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "modules/mpeg_audio_validator/AudioValidation.h"

namespace mpeg_audio_validation {

class KindLimit {
public:
    // At least one item of each kind goes out in full: it labels the kind.
    explicit KindLimit(std::uint32_t keptPerKind) : kept_(keptPerKind > 0 ? keptPerKind : 1) {}

    // Checker findings share the walker's count of kinds without colliding.
    static constexpr std::int32_t kCheckerKindBase = 1000;

    // Counts an item of this kind; true while the kind is still within its
    // share, so the item goes out in full (and is described only then).
    bool Admit(std::int32_t kind);
    // Gives an admitted kind the report type of its items and its plural
    // noun for the summing-up item; the first call for a kind counts.
    void Label(std::int32_t kind, std::int32_t reportType, std::string_view noun);

    // One item per kind that went past its share, in kind order, each with
    // `omitted` set; empty when nothing was cut.
    [[nodiscard]] std::vector<ValidationItem> CutItems() const;

private:
    struct Tally {
        std::uint64_t seen = 0;
        std::int32_t reportType = 0;
        std::string noun;
    };

    std::uint32_t kept_;
    std::map<std::int32_t, Tally> tallies_;
};

// "and 1,081,000 more bitrate changes".
[[nodiscard]] std::string CutMessage(std::uint64_t omitted, std::string_view noun);

// The walker event kind's plural noun ("bitrate changes").
[[nodiscard]] const char* WalkerKindNoun(std::int32_t kind);

}  // namespace mpeg_audio_validation
