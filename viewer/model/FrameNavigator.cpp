#include "viewer/model/FrameNavigator.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/debug_output.h"
#include "viewer/model/ID3v2Tag.h"

namespace {

// Index of the first usable position in data[0..size), or -1.
// Positions are tried while 4 bytes remain; only positions holding 0xFF can
// pass the sync test, so the scan jumps between them.
std::int64_t FindFirstUsable(const std::uint8_t* data, std::size_t size, std::int32_t layer,
                             std::int32_t frequency, std::int32_t version) {
    if (size < 4) return -1;
    const std::uint8_t* candidate = data;
    const std::uint8_t* const last = data + size - 4;
    while (candidate <= last) {
        candidate = static_cast<const std::uint8_t*>(
            std::memchr(candidate, 0xFF, static_cast<std::size_t>(last - candidate) + 1));
        if (candidate == nullptr) return -1;
        if (MPAValidFramePoint(candidate, static_cast<std::size_t>(data + size - candidate), layer, frequency,
                               version))
            return candidate - data;
        ++candidate;
    }
    return -1;
}

}  // namespace

TFrameNavigator::TFrameNavigator() : FBuff(kScratchSize) {}

bool TFrameNavigator::OpenFile(const std::string& fileName) {
    CloseFile();
    if (!FFileStream.Open(fileName, platform::SharedFile::Access::Read)) return false;
    FFileName = fileName;
    FAudioStart = LeadingID3v2TagBytes(FFileStream);
    return true;
}

void TFrameNavigator::CloseFile() {
    FFileStream.Close();
    FFileName.clear();
    FAudioStart = 0;
}

std::int64_t TFrameNavigator::FileSize() const { return FFileStream.IsOpen() ? FFileStream.Size() : 0; }

void TFrameNavigator::SetExpectation(std::int32_t layer, std::int32_t frequency, std::int32_t version) {
    FLayer = layer;
    FFrequency = frequency;
    FVersion = version;
}

bool TFrameNavigator::CanSearchFrom(std::int64_t from) const {
    return FFileStream.IsOpen() && from >= 0 && from < FFileStream.Size();
}

bool TFrameNavigator::SearchNextPackPositionFromPos(std::int64_t& found, std::int64_t from) {
    try {
        if (!CanSearchFrom(from)) return false;
        from = std::max(from, FAudioStart);
        if (!FFileStream.Seek(from)) throw std::runtime_error("seek");
        const std::int64_t got = FFileStream.Read(FBuff.data(), kSearchWindow);
        if (got < 0) throw std::runtime_error("read");
        if (got == 0) return false;
        const std::int64_t index =
            FindFirstUsable(FBuff.data(), static_cast<std::size_t>(got), FLayer, FFrequency, FVersion);
        if (index < 0) return false;
        found = from + index;
        return true;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.SearchNextPackPositionFromPos call...");
        return false;
    }
}

// Reads the backward search window: up to 1 MiB before `from` plus the four
// header bytes at `from`, not reaching back into a leading tag from after it.
bool TFrameNavigator::ReadBackwardWindow(std::int64_t from, std::int64_t& windowStart, std::int64_t& bytesRead) {
    windowStart = std::max<std::int64_t>(from - kSearchWindow, from >= FAudioStart ? FAudioStart : 0);
    if (!FFileStream.Seek(windowStart)) throw std::runtime_error("seek");
    bytesRead = FFileStream.Read(FBuff.data(), from - windowStart + 4);
    if (bytesRead < 0) throw std::runtime_error("read");
    return bytesRead > 0;
}

bool TFrameNavigator::SearchPreviousPackPositionFromPos(std::int64_t& found, std::int64_t from) {
    try {
        if (!CanSearchFrom(from)) return false;
        std::int64_t windowStart = 0;
        std::int64_t got = 0;
        if (!ReadBackwardWindow(from, windowStart, got)) return false;
        for (std::int64_t index = got - 4; index >= 0; --index) {
            const std::uint8_t* candidate = FBuff.data() + index;
            if (MPAValidFramePoint(candidate, static_cast<std::size_t>(got - index), FLayer, FFrequency, FVersion)) {
                found = windowStart + index;
                return true;
            }
        }
        return false;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.SearchPreviousPackPositionFromPos call...");
        return false;
    }
}

bool TFrameNavigator::SearchBackPackPositionFromPos(std::int64_t& found, std::int32_t count, std::int64_t from) {
    try {
        if (!CanSearchFrom(from)) return false;
        std::int64_t windowStart = 0;
        std::int64_t got = 0;
        if (!ReadBackwardWindow(from, windowStart, got)) return false;
        std::int32_t seen = 0;
        for (std::int64_t index = got - 4; index >= 0; --index) {
            const std::uint8_t* candidate = FBuff.data() + index;
            if (!MPAValidFramePoint(candidate, static_cast<std::size_t>(got - index), FLayer, FFrequency, FVersion))
                continue;
            found = windowStart + index;
            if (++seen == count) return true;
        }
        return seen > 0;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.SearchBackPackPositionFromPos call...");
        return false;
    }
}

bool TFrameNavigator::ReadFrameAt(std::int64_t offset, TMPAFrame& frame) {
    if (!FFileStream.IsOpen() || !FFileStream.Seek(offset)) return false;
    const std::int64_t got = FFileStream.Read(FBuff.data(), kSearchWindow);
    if (got <= 0) return false;
    const auto size = static_cast<std::size_t>(got);
    frame = TMPAFrame{};
    frame.Offset = offset;
    parse_mpa_frame(FBuff.data(), size, frame.Header);
    GetMPAFrameTime(frame);
    GetMPAESPackLength(FBuff.data(), size, frame.PackLength, frame.FrameLength, FLayer, FFrequency, FVersion);
    return true;
}

