#pragma once
// One run of the process's single mpaverify validator: holds the process-wide
// run lock, initialises and switches the validator, feeds it without ever
// losing a chunk, and reads back events, counters and initial parameters.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "modules/mpeg_audio_validator/EventMessages.h"

namespace mpeg_audio_validation {

class ValidatorSession {
public:
    // Waits for the run lock, polling stopRequested (may be empty) meanwhile.
    explicit ValidatorSession(const std::function<bool()>& stopRequested);
    ~ValidatorSession();
    ValidatorSession(const ValidatorSession&) = delete;
    ValidatorSession& operator=(const ValidatorSession&) = delete;

    // False when a stop was asked for before the lock was free.
    [[nodiscard]] bool HasLock() const { return lock_.owns_lock(); }
    // Initialises and switches on exactly the kinds of enabledKinds; false
    // when the validator cannot be created.
    bool Start(std::uint32_t enabledKinds);
    // Hands a chunk over; false when the validator refused it for good.
    bool Feed(const std::uint8_t* data, std::size_t length);
    void EndStream();

    // Events that arrived since the last call, in event order.
    [[nodiscard]] std::vector<ValidatorEvent> TakeNewEvents();
    // Nullopt while no frame was examined.
    [[nodiscard]] std::optional<StreamSummary> Summary() const;

private:
    bool FeedPiece(const std::uint8_t* data, std::size_t length);

    std::unique_lock<std::timed_mutex> lock_;
    bool initialised_ = false;
    std::int64_t fed_ = 0;
    std::int32_t eventsTaken_ = 0;
};

}  // namespace mpeg_audio_validation
