// What the Go To box takes, and the arithmetic of the position estimates.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "viewer/model/GoToPosition.h"

namespace {

using TKind = TGoToTarget::TKind;

struct ParseCase {
    const char* text;
    std::optional<TKind> kind;  // nothing: rejected
    double value = 0;           // bytes, milliseconds or percent
};

TEST(GoToText, ParsesOffsetsTimesAndPercentagesAndRejectsTheRest) {
    const ParseCase cases[] = {
        {"0", TKind::ByteOffset, 0},
        {"1234", TKind::ByteOffset, 1234},
        {"  0x4d2 ", TKind::ByteOffset, 1234},
        {"0X1F400", TKind::ByteOffset, 128000},
        {"6442450944", TKind::ByteOffset, 6442450944.0},
        {"00:00.000", TKind::Time, 0},
        {"01:02.345", TKind::Time, 62345},
        {"1:02.3", TKind::Time, 62300},
        {"1:02.34", TKind::Time, 62340},
        {"125:00", TKind::Time, 7500000},
        {"50%", TKind::Percent, 50},
        {"12.5 %", TKind::Percent, 12.5},
        {"100%", TKind::Percent, 100},
        {"0%", TKind::Percent, 0},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-5", std::nullopt},
        {"12ab", std::nullopt},
        {"0x", std::nullopt},
        {"0xZZ", std::nullopt},
        {"1e3", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"1:60", std::nullopt},
        {"1:5:00", std::nullopt},
        {":30", std::nullopt},
        {"1:02.3456", std::nullopt},
        {"100.1%", std::nullopt},
        {"-1%", std::nullopt},
        {"%", std::nullopt},
        {"1.2.3%", std::nullopt},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto target = ParseGoToText(c.text);
        ASSERT_EQ(target.has_value(), c.kind.has_value());
        if (!target) continue;
        EXPECT_EQ(target->Kind, *c.kind);
        switch (target->Kind) {
            case TKind::ByteOffset: EXPECT_EQ(target->Bytes, static_cast<std::int64_t>(c.value)); break;
            case TKind::Time: EXPECT_EQ(target->Milliseconds, static_cast<std::int64_t>(c.value)); break;
            case TKind::Percent: EXPECT_NEAR(target->Percent, c.value, 1e-9); break;
        }
    }
}

TEST(GoToText, ReadsBackEveryTimeItFormats) {
    for (const std::int64_t milliseconds : {0LL, 1LL, 999LL, 59999LL, 60000LL, 3599999LL, 7500123LL, 86400000LL}) {
        const std::string text = FormatMilliseconds(milliseconds);
        const auto target = ParseGoToText(text);
        ASSERT_TRUE(target.has_value()) << text;
        EXPECT_EQ(target->Kind, TKind::Time) << text;
        EXPECT_EQ(target->Milliseconds, milliseconds) << text;
    }
}

// A constant-bitrate Layer II stream at 44.1 kHz: 1152 samples a frame.
TStreamPace LayerIIPace(std::int64_t audioStart, std::int64_t fileSize) {
    TStreamPace pace;
    pace.FrameMilliseconds = 1152 * 1000.0 / 44100;
    pace.AverageFrameBytes = 128000.0 * 1152 / 8 / 44100;
    pace.AudioStart = audioStart;
    pace.FileSize = fileSize;
    return pace;
}

TEST(GoToEstimates, PlaceTargetsWithinTheFileAndTimesWithinAFrame) {
    const std::int64_t sixGigabytes = 6LL << 30;
    const TStreamPace pace = LayerIIPace(1000, sixGigabytes);
    const auto at = [&pace](const char* text) { return EstimatedOffset(*ParseGoToText(text), pace); };
    EXPECT_EQ(at("0x1000"), 0x1000);
    EXPECT_EQ(at("99999999999"), sixGigabytes - 1);
    EXPECT_EQ(at("0%"), 0);
    EXPECT_EQ(at("50%"), sixGigabytes / 2);
    EXPECT_EQ(at("100%"), sixGigabytes - 1);
    EXPECT_EQ(at("00:00.000"), 1000);

    // Going to a frame's estimated time lands half a frame before its
    // estimated start, so the next header is that frame's.
    for (const std::int64_t frame : {1LL, 10LL, 1000LL, 5000000LL}) {
        const std::int64_t start = 1000 + static_cast<std::int64_t>(frame * pace.AverageFrameBytes);
        const std::int64_t time = EstimatedMilliseconds(start, pace);
        EXPECT_NEAR(static_cast<double>(time), frame * pace.FrameMilliseconds, 0.5) << frame;
        const std::int64_t estimate = at(FormatMilliseconds(time + 1).c_str());
        EXPECT_LT(estimate, start) << frame;
        EXPECT_GT(estimate, start - pace.AverageFrameBytes) << frame;
    }
}

TEST(GoToEstimates, StatusLineNamesOffsetTimePercentAndSize) {
    const TStreamPace pace = LayerIIPace(0, 1000000);
    // 250000 bytes are 598 frames of 417.96 bytes (rounded), and 598 frames of
    // 1152 samples at 44.1 kHz last 15.621 s.
    EXPECT_EQ(FramePositionStatus(250000, pace),
              "Offset 0x000000000003D090   Time 00:15.621   25.0 %   File size 1000000 bytes");
}

}  // namespace
