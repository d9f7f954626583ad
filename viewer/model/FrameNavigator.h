#pragma once
// The frame navigator's page model: the open file, the expected version,
// layer and sampling index, the three position searches and the page rebuild.
// A leading ID3v2 tag is stepped over: pages and forward searches start no
// earlier than the first byte after it, backward searches stop there. It holds
// no widget; the main window owns one and binds its list, keys and scroll bar
// to it. Debug lines name the main window ("TForm1"), whose operations these
// are.

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/shared_file.h"
#include "viewer/model/FileSpanCache.h"
#include "viewer/model/MPAUtils.h"
#include "viewer/model/MainDataSpan.h"
#include "viewer/model/UsableHeaderScan.h"

class TFrameNavigator {
public:
    static constexpr int kPageCapacity = 256;
    static constexpr std::int64_t kSearchWindow = 1048576;  // bytes one search or rebuild looks through
    static constexpr std::size_t kScratchSize = 5242880;  // bytes of file the navigator holds at most
    static constexpr int kColumnCount = 7;

    using RowTexts = std::array<std::string, kColumnCount>;
    // Called with the list's new item count; the list may ask for row texts
    // from inside the call (the page lock is re-entrant).
    using ItemCountSink = std::function<void(int)>;

    TFrameNavigator();

    // While one lives, each search, rebuild and frame read reuses the bytes
    // the others read before it; without one, each reads the file afresh. A
    // navigation action holds one around its search and its rebuild, and no
    // longer: the file may change between two actions.
    class ReadReuse {
    public:
        explicit ReadReuse(TFrameNavigator& navigator);
        ~ReadReuse();
        ReadReuse(const ReadReuse&) = delete;
        ReadReuse& operator=(const ReadReuse&) = delete;

    private:
        TFrameNavigator& navigator_;
    };

    // Load and unload of the file itself (the window adds its own steps).
    bool OpenFile(const std::string& fileName);
    void CloseFile();
    [[nodiscard]] bool IsFileOpen() const { return FFileStream.IsOpen(); }
    [[nodiscard]] const std::string& FileName() const { return FFileName; }
    [[nodiscard]] std::int64_t FileSize() const;

    // Expected layer code, sampling index and version (FLayer, FFrequency,
    // FVersion; kAnyMPEGVersion takes any version).
    void SetExpectation(std::int32_t layer, std::int32_t frequency, std::int32_t version = kMPEG1);
    [[nodiscard]] std::int32_t Layer() const { return FLayer; }
    [[nodiscard]] std::int32_t Frequency() const { return FFrequency; }
    [[nodiscard]] std::int32_t Version() const { return FVersion; }

    // Bytes of the ID3v2 tag at the start of the open file (0 when none): the
    // offset of the first byte a page or a forward search reads.
    [[nodiscard]] std::int64_t AudioStart() const { return FAudioStart; }

    bool SearchNextPackPositionFromPos(std::int64_t& found, std::int64_t from);
    bool SearchPreviousPackPositionFromPos(std::int64_t& found, std::int64_t from);
    bool SearchBackPackPositionFromPos(std::int64_t& found, std::int32_t count, std::int64_t from);

    // The frame whose header starts at offset, as the detail tree shows it:
    // header and CRC word decoded from one read of up to 1 MiB, FrameLength and
    // FrameTime computed, PackLength the distance to the next usable header
    // (0 when none follows). The header is not validated. False when nothing
    // could be read at the offset.
    bool ReadFrameAt(std::int64_t offset, TMPAFrame& frame);
    // The bytes around the frame at offset that its anatomy needs: up to
    // kAnatomyBytesBefore before it (not before AudioStart) and
    // kAnatomyBytesAfter from it. False when nothing could be read.
    bool ReadFrameBytes(std::int64_t offset, TFrameBytes& bytes);

    // Rebuilds the page from a byte position with up to visibleRows frames
    // (at most 256). Returns false when the rebuild failed part-way.
    bool RefreshPosition(std::int64_t position, int visibleRows);
    void SetItemCountSink(ItemCountSink sink) { itemCountSink_ = std::move(sink); }

    [[nodiscard]] int RowsCount() const { return FRowsCount; }
    [[nodiscard]] int FramesCount() const;
    [[nodiscard]] bool IsPageFull() const { return FramesCount() == FRowsCount; }
    // Copy of a page slot; a cleared frame outside the page.
    [[nodiscard]] TMPAFrame Frame(int index) const;
    // Empties the page (count 0).
    void ClearPage();

    // Row texts of the frame list (ListView1Data): a row below both the page
    // size and the frame count gets its seven column texts; other rows stay
    // empty (all seven texts empty).
    [[nodiscard]] RowTexts ListView1Data(int index) const;

    std::recursive_mutex& FramesLock() const { return FMPAFramesLock; }

    // "0x" + 16 upper-case hexadecimal digits, and back. Parsing fails for
    // empty or malformed text.
    [[nodiscard]] static std::string OffsetToText(std::int64_t offset);
    [[nodiscard]] static bool TextToOffset(const std::string& text, std::int64_t& offset);

    // The column captions, in order.
    [[nodiscard]] static const std::array<const char*, kColumnCount>& ColumnCaptions();

private:
    bool CanSearchFrom(std::int64_t from) const;
    [[nodiscard]] std::int64_t ForwardWindowEnd(std::int64_t from) const;
    void ScanBackwardWindow(std::int64_t from, const TUsableHeaderScan::Visit& visit);
    // The span cache at the start of a read: emptied unless a ReadReuse lives.
    TFileSpanCache& SpansForNewRead();
    TUsableHeaderScan Scan();
    void RebuildPage(std::int64_t position);
    void ReportItemCount(int count);

    std::string FFileName;
    mutable platform::SharedFile FFileStream;
    int FRowsCount = 0;
    TFileSpanCache FSpans;
    int readReuseDepth_ = 0;
    mutable std::recursive_mutex FMPAFramesLock;
    std::array<TMPAFrame, kPageCapacity> FMPAFrames{};
    int FMPAFramesCount = 0;
    std::int32_t FLayer = -1;
    std::int32_t FFrequency = -1;
    std::int32_t FVersion = kMPEG1;
    std::int64_t FAudioStart = 0;
    ItemCountSink itemCountSink_;
};
