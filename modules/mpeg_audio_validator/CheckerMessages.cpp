#include "modules/mpeg_audio_validator/CheckerMessages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "abi/QuillonControlInterface.h"
#include "modules/mpeg_audio_validator/EventMessages.h"

namespace mpeg_audio_validation {

std::string StreamTime(double seconds) {
    const auto milliseconds = static_cast<long long>(std::llround(std::max(0.0, seconds) * 1000));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld", milliseconds / 60000, milliseconds / 1000 % 60,
                  milliseconds % 1000);
    return text;
}

ValidationItem DescribeFinding(const mpacheck::finding& finding) {
    static constexpr std::int32_t kTypes[] = {validation::kReportInfo, validation::kReportWarning,
                                              validation::kReportError};
    return {kTypes[static_cast<int>(finding.level)],
            "Frame " + std::to_string(finding.frame) + " at offset " +
                HexOffset(static_cast<std::int64_t>(finding.offset)) + " (" + StreamTime(finding.time) +
                "): " + mpacheck::describe(finding)};
}

}  // namespace mpeg_audio_validation
