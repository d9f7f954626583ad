#include "plugins/common/vobu_search.h"

#include <algorithm>
#include <cstdlib>

namespace sinks {
namespace {

// 0.5 s to 7.5 s in half seconds, then 10, 30, 60 and 120 s, in 90 kHz ticks.
constexpr std::array<std::int64_t, 19> kDistancesAscending = {
    45000,  90000,  135000, 180000, 225000, 270000, 315000,  360000,  405000,  450000,
    495000, 540000, 585000, 630000, 675000, 900000, 2700000, 5400000, 10800000};

constexpr std::size_t kNextVideo = 0;
constexpr std::size_t kForwardFirst = 1;  // the farthest distance first
constexpr std::size_t kNext = 20;
constexpr std::size_t kPrevious = 21;
constexpr std::size_t kBackwardFirst = 22;  // the nearest distance first
constexpr std::size_t kPreviousVideo = 41;

constexpr std::uint32_t kDistanceMask = 0x3FFFFFFF;
constexpr std::uint32_t kTargetHasVideo = 0x80000000;
constexpr std::uint32_t kVideoBetween = 0x40000000;

}  // namespace

VobuSearch::VobuSearch(const std::vector<Vobu>& vobus)
    : vobus_(vobus), start_time_(vobus.size() + 1, 0), video_before_(vobus.size() + 1, 0) {
    for (std::size_t i = 0; i < vobus.size(); ++i) {
        // A negative duration would break the ordering the searches rely on.
        start_time_[i + 1] = start_time_[i] + std::max<std::int32_t>(vobus[i].duration, 0);
        video_before_[i + 1] = video_before_[i] + (HoldsVideo(i) ? 1 : 0);
    }
}

SearchInfo VobuSearch::Entries(std::size_t index, std::size_t first, std::size_t end) const {
    SearchInfo info{};
    info[kNextVideo] = NextVideo(index, end);
    info[kPreviousVideo] = PreviousVideo(index, first);
    info[kNext] = index + 1 < end ? Entry(index, index + 1) : kNoVobu;
    info[kPrevious] = index > first ? Entry(index, index - 1) : kNoVobu;
    const std::size_t count = kDistancesAscending.size();
    for (std::size_t i = 0; i < count; ++i) {
        info[kForwardFirst + count - 1 - i] = Forward(index, kDistancesAscending[i], end);
        info[kBackwardFirst + i] = Backward(index, kDistancesAscending[i], first);
    }
    return info;
}

std::uint32_t VobuSearch::Entry(std::size_t from, std::size_t to) const {
    const std::int64_t sectors =
        std::llabs(static_cast<std::int64_t>(vobus_[to].start_sector) - vobus_[from].start_sector);
    // Larger than any disc; kept below the "no VOBU" value.
    std::uint32_t entry = static_cast<std::uint32_t>(std::min<std::int64_t>(sectors, kDistanceMask - 1));
    if (HoldsVideo(to)) entry |= kTargetHasVideo;
    const std::size_t low = std::min(from, to) + 1;
    const std::size_t high = std::max(from, to);
    if (low < high && video_before_[high] > video_before_[low]) entry |= kVideoBetween;
    return entry;
}

std::uint32_t VobuSearch::Forward(std::size_t index, std::int64_t ticks, std::size_t end) const {
    const auto begin = start_time_.begin();
    const auto found = std::lower_bound(begin + static_cast<std::ptrdiff_t>(index) + 1,
                                        begin + static_cast<std::ptrdiff_t>(end), start_time_[index] + ticks);
    const auto target = static_cast<std::size_t>(found - begin);
    return target < end ? Entry(index, target) : kNoVobu;
}

std::uint32_t VobuSearch::Backward(std::size_t index, std::int64_t ticks, std::size_t first) const {
    const auto begin = start_time_.begin();
    // The first VOBU in [first, index) that starts less than ticks before
    // index; the one before it is the target.
    const auto found = std::upper_bound(begin + static_cast<std::ptrdiff_t>(first),
                                        begin + static_cast<std::ptrdiff_t>(index), start_time_[index] - ticks);
    const auto after_target = static_cast<std::size_t>(found - begin);
    return after_target > first ? Entry(index, after_target - 1) : kNoVobu;
}

std::uint32_t VobuSearch::NextVideo(std::size_t index, std::size_t end) const {
    const std::size_t seen = video_before_[index + 1];
    if (video_before_[end] == seen) return kNoNextVideo;
    const auto begin = video_before_.begin();
    // The count first grows past `seen` just after the next VOBU with video.
    const auto grown = std::upper_bound(begin + static_cast<std::ptrdiff_t>(index) + 1,
                                        begin + static_cast<std::ptrdiff_t>(end) + 1, seen);
    return Entry(index, static_cast<std::size_t>(grown - begin) - 1);
}

std::uint32_t VobuSearch::PreviousVideo(std::size_t index, std::size_t first) const {
    const std::size_t seen = video_before_[index];
    if (video_before_[first] == seen) return kNoVobu;
    const auto begin = video_before_.begin();
    // The count reaches `seen` just after the last VOBU with video before index.
    const auto reached = std::lower_bound(begin + static_cast<std::ptrdiff_t>(first),
                                          begin + static_cast<std::ptrdiff_t>(index) + 1, seen);
    return Entry(index, static_cast<std::size_t>(reached - begin) - 1);
}

}  // namespace sinks
