#pragma once
// What a broken rule found, in a few words for a verdict line: "bitrate 256
// not allowed in 12 frames", "CRC missing in 3 frames".

#include <string>

#include "libs/mpaprofile/profile_engine.h"

namespace mpaprofile {

[[nodiscard]] std::string describe_breach(const rule_result& result);

}  // namespace mpaprofile
