#include "viewer/model/NavigatorActions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/model/fake_navigator_surface.h"

namespace {

using testsupport::Bytes;
using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr int kFrameBytes = 384;  // the builder's default frame: Layer II, 128 kbit/s, 48 kHz

using navtest::FakeSurface;

class NavigatorActionsTest : public ::testing::Test {
protected:
    NavigatorActionsTest() : actions(navigator, surface) {}

    // Opens the bytes as the window does for an accepted Layer II, 48 kHz file.
    void Load(const Bytes& bytes) { LoadPath(dir.Write("stream.mp2", bytes)); }
    void LoadPath(const std::string& path) {
        ASSERT_TRUE(navigator.OpenFile(path));
        navigator.SetExpectation(testsupport::kMpaLayerII, 1);
        actions.ShowFromStart();
    }

    // A stream of `count` default frames starting at offset 0.
    static Bytes Frames(int count) { return MpaStreamBuilder().Frames(MpaFrameSpec{}, count).Data(); }

    std::vector<std::int64_t> PageOffsets() const {
        std::vector<std::int64_t> offsets;
        for (int row = 0; row < navigator.FramesCount(); ++row) offsets.push_back(navigator.Frame(row).Offset);
        return offsets;
    }
    static std::vector<std::int64_t> FrameOffsets(int first, int count) {
        std::vector<std::int64_t> offsets;
        for (int i = first; i < first + count; ++i) offsets.push_back(std::int64_t{i} * kFrameBytes);
        return offsets;
    }
    void Key(TNavigationKey key, int row) { actions.ListView1KeyDown(key, row); }
    // The user moved the scroll bar to `to`; the handler runs afterwards.
    void ScrollTo(int to) {
        surface.position = std::clamp(to, 0, surface.maximum);
        actions.MyScrollMouseDown();
    }

    testsupport::TempDir dir;
    TFrameNavigator navigator;
    FakeSurface surface;
    TNavigatorActions actions;
};

// ---------------------------------------------------------------- loading

TEST_F(NavigatorActionsTest, LoadShowsFirstPageAndSpansScrollBarOverFile) {
    Load(Frames(40));
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 5));
    EXPECT_EQ(surface.maximum, 40 * kFrameBytes / 100 - 1);
    EXPECT_EQ(surface.position, 0);
    EXPECT_EQ(actions.CurrentPosition(), 0);
    EXPECT_EQ(actions.ScrollLastPosition(), 0);
}

TEST_F(NavigatorActionsTest, ScrollMaximumFollowsFileSizeInHundredByteUnits) {
    EXPECT_EQ(TNavigatorActions::ScrollMaximumFor(0), 0);
    EXPECT_EQ(TNavigatorActions::ScrollMaximumFor(99), 0);
    EXPECT_EQ(TNavigatorActions::ScrollMaximumFor(199), 0);
    EXPECT_EQ(TNavigatorActions::ScrollMaximumFor(200), 1);
    EXPECT_EQ(TNavigatorActions::ScrollMaximumFor(std::int64_t{5} << 30), (std::int64_t{5} << 30) / 100 - 1);
    EXPECT_EQ(TNavigatorActions::ScrollMaximumFor(std::int64_t{300} << 30), INT_MAX);

    Load(Bytes(60, 0x00));
    EXPECT_EQ(surface.maximum, 0);
    EXPECT_THAT(PageOffsets(), IsEmpty());
}

TEST_F(NavigatorActionsTest, PageHoldsAtMost256Rows) {
    surface.visibleRows = 300;
    Load(Frames(300));
    EXPECT_EQ(navigator.RowsCount(), 256);
    EXPECT_EQ(navigator.FramesCount(), 256);
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 256));
}

TEST_F(NavigatorActionsTest, JunkBetweenFramesIsCoveredByTheEarlierFramesLength) {
    const MpaFrameSpec params;
    MpaStreamBuilder builder;
    builder.Frames(params, 2).Junk(37, 0x11).Frames(params, 4);
    Load(builder.Data());
    const auto& frames = builder.FrameList();
    EXPECT_EQ(PageOffsets(), (std::vector<std::int64_t>{frames[0].offset, frames[1].offset, frames[2].offset,
                                                        frames[3].offset, frames[4].offset}));
    EXPECT_EQ(navigator.Frame(1).PackLength, kFrameBytes + 37);
    EXPECT_EQ(navigator.ListView1Data(1)[1], std::to_string(kFrameBytes + 37));
    EXPECT_EQ(navigator.Frame(0).PackLength, kFrameBytes);
}

