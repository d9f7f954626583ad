#include "viewer/model/MPAUtils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "libs/mpa_header/mpa_header_tables.h"
#include "platform/debug_output.h"
#include "platform/shared_file.h"
#include "viewer/model/ID3v2Tag.h"

namespace {

static_assert(kMPEG1 == mpa_header::kVersionMpeg1 && kMPEG2 == mpa_header::kVersionMpeg2 &&
              kMPEG25 == mpa_header::kVersionMpeg25 && kMPEGReserved == mpa_header::kVersionReserved);

constexpr std::int32_t kSync = 0xFFF;
constexpr std::int32_t kSyncMpeg25 = 0xFFE;

bool HeaderIsUsable(const std::uint8_t* data, std::size_t size, std::int32_t expectedLayer,
                    std::int32_t expectedSampling, std::int32_t expectedVersion) {
    TMPAFrame frame{};
    parse_mpa_frame(data, size, frame.Header);
    GetMPAFrameTime(frame);
    const TMPAHeader& header = frame.Header;
    if (frame.FrameLength <= 0 || frame.FrameTime <= 0) return false;
    const std::int32_t version = MPAVersion(header);
    if (!mpa_header::IsKnownVersion(version)) return false;
    if (expectedVersion >= 0 && version != expectedVersion) return false;
    if (header.layer == 0) return false;
    if (header.sampling_frequency == 3) return false;
    if (expectedLayer < 0 || expectedSampling < 0) return true;
    return header.layer == expectedLayer && header.sampling_frequency == expectedSampling;
}

// Winner of a three-way tally: the index whose count beats both others, or -1.
int StrictWinner(const std::array<int, 3>& counts) {
    for (int i = 0; i < 3; ++i) {
        const int a = counts[(i + 1) % 3];
        const int b = counts[(i + 2) % 3];
        if (counts[i] > a && counts[i] > b) return i;
    }
    return -1;
}

// Tally slot of a version code: MPEG-1, MPEG-2, MPEG-2.5.
std::size_t VersionSlot(std::int32_t version) {
    return version == kMPEG1 ? 0 : version == kMPEG2 ? 1 : 2;
}

constexpr std::array<std::int32_t, 3> kVersionOfSlot = {kMPEG1, kMPEG2, kMPEG25};

}  // namespace

std::int32_t MPABitrateKbps(std::int32_t layer, std::int32_t bitrateIndex, std::int32_t version) {
    return mpa_header::BitrateKbps(version, mpa_header::LayerFromCode(layer), bitrateIndex);
}

std::int32_t MPASamplingRateHz(std::int32_t samplingIndex, std::int32_t version) {
    return mpa_header::SamplingRateHz(version, samplingIndex);
}

std::int32_t MPAVersion(const TMPAHeader& header) {
    if (header.syncword == kSync) return header.ID == 1 ? kMPEG1 : kMPEG2;
    if (header.syncword == kSyncMpeg25 && header.ID == 0) return kMPEG25;
    return kMPEGReserved;
}

std::int32_t MPAReadingVersion(const TMPAHeader& header) {
    const std::int32_t version = MPAVersion(header);
    return mpa_header::IsKnownVersion(version) ? version : kMPEG1;
}

bool parse_mpa_frame(const std::uint8_t* data, std::size_t size, TMPAHeader& header) {
    try {
        if (size < 4 || data == nullptr) {
            platform::OutputDebugLine("dbg: Error in parse_mpa_frame - insufficient memory.");
            return false;
        }
        const mpa_header::HeaderFields f = mpa_header::SplitHeader(mpa_header::HeaderWord(data));
        header = {f.sync,        f.id,   f.layer_code,     f.protection, f.bitrate_index, f.sampling_index, f.padding,
                  f.private_bit, f.mode, f.mode_extension, f.copyright,  f.original,      f.emphasis,
                  header.crc_check};
        if (header.protection_bit == 1) return true;
        if (size < 6) return false;
        header.crc_check = data[4] << 8 | data[5];
        return true;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in parse_mpa_frame call...");
        return false;
    }
}

