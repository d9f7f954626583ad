#include "modules/mpeg_audio_validator/ProfileRun.h"

#include <cstdio>

#include "abi/QuillonControlInterface.h"
#include "libs/mpaprofile/verdict.h"
#include "modules/mpeg_audio_validator/EventMessages.h"

namespace mpeg_audio_validation {
namespace {

std::int32_t ReportType(mpacheck::severity level) {
    switch (level) {
        case mpacheck::severity::error: return validation::kReportError;
        case mpacheck::severity::warning: return validation::kReportWarning;
        case mpacheck::severity::info: break;
    }
    return validation::kReportInfo;
}

std::string FirstPosition(const mpaprofile::rule_result& result) {
    if (result.positions.empty() || result.positions[0].frame < 0) return {};
    const mpaprofile::position& at = result.positions[0];
    return "; first at frame " + std::to_string(at.frame) + " (offset " +
           HexOffset(static_cast<std::int64_t>(at.offset)) + ")";
}

ValidationItem RuleItem(const mpaprofile::rule_result& result) {
    const mpaprofile::rule& r = *result.judged;
    std::string text = "Rule " + std::string(mpaprofile::rule_name(r.kind)) + " (" +
                       std::string(mpacheck::severity_name(r.level)) + "): ";
    text += result.passed ? "passed" : "failed, " + result.detail + FirstPosition(result);
    if (!r.message.empty()) text += " - " + r.message;
    return {result.passed ? validation::kReportInfo : ReportType(r.level), text};
}

}  // namespace

void ObserveWith(mpaprofile::profile_engine& engine, CheckerObservers& observers) {
    observers.finding = [&engine](const mpacheck::finding& finding) { engine.on_finding(finding); };
    observers.frame = [&engine](const mpacheck::frame_facts& facts) { engine.on_frame(facts); };
    observers.summary = [&engine](const mpacheck::summary& summary) { engine.finish(summary); };
}

std::vector<ValidationItem> VerdictItems(const mpaprofile::profile_engine& engine) {
    const mpaprofile::verdict v = mpaprofile::summarize(engine.results());
    const std::int32_t type = !v.passed                                                        ? validation::kReportError
                              : v.broken[static_cast<int>(mpacheck::severity::warning)] > 0 ? validation::kReportWarning
                                                                                             : validation::kReportInfo;
    std::vector<ValidationItem> items = {{type, "Profile " + engine.judged().name + ": " + v.line}};
    for (const mpaprofile::rule_result& result : engine.results()) items.push_back(RuleItem(result));
    return items;
}

RunResult ValidateFileJudged(const std::string& fileName, EnabledKinds enabledKinds,
                             const ValidationCallbacks& callbacks, mpaprofile::profile_engine& engine) {
    std::vector<ValidationItem> held;
    ValidationCallbacks holding = callbacks;
    holding.report = [&held](const ValidationItem& item) { held.push_back(item); };
    ObserveWith(engine, holding.checker);
    const RunResult result = ValidateFile(fileName, enabledKinds, holding);
    if (result == RunResult::Completed)
        for (const ValidationItem& item : VerdictItems(engine)) callbacks.report(item);
    for (const ValidationItem& item : held) callbacks.report(item);
    return result;
}

}  // namespace mpeg_audio_validation
