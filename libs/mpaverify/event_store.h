#pragma once
// The event records of a run, bounded for a caller that reads them as it
// feeds the stream: the first kKeptFromStart records stay until the run
// ends; any later record is released once a record after it has been read.
// A hostile stream yields several records per frame, so keeping them all
// would make memory grow with the input.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "libs/mpaverify/mpaverify.h"

namespace mpaverify {

class EventStore {
public:
    static constexpr std::size_t kKeptFromStart = 16384;

    void Add(const mpaverify_event& event);
    // Releases every record and the count.
    void Clear();
    // Records added since the last Clear, released ones included.
    [[nodiscard]] uint64_t Count() const { return count_; }
    // The record at index, or null when index is past the end or the record
    // was released. Releases the later records before index.
    [[nodiscard]] const mpaverify_event* Read(uint64_t index);
    // Records held now (for tests of the bound).
    [[nodiscard]] std::size_t Held() const { return fromStart_.size() + later_.size(); }

private:
    std::vector<mpaverify_event> fromStart_;
    std::deque<mpaverify_event> later_;
    uint64_t laterBase_ = kKeptFromStart;  // index of later_.front()
    uint64_t count_ = 0;
};

}  // namespace mpaverify
