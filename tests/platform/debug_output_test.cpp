#include "platform/debug_output.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

namespace {

using ::testing::ElementsAre;

TEST(DebugOutput, CaptureSeesExactLinesInOrder) {
    platform::DebugLineCapture capture;
    platform::OutputDebugLine("dbg: Error in IsPS call...");
    platform::OutputDebugLineA("Error in TQlDemux.LoadFile call...\r\n");
    platform::OutputDebugLineA(nullptr);
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in IsPS call...", "Error in TQlDemux.LoadFile call...\r\n"));
    EXPECT_TRUE(capture.Contains("dbg: Error in IsPS call..."));
    EXPECT_FALSE(capture.Contains("dbg: Error in IsPS call"));
    capture.Clear();
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(DebugOutput, NestedCaptureRestoresTheOuterOne) {
    platform::DebugLineCapture outer;
    {
        platform::DebugLineCapture inner;
        platform::OutputDebugLine("inner");
        EXPECT_THAT(inner.Lines(), ElementsAre("inner"));
    }
    platform::OutputDebugLine("outer");
    EXPECT_THAT(outer.Lines(), ElementsAre("outer"));
}

TEST(DebugOutput, LinesFromSeveralThreadsAreAllKept) {
    platform::DebugLineCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 250; ++i) platform::OutputDebugLine("line");
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(capture.Lines().size(), 1000u);
}

}  // namespace
