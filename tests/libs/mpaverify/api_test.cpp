// The export contract: return codes, messages, switches, counters, reset and
// the lifecycle.

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "libs/mpaverify/mpaverify.h"
#include "libs/mpaverify/validator.h"
#include "platform/debug_output.h"
#include "tests/libs/mpaverify/validator_driver.h"

extern "C" void mpaverify_c_layout(size_t* out);

namespace mpaverify_test {
namespace {

using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;
using Lines = std::vector<std::string>;

const char* const kNotInitialized = "\nMPA Audio Decoder not initialized.";
const uint32_t kSwitches[] = {0, 4, 5, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18};
const uint32_t kNoSwitch[] = {1, 2, 3, 6, 12, 19, 1000, 0xFFFFFFFFu};

TEST(Layout, TheEventRecordIsTheSameInCAndCpp) {
    size_t c[5] = {};
    mpaverify_c_layout(c);
    EXPECT_EQ(c[0], sizeof(mpaverify_event));
    EXPECT_EQ(c[1], offsetof(mpaverify_event, value));
    EXPECT_EQ(c[2], offsetof(mpaverify_event, unused));
    EXPECT_EQ(c[3], offsetof(mpaverify_event, stream_offset));
    EXPECT_EQ(c[4], 15u);
}

TEST(Uninitialised, QueriesAnswerMinusTwoWithTheirMessage) {
    platform::DebugLineCapture capture;
    int32_t n = 7;
    int32_t i = 0;
    double d = 0;
    int64_t o = 0;
    const uint8_t byte = 0xFF;
    EXPECT_EQ(AddData(&byte, 1, 0), -2);
    EXPECT_EQ(GetDecodedFramesCount(&n), -2);
    EXPECT_EQ(GetCorruptedFramesCount(&n), -2);
    EXPECT_EQ(GetCorruptedFramesReport(0, &i, &i, &i, &d, &o), -2);
    EXPECT_EQ(GetParsedFramesCount(&n), -2);
    EXPECT_EQ(GetTotalFramesWithErrorsCount(&n), -2);
    EXPECT_EQ(n, 7);
    EXPECT_EQ(capture.Lines(), Lines(6, kNotInitialized));
    capture.Clear();
    EXPECT_EQ(GetInitialParameters(&n, &n, &n, &n), -1);
    EXPECT_EQ(ResetValidator(), 0);
    EXPECT_EQ(UninitializeValidator(), 0);
    EXPECT_EQ(capture.Lines(), Lines{});
}

TEST(Switches, WorkUninitialisedAndInitializeTurnsThemAllOn) {
    for (uint32_t index : kSwitches) ASSERT_EQ(SetValidationParameterState(index, 0), 0);
    uint8_t state[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(GetValidationParameterState(JUNK_BYTES, state), 0);
    EXPECT_EQ(state[0], 0);
    EXPECT_EQ(state[1], 0xEE);  // a bool result is one byte
    // Only the low byte of the argument counts.
    ASSERT_EQ(SetValidationParameterState(JUNK_BYTES, 0x100), 0);
    ASSERT_EQ(GetValidationParameterState(JUNK_BYTES, state), 0);
    EXPECT_EQ(state[0], 0);
    ASSERT_EQ(SetValidationParameterState(JUNK_BYTES, 0x7F02), 0);
    ASSERT_EQ(GetValidationParameterState(JUNK_BYTES, state), 0);
    EXPECT_EQ(state[0], 1);
    ASSERT_EQ(InitializeValidator(), 0);
    for (uint32_t index : kSwitches) {
        ASSERT_EQ(GetValidationParameterState(index, state), 0);
        EXPECT_EQ(state[0], 1) << index;
    }
    EXPECT_EQ(UninitializeValidator(), 0);
}

TEST(Switches, IndicesWithoutASwitchAnswerMinusOneSilently) {
    platform::DebugLineCapture capture;
    for (uint32_t index : kNoSwitch) {
        uint8_t state = 0xEE;
        EXPECT_EQ(GetValidationParameterState(index, &state), -1) << index;
        EXPECT_EQ(state, 0xEE);
        EXPECT_EQ(SetValidationParameterState(index, 1), -1) << index;
    }
    EXPECT_EQ(capture.Lines(), Lines{});
}

class Api : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(InitializeValidator(), 0); }
    void TearDown() override { EXPECT_EQ(UninitializeValidator(), 0); }
};

TEST_F(Api, NoDataWithoutEndOfStreamIsMinusThree) {
    platform::DebugLineCapture capture;
    const uint8_t byte = 0;
    EXPECT_EQ(AddData(nullptr, 0, 0), -3);
    EXPECT_EQ(AddData(&byte, 0, 0), -3);
    EXPECT_EQ(AddData(&byte, -5, 0), -3);
    EXPECT_EQ(AddData(nullptr, 10, 0x100), -3);  // low byte 0: no end of stream
    EXPECT_EQ(capture.Lines(), Lines(4, "\nNo data error."));
    capture.Clear();
    EXPECT_EQ(AddData(nullptr, 0, 1), 0);  // only the end-of-stream pass
    EXPECT_EQ(ReadOutcome(), Outcome{});
    int32_t parsed = 0;
    EXPECT_EQ(GetParsedFramesCount(&parsed), 0);
    EXPECT_EQ(parsed, 0);
}

TEST_F(Api, AChunkLargerThanTheInputBufferIsDropped) {
    std::vector<uint8_t> big(mpaverify::kInputCapacity + 1, 0x00);
    platform::DebugLineCapture capture;
    EXPECT_EQ(AddData(big.data(), static_cast<int32_t>(big.size()), 0), -1);
    EXPECT_EQ(capture.Lines(), Lines{"\nError - buffer overrun."});
    EXPECT_EQ(mpaverify::Instance().Walker()->BufferedBytes(), 0u);
    // Exactly the capacity fits.
    EXPECT_EQ(AddData(big.data(), static_cast<int32_t>(big.size() - 1), 1), 0);
    EXPECT_EQ(ReadEvents(), (std::vector<Event>{{0, JUNK_AT_THE_END, 5242880, 0}}));
    EXPECT_EQ(mpaverify::Instance().Input()->Capacity(), mpaverify::kInputCapacity);
}

TEST_F(Api, ReportIndexOutOfRangeIsMinusFour) {
    MpaStreamBuilder b;
    b.Junk(3).Frames(LayerII(8, 1), 2);
    Feed(b.Data(), 0);
    int32_t count = 0;
    ASSERT_EQ(GetCorruptedFramesCount(&count), 0);
    ASSERT_EQ(count, 1);
    platform::DebugLineCapture capture;
    int32_t i = 0;
    double d = 0;
    int64_t o = 0;
    EXPECT_EQ(GetCorruptedFramesReport(1, &i, &i, &i, &d, &o), -4);
    EXPECT_EQ(GetCorruptedFramesReport(0xFFFFFFFFu, &i, &i, &i, &d, &o), -4);
    EXPECT_EQ(capture.Lines(), Lines(2, "\nIncorrect index input."));
    // Null pointers skip their field instead of crashing.
    int32_t value = 0;
    EXPECT_EQ(GetCorruptedFramesReport(0, nullptr, nullptr, &value, nullptr, nullptr), 0);
    EXPECT_EQ(value, 3);
}

TEST_F(Api, CountersFollowTheirFormulas) {
    // No frame at all: the larger of -1 and the decoded count (0).
    const Bytes junk(1000, 0x00);
    Feed(junk, 0);
    int32_t parsed = 7, errors = 5;
    EXPECT_EQ(GetParsedFramesCount(&parsed), 0);
    EXPECT_EQ(GetTotalFramesWithErrorsCount(&errors), 0);
    EXPECT_EQ(parsed, 0);
    EXPECT_EQ(errors, 0);
    // Frames the decoder may reject count only as frames with errors.
    ASSERT_EQ(UninitializeValidator(), 0);
    ASSERT_EQ(InitializeValidator(), 0);
    MpaStreamBuilder b;
    b.Frames(LayerII(8, 1), 3, 0xFF);
    Feed(b.Data(), 0);
    const Outcome o = ReadOutcome();
    EXPECT_EQ(o.events, std::vector<Event>{});
    EXPECT_EQ(o.with_errors, std::max(3 - o.decoded - 1, 0));
    EXPECT_EQ(o.parsed, std::max(3 - 1, o.decoded));
    int32_t corrupted = 0;
    EXPECT_EQ(GetCorruptedFramesCount(&corrupted), 0);
    EXPECT_EQ(mpaverify::Instance().CorruptedFrames(), 0);
}

TEST_F(Api, ResetKeepsTheWalkersBytesForTheNextRun) {
    // Junk the walker still holds at the reset is reported again, before the
    // next run's first frame.
    Feed(Bytes(9, 0x00), 0);
    ASSERT_EQ(ReadEvents(), (std::vector<Event>{{0, JUNK_AT_THE_END, 9, 0}}));
    ASSERT_EQ(ResetValidator(), 0);
    MpaStreamBuilder b;
    b.Frames(LayerII(8, 1), 2);
    Feed(b.Data(), 0);
    EXPECT_EQ(ReadEvents(), (std::vector<Event>{{0, JUNK_BYTES, 9, 9}}));
}

TEST_F(Api, ResetKeepsTheSwitchesAndStartsANewRun) {
    ASSERT_EQ(SetValidationParameterState(CHANGING_BITRATE, 0), 0);
    MpaStreamBuilder b;
    b.Junk(3).Frames(LayerII(8, 1), 2).Frames(LayerII(10, 1), 2);
    Feed(b.Data(), 0);
    ASSERT_EQ(ReadEvents().size(), 2u);  // junk and frame size
    EXPECT_EQ(ResetValidator(), 0);
    uint8_t state = 1;
    ASSERT_EQ(GetValidationParameterState(CHANGING_BITRATE, &state), 0);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(ReadOutcome(), Outcome{});
    EXPECT_EQ(GetInitialParameters(nullptr, nullptr, nullptr, nullptr), -1);
    // The next run captures its own first frame and decodes from scratch.
    MpaStreamBuilder next;
    next.Frames(LayerII(12, 0), 4);
    Feed(next.Data(), 0);
    int32_t layer = 0, rate = 0, bitrate = 0, size = 0;
    ASSERT_EQ(GetInitialParameters(&layer, &rate, &bitrate, &size), 0);
    EXPECT_EQ(layer, 2);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(bitrate, 256);
    EXPECT_EQ(size, 835);
    const Outcome o = ReadOutcome();
    EXPECT_EQ(o.decoded, 4);
    EXPECT_EQ(o.events, std::vector<Event>{});
}

TEST_F(Api, AFailedPrimingKeepsTheBytesForTheNextChunk) {
    MpaStreamBuilder b;
    b.Frames(LayerII(8, 1), 3);
    const Bytes& data = b.Data();
    platform::DebugLineCapture capture;
    EXPECT_EQ(AddData(data.data(), 2, 0), -1);
    EXPECT_EQ(capture.Lines(), (Lines{"\nCould not find audio header", "\nCould not decode the stream."}));
    EXPECT_EQ(AddData(data.data() + 2, static_cast<int32_t>(data.size() - 2), 1), 0);
    const Outcome o = ReadOutcome();
    EXPECT_EQ(o.decoded, 3);
    EXPECT_EQ(o.events, std::vector<Event>{});
}

TEST_F(Api, TrailingJunkWritesTheMismatchWarning) {
    MpaStreamBuilder b;
    b.Frames(LayerII(8, 1), 2).Junk(7, 0x22);
    platform::DebugLineCapture capture;
    Feed(b.Data(), 0);
    EXPECT_TRUE(capture.Contains("Warning - Decoding and parsing junk are not equal.\n"));
    EXPECT_EQ(ReadEvents(), (std::vector<Event>{{2, JUNK_AT_THE_END, 7, 384}}));
}

TEST(Lifecycle, UninitialiseThenInitialiseAgainStartsFresh) {
    MpaStreamBuilder b;
    b.Junk(5).Frames(LayerII(8, 1), 2);
    ASSERT_EQ(InitializeValidator(), 0);
    Feed(b.Data(), 0);
    ASSERT_EQ(InitializeValidator(), 0);  // unpaired: the first instance is released
    Feed(b.Data(), 0);
    EXPECT_EQ(ReadEvents(), (std::vector<Event>{{0, JUNK_BYTES, 5, 5}}));
    EXPECT_EQ(UninitializeValidator(), 0);
    int32_t n = 0;
    platform::DebugLineCapture capture;
    EXPECT_EQ(GetDecodedFramesCount(&n), -2);
    EXPECT_EQ(GetInitialParameters(&n, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(capture.Lines(), Lines{kNotInitialized});
}

// A stream that starts with a free-format Layer I header (a frame the walker
// delivers but whose header cannot be read) gives the same events whatever
// stream the validator checked before.
TEST(Lifecycle, ARunDoesNotDependOnThePreviousRun) {
    MpaFrameSpec free_format = LayerII(0, 1);
    free_format.layer = testsupport::kMpaLayerI;
    MpaStreamBuilder stream;
    stream.Raw(MakeHeader(free_format)).Frames(LayerII(8, 1), 3);
    MpaFrameSpec copyrighted = LayerII(8, 1);
    copyrighted.copyright = 1;
    copyrighted.original = 1;
    copyrighted.emphasis = 1;
    std::vector<Outcome> outcomes;
    for (const MpaFrameSpec& before : {LayerII(8, 1), copyrighted}) {
        Validate(MpaStreamBuilder().Frames(before, 2).Data());
        outcomes.push_back(Validate(stream.Data()));
    }
    EXPECT_EQ(outcomes[0], outcomes[1]);
}

}  // namespace
}  // namespace mpaverify_test
