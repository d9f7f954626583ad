#include "cli/batch_runner.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>
#include <vector>

namespace cli {
namespace {

// Files a worker may finish ahead of the first one not yet printed, per job.
constexpr std::size_t kLeadPerJob = 4;

struct FileResult {
    std::string out;
    std::string err;
    int code = kExitOk;
    bool done = false;
};

// The shared state of one batch: which file is next to start, the results
// waiting to be printed, and how far printing has got.
class Batch {
public:
    Batch(std::size_t count, unsigned jobs, const FileTask& task)
        : task_(task), results_(count), lead_(kLeadPerJob * jobs) {}

    void Work() {
        for (;;) {
            const std::optional<std::size_t> index = NextIndex();
            if (!index) return;
            std::ostringstream out;
            std::ostringstream err;
            const int code = task_(*index, out, err);
            Finish(*index, {out.str(), err.str(), code, true});
        }
    }

    // Prints every result in order as it arrives; returns the batch's code.
    int PrintInOrder(std::ostream& out, std::ostream& err) {
        int code = kExitOk;
        for (std::size_t printed = 0; printed < results_.size(); ++printed) {
            FileResult result = WaitFor(printed);
            out << result.out;
            err << result.err;
            out.flush();
            code = LowerFailure(code, result.code);
        }
        return code;
    }

private:
    std::optional<std::size_t> NextIndex() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return next_ >= results_.size() || next_ < printed_ + lead_; });
        if (next_ >= results_.size()) return std::nullopt;
        return next_++;
    }

    void Finish(std::size_t index, FileResult result) {
        {
            const std::lock_guard lock(mutex_);
            results_[index] = std::move(result);
        }
        changed_.notify_all();
    }

    FileResult WaitFor(std::size_t index) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return results_[index].done; });
        FileResult result = std::move(results_[index]);
        results_[index] = {};
        printed_ = index + 1;
        lock.unlock();
        changed_.notify_all();
        return result;
    }

    const FileTask& task_;
    std::vector<FileResult> results_;
    const std::size_t lead_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;
    std::size_t printed_ = 0;
};

}  // namespace

int LowerFailure(int code, int other) {
    if (code == kExitOk) return other;
    if (other == kExitOk) return code;
    return std::min(code, other);
}

int RunBatch(std::size_t count, unsigned jobs, const FileTask& task, std::ostream& out, std::ostream& err) {
    if (jobs <= 1 || count <= 1) {
        int code = kExitOk;
        for (std::size_t i = 0; i < count; ++i) code = LowerFailure(code, task(i, out, err));
        return code;
    }
    Batch batch(count, jobs, task);
    std::vector<std::jthread> workers;
    const std::size_t threads = std::min<std::size_t>(jobs, count);
    workers.reserve(threads);
    for (std::size_t i = 0; i < threads; ++i) workers.emplace_back([&batch] { batch.Work(); });
    return batch.PrintInOrder(out, err);
}

unsigned DefaultJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

std::optional<unsigned> JobsOption(const Arguments& arguments) {
    constexpr std::int64_t kMostJobs = 1024;
    const std::optional<std::string> value = arguments.Value("--jobs");
    if (!value) return DefaultJobs();
    const std::optional<std::int64_t> jobs = ParseByteCount(*value);
    if (!jobs || *jobs < 1 || *jobs > kMostJobs) return std::nullopt;
    return static_cast<unsigned>(*jobs);
}

}  // namespace cli
