#include "modules/mpeg_audio_validator/ValidatorSession.h"

#include <chrono>
#include <thread>

#include "libs/mpaverify/mpaverify.h"

namespace mpeg_audio_validation {
namespace {

// The decoder cannot be primed before the validator holds 4 bytes: until
// then AddData keeps what it is given and answers -1.
constexpr std::int64_t kPrimingBytes = 4;
// A chunk that does not fit the validator's input buffer is dropped with -1.
// It is offered again in halves, down to this size: each accepted piece lets
// the decoder drain the buffer.
constexpr std::size_t kSmallestRetry = 4096;
// AddData takes an int32 length.
constexpr std::size_t kLargestPiece = std::size_t{1} << 30;

std::timed_mutex& RunLock() {
    static std::timed_mutex lock;  // mpaverify is one validator per process
    return lock;
}

}  // namespace

// Polls with try_lock instead of waiting in try_lock_for: the thread
// sanitizer does not see the clock-based lock try_lock_for takes, and would
// report every later unlock as the unlock of a free mutex.
ValidatorSession::ValidatorSession(const std::function<bool()>& stopRequested) : lock_(RunLock(), std::defer_lock) {
    while (!lock_.try_lock()) {
        if (stopRequested && stopRequested()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

ValidatorSession::~ValidatorSession() {
    if (initialised_) UninitializeValidator();
}

bool ValidatorSession::Start(std::uint32_t enabledKinds) {
    if (!HasLock() || InitializeValidator() != 0) return false;
    initialised_ = true;
    for (const SwitchableKind& kind : kSwitchableKinds) {
        const bool on = (enabledKinds >> kind.code & 1u) != 0;
        SetValidationParameterState(static_cast<std::uint32_t>(kind.code), on ? 1 : 0);
    }
    return true;
}

bool ValidatorSession::Feed(const std::uint8_t* data, std::size_t length) {
    while (length > 0) {
        const std::size_t piece = length < kLargestPiece ? length : kLargestPiece;
        if (!FeedPiece(data, piece)) return false;
        data += piece;
        length -= piece;
    }
    return true;
}

bool ValidatorSession::FeedPiece(const std::uint8_t* data, std::size_t length) {
    const std::int32_t result = AddData(data, static_cast<std::int32_t>(length), 0);
    const bool kept = result == 0 || (result == -1 && fed_ + static_cast<std::int64_t>(length) < kPrimingBytes);
    if (kept) {
        fed_ += static_cast<std::int64_t>(length);
        return true;
    }
    if (result != -1 || length <= kSmallestRetry) return false;
    const std::size_t half = length / 2;
    return FeedPiece(data, half) && FeedPiece(data + half, length - half);
}

void ValidatorSession::EndStream() { AddData(nullptr, 0, 1); }

std::vector<ValidatorEvent> ValidatorSession::TakeNewEvents() {
    std::int32_t count = 0;
    std::vector<ValidatorEvent> events;
    if (GetCorruptedFramesCount(&count) != 0) return events;
    for (; eventsTaken_ < count; ++eventsTaken_) {
        ValidatorEvent e;
        if (GetCorruptedFramesReport(static_cast<std::uint32_t>(eventsTaken_), &e.frame, &e.kind, &e.value, nullptr,
                                     &e.offset) == 0)
            events.push_back(e);
    }
    return events;
}

std::optional<StreamSummary> ValidatorSession::Summary() const {
    StreamSummary s;
    if (GetInitialParameters(&s.layerCode, &s.samplingRate, &s.bitrate, &s.frameSize) != 0) return std::nullopt;
    GetParsedFramesCount(&s.parsedFrames);
    GetDecodedFramesCount(&s.decodedFrames);
    GetTotalFramesWithErrorsCount(&s.framesWithErrors);
    return s;
}

}  // namespace mpeg_audio_validation
