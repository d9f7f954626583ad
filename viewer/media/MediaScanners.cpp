// The in-memory half of the content probes: byte-pattern scanners over a
// block already read, and the small lookups they use. Nothing here touches a
// file; every pattern is matched only against bytes inside the block.

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "platform/debug_output.h"
#include "viewer/media/MediaUtils.h"

namespace {

using Pattern = std::string_view;

// A pattern fits at pos only when all of its bytes were read.
bool HasPatternAt(const std::uint8_t* data, std::size_t size, std::size_t pos, Pattern pattern) {
    if (pos > size || size - pos < pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (data[pos + i] != static_cast<std::uint8_t>(pattern[i])) return false;
    }
    return true;
}

std::uint32_t ReadBigEndian32(const std::uint8_t* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) |
           std::uint32_t{at[3]};
}

void ReportFailure(std::string_view line) noexcept {
    try {
        platform::OutputDebugLine(line);
    } catch (...) {
    }
}

// ---------------------------------------------------------------- transport stream

constexpr std::array<std::uint64_t, 5> kTSPacketSizes = {188, 192, 196, 204, 212};
constexpr std::uint8_t kTSSyncByte = 0x47;

bool HasSyncRun(const std::uint8_t* at, std::uint64_t count, std::uint64_t spacing) {
    for (std::uint64_t i = 0; i < count; ++i) {
        if (at[i * spacing] != kTSSyncByte) return false;
    }
    return true;
}

// Packet size of a run of `count` packets starting at pos; 0 when none
// matches there, nullopt when the search must end.
std::optional<std::uint64_t> MatchPacketRun(const std::uint8_t* data, std::uint64_t remaining,
                                            std::uint64_t count) {
    for (const std::uint64_t size : kTSPacketSizes) {
        if (size != kTSPacketSizes.front() && remaining <= count * size) return std::nullopt;
        if (count * size <= remaining && HasSyncRun(data, count, size)) return size;
    }
    return 0;
}

// ---------------------------------------------------------------- program stream

constexpr Pattern kPackStartCode{"\x00\x00\x01\xBA", 4};
constexpr std::size_t kMpeg2PackHeaderBytes = 14;

bool HasMpeg2PackMarkers(const std::uint8_t* h) {
    return (h[4] & 0xC4) == 0x44 && (h[6] & 0x04) != 0 && (h[8] & 0x04) != 0 && (h[9] & 0x01) != 0 &&
           (h[12] & 0x03) == 0x03 && (h[13] & 0xF8) == 0xF8;
}

// ---------------------------------------------------------------- DV

constexpr std::size_t kDVHeaderScanMargin = 300000;
constexpr std::size_t kDVTypeProbeMinimum = 300000;
constexpr std::size_t kDVSecondChannelOffset = 144001;
constexpr std::size_t kDVThirdChannelOffset = 288001;
constexpr std::size_t kDVHeaderBytes = 4;

bool HasDifHeaderAt(const std::uint8_t* data, std::size_t size, std::size_t pos) {
    if (pos > size || size - pos < kDVHeaderBytes) return false;
    return data[pos] == 0x1F && data[pos + 1] == 0x07 && data[pos + 2] == 0x00 && (data[pos + 3] & 0x7F) == 0x3F;
}

std::optional<std::size_t> FindFirstDifHeader(const std::uint8_t* data, std::size_t size) {
    for (std::size_t pos = 0; pos < size && size - pos > kDVHeaderScanMargin; ++pos) {
        if (HasDifHeaderAt(data, size, pos)) return pos;
    }
    return std::nullopt;
}

// Every frame boundary after the first header inside the block must carry a
// DIF header.
bool FrameBoundariesMatch(const std::uint8_t* data, std::size_t size, std::size_t first, std::size_t frameSize) {
    std::size_t remaining = size - first;
    for (std::size_t pos = first; frameSize + kDVHeaderBytes < remaining;) {
        pos += frameSize;
        remaining -= frameSize;
        if (!HasDifHeaderAt(data, size, pos)) return false;
    }
    return true;
}

