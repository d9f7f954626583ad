#pragma once
// "Go To" and "where am I" without a window: what the user typed (a byte
// offset, a time or a percentage of the file), the byte position it stands
// for, settled on the next usable frame header as the navigator's searches
// find it, and the status line of the selected frame.
//
// Times are estimated from the frame duration and the average frame size:
// exact for a constant bitrate, an estimate for a variable one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TFrameNavigator;

struct TGoToTarget {
    enum class TKind { ByteOffset, Time, Percent };
    TKind Kind = TKind::ByteOffset;
    std::int64_t Bytes = 0;         // ByteOffset
    std::int64_t Milliseconds = 0;  // Time
    double Percent = 0.0;           // Percent, 0 to 100
};

// "1234", "0x4D2", "mm:ss.mmm" (minutes may pass 59; the fraction has one to
// three digits and may be left out) or "12.5%". Surrounding spaces are
// ignored; anything else, a negative value or a percentage above 100 gives
// nothing.
[[nodiscard]] std::optional<TGoToTarget> ParseGoToText(std::string_view text);

// The pace of the stream: how long one frame lasts and how many bytes a frame
// takes on average, from where the audio starts in a file of a given size.
struct TStreamPace {
    double FrameMilliseconds = 0.0;
    double AverageFrameBytes = 0.0;
    std::int64_t AudioStart = 0;
    std::int64_t FileSize = 0;
};

// The pace of the open file: the duration of the first usable frame and the
// average distance between the frames of the navigator's page (the first
// frame's nominal size while the page holds fewer than two frames). Nothing
// when no usable frame header is found.
[[nodiscard]] std::optional<TStreamPace> MeasureStreamPace(TFrameNavigator& navigator);

// The byte position a target stands for, within 0 .. FileSize - 1.
[[nodiscard]] std::int64_t EstimatedOffset(const TGoToTarget& target, const TStreamPace& pace);

// The estimated time of the frame at a byte offset, in milliseconds.
[[nodiscard]] std::int64_t EstimatedMilliseconds(std::int64_t offset, const TStreamPace& pace);

// The first usable frame header at or after the target's position, or the
// last one before it when none follows; nothing when the file has none.
[[nodiscard]] std::optional<std::int64_t> SettledGoToOffset(TFrameNavigator& navigator, const TGoToTarget& target,
                                                            const TStreamPace& pace);

// "mm:ss.mmm", minutes counted on past 59.
[[nodiscard]] std::string FormatMilliseconds(std::int64_t milliseconds);

// The status line of the frame at offset: its offset, estimated time, place
// in the file in percent (one decimal) and the file size in bytes.
[[nodiscard]] std::string FramePositionStatus(std::int64_t offset, const TStreamPace& pace);
