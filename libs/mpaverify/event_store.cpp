#include "libs/mpaverify/event_store.h"

namespace mpaverify {

void EventStore::Add(const mpaverify_event& event) {
    if (fromStart_.size() < kKeptFromStart)
        fromStart_.push_back(event);
    else
        later_.push_back(event);
    ++count_;
}

void EventStore::Clear() {
    fromStart_ = {};
    later_ = {};
    laterBase_ = kKeptFromStart;
    count_ = 0;
}

const mpaverify_event* EventStore::Read(uint64_t index) {
    if (index < fromStart_.size()) return &fromStart_[index];
    if (index >= count_ || index < laterBase_) return nullptr;
    while (laterBase_ < index) {
        later_.pop_front();
        ++laterBase_;
    }
    return &later_.front();
}

}  // namespace mpaverify
