#pragma once
// Calls into a demultiplexer plugin that may never return. The call runs on
// a thread of its own and the caller waits at most a bound for it. A call
// that has not returned by then is given up on: its thread stays inside the
// plugin, owning what the call captured, and ends whenever the plugin lets
// it; the caller goes on without a result.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

class TQlDemux;

template <class Result>
struct TPluginCallResult {
    bool returned = false;  // false: given up on, the call still runs
    Result value{};         // the call's answer (default when it threw)
};

// Runs call() on a new thread and waits until it returns or bound elapses.
template <class Result, class Call>
TPluginCallResult<Result> CallPluginWithin(std::chrono::milliseconds bound, Call call) {
    struct TShared {
        std::mutex mutex;
        std::condition_variable done;
        TPluginCallResult<Result> result;
    };
    auto shared = std::make_shared<TShared>();
    std::thread thread([shared, call = std::move(call)]() mutable {
        Result value{};
        try {
            value = call();
        } catch (...) {
        }
        std::lock_guard lock(shared->mutex);
        shared->result = {true, std::move(value)};
        shared->done.notify_all();
    });
    std::unique_lock lock(shared->mutex);
    const bool returned = shared->done.wait_for(lock, bound, [&] { return shared->result.returned; });
    lock.unlock();
    if (!returned) {
        thread.detach();
        return {};
    }
    thread.join();
    return std::move(shared->result);
}

// Keeps a plugin that was given up on loaded until the program ends. A call
// may still run inside it, so it is leaked rather than unloaded: neither its
// file nor its library is ever released, whether or not the call returns.
void KeepPluginLoadedForGood(std::shared_ptr<TQlDemux> demux);

// Whether any plugin was kept loaded for good: a program ending then should
// skip its static destructors (std::_Exit), which would otherwise run while
// a thread may still be inside that plugin.
bool AnyPluginKeptForGood();

// Releases a plugin (its file, then its library) on a thread of its own,
// waiting at most bound. False when the plugin did not return in time: the
// thread then finishes the release once the plugin lets it, so the library
// is unloaded only by the one thread that was inside it, after it left.
bool ReleasePluginWithin(std::chrono::milliseconds bound, std::shared_ptr<TQlDemux> demux);