// ---------------------------------------------------------------- keys

TEST_F(NavigatorActionsTest, FirstFrameAtZeroShowsOnRowZeroAfterHomeAndPageUp) {
    Load(Frames(40));
    ASSERT_EQ(navigator.Frame(0).Offset, 0);

    Key(TNavigationKey::PageDown, 0);
    ASSERT_EQ(PageOffsets(), FrameOffsets(5, 5));
    Key(TNavigationKey::PageUp, 0);
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 5));

    Key(TNavigationKey::PageDown, 4);
    Key(TNavigationKey::PageDown, 4);
    Key(TNavigationKey::Home, 2);
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 5));
    EXPECT_EQ(surface.position, 0);
}

// A leading ID3v2 tag holding frames of the expected kind: the first page,
// Home and Page Up stop at the first frame after it.
TEST_F(NavigatorActionsTest, FirstPageHomeAndPageUpStartAfterALeadingTag) {
    const Bytes tagBody = Frames(10);  // 3840 bytes: 30 in the tag's third size byte
    Bytes bytes = {'I', 'D', '3', 3, 0, 0, 0, 0, 30, 0};
    bytes.insert(bytes.end(), tagBody.begin(), tagBody.end());
    const Bytes audio = Frames(40);
    bytes.insert(bytes.end(), audio.begin(), audio.end());
    Load(bytes);
    const std::int64_t tag = 10 + static_cast<std::int64_t>(tagBody.size());
    std::vector<std::int64_t> firstPage;
    for (const std::int64_t offset : FrameOffsets(0, 5)) firstPage.push_back(tag + offset);
    EXPECT_EQ(PageOffsets(), firstPage);

    Key(TNavigationKey::PageDown, 4);
    Key(TNavigationKey::PageUp, 0);
    EXPECT_EQ(PageOffsets(), firstPage);
    Key(TNavigationKey::PageDown, 4);
    Key(TNavigationKey::PageDown, 4);
    Key(TNavigationKey::Home, 2);
    EXPECT_EQ(PageOffsets(), firstPage);
}

TEST_F(NavigatorActionsTest, UpOnRowZeroMovesOneFrameBackAndFlipsShading) {
    Load(Frames(40));
    ScrollTo(30);  // a jump: page from the first header at or after byte 3000
    ASSERT_EQ(navigator.Frame(0).Offset, 8 * kFrameBytes);
    const int mode = actions.GrayItemsMode();

    Key(TNavigationKey::Up, 0);
    EXPECT_EQ(PageOffsets(), FrameOffsets(7, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 1 - mode);
    EXPECT_EQ(surface.position, 7 * kFrameBytes / 100);
    EXPECT_EQ(actions.ScrollLastPosition(), 7 * kFrameBytes / 100);

    Key(TNavigationKey::Up, 3);  // not row 0: the list moves its own selection
    EXPECT_EQ(PageOffsets(), FrameOffsets(7, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 1 - mode);
}

TEST_F(NavigatorActionsTest, UpOnRowZeroOfFirstPageKeepsPageAndFlipsShading) {
    Load(Frames(40));
    const int repaints = surface.repaints;
    Key(TNavigationKey::Up, 0);
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 1);
    EXPECT_TRUE(actions.IsRowShaded(1));
    EXPECT_FALSE(actions.IsRowShaded(0));
    EXPECT_GT(surface.repaints, repaints);
    Key(TNavigationKey::Up, 0);
    EXPECT_EQ(actions.GrayItemsMode(), 0);
    EXPECT_TRUE(actions.IsRowShaded(0));
}

TEST_F(NavigatorActionsTest, DownOnLastRowOfFullPageMovesOneFrame) {
    Load(Frames(40));
    Key(TNavigationKey::Down, 3);  // not the last row
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 0);

    Key(TNavigationKey::Down, 4);
    EXPECT_EQ(PageOffsets(), FrameOffsets(1, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 1);
    EXPECT_EQ(surface.position, kFrameBytes / 100);
    EXPECT_EQ(surface.selectedRow, -1);  // a full page: the list keeps its own selection
    EXPECT_EQ(actions.CurrentPosition(), 0);
}

TEST_F(NavigatorActionsTest, DownOntoShorterPageSelectsItsLastRow) {
    Load(Frames(7));  // the last frame is never listed
    ASSERT_EQ(PageOffsets(), FrameOffsets(0, 5));
    Key(TNavigationKey::Down, 4);
    ASSERT_EQ(PageOffsets(), FrameOffsets(1, 5));
    EXPECT_EQ(surface.selectedRow, -1);
    Key(TNavigationKey::Down, 4);
    EXPECT_EQ(PageOffsets(), FrameOffsets(2, 4));
    EXPECT_EQ(surface.selectedRow, 3);
}

TEST_F(NavigatorActionsTest, DownAtEndOfFileWithPageNotFullDoesNothing) {
    Load(Frames(4));
    ASSERT_EQ(PageOffsets(), FrameOffsets(0, 3));
    surface.positionsSet.clear();
    Key(TNavigationKey::Down, 2);
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 3));
    EXPECT_EQ(actions.GrayItemsMode(), 0);
    EXPECT_THAT(surface.positionsSet, IsEmpty());
}

