// The two passes over the input: the checker reads it and the plan is made;
// then the kept ranges are copied with their patches while a second checker
// reads what is written.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "libs/mparepair/background_check.h"
#include "libs/mparepair/mparepair.h"
#include "libs/mparepair/plan.h"

namespace mparepair {
namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

// Reads up to size bytes at `at`; fewer only at the end of the file, -1 on error.
ssize_t read_at(int input, std::uint8_t* data, std::size_t size, std::uint64_t at) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(input, data + done, size - done, static_cast<off_t>(at + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool write_all(int output, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(output, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

class repair_run {
public:
    repair_run(int input, int output, const options& choice, const progress_callback& progress)
        : input_(input), output_(output), choice_(choice), progress_(progress), buffer_(kChunkBytes),
          spare_(kChunkBytes) {}

    result run();

private:
    bool scan(plan& out);
    bool copy(const plan& work);
    bool copy_range(std::uint64_t from, std::uint64_t to, const std::vector<patch>& patches, std::size_t& next_patch);
    bool report_progress(std::uint64_t done);
    result fail(status outcome, int error);

    int input_;
    int output_;
    options choice_;
    const progress_callback& progress_;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> spare_;  // the copy fills one buffer while the re-check reads the other
    std::uint64_t size_ = 0;
    result result_;
    mpacheck::checker recheck_{[this](const mpacheck::finding& f) {
        if (f.level == mpacheck::severity::info) return;
        ++result_.changes.recheck_problem_count;
        if (result_.changes.recheck_problems.size() < kMaxProblemsKept) result_.changes.recheck_problems.push_back(f);
    }};
    background_check recheck_feed_{recheck_};
};

bool repair_run::report_progress(std::uint64_t done) { return !progress_ || progress_(done, 2 * size_); }

result repair_run::fail(status outcome, int error) {
    result_.outcome = outcome;
    result_.error = error;
    return result_;
}

bool repair_run::scan(plan& out) {
    ::posix_fadvise(input_, 0, 0, POSIX_FADV_SEQUENTIAL);
    plan_builder builder(choice_);
    mpacheck::checker checker([&](const mpacheck::finding& f) { builder.add(f); });
    for (std::uint64_t at = 0;;) {
        const ssize_t n = read_at(input_, buffer_.data(), buffer_.size(), at);
        if (n < 0) return false;
        if (n == 0) break;
        checker.feed(buffer_.data(), static_cast<std::size_t>(n));
        at += static_cast<std::uint64_t>(n);
        if (!report_progress(at)) {
            result_.outcome = status::cancelled;
            return true;
        }
    }
    checker.finish();
    result_.changes.input = checker.result();
    size_ = result_.changes.input.bytes;
    return builder.finish(result_.changes.input, input_, size_, out);
}

bool repair_run::copy_range(std::uint64_t from, std::uint64_t to, const std::vector<patch>& patches,
                            std::size_t& next_patch) {
    while (from < to) {
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), to - from));
        const ssize_t n = read_at(input_, buffer_.data(), wanted, from);
        if (n < 0 || static_cast<std::size_t>(n) != wanted) {
            result_.error = n >= 0 ? EIO : errno;  // EIO: the input shrank under us
            result_.outcome = status::cannot_read;
            return false;
        }
        const std::uint64_t end = from + wanted;
        while (next_patch < patches.size() && patches[next_patch].offset + patches[next_patch].bytes.size() <= from)
            ++next_patch;
        for (std::size_t i = next_patch; i < patches.size() && patches[i].offset < end; ++i) {
            const patch& p = patches[i];
            const std::uint64_t lo = std::max(from, p.offset);
            const std::uint64_t hi = std::min(end, p.offset + p.bytes.size());
            if (lo < hi) std::memcpy(buffer_.data() + (lo - from), p.bytes.data() + (lo - p.offset), hi - lo);
        }
        if (!write_all(output_, buffer_.data(), wanted)) {
            result_.error = errno;
            result_.outcome = status::cannot_write;
            return false;
        }
        recheck_feed_.feed(buffer_.data(), wanted);
        buffer_.swap(spare_);
        result_.changes.output_bytes += wanted;
        from = end;
        if (!report_progress(size_ + from)) {
            result_.outcome = status::cancelled;
            return false;
        }
    }
    return true;
}

bool repair_run::copy(const plan& work) {
    std::size_t next_patch = 0;
    std::uint64_t at = 0;
    for (const byte_range& drop : work.drops) {
        if (drop.offset > at && !copy_range(at, drop.offset, work.patches, next_patch)) return false;
        at = std::max(at, drop.offset + drop.length);
    }
    return at >= size_ || copy_range(at, size_, work.patches, next_patch);
}

result repair_run::run() {
    plan work;
    if (!scan(work)) return fail(status::cannot_read, errno);
    if (result_.outcome == status::cancelled) return result_;
    report& r = result_.changes;
    if (r.input.frames == 0) return fail(status::no_audio, 0);
    r.changes = work.changes;
    r.input_bytes = size_;
    for (const change& c : r.changes) {
        if (c.kind == change_kind::junk_dropped || c.kind == change_kind::truncated_frame_dropped ||
            c.kind == change_kind::tag_dropped || c.kind == change_kind::truncated_tag_dropped) {
            r.bytes_dropped += c.input_length;
        } else if (is_change(c.kind)) {
            ++r.fields_rewritten;
        }
    }
    const bool copied = copy(work);
    recheck_feed_.finish();  // before the result is read: the re-check writes into it
    if (!copied) return result_;
    r.recheck = recheck_.result();
    return result_;
}

}  // namespace

result repair(int input, int output, const options& choice, const progress_callback& progress) {
    repair_run run(input, output, choice, progress);
    return run.run();
}

}  // namespace mparepair
