#include "libs/mpaprofile/rule_detail.h"

#include <cstdio>
#include <functional>

#include "libs/mpaprofile/value_names.h"

namespace mpaprofile {
namespace {

std::string counted(std::int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string joined(const std::vector<std::int64_t>& values, const std::function<std::string(std::int64_t)>& word) {
    std::string text;
    for (const std::int64_t value : values) text += (text.empty() ? "" : ", ") + word(value);
    return text;
}

std::string in_frames(const rule_result& result) { return " in " + counted(result.count, "frame"); }

std::string not_allowed(const rule_result& result, const char* what,
                        const std::function<std::string(std::int64_t)>& word) {
    return what + joined(result.values, word) + " not allowed" + in_frames(result);
}

std::string seconds_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

std::string scf_crc_detail(const rule_result& result) {
    bool wrong = false;
    bool missing = false;
    for (const std::int64_t value : result.values) {
        if (value == static_cast<std::int64_t>(mpacheck::scf_crc_state::mismatch)) wrong = true;
        else missing = true;
    }
    return std::string("scale-factor CRC ") + (wrong && missing ? "wrong or missing" : wrong ? "wrong" : "missing") +
           in_frames(result);
}

std::string findings_detail(const rule_result& result) {
    return joined(result.values, [](std::int64_t kind) {
               return std::string(mpacheck::kind_name(static_cast<mpacheck::finding_kind>(kind)));
           }) +
           " found " + counted(result.count, "time");
}

}  // namespace

std::string describe_breach(const rule_result& result) {
    const rule& r = *result.judged;
    const auto as_int = [](auto convert) {
        return [convert](std::int64_t value) { return convert(static_cast<std::int32_t>(value)); };
    };
    switch (r.kind) {
        case rule_kind::versions: return not_allowed(result, "", as_int(version_word));
        case rule_kind::layers: return not_allowed(result, "", as_int(layer_word));
        case rule_kind::sampling_rates:
            return not_allowed(result, "sampling rate ", [](std::int64_t hz) { return std::to_string(hz) + " Hz"; });
        case rule_kind::bitrates: return not_allowed(result, "bitrate ", as_int(bitrate_word));
        case rule_kind::channel_modes: return not_allowed(result, "mode ", as_int(mode_word));
        case rule_kind::emphasis: return not_allowed(result, "emphasis ", as_int(emphasis_word));
        case rule_kind::bitrate_mode:
            return r.mode == bitrate_mode::fixed ? "variable bitrate, fixed required"
                                                 : "fixed bitrate, variable required";
        case rule_kind::crc: return "CRC missing" + in_frames(result);
        case rule_kind::rate_change: return "sampling rate changes " + counted(result.count, "time");
        case rule_kind::mode_change: return "channel mode changes " + counted(result.count, "time");
        case rule_kind::bitrate_change: return "bitrate changes " + counted(result.count, "time");
        case rule_kind::junk:
            return counted(result.count, "junk byte") + ", at most " + std::to_string(r.limit) + " allowed";
        case rule_kind::metadata:
            return result.label + " tag not allowed" +
                   (result.count > 1 ? " (" + counted(result.count, "tag") + " in all)" : "");
        case rule_kind::ancillary_data:
            return "ancillary data below " + std::to_string(r.limit) + " bits" + in_frames(result) + " (fewest " +
                   std::to_string(static_cast<std::int64_t>(result.measure)) + ")";
        case rule_kind::scf_crc: return scf_crc_detail(result);
        case rule_kind::duration_drift:
            return "duration differs from the " + result.label + " header by " + seconds_text(result.measure) +
                   ", at most " + seconds_text(r.seconds) + " allowed";
        case rule_kind::findings: return findings_detail(result);
    }
    return {};
}

}  // namespace mpaprofile
