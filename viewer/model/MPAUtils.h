#pragma once
// The viewer's knowledge of the MPEG audio frame header: MPEG-1 (ISO/IEC
// 11172-3), MPEG-2 low sampling frequencies (ISO/IEC 13818-3) and MPEG-2.5.
// Header decoding, frame length and duration, the usable-header test, the
// distance to the next header, the whole-file vote and the value texts.
//
// The version is not a field: it follows from the sync word and ID as they
// stand (MPAVersion). Searches take an expected version beside the expected
// layer and sampling index; it defaults to MPEG-1, so callers that do not
// know better read headers as they always have.
//
// Plain functions without state; only IsMPAES touches a file. None of them
// throws: failures are reported as one debug line and a false result.

#include <cstddef>
#include <cstdint>
#include <string>

// Layer codes as they stand in the header.
inline constexpr std::int32_t kLayerI = 3;
inline constexpr std::int32_t kLayerII = 2;
inline constexpr std::int32_t kLayerIII = 1;

// Bytes IsMPAES reads from the start of a file.
inline constexpr std::size_t kMPAESVoteWindow = 1048576;
// Frames IsMPAES counts at most.
inline constexpr int kMPAESVoteFrames = 32;

struct TMPAHeader {
    std::int32_t syncword;
    std::int32_t ID;
    std::int32_t layer;
    std::int32_t protection_bit;
    std::int32_t bitrate_index;
    std::int32_t sampling_frequency;
    std::int32_t padding_bit;
    std::int32_t private_bit;
    std::int32_t mode;
    std::int32_t mode_extension;
    std::int32_t copyright;
    std::int32_t original_home;
    std::int32_t emphasis;
    std::int32_t crc_check;
};

struct TMPAFrame {
    std::int64_t Offset;       // file offset of the header's first byte
    std::int32_t PackLength;   // distance to the next usable header; 0 until found
    std::int32_t FrameLength;  // bytes, from the header; 0 when it cannot be computed
    std::int32_t FrameTime;    // whole milliseconds; 0 when it cannot be computed
    TMPAHeader Header;
};

// Version codes as the header table numbers them (checked where the table is
// used, in MPAUtils.cpp; the table's header is kept out of window code).
inline constexpr std::int32_t kMPEG1 = 3;
inline constexpr std::int32_t kMPEG2 = 2;
inline constexpr std::int32_t kMPEG25 = 0;
inline constexpr std::int32_t kMPEGReserved = 1;
// An expectation that takes any of the three versions.
inline constexpr std::int32_t kAnyMPEGVersion = -1;

// Bitrate in kbit/s for a layer code (1..3) and bitrate index; 0 for index 0
// and 15 and for layer codes outside 1..3.
[[nodiscard]] std::int32_t MPABitrateKbps(std::int32_t layer, std::int32_t bitrateIndex,
                                          std::int32_t version = kMPEG1);
// Sampling rate in Hz for an index; 0 for index 3 and out-of-range indices.
[[nodiscard]] std::int32_t MPASamplingRateHz(std::int32_t samplingIndex, std::int32_t version = kMPEG1);

// The version the sync word and ID give: kMPEG1 or kMPEG2 for the 12-bit
// sync 0xFFF with ID 1 or 0, kMPEG25 for 0xFFE with ID 0, and
// kMPEGReserved for anything else.
[[nodiscard]] std::int32_t MPAVersion(const TMPAHeader& header);
// The version frame lengths and rates are computed with: MPAVersion, and
// MPEG-1 for a header without a valid sync (such a header is shown as it
// stands, as MPEG-1 fields).
[[nodiscard]] std::int32_t MPAReadingVersion(const TMPAHeader& header);

// Decodes the header at data[0..size). Fewer than 4 bytes: false and the
// header untouched. A CRC word is read when protection_bit is 0 and 6 bytes
// are available; with only 4 or 5 the fields are filled and false returned.
bool parse_mpa_frame(const std::uint8_t* data, std::size_t size, TMPAHeader& header);

// Writes FrameLength and FrameTime from frame.Header; false only when the
// sampling rate is 0 (the fields are then left as they were).
bool GetMPAFrameTime(TMPAFrame& frame);

// The tests after the sync word; callers use MPAValidFramePoint.
bool MPAValidFramePointAfterSync(const std::uint8_t* data, std::size_t size, std::int32_t expectedLayer,
                                 std::int32_t expectedSampling, std::int32_t expectedVersion = kMPEG1);

// True when data starts with a usable header of the expected version
// (kAnyMPEGVersion: any of the three). A negative expectation (layer or
// sampling index) switches off both comparisons. Inline because searches call
// it at every byte position: the two-byte sync test (the first two bytes as a
// little-endian word masked with 0xF0FF, or 0xE0FF where MPEG-2.5's 11-bit
// sync may do) rejects almost all of them.
inline bool MPAValidFramePoint(const std::uint8_t* data, std::size_t size, std::int32_t expectedLayer,
                               std::int32_t expectedSampling, std::int32_t expectedVersion = kMPEG1) {
    if (data == nullptr || size < 2) return false;
    const auto word = static_cast<std::uint16_t>(data[0] | data[1] << 8);
    const std::uint16_t syncMask = expectedVersion == kMPEG1 || expectedVersion == kMPEG2 ? 0xF0FF : 0xE0FF;
    if ((word & syncMask) != syncMask) return false;
    return MPAValidFramePointAfterSync(data, size, expectedLayer, expectedSampling, expectedVersion);
}

// First usable header at or after data + startOffset; its distance from data
// goes to packLength (not written when none is found).
bool GetMPAESPackLength(const std::uint8_t* data, std::size_t size, std::int32_t& packLength,
                        std::int32_t startOffset, std::int32_t expectedLayer,
                        std::int32_t expectedSampling, std::int32_t expectedVersion = kMPEG1);

// Classifies a file by a vote over at most 32 frames in the first 1 MiB
// after a leading ID3v2 tag: the version, the layer and the sampling index
// each need a strict majority. The outputs are set to -1 first and keep what
// the vote gave.
bool IsMPAES(const std::string& fileName, std::int32_t& layer, std::int32_t& samplingIndex,
             std::int32_t& version);
bool IsMPAES(const std::string& fileName, std::int32_t& layer, std::int32_t& samplingIndex);

// The same vote over a buffer already in memory (what IsMPAES runs on the
// bytes it read). A frame is followed to the next header of its own version,
// so sync-like bytes of another version inside its payload are passed over.
bool MPAESVote(const std::uint8_t* data, std::size_t size, std::int32_t& layer, std::int32_t& samplingIndex,
               std::int32_t& version);
bool MPAESVote(const std::uint8_t* data, std::size_t size, std::int32_t& layer,
               std::int32_t& samplingIndex);

std::string MPALayerToStr(std::int32_t layer);
std::string MPABitrateToStr(std::int32_t layer, std::int32_t bitrateIndex, std::int32_t version = kMPEG1);
std::string MPASamplingRateToStr(std::int32_t samplingFrequency, std::int32_t version = kMPEG1);
// "MPEG-1", "MPEG-2", "MPEG-2.5"; empty for the reserved version.
std::string MPAVersionToStr(std::int32_t version);
std::string MPAModeToStr(std::int32_t mode);
std::string MPAEmphasisToStr(std::int32_t emphasis);
std::string MPAFrameTimeToStr(const TMPAFrame& frame);
