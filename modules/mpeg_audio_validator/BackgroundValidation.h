#pragma once
// Runs ValidateFile on a thread of its own: started and stopped from the
// host's thread, progress read from any thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "modules/mpeg_audio_validator/AudioValidation.h"

namespace mpeg_audio_validation {

class BackgroundValidation {
public:
    using ReportFunction = std::function<void(const ValidationItem&)>;

    BackgroundValidation() = default;
    ~BackgroundValidation() { Stop(); }
    BackgroundValidation(const BackgroundValidation&) = delete;
    BackgroundValidation& operator=(const BackgroundValidation&) = delete;

    // Returns at once with the run under way; false while one still runs or
    // when no thread can be started. report is called on the run's thread.
    // profile: "" for none, or a built-in profile's name or a profile file
    // that judges the run (a profile that cannot be read is an Error item).
    bool Start(const std::string& fileName, const EnabledKinds& enabledKinds, ReportFunction report,
               const std::string& profile = {});
    // Asks the run to stop and waits for its thread; safe when idle.
    void Stop();
    [[nodiscard]] bool Running() const { return running_.load(); }
    // Percent of the file's bytes validated; 100 only once a run has ended
    // with everything reported (also when it ended early on an error), never
    // after a stop.
    [[nodiscard]] double ProgressPercent() const { return percent_.load(); }
    // Progress back to 0; only while idle.
    void ResetProgress();

private:
    void Run(const std::string& fileName, EnabledKinds enabledKinds, const ReportFunction& report,
             const std::string& profile);

    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> running_{false};
    std::atomic<double> percent_{0.0};
};

}  // namespace mpeg_audio_validation