// ---------------------------------------------------------------- MPEG-1/2 video

constexpr Pattern kSequenceHeaderCode{"\x00\x00\x01\xB3", 4};
constexpr Pattern kGroupStartCode{"\x00\x00\x01\xB8", 4};
constexpr Pattern kPictureStartCode{"\x00\x00\x01\x00", 4};
constexpr Pattern kUserDataStartCode{"\x00\x00\x01\xB2", 4};
constexpr Pattern kStartCodePrefix{"\x00\x00\x01", 3};
constexpr std::size_t kMP2VScanWindow = 12;
constexpr std::size_t kGroupHeaderBytes = 8;
constexpr std::size_t kUserDataSearchSkip = 13;

// Position of the next whole start code (prefix and code byte) at or after
// from; nullopt when the block ends first.
std::optional<std::size_t> FindStartCode(const std::uint8_t* data, std::size_t size, std::size_t from) {
    for (std::size_t pos = from; pos < size && size - pos >= 4; ++pos) {
        if (HasPatternAt(data, size, pos, kStartCodePrefix)) return pos;
    }
    return std::nullopt;
}

enum class Verdict { Recognised, Rejected, Continue };

// A group of pictures at pos, after a sequence header: the picture must follow
// at once or after user data.
Verdict JudgeGroupOfPictures(const std::uint8_t* data, std::size_t size, std::size_t pos) {
    const std::size_t next = pos + kGroupHeaderBytes;
    if (HasPatternAt(data, size, next, kPictureStartCode)) return Verdict::Recognised;
    if (!HasPatternAt(data, size, next, kUserDataStartCode)) return Verdict::Continue;
    const auto found = FindStartCode(data, size, pos + kUserDataSearchSkip);
    if (!found) return Verdict::Rejected;
    return HasPatternAt(data, size, *found, kPictureStartCode) ? Verdict::Recognised : Verdict::Continue;
}

// ---------------------------------------------------------------- VC-1

constexpr Pattern kVC1SequenceHeaderCode{"\x00\x00\x01\x0F", 4};

bool IsAdvancedProfileHeaderByte(std::uint8_t b) {
    const int profile = b >> 6;
    const int level = (b >> 3) & 0x07;
    const int chromaFormat = (b >> 1) & 0x03;
    return profile == 3 && level <= 4 && chromaFormat == 1;
}

// ---------------------------------------------------------------- VC-3

constexpr Pattern kVC3HeaderPrefix{"\x00\x00\x02\x80\x01", 5};
constexpr std::size_t kVC3CompressionIDOffset = 40;
constexpr std::size_t kVC3MinimumHeaderBytes = 44;
constexpr std::size_t kVC3FieldByte = 5;

constexpr std::array<TVC3CompressionInfo, 10> kVC3CompressionTable = {{
    {1235, 917504, 1920, 1080, 0},
    {1237, 606208, 1920, 1080, 0},
    {1238, 917504, 1920, 1080, 0},
    {1241, 917504, 1920, 1080, 1},
    {1242, 606208, 1920, 1080, 1},
    {1243, 917504, 1920, 1080, 1},
    {1250, 458752, 1280, 720, 0},
    {1251, 458752, 1280, 720, 0},
    {1252, 303104, 1280, 720, 0},
    {1253, 188416, 1920, 1080, 0},
}};

// The table row for the header at pos, which must have its compression ID
// inside the block.
std::optional<TVC3CompressionInfo> VC3InfoAt(const std::uint8_t* data, std::size_t size, std::size_t pos) {
    if (pos > size || size - pos < kVC3MinimumHeaderBytes) return std::nullopt;
    TVC3CompressionInfo info{};
    const auto id = static_cast<std::int32_t>(ReadBigEndian32(data + pos + kVC3CompressionIDOffset));
    if (!GetVC3CompressionInfo(id, info)) return std::nullopt;
    return info;
}

