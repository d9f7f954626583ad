#include "viewer/model/GoToPosition.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "libs/mpa_header/mpa_header_tables.h"
#include "viewer/model/FrameNavigator.h"

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A whole, non-negative number that takes the whole text.
std::optional<std::int64_t> WholeNumber(std::string_view text, int base) {
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<TGoToTarget> ParsePercent(std::string_view number) {
    number = Trimmed(number);
    const auto point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    if (!AllDigits(whole) || (point != std::string_view::npos && !AllDigits(fraction)) || whole.size() > 3)
        return std::nullopt;
    double percent = static_cast<double>(*WholeNumber(whole, 10));
    double scale = 0.1;
    for (const char digit : fraction.substr(0, 9)) {
        percent += (digit - '0') * scale;
        scale /= 10;
    }
    if (percent > 100.0) return std::nullopt;
    TGoToTarget target;
    target.Kind = TGoToTarget::TKind::Percent;
    target.Percent = percent;
    return target;
}

std::optional<TGoToTarget> ParseTime(std::string_view text) {
    const auto colon = text.find(':');
    const std::string_view minutes = text.substr(0, colon);
    std::string_view seconds = text.substr(colon + 1);
    std::string_view fraction;
    if (const auto point = seconds.find('.'); point != std::string_view::npos) {
        fraction = seconds.substr(point + 1);
        seconds = seconds.substr(0, point);
        if (!AllDigits(fraction) || fraction.size() > 3) return std::nullopt;
    }
    if (!AllDigits(minutes) || minutes.size() > 9 || !AllDigits(seconds) || seconds.size() > 2) return std::nullopt;
    const std::int64_t secondValue = *WholeNumber(seconds, 10);
    if (secondValue > 59) return std::nullopt;
    std::int64_t milliseconds = 0;
    for (std::size_t i = 0; i < 3; ++i) milliseconds = milliseconds * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    TGoToTarget target;
    target.Kind = TGoToTarget::TKind::Time;
    target.Milliseconds = (*WholeNumber(minutes, 10) * 60 + secondValue) * 1000 + milliseconds;
    return target;
}

std::optional<TGoToTarget> ParseOffset(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const auto value = hex ? WholeNumber(text.substr(2), 16) : (AllDigits(text) ? WholeNumber(text, 10) : std::nullopt);
    if (!value) return std::nullopt;
    TGoToTarget target;
    target.Bytes = *value;
    return target;
}

std::int64_t ClampToFile(double position, std::int64_t fileSize) {
    if (fileSize <= 0 || position <= 0) return 0;
    if (position >= static_cast<double>(fileSize - 1)) return fileSize - 1;
    return static_cast<std::int64_t>(position);
}

// Duration and nominal average size of a frame from its header.
std::optional<std::pair<double, double>> FrameDurationAndSize(const TMPAFrame& frame) {
    const std::int32_t version = MPAReadingVersion(frame.Header);
    const std::int32_t rate = MPASamplingRateHz(frame.Header.sampling_frequency, version);
    const std::int32_t samples = mpa_header::SamplesPerFrame(version, mpa_header::LayerFromCode(frame.Header.layer));
    if (rate <= 0 || samples <= 0) return std::nullopt;
    const double bitrate = MPABitrateKbps(frame.Header.layer, frame.Header.bitrate_index, version) * 1000.0;
    const double nominalBytes = bitrate > 0 ? bitrate * samples / 8.0 / rate : frame.PackLength;
    return std::make_pair(samples * 1000.0 / rate, nominalBytes);
}

}  // namespace

std::optional<TGoToTarget> ParseGoToText(std::string_view text) {
    text = Trimmed(text);
    if (text.empty()) return std::nullopt;
    if (text.back() == '%') return ParsePercent(text.substr(0, text.size() - 1));
    if (text.find(':') != std::string_view::npos) return ParseTime(text);
    return ParseOffset(text);
}

