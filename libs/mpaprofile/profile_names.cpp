#include <array>

#include "libs/mpaprofile/profile.h"

namespace mpaprofile {
namespace {

constexpr std::array<std::string_view, kRuleKindCount> kRuleNames = {
    "versions",    "layers",      "sampling-rates", "bitrates", "bitrate-mode",   "channel-modes",
    "crc",         "emphasis",    "rate-change",    "mode-change", "bitrate-change", "junk",
    "metadata",    "ancillary-data", "scf-crc",     "duration-drift", "findings",
};

}  // namespace

std::string_view rule_name(rule_kind kind) { return kRuleNames[static_cast<std::size_t>(kind)]; }

std::optional<rule_kind> rule_from_name(std::string_view name) {
    for (std::size_t i = 0; i < kRuleNames.size(); ++i)
        if (kRuleNames[i] == name) return static_cast<rule_kind>(i);
    return std::nullopt;
}

int samples_per_frame(int version_code, int layer) {
    if (layer == 1) return 384;
    if (layer == 3 && version_code != 3) return 576;
    return 1152;
}

}  // namespace mpaprofile
