#pragma once
// The VOBU search information of a DVD-Video navigation pack: for one VOBU,
// the sector distances to its neighbours, to the nearest VOBUs with video
// and to the VOBUs 0.5 s to 120 s of presentation time away.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sinks {

struct Vobu {
    std::int32_t start_sector;
    std::int32_t duration;  // 90 kHz ticks
    std::int32_t flags;     // bit 0: holds video
};

inline constexpr std::size_t kSearchEntries = 42;

// The entries in pack order: next video, forward 120 s ... 0.5 s (19), next,
// previous, backward 0.5 s ... 120 s (19), previous video. Each entry holds
// the sector distance in bits 29-0, bit 31 when the target holds video and
// bit 30 when a VOBU with video lies between.
using SearchInfo = std::array<std::uint32_t, kSearchEntries>;

inline constexpr std::uint32_t kNoVobu = 0x3FFFFFFF;
inline constexpr std::uint32_t kNoNextVideo = 0xBFFFFFFF;

class VobuSearch {
public:
    // Keeps a reference to the table; it must outlive the search.
    explicit VobuSearch(const std::vector<Vobu>& vobus);

    // The search information of VOBU index, every target kept inside
    // [first, end), which must contain index.
    [[nodiscard]] SearchInfo Entries(std::size_t index, std::size_t first, std::size_t end) const;

private:
    [[nodiscard]] std::uint32_t Entry(std::size_t from, std::size_t to) const;
    [[nodiscard]] std::uint32_t Forward(std::size_t index, std::int64_t ticks, std::size_t end) const;
    [[nodiscard]] std::uint32_t Backward(std::size_t index, std::int64_t ticks, std::size_t first) const;
    [[nodiscard]] std::uint32_t NextVideo(std::size_t index, std::size_t end) const;
    [[nodiscard]] std::uint32_t PreviousVideo(std::size_t index, std::size_t first) const;
    [[nodiscard]] bool HoldsVideo(std::size_t index) const { return (vobus_[index].flags & 1) != 0; }

    const std::vector<Vobu>& vobus_;
    std::vector<std::int64_t> start_time_;   // presentation time at each VOBU's start; one more entry at the end
    std::vector<std::size_t> video_before_;  // VOBUs with video before each index; one more entry at the end
};

}  // namespace sinks
