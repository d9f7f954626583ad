// What the validator reports for streams with known faults: junk, parameter
// changes, padding, other layers, truncation, free format, false syncs.

#include <gtest/gtest.h>

#include "libs/mpaverify/mpaverify.h"
#include "libs/mpaverify/validator.h"
#include "platform/debug_output.h"
#include "tests/libs/mpaverify/validator_driver.h"
#include "tests/support/temp_dir.h"

namespace mpaverify_test {
namespace {

using testsupport::MakeFrame;
using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;

using Events = std::vector<Event>;

const MpaFrameSpec k48k128 = LayerII(8, 1);  // 384-byte frames

TEST(Junk, BeforeTheFirstFrameIsReportedOnFrameZeroWithoutChangeEvents) {
    MpaStreamBuilder b;
    b.Junk(3, 0x00).Frames(k48k128, 5);
    const Outcome o = Validate(b.Data());
    EXPECT_EQ(o.events, (Events{{0, JUNK_BYTES, 3, 3}}));
    EXPECT_EQ(o.decoded, 5);
    EXPECT_EQ(o.with_errors, 0);
}

TEST(Junk, MoreThanTwoGibibytesSaturateTheValueAndKeepTheOffsetExact) {
    ASSERT_EQ(InitializeValidator(), 0);
    const std::int64_t zeros = (std::int64_t{1} << 31) + 16;  // negative as a 32-bit count
    const Bytes chunk(4 << 20, 0x00);
    for (std::int64_t fed = 0; fed < zeros;) {
        const auto n = static_cast<int32_t>(std::min<std::int64_t>(static_cast<std::int64_t>(chunk.size()), zeros - fed));
        ASSERT_EQ(AddData(chunk.data(), n, 0), 0);
        fed += n;
    }
    MpaStreamBuilder b;
    b.Frames(k48k128, 3).Junk(5, 0x00);
    Feed(b.Data(), 0);
    const Outcome o = ReadOutcome();
    EXPECT_EQ(UninitializeValidator(), 0);
    EXPECT_EQ(o.events, (Events{{0, JUNK_BYTES, INT32_MAX, zeros}, {3, JUNK_AT_THE_END, 5, zeros + 2 * 384}}));
    MpaStreamBuilder short_junk;
    short_junk.Junk(16, 0x00).Frames(k48k128, 3).Junk(5, 0x00);
    EXPECT_EQ(o.decoded, Validate(short_junk.Data()).decoded);
}

TEST(Junk, BetweenFramesCountsInTheNextFramesOffset) {
    MpaStreamBuilder b;
    b.Frames(k48k128, 2).Junk(10, 0x11).Frames(k48k128, 2);
    EXPECT_EQ(Validate(b.Data()).events, (Events{{2, JUNK_BYTES, 10, 2 * 384 + 10}}));
}

TEST(Junk, ATruncatedLastFrameIsJunkAtTheEnd) {
    MpaStreamBuilder b;
    b.Frames(k48k128, 5);
    const Bytes frame = MakeFrame(k48k128);
    b.Raw(Bytes(frame.begin(), frame.begin() + 100));
    ASSERT_EQ(InitializeValidator(), 0);
    Feed(b.Data(), 0);
    EXPECT_EQ(ReadEvents(), (Events{{5, JUNK_AT_THE_END, 100, 4 * 384}}));
    EXPECT_EQ(mpaverify::Instance().ParsedFrames(), 5);
    EXPECT_EQ(UninitializeValidator(), 0);
}

TEST(Junk, LayerIIIAndMpeg2StreamsAreWhollyJunkAtTheEnd) {
    MpaFrameSpec layer3 = LayerII(9, 0);
    layer3.layer = testsupport::kMpaLayerIII;
    MpaFrameSpec mpeg2 = LayerII(8, 1);
    mpeg2.version = testsupport::MpaVersion::Mpeg2;
    for (const MpaFrameSpec& params : {layer3, mpeg2}) {
        MpaStreamBuilder b;
        b.Frames(params, 6);
        const Outcome o = Validate(b.Data());
        EXPECT_EQ(o.events, (Events{{0, JUNK_AT_THE_END, static_cast<int32_t>(b.Size()), 0}}));
        EXPECT_EQ(o.with_errors, 0);
    }
}

TEST(Junk, AFalseSyncBeforeTheStreamIsDroppedAsJunk) {
    MpaStreamBuilder b;
    b.Raw(MakeHeader(k48k128)).Junk(10, 0x00).Frames(k48k128, 3);
    EXPECT_EQ(Validate(b.Data()).events, (Events{{0, JUNK_BYTES, 14, 14}}));
}

TEST(Changes, BitrateAndFrameSizeOnTheFirstFrameAtTheNewRate) {
    MpaStreamBuilder b;
    b.Frames(LayerII(10, 1), 3).Frames(LayerII(12, 1), 3);
    const Outcome o = Validate(b.Data());
    EXPECT_EQ(o.events, (Events{{3, CHANGING_BITRATE, 256, 3 * 576}, {3, CHANGING_FRAMESIZE, 768, 3 * 576}}));
    EXPECT_EQ(o.decoded, 6);
}

TEST(Changes, SamplingRateRaisesFrameSizeThenFrequencyIndex) {
    MpaStreamBuilder b;
    b.Frames(LayerII(8, 1), 2).Frames(LayerII(8, 0), 2);
    EXPECT_EQ(Validate(b.Data()).events,
              (Events{{2, CHANGING_FRAMESIZE, 417, 768}, {2, CHANGING_FREQUENCY, 0, 768}}));
}

TEST(Changes, WithTheFrequencySwitchOffTheFrameSizeChangeIsRaisedOnce) {
    MpaStreamBuilder b;
    b.Frames(LayerII(8, 1), 2).Frames(LayerII(8, 0), 4);
    EXPECT_EQ(Validate(b.Data(), 0, {CHANGING_FREQUENCY}).events, (Events{{2, CHANGING_FRAMESIZE, 417, 768}}));
}

TEST(Changes, EveryHeaderFieldWithItsNewValue) {
    MpaFrameSpec next = k48k128;
    next.layer = testsupport::kMpaLayerI;
    next.bitrateIndex = 4;  // 128 kbit/s in Layer I too: no bitrate change
    next.crc = true;
    next.mode = testsupport::kMpaJointStereo;
    next.modeExtension = 3;
    next.copyright = 1;
    next.original = 1;
    next.emphasis = 1;
    MpaStreamBuilder b;
    b.Frame(k48k128).Frame(next).Frame(next);
    const int64_t at = 384;
    EXPECT_EQ(Validate(b.Data()).events, (Events{{1, CHANGING_LAYER, 3, at},
                                                 {1, CHANGING_PROTECTION, 0, at},
                                                 {1, CHANGING_FRAMESIZE, 128, at},
                                                 {1, CHANGING_MODE, 1, at},
                                                 {1, CHANGING_MODE_EXTENSION, 3, at},
                                                 {1, CHANGING_COPYRIGHT, 1, at},
                                                 {1, CHANGING_ORIGINAL_HOME, 1, at},
                                                 {1, CHANGING_EMPHASIS, 1, at}}));
}

TEST(Changes, AFieldWhoseSwitchIsOffKeepsItsPreviousValue) {
    MpaFrameSpec joint = k48k128;
    joint.mode = testsupport::kMpaJointStereo;
    MpaStreamBuilder first, second;
    first.Frames(k48k128, 2).Frames(joint, 2);
    second.Frames(joint, 2);
    ASSERT_EQ(InitializeValidator(), 0);
    ASSERT_EQ(SetValidationParameterState(CHANGING_MODE, 0), 0);
    ASSERT_EQ(SetValidationParameterState(CHANGING_PROTECTION, 0), 0);
    Feed(first.Data(), 0, false);
    ASSERT_EQ(SetValidationParameterState(CHANGING_MODE, 1), 0);
    Feed(second.Data(), 0);
    // The change happened while the switch was off; the previous frame's mode
    // stayed stereo, so the first frame checked with the switch on raises it.
    const Events events = ReadEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, CHANGING_MODE);
    EXPECT_EQ(events[0].value, 1);
    EXPECT_GE(events[0].frame, 3);
    EXPECT_EQ(UninitializeValidator(), 0);
}

TEST(Padding, At48kHzIsValidPaddingAndTheFrameIsSizedWithoutIt) {
    MpaFrameSpec padded = k48k128;
    padded.padding = 1;  // 385 bytes as encoded
    MpaStreamBuilder b;
    b.Frames(k48k128, 2).Frame(padded).Frames(k48k128, 2);
    // The padding byte is left over as junk before the next frame.
    EXPECT_EQ(Validate(b.Data()).events,
              (Events{{2, VALID_PADDING, 48000, 768}, {3, JUNK_BYTES, 1, 768 + 384 + 1}}));
}

TEST(Padding, LayerIAt44100HzIsHonoured) {
    MpaFrameSpec unpadded = LayerII(12, 0);
    unpadded.layer = testsupport::kMpaLayerI;
    MpaFrameSpec padded = unpadded;
    padded.padding = 1;
    ASSERT_EQ(testsupport::FrameLength(unpadded), 416);
    ASSERT_EQ(testsupport::FrameLength(padded), 420);
    MpaStreamBuilder b;
    b.Frame(unpadded).Frame(padded).Frame(padded).Frame(unpadded).Frame(padded);
    ASSERT_EQ(InitializeValidator(), 0);
    Feed(b.Data(), 0);
    EXPECT_EQ(ReadEvents(), Events{});
    EXPECT_EQ(mpaverify::Instance().ParsedFrames(), 5);
    int32_t layer = 0, rate = 0, bitrate = 0, size = 0;
    EXPECT_EQ(GetInitialParameters(&layer, &rate, &bitrate, &size), 0);
    EXPECT_EQ(layer, 3);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(bitrate, 384);
    EXPECT_EQ(size, 416);
    EXPECT_EQ(UninitializeValidator(), 0);
}

TEST(FreeFormat, TheShortFrameFailsToParseAndTheRestIsJunkOfTheNextFrame) {
    MpaStreamBuilder b;
    b.Frames(k48k128, 2).Frame(LayerII(0, 1)).Junk(100, 0x00).Frames(k48k128, 2);
    platform::DebugLineCapture capture;
    const Outcome o = Validate(b.Data());
    // Sized 3 bytes at 48 kHz: the header's last byte and the 100 after it
    // are junk before frame 3.
    EXPECT_EQ(o.events, (Events{{3, JUNK_BYTES, 101, 768 + 3 + 101}}));
    EXPECT_TRUE(capture.Contains("dbg: Error in parse_mpa_frame - insufficient memory for header."));
    EXPECT_TRUE(capture.Contains("Error in parse_and_decode - parse_mpa_frame call...\n"));
}

TEST(FreeFormat, SizesByLayerAndRate) {
    const auto junk_after = [](MpaFrameSpec params) {
        MpaStreamBuilder b;
        MpaFrameSpec regular = LayerII(8, params.samplingIndex);
        b.Frame(regular).Frame(params).Junk(20, 0x00).Frame(regular).Frame(regular);
        const Events junk = OfKind(Validate(b.Data()).events, JUNK_BYTES);
        return junk.size() == 1 ? junk[0].value : -1;
    };
    MpaFrameSpec layer1 = LayerII(0, 0);
    layer1.layer = testsupport::kMpaLayerI;
    EXPECT_EQ(junk_after(layer1), 4 - 1 + 20);
    EXPECT_EQ(junk_after(LayerII(0, 0)), 4 - 3 + 20);
    EXPECT_EQ(junk_after(LayerII(0, 1)), 4 - 3 + 20);
    EXPECT_EQ(junk_after(LayerII(0, 2)), 4 - 4 + 20);
}

TEST(EndOfStream, WithoutItTheLastFrameIsNeverExamined) {
    MpaStreamBuilder b;
    b.Frames(LayerII(8, 1), 3).Frame(LayerII(10, 1));
    ASSERT_EQ(InitializeValidator(), 0);
    Feed(b.Data(), 0, false);
    EXPECT_EQ(ReadEvents(), Events{});
    EXPECT_EQ(mpaverify::Instance().ParsedFrames(), 3);
    ASSERT_EQ(AddData(nullptr, 0, 1), 0);
    EXPECT_EQ(ReadEvents(), (Events{{3, CHANGING_BITRATE, 192, 3 * 384}, {3, CHANGING_FRAMESIZE, 576, 3 * 384}}));
    EXPECT_EQ(mpaverify::Instance().ParsedFrames(), 4);
    EXPECT_EQ(UninitializeValidator(), 0);
}

TEST(FalseSync, AHeaderInsideAFrameDoesNotCutItWhenAFrameFollowsAtItsEnd) {
    Bytes body(50, 0x00);
    const Bytes inner = MakeHeader(LayerII(10, 1));
    body.insert(body.end(), inner.begin(), inner.end());
    MpaStreamBuilder b;
    b.Frames(k48k128, 2).Frame(k48k128, 0x00, body).Frames(k48k128, 2);
    ASSERT_EQ(InitializeValidator(), 0);
    Feed(b.Data(), 0);
    EXPECT_EQ(ReadEvents(), Events{});
    EXPECT_EQ(mpaverify::Instance().ParsedFrames(), 5);
    EXPECT_EQ(UninitializeValidator(), 0);
}

TEST(FalseSync, HeadersWithoutRoomForTheirFramesAreJunkAtTheEnd) {
    MpaStreamBuilder b;
    b.Frames(k48k128, 2).Raw(MakeHeader(k48k128)).Junk(20).Raw(MakeHeader(k48k128)).Junk(20);
    const Events events = Validate(b.Data()).events;
    EXPECT_EQ(events, (Events{{2, JUNK_AT_THE_END, 48, 384}}));
}

TEST(Chunks, AHeaderSplitAcrossTwoChunksIsFoundWhole) {
    for (const bool crc : {false, true}) {
        MpaFrameSpec params = k48k128;
        params.crc = crc;
        MpaStreamBuilder b;
        b.Junk(10, 0x00).Frames(params, 3).Junk(10, 0x00).Frames(params, 3);
        const Bytes& data = b.Data();
        for (const std::size_t cut : {11u, 12u, 13u, 14u, 15u, 10u + 384u + 12u}) {
            ASSERT_EQ(InitializeValidator(), 0);
            ASSERT_EQ(AddData(data.data(), static_cast<int32_t>(cut), 0), 0);
            ASSERT_EQ(AddData(data.data() + cut, static_cast<int32_t>(data.size() - cut), 1), 0);
            EXPECT_EQ(ReadEvents(), (Events{{0, JUNK_BYTES, 10, 10}, {3, JUNK_BYTES, 10, 10 + 3 * 384 + 10}}))
                << "crc " << crc << " cut " << cut;
            EXPECT_EQ(UninitializeValidator(), 0);
        }
    }
}

TEST(Fixtures, RealStreamsDecodeWithoutEvents) {
    for (const char* name : {"tone_l2_44k_128k.mp2", "tone_l2_48k_192k_crc.mp2"}) {
        const Bytes data = testsupport::ReadFileBytes(testsupport::FixturePath(name));
        ASSERT_FALSE(data.empty()) << name;
        const Outcome o = Validate(data, 4096);
        EXPECT_EQ(OfKind(o.events, JUNK_BYTES), Events{}) << name;
        EXPECT_EQ(OfKind(o.events, CORRUPTED_FRAME), Events{}) << name;
        EXPECT_GT(o.decoded, 20) << name;
        EXPECT_EQ(o.with_errors, 0) << name;
    }
}

}  // namespace
}  // namespace mpaverify_test