TEST_F(NavigatorActionsTest, DownFindingAHeaderFourBytesOnRebuildsAtFirstFrame) {
    const MpaFrameSpec params;
    MpaStreamBuilder builder;
    builder.Frame(params, 0x00, MakeHeader(params)).Frames(params, 10);  // a false sync at offset 4
    Load(builder.Data());
    ASSERT_EQ(PageOffsets(), FrameOffsets(0, 5));

    Key(TNavigationKey::Down, 4);
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 1);
}

TEST_F(NavigatorActionsTest, PageDownMovesToFrameAfterLastOnlyOnFullPage) {
    Load(Frames(13));
    Key(TNavigationKey::PageDown, 1);
    EXPECT_EQ(PageOffsets(), FrameOffsets(5, 5));
    EXPECT_EQ(surface.position, 5 * kFrameBytes / 100);
    EXPECT_EQ(actions.GrayItemsMode(), 0);

    Key(TNavigationKey::PageDown, 1);
    ASSERT_EQ(PageOffsets(), FrameOffsets(10, 2));  // frames 10, 11; frame 12 is the last
    const int last = actions.ScrollLastPosition();
    surface.position = 0;  // the scroll bar moved on its own
    Key(TNavigationKey::PageDown, 1);
    EXPECT_EQ(PageOffsets(), FrameOffsets(10, 2));
    EXPECT_EQ(surface.position, last);
}

TEST_F(NavigatorActionsTest, PageDownFindingAHeaderFourBytesAfterLastRebuildsAtLast) {
    const MpaFrameSpec params;
    MpaStreamBuilder builder;
    builder.Frames(params, 4).Frame(params, 0x00, MakeHeader(params)).Frames(params, 6);
    Load(builder.Data());
    ASSERT_EQ(PageOffsets(), FrameOffsets(0, 5));
    Key(TNavigationKey::PageDown, 0);
    EXPECT_EQ(PageOffsets(), FrameOffsets(4, 5));
}

TEST_F(NavigatorActionsTest, PageUpCountsFalseSyncAndMayLandOnIt) {
    const MpaFrameSpec params;
    Bytes leading(12, 0x00);
    const Bytes header = MakeHeader(params);
    leading.insert(leading.end(), header.begin(), header.end());
    MpaStreamBuilder builder;
    builder.Frames(params, 6).Frame(params, 0x00, leading).Frames(params, 10);
    const std::int64_t falseSync = 6 * kFrameBytes + 16;
    Load(builder.Data());

    // The page rebuild hops over the false sync inside frame 6 ...
    ScrollTo(19);
    EXPECT_EQ(PageOffsets(), FrameOffsets(5, 5));
    // ... but the backward search counts it: five headers back from frame 11
    // are frames 10, 9, 8, 7 and the false sync.
    ScrollTo(42);
    ASSERT_EQ(PageOffsets(), FrameOffsets(11, 5));
    Key(TNavigationKey::PageUp, 0);
    EXPECT_EQ(navigator.Frame(0).Offset, falseSync);
    EXPECT_EQ(navigator.Frame(1).Offset, 8 * kFrameBytes);
    EXPECT_EQ(surface.position, falseSync / 100);
}

