#include "modules/mpeg_audio_validator/CheckerSwitches.h"

namespace mpeg_audio_validation {

std::int32_t WalkerTwinCode(mpacheck::finding_kind kind) {
    using mpacheck::finding_kind;
    switch (kind) {
        case finding_kind::junk:
        case finding_kind::sync_lost: return KindCodeByName("junk");
        case finding_kind::layer_change: return KindCodeByName("layer");
        case finding_kind::rate_change: return KindCodeByName("frequency");
        case finding_kind::mode_change: return KindCodeByName("mode");
        default: return -1;
    }
}

bool CheckerKindEnabled(mpacheck::finding_kind kind, const EnabledKinds& kinds) {
    const std::int32_t twin = WalkerTwinCode(kind);
    if (twin >= 0) return (kinds.walker >> twin & 1u) != 0;
    return (kinds.checker >> static_cast<int>(kind) & 1u) != 0;
}

bool DisableKindByName(std::string_view name, EnabledKinds& kinds) {
    if (const std::int32_t code = KindCodeByName(name); code >= 0) {
        kinds.walker &= ~(1u << code);
        return true;
    }
    const std::optional<mpacheck::finding_kind> kind = mpacheck::kind_from_name(name);
    if (!kind || *kind == mpacheck::finding_kind::no_audio) return false;
    if (const std::int32_t twin = WalkerTwinCode(*kind); twin >= 0)
        kinds.walker &= ~(1u << twin);
    else
        kinds.checker &= ~(1u << static_cast<int>(*kind));
    return true;
}

}  // namespace mpeg_audio_validation
