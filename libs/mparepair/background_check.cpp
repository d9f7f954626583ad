#include "libs/mparepair/background_check.h"

namespace mparepair {

background_check::background_check(mpacheck::checker& checker) : checker_(checker), thread_([this] { run(); }) {}

background_check::~background_check() { finish(); }

void background_check::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return piece_ != nullptr || stopping_; });
        if (piece_ == nullptr) return;
        const std::uint8_t* data = piece_;
        const std::size_t size = piece_size_;
        lock.unlock();
        checker_.feed(data, size);
        lock.lock();
        piece_ = nullptr;
        changed_.notify_all();
    }
}

void background_check::wait_idle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return piece_ == nullptr; });
}

void background_check::feed(const std::uint8_t* data, std::size_t size) {
    std::unique_lock<std::mutex> lock(mutex_);
    wait_idle(lock);
    piece_ = data;
    piece_size_ = size;
    changed_.notify_all();
}

void background_check::finish() {
    if (finished_) return;
    finished_ = true;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        wait_idle(lock);
        stopping_ = true;
        changed_.notify_all();
    }
    thread_.join();
    checker_.finish();
}

}  // namespace mparepair
