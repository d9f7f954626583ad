#pragma once
// Which extraction an AbortDemux stops, and the wait for sends to the host.
//
// Every extraction gets the next generation number when it begins. An abort
// covers the extraction running when it begins or, when none runs, the next
// one to begin while the abort is still under way: an abort that arrives
// just before the host's extraction begins stops that extraction instead of
// being forgotten. Once every abort under way has returned, a pending
// generation nobody started is no longer covered, so the next extraction
// runs to its end.
//
// Threads: Begin, Honour and End run on the extracting thread; BeginAbort,
// EndAbort and WaitForSends on the aborting one. The bookkeeping is under a
// mutex; the state the forwarding path reads for every chunk is one atomic.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

namespace demux_plugin {

class ExtractionAbort {
public:
    // An extraction begins; true when an abort under way already covers it.
    bool Begin() {
        std::lock_guard lock(mutex_);
        ++started_;
        running_ = true;
        const bool covered = started_ <= aborted_through_;
        state_.store(covered ? kRequested : kRunning);
        return covered;
    }

    // The extraction has ended.
    void End() {
        std::lock_guard lock(mutex_);
        running_ = false;
    }

    // True once, at the first step boundary after an abort covered the
    // running extraction: the extraction stops there.
    bool Honour() {
        std::int32_t requested = kRequested;
        return state_.compare_exchange_strong(requested, kHonoured);
    }

    // Whether chunks may still go to the host: no abort covers the running
    // extraction.
    [[nodiscard]] bool Running() const { return state_.load() == kRunning; }

    // An abort begins: it covers the running extraction or the next one.
    void BeginAbort() {
        std::lock_guard lock(mutex_);
        ++aborts_under_way_;
        aborted_through_ = std::max(aborted_through_, running_ ? started_ : started_ + 1);
        std::int32_t running = kRunning;
        if (running_) state_.compare_exchange_strong(running, kRequested);
    }

    // An abort has returned; with none left under way, a generation that
    // did not begin meanwhile is released.
    void EndAbort() {
        std::lock_guard lock(mutex_);
        --aborts_under_way_;
        if (aborts_under_way_ == 0) aborted_through_ = std::min(aborted_through_, started_);
    }

    // A send to the host begins or ends. A send announced before the abort
    // state was set to requested is waited for by WaitForSends; one announced
    // after it sees the request (both orders sequentially consistent).
    void SendBegins() { sends_under_way_.fetch_add(1); }
    void SendEnds() { sends_under_way_.fetch_sub(1); }

    // Waits until no send is under way; false when one still is at the
    // deadline.
    bool WaitForSends(std::chrono::steady_clock::time_point deadline) const {
        while (sends_under_way_.load() != 0) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

private:
    enum : std::int32_t { kRunning = 0, kRequested = 1, kHonoured = 2 };

    std::mutex mutex_;
    std::uint64_t started_ = 0;          // generation of the last extraction begun
    std::uint64_t aborted_through_ = 0;  // generations up to this one are aborted
    int aborts_under_way_ = 0;
    bool running_ = false;
    std::atomic<std::int32_t> state_{kRunning};  // of the running extraction
    std::atomic<std::int32_t> sends_under_way_{0};
};

}  // namespace demux_plugin