// First field at pos; the second field must carry the same compression and
// the next frame must follow it.
Verdict JudgeInterlacedFrame(const std::uint8_t* data, std::size_t size, std::size_t pos,
                             const TVC3CompressionInfo& info, std::size_t step) {
    const std::size_t second = pos + step;
    if (!HasPatternAt(data, size, second, kVC3HeaderPrefix)) return Verdict::Continue;
    const auto secondInfo = VC3InfoAt(data, size, second);
    if (!secondInfo) return Verdict::Continue;
    if (secondInfo->CompressionID != info.CompressionID) return Verdict::Rejected;
    if ((data[second + kVC3FieldByte] & 0x03) != 3) return Verdict::Continue;
    return HasPatternAt(data, size, pos + 2 * step, kVC3HeaderPrefix) ? Verdict::Recognised : Verdict::Continue;
}

Verdict JudgeVC3Header(const std::uint8_t* data, std::size_t size, std::size_t pos,
                       const TVC3CompressionInfo& info) {
    const auto step = static_cast<std::size_t>(info.FrameSize / (info.Interlaced + 1));
    const int field = data[pos + kVC3FieldByte] & 0x03;
    if (info.Interlaced == 1 && field == 2) return JudgeInterlacedFrame(data, size, pos, info, step);
    if (info.Interlaced == 0 && field == 1) {
        return HasPatternAt(data, size, pos + step, kVC3HeaderPrefix) ? Verdict::Recognised : Verdict::Continue;
    }
    return Verdict::Continue;
}

// ---------------------------------------------------------------- MPEG audio

constexpr int kMPACandidatesNeeded = 5;

// The 12-bit sync of MPEG-1 and 2, or MPEG-2.5's 11-bit sync with the
// version bits 00.
bool HasMPASync(const std::uint8_t* h) {
    return h[0] == 0xFF && ((h[1] & 0xF0) == 0xF0 || (h[1] & 0xF8) == 0xE0);
}

bool IsMPAHeaderCandidate(const std::uint8_t* h) {
    return HasMPASync(h) && (h[2] & 0xF0) != 0xF0 && (h[2] & 0x0C) != 0x0C && (h[3] & 0x03) != 0x02;
}

}  // namespace

bool GetTSStreamTypeEx(const std::uint8_t* buffer, std::size_t length, int count, std::int32_t& packetSize,
                       std::int32_t& syncOffset) {
    try {
        syncOffset = 0;
        if (count < 1 || length == 0) return false;
        if (buffer == nullptr) throw std::invalid_argument("no buffer");
        const auto packets = static_cast<std::uint64_t>(count);
        for (std::size_t pos = 0;; ++pos) {
            const std::uint64_t remaining = length - pos;
            if (remaining <= packets * kTSPacketSizes.front()) return false;
            if (buffer[pos] != kTSSyncByte) continue;
            const auto size = MatchPacketRun(buffer + pos, remaining, packets);
            if (!size) return false;
            if (*size == 0) continue;
            if (pos > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
            packetSize = static_cast<std::int32_t>(*size);
            syncOffset = static_cast<std::int32_t>(pos);
            return true;
        }
    } catch (...) {
        ReportFailure("dbg: Error in GetTSStreamTypeEx call...");
        return false;
    }
}

bool ScanPS(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) return false;
    for (std::size_t pos = 0; pos < size && size - pos >= kMpeg2PackHeaderBytes; ++pos) {
        if (HasPatternAt(data, size, pos, kPackStartCode) && HasMpeg2PackMarkers(data + pos)) return true;
    }
    return false;
}

int GetDVVideoStandard(const std::uint8_t* bytes, std::size_t length) {
    try {
        if (length < kDVHeaderBytes) return 0;
        if (bytes == nullptr) throw std::invalid_argument("no bytes");
        return (bytes[3] & 0x80) != 0 ? 1 : 2;
    } catch (...) {
        ReportFailure("dbg: Error in GetDVVideoStandard call...");
        return 0;
    }
}

