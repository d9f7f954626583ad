#pragma once
// Runs whole streams through the validator's exports and collects what a
// caller would read back.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "libs/mpaverify/mpaverify.h"
#include "tests/support/mpa_builder.h"

namespace mpaverify_test {

using testsupport::Bytes;

struct Event {
    int32_t frame = 0;
    int32_t kind = 0;
    int32_t value = 0;
    int64_t offset = 0;
    friend bool operator==(const Event&, const Event&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Event& e) {
        return os << "{frame " << e.frame << ", kind " << e.kind << ", value " << e.value << ", offset " << e.offset
                  << "}";
    }
};

struct Outcome {
    std::vector<Event> events;
    int32_t decoded = 0;
    int32_t parsed = 0;
    int32_t with_errors = 0;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

inline std::vector<Event> ReadEvents() {
    int32_t count = 0;
    EXPECT_EQ(GetCorruptedFramesCount(&count), 0);
    std::vector<Event> events;
    for (int32_t i = 0; i < count; ++i) {
        Event e;
        double unused = -1.0;
        EXPECT_EQ(GetCorruptedFramesReport(static_cast<uint32_t>(i), &e.frame, &e.kind, &e.value, &unused, &e.offset),
                  0);
        EXPECT_EQ(unused, 0.0);
        events.push_back(e);
    }
    return events;
}

inline Outcome ReadOutcome() {
    Outcome o;
    o.events = ReadEvents();
    EXPECT_EQ(GetDecodedFramesCount(&o.decoded), 0);
    EXPECT_EQ(GetParsedFramesCount(&o.parsed), 0);
    EXPECT_EQ(GetTotalFramesWithErrorsCount(&o.with_errors), 0);
    return o;
}

// Feeds the stream in chunks of `chunk` bytes (0: whole) to an initialised
// validator. The decoder cannot be primed before it holds 4 bytes, so only
// chunks before that may answer -1.
inline void Feed(const Bytes& stream, std::size_t chunk, bool end_of_stream = true) {
    if (chunk == 0) chunk = std::max<std::size_t>(stream.size(), 1);
    std::size_t fed = 0;
    while (fed < stream.size()) {
        const std::size_t n = std::min(chunk, stream.size() - fed);
        const int32_t rc = AddData(stream.data() + fed, static_cast<int32_t>(n), 0);
        fed += n;
        if (fed < 4) {
            EXPECT_TRUE(rc == 0 || rc == -1) << rc;
        } else {
            EXPECT_EQ(rc, 0) << "chunk ending at " << fed;
        }
    }
    if (end_of_stream) {
        EXPECT_EQ(AddData(nullptr, 0, 1), 0);
    }
}

// Initialise, feed, end of stream, read everything, uninitialise. Switches
// listed in `off` are turned off first.
inline Outcome Validate(const Bytes& stream, std::size_t chunk = 0, const std::vector<uint32_t>& off = {}) {
    EXPECT_EQ(InitializeValidator(), 0);
    for (uint32_t index : off) EXPECT_EQ(SetValidationParameterState(index, 0), 0);
    Feed(stream, chunk);
    Outcome o = ReadOutcome();
    EXPECT_EQ(UninitializeValidator(), 0);
    return o;
}

inline std::vector<Event> OfKind(const std::vector<Event>& events, int32_t kind) {
    std::vector<Event> out;
    std::copy_if(events.begin(), events.end(), std::back_inserter(out), [kind](const Event& e) { return e.kind == kind; });
    return out;
}

// MPEG-1 Layer II, stereo, no CRC, at the given indices.
inline testsupport::MpaFrameSpec LayerII(int bitrate_index, int sampling_index) {
    testsupport::MpaFrameSpec params;
    params.bitrateIndex = bitrate_index;
    params.samplingIndex = sampling_index;
    return params;
}

}  // namespace mpaverify_test
