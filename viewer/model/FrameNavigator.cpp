#include "viewer/model/FrameNavigator.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/debug_output.h"
#include "viewer/model/ID3v2Tag.h"
#include "viewer/model/UsableHeaderScan.h"

TFrameNavigator::TFrameNavigator() : FSpans(kScratchSize) {}

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
        const std::int64_t index = Scan().First(from, ForwardWindowEnd(from));
        if (index < 0) return false;
        found = index;
        return true;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.SearchNextPackPositionFromPos call...");
        return false;
    }
}

// The end of the 1 MiB a forward search or a rebuild reads from `from`.
std::int64_t TFrameNavigator::ForwardWindowEnd(std::int64_t from) const {
    return from + std::clamp<std::int64_t>(FFileStream.Size() - from, 0, kSearchWindow);
}

// Walks down the backward search window: up to 1 MiB before `from` plus the
// four header bytes at `from`, not reaching back into a leading tag from after
// it.
void TFrameNavigator::ScanBackwardWindow(std::int64_t from, const TUsableHeaderScan::Visit& visit) {
    const std::int64_t windowStart =
        std::max<std::int64_t>(from - kSearchWindow, from >= FAudioStart ? FAudioStart : 0);
    const std::int64_t windowEnd = std::min(from + 4, FFileStream.Size());
    Scan().Backwards(windowStart, windowEnd, visit);
}

bool TFrameNavigator::SearchPreviousPackPositionFromPos(std::int64_t& found, std::int64_t from) {
    try {
        if (!CanSearchFrom(from)) return false;
        bool seen = false;
        ScanBackwardWindow(from, [&](std::int64_t offset) {
            found = offset;
            seen = true;
            return false;
        });
        return seen;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.SearchPreviousPackPositionFromPos call...");
        return false;
    }
}

bool TFrameNavigator::SearchBackPackPositionFromPos(std::int64_t& found, std::int32_t count, std::int64_t from) {
    try {
        if (!CanSearchFrom(from)) return false;
        std::int32_t seen = 0;
        ScanBackwardWindow(from, [&](std::int64_t offset) {
            found = offset;
            return ++seen != count;
        });
        return seen > 0;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in TForm1.SearchBackPackPositionFromPos call...");
        return false;
    }
}

bool TFrameNavigator::ReadFrameAt(std::int64_t offset, TMPAFrame& frame) {
    if (!FFileStream.IsOpen() || offset < 0) return false;
    try {
        const auto bytes = SpansForNewRead().Bytes(FFileStream, offset, kSearchWindow);
        if (bytes.empty()) return false;
        frame = TMPAFrame{};
        frame.Offset = offset;
        parse_mpa_frame(bytes.data(), bytes.size(), frame.Header);
        GetMPAFrameTime(frame);
        GetMPAESPackLength(bytes.data(), bytes.size(), frame.PackLength, frame.FrameLength, FLayer, FFrequency,
                           FVersion);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
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

// Walks the 1 MiB from `position`, hopping from each usable header over its
// frame to the next. A frame whose successor is not in the window ends the
// walk uncounted: its length is unknown.
void TFrameNavigator::RebuildPage(std::int64_t position) {
    FMPAFramesCount = 0;
    position = std::max(position, FAudioStart);
    const std::int64_t windowEnd = ForwardWindowEnd(position);
    TUsableHeaderScan scan = Scan();
    std::int64_t at = position;
    while (FMPAFramesCount < FRowsCount && windowEnd - at >= 4) {
        const std::int64_t offset = scan.First(at, windowEnd);
        if (offset < 0) break;
        TMPAFrame& frame = FMPAFrames[static_cast<std::size_t>(FMPAFramesCount)];
        frame = TMPAFrame{};
        frame.Offset = offset;
        const auto header = FSpans.Bytes(FFileStream, offset, std::min<std::int64_t>(windowEnd - offset, 6));
        parse_mpa_frame(header.data(), header.size(), frame.Header);
        GetMPAFrameTime(frame);
        if (frame.FrameLength < 0) break;
        const std::int64_t frameEnd = offset + std::min<std::int64_t>(frame.FrameLength, windowEnd - offset);
        const std::int64_t next = scan.First(frameEnd, windowEnd);
        if (next <= offset) break;
        frame.PackLength = static_cast<std::int32_t>(next - offset);
        ++FMPAFramesCount;
        at = next;
    }
}

TFileSpanCache& TFrameNavigator::SpansForNewRead() {
    if (readReuseDepth_ == 0) FSpans.Forget();
    return FSpans;
}

TUsableHeaderScan TFrameNavigator::Scan() {
    return TUsableHeaderScan(SpansForNewRead(), FFileStream, THeaderExpectation{FLayer, FFrequency, FVersion});
}

TFrameNavigator::ReadReuse::ReadReuse(TFrameNavigator& navigator) : navigator_(navigator) {
    ++navigator_.readReuseDepth_;
}

TFrameNavigator::ReadReuse::~ReadReuse() {
    if (--navigator_.readReuseDepth_ == 0) navigator_.FSpans.Forget();
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
