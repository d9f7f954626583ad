#include "modules/mpeg_audio_validator/KindLimit.h"

#include "libs/mpaverify/mpaverify.h"

namespace mpeg_audio_validation {
namespace {

// 1081000 → "1,081,000".
std::string GroupedThousands(std::uint64_t number) {
    std::string digits = std::to_string(number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    return digits;
}

}  // namespace

bool KindLimit::Admit(std::int32_t kind) { return ++tallies_[kind].seen <= kept_; }

void KindLimit::Label(std::int32_t kind, std::int32_t reportType, std::string_view noun) {
    Tally& tally = tallies_[kind];
    if (!tally.noun.empty()) return;
    tally.reportType = reportType;
    tally.noun = noun;
}

std::vector<ValidationItem> KindLimit::CutItems() const {
    std::vector<ValidationItem> items;
    for (const auto& [kind, tally] : tallies_) {
        if (tally.seen <= kept_) continue;
        const std::uint64_t omitted = tally.seen - kept_;
        ValidationItem item{tally.reportType, CutMessage(omitted, tally.noun)};
        item.omitted = omitted;
        items.push_back(std::move(item));
    }
    return items;
}

std::string CutMessage(std::uint64_t omitted, std::string_view noun) {
    return "and " + GroupedThousands(omitted) + " more " + std::string(noun);
}

const char* WalkerKindNoun(std::int32_t kind) {
    switch (kind) {
        case CORRUPTED_FRAME: return "corrupted frames";
        case CHANGING_LAYER: return "layer changes";
        case CHANGING_PROTECTION: return "protection changes";
        case CHANGING_FREQUENCY: return "sampling rate changes";
        case CHANGING_MODE: return "channel mode changes";
        case CHANGING_MODE_EXTENSION: return "mode extension changes";
        case CHANGING_COPYRIGHT: return "copyright bit changes";
        case CHANGING_ORIGINAL_HOME: return "original/copy bit changes";
        case CHANGING_EMPHASIS: return "emphasis changes";
        case JUNK_AT_THE_END: return "junk reports at the end";
        case JUNK_BYTES: return "junk reports";
        case CHANGING_BITRATE: return "bitrate changes";
        case CHANGING_FRAMESIZE: return "frame size changes";
        case VALID_PADDING: return "padding reports";
        default: return "events";
    }
}

}  // namespace mpeg_audio_validation
