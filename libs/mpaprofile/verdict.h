#pragma once
// The verdict on a stream from its rule results: "PASS", or "FAIL: 2 errors
// (CRC missing in 12 frames, bitrate 256 not allowed in 3 frames)".

#include <string>
#include <vector>

#include "libs/mpaprofile/profile_engine.h"

namespace mpaprofile {

struct verdict {
    bool passed = true;           // no error rule broken
    int broken[3] = {0, 0, 0};    // broken rules by mpacheck::severity
    std::string line;
};

[[nodiscard]] verdict summarize(const std::vector<rule_result>& results);

// Whether a rule at least as severe as level was broken.
[[nodiscard]] bool broke_at_least(const std::vector<rule_result>& results, mpacheck::severity level);

}  // namespace mpaprofile
