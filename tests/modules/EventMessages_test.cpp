// Every event kind as a QC engineer reads it: coded values turned into
// rates, names and units, and the report type the kind deserves.

#include <gtest/gtest.h>

#include "libs/mpaverify/mpaverify.h"
#include "modules/mpeg_audio_validator/EventMessages.h"
#include "tests/modules/module_test_support.h"

namespace moduletest {
namespace {

using mpeg_audio_validation::DescribeEvent;
using mpeg_audio_validation::DescribeSummary;
using mpeg_audio_validation::HexOffset;
using mpeg_audio_validation::StreamSummary;
using mpeg_audio_validation::ValidatorEvent;

TEST(EventMessages, OffsetsAreUpperCaseHex) {
    EXPECT_EQ(HexOffset(0), "0x0");
    EXPECT_EQ(HexOffset(0x1A2B), "0x1A2B");
    EXPECT_EQ(HexOffset(0x123456789AB), "0x123456789AB");
}

TEST(EventMessages, EveryKindWithItsValueInWordsAndUnits) {
    struct Case {
        std::int32_t kind, value;
        ValidationItem item;
    };
    const std::string at = "Frame 12 at offset 0x1A2B: ";
    const Case cases[] = {
        {CORRUPTED_FRAME, 0, {3, at + "corrupted frame, it could not be decoded"}},
        {CHANGING_LAYER, 3, {2, at + "layer changes to Layer I"}},
        {CHANGING_LAYER, 2, {2, at + "layer changes to Layer II"}},
        {CHANGING_PROTECTION, 0, {2, at + "protection changes to CRC on"}},
        {CHANGING_PROTECTION, 1, {2, at + "protection changes to CRC off"}},
        {CHANGING_FREQUENCY, 0, {2, at + "sampling rate changes to 44100 Hz"}},
        {CHANGING_FREQUENCY, 1, {2, at + "sampling rate changes to 48000 Hz"}},
        {CHANGING_FREQUENCY, 2, {2, at + "sampling rate changes to 32000 Hz"}},
        {CHANGING_MODE, 1, {2, at + "channel mode changes to joint stereo"}},
        {CHANGING_MODE, 2, {2, at + "channel mode changes to dual channel"}},
        {CHANGING_MODE, 3, {2, at + "channel mode changes to single channel"}},
        {CHANGING_MODE_EXTENSION, 2, {2, at + "mode extension changes to 2 (joint stereo from subband 12)"}},
        {CHANGING_COPYRIGHT, 1, {2, at + "copyright bit changes to 1 (copyrighted)"}},
        {CHANGING_ORIGINAL_HOME, 0, {2, at + "original/copy bit changes to 0 (copy)"}},
        {CHANGING_EMPHASIS, 0, {2, at + "emphasis changes to none"}},
        {CHANGING_EMPHASIS, 1, {2, at + "emphasis changes to 50/15 \xC2\xB5s"}},
        {CHANGING_EMPHASIS, 3, {2, at + "emphasis changes to CCITT J.17"}},
        {JUNK_BYTES, 16, {2, at + "16 bytes of junk before the frame (from offset 0x1A1B)"}},
        {JUNK_AT_THE_END, 3, {2, "3 bytes of junk at the end of the stream (from offset 0x1FFFD)"}},
        {CHANGING_BITRATE, 256, {2, at + "bitrate changes to 256 kbit/s"}},
        {CHANGING_BITRATE, 1, {2, at + "bitrate changes to free format"}},
        {CHANGING_FRAMESIZE, 768, {2, at + "frame size changes to 768 bytes without padding"}},
        {VALID_PADDING, 32000, {1, at + "padded frame at 32000 Hz, where padding is never needed"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DescribeEvent(ValidatorEvent{12, c.kind, c.value, 0x1A2B}, 0x20000), c.item)
            << "kind " << c.kind << " value " << c.value;
}

TEST(EventMessages, TheSummaryNamesTheFirstFrameAndTheCounts) {
    StreamSummary s{3, 32000, 448, 672, 10, 9, 1};
    EXPECT_EQ(DescribeSummary(s),
              (ValidationItem{1,
                              "Stream: MPEG-1 Layer I, 32000 Hz, 448 kbit/s, frame size 672 bytes (first frame). "
                              "Frames: 10 parsed, 9 decoded, 1 with errors."}));
}

}  // namespace
}  // namespace moduletest