TEST_F(NavigatorActionsTest, HomeAndEndSetScrollBarFirstAndSearchUnderHourglass) {
    Load(Frames(40));
    ScrollTo(50);
    surface.busyCalls = 0;

    Key(TNavigationKey::End, 2);
    EXPECT_EQ(surface.positionWhenBusyBegan, surface.maximum);
    EXPECT_EQ(PageOffsets(), FrameOffsets(35, 4));  // five headers back from the end, the last not listed
    EXPECT_EQ(surface.position, 35 * kFrameBytes / 100);
    EXPECT_EQ(actions.ScrollLastPosition(), 35 * kFrameBytes / 100);

    Key(TNavigationKey::Home, 2);
    EXPECT_EQ(surface.positionWhenBusyBegan, 0);
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 5));
    EXPECT_EQ(surface.busyCalls, 2);
    EXPECT_EQ(surface.busyDepth, 0);
}

TEST_F(NavigatorActionsTest, KeysWithoutSelectedRowOrOnEmptyFileDoNothing) {
    Load(Frames(40));
    ScrollTo(50);
    const auto before = PageOffsets();
    for (TNavigationKey key : {TNavigationKey::Up, TNavigationKey::Down, TNavigationKey::PageUp,
                               TNavigationKey::PageDown, TNavigationKey::Home, TNavigationKey::End})
        Key(key, -1);
    EXPECT_EQ(PageOffsets(), before);

    Load(Bytes(5000, 0x20));
    Key(TNavigationKey::Home, 0);
    Key(TNavigationKey::End, 0);
    EXPECT_THAT(PageOffsets(), IsEmpty());
    EXPECT_EQ(surface.busyDepth, 0);
}

// ---------------------------------------------------------------- scroll bar

