// The event records of a stream that yields events without end: a caller
// that reads them as it feeds reads every one, in order, while the library
// holds only the first records and the ones not yet read.

#include <gtest/gtest.h>
#include <algorithm>

#include <cstddef>
#include <vector>

#include "libs/mpaverify/mpaverify.h"
#include "libs/mpaverify/validator.h"
#include "tests/libs/mpaverify/validator_driver.h"
#include "tests/support/hostile_stream.h"

namespace mpaverify_test {
namespace {

using mpaverify::EventStore;
using mpaverify::Instance;

constexpr std::size_t kChunk = 16 * 1024;
// A 16 KiB chunk of the stream holds under 180 frames of about 9 events.
constexpr std::size_t kMostEventsPerChunk = 1800;

// Reads the records from `next` on; returns them and moves next past them.
std::vector<Event> ReadFrom(int32_t& next) {
    int32_t count = 0;
    EXPECT_EQ(GetCorruptedFramesCount(&count), 0);
    std::vector<Event> events;
    for (; next < count; ++next) {
        Event e;
        EXPECT_EQ(GetCorruptedFramesReport(static_cast<uint32_t>(next), &e.frame, &e.kind, &e.value, nullptr, &e.offset),
                  0);
        events.push_back(e);
    }
    return events;
}

TEST(EventBound, ReadingAsItFeedsSeesEveryRecordWhileFewAreHeld) {
    const Bytes stream = testsupport::AlternatingHeaderStream(512 * 1024);
    const Outcome whole = Validate(stream);  // nothing read before the end: everything is held
    ASSERT_GT(whole.events.size(), EventStore::kKeptFromStart + 4 * kMostEventsPerChunk);

    ASSERT_EQ(InitializeValidator(), 0);
    std::vector<Event> read;
    int32_t next = 0;
    std::size_t mostHeld = 0;
    for (std::size_t at = 0; at < stream.size(); at += kChunk) {
        const std::size_t n = std::min(kChunk, stream.size() - at);
        ASSERT_EQ(AddData(stream.data() + at, static_cast<int32_t>(n), 0), 0);
        mostHeld = std::max(mostHeld, Instance().Events().Held());
        const std::vector<Event> fresh = ReadFrom(next);
        read.insert(read.end(), fresh.begin(), fresh.end());
    }
    ASSERT_EQ(AddData(nullptr, 0, 1), 0);
    const std::vector<Event> last = ReadFrom(next);
    read.insert(read.end(), last.begin(), last.end());

    EXPECT_EQ(read, whole.events);
    EXPECT_LE(mostHeld, EventStore::kKeptFromStart + kMostEventsPerChunk);
    // The first records stay; a later one that was passed is gone.
    EXPECT_EQ(GetCorruptedFramesReport(0, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GetCorruptedFramesReport(EventStore::kKeptFromStart - 1, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GetCorruptedFramesReport(EventStore::kKeptFromStart, nullptr, nullptr, nullptr, nullptr, nullptr), -4);
    EXPECT_EQ(GetCorruptedFramesReport(static_cast<uint32_t>(next - 1), nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GetCorruptedFramesReport(static_cast<uint32_t>(next), nullptr, nullptr, nullptr, nullptr, nullptr), -4);

    EXPECT_EQ(ResetValidator(), 0);
    int32_t count = -1;
    EXPECT_EQ(GetCorruptedFramesCount(&count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Instance().Events().Held(), 0u);
    EXPECT_EQ(UninitializeValidator(), 0);
}

}  // namespace
}  // namespace mpaverify_test
