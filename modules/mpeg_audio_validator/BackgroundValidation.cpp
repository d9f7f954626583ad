#include "modules/mpeg_audio_validator/BackgroundValidation.h"

#include <algorithm>
#include <system_error>
#include <variant>

#include "libs/mpaprofile/profile_source.h"
#include "modules/mpeg_audio_validator/ProfileRun.h"
#include "platform/debug_output.h"
#include "abi/QuillonControlInterface.h"

namespace mpeg_audio_validation {
namespace {

// 100 is kept for the moment everything, the summary included, is reported.
constexpr double kLargestRunningPercent = 99.9;

RunResult ValidateWithProfile(const std::string& fileName, EnabledKinds enabledKinds,
                              const ValidationCallbacks& callbacks, const std::string& profile) {
    if (profile.empty()) return ValidateFile(fileName, enabledKinds, callbacks);
    auto loaded = mpaprofile::load_profile(profile);
    if (const auto* error = std::get_if<std::string>(&loaded)) {
        callbacks.report({validation::kReportError, "Profile not used: " + *error});
        return ValidateFile(fileName, enabledKinds, callbacks);
    }
    mpaprofile::profile_engine engine(std::get<mpaprofile::profile>(std::move(loaded)));
    return ValidateFileJudged(fileName, enabledKinds, callbacks, engine);
}

}  // namespace

bool BackgroundValidation::Start(const std::string& fileName, const EnabledKinds& enabledKinds, ReportFunction report,
                                 const std::string& profile) {
    if (running_.load()) return false;
    if (thread_.joinable()) thread_.join();  // the last run has ended; its thread is still to be joined
    stopRequested_ = false;
    percent_ = 0.0;
    running_ = true;
    try {
        thread_ = std::thread(
            [this, fileName, enabledKinds, report = std::move(report), profile] {
                Run(fileName, enabledKinds, report, profile);
            });
    } catch (const std::system_error&) {
        running_ = false;
        return false;
    }
    return true;
}

void BackgroundValidation::Stop() {
    stopRequested_ = true;
    if (thread_.joinable()) thread_.join();
}

void BackgroundValidation::ResetProgress() {
    if (!running_.load()) percent_ = 0.0;
}

void BackgroundValidation::Run(const std::string& fileName, EnabledKinds enabledKinds, const ReportFunction& report,
                               const std::string& profile) {
    ValidationCallbacks callbacks;
    callbacks.report = report;
    callbacks.progress = [this](std::uint64_t done, std::uint64_t total) {
        if (total > 0) percent_ = std::min(kLargestRunningPercent, 100.0 * static_cast<double>(done) / total);
    };
    callbacks.stopRequested = [this] { return stopRequested_.load(); };
    try {
        if (ValidateWithProfile(fileName, enabledKinds, callbacks, profile) != RunResult::Stopped) percent_ = 100.0;
    } catch (const std::exception& e) {
        // Nothing may leave the thread; the host still learns that the run failed.
        platform::OutputDebugLineF("Error in MPEG Audio Validator run: %s", e.what());
        try {
            report({validation::kReportError, "Validation failed unexpectedly."});
        } catch (const std::exception&) {
        }
        percent_ = 100.0;
    }
    running_ = false;
}

}  // namespace mpeg_audio_validation