bool TFrameNavigator::ReadFrameBytes(std::int64_t offset, TFrameBytes& bytes) {
    const std::int64_t from = std::max(std::min(offset, FAudioStart), offset - kAnatomyBytesBefore);
    if (!FFileStream.IsOpen() || from < 0 || !FFileStream.Seek(from)) return false;
    bytes.Data.resize(static_cast<std::size_t>(offset - from + kAnatomyBytesAfter));
    const std::int64_t got = FFileStream.Read(bytes.Data.data(), static_cast<std::int64_t>(bytes.Data.size()));
    if (got <= offset - from) return false;
    bytes.Data.resize(static_cast<std::size_t>(got));
    bytes.DataOffset = from;
    bytes.FrameOffset = offset;
    bytes.StreamStart = std::min(offset, FAudioStart);
    return true;
}

bool TFrameNavigator::RefreshPosition(std::int64_t position, int visibleRows) {
    std::lock_guard lock(FMPAFramesLock);
    const int pageSize = std::clamp(visibleRows, 0, kPageCapacity);
    bool ok = true;
    try {
        FRowsCount = pageSize;
        ReportItemCount(FRowsCount);
        if (FFileStream.IsOpen()) RebuildPage(position);
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.RefreshPosition call...");
        ok = false;
    }
    FRowsCount = pageSize;
    ReportItemCount(FMPAFramesCount);
    return ok;
}

// Walks one 1 MiB read from `position`, hopping from each usable header over
// its frame to the next. A frame whose successor is not in the read ends the
// walk uncounted: its length is unknown.
void TFrameNavigator::RebuildPage(std::int64_t position) {
    FMPAFramesCount = 0;
    position = std::max(position, FAudioStart);
    if (!FFileStream.Seek(position)) throw std::runtime_error("seek");
    const std::int64_t got = FFileStream.Read(FBuff.data(), kSearchWindow);
    if (got < 0) throw std::runtime_error("read");
    const auto size = static_cast<std::size_t>(got);
    std::size_t index = 0;
    while (FMPAFramesCount < FRowsCount && size - index >= 4) {
        const std::int64_t skip = FindFirstUsable(FBuff.data() + index, size - index, FLayer, FFrequency, FVersion);
        if (skip < 0) break;
        index += static_cast<std::size_t>(skip);
        TMPAFrame& frame = FMPAFrames[static_cast<std::size_t>(FMPAFramesCount)];
        frame = TMPAFrame{};
        frame.Offset = position + static_cast<std::int64_t>(index);
        const std::uint8_t* header = FBuff.data() + index;
        parse_mpa_frame(header, size - index, frame.Header);
        GetMPAFrameTime(frame);
        GetMPAESPackLength(header, size - index, frame.PackLength, frame.FrameLength, FLayer, FFrequency, FVersion);
        if (frame.PackLength <= 0) break;
        ++FMPAFramesCount;
        index += static_cast<std::size_t>(frame.PackLength);
    }
}

void TFrameNavigator::ReportItemCount(int count) {
    if (itemCountSink_) itemCountSink_(count);
}

int TFrameNavigator::FramesCount() const {
    std::lock_guard lock(FMPAFramesLock);
    return FMPAFramesCount;
}

TMPAFrame TFrameNavigator::Frame(int index) const {
    std::lock_guard lock(FMPAFramesLock);
    if (index < 0 || index >= FMPAFramesCount) return TMPAFrame{};
    return FMPAFrames[static_cast<std::size_t>(index)];
}

void TFrameNavigator::ClearPage() {
    std::lock_guard lock(FMPAFramesLock);
    FMPAFramesCount = 0;
}

TFrameNavigator::RowTexts TFrameNavigator::ListView1Data(int index) const {
    RowTexts texts;
    try {
        std::lock_guard lock(FMPAFramesLock);
        if (index < 0 || index >= FRowsCount || index >= FMPAFramesCount) return texts;
        const TMPAFrame& frame = FMPAFrames[static_cast<std::size_t>(index)];
        const TMPAHeader& header = frame.Header;
        const std::int32_t version = MPAReadingVersion(header);
        texts = {OffsetToText(frame.Offset),
                 std::to_string(frame.PackLength),
                 MPAFrameTimeToStr(frame),
                 MPALayerToStr(header.layer),
                 MPASamplingRateToStr(header.sampling_frequency, version),
                 MPABitrateToStr(header.layer, header.bitrate_index, version),
                 MPAModeToStr(header.mode)};
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.ListView1Data call...");
        texts = RowTexts{};
    }
    return texts;
}

std::string TFrameNavigator::OffsetToText(std::int64_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIX64, static_cast<std::uint64_t>(offset));
    return text;
}

bool TFrameNavigator::TextToOffset(const std::string& text, std::int64_t& offset) {
    if (text.size() < 3 || text.size() > 18 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
    std::uint64_t value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else return false;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    offset = static_cast<std::int64_t>(value);
    return true;
}

const std::array<const char*, TFrameNavigator::kColumnCount>& TFrameNavigator::ColumnCaptions() {
    static const std::array<const char*, kColumnCount> captions{
        "Offset", "Length", "Frame Time", "Layer", "Sampling Rate", "Bitrate", "Mode"};
    return captions;
}
