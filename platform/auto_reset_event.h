#pragma once
// An event that stays signalled until one waiter has seen it, then resets
// itself: the stand-in for a Windows auto-reset event.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

class AutoResetEvent {
public:
    AutoResetEvent() = default;
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    // Signals the event; one present or future waiter sees it.
    void Set();
    // Clears the signal without waking anyone.
    void Reset();
    // True when the event was signalled within the time-out; the signal is
    // then consumed. Safe to call from any thread.
    [[nodiscard]] bool WaitFor(std::chrono::milliseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_ = false;
};

}  // namespace platform
