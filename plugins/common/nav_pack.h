#pragma once
// The fields of a DVD-Video navigation pack (one 2,048-byte sector: pack
// header, system header, PCI packet, DSI packet) that the file sink rewrites
// after a multiplexer has written the stream.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "plugins/common/vobu_search.h"

namespace sinks {

inline constexpr std::size_t kSectorBytes = 2048;

// Byte positions inside the sector.
inline constexpr std::size_t kHighlightEndPtmAt = 147;     // PCI: highlight end time
inline constexpr std::size_t kButtonSelectEndPtmAt = 151;  // PCI: button-select end time
inline constexpr std::size_t kVobVideoEndPtmAt = 1079;     // DSI: the VOB's video end time
inline constexpr std::size_t kSearchInfoAt = 1265;         // DSI: VOBU search information, 42 x 4 bytes
inline constexpr std::size_t kAudioSyncAt = 1433;          // DSI: 8 audio entries of 2 bytes
inline constexpr std::size_t kSubpictureSyncAt = 1449;     // DSI: 32 sub-picture entries of 4 bytes

inline constexpr std::size_t kAudioStreams = 8;
inline constexpr std::size_t kSubpictureStreams = 32;

struct NavPackPatch {
    std::int32_t end_ptm = 0;
    bool highlight = false;  // also write the highlight and button-select end times
    SearchInfo search{};
    std::array<std::optional<std::int32_t>, kAudioStreams> audio_sync{};
    std::array<std::optional<std::int32_t>, kSubpictureStreams> subpicture_sync{};
};

// True when the sector starts with a pack header and holds the PCI and DSI
// packets where a navigation pack has them.
[[nodiscard]] bool IsNavPack(const std::uint8_t* sector);

// Writes the patch into the sector, big-endian. Synchronisation entries
// without a value keep what the sector holds.
void PatchNavPack(std::uint8_t* sector, const NavPackPatch& patch);

}  // namespace sinks