TEST_F(NavigatorActionsTest, ScrollArrowsMoveOneFrameAndFlipShading) {
    Load(Frames(40));
    ScrollTo(40);  // jump: first header at or after byte 4000 is frame 11
    ASSERT_EQ(navigator.Frame(0).Offset, 11 * kFrameBytes);
    ASSERT_EQ(actions.ScrollLastPosition(), 11 * kFrameBytes / 100);
    surface.selectedRow = 2;

    ScrollTo(actions.ScrollLastPosition() - 1);  // up arrow
    EXPECT_EQ(PageOffsets(), FrameOffsets(10, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 1);
    EXPECT_EQ(surface.selectedRow, -1);
    EXPECT_EQ(actions.ScrollLastPosition(), 10 * kFrameBytes / 100);

    ScrollTo(actions.ScrollLastPosition() + 1);  // down arrow
    EXPECT_EQ(PageOffsets(), FrameOffsets(11, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 0);
    EXPECT_EQ(surface.position, 11 * kFrameBytes / 100);
    EXPECT_EQ(actions.CurrentPosition(), 11 * kFrameBytes);  // arrows keep the jump position
}

TEST_F(NavigatorActionsTest, ScrollPageAreasMoveOnePage) {
    Load(Frames(40));
    ScrollTo(40);
    ASSERT_EQ(navigator.Frame(0).Offset, 11 * kFrameBytes);

    ScrollTo(actions.ScrollLastPosition() + 10);  // page-down area
    EXPECT_EQ(PageOffsets(), FrameOffsets(16, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 0);
    EXPECT_EQ(surface.position, 16 * kFrameBytes / 100);

    ScrollTo(actions.ScrollLastPosition() - 10);  // page-up area
    EXPECT_EQ(PageOffsets(), FrameOffsets(11, 5));
    EXPECT_EQ(actions.GrayItemsMode(), 0);
}

TEST_F(NavigatorActionsTest, ScrollForwardOnPageNotFullPutsScrollBarBack) {
    Load(Frames(40));
    Key(TNavigationKey::End, 0);
    ASSERT_FALSE(navigator.IsPageFull());
    const auto page = PageOffsets();
    const int last = actions.ScrollLastPosition();

    ScrollTo(last + 1);
    EXPECT_EQ(surface.position, last);
    EXPECT_EQ(PageOffsets(), page);
    ScrollTo(last + 10);
    EXPECT_EQ(surface.position, last);
    EXPECT_EQ(PageOffsets(), page);
}

TEST_F(NavigatorActionsTest, ScrollArrowWithNothingFoundRebuildsAtOrigin) {
    Bytes bytes(3000, 0x00);
    const Bytes frames = Frames(10);
    bytes.insert(bytes.end(), frames.begin(), frames.end());
    Load(bytes);
    ASSERT_EQ(navigator.Frame(0).Offset, 3000);
    ScrollTo(5);  // jump: page from the first frame after byte 500
    ASSERT_EQ(actions.ScrollLastPosition(), 30);
    surface.position = 29;  // up arrow: nothing before 2996
    actions.MyScrollMouseDown();
    EXPECT_EQ(navigator.Frame(0).Offset, 3000);  // rebuilt at the origin 2996
    EXPECT_EQ(actions.ScrollLastPosition(), 2996 / 100);
}

TEST_F(NavigatorActionsTest, ThumbJumpStartsAtFirstHeaderAtOrAfterPositionTimesHundred) {
    Load(Frames(40));
    ScrollTo(77);
    EXPECT_EQ(navigator.Frame(0).Offset, 21 * kFrameBytes);  // 7700 rounded up to a frame start
    EXPECT_EQ(actions.CurrentPosition(), 21 * kFrameBytes);
    EXPECT_EQ(surface.position, 21 * kFrameBytes / 100);
    EXPECT_EQ(actions.ScrollLastPosition(), surface.position);
    EXPECT_EQ(surface.busyDepth, 0);
    EXPECT_GE(surface.busyCalls, 1);
}

TEST_F(NavigatorActionsTest, ThumbJumpFallsBackToPreviousHeaderBeyondOneMebibyte) {
    MpaStreamBuilder builder;
    builder.Frames(MpaFrameSpec{}, 20).Junk(1200000, 0x00);
    Load(builder.Data());
    const std::int64_t lastFrame = builder.FrameList().back().offset;

    ScrollTo(500);  // byte 50000: only zeros within 1 MiB after it
    EXPECT_EQ(actions.CurrentPosition(), lastFrame);
    EXPECT_EQ(surface.position, lastFrame / 100);
    EXPECT_THAT(PageOffsets(), IsEmpty());  // the last frame is never listed

    ScrollTo(surface.maximum);  // nothing either way: the page is rebuilt at the origin
    EXPECT_EQ(actions.CurrentPosition(), std::int64_t{surface.maximum} * 100);
}

TEST_F(NavigatorActionsTest, ClickLeavingPositionUnchangedCountsAsJump) {
    Load(Frames(40));
    Key(TNavigationKey::Down, 4);
    Key(TNavigationKey::Down, 4);
    ASSERT_EQ(PageOffsets(), FrameOffsets(2, 5));
    const int busy = surface.busyCalls;

    ASSERT_EQ(actions.CurrentPosition(), 0);
    ScrollTo(actions.ScrollLastPosition());  // the thumb clicked without dragging
    EXPECT_EQ(PageOffsets(), FrameOffsets(2, 5));  // first header at or after 7 * 100
    EXPECT_EQ(actions.CurrentPosition(), 2 * kFrameBytes);
    EXPECT_EQ(actions.GrayItemsMode(), 0);  // two Downs flipped it twice, the jump not at all
    EXPECT_EQ(surface.busyCalls, busy + 1);

    ScrollTo(0);
    ScrollTo(0);  // the up arrow at position 0
    EXPECT_EQ(PageOffsets(), FrameOffsets(0, 5));
    EXPECT_EQ(actions.CurrentPosition(), 0);
}

// ---------------------------------------------------------------- resize

TEST_F(NavigatorActionsTest, ResizeRebuildsFromLastLoadOrJumpPosition) {
    Load(Frames(40));
    ScrollTo(20);
    ASSERT_EQ(actions.CurrentPosition(), 6 * kFrameBytes);
    Key(TNavigationKey::Down, 4);
    ScrollTo(actions.ScrollLastPosition() - 1);
    ScrollTo(actions.ScrollLastPosition() + 10);
    ASSERT_NE(navigator.Frame(0).Offset, 6 * kFrameBytes);

    surface.visibleRows = 9;
    actions.FormResize();
    EXPECT_EQ(PageOffsets(), FrameOffsets(6, 9));
    EXPECT_EQ(navigator.RowsCount(), 9);

    surface.visibleRows = 2;
    actions.FormResize();
    EXPECT_EQ(PageOffsets(), FrameOffsets(6, 2));
}

// ---------------------------------------------------------------- failures

TEST_F(NavigatorActionsTest, FailureInsideHandlerWritesItsDebugLine) {
    Load(Frames(40));
    surface.throwOnRepaint = true;
    platform::DebugLineCapture capture;

    Key(TNavigationKey::Home, 0);
    EXPECT_EQ(surface.busyDepth, 0);
    ScrollTo(30);
    EXPECT_EQ(surface.busyDepth, 0);
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in TForm1.ListView1KeyDown call...",
                                             "dbg: Error in TForm1.MyScrollMouseDown call..."));
}

TEST_F(NavigatorActionsTest, TruncatedFileMakesMovesFindNothing) {
    const std::string path = dir.Write("cut.mp2", Frames(40));
    LoadPath(path);
    ScrollTo(100);
    const auto page = PageOffsets();
    std::filesystem::resize_file(path, 1000);

    Key(TNavigationKey::Down, 4);  // searches from beyond the new end
    Key(TNavigationKey::PageDown, 4);
    EXPECT_EQ(PageOffsets(), page);
    actions.FormResize();  // the rebuild reads nothing
    EXPECT_THAT(PageOffsets(), IsEmpty());
}

// ---------------------------------------------------------------- large files

TEST_F(NavigatorActionsTest, OffsetsBeyondFourGibibytesInSparseFile) {
    const std::int64_t base = (std::int64_t{5} << 30) + 17;
    const std::string path = dir.File("sparse.mp2");
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(base);
        const Bytes frames = Frames(20);
        out.write(reinterpret_cast<const char*>(frames.data()), static_cast<std::streamsize>(frames.size()));
        ASSERT_TRUE(out.good());
    }
    LoadPath(path);
    EXPECT_EQ(surface.maximum, (base + 20 * kFrameBytes) / 100 - 1);

    ScrollTo(static_cast<int>(base / 100));
    ASSERT_EQ(navigator.FramesCount(), 5);
    EXPECT_EQ(navigator.Frame(0).Offset, base);
    EXPECT_EQ(navigator.ListView1Data(0)[0], "0x0000000140000011");
    EXPECT_EQ(actions.CurrentPosition(), base);

    Key(TNavigationKey::Down, 4);
    EXPECT_EQ(navigator.Frame(0).Offset, base + kFrameBytes);
    EXPECT_EQ(surface.position, (base + kFrameBytes) / 100);
    Key(TNavigationKey::End, 0);
    EXPECT_EQ(navigator.Frame(0).Offset, base + 15 * kFrameBytes);
}

