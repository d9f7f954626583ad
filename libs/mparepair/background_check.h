#pragma once
// Feeds a stream checker on a thread of its own, one piece at a time, so that
// checking the bytes just written overlaps reading and writing the next ones.
// A piece handed over must stay untouched until the next one is handed over
// (or finish() returns): two buffers used in turn are enough.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "libs/mpacheck/mpacheck.h"

namespace mparepair {

class background_check {
public:
    explicit background_check(mpacheck::checker& checker);
    // Finishes the checker unless finish() did.
    ~background_check();
    background_check(const background_check&) = delete;
    background_check& operator=(const background_check&) = delete;

    // Waits until the previous piece is checked, then hands this one over.
    void feed(const std::uint8_t* data, std::size_t size);
    // Waits for the last piece, then finishes the checker (on this thread).
    void finish();

private:
    void run();
    void wait_idle(std::unique_lock<std::mutex>& lock);

    mpacheck::checker& checker_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const std::uint8_t* piece_ = nullptr;
    std::size_t piece_size_ = 0;
    bool stopping_ = false;
    bool finished_ = false;
    std::thread thread_;
};

}  // namespace mparepair
