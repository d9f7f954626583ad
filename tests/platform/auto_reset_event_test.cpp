#include "platform/auto_reset_event.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(AutoResetEvent, OneWaitConsumesTheSignal) {
    platform::AutoResetEvent event;
    EXPECT_FALSE(event.WaitFor(1ms));
    event.Set();
    event.Set();  // signals do not add up
    EXPECT_TRUE(event.WaitFor(0ms));
    EXPECT_FALSE(event.WaitFor(1ms));
    event.Set();
    event.Reset();
    EXPECT_FALSE(event.WaitFor(1ms));
}

TEST(AutoResetEvent, WakesAWaiterOnAnotherThread) {
    platform::AutoResetEvent event;
    bool woken = false;
    std::thread waiter([&] { woken = event.WaitFor(10s); });
    std::this_thread::sleep_for(20ms);
    const auto start = std::chrono::steady_clock::now();
    event.Set();
    waiter.join();
    EXPECT_TRUE(woken);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