std::optional<TStreamPace> MeasureStreamPace(TFrameNavigator& navigator) {
    std::int64_t first = 0;
    TMPAFrame frame{};
    if (!navigator.SearchNextPackPositionFromPos(first, navigator.AudioStart()) || !navigator.ReadFrameAt(first, frame))
        return std::nullopt;
    const auto durationAndSize = FrameDurationAndSize(frame);
    if (!durationAndSize) return std::nullopt;
    TStreamPace pace;
    pace.FrameMilliseconds = durationAndSize->first;
    pace.AverageFrameBytes = durationAndSize->second;
    pace.AudioStart = navigator.AudioStart();
    pace.FileSize = navigator.FileSize();
    std::lock_guard lock(navigator.FramesLock());
    const int count = navigator.FramesCount();
    if (count >= 2) {
        const std::int64_t span = navigator.Frame(count - 1).Offset - navigator.Frame(0).Offset;
        if (span > 0) pace.AverageFrameBytes = static_cast<double>(span) / (count - 1);
    }
    if (pace.AverageFrameBytes <= 0) return std::nullopt;
    return pace;
}

std::int64_t EstimatedOffset(const TGoToTarget& target, const TStreamPace& pace) {
    switch (target.Kind) {
        case TGoToTarget::TKind::ByteOffset: return ClampToFile(static_cast<double>(target.Bytes), pace.FileSize);
        case TGoToTarget::TKind::Percent:
            return ClampToFile(static_cast<double>(pace.FileSize) * target.Percent / 100.0, pace.FileSize);
        case TGoToTarget::TKind::Time: {
            // The frame playing at that time starts after this many whole
            // frames; the search starts half a frame earlier, so that the next
            // header found is that frame's even where sizes vary by a byte.
            const double frames = std::floor(static_cast<double>(target.Milliseconds) / pace.FrameMilliseconds);
            const double start = static_cast<double>(pace.AudioStart) + (frames - 0.5) * pace.AverageFrameBytes;
            return ClampToFile(std::max(start, static_cast<double>(pace.AudioStart)), pace.FileSize);
        }
    }
    return 0;
}

std::int64_t EstimatedMilliseconds(std::int64_t offset, const TStreamPace& pace) {
    if (pace.AverageFrameBytes <= 0 || offset <= pace.AudioStart) return 0;
    const double frames = std::round(static_cast<double>(offset - pace.AudioStart) / pace.AverageFrameBytes);
    return static_cast<std::int64_t>(std::llround(frames * pace.FrameMilliseconds));
}

std::optional<std::int64_t> SettledGoToOffset(TFrameNavigator& navigator, const TGoToTarget& target,
                                              const TStreamPace& pace) {
    const std::int64_t from = std::max(EstimatedOffset(target, pace), navigator.AudioStart());
    std::int64_t found = 0;
    if (navigator.SearchNextPackPositionFromPos(found, from)) return found;
    if (navigator.SearchPreviousPackPositionFromPos(found, from)) return found;
    return std::nullopt;
}

std::string FormatMilliseconds(std::int64_t milliseconds) {
    milliseconds = std::max<std::int64_t>(milliseconds, 0);
    char text[40];
    std::snprintf(text, sizeof text, "%02lld:%02lld.%03lld", static_cast<long long>(milliseconds / 60000),
                  static_cast<long long>(milliseconds / 1000 % 60), static_cast<long long>(milliseconds % 1000));
    return text;
}

std::string FramePositionStatus(std::int64_t offset, const TStreamPace& pace) {
    const double percent = pace.FileSize > 0 ? 100.0 * static_cast<double>(offset) / static_cast<double>(pace.FileSize) : 0.0;
    char text[160];
    std::snprintf(text, sizeof text, "Offset %s   Time %s   %.1f %%   File size %lld bytes",
                  TFrameNavigator::OffsetToText(offset).c_str(),
                  FormatMilliseconds(EstimatedMilliseconds(offset, pace)).c_str(), percent,
                  static_cast<long long>(pace.FileSize));
    return text;
}