// ---------------------------------------------------------------- copy and wheel

TEST_F(NavigatorActionsTest, CopyTextListsEveryRowOfThePageShown) {
    EXPECT_EQ(FrameListCopyText(navigator), "");
    surface.visibleRows = 2;
    Load(Frames(10));
    const std::string row0 = "0x0000000000000000, 384, 24 ms, Layer II, 48000 Hz, 128 kbps, Stereo, \r\n";
    const auto texts = navigator.ListView1Data(1);
    std::string row1;
    for (const auto& text : texts) row1 += text + ", ";
    EXPECT_EQ(texts[0], "0x0000000000000180");
    EXPECT_EQ(FrameListCopyText(navigator), row0 + row1 + "\r\n");
}

TEST(NavigatorWheel, WheelDeltaBecomesNavigationKey) {
    EXPECT_EQ(WheelToNavigationKey(120, false), TNavigationKey::Up);
    EXPECT_EQ(WheelToNavigationKey(120, true), TNavigationKey::PageUp);
    EXPECT_EQ(WheelToNavigationKey(-120, false), TNavigationKey::Down);
    EXPECT_EQ(WheelToNavigationKey(-1, true), TNavigationKey::PageDown);
    EXPECT_EQ(WheelToNavigationKey(0, false), TNavigationKey::Down);
    EXPECT_EQ(WheelToNavigationKey(0, true), TNavigationKey::PageDown);
}

}  // namespace