bool GetMPAFrameTime(TMPAFrame& frame) {
    try {
        const TMPAHeader& header = frame.Header;
        const std::int32_t version = MPAReadingVersion(header);
        const std::int32_t rate = MPASamplingRateHz(header.sampling_frequency, version);
        if (rate == 0) return false;
        const int layer = mpa_header::LayerFromCode(header.layer);
        if (layer == 0) return true;
        // The padding bit counts as it stands, so a free-format or forbidden
        // bitrate leaves its slot.
        const std::int32_t bitrate = MPABitrateKbps(header.layer, header.bitrate_index, version) * 1000;
        frame.FrameLength = mpa_header::FrameLengthBytes(version, layer, bitrate, rate, 0) +
                            header.padding_bit * mpa_header::SlotBytes(layer);
        const double samples = mpa_header::SamplesPerFrame(version, layer);
        frame.FrameTime = static_cast<std::int32_t>(std::lround(samples / rate * 1000.0));
        return true;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in GetMPAFrameTime call...");
        return false;
    }
}

bool MPAValidFramePointAfterSync(const std::uint8_t* data, std::size_t size, std::int32_t expectedLayer,
                                 std::int32_t expectedSampling, std::int32_t expectedVersion) {
    try {
        return HeaderIsUsable(data, size, expectedLayer, expectedSampling, expectedVersion);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in MPAValidFramePoint call...");
        return false;
    }
}

bool GetMPAESPackLength(const std::uint8_t* data, std::size_t size, std::int32_t& packLength,
                        std::int32_t startOffset, std::int32_t expectedLayer,
                        std::int32_t expectedSampling, std::int32_t expectedVersion) {
    try {
        if (data == nullptr || startOffset < 0 || size < 4) return false;
        const std::uint8_t* candidate = data + std::min<std::size_t>(static_cast<std::size_t>(startOffset), size);
        const std::uint8_t* const last = data + size - 4;  // last candidate with 4 bytes after it
        while (candidate <= last) {
            // Jump to the next 0xFF: every other position fails the sync test.
            candidate = static_cast<const std::uint8_t*>(
                std::memchr(candidate, 0xFF, static_cast<std::size_t>(last - candidate) + 1));
            if (candidate == nullptr) return false;
            const auto remaining = static_cast<std::size_t>(data + size - candidate);
            if (MPAValidFramePoint(candidate, remaining, expectedLayer, expectedSampling, expectedVersion)) {
                packLength = static_cast<std::int32_t>(candidate - data);
                return true;
            }
            ++candidate;
        }
        return false;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in GetMPAESPackLength call...");
        return false;
    }
}

bool MPAESVote(const std::uint8_t* data, std::size_t size, std::int32_t& layer, std::int32_t& samplingIndex,
               std::int32_t& version) {
    layer = -1;
    samplingIndex = -1;
    version = -1;
    if (data == nullptr) return false;
    std::array<int, 3> layerCounts{};     // layer codes 1, 2, 3
    std::array<int, 3> samplingCounts{};  // indices 0, 1, 2
    std::array<int, 3> versionCounts{};   // MPEG-1, MPEG-2, MPEG-2.5
    std::size_t position = 0;
    int frames = 0;
    while (size - position >= 2 && frames < kMPAESVoteFrames) {
        const std::size_t remaining = size - position;
        if (!MPAValidFramePoint(data + position, remaining, -1, -1, kAnyMPEGVersion)) {
            ++position;
            continue;
        }
        TMPAFrame frame{};
        parse_mpa_frame(data + position, remaining, frame.Header);
        GetMPAFrameTime(frame);
        const std::int32_t frameVersion = MPAVersion(frame.Header);
        std::int32_t packLength = 0;
        const bool found =
            GetMPAESPackLength(data + position, remaining, packLength, frame.FrameLength, -1, -1, frameVersion);
        ++layerCounts[static_cast<std::size_t>(frame.Header.layer - 1)];
        ++samplingCounts[static_cast<std::size_t>(frame.Header.sampling_frequency)];
        ++versionCounts[VersionSlot(frameVersion)];
        if (!found) break;
        ++frames;
        position += static_cast<std::size_t>(packLength);
    }
    const int layerWinner = StrictWinner(layerCounts);
    const int samplingWinner = StrictWinner(samplingCounts);
    const int versionWinner = StrictWinner(versionCounts);
    if (layerWinner >= 0) layer = layerWinner + 1;
    if (samplingWinner >= 0) samplingIndex = samplingWinner;
    if (versionWinner >= 0) version = kVersionOfSlot[static_cast<std::size_t>(versionWinner)];
    return layer >= 0 && samplingIndex >= 0 && version >= 0;
}

