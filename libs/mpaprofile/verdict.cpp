#include "libs/mpaprofile/verdict.h"

namespace mpaprofile {
namespace {

using mpacheck::severity;

std::string group(const std::vector<rule_result>& results, severity level, int count, const char* noun) {
    std::string text = std::to_string(count) + " " + noun + (count == 1 ? "" : "s") + " (";
    bool first = true;
    for (const rule_result& result : results) {
        if (result.passed || result.judged->level != level) continue;
        text += (first ? "" : ", ") + result.detail;
        first = false;
    }
    return text + ")";
}

}  // namespace

verdict summarize(const std::vector<rule_result>& results) {
    verdict v;
    for (const rule_result& result : results)
        if (!result.passed) ++v.broken[static_cast<int>(result.judged->level)];
    v.passed = v.broken[static_cast<int>(severity::error)] == 0;
    std::string groups;
    constexpr struct {
        severity level;
        const char* noun;
    } kGroups[] = {{severity::error, "error"}, {severity::warning, "warning"}, {severity::info, "info"}};
    for (const auto& g : kGroups) {
        const int count = v.broken[static_cast<int>(g.level)];
        if (count > 0) groups += (groups.empty() ? "" : "; ") + group(results, g.level, count, g.noun);
    }
    v.line = v.passed ? (groups.empty() ? "PASS" : "PASS with " + groups) : "FAIL: " + groups;
    return v;
}

bool broke_at_least(const std::vector<rule_result>& results, severity level) {
    for (const rule_result& result : results)
        if (!result.passed && result.judged->level >= level) return true;
    return false;
}

}  // namespace mpaprofile