int GetDVVideoType(const std::uint8_t* bytes, std::size_t length) {
    try {
        if (length < kDVTypeProbeMinimum) return 0;
        if (bytes == nullptr) throw std::invalid_argument("no bytes");
        const std::uint8_t marker = bytes[1];
        if (((marker ^ bytes[kDVThirdChannelOffset]) & 0x04) != 0) return 4;
        return ((marker ^ bytes[kDVSecondChannelOffset]) & 0x08) != 0 ? 3 : 2;
    } catch (...) {
        ReportFailure("dbg: Error in GetDVVideoType call...");
        return 0;
    }
}

int GetDVFrameSize(int type, int standard) {
    const int base = standard == 1 ? 144000 : standard == 2 ? 120000 : 0;
    switch (type) {
        case 1:
        case 2: return base;
        case 3: return base * 2;
        case 4: return base * 4;
        default: return 0;
    }
}

bool ScanDV(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) return false;
    const auto first = FindFirstDifHeader(data, size);
    if (!first) return false;
    const std::size_t remaining = size - *first;
    const int standard = GetDVVideoStandard(data + *first, remaining);
    const int type = GetDVVideoType(data + *first, remaining);
    if (type < 2 || type > 4) return false;
    const int frameSize = GetDVFrameSize(type, standard);
    if (frameSize <= 0) return false;
    return FrameBoundariesMatch(data, size, *first, static_cast<std::size_t>(frameSize));
}

bool ScanMP2V(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) return false;
    bool sequenceSeen = false;
    for (std::size_t pos = 0; pos < size && size - pos >= kMP2VScanWindow; ++pos) {
        if (HasPatternAt(data, size, pos, kSequenceHeaderCode)) sequenceSeen = true;
        if (!sequenceSeen || !HasPatternAt(data, size, pos, kGroupStartCode)) continue;
        const Verdict verdict = JudgeGroupOfPictures(data, size, pos);
        if (verdict != Verdict::Continue) return verdict == Verdict::Recognised;
    }
    return false;
}

bool ScanVC1(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) return false;
    for (std::size_t pos = 0; pos < size && size - pos >= kVC1SequenceHeaderCode.size(); ++pos) {
        if (!HasPatternAt(data, size, pos, kVC1SequenceHeaderCode)) continue;
        if (size - pos < 5) return false;
        if (!IsAdvancedProfileHeaderByte(data[pos + 4])) continue;
        if (size - pos < 10) return false;
        if ((data[pos + 9] & 0x08) != 0) return true;
    }
    return false;
}

bool GetVC3CompressionInfo(std::int32_t compressionID, TVC3CompressionInfo& info) {
    for (const auto& row : kVC3CompressionTable) {
        if (row.CompressionID != compressionID) continue;
        info = row;
        return true;
    }
    return false;
}

bool ScanVC3(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) return false;
    for (std::size_t pos = 0; pos < size && size - pos >= kVC3HeaderPrefix.size(); ++pos) {
        if (!HasPatternAt(data, size, pos, kVC3HeaderPrefix)) continue;
        if (size - pos < kVC3MinimumHeaderBytes) return false;
        const auto info = VC3InfoAt(data, size, pos);
        if (!info) continue;
        if (size - pos < static_cast<std::size_t>(info->FrameSize) + kVC3HeaderPrefix.size()) return false;
        const Verdict verdict = JudgeVC3Header(data, size, pos, *info);
        if (verdict != Verdict::Continue) return verdict == Verdict::Recognised;
    }
    return false;
}

bool ScanMPAAllLayers(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr) return false;
    int candidates = 0;
    for (std::size_t pos = 0; pos < size && size - pos >= 4; ++pos) {
        if (IsMPAHeaderCandidate(data + pos) && ++candidates == kMPACandidatesNeeded) return true;
    }
    return false;
}
