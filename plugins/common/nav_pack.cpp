#include "plugins/common/nav_pack.h"

#include <cstring>

namespace sinks {
namespace {

constexpr std::uint8_t kPackStart[4] = {0x00, 0x00, 0x01, 0xBA};
constexpr std::uint8_t kPrivateStream2[4] = {0x00, 0x00, 0x01, 0xBF};
constexpr std::size_t kPciPacketAt = 38;
constexpr std::size_t kDsiPacketAt = 1024;
constexpr std::size_t kSubstreamIdOffset = 6;  // after start code and length

void PutBigEndian32(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

void PutBigEndian16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

}  // namespace

bool IsNavPack(const std::uint8_t* sector) {
    return std::memcmp(sector, kPackStart, 4) == 0 && std::memcmp(sector + kPciPacketAt, kPrivateStream2, 4) == 0 &&
           sector[kPciPacketAt + kSubstreamIdOffset] == 0x00 &&
           std::memcmp(sector + kDsiPacketAt, kPrivateStream2, 4) == 0 &&
           sector[kDsiPacketAt + kSubstreamIdOffset] == 0x01;
}

void PatchNavPack(std::uint8_t* sector, const NavPackPatch& patch) {
    const auto end_ptm = static_cast<std::uint32_t>(patch.end_ptm);
    PutBigEndian32(sector + kVobVideoEndPtmAt, end_ptm);
    if (patch.highlight) {
        PutBigEndian32(sector + kHighlightEndPtmAt, end_ptm);
        PutBigEndian32(sector + kButtonSelectEndPtmAt, end_ptm);
    }
    for (std::size_t i = 0; i < patch.search.size(); ++i) {
        PutBigEndian32(sector + kSearchInfoAt + 4 * i, patch.search[i]);
    }
    for (std::size_t i = 0; i < kAudioStreams; ++i) {
        if (patch.audio_sync[i]) {
            PutBigEndian16(sector + kAudioSyncAt + 2 * i, static_cast<std::uint16_t>(*patch.audio_sync[i]));
        }
    }
    for (std::size_t i = 0; i < kSubpictureStreams; ++i) {
        if (patch.subpicture_sync[i]) {
            PutBigEndian32(sector + kSubpictureSyncAt + 4 * i, static_cast<std::uint32_t>(*patch.subpicture_sync[i]));
        }
    }
}

}  // namespace sinks