bool MPAESVote(const std::uint8_t* data, std::size_t size, std::int32_t& layer,
               std::int32_t& samplingIndex) {
    std::int32_t version = -1;
    return MPAESVote(data, size, layer, samplingIndex, version);
}

bool IsMPAES(const std::string& fileName, std::int32_t& layer, std::int32_t& samplingIndex) {
    std::int32_t version = -1;
    return IsMPAES(fileName, layer, samplingIndex, version);
}

bool IsMPAES(const std::string& fileName, std::int32_t& layer, std::int32_t& samplingIndex,
             std::int32_t& version) {
    layer = -1;
    samplingIndex = -1;
    version = -1;
    try {
        platform::SharedFile file;
        if (!file.Open(fileName)) throw std::runtime_error("cannot open");
        if (!file.Seek(LeadingID3v2TagBytes(file))) throw std::runtime_error("cannot seek");
        std::vector<std::uint8_t> buffer(kMPAESVoteWindow);
        const std::int64_t got = file.Read(buffer.data(), static_cast<std::int64_t>(buffer.size()));
        file.Close();
        if (got < 0) throw std::runtime_error("cannot read");
        return MPAESVote(buffer.data(), static_cast<std::size_t>(got), layer, samplingIndex, version);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in IsMPAES call...");
        return false;
    }
}

std::string MPALayerToStr(std::int32_t layer) {
    switch (layer) {
        case 0: return "Reserved";
        case 1: return "Layer III";
        case 2: return "Layer II";
        case 3: return "Layer I";
        default: return "Unknown";
    }
}

std::string MPABitrateToStr(std::int32_t layer, std::int32_t bitrateIndex, std::int32_t version) {
    return std::to_string(MPABitrateKbps(layer, bitrateIndex, version)) + " kbps";
}

std::string MPASamplingRateToStr(std::int32_t samplingFrequency, std::int32_t version) {
    return std::to_string(MPASamplingRateHz(samplingFrequency, version)) + " Hz";
}

std::string MPAVersionToStr(std::int32_t version) {
    switch (version) {
        case kMPEG1: return "MPEG-1";
        case kMPEG2: return "MPEG-2";
        case kMPEG25: return "MPEG-2.5";
        default: return "";
    }
}

std::string MPAModeToStr(std::int32_t mode) {
    switch (mode) {
        case 0: return "Stereo";
        case 1: return "Joint Stereo";
        case 2: return "Dual Channel";
        case 3: return "Single Channel";
        default: return "Unknown";
    }
}

std::string MPAEmphasisToStr(std::int32_t emphasis) {
    switch (emphasis) {
        case 0: return "No Emphasis";
        case 1: return "50/15 microsec. emphasis";
        case 2: return "Reserved";
        case 3: return "CCITT J.17";
        default: return "Unknown";
    }
}

std::string MPAFrameTimeToStr(const TMPAFrame& frame) { return std::to_string(frame.FrameTime) + " ms"; }
